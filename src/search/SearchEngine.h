#pragma once

// Searching a document for a pattern line: where a search starts, the engine that
// walks lines (text and hex modes) or raw bytes (dump mode), and where the view
// scrolls to show a hit. No window behind it; the view applies the results.

#include "search/SearchPattern.h"
#include "views/DisplayMode.h"
#include "views/ScrollModel.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tervik {

class CTervikDoc;

// The last hit in the text and hex modes. Shown is set by the painter when it drew the
// hit during the last paint.
struct TextHit {
    bool m_bValid = false;
    uint32_t m_nLine = 0;
    uint32_t m_nColumn = 0; // tabs expanded
    uint32_t m_nLength = 0;
    bool m_bShown = false;
};

// The last hit in the dump mode.
struct DumpHit {
    bool m_bValid = false;
    int64_t m_nOffset = 0;
    uint32_t m_nLength = 0;
    bool m_bShown = false;
};

// Lines and dump windows are read in pieces of this size.
inline constexpr uint32_t kSearchWindow = 65536;

// A decoded pattern's least number of text characters: its length, less the stars of
// a wildcard pattern. 0: nothing to search.
int FixedLength(const SearchPattern& pattern);

// A wildcard pattern that does not begin with '*' can only match from a line's start
// column, so backward searches always try it at column 0.
bool IsAnchoredWildcard(const SearchPattern& pattern);

struct SearchStart {
    uint32_t m_nLine = 0;
    int m_nColumn = 0;
    int64_t m_nOffset = 0; // dump mode
};

// Where the next search starts. A hit counts only while it is valid and shown. Nothing
// when the pattern has nothing to search (the command then does nothing), when a
// backward dump search would start before offset 0, or when a backward text search
// from a hit at column 0 has no earlier line long enough (the command then shows
// IDS_SEARCH_START_REACHED without a beep).
std::optional<SearchStart> ChooseSearchStart(CTervikDoc& doc, const ScrollState& st,
                                             const SearchPattern& pattern, bool bBackward,
                                             const TextHit& textHit, const DumpHit& dumpHit);

enum class FindResult {
    NotFound, // the file's end (start) was reached, or nothing to search
    Found,
    Stopped, // Escape was pressed
};

// The engine. Searches from nLine/nColumn (text and hex) or nOffset (dump) in one
// direction to the file's end or start and stops at the first hit: sets the hit and
// the position to it (text: also the status message IDS_SEARCH_FOUND_LINE). A backward
// search only reports hits that begin at or before the start, so repeating it from each hit
// gives the forward hits in reverse order. Not found or stopped: the hits unchanged.
// nDumpRowBytes only scales the progress shown in the position pane.
FindResult FindNext(CTervikDoc& doc, std::string_view patternLine, DisplayMode mode, bool bBackward,
                    bool bOnlySelected, uint32_t& nLine, int& nColumn, int64_t& nOffset,
                    TextHit& textHit, DumpHit& dumpHit, uint64_t nDumpRowBytes = 16);

// Scrolls a text or hex hit into sight; true when the top line or the left column moved.
// isColumnVisible is asked, with st.m_nLeftColumn already moved, whether the character
// position of the column on the hit line is visible.
bool PlaceTextHit(ScrollState& st, uint32_t nHitLine, uint32_t nHitColumn, uint32_t nHitLength,
                  bool bBackward, const std::function<bool(int column)>& isColumnVisible);

// Scrolls a dump hit into sight, its row as the fourth row when possible; true when
// m_nDumpTop moved.
bool PlaceDumpHit(ScrollState& st, int64_t nHit, bool bBackward);

// The status message of a dump hit.
std::string DumpHitMessage(int64_t nOffset);

// Update handler rules of the search commands.
bool CanSearchForward(std::string_view boxText);
bool CanSearchBackward(std::string_view boxText, const ScrollState& st, const TextHit& textHit,
                       const DumpHit& dumpHit);

} // namespace tervik
