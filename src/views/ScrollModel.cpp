#include "views/ScrollModel.h"

#include "views/HexDump.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace tervik {

namespace {

// a * b / c without losing the high bits of the product; c > 0.
uint64_t MulDiv(uint64_t a, uint64_t b, uint64_t c) {
    return static_cast<uint64_t>(static_cast<unsigned __int128>(a) * b / c);
}

int ToInt(uint64_t v) {
    return v > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(v);
}

uint32_t ClampPos(int nPos, uint32_t nMax) {
    if (nPos <= 0) return 0;
    return std::min(static_cast<uint32_t>(nPos), nMax);
}

bool Next(const ScrollDocument& doc, uint32_t& n) {
    return doc.next && doc.next(n);
}
bool Prev(const ScrollDocument& doc, uint32_t& n) {
    return doc.prev && doc.prev(n);
}

std::optional<uint32_t> SelectedAtOrBefore(const ScrollDocument& doc, uint32_t n) {
    uint32_t x = n;
    if (n < UINT32_MAX) {
        x = n + 1;
        if (Prev(doc, x)) return x;
        return std::nullopt;
    }
    x = n - 1;
    if (Next(doc, x) && x == n) return x;
    x = n;
    if (Prev(doc, x)) return x;
    return std::nullopt;
}

std::optional<uint32_t> SelectedAtOrAfter(const ScrollDocument& doc, uint32_t n) {
    uint32_t x = n;
    if (n > 0) {
        x = n - 1;
        if (Next(doc, x)) return x;
        return std::nullopt;
    }
    x = 1;
    if (Prev(doc, x) && x == 0) return x;
    x = 0;
    if (Next(doc, x)) return x;
    return std::nullopt;
}

bool IsSelected(const ScrollDocument& doc, uint32_t n) {
    const std::optional<uint32_t> at = SelectedAtOrBefore(doc, n);
    return at && *at == n;
}

// Up to nSteps moves of the cursor; the top follows every successful one.
uint32_t StepSelected(const ScrollDocument& doc, uint32_t nCursor, uint32_t nTop, uint32_t nSteps,
                      bool bForward) {
    for (uint32_t i = 0; i < nSteps; ++i) {
        if (!(bForward ? Next(doc, nCursor) : Prev(doc, nCursor))) break;
        nTop = nCursor;
    }
    return nTop;
}

uint32_t LastLine(const ScrollDocument& doc) {
    return doc.nRecords ? doc.nRecords - 1 : 0;
}

// The top a thumb at nPos stands for when the bar is scaled to 0..10000.
uint32_t ScaledTop(const ScrollDocument& doc, int nPos) {
    const uint64_t nPosition = ClampPos(nPos, kScaledRange);
    const uint64_t nQuotient = std::max<uint64_t>(doc.nRecords * nPosition / kScaledRange, 1);
    return std::min(static_cast<uint32_t>(nQuotient - 1), LastLine(doc));
}

uint64_t LastDumpRowStart(const ScrollDocument& doc, uint64_t nRow) {
    return doc.nFileSize ? (doc.nFileSize - 1) / nRow * nRow : 0;
}

// The dump offset a thumb at nPos stands for, on a row boundary inside the file.
uint64_t DumpThumbOffset(const ScrollDocument& doc, uint64_t nRow, int nPos) {
    const uint64_t nRows = doc.nFileSize / nRow;
    uint64_t nOffset = 0;
    if (nRows <= kMaxExactLines) {
        const uint64_t nMax = nRows + (doc.nFileSize % nRow ? 1 : 0);
        nOffset = ClampPos(nPos, static_cast<uint32_t>(nMax)) * nRow;
    } else {
        nOffset = MulDiv(ClampPos(nPos, kScaledRange), doc.nFileSize, kScaledRange);
        nOffset -= nOffset % nRow;
    }
    return std::min(nOffset, LastDumpRowStart(doc, nRow));
}

ScrollResult DumpScroll(ScrollState& st, const ScrollDocument& doc, ScrollCode code,
                        int nThumbPos) {
    ScrollResult r;
    const uint64_t nRow = DumpRowBytes(st);
    const uint64_t nSize = doc.nFileSize;
    const uint64_t nStep = uint64_t{PageStep(st)} * nRow;
    const uint64_t nOld = st.m_nDumpTop;
    const bool bRoomBelow = nSize > nRow && nOld < nSize - nRow;
    switch (code) {
    case ScrollCode::LineUp:
        if (nOld >= 1) {
            st.m_nDumpTop = nOld >= nRow ? nOld - nRow : 0;
            // A top off the row grid moves by less than a row: the rows change.
            if (nOld - st.m_nDumpTop == nRow)
                r.nShiftLines = 1;
            else
                r.bRepaint = true;
        }
        break;
    case ScrollCode::LineDown:
        if (bRoomBelow) {
            st.m_nDumpTop = nOld + nRow;
            r.nShiftLines = -1;
        }
        break;
    case ScrollCode::PageUp:
        if (nOld > 0) {
            st.m_nDumpTop = nOld > nStep ? nOld - nStep : 0;
            r.bRepaint = true;
        }
        break;
    case ScrollCode::PageDown:
        if (bRoomBelow) {
            // Whole rows only, and the top not beyond the last full row.
            const uint64_t nRows = std::min<uint64_t>(PageStep(st), (nSize - nRow - nOld) / nRow);
            st.m_nDumpTop = nOld + nRows * nRow;
            r.bRepaint = st.m_nDumpTop != nOld;
        }
        break;
    case ScrollCode::ThumbTrack:
        r.trackLine = DumpThumbOffset(doc, nRow, nThumbPos) / nRow + 1;
        break;
    case ScrollCode::ThumbPosition:
        st.m_nDumpTop = DumpThumbOffset(doc, nRow, nThumbPos);
        r.bRepaint = true;
        break;
    case ScrollCode::Top:
        st.m_nDumpTop = 0;
        r.bRepaint = true;
        break;
    case ScrollCode::Bottom: {
        const uint64_t nRows = nSize / nRow + (nSize % nRow ? 1 : 0);
        const uint64_t nPage = PageStep(st);
        st.m_nDumpTop = nRows > nPage ? (nRows - nPage) * nRow : 0;
        r.bRepaint = true;
        break;
    }
    }
    r.bChanged = st.m_nDumpTop != nOld;
    return r;
}

ScrollResult LineScroll(ScrollState& st, const ScrollDocument& doc, ScrollCode code, int nThumbPos,
                        uint32_t& nTrackTop) {
    ScrollResult r;
    const uint32_t nOld = st.m_nTopLine;
    const uint32_t nRecords = doc.nRecords;
    const uint32_t nPage = PageStep(st);
    const int nRecordLines = st.m_eMode == DisplayMode::Hex ? 3 : 1;
    const bool bSelected = st.m_bOnlySelected;
    const bool bScaled = nRecords > kMaxExactLines;
    uint32_t& nTop = st.m_nTopLine;
    switch (code) {
    case ScrollCode::LineUp:
        if (bSelected) {
            uint32_t x = nOld;
            if (Prev(doc, x)) nTop = x;
        } else if (nOld > 0) {
            nTop = nOld - 1;
        }
        if (nTop != nOld) r.nShiftLines = nRecordLines;
        break;
    case ScrollCode::LineDown:
        if (bSelected) {
            uint32_t x = nOld;
            if (Next(doc, x)) nTop = x;
        } else if (uint64_t{nOld} + 1 < nRecords) {
            nTop = nOld + 1;
        }
        if (nTop != nOld) r.nShiftLines = -nRecordLines;
        break;
    case ScrollCode::PageUp:
        if (bSelected)
            nTop = StepSelected(doc, nOld, nOld, nPage, false);
        else if (nOld > 0)
            nTop = nOld > nPage ? nOld - nPage : 0;
        r.bRepaint = nTop != nOld;
        break;
    case ScrollCode::PageDown:
        if (bSelected)
            nTop = StepSelected(doc, nOld, nOld, nPage, true);
        else if (uint64_t{nOld} + 1 < nRecords)
            nTop = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{nOld} + nPage, nRecords - 1));
        r.bRepaint = nTop != nOld;
        break;
    case ScrollCode::ThumbTrack:
        if (bScaled) {
            // Painting a far jump per mouse move would stall; show the line only.
            nTrackTop = ScaledTop(doc, nThumbPos);
            r.trackLine = uint64_t{nTrackTop} + 1;
        } else {
            nTop = ClampPos(nThumbPos, LastLine(doc));
            const uint32_t nMove = nTop > nOld ? nTop - nOld : nOld - nTop;
            // With only selected lines shown the rows between are unknown: the
            // release repaints.
            if (nMove != 0 && !bSelected) {
                if (nMove < nPage)
                    r.nShiftLines = (nTop > nOld ? -1 : 1) * static_cast<int>(nMove) * nRecordLines;
                else
                    r.bRepaint = true;
            }
        }
        break;
    case ScrollCode::ThumbPosition:
        if (bScaled) {
            nTop = nTrackTop != kNoTrackTop ? std::min(nTrackTop, LastLine(doc))
                                            : ScaledTop(doc, nThumbPos);
            r.bRepaint = true;
        } else {
            nTop = ClampPos(nThumbPos, LastLine(doc));
            // Tracking has painted this top already unless the drop came alone.
            r.bRepaint = nTop != nOld;
        }
        nTrackTop = kNoTrackTop;
        if (bSelected) {
            nTop = SelectedAtOrBefore(doc, nTop).value_or(0);
            r.bRepaint = true;
        }
        break;
    case ScrollCode::Top:
        nTop = bSelected ? SelectedAtOrAfter(doc, 0).value_or(0) : 0;
        r.bRepaint = true;
        break;
    case ScrollCode::Bottom:
        // Stepping back from one past the end counts a selected last line.
        if (bSelected)
            nTop = StepSelected(doc, nRecords, nOld, nPage, false);
        else
            nTop = nRecords > nPage ? nRecords - nPage : 0;
        r.bRepaint = true;
        break;
    }
    r.bChanged = nTop != nOld;
    return r;
}

} // namespace

