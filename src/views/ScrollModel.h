#pragma once

// The scrolling rules of a view without any window behind them: what the bars
// show, where every scroll code moves the view, and the go-to-line rules. The
// view applies the results (shift, repaint, bar and position pane, broadcast).

#include "views/DisplayMode.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tervik {

struct ScrollState {
    DisplayMode m_eMode = DisplayMode::Text;
    uint32_t m_nTopLine = 0;
    uint64_t m_nDumpTop = 0;
    int m_nLeftColumn = 0;
    int m_nDumpColumns = 4; // groups of 4 bytes per dump row
    int m_nVisibleLines = 1;
    bool m_bOnlySelected = false;
};

// What scrolling needs of a document. next/prev behave like NextSelected and
// PrevSelected (strictly after / before the given record); empty = no selection.
struct ScrollDocument {
    uint32_t nRecords = 0;
    uint32_t nMaxLength = 0;
    uint64_t nFileSize = 0;
    std::function<bool(uint32_t&)> next;
    std::function<bool(uint32_t&)> prev;
    // Optional: the record of the i-th selected line (0-based); spares the walk
    // with next when going to a selected line by number.
    std::function<bool(uint32_t nIndex, uint32_t& nRecord)> nth;
};

struct BarRange {
    int nMin = 0;
    int nMax = 0;
    int nPage = 0;
    int nPos = 0;
};

// A scroll bar holds 16-bit positions; beyond this many lines or rows the bar
// runs over 0..kScaledRange instead.
inline constexpr uint32_t kMaxExactLines = 32767;
inline constexpr int kScaledRange = 10000;
// No top kept from a thumb drag.
inline constexpr uint32_t kNoTrackTop = UINT32_MAX;

// Bytes per dump row (at least 4, whatever the group count says).
uint64_t DumpRowBytes(const ScrollState& st);

BarRange VerticalRange(const ScrollState& st, const ScrollDocument& doc);
BarRange HorizontalRange(const ScrollState& st, const ScrollDocument& doc, int nClientWidth,
                         int nCharWidth);
// Lines (records in Hex, rows in Dump) moved by a page step.
uint32_t PageStep(const ScrollState& st);
// Single line steps per wheel notch.
int WheelLines(int nVisibleLines);

enum class ScrollCode {
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbTrack,
    ThumbPosition,
    Top,
    Bottom
};

struct ScrollResult {
    bool bChanged = false;   // the position moved: set the bar, refresh the position pane
    int nShiftLines = 0;     // screen lines to move the contents, >0 down, <0 up
    int nShiftColumns = 0;   // columns to move the contents, >0 right, <0 left
    bool bRepaint = false;   // redraw the whole client area
    bool bPropagate = false; // hand the same code to the other views when scrolling in step
    // While the thumb is dragged: the 1-based line (dump row) the position pane
    // shows instead of the current one.
    std::optional<uint64_t> trackLine;
};

// nTrackTop carries the top chosen while dragging the thumb over a long file to
// the release; the view keeps it between calls and starts with kNoTrackTop.
ScrollResult VerticalScroll(ScrollState& st, const ScrollDocument& doc, ScrollCode code,
                            int nThumbPos, uint32_t& nTrackTop);
// LineUp/LineDown are one column left/right; Top and Bottom do nothing.
ScrollResult HorizontalScroll(ScrollState& st, const ScrollDocument& doc, ScrollCode code,
                              int nThumbPos, int nClientWidth, int nCharWidth, bool bFixedPitch);

// --- a growing file ---

// Whether the last line (dump: the last row) of a document of nRecords records and
// nFileSize bytes is on the screen, judged as the End key places it. With only
// selected lines shown, new lines are not selected: never.
bool ShowsLastLine(const ScrollState& st, uint32_t nRecords, uint64_t nFileSize);
// Moves the view down just far enough that the last line shows, as the End key
// does; never up. True when the top moved.
bool ScrollToLastLine(ScrollState& st, uint32_t nRecords, uint64_t nFileSize);
// After the document grew from nOldRecords records and nOldSize bytes: a view that
// showed the end then shows it now; any other stays where it is. True when it moved.
bool FollowGrowth(ScrollState& st, uint32_t nOldRecords, uint64_t nOldSize, uint32_t nRecords,
                  uint64_t nFileSize);

// --- go to line ---

// A history entry as the combo box lists it: 1234567 -> "1234.567".
std::string FormatGotoEntry(uint32_t n);
// The typed number: dots dropped, leading digits read; saturates below the
// empty-slot marker.
uint32_t ParseGotoText(std::string_view text);
void UpdateGotoHistory(uint32_t (&history)[10], uint32_t n);
// The top line for a typed number n (1-based, 0 = first line), counting all
// lines or only the selected ones.
uint32_t GotoTarget(uint32_t n, bool bSelectedOnly, const ScrollDocument& doc, uint32_t nSelected,
                    int nVisibleLines);
// With only selected lines shown, an unselected target steps back one line so
// that the painter lands on the next selected line.
uint32_t GotoAdjustForOnlySelected(uint32_t nTarget, bool bOnlySelected, const ScrollDocument& doc);
// Moves the view to a GotoTarget result, applying GotoAdjustForOnlySelected
// itself (so pass the unadjusted target); true when the view must refresh.
bool ApplyGotoTarget(ScrollState& st, const ScrollDocument& doc, uint32_t nTarget);

// --- next / previous selected line ---

std::optional<uint32_t> NextSelectedLine(uint32_t nTop, const ScrollDocument& doc);
std::optional<uint32_t> PrevSelectedLine(uint32_t nTop, const ScrollDocument& doc);
bool CanGoNextSelected(DisplayMode eMode, uint32_t nSelected);
bool CanGoPrevSelected(DisplayMode eMode, uint32_t nSelected, uint32_t nTop);

} // namespace tervik
