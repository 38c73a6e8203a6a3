#include "search/SearchEngine.h"
#include "views/HitPlacement.h"

#include "RandomUtf8.h"
#include "base/Strings.h"
#include "document/Ebcdic.h"
#include "document/FakeDocumentHost.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tervik {
namespace {

using test::CDocFixture;
using test::TextOf;

struct Pos {
    uint32_t line;
    int column;
    bool operator==(const Pos&) const = default;
};

class SearchEngineTest : public CDocFixture {
protected:
    TextHit m_text;
    DumpHit m_dump;

    std::optional<Pos> Text(std::string_view pat, Pos from, bool bBackward = false,
                            bool bOnlySelected = false) {
        int64_t off = 0;
        if (FindNext(Doc(), pat, false, bBackward, bOnlySelected, from.line, from.column, off,
                     m_text, m_dump) != FindResult::Found)
            return std::nullopt;
        return from;
    }
    std::optional<int64_t> Dump(std::string_view pat, int64_t from, bool bBackward = false) {
        uint32_t line = 0;
        int col = 0;
        if (FindNext(Doc(), pat, true, bBackward, false, line, col, from, m_text, m_dump) !=
            FindResult::Found)
            return std::nullopt;
        return from;
    }
    // The next search from the shown hit, as the command does it.
    std::optional<Pos> Again(std::string_view pat, bool bBackward) {
        m_text.m_bShown = true;
        ScrollState st;
        const auto s = ChooseSearchStart(Doc(), st, DecodePattern(pat), bBackward, m_text, m_dump);
        if (!s) return std::nullopt;
        return Text(pat, {s->m_nLine, s->m_nColumn}, bBackward);
    }