uint64_t DumpRowBytes(const ScrollState& st) {
    return 4 * static_cast<uint64_t>(std::max(st.m_nDumpColumns, 1));
}

BarRange VerticalRange(const ScrollState& st, const ScrollDocument& doc) {
    BarRange r;
    const int nVisible = std::max(st.m_nVisibleLines, 0);
    if (st.m_eMode == DisplayMode::Dump) {
        const uint64_t nRow = DumpRowBytes(st);
        const uint64_t nRows = doc.nFileSize / nRow;
        if (nRows <= kMaxExactLines) {
            r.nMax = static_cast<int>(nRows + (doc.nFileSize % nRow ? 1 : 0));
            r.nPage = nVisible;
            r.nPos = ToInt(std::min<uint64_t>(st.m_nDumpTop / nRow, static_cast<uint64_t>(r.nMax)));
        } else {
            r.nMax = kScaledRange;
            r.nPage = 1;
            r.nPos = ToInt(std::min<uint64_t>(MulDiv(st.m_nDumpTop, kScaledRange, doc.nFileSize),
                                              kScaledRange));
        }
        return r;
    }
    if (doc.nRecords <= kMaxExactLines) {
        r.nMax = static_cast<int>(LastLine(doc));
        const int nPage = st.m_eMode == DisplayMode::Hex ? nVisible / 3 : nVisible;
        r.nPage = std::min(nPage, static_cast<int>(doc.nRecords));
        r.nPos = static_cast<int>(std::min(st.m_nTopLine, LastLine(doc)));
    } else {
        r.nMax = kScaledRange;
        r.nPage = 1;
        r.nPos = ToInt(std::min<uint64_t>(uint64_t{st.m_nTopLine} * kScaledRange / doc.nRecords,
                                          kScaledRange));
    }
    return r;
}

