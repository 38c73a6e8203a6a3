#include "views/MarkModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace tervik {
namespace {

// Lines with tabs expanded to runs of tab characters (tab size 4), some selected.
struct FakeDoc {
    std::vector<std::string> lines;
    std::vector<uint32_t> selected;
    MarkDocument doc;

    static std::string Expand(const std::string& s) {
        std::string out;
        for (char c : s) {
            if (c != '\t') {
                out += c;
                continue;
            }
            do
                out += '\t';
            while (out.size() % 4 != 0);
        }
        return out;
    }

    explicit FakeDoc(std::vector<std::string> l, std::vector<uint32_t> sel = {})
        : lines(std::move(l)), selected(std::move(sel)) {
        doc.nRecords = static_cast<uint32_t>(lines.size());
        doc.length = [this](uint32_t r) {
            return static_cast<uint32_t>(Expand(lines.at(r)).size());
        };
        doc.text = [this](uint32_t r, char* p, uint32_t nMax, uint32_t nSkip) {
            const std::string e = Expand(lines.at(r));
            if (nSkip >= e.size()) return 0u;
            const auto n = static_cast<uint32_t>(std::min<size_t>(nMax, e.size() - nSkip));
            std::memcpy(p, e.data() + nSkip, n);
            return n;
        };
        doc.selected = [this](uint32_t r) {
            return std::find(selected.begin(), selected.end(), r) != selected.end();
        };
        doc.next = [this](uint32_t& r) {
            auto it = std::upper_bound(selected.begin(), selected.end(), r);
            if (it == selected.end()) return false;
            r = *it;
            return true;
        };
    }
};

// Every character 10 pixels wide, "W" 20.
struct FakeMeasure : ITextMeasure {
    int TextWidth(std::string_view s) override {
        int w = 0;
        for (char c : s)
            w += c == 'W' ? 20 : 10;
        return w;
    }
};

using Range = std::pair<int64_t, int64_t>;

MarkState Marking(MarkPos a, MarkPos b) {
    MarkState m;
    m.m_bMarking = true;
    m.m_mark1 = a;
    m.m_mark2 = b;
    return m;
}

// ------------------------------------------------------------------ hit test

TEST(MarkHitTest, Table) {
    FakeDoc f({"aWb", "line one", "x", "y", "z", "w", "v"}, {1, 3, 6});
    struct Case {
        const char* pszName;
        DisplayMode eMode;
        bool bOnlySelected;
        bool bFixed;
        uint32_t nTop;
        int nLeft;
        int x, y;
        std::optional<MarkPos> expected;
    };
    const Case cases[] = {
        {"text row and column", DisplayMode::Text, false, true, 1, 0, 25, 35, MarkPos{4, 3}},
        {"left column added", DisplayMode::Text, false, true, 0, 7, 0, 0, MarkPos{0, 7}},
        {"hex: three rows a line", DisplayMode::Hex, false, true, 0, 0, 5, 50, MarkPos{1, 0}},
        {"below the end: past the last line", DisplayMode::Text, false, true, 5, 0, 0, 40,
         MarkPos{9, 0}},
        {"left of the client", DisplayMode::Text, false, true, 0, 0, -1, 5, std::nullopt},
        {"right of the client", DisplayMode::Text, false, true, 0, 0, 200, 5, std::nullopt},
        {"below the client", DisplayMode::Text, false, true, 0, 0, 5, 100, std::nullopt},
        {"only selected: row 0 is the top", DisplayMode::Text, true, true, 1, 0, 0, 5,
         MarkPos{1, 0}},
        {"only selected: row 2 the 2nd after", DisplayMode::Text, true, true, 1, 0, 0, 25,
         MarkPos{6, 0}},
        {"only selected: below the last shown", DisplayMode::Text, true, true, 1, 0, 0, 35,
         std::nullopt},
        {"only selected hex", DisplayMode::Hex, true, true, 1, 0, 0, 35, MarkPos{3, 0}},
        {"proportional: inside a wide glyph", DisplayMode::Text, false, false, 0, 0, 29, 0,
         MarkPos{0, 1}},
        {"proportional: next glyph", DisplayMode::Text, false, false, 0, 0, 30, 0, MarkPos{0, 2}},
        {"proportional: beyond the text is its length", DisplayMode::Text, false, false, 0, 0, 90,
         0, MarkPos{0, 3}},
    };
    FakeMeasure measure;
    {
        // A glyph advance of 7.8 pixels: column 100 starts at 780, not at 800.
        ScrollState st;
        HitGeometry g{1000, 80, 10, 8, true, 7.8};
        EXPECT_EQ(HitTest(st, g, f.doc, 781, 0), (MarkPos{0, 100}));
    }
    for (const Case& c : cases) {
        ScrollState st;
        st.m_eMode = c.eMode;
        st.m_bOnlySelected = c.bOnlySelected;
        st.m_nTopLine = c.nTop;
        st.m_nLeftColumn = c.nLeft;
        const HitGeometry g{100, 80, 10, 8, c.bFixed};
        EXPECT_EQ(HitTest(st, g, f.doc, c.x, c.y, &measure), c.expected) << c.pszName;
    }
}

// ------------------------------------------------------------------ marked columns

TEST(MarkColumns, StreamAndBlock) {
    struct Case {
        const char* pszName;
        bool bBlock;
        int64_t nLine, nLength;
        std::optional<std::pair<int64_t, int64_t>> expected;
    };
    // Ordered pair (2, 5) .. (4, 8).
    const Case cases[] = {
        {"stream first line to its end", false, 2, 10, std::make_pair(5, 9)},
        {"stream middle line whole", false, 3, 3, std::make_pair(0, 2)},
        {"stream last line from 0", false, 4, 7, std::make_pair(0, 8)},
        {"stream empty middle line", false, 3, 0, std::nullopt},
        {"outside the lines", false, 5, 20, std::nullopt},
        {"block cut to the line", true, 4, 7, std::make_pair(5, 6)},
        {"block whole range", true, 2, 10, std::make_pair(5, 8)},
        {"block line not longer than the start", true, 3, 5, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto r = MarkedColumns({2, 5}, {4, 8}, c.bBlock, c.nLine, c.nLength);
        ASSERT_EQ(r.has_value(), c.expected.has_value()) << c.pszName;
        if (r) {
            EXPECT_EQ(std::make_pair(r->m_nFirst, r->m_nLast), *c.expected) << c.pszName;
        }
    }
    // One line in stream mode: first to second column; block takes the smaller first.
    const auto one = MarkedColumns({1, 2}, {1, 4}, false, 1, 10);
    EXPECT_EQ(one->m_nFirst, 2);
    EXPECT_EQ(one->m_nLast, 4);
    const auto block = MarkedColumns({1, 6}, {3, 2}, true, 2, 10);
    EXPECT_EQ(block->m_nFirst, 2);
    EXPECT_EQ(block->m_nLast, 6);
}

TEST(MarkColumns, ShownFromLeftColumn) {
    EXPECT_EQ(ShownPart({3, 6}, 3), Range(0, 4));
    EXPECT_EQ(ShownPart({5, 6}, 3), Range(2, 2));
    EXPECT_EQ(ShownPart({1, 6}, 3), Range(0, 4));
    EXPECT_EQ(ShownPart({1, 2}, 3), std::nullopt);
}

// ------------------------------------------------------------------ copy text and size

TEST(MarkCopy, TextAndSize) {
    struct Case {
        const char* pszName;
        std::vector<std::string> lines;
        std::vector<uint32_t> selected;
        bool bOnlySelected;
        bool bBlock;
        MarkPos a, b;
        std::string text;
    };
    const Case cases[] = {
        {"stream over two lines", {"abcdef", "xyz"}, {}, false, false, {0, 3}, {1, 1}, "def\r\nxy"},
        {"block over lines of 10, 3 and 7",
         {"", "", "0123456789", "abc", "ABCDEFG"},
         {},
         false,
         true,
         {2, 5},
         {4, 8},
         "5678\r\n\r\nFG"},
        {"a tab at column 0 as a run of tabs",
         {"\tx"},
         {},
         false,
         false,
         {0, 0},
         {0, 4},
         "\t\t\t\tx"},
        {"upwards marking copies the same",
         {"abcdef", "xyz"},
         {},
         false,
         false,
         {1, 1},
         {0, 3},
         "def\r\nxy"},
        {"one line", {"abcdef"}, {}, false, false, {0, 1}, {0, 3}, "bcd"},
        {"only selected lines, no line end after the last",
         {"aa", "bb", "cc", "dd"},
         {0, 2},
         true,
         false,
         {0, 0},
         {3, 1},
         "aa\r\ncc"},
        {"only selected: one unselected line copies nothing",
         {"aa", "bb"},
         {0},
         true,
         false,
         {1, 0},
         {1, 1},
         ""},
        {"middle lines whole, empty ones too",
         {"ab", "", "cd", "ef"},
         {},
         false,
         false,
         {0, 1},
         {3, 0},
         "b\r\n\r\ncd\r\ne"},
    };
    for (const Case& c : cases) {
        FakeDoc f(c.lines, c.selected);
        const MarkState m = Marking(c.a, c.b);
        std::string text;
        EXPECT_EQ(BuildMarkedText(m, c.bBlock, c.bOnlySelected, f.doc, text), BuildResult::Done);
        EXPECT_EQ(text, c.text) << c.pszName;
        // The size is the text and its NUL; nothing copied has size 0.
        const uint64_t nSize = *MarkedTextSize(m, c.bBlock, c.bOnlySelected, f.doc);
        EXPECT_EQ(nSize, text.empty() && c.bOnlySelected ? 0 : text.size() + 1) << c.pszName;
    }
}

TEST(MarkCopy, ProgressStopsAndNoMarkingIsEmpty) {
    std::vector<std::string> lines(200000, "x");
    FakeDoc f(lines);
    MarkState m;
    MarkAll(m, f.doc);
    EXPECT_EQ(m.m_mark2, (MarkPos{199999, 0}));
    std::string text;
    int nCalls = 0;
    const MarkProgress stop = [&](uint64_t nDone, uint64_t nTotal) {
        EXPECT_LT(nDone, nTotal);
        return ++nCalls < 2;
    };
    EXPECT_EQ(BuildMarkedText(m, false, false, f.doc, text, 0, stop), BuildResult::Stopped);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(MarkedTextSize(m, false, false, f.doc, [](uint64_t, uint64_t) { return false; }),
              std::nullopt);
    ClearMarking(m);
    EXPECT_EQ(*MarkedTextSize(m, false, false, f.doc), 0u);
}

TEST(MarkCopy, LargeCopyQuestion) {
    EXPECT_EQ(GroupDigits64(1234567), "1.234.567");
    EXPECT_EQ(GroupDigits64(999), "999");
    EXPECT_EQ(GroupDigits64(1000), "1.000");
    EXPECT_EQ(AskCopyText(300000000), "Die Markierung umfasst 300.000.000 Bytes. Sollen sie "
                                      "wirklich in die Zwischenablage kopiert werden?");
}

// ------------------------------------------------------------------ making a marking

TEST(MarkMaking, WordDoubleClick) {
    const std::string line = "a=bc;d";
    const auto word = WordAt(line, 2);
    EXPECT_EQ(std::make_pair(word->m_nFirst, word->m_nLast), Range(2, 3));
    const auto delim = WordAt(line, 1);
    EXPECT_EQ(std::make_pair(delim->m_nFirst, delim->m_nLast), Range(0, 5));
    EXPECT_EQ(WordAt(line, 6), std::nullopt);
    int nDelimiters = 0;
    for (int c = 0; c < 256; ++c)
        nDelimiters += IsWordDelimiter(static_cast<char>(c));
    EXPECT_EQ(nDelimiters, 24);
}

TEST(MarkMaking, MouseDragOrdersOnRelease) {
    MarkState m;
    EXPECT_FALSE(MouseDown(m, MarkPos{5, 4}, 10));
    m.m_bTracking = true; // the view took the capture
    // A step on the same line repaints that line; the first step already marks.
    EXPECT_EQ(MouseMove(m, MarkPos{5, 2}, 10, false).eRepaint, MarkRepaint::Line);
    EXPECT_TRUE(m.m_bMarking);
    // Beyond the end in stream mode: the last column.
    const MoveResult r = MouseMove(m, MarkPos{3, 40}, 10, false);
    EXPECT_EQ(r.eRepaint, MarkRepaint::All);
    EXPECT_EQ(r.shown, (MarkPos{3, 9}));
    EXPECT_EQ(MouseMove(m, MarkPos{3, 40}, 10, false).eRepaint, MarkRepaint::None);
    MouseUp(m);
    EXPECT_EQ(m.m_mark1, (MarkPos{3, 9}));
    EXPECT_EQ(m.m_mark2, (MarkPos{5, 4}));
    // Block mode keeps a column beyond the end.
    m.m_bMarkingShown = true;
    EXPECT_TRUE(MouseDown(m, MarkPos{1, 1}, 10));
    MouseMove(m, MarkPos{2, 30}, 5, true);
    EXPECT_EQ(m.m_mark2, (MarkPos{2, 30}));
    // A press beyond the text sets no first position; moving over text does nothing.
    MouseDown(m, MarkPos{1, 20}, 10);
    EXPECT_FALSE(MouseMove(m, MarkPos{1, 3}, 10, false).shown);
    EXPECT_FALSE(m.m_bMarking);
}

TEST(MarkMaking, ShiftKeysAndMarkerPoints) {
    MarkState m;
    ShiftKeyMark(m, 10, 6);
    ShiftKeyMark(m, 11, 0);
    EXPECT_EQ(m.m_mark1, (MarkPos{10, 0}));
    EXPECT_EQ(m.m_mark2, (MarkPos{11, -1}));
    // A Shift marking upwards stays unordered; the copy orders it.
    m = {};
    ShiftKeyMark(m, 10, 3);
    ShiftKeyMark(m, 9, 3);
    EXPECT_EQ(m.m_mark2, (MarkPos{9, 2}));
    FakeDoc f(std::vector<std::string>(12, "abc"));
    std::string text;
    BuildMarkedText(m, false, false, f.doc, text);
    EXPECT_EQ(text, "c\r\na");

    m = {};
    SetFirstMarkPoint(m, {4, 2});
    EXPECT_TRUE(m.m_bMarkPoint);
    EXPECT_FALSE(m.m_bMarking);
    SetSecondMarkPoint(m, {1, 1});
    EXPECT_FALSE(m.m_bMarkPoint);
    EXPECT_EQ(m.m_mark1, (MarkPos{1, 1}));
    EXPECT_EQ(m.m_mark2, (MarkPos{4, 2}));
    SetFirstMarkPoint(m, {6, 0});
    EXPECT_EQ(m.m_mark1, (MarkPos{4, 2}));
    EXPECT_EQ(m.m_mark2, (MarkPos{6, 0}));
}

TEST(MarkMaking, StreamSwitchMovesColumnsBeyondTheEnd) {
    FakeDoc f({"abc", "abcdef", "ab"});
    MarkState m = Marking({0, 5}, {2, 5});
    OnStreamModeSwitched(m, f.doc);
    EXPECT_EQ(m.m_mark1, (MarkPos{0, 2}));
    EXPECT_EQ(m.m_mark2, (MarkPos{2, 1}));
}

} // namespace
} // namespace tervik