    struct Hit {
        uint32_t line;
        uint32_t column;
        int64_t offset;
        uint32_t length;
        bool operator==(const Hit&) const = default;
    };
    // The hits of repeated searches, each continuing from the hit before it shown on
    // screen; at most nBound + 1.
    std::vector<Hit> AllHits(const std::string& line, ScrollState st, bool bBackward,
                             bool bOnlySelected = false, size_t nBound = 100000) {
        const SearchPattern pattern = DecodePattern(line);
        const bool bDump = st.m_eMode == DisplayMode::Dump;
        std::vector<Hit> hits;
        TextHit textHit;
        DumpHit dumpHit;
        while (hits.size() <= nBound) {
            const auto s = ChooseSearchStart(Doc(), st, pattern, bBackward, textHit, dumpHit);
            if (!s) break;
            uint32_t nLine = s->m_nLine;
            int nColumn = s->m_nColumn;
            int64_t nOffset = s->m_nOffset;
            if (FindNext(Doc(), line, bDump, bBackward, bOnlySelected, nLine, nColumn, nOffset,
                         textHit, dumpHit) != FindResult::Found)
                break;
            textHit.m_bShown = dumpHit.m_bShown = true;
            hits.push_back(bDump ? Hit{0, 0, dumpHit.m_nOffset, dumpHit.m_nLength}
                                 : Hit{textHit.m_nLine, textHit.m_nColumn, 0, textHit.m_nLength});
        }
        return hits;
    }
    // The file's end as the start of a backward search: the last line where a hit at
    // the start of a line behind it would put it, the dump's last byte.
    ScrollState AtEnd(const std::string& line, DisplayMode mode) {
        ScrollState st;
        st.m_eMode = mode;
        const uint32_t nLast = Doc().m_nRecords - 1;
        st.m_nTopLine = nLast;
        st.m_nLeftColumn = std::max(0, static_cast<int>(Doc().GetRecordLength(nLast, true)) -
                                           FixedLength(DecodePattern(line)));
        st.m_nDumpTop = static_cast<uint64_t>(Doc().m_nFileSize);
        return st;
    }
};

TEST_F(SearchEngineTest, RepeatedForwardSearchesFindEveryOccurrenceInOrder) {
    ASSERT_TRUE(OpenBytes("xx\naaaa\nfoo bar foo\n"));
    std::vector<int> cols;
    for (auto p = Text("aa", {0, 0}); p; p = Again("aa", false)) {
        if (p->line != 1) break;
        cols.push_back(p->column);
    }
    EXPECT_EQ(cols, (std::vector<int>{0, 1, 2}));

    ASSERT_EQ(Text("FOO", {0, 0}), (Pos{2, 0}));
    EXPECT_EQ(Again("FOO", false), (Pos{2, 8}));
    EXPECT_EQ(Again("FOO", false), std::nullopt);
    // and back again
    EXPECT_EQ(Again("FOO", true), (Pos{2, 0}));
    EXPECT_EQ(m_text.m_nLength, 3u);
}

// Forward searches skip ahead by the file's raw bytes: what spans a line end or lies in
// a line's end is no hit, folding covers letters beyond ASCII, and blocks of the file
// far apart are joined correctly.
TEST_F(SearchEngineTest, SkippingAheadKeepsTheLineRules) {
    std::string data = "ab\r\ncd\n";
    std::string xs(70000, 'x');
    xs.replace(65534 - 7, 4, "MARK"); // across the first 64 KB window's end
    data += xs + "\n";
    data += "gro\xDF \xC4rger\n";
    data += "\t\xE4RGER\n";
    ASSERT_TRUE(OpenBytes(data));
    EXPECT_EQ(Text("%FLAGS(\\)b\\r\\nc", {0, 0}), std::nullopt); // the line end is no text
    // The long line is cut into three records, so "gro\xDF \xC4rger" is record 5.
    EXPECT_EQ(Text("\xE4rger", {0, 0}), (Pos{5, 5})); // "ä" finds "Ä"
    EXPECT_EQ(Again("\xE4rger", false), (Pos{6, 4})); // after the tab run
    EXPECT_EQ(Text("%FLAGS(C)\xC4rger", {0, 0}), (Pos{5, 5}));
    EXPECT_EQ(Again("%FLAGS(C)\xC4rger", false), std::nullopt);
    EXPECT_EQ(Text("xxxxxg", {0, 0}), std::nullopt); // never across lines
    EXPECT_EQ(Text("mark", {0, 0}), (Pos{3, 65534 - 7 - 32768}));
}

// Backward the raw scan reads 64 KB windows down from the end of the line before the
// start; a text is found whatever part of it lies below a window's border.
TEST_F(SearchEngineTest, BackwardScanFindsTextAcrossWindowBorders) {
    std::string data;
    for (int i = 0; i < 2000; ++i)
        data += std::string(99, 'x') + "\n";
    ASSERT_EQ(data.size() - 101 - 65536, 134363u); // line 1343, column 63
    for (int d = 0; d <= 4; ++d) {
        ASSERT_TRUE(OpenBytes(std::string(data).replace(134363 - d, 4, "MARK")));
        EXPECT_EQ(Text("mark", {1999, 0}, true), (Pos{1343, 63 - d})) << d;
    }
}

TEST_F(SearchEngineTest, HitSetsStateAndMessage) {
    ASSERT_TRUE(OpenBytes("one\n\tab two\n"));
    // The tab expands to four columns.
    m_host.m_statusHistory.clear();
    ASSERT_EQ(Text("TWO", {0, 0}), (Pos{1, 7}));
    EXPECT_TRUE(m_text.m_bValid);
    EXPECT_EQ(m_text.m_nLine, 1u);
    EXPECT_EQ(m_text.m_nColumn, 7u);
    EXPECT_EQ(m_host.m_statusHistory.front(), LoadString(IDS_SEARCHING));
    EXPECT_EQ(m_host.m_status, "Der String wurde auf Zeile 2, Spalte 8 gefunden.");
    EXPECT_EQ(m_host.m_nBusyDepth, 0);
    // Case matters only with C.
    EXPECT_EQ(Text("%FLAGS(C)TWO", {0, 0}), std::nullopt);
    EXPECT_EQ(Text("%FLAGS(C)two", {0, 0}), (Pos{1, 7}));
}

TEST_F(SearchEngineTest, FailedSearchKeepsPreviousHit) {
    ASSERT_TRUE(OpenBytes("abc\n"));
    ASSERT_TRUE(Text("b", {0, 0}));
    EXPECT_EQ(Text("zz", {0, 0}), std::nullopt);
    EXPECT_TRUE(m_text.m_bValid);
    EXPECT_EQ(m_text.m_nColumn, 1u);
}

TEST_F(SearchEngineTest, AnchoredWildcardContinuesOnNextLine) {
    ASSERT_TRUE(OpenBytes("abc one\nxabc\nabc two\n"));
    const char* pat = "%FLAGS(*)abc*";
    ASSERT_EQ(Text(pat, {0, 0}), (Pos{0, 0}));
    EXPECT_EQ(m_text.m_nLength, 3u);
    EXPECT_EQ(Again(pat, false), (Pos{2, 0}));
    EXPECT_EQ(Again(pat, false), std::nullopt);
    EXPECT_EQ(Again(pat, true), (Pos{0, 0}));
    // A leading star finds the run anywhere in the line.
    EXPECT_EQ(Text("%FLAGS(*)*a/c", {1, 0}), (Pos{1, 1}));
    EXPECT_EQ(Text("%FLAGS(*)*TWO", {0, 0}, false), (Pos{2, 4}));
    EXPECT_EQ(Text("%FLAGS(*)*ONE", {2, 7}, true), (Pos{0, 4}));
}

TEST_F(SearchEngineTest, OnlySelectedSkipsUnselectedLinesButNotTheFirst) {
    ASSERT_TRUE(OpenBytes("x0\nx1\nx2\nx3\nx4\n"));
    ASSERT_TRUE(Doc().SetLineSelected(2, true, nullptr));
    EXPECT_EQ(Text("x", {0, 0}, false, true), (Pos{0, 0}));
    EXPECT_EQ(Text("x", {0, 1}, false, true), (Pos{2, 0}));
    EXPECT_EQ(Text("x", {2, 1}, false, true), std::nullopt);
    EXPECT_EQ(Text("x", {4, 0}, true, true), (Pos{4, 0}));
    EXPECT_EQ(Text("x3", {4, 0}, true, true), std::nullopt);
    EXPECT_EQ(Text("x", {3, 0}, true, false), (Pos{3, 0}));
}

TEST_F(SearchEngineTest, NothingToSearchDoesNothing) {
    ASSERT_TRUE(OpenBytes("***\n"));
    for (const char* pat : {"", "%FLAGS(*)***", "%FLAGS(C)"}) {
        m_host.m_statusHistory.clear();
        EXPECT_EQ(Text(pat, {0, 0}), std::nullopt) << pat;
        EXPECT_EQ(Dump(pat, 0), std::nullopt) << pat;
        EXPECT_TRUE(m_host.m_statusHistory.empty()) << pat;
        EXPECT_FALSE(ChooseSearchStart(Doc(), {}, DecodePattern(pat), false, m_text, m_dump));
    }
    // Outside wildcard patterns a star is a character.
    EXPECT_EQ(Text("**", {0, 0}), (Pos{0, 0}));
}

TEST_F(SearchEngineTest, BackwardAtFileStart) {
    ASSERT_TRUE(OpenBytes("ab\ncd\n"));
    EXPECT_EQ(Text("ab", {0, 0}, true), (Pos{0, 0}));
    EXPECT_EQ(Text("cd", {0, 1}, true), std::nullopt);
    EXPECT_EQ(Text("b", {1, 0}, true), (Pos{0, 1}));
    // From behind the last line: at once to the lines there are.
    EXPECT_EQ(Text("cd", {kMaxRecords - 1, 0}, true), (Pos{1, 0}));
    EXPECT_EQ(Dump("ab", 0, true), 0);
    EXPECT_EQ(Dump("b", 0, true), std::nullopt);
}

TEST_F(SearchEngineTest, EscapeStopsTheSearch) {
    ASSERT_TRUE(OpenBytes("ab\ncd\n"));
    m_host.m_bEscape = true;
    EXPECT_EQ(Text("ab", {0, 0}), std::nullopt);
    EXPECT_EQ(Dump("ab", 0), std::nullopt);
    EXPECT_EQ(Dump("ab", 2, true), std::nullopt);
    // Stopped, not "not found", in every direction and mode.
    for (const DisplayMode mode : {DisplayMode::Text, DisplayMode::Dump})
        for (const bool bBackward : {false, true}) {
            uint32_t line = bBackward ? 1 : 0;
            int col = 0;
            int64_t off = bBackward ? 5 : 0;
            EXPECT_EQ(FindNext(Doc(), "zz", mode == DisplayMode::Dump, bBackward, false, line, col,
                               off, m_text, m_dump),
                      FindResult::Stopped);
        }
    EXPECT_FALSE(m_text.m_bValid);
    EXPECT_FALSE(m_dump.m_bValid);
}

TEST_F(SearchEngineTest, DumpPatternsAcrossWindowsAndAtTheEdges) {
    std::string bytes(3 * kSearchWindow, '.');
    bytes.replace(0, 4, "HEAD");
    bytes.replace(kSearchWindow - 3, 6, "needle");    // spans the first window's end
    bytes.replace(2 * kSearchWindow - 1, 4, "a\nb*"); // crosses a line end, '*' literal
    bytes.replace(bytes.size() - 4, 4, "TAIL");
    ASSERT_TRUE(OpenBytes(bytes));
    struct Case {
        const char* pat;
        int64_t from;
        bool bBackward;
        std::optional<int64_t> want;
    } cases[] = {
        {"NEEDLE", 0, false, kSearchWindow - 3},
        {"needle", 10, false, kSearchWindow - 3},
        {"needle", int64_t{kSearchWindow} - 2, false, std::nullopt},
        {"needle", int64_t{3 * kSearchWindow} - 1, true, kSearchWindow - 3},
        {"needle", int64_t{kSearchWindow} - 3, true, kSearchWindow - 3},
        {"needle", int64_t{kSearchWindow} - 4, true, std::nullopt},
        {"%FLAGS(X)610A62", 0, false, 2 * kSearchWindow - 1},
        {"%FLAGS(*)b*", 0, false, 2 * kSearchWindow + 1},
        {"%FLAGS(*)b*", int64_t{3 * kSearchWindow}, true, 2 * kSearchWindow + 1},
        {"head", int64_t{3 * kSearchWindow} - 1, true, 0},
        {"tail", 0, false, 3 * kSearchWindow - 4},
        {"tail", int64_t{3 * kSearchWindow} - 3, false, std::nullopt},
        {"%FLAGS(C)tail", 0, false, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Dump(c.pat, c.from, c.bBackward), c.want) << c.pat << " from " << c.from;
        if (c.want) {
            EXPECT_EQ(m_dump.m_nOffset, *c.want);
            EXPECT_EQ(m_dump.m_nLength, DecodePattern(c.pat).m_bytes.size());
        }
    }
}

TEST_F(SearchEngineTest, OemAndEbcdicOptionsConvertTheFile) {
    std::string ebcdic = "GRUESSE";
    AnsiToEbcdic(reinterpret_cast<const uint8_t*>(ebcdic.data()),
                 reinterpret_cast<uint8_t*>(ebcdic.data()), ebcdic.size());
    // cp850 0x81 is u-umlaut, cp1252 0xFC.
    ASSERT_TRUE(OpenBytes("Gr\x81n\n" + ebcdic + "\n"));
    EXPECT_EQ(Text("gr\xFCn", {0, 0}), std::nullopt);
    EXPECT_EQ(Text("%FLAGS(O)gr\xDCn", {0, 0}), (Pos{0, 0}));
    EXPECT_EQ(Text("%FLAGS(E)gruesse", {0, 0}), (Pos{1, 0}));
    EXPECT_EQ(Text("%FLAGS(E*)*esse", {0, 0}), (Pos{1, 3}));
    EXPECT_EQ(Dump("%FLAGS(O)\xFCn", 0), 2);
    EXPECT_EQ(Dump("%FLAGS(E)ESSE", 100, true), 8);
}

// --- start position ---

TEST_F(SearchEngineTest, StartPositionTable) {
    ASSERT_TRUE(OpenBytes("abcdef\nab\n\tx\nabcdefgh\n"));
    struct Case {
        const char* name;
        DisplayMode mode;
        bool bBackward;
        const char* pat;
        bool bShown;
        uint32_t hitLine;
        uint32_t hitCol;
        std::optional<Pos> want;
        int64_t wantOffset;
    } cases[] = {
        {"fwd no hit", DisplayMode::Text, false, "abc", false, 3, 2, Pos{1, 5}, 0},
        {"fwd hit", DisplayMode::Hex, false, "abc", true, 3, 2, Pos{3, 3}, 0},
        {"fwd anchored", DisplayMode::Text, false, "%FLAGS(*)a*", true, 3, 2, Pos{4, 0}, 0},
        {"fwd star", DisplayMode::Text, false, "%FLAGS(*)*a", true, 3, 2, Pos{3, 3}, 0},
        {"bwd no hit", DisplayMode::Text, true, "abc", false, 3, 2, Pos{1, 5}, 0},
        {"bwd no hit anchored", DisplayMode::Text, true, "%FLAGS(*)a*", false, 3, 2, Pos{1, 0}, 0},
        {"bwd hit", DisplayMode::Text, true, "abc", true, 3, 2, Pos{3, 1}, 0},
        {"bwd hit anchored", DisplayMode::Text, true, "%FLAGS(*)a*", true, 3, 2, Pos{3, 0}, 0},
        // Line 2 expands to 5 columns, line 1 is too short for 3 characters.
        {"bwd col 0", DisplayMode::Text, true, "abc", true, 3, 0, Pos{2, 2}, 0},
        {"bwd col 0 wild", DisplayMode::Text, true, "%FLAGS(*)*ab*c", true, 3, 0, Pos{2, 2}, 0},
        {"bwd col 0 anchored", DisplayMode::Text, true, "%FLAGS(*)ab/*", true, 3, 0, Pos{2, 0}, 0},
        {"bwd col 0 long", DisplayMode::Text, true, "abcdefg", true, 3, 0, std::nullopt, 0},
        {"bwd line 0", DisplayMode::Text, true, "a", true, 0, 0, std::nullopt, 0},
        {"dump fwd", DisplayMode::Dump, false, "a", false, 0, 0, Pos{0, 0}, 40},
        {"dump fwd hit", DisplayMode::Dump, false, "a", true, 0, 0, Pos{0, 0}, 8},
        {"dump bwd", DisplayMode::Dump, true, "a", false, 0, 0, Pos{0, 0}, 40},
        {"dump bwd hit", DisplayMode::Dump, true, "a", true, 0, 0, Pos{0, 0}, 6},
    };
    for (const Case& c : cases) {
        ScrollState st;
        st.m_eMode = c.mode;
        st.m_nTopLine = 1;
        st.m_nLeftColumn = 5;
        st.m_nDumpTop = 40;
        TextHit th{true, c.hitLine, c.hitCol, 1, c.bShown};
        DumpHit dh{true, 7, 1, c.bShown};
        const auto s = ChooseSearchStart(Doc(), st, DecodePattern(c.pat), c.bBackward, th, dh);
        ASSERT_EQ(s.has_value(), c.want.has_value()) << c.name;
        if (!s) continue;
        if (c.mode == DisplayMode::Dump) {
            EXPECT_EQ(s->m_nOffset, c.wantOffset) << c.name;
        } else {
            EXPECT_EQ((Pos{s->m_nLine, s->m_nColumn}), *c.want) << c.name;
        }
    }
}

TEST_F(SearchEngineTest, ScrolledAwayHitIsNoStart) {
    ASSERT_TRUE(OpenBytes("a\n"));
    ScrollState st;
    st.m_nTopLine = 9;
    TextHit th{true, 0, 0, 1, false};
    const auto s = ChooseSearchStart(Doc(), st, DecodePattern("a"), false, th, {});
    ASSERT_TRUE(s);
    EXPECT_EQ(s->m_nLine, 9u);
    // A dump hit at offset 0 leaves nothing before it.
    st.m_eMode = DisplayMode::Dump;
    EXPECT_FALSE(ChooseSearchStart(Doc(), st, DecodePattern("a"), true, {}, {true, 0, 1, true}));
}

TEST(SearchCommandRules, BackwardAvailability) {
    ScrollState text, dump;
    dump.m_eMode = DisplayMode::Dump;
    EXPECT_FALSE(CanSearchForward(""));
    EXPECT_TRUE(CanSearchForward("x"));
    EXPECT_FALSE(CanSearchBackward("", text, {}, {}));
    EXPECT_TRUE(CanSearchBackward("x", text, {}, {}));
    EXPECT_FALSE(CanSearchBackward("x", text, {true, 0, 0, 1, true}, {}));
    EXPECT_TRUE(CanSearchBackward("x", text, {true, 0, 0, 1, false}, {}));
    EXPECT_TRUE(CanSearchBackward("x", text, {true, 0, 1, 1, true}, {}));
    EXPECT_FALSE(CanSearchBackward("x", dump, {}, {}));
    dump.m_nDumpTop = 16;
    EXPECT_TRUE(CanSearchBackward("x", dump, {}, {}));
    EXPECT_FALSE(CanSearchBackward("x", dump, {}, {true, 0, 1, true}));
    EXPECT_TRUE(CanSearchBackward("x", dump, {}, {true, 1, 1, true}));
}

TEST(SearchCommandRules, DumpHitMessage) {
    EXPECT_EQ(DumpHitMessage(0xABC), "Der String wurde auf Position 00000ABC gefunden.");
    EXPECT_EQ(DumpHitMessage(0x1234567890LL), "Der String wurde auf Position 1234567890 gefunden.");
}

// --- placement ---

TEST(SearchPlacement, VerticalRuleByVisibleLines) {
    struct Case {
        int R;
        bool bBackward;
        uint32_t top, hit;
        uint32_t wantTop;
    } cases[] = {
        // k = 2 for R < 1: the hit goes to row 3.
        {0, false, 10, 10, 8},
        {0, false, 10, 9, 10},
        {0, true, 10, 9, 13},
        {0, true, 10, 10, 10},
        // k = 0: forward at the last row, backward to the last row.
        {2, false, 10, 10, 10},
        {2, false, 10, 11, 11},
        {2, true, 10, 5, 3},
        {2, true, 10, 1, 0},
        // k = 1
        {5, false, 10, 13, 10},
        {5, false, 10, 14, 13},
        {5, true, 10, 9, 6},
        // k = 2
        {30, false, 10, 38, 10},
        {30, false, 10, 39, 37},
        {30, false, 0, 100, 98},
        {30, true, 100, 50, 24},
        {30, true, 10, 9, 0},
    };
    for (const Case& c : cases) {
        ScrollState st;
        st.m_nVisibleLines = c.R;
        st.m_nTopLine = c.top;
        const bool bMoved = PlaceTextHit(st, c.hit, 0, 1, c.bBackward, [](int) { return true; });
        EXPECT_EQ(st.m_nTopLine, c.wantTop) << "R " << c.R << " hit " << c.hit;
        EXPECT_EQ(bMoved, c.wantTop != c.top) << "R " << c.R << " hit " << c.hit;
    }
}

TEST(SearchPlacement, HorizontalRule) {
    struct Case {
        int left;
        uint32_t col, len;
        int visibleColumns; // columns [left, left + n) are visible
        int wantLeft;
    } cases[] = {
        {10, 5, 3, 20, 3},     {10, 1, 3, 20, 0},
        {10, 12, 3, 20, 10},   {10, 40, 3, 20, 28}, // 16, 22, 28: 43 < 48
        {0, 100, 30, 20, 100},                      // stops at the hit column
        {0, 7, 0, 5, 3},                            // empty hit: one column at a time
    };
    for (const Case& c : cases) {
        ScrollState st;
        st.m_nVisibleLines = 30;
        st.m_nLeftColumn = c.left;
        const bool bMoved = PlaceTextHit(st, 0, c.col, c.len, false, [&](int column) {
            return column >= st.m_nLeftColumn && column < st.m_nLeftColumn + c.visibleColumns;
        });
        EXPECT_EQ(st.m_nLeftColumn, c.wantLeft) << "col " << c.col;
        EXPECT_EQ(bMoved, c.wantLeft != c.left) << "col " << c.col;
    }
}

TEST(SearchPlacement, DumpHitRow) {
    struct Case {
        int R;
        bool bBackward;
        uint64_t top;
        int64_t hit;
        uint64_t wantTop;
    } cases[] = {
        // rows of 16 bytes; the first byte below 30 rows is 160 + 480
        {30, false, 160, 639, 160},     {30, false, 160, 640, 640 - 48}, {30, false, 0, 20, 0},
        {30, true, 160, 159, 144 - 48}, {30, true, 160, 17, 0},          {30, true, 160, 33, 0},
        {30, true, 160, 48, 0},         {2, false, 0, 40, 32},           {3, false, 0, 50, 32},
        {5, false, 0, 100, 48},         {1, false, 16, 40, 32},
    };
    for (const Case& c : cases) {
        ScrollState st;
        st.m_eMode = DisplayMode::Dump;
        st.m_nVisibleLines = c.R;
        st.m_nDumpTop = c.top;
        const bool bMoved = PlaceDumpHit(st, c.hit, c.bBackward);
        EXPECT_EQ(st.m_nDumpTop, c.wantTop) << "R " << c.R << " hit " << c.hit;
        EXPECT_EQ(bMoved, c.wantTop != c.top);
    }
}

// --- against a plain per-line reference ---

struct RefSearch {
    CTervikDoc& doc;
    SearchPattern pat;