BarRange HorizontalRange(const ScrollState& st, const ScrollDocument& doc, int nClientWidth,
                         int nCharWidth) {
    BarRange r;
    if (st.m_eMode == DisplayMode::Dump)
        r.nMax = DumpRowLength(std::max(st.m_nDumpColumns, 1), DumpOffsetDigits(doc.nFileSize));
    else
        r.nMax = ToInt(doc.nMaxLength ? doc.nMaxLength - 1 : 0);
    const int nColumns = nClientWidth > 0 ? nClientWidth / std::max(nCharWidth, 1) : 0;
    r.nPage = static_cast<int>(std::min<int64_t>(nColumns, int64_t{r.nMax} + 1));
    r.nPos = st.m_nLeftColumn;
    return r;
}

uint32_t PageStep(const ScrollState& st) {
    const int nStep =
        st.m_eMode == DisplayMode::Hex ? st.m_nVisibleLines / 3 : st.m_nVisibleLines - 1;
    return nStep < 1 ? 1 : static_cast<uint32_t>(nStep);
}

int WheelLines(int nVisibleLines) {
    return std::max(nVisibleLines / 5, 1);
}

bool ShowsLastLine(const ScrollState& st, uint32_t nRecords, uint64_t nFileSize) {
    const uint64_t nPage = PageStep(st);
    if (st.m_eMode == DisplayMode::Dump)
        return nFileSize == 0 || nFileSize - 1 < st.m_nDumpTop + nPage * DumpRowBytes(st);
    if (st.m_bOnlySelected) return false;
    return nRecords == 0 || nRecords - 1 < st.m_nTopLine + nPage;
}

