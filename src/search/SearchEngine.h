#pragma once

// Searching a document for a pattern line: where a search starts, the engine that
// walks lines (text and hex modes) or raw bytes (dump mode), and where the view
// No window behind it: where a search starts and how a hit is placed on the screen
// are the views' (views/HitPlacement.h).

#include "search/SearchPattern.h"

#include <cstdint>
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

enum class FindResult {
    NotFound, // the file's end (start) was reached, or nothing to search
    Found,
    Stopped, // Escape was pressed
};

// The engine. Searches from nLine/nColumn (lines: text and hex) or nOffset (bDump: raw bytes) in
// one direction to the file's end or start and stops at the first hit: sets the hit and the
// position to it (text: also the status message IDS_SEARCH_FOUND_LINE). A backward search only
// reports hits that begin at or before the start, so repeating it from each hit gives the forward
// hits in reverse order. Not found or stopped: the hits unchanged. nDumpRowBytes only scales the
// progress shown in the position pane.
FindResult FindNext(CTervikDoc& doc, std::string_view patternLine, bool bDump, bool bBackward,
                    bool bOnlySelected, uint32_t& nLine, int& nColumn, int64_t& nOffset,
                    TextHit& textHit, DumpHit& dumpHit, uint64_t nDumpRowBytes = 16);

// The status message of a dump hit.
std::string DumpHitMessage(int64_t nOffset);

// Update handler rule of "Weiter suchen" ("Vorher suchen" is the views', it depends on
// the screen).
bool CanSearchForward(std::string_view boxText);

} // namespace tervik
