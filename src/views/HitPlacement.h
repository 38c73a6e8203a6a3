#pragma once

// Where a search starts on the screen and how a hit is brought into sight: the
// search engine finds, the view places.

#include "search/SearchEngine.h"
#include "views/ScrollModel.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace tervik {

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

// Scrolls a text or hex hit into sight; true when the top line or the left column moved.
// isColumnVisible is asked, with st.m_nLeftColumn already moved, whether the character
// position of the column on the hit line is visible.
bool PlaceTextHit(ScrollState& st, uint32_t nHitLine, uint32_t nHitColumn, uint32_t nHitLength,
                  bool bBackward, const std::function<bool(int column)>& isColumnVisible);

// Scrolls a dump hit into sight, its row as the fourth row when possible; true when
// m_nDumpTop moved.
bool PlaceDumpHit(ScrollState& st, int64_t nHit, bool bBackward);

// Update handler rule of "Vorher suchen": the start must lie after the file's start.
bool CanSearchBackward(std::string_view boxText, const ScrollState& st, const TextHit& textHit,
                       const DumpHit& dumpHit);

} // namespace tervik