bool ScrollToLastLine(ScrollState& st, uint32_t nRecords, uint64_t nFileSize) {
    if (ShowsLastLine(st, nRecords, nFileSize)) return false;
    const uint64_t nPage = PageStep(st);
    if (st.m_eMode == DisplayMode::Dump) {
        const uint64_t nRow = DumpRowBytes(st);
        const uint64_t nRows = nFileSize / nRow + (nFileSize % nRow ? 1 : 0);
        const uint64_t nTop = nRows > nPage ? (nRows - nPage) * nRow : 0;
        if (nTop <= st.m_nDumpTop) return false;
        st.m_nDumpTop = nTop;
        return true;
    }
    if (st.m_bOnlySelected) return false;
    const uint32_t nTop = nRecords > nPage ? static_cast<uint32_t>(nRecords - nPage) : 0;
    if (nTop <= st.m_nTopLine) return false;
    st.m_nTopLine = nTop;
    return true;
}

bool FollowGrowth(ScrollState& st, uint32_t nOldRecords, uint64_t nOldSize, uint32_t nRecords,
                  uint64_t nFileSize) {
    return ShowsLastLine(st, nOldRecords, nOldSize) && ScrollToLastLine(st, nRecords, nFileSize);
}

ScrollResult VerticalScroll(ScrollState& st, const ScrollDocument& doc, ScrollCode code,
                            int nThumbPos, uint32_t& nTrackTop) {
    ScrollResult r = st.m_eMode == DisplayMode::Dump
                         ? DumpScroll(st, doc, code, nThumbPos)
                         : LineScroll(st, doc, code, nThumbPos, nTrackTop);
    switch (code) {
    case ScrollCode::ThumbTrack:
    case ScrollCode::ThumbPosition:
        // Other views would follow a drag they cannot show.
        r.bPropagate = false;
        break;
    case ScrollCode::Top:
    case ScrollCode::Bottom:
        r.bPropagate = true;
        break;
    default:
        r.bPropagate = r.bChanged;
        break;
    }
    return r;
}

ScrollResult HorizontalScroll(ScrollState& st, const ScrollDocument& doc, ScrollCode code,
                              int nThumbPos, int nClientWidth, int nCharWidth, bool bFixedPitch) {
    ScrollResult r;
    const int nOld = st.m_nLeftColumn;
    const int64_t nLimit = int64_t{ToInt(doc.nMaxLength)} - 1;
    // A window narrower than one character still pages by one column.
    const int64_t nPage =
        std::max(nClientWidth > 0 ? nClientWidth / std::max(nCharWidth, 1) : 0, 1);
    int& nLeft = st.m_nLeftColumn;
    bool bOneColumn = false;
    switch (code) {
    case ScrollCode::LineUp:
        if (nOld > 0) nLeft = nOld - 1;
        bOneColumn = true;
        break;
    case ScrollCode::LineDown:
        if (nOld < nLimit) nLeft = nOld + 1;
        bOneColumn = true;
        break;
    case ScrollCode::PageUp:
        if (nOld > 0) nLeft = static_cast<int>(std::max<int64_t>(nOld - nPage, 0));
        break;
    case ScrollCode::PageDown:
        if (nOld < nLimit) nLeft = static_cast<int>(std::min(nOld + nPage, nLimit));
        break;
    case ScrollCode::ThumbTrack:
    case ScrollCode::ThumbPosition:
        nLeft = std::clamp(nThumbPos, 0, HorizontalRange(st, doc, nClientWidth, nCharWidth).nMax);
        break;
    case ScrollCode::Top:
    case ScrollCode::Bottom:
        break;
    }
    r.bChanged = nLeft != nOld;
    if (r.bChanged) {
        if (bOneColumn && bFixedPitch)
            r.nShiftColumns = nLeft < nOld ? 1 : -1;
        else
            r.bRepaint = true;
    }
    r.bPropagate = r.bChanged;
    return r;
}

