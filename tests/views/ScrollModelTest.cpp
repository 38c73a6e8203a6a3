#include "views/ScrollModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tervik {
namespace {

constexpr uint32_t kMax32 = UINT32_MAX;

// A document whose selected lines are a sorted list, answering like the record table.
struct FakeDoc {
    std::vector<uint32_t> selected;
    int nNextCalls = 0;
    ScrollDocument doc;

    FakeDoc(uint32_t nRecords, std::vector<uint32_t> sel = {}, uint64_t nFileSize = 0)
        : selected(std::move(sel)) {
        doc.nRecords = nRecords;
        doc.nMaxLength = 100;
        doc.nFileSize = nFileSize;
        doc.next = [this](uint32_t& n) {
            ++nNextCalls;
            auto it = std::upper_bound(selected.begin(), selected.end(), n);
            if (it == selected.end()) return false;
            n = *it;
            return true;
        };
        doc.prev = [this](uint32_t& n) {
            auto it = std::lower_bound(selected.begin(), selected.end(), n);
            if (it == selected.begin()) return false;
            n = *--it;
            return true;
        };
    }
};

ScrollState State(DisplayMode eMode, int nVisible, uint32_t nTop = 0, bool bOnlySelected = false) {
    ScrollState st;
    st.m_eMode = eMode;
    st.m_nVisibleLines = nVisible;
    st.m_nTopLine = nTop;
    st.m_bOnlySelected = bOnlySelected;
    return st;
}

// ------------------------------------------------------------------ ranges

struct RangeCase {
    const char* pszName;
    DisplayMode eMode;
    uint32_t nRecords;
    uint64_t nFileSize;
    uint32_t nTop;
    uint64_t nDumpTop;
    BarRange expected;
};

TEST(ScrollRange, Vertical) {
    const uint64_t k2e40 = uint64_t{1} << 40;
    const RangeCase cases[] = {
        {"short file exact", DisplayMode::Text, 100, 0, 40, 0, {0, 99, 30, 40}},
        {"page at most the records", DisplayMode::Text, 20, 0, 0, 0, {0, 19, 20, 0}},
        {"hex page is a third", DisplayMode::Hex, 100, 0, 0, 0, {0, 99, 10, 0}},
        {"32767 lines still exact", DisplayMode::Text, 32767, 0, 32766, 0, {0, 32766, 30, 32766}},
        {"32768 lines scaled", DisplayMode::Text, 32768, 0, 16384, 0, {0, 10000, 1, 5000}},
        {"40000 lines scaled", DisplayMode::Text, 40000, 0, 20000, 0, {0, 10000, 1, 5000}},
        {"2^32-1 records", DisplayMode::Text, kMax32, 0, kMax32 - 1, 0, {0, 10000, 1, 9999}},
        {"empty document", DisplayMode::Text, 0, 0, 0, 0, {0, 0, 0, 0}},
        {"dump partial row counts", DisplayMode::Dump, 0, 10, 0, 0, {0, 1, 30, 0}},
        {"dump full rows", DisplayMode::Dump, 0, 32, 0, 16, {0, 2, 30, 1}},
        {"dump 32767 rows exact", DisplayMode::Dump, 0, 32767 * 16, 0, 0, {0, 32767, 30, 0}},
        {"dump 32768 rows scaled",
         DisplayMode::Dump,
         0,
         32768 * 16,
         0,
         16384 * 16,
         {0, 10000, 1, 5000}},
        {"dump 2^40 bytes", DisplayMode::Dump, 0, k2e40, 0, k2e40 / 2, {0, 10000, 1, 5000}},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        FakeDoc fake(c.nRecords, {}, c.nFileSize);
        ScrollState st = State(c.eMode, 30, c.nTop);
        st.m_nDumpTop = c.nDumpTop;
        const BarRange r = VerticalRange(st, fake.doc);
        EXPECT_EQ(r.nMin, c.expected.nMin);
        EXPECT_EQ(r.nMax, c.expected.nMax);
        EXPECT_EQ(r.nPage, c.expected.nPage);
        EXPECT_EQ(r.nPos, c.expected.nPos);
    }
}

TEST(ScrollRange, Horizontal) {
    FakeDoc fake(10);
    ScrollState st = State(DisplayMode::Text, 30);
    st.m_nLeftColumn = 7;
    BarRange r = HorizontalRange(st, fake.doc, 400, 8);
    EXPECT_EQ(r.nMax, 99);
    EXPECT_EQ(r.nPage, 50);
    EXPECT_EQ(r.nPos, 7);
    EXPECT_EQ(HorizontalRange(st, fake.doc, 8000, 8).nPage, 100); // at most maximum + 1
    EXPECT_EQ(HorizontalRange(st, fake.doc, 400, 0).nPage, 100);  // no division by zero
    st.m_eMode = DisplayMode::Dump;
    EXPECT_EQ(HorizontalRange(st, fake.doc, 400, 8).nMax, 13 * 4 + 15);
}

TEST(ScrollRange, PageStepAndWheel) {
    const struct {
        DisplayMode eMode;
        int nVisible;
        uint32_t nStep;
    } cases[] = {{DisplayMode::Text, 30, 29}, {DisplayMode::Text, 1, 1},
                 {DisplayMode::Text, 0, 1},   {DisplayMode::Hex, 30, 10},
                 {DisplayMode::Hex, 2, 1},    {DisplayMode::Dump, 30, 29}};
    for (const auto& c : cases)
        EXPECT_EQ(PageStep(State(c.eMode, c.nVisible)), c.nStep) << c.nVisible;
    EXPECT_EQ(WheelLines(30), 6);
    EXPECT_EQ(WheelLines(4), 1);
    EXPECT_EQ(WheelLines(0), 1);
}

// ------------------------------------------------------------------ vertical

struct VCase {
    const char* pszName;
    DisplayMode eMode;
    uint32_t nRecords;
    uint32_t nTop;
    ScrollCode code;
    int nPos;
    uint32_t nNewTop;
    int nShift;
    bool bRepaint;
    bool bPropagate;
};

TEST(ScrollVertical, TextAndHex) {
    const DisplayMode T = DisplayMode::Text, H = DisplayMode::Hex;
    using C = ScrollCode;
    const VCase cases[] = {
        {"line up at the top does nothing", T, 100, 0, C::LineUp, 0, 0, 0, false, false},
        {"line up shifts one line", T, 100, 5, C::LineUp, 0, 4, 1, false, true},
        {"hex line up shifts a record", H, 100, 5, C::LineUp, 0, 4, 3, false, true},
        {"line down on the last line does nothing", T, 100, 99, C::LineDown, 0, 99, 0, false,
         false},
        {"line down", T, 100, 5, C::LineDown, 0, 6, -1, false, true},
        {"page up not below 0", T, 100, 10, C::PageUp, 0, 0, 0, true, true},
        {"page down at most the last line", T, 100, 80, C::PageDown, 0, 99, 0, true, true},
        {"hex page down by a third", H, 100, 0, C::PageDown, 0, 10, 0, true, true},
        {"bottom shows the last page", T, 100, 0, C::Bottom, 0, 71, 0, true, true},
        {"bottom propagates unchanged", T, 100, 71, C::Bottom, 0, 71, 0, true, true},
        {"bottom of a short file", T, 10, 3, C::Bottom, 0, 0, 0, true, true},
        {"top", T, 100, 50, C::Top, 0, 0, 0, true, true},
        {"short drag shifts", T, 1000, 10, C::ThumbTrack, 20, 20, -10, false, false},
        {"short drag up shifts", T, 1000, 10, C::ThumbTrack, 0, 0, 10, false, false},
        {"hex drag shifts records", H, 1000, 10, C::ThumbTrack, 15, 15, -15, false, false},
        {"long drag repaints", T, 1000, 10, C::ThumbTrack, 60, 60, 0, true, false},
        {"drop without drag repaints", T, 1000, 10, C::ThumbPosition, 60, 60, 0, true, false},
        {"drop after drag", T, 1000, 60, C::ThumbPosition, 60, 60, 0, false, false},
        {"drag beyond the end", T, 1000, 10, C::ThumbTrack, 5000, 999, 0, true, false},
        {"empty document", T, 0, 0, C::PageDown, 0, 0, 0, false, false},
    };
    for (const VCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        FakeDoc fake(c.nRecords);
        ScrollState st = State(c.eMode, 30, c.nTop);
        uint32_t nTrack = kNoTrackTop;
        const ScrollResult r = VerticalScroll(st, fake.doc, c.code, c.nPos, nTrack);
        EXPECT_EQ(st.m_nTopLine, c.nNewTop);
        EXPECT_EQ(r.bChanged, c.nNewTop != c.nTop);
        EXPECT_EQ(r.nShiftLines, c.nShift);
        EXPECT_EQ(r.bRepaint, c.bRepaint);
        EXPECT_EQ(r.bPropagate, c.bPropagate);
        EXPECT_FALSE(r.trackLine);
    }
}

TEST(ScrollVertical, LongFileDragShowsLineAndDropMovesThere) {
    FakeDoc fake(40000);
    ScrollState st = State(DisplayMode::Text, 30, 7);
    uint32_t nTrack = kNoTrackTop;
    ScrollResult r = VerticalScroll(st, fake.doc, ScrollCode::ThumbTrack, 5000, nTrack);
    EXPECT_EQ(r.trackLine, 20000u);
    EXPECT_FALSE(r.bRepaint);
    EXPECT_EQ(r.nShiftLines, 0);
    EXPECT_EQ(st.m_nTopLine, 7u);
    // A later scroll bar position must not override the line shown while dragging.
    r = VerticalScroll(st, fake.doc, ScrollCode::ThumbPosition, 1234, nTrack);
    EXPECT_EQ(st.m_nTopLine, 19999u);
    EXPECT_TRUE(r.bRepaint);
    EXPECT_FALSE(r.bPropagate);
    EXPECT_EQ(nTrack, kNoTrackTop);
}

TEST(ScrollVertical, ScaledThumbMapping) {
    const struct {
        uint32_t nRecords;
        int nPos;
        uint32_t nTop;
    } cases[] = {
        {40000, 0, 0},        {40000, 10000, 39999},       {40000, 20000, 39999},
        {40000, -5, 0},       {kMax32, 10000, kMax32 - 1}, {kMax32, 1, 429495},
        {32768, 5000, 16383}, {32767, 5000, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nPos);
        FakeDoc fake(c.nRecords);
        ScrollState st = State(DisplayMode::Text, 30, 3);
        uint32_t nTrack = kNoTrackTop;
        VerticalScroll(st, fake.doc, ScrollCode::ThumbPosition, c.nPos, nTrack);
        EXPECT_EQ(st.m_nTopLine, c.nTop);
    }
}

TEST(ScrollVertical, OnlySelectedSteps) {
    using C = ScrollCode;
    const std::vector<uint32_t> withLast = {3, 10, 11, 20, 50, 99};
    const std::vector<uint32_t> withoutLast = {0, 3, 10, 11, 20, 50};
    const struct {
        const char* pszName;
        const std::vector<uint32_t>& sel;
        uint32_t nTop;
        C code;
        int nPos;
        uint32_t nNewTop;
        bool bRepaint;
    } cases[] = {
        {"line up to previous selected", withLast, 10, C::LineUp, 0, 3, false},
        {"line up before the first", withLast, 3, C::LineUp, 0, 3, false},
        {"line down to next selected", withLast, 11, C::LineDown, 0, 20, false},
        {"line down after the last", withLast, 99, C::LineDown, 0, 99, false},
        {"page down steps three selected", withLast, 3, C::PageDown, 0, 20, true},
        {"page down stops at the last", withLast, 50, C::PageDown, 0, 99, true},
        {"page up steps three selected", withLast, 50, C::PageUp, 0, 10, true},
        {"bottom counts a selected last line", withLast, 0, C::Bottom, 0, 20, true},
        {"bottom from an unselected last line", withoutLast, 0, C::Bottom, 0, 11, true},
        {"top is the first selected", withLast, 50, C::Top, 0, 3, true},
        {"top keeps a selected line 0", withoutLast, 50, C::Top, 0, 0, true},
        {"drag does not paint", withLast, 50, C::ThumbTrack, 15, 15, false},
        {"drop moves back to a selected line", withLast, 15, C::ThumbPosition, 15, 11, true},
        {"drop on a selected line stays", withLast, 50, C::ThumbPosition, 11, 11, true},
        {"drop before every selected line", withLast, 50, C::ThumbPosition, 2, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        FakeDoc fake(100, c.sel);
        ScrollState st = State(DisplayMode::Text, 4, c.nTop, true);
        uint32_t nTrack = kNoTrackTop;
        const ScrollResult r = VerticalScroll(st, fake.doc, c.code, c.nPos, nTrack);
        EXPECT_EQ(st.m_nTopLine, c.nNewTop);
        EXPECT_EQ(r.bRepaint, c.bRepaint);
        EXPECT_EQ(r.nShiftLines != 0, !c.bRepaint && c.nNewTop != c.nTop && c.code < C::ThumbTrack);
    }
}

TEST(ScrollVertical, Dump) {
    using C = ScrollCode;
    const uint64_t k2e40 = uint64_t{1} << 40;
    const struct {
        const char* pszName;
        uint64_t nFileSize;
        uint64_t nTop;
        C code;
        int nPos;
        uint64_t nNewTop;
        int nShift;
        bool bRepaint;
    } cases[] = {
        {"line down one row", 1000, 0, C::LineDown, 0, 16, -1, false},
        {"line down below the last full row", 1000, 976, C::LineDown, 0, 992, -1, false},
        {"line down at the last full row", 1000, 984, C::LineDown, 0, 984, 0, false},
        {"line up one row", 1000, 16, C::LineUp, 0, 0, 1, false},
        {"line up off the row grid repaints", 1000, 8, C::LineUp, 0, 0, 0, true},
        {"page down", 1000, 0, C::PageDown, 0, 64, 0, true},
        {"page down shrinks to whole rows", 1000, 928, C::PageDown, 0, 976, 0, true},
        {"page down without a full row left", 1000, 980, C::PageDown, 0, 980, 0, false},
        {"page up not below 0", 1000, 32, C::PageUp, 0, 0, 0, true},
        {"bottom", 1000, 0, C::Bottom, 0, 944, 0, true},
        {"bottom of a 10-byte file", 10, 0, C::Bottom, 0, 0, 0, true},
        {"bottom of 2^40 bytes", k2e40, 0, C::Bottom, 0, k2e40 - 4 * 16, 0, true},
        {"top", 1000, 500, C::Top, 0, 0, 0, true},
        {"thumb position", 1000, 0, C::ThumbPosition, 3, 48, 0, true},
        {"thumb beyond the data", 1000, 0, C::ThumbPosition, 63, 992, 0, true},
        {"scaled thumb", k2e40, 0, C::ThumbPosition, 5000, k2e40 / 2, 0, true},
        {"scaled thumb on a row", k2e40, 0, C::ThumbPosition, 3333, 366467225536, 0, true},
        {"drag only shows the row", 1000, 32, C::ThumbTrack, 3, 32, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        FakeDoc fake(0, {}, c.nFileSize);
        ScrollState st = State(DisplayMode::Dump, 5);
        st.m_nDumpTop = c.nTop;
        uint32_t nTrack = kNoTrackTop;
        const ScrollResult r = VerticalScroll(st, fake.doc, c.code, c.nPos, nTrack);
        EXPECT_EQ(st.m_nDumpTop, c.nNewTop);
        EXPECT_EQ(r.nShiftLines, c.nShift);
        EXPECT_EQ(r.bRepaint, c.bRepaint);
    }
    FakeDoc fake(0, {}, 1000);
    ScrollState st = State(DisplayMode::Dump, 5);
    uint32_t nTrack = kNoTrackTop;
    EXPECT_EQ(VerticalScroll(st, fake.doc, C::ThumbTrack, 3, nTrack).trackLine, 4u);
}

// ------------------------------------------------------------------ horizontal

TEST(ScrollHorizontal, Codes) {
    using C = ScrollCode;
    const struct {
        const char* pszName;
        DisplayMode eMode;
        uint32_t nMaxLength;
        int nLeft;
        C code;
        int nPos;
        bool bFixed;
        int nNewLeft;
        int nShift;
    } cases[] = {
        {"left at column 0", DisplayMode::Text, 100, 0, C::LineUp, 0, true, 0, 0},
        {"left shifts with a fixed font", DisplayMode::Text, 100, 5, C::LineUp, 0, true, 4, 1},
        {"left repaints with a proportional font", DisplayMode::Text, 100, 5, C::LineUp, 0, false,
         4, 0},
        {"right shifts", DisplayMode::Text, 100, 98, C::LineDown, 0, true, 99, -1},
        {"right at the limit", DisplayMode::Text, 100, 99, C::LineDown, 0, true, 99, 0},
        {"dump limited by the longest line", DisplayMode::Dump, 10, 9, C::LineDown, 0, true, 9, 0},
        {"page right at most the limit", DisplayMode::Text, 100, 70, C::PageDown, 0, true, 99, 0},
        {"page left not below 0", DisplayMode::Text, 100, 30, C::PageUp, 0, true, 0, 0},
        {"thumb track", DisplayMode::Text, 100, 0, C::ThumbTrack, 40, true, 40, 0},
        {"thumb position clamped", DisplayMode::Text, 100, 0, C::ThumbPosition, 500, true, 99, 0},
        {"empty document", DisplayMode::Text, 0, 0, C::PageDown, 0, true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        FakeDoc fake(10);
        fake.doc.nMaxLength = c.nMaxLength;
        ScrollState st = State(c.eMode, 30);
        st.m_nLeftColumn = c.nLeft;
        const ScrollResult r = HorizontalScroll(st, fake.doc, c.code, c.nPos, 400, 8, c.bFixed);
        EXPECT_EQ(st.m_nLeftColumn, c.nNewLeft);
        EXPECT_EQ(r.nShiftColumns, c.nShift);
        EXPECT_EQ(r.bRepaint, c.nNewLeft != c.nLeft && c.nShift == 0);
        EXPECT_EQ(r.bPropagate, c.nNewLeft != c.nLeft);
        EXPECT_EQ(r.nShiftLines, 0);
    }
}

TEST(ScrollHorizontal, NarrowWindowStillPages) {
    FakeDoc fake(10);
    ScrollState st = State(DisplayMode::Text, 30);
    HorizontalScroll(st, fake.doc, ScrollCode::PageDown, 0, 3, 8, true);
    EXPECT_EQ(st.m_nLeftColumn, 1);
    HorizontalScroll(st, fake.doc, ScrollCode::PageDown, 0, 400, 0, true);
    EXPECT_GT(st.m_nLeftColumn, 1);
}

// ------------------------------------------------------------------ a growing file

// A view the End key placed keeps the end in sight as the document grows, landing
// where End would place it now; a view elsewhere, or showing only selected lines,
// stays where it is.
TEST(ScrollGrowth, TheEndStaysInViewOnlyWhereItWas) {
    uint32_t nNoTrack = kNoTrackTop;
    // Records grow from nOld to nNew; a record is 16 bytes, so dump rows grow alike.
    const struct {
        const char* pszName;
        DisplayMode eMode;
        int nVisible;
        uint32_t nOld;
        uint32_t nNew;
    } cases[] = {
        {"text", DisplayMode::Text, 20, 100, 130},
        {"text, one line", DisplayMode::Text, 1, 100, 101},
        {"text fitting", DisplayMode::Text, 20, 5, 50},
        {"hex", DisplayMode::Hex, 20, 100, 130},
        {"hex, tiny", DisplayMode::Hex, 2, 10, 12},
        {"dump", DisplayMode::Dump, 20, 100, 130},
        {"dump, grow in a row", DisplayMode::Dump, 20, 100, 101},
        {"from nothing", DisplayMode::Text, 20, 0, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        const uint64_t nOldSize = 16ull * c.nOld, nNewSize = 16ull * c.nNew;
        FakeDoc oldDoc(c.nOld, {}, nOldSize), newDoc(c.nNew, {}, nNewSize);
        ScrollState atEnd = State(c.eMode, c.nVisible);
        VerticalScroll(atEnd, oldDoc.doc, ScrollCode::Bottom, 0, nNoTrack);
        ASSERT_TRUE(ShowsLastLine(atEnd, c.nOld, nOldSize));
        ScrollState expected = State(c.eMode, c.nVisible);
        VerticalScroll(expected, newDoc.doc, ScrollCode::Bottom, 0, nNoTrack);
        FollowGrowth(atEnd, c.nOld, nOldSize, c.nNew, nNewSize);
        EXPECT_EQ(atEnd.m_nTopLine, expected.m_nTopLine);
        EXPECT_EQ(atEnd.m_nDumpTop, expected.m_nDumpTop);
        EXPECT_TRUE(ShowsLastLine(atEnd, c.nNew, nNewSize));

        // One line (row) further up the end is out of sight: nothing moves.
        ScrollState above = State(c.eMode, c.nVisible);
        VerticalScroll(above, oldDoc.doc, ScrollCode::Bottom, 0, nNoTrack);
        const bool bRoom = above.m_nTopLine > 0 || above.m_nDumpTop > 0;
        if (bRoom) {
            VerticalScroll(above, oldDoc.doc, ScrollCode::LineUp, 0, nNoTrack);
            const ScrollState before = above;
            EXPECT_FALSE(ShowsLastLine(above, c.nOld, nOldSize));
            EXPECT_FALSE(FollowGrowth(above, c.nOld, nOldSize, c.nNew, nNewSize));
            EXPECT_EQ(above.m_nTopLine, before.m_nTopLine);
            EXPECT_EQ(above.m_nDumpTop, before.m_nDumpTop);
        }
    }
    // Only selected lines shown: the new lines are not selected and never pull.
    ScrollState selected = State(DisplayMode::Text, 20, 0, true);
    EXPECT_FALSE(ShowsLastLine(selected, 5, 80));
    EXPECT_FALSE(FollowGrowth(selected, 5, 80, 500, 8000));
    EXPECT_EQ(selected.m_nTopLine, 0u);
    // A view below the end (after the file shrank) is never pulled up.
    ScrollState below = State(DisplayMode::Text, 20, 90);
    EXPECT_FALSE(FollowGrowth(below, 50, 800, 60, 960));
    EXPECT_EQ(below.m_nTopLine, 90u);
}

// ------------------------------------------------------------------ go to line

TEST(GotoText, FormatAndParse) {
    const struct {
        uint32_t n;
        const char* psz;
    } formats[] = {{0, "0"},        {999, "999"},          {1000, "1.000"},
                   {1234, "1.234"}, {1234567, "1234.567"}, {4294967294u, "4294967.294"}};
    for (const auto& c : formats)
        EXPECT_EQ(FormatGotoEntry(c.n), c.psz);

    const struct {
        std::string text;
        uint32_t n;
    } parses[] = {
        {"1.234", 1234},
        {"1234.567", 1234567},
        {"1.2.3", 123},
        {"", 0},
        {"abc", 0},
        {"12ab", 12},
        {"  42", 42},
        {"-5", 0},
        {"4294967294", 4294967294u},
        {"4294967295", kMax32 - 1}, // never the empty-slot marker
        {"99999999999999999999999", kMax32 - 1},
        {std::string(30, ' ') + "12", 1}, // only 31 characters are read
    };
    for (const auto& c : parses)
        EXPECT_EQ(ParseGotoText(c.text), c.n) << c.text;
    for (uint32_t n : {0u, 7u, 1234u, 1234567u, 4294967294u})
        EXPECT_EQ(ParseGotoText(FormatGotoEntry(n)), n);
}

TEST(GotoHistory, Update) {
    constexpr uint32_t E = kMax32;
    const struct {
        const char* pszName;
        uint32_t before[10];
        uint32_t n;
        uint32_t after[10];
    } cases[] = {
        {"first entry", {E, E, E, E, E, E, E, E, E, E}, 5, {5, E, E, E, E, E, E, E, E, E}},
        {"known entry", {5, 6, E, E, E, E, E, E, E, E}, 6, {5, 6, E, E, E, E, E, E, E, E}},
        {"only entries before the gap count",
         {5, E, 7, E, E, E, E, E, E, E},
         7,
         {5, 7, 7, E, E, E, E, E, E, E}},
        {"full drops the oldest",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
         11,
         {2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {"full and known", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"the marker is not stored",
         {1, E, E, E, E, E, E, E, E, E},
         E,
         {1, E, E, E, E, E, E, E, E, E}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        uint32_t history[10];
        std::copy(std::begin(c.before), std::end(c.before), history);
        UpdateGotoHistory(history, c.n);
        EXPECT_TRUE(std::equal(std::begin(history), std::end(history), std::begin(c.after)));
    }
}

TEST(GotoTarget, Lines) {
    const struct {
        uint32_t nRecords;
        int nVisible;
        uint32_t n;
        uint32_t nTop;
    } cases[] = {
        {100, 30, 0, 0},    {100, 30, 1, 0},
        {100, 30, 50, 49},  {100, 30, 100, 99},
        {100, 30, 101, 71}, {100, 30, kMax32 - 1, 71},
        {10, 30, 11, 0},    {100, 1, 500, 99},
        {0, 30, 5, 0},      {kMax32, 30, kMax32 - 1, kMax32 - 2},
    };
    for (const auto& c : cases) {
        FakeDoc fake(c.nRecords);
        EXPECT_EQ(GotoTarget(c.n, false, fake.doc, 0, c.nVisible), c.nTop)
            << c.nRecords << " " << c.n;
    }
}

TEST(GotoTarget, SelectedLines) {
    const struct {
        std::vector<uint32_t> sel;
        uint32_t n;
        uint32_t nTop;
    } cases[] = {
        {{3, 10, 20}, 0, 3},  {{3, 10, 20}, 1, 3}, {{3, 10, 20}, 2, 10}, {{3, 10, 20}, 3, 20},
        {{3, 10, 20}, 9, 20}, {{0, 10}, 1, 0},     {{}, 4, 0},
    };
    for (const auto& c : cases) {
        FakeDoc fake(100, c.sel);
        const uint32_t nSelected = static_cast<uint32_t>(c.sel.size());
        EXPECT_EQ(GotoTarget(c.n, true, fake.doc, nSelected, 30), c.nTop) << c.n;
        // The indexed lookup, when offered, gives the same line without a walk.
        fake.doc.nth = [&fake](uint32_t i, uint32_t& nRecord) {
            if (i >= fake.selected.size()) return false;
            nRecord = fake.selected[i];
            return true;
        };
        fake.nNextCalls = 0;
        EXPECT_EQ(GotoTarget(c.n, true, fake.doc, nSelected, 30), c.nTop) << c.n;
        if (!c.sel.empty()) {
            EXPECT_EQ(fake.nNextCalls, 0);
        }
    }
}

TEST(GotoTarget, OnlySelectedAdjustment) {
    FakeDoc fake(100, {10, 20});
    EXPECT_EQ(GotoAdjustForOnlySelected(15, true, fake.doc), 14u);
    EXPECT_EQ(GotoAdjustForOnlySelected(10, true, fake.doc), 10u);
    EXPECT_EQ(GotoAdjustForOnlySelected(0, true, fake.doc), 0u);
    EXPECT_EQ(GotoAdjustForOnlySelected(15, false, fake.doc), 15u);

    ScrollState st = State(DisplayMode::Text, 30, 15, true);
    EXPECT_FALSE(ApplyGotoTarget(st, fake.doc, 15));
    EXPECT_EQ(st.m_nTopLine, 15u);
    EXPECT_TRUE(ApplyGotoTarget(st, fake.doc, 30));
    EXPECT_EQ(st.m_nTopLine, 29u);
}

// ------------------------------------------------------------------ selected lines

TEST(ScrollSelectedLines, NextAndPrevious) {
    FakeDoc fake(100, {3, 10, 20});
    EXPECT_EQ(NextSelectedLine(10, fake.doc), 20u);
    EXPECT_EQ(NextSelectedLine(0, fake.doc), 3u);
    EXPECT_FALSE(NextSelectedLine(20, fake.doc)); // F8 on the last selected line
    EXPECT_EQ(PrevSelectedLine(15, fake.doc), 10u);
    EXPECT_FALSE(PrevSelectedLine(3, fake.doc));
    EXPECT_FALSE(PrevSelectedLine(0, fake.doc));
    ScrollDocument none;
    EXPECT_FALSE(NextSelectedLine(0, none));
}

TEST(ScrollSelectedLines, Enabled) {
    const struct {
        DisplayMode eMode;
        uint32_t nSelected;
        uint32_t nTop;
        bool bNext;
        bool bPrev;
    } cases[] = {
        {DisplayMode::Text, 2, 5, true, true},   {DisplayMode::Hex, 2, 5, true, true},
        {DisplayMode::Text, 1, 5, false, false}, {DisplayMode::Text, 2, 0, true, false},
        {DisplayMode::Dump, 5, 5, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CanGoNextSelected(c.eMode, c.nSelected), c.bNext);
        EXPECT_EQ(CanGoPrevSelected(c.eMode, c.nSelected, c.nTop), c.bPrev);
    }
}

} // namespace
} // namespace tervik