    std::string Line(uint32_t r, bool bBackward) {
        std::string s = TextOf(doc, r, true, 0, kSearchWindow, bBackward);
        auto* p = reinterpret_cast<uint8_t*>(s.data());
        if (pat.m_nFlags & SF_EBCDIC_TEXT) EbcdicToAnsi(p, p, s.size());
        if (pat.m_nFlags & SF_OEM_TEXT) OemToAnsi(p, p, s.size());
        return s;
    }
    bool Same(const std::string& line, size_t at) const {
        for (size_t i = 0; i < pat.m_bytes.size(); ++i) {
            const auto a = static_cast<uint8_t>(line[at + i]);
            const auto b = static_cast<uint8_t>(pat.m_bytes[i]);
            if ((pat.m_nFlags & SF_MATCH_CASE) ? a != b : ToLower1252(a) != ToLower1252(b))
                return false;
        }
        return true;
    }
    std::optional<Pos> Run(Pos from, bool bBackward, bool bOnlySelected) {
        const bool bWild = pat.m_nFlags & SF_WILDCARDS;
        const int nFixed = FixedLength(pat);
        if (pat.m_bytes.empty() || nFixed <= 0) return std::nullopt;
        const bool bAnchored = bWild && pat.m_bytes[0] != '*';
        std::string wpat = pat.m_bytes;
        if (!(pat.m_nFlags & SF_MATCH_CASE))
            for (char& c : wpat)
                c = static_cast<char>(ToLower1252(static_cast<uint8_t>(c)));
        int64_t r = from.line;
        int col = from.column;
        for (bool first = true;; first = false) {
            std::string line = Line(static_cast<uint32_t>(r), bBackward);
            const int n = static_cast<int>(line.size());
            if (bBackward && !first) col = bAnchored ? 0 : std::max(0, n - nFixed);
            if (bWild) {
                if (!(pat.m_nFlags & SF_MATCH_CASE))
                    for (char& c : line)
                        c = static_cast<char>(ToLower1252(static_cast<uint8_t>(c)));
                const int len = static_cast<int>(std::strlen(line.c_str()));
                for (int c = col;; --c) {
                    int pos = c, hitLen = 0;
                    // Backward, a hit must begin at or before the start.
                    if (c < len &&
                        MatchWildcard(line.c_str(), wpat.c_str(), '*', '/', pos, hitLen) &&
                        (!bBackward || pos <= col))
                        return Pos{static_cast<uint32_t>(r), pos};
                    if (!(bBackward && wpat[0] == '*' && c > 0)) break;
                }
            } else {
                const int m = static_cast<int>(pat.m_bytes.size());
                for (int c = col; c >= 0 && c + m <= n; c += bBackward ? -1 : 1)
                    if (Same(line, static_cast<size_t>(c))) return Pos{static_cast<uint32_t>(r), c};
            }
            do {
                r += bBackward ? -1 : 1;
            } while (bOnlySelected && r >= 0 && r < doc.m_nRecords &&
                     !doc.IsLineSelected(static_cast<uint32_t>(r), nullptr, nullptr));
            if (r < 0 || r >= doc.m_nRecords) return std::nullopt;
            col = 0;
        }
    }
};

TEST_F(SearchEngineTest, AgreesWithPlainPerLineReference) {
    std::mt19937 rng(20240611);
    auto pick = [&](std::string_view s) { return s[rng() % s.size()]; };
    const char* prefixes[] = {"",           "%FLAGS(C)",  "%FLAGS(*)",   "%FLAGS(C*)",
                              "%FLAGS(O)",  "%FLAGS(E)",  "%FLAGS(OE*)", "%FLAGS(X)",
                              "%FLAGS(\\)", "%FLAGS(U8)", "%FLAGS(E*)"};
    const std::string_view fileChars("aAbB*/\t\x81\xFC\xDC\x00 \n", 13);
    int nHits = 0;
    for (int round = 0; round < 60; ++round) {
        std::string bytes;
        const int nBytes = 1 + static_cast<int>(rng() % 120);
        for (int i = 0; i < nBytes; ++i)
            bytes += pick(fileChars);
        if (round % 7 == 0) bytes += std::string(300, 'a') + "b"; // long line
        ASSERT_TRUE(OpenBytes(bytes));
        for (uint32_t r = 0; r < Doc().m_nRecords; ++r)
            if (rng() % 3 == 0) Doc().SetLineSelected(r, true, nullptr);
        for (int k = 0; k < 40; ++k) {
            std::string line = prefixes[rng() % std::size(prefixes)];
            const bool bHex = line == "%FLAGS(X)";
            const int nLen = 1 + static_cast<int>(rng() % 3);
            for (int i = 0; i < nLen; ++i)
                line += bHex ? std::string(rng() % 2 ? "61" : "2A")
                             : std::string(1, pick("aAbB*/\xFC"));
            RefSearch ref{Doc(), DecodePattern(line)};
            const bool bBackward = rng() % 2;
            const bool bOnly = rng() % 3 == 0;
            const Pos from{static_cast<uint32_t>(rng() % Doc().m_nRecords),
                           static_cast<int>(rng() % 8)};
            const auto want = ref.Run(from, bBackward, bOnly);
            nHits += want.has_value();
            const auto got = Text(line, from, bBackward, bOnly);
            ASSERT_EQ(got, want) << "round " << round << " pattern " << line << " from "
                                 << from.line << "," << from.column << (bBackward ? " back" : "")
                                 << (bOnly ? " only" : "");
        }
    }
    EXPECT_GT(nHits, 300); // the cases are no mere misses
}

// Repeating a backward search from each hit, started at the end of the last record,
// gives exactly the forward hits in reverse order, and ends.
TEST_F(SearchEngineTest, BackwardHitsAreTheForwardHitsReversed) {
    std::mt19937 rng(5171);
    auto pick = [&](std::string_view s) { return s[rng() % s.size()]; };
    const char* prefixes[] = {"", "%FLAGS(C)", "%FLAGS(*)", "%FLAGS(C*)", "%FLAGS(X)"};
    size_t nHits = 0;
    for (int round = 0; round < 100; ++round) {
        const char* eol = round % 2 ? "\r\n" : "\n";
        std::string bytes;
        const int nLines = 1 + static_cast<int>(rng() % 12);
        for (int i = 0; i < nLines; ++i) {
            const int nLen = round % 5 == 0 && i == 1 ? 300 + static_cast<int>(rng() % 500)
                                                      : static_cast<int>(rng() % 14);
            for (int k = 0; k < nLen; ++k)
                bytes += pick("aAbbB*/ \t\xFC");
            bytes += eol;
        }
        ASSERT_TRUE(OpenBytes(bytes));
        for (int k = 0; k < 2; ++k) {
            std::string line = prefixes[rng() % std::size(prefixes)];
            const bool bHex = line == "%FLAGS(X)";
            const int nLen = 1 + static_cast<int>(rng() % 4);
            for (int i = 0; i < nLen; ++i)
                line +=
                    bHex ? std::string(rng() % 2 ? "61" : "2A") : std::string(1, pick("aAbB*/"));
            const SearchPattern pattern = DecodePattern(line);
            if (FixedLength(pattern) <= 0) continue;
            for (const DisplayMode mode : {DisplayMode::Text, DisplayMode::Dump}) {
                ScrollState st;
                st.m_eMode = mode;
                std::vector<Hit> forward = AllHits(line, st, false);
                const std::vector<Hit> backward =
                    AllHits(line, AtEnd(line, mode), true, false, forward.size());
                std::reverse(forward.begin(), forward.end());
                ASSERT_TRUE(backward == forward)
                    << "round " << round << " pattern " << line << " dump "
                    << (mode == DisplayMode::Dump) << ": " << backward.size() << " hits back, "
                    << forward.size() << " forward";
                nHits += forward.size();
            }
        }
    }
    EXPECT_GT(nHits, 1000u); // the cases are no mere misses
}

// Files over many read windows, in each character set, with tabs, lines cut at the
// longest record and a last line with or without its end: backward searches from the
// end give the forward hits reversed, and the backward raw scan finds what reading
// every line finds (every line selected, only those searched), also from inside a line.
TEST_F(SearchEngineTest, BackwardScanAgreesWithForwardAndTheLineWalk) {
    std::mt19937 rng(2727);
    m_host.SetSetting("MaxRecSize", "700");
    const char* const pieces[] = {"a", "A",  "b", "\xFC", "\xDC", "B",
                                  "x", "yz", " ", "\t",   "*",    "/"};
    const char* const prefixes[] = {"", "%FLAGS(C)", "%FLAGS(*)", "%FLAGS(C*)"};
    size_t nHits = 0;
    for (int round = 0; round < 8; ++round) {
        const int kind = round % 4; // cp1252 with LF, with CR LF, UTF-8, UTF-16
        std::string text;
        while (text.size() < 150000) {
            const auto n = rng() % 50 == 0 ? 1000 + rng() % 1500 : rng() % 60;
            for (uint32_t i = 0; i < n; ++i)
                text += pieces[rng() % std::size(pieces)];
            text += kind == 1 ? "\r\n" : "\n";
        }
        if (rng() % 2) text.pop_back();
        const bool bVariant = rng() % 2; // UTF-16 big-endian, UTF-8 with a byte-order mark
        std::string bytes = kind == 3               ? (bVariant ? "\xFE\xFF" : "\xFF\xFE")
                            : kind == 2 && bVariant ? "\xEF\xBB\xBF"
                                                    : "";
        for (const char c : kind == 2 ? Cp1252ToUtf8(text) : text) {
            const char16_t u = Cp1252ToUnicode(static_cast<uint8_t>(c));
            if (kind != 3)
                bytes += c;
            else if (bVariant)
                bytes += {static_cast<char>(u >> 8), static_cast<char>(u)};
            else
                bytes += {static_cast<char>(u), static_cast<char>(u >> 8)};
        }
        ASSERT_TRUE(OpenBytes(bytes));
        for (uint32_t r = 0; r < Doc().m_nRecords; ++r)
            Doc().SetLineSelected(r, true, nullptr);
        for (int k = 0; k < 4; ++k) {
            std::string line = prefixes[k];
            if (k > 1 && rng() % 2) line += '*';
            for (auto n = 2 + rng() % 3; n-- > 0;)
                line += k > 1 && rng() % 4 == 0 ? (rng() % 2 ? "*" : "/") : pieces[rng() % 8];
            if (FixedLength(DecodePattern(line)) <= 0) continue;
            std::vector<Hit> forward = AllHits(line, {}, false);
            const std::vector<Hit> backward = AllHits(line, AtEnd(line, DisplayMode::Text), true);
            std::reverse(forward.begin(), forward.end());
            ASSERT_TRUE(backward == forward) << round << " " << line << ": " << backward.size()
                                             << " back, " << forward.size() << " forward";
            ASSERT_TRUE(AllHits(line, AtEnd(line, DisplayMode::Text), true, true) == backward)
                << round << " " << line;
            for (int i = 0; i < 20; ++i) {
                const Pos from{static_cast<uint32_t>(rng() % Doc().m_nRecords),
                               static_cast<int>(rng() % 40)};
                ASSERT_EQ(Text(line, from, true), Text(line, from, true, true))
                    << round << " " << line << " from " << from.line << "," << from.column;
            }
            nHits += forward.size();
        }
    }
    EXPECT_GT(nHits, 2000u); // the cases are no mere misses
}

// In UTF-8 display the raw scan looks for the literal's UTF-8 form; every hit of
// repeated searches must still be the one reading every line finds.
TEST_F(SearchEngineTest, Utf8DisplayHitsAgreeWithPerLineReference) {
    std::mt19937 rng(424242);
    m_host.SetSetting("MaxRecSize", "1000"); // long lines cut inside characters
    const char* prefixes[] = {"", "%FLAGS(C)", "%FLAGS(*)", "%FLAGS(C*)"};
    size_t nHits = 0;
    for (int round = 0; round < 40; ++round) {
        ASSERT_TRUE(OpenBytes(test::RandomUtf8File(rng, round % 2, round % 3, round % 8 == 1)));
        Doc().m_bUtf8 = 1;
        for (int k = 0; k < 12; ++k) {
            const std::string prefix = prefixes[k % 4];
            std::string lit = test::RandomLiteral(rng, Doc(), true, k % 2 == 0);
            if (k % 4 > 1 && lit.size() > 2) lit[1] = rng() % 2 ? '*' : '/';
            const SearchPattern pattern = DecodePattern(prefix + lit);
            if (FixedLength(pattern) <= 0) continue;
            RefSearch ref{Doc(), pattern};
            m_text = {};
            // As "Weitersuchen" from each hit shown.
            for (std::optional<SearchStart> s = SearchStart{}; s;
                 s = ChooseSearchStart(Doc(), ScrollState{}, pattern, false, m_text, m_dump)) {
                const Pos from{s->m_nLine, s->m_nColumn};
                const auto got = Text(prefix + lit, from);
                ASSERT_EQ(got, ref.Run(from, false, false)) << round << " " << prefix + lit;
                if (!got || ++nHits % 100 == 0) break;
                m_text.m_bShown = true;
            }
        }
    }
    EXPECT_GT(nHits, 1000u); // the cases are no mere misses
}

} // namespace
} // namespace tervik