// ---------------------------------------------------------------- go to line

std::string FormatGotoEntry(uint32_t n) {
    char sz[32];
    if (n < 1000)
        std::snprintf(sz, sizeof sz, "%u", n);
    else
        std::snprintf(sz, sizeof sz, "%u.%03u", n / 1000, n % 1000);
    return sz;
}

uint32_t ParseGotoText(std::string_view text) {
    // UINT32_MAX marks an empty history slot, so the largest number is one less.
    constexpr uint64_t kLargest = UINT32_MAX - 1;
    std::string s;
    for (char c : text.substr(0, 31))
        if (c != '.') s += c;
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r')))
        ++i;
    bool bNegative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) bNegative = s[i++] == '-';
    uint64_t nValue = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        nValue = std::min(nValue * 10 + static_cast<uint64_t>(s[i] - '0'), kLargest);
    return bNegative ? 0 : static_cast<uint32_t>(nValue);
}

void UpdateGotoHistory(uint32_t (&history)[10], uint32_t n) {
    if (n == UINT32_MAX) return;
    for (uint32_t& nSlot : history) {
        if (nSlot == UINT32_MAX) {
            nSlot = n;
            return;
        }
        if (nSlot == n) return;
    }
    std::copy(history + 1, history + 10, history);
    history[9] = n;
}

uint32_t GotoTarget(uint32_t n, bool bSelectedOnly, const ScrollDocument& doc, uint32_t nSelected,
                    int nVisibleLines) {
    uint32_t nTarget = n ? n - 1 : 0;
    if (!bSelectedOnly) {
        if (nTarget >= doc.nRecords) {
            const uint32_t nVisible = static_cast<uint32_t>(std::max(nVisibleLines, 1));
            // The last page; a one-line window still shows the last line.
            nTarget =
                nVisible < doc.nRecords ? std::min(doc.nRecords - nVisible + 1, LastLine(doc)) : 0;
        }
        return nTarget;
    }
    if (nSelected == 0) return 0;
    nTarget = std::min(nTarget, nSelected - 1);
    uint32_t nRecord = 0;
    if (doc.nth && doc.nth(nTarget, nRecord)) return nRecord;
    const std::optional<uint32_t> first = SelectedAtOrAfter(doc, 0);
    if (!first) return 0;
    nRecord = *first;
    for (uint32_t i = 0; i < nTarget; ++i) {
        uint32_t x = nRecord;
        if (!Next(doc, x)) break;
        nRecord = x;
    }
    return nRecord;
}

uint32_t GotoAdjustForOnlySelected(uint32_t nTarget, bool bOnlySelected,
                                   const ScrollDocument& doc) {
    if (bOnlySelected && nTarget > 0 && !IsSelected(doc, nTarget)) return nTarget - 1;
    return nTarget;
}

bool ApplyGotoTarget(ScrollState& st, const ScrollDocument& doc, uint32_t nTarget) {
    if (nTarget == st.m_nTopLine) return false;
    st.m_nTopLine = GotoAdjustForOnlySelected(nTarget, st.m_bOnlySelected, doc);
    return true;
}

// ---------------------------------------------------------------- selected lines

std::optional<uint32_t> NextSelectedLine(uint32_t nTop, const ScrollDocument& doc) {
    uint32_t x = nTop;
    if (Next(doc, x)) return x;
    return std::nullopt;
}

std::optional<uint32_t> PrevSelectedLine(uint32_t nTop, const ScrollDocument& doc) {
    uint32_t x = nTop;
    if (Prev(doc, x)) return x;
    return std::nullopt;
}

bool CanGoNextSelected(DisplayMode eMode, uint32_t nSelected) {
    return eMode != DisplayMode::Dump && nSelected >= 2;
}

bool CanGoPrevSelected(DisplayMode eMode, uint32_t nSelected, uint32_t nTop) {
    return CanGoNextSelected(eMode, nSelected) && nTop > 0;
}

} // namespace tervik
