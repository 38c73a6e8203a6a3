#include "search/LineSelection.h"

#include "../document/FakeDocumentHost.h"
#include "RandomUtf8.h"
#include "base/Strings.h"
#include "framework/CommandIds.h"
#include "platform/CodePage.h"
#include "search/SearchPattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tervik {
namespace {

using test::CDocFixture;
using test::CFakeView;

constexpr uint32_t kNone = 0;

class LineSelectionTest : public CDocFixture {
protected:
    std::vector<TextHistoryEntry> m_history;

    SelectCriteria All(std::string text = {}, uint16_t nFlags = SEL_MATCH_CASE) {
        SelectCriteria c;
        c.m_nMode = 1;
        c.m_nFirstLine = 0;
        c.m_nEndLine = Doc().m_nRecords;
        c.m_text = std::move(text);
        c.m_nFlags = nFlags;
        c.m_pHistory = &m_history;
        return c;
    }
    // The colour bits of every record.
    std::vector<uint32_t> Colours() {
        std::vector<uint32_t> v;
        for (uint32_t r = 0; r < Doc().m_nRecords; ++r)
            v.push_back(Doc().Record(r)->m_nFlags & RF_COLOUR_MASK);
        return v;
    }
    std::vector<uint32_t> Selected() {
        std::vector<uint32_t> v;
        for (uint32_t r = 0; r < Doc().m_nRecords; ++r)
            if (Doc().IsLineSelected(r, nullptr, nullptr)) v.push_back(r);
        return v;
    }
    // The index, the count and the colour bits tell the same.
    void ExpectConsistent() {
        const std::vector<uint32_t> want = Selected();
        EXPECT_EQ(Doc().SelectedCount(), want.size());
        std::vector<uint32_t> index;
        for (uint32_t i = 0, r = 0; Doc().NthSelected(i, r); ++i)
            index.push_back(r);
        EXPECT_EQ(index, want);
        EXPECT_FALSE(Doc().InBulkSelect());
    }
    void Preselect(uint32_t r, int nColour) {
        m_host.m_nSelectColour = nColour;
        Doc().SetLineSelected(r, true, nullptr);
        m_host.m_nSelectColour = 0;
    }
};

// ------------------------------------------------------------------ the rules one by one

struct RuleCase {
    const char* name;
    const char* file;
    SelectCriteria criteria; // range filled in when end line is 0
    std::vector<uint32_t> want;
};

SelectCriteria Text(std::string text, uint16_t nFlags = 0) {
    SelectCriteria c;
    c.m_text = std::move(text);
    c.m_nFlags = nFlags;
    return c;
}
SelectCriteria Columns(std::string text, uint16_t from, uint16_t to, uint16_t nMore = 0) {
    SelectCriteria c = Text(std::move(text), SEL_MATCH_CASE | SEL_COLUMN_RANGE | nMore);
    c.m_nColumnFrom = from;
    c.m_nColumnTo = to;
    return c;
}
SelectCriteria Size(int32_t nTest, uint32_t nValue) {
    SelectCriteria c;
    c.m_nSizeTest = nTest;
    c.m_nSizeValue = nValue;
    return c;
}
SelectCriteria Lists(std::string text, std::string pre, std::string post) {
    SelectCriteria c = Text(std::move(text), SEL_MATCH_CASE);
    c.m_preLines = std::move(pre);
    c.m_postLines = std::move(post);
    return c;
}

TEST_F(LineSelectionTest, SelectRules) {
    const char* const tenCols = "0123456789abcXXXXXXXX\n"  // at 10: inside
                                "0123456789XXXXXXXXabc\n"  // at 18: last place inside
                                "0123456789XXXXXXXXXabc\n" // at 19: crosses column 20
                                "abc\n"                    // before column 10
                                "012345678abc\n";          // at 9
    const char* const twelve = "a\nb\nc\nd\ne\nf\ng\nhit\ni\nj\nk\nl\n";
    const RuleCase cases[] = {
        {"no case folds", "Fehler x\nFEHLER\nfehler\nkein\n", Text("fehler"), {0, 1, 2}},
        {"match case exact", "Fehler x\nFEHLER\nfehler\n", Text("fehler", SEL_MATCH_CASE), {2}},
        {"umlauts fold", "GR\xDCN\ngr\xFCn\n", Text("\xFC"), {0, 1}},
        {"column range", tenCols, Columns("abc", 10, 20), {0, 1}},
        {"wildcards whole line", "xaby\naby\nab\n", Text("a*y", SEL_WILDCARDS), {1}},
        {"wildcard one char", "ab\naxb\naxxb\n", Text("a/b", SEL_WILDCARDS | SEL_MATCH_CASE), {1}},
        {"wildcard in columns", "  key=1\nkey=1\n", Columns("key*", 2, 100, SEL_WILDCARDS), {0}},
        {"following 1,3-4", twelve, Lists("hit", "", "1,3-4"), {7, 8, 10, 11}},
        {"following reversed range", twelve, Lists("hit", "", "4-3"), {7, 10, 11}},
        {"preceding 2 at record 1", "x\nhit\ny\n", Lists("hit", "2", ""), {1}},
        {"preceding range cut at 0", "x\nhit\ny\n", Lists("hit", "1-5", ""), {0, 1}},
        {"preceding range before 0", "x\nhit\ny\n", Lists("hit", "5-6", ""), {1}},
        {"following past the end", "x\nhit\ny\n", Lists("hit", "", "1,5"), {1, 2}},
        {"shorter than 1", "a\n\nbb\n\n", Size(SIZE_SHORTER, 1), {1, 3}},
        {"longer expands tabs", "\tx\nabc\n", Size(SIZE_LONGER, 3), {0}},
        {"equal", "ab\nabc\n", Size(SIZE_EQUAL, 3), {1}},
        {"not equal", "ab\nabc\n", Size(SIZE_NOT_EQUAL, 3), {0}},
        {"hex string", "a\tb\nA\tB\nab\n", Text("6109", SEL_HEX_STRING), {0}},
        {"hex ignores case flag", "ab\nAB\n", Text("4142", SEL_HEX_STRING), {1}},
        {"multi text", "rot\ngelb\nblau\n", Text("BLAU|rot", SEL_MULTI_TEXT), {0, 2}},
        {"multi text empty parts", "rot\ngelb\n", Text("|gelb|", SEL_MULTI_TEXT), {1}},
        {"bar is text without multi", "a|b\nb\n", Text("a|b"), {0}},
        {"nothing searchable", "a\nb\n", Text("|", SEL_MULTI_TEXT), {}},
    };
    for (const RuleCase& tc : cases) {
        SCOPED_TRACE(tc.name);
        ASSERT_TRUE(OpenBytes(tc.file));
        SelectCriteria c = tc.criteria;
        c.m_nEndLine = Doc().m_nRecords;
        SelectByCriteria(Doc(), c);
        EXPECT_EQ(Selected(), tc.want);
        ExpectConsistent();
    }
}

TEST_F(LineSelectionTest, ScopeAndColours) {
    ASSERT_TRUE(OpenBytes("ok 1\nbad 2\nok 3\nok 4\n"));
    Preselect(0, 1); // red
    Preselect(1, 2); // green
    Preselect(3, 1); // red, stays red without scope
    SelectCriteria c = All("ok");
    c.m_bScope = 1;
    c.m_nLongestLine = 4;
    // With scope, only selected lines are looked at: 1 fails and loses its selection,
    // 0 passes and takes the current colour.
    c.m_nEndLine = 3;
    SelectByCriteria(Doc(), c);
    EXPECT_EQ(Colours(), (std::vector<uint32_t>{RF_BLUE, kNone, kNone, RF_RED}));
    ExpectConsistent();
    // Without scope a passing red line keeps its colour.
    m_host.m_nSelectColour = 2;
    SelectByCriteria(Doc(), All("ok"));
    EXPECT_EQ(Colours(), (std::vector<uint32_t>{RF_BLUE, kNone, RF_GREEN, RF_RED}));
    ExpectConsistent();
}

TEST_F(LineSelectionTest, DeselectRules) {
    ASSERT_TRUE(OpenBytes("a\nhit\nb\nc\nhit\nd\ne\n"));
    for (uint32_t r = 0; r < 7; ++r)
        Preselect(r, 0);
    SelectCriteria c = All("hit");
    c.m_nMode = 0;
    c.m_postLines = "1";
    c.m_nFirstLine = 0;
    c.m_nEndLine = 3;
    DeselectByCriteria(Doc(), c);
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{0, 3, 4, 5, 6}));
    ExpectConsistent();
    // Without text and size test every selected line of the range goes.
    SelectCriteria all = All();
    all.m_nFirstLine = 4;
    DeselectByCriteria(Doc(), all);
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{0, 3}));
    ExpectConsistent();
    EXPECT_EQ(m_host.m_status, "2 Zeilen sind selektiert");
}

TEST_F(LineSelectionTest, InvertTwiceRestoresSelectionInCurrentColour) {
    ASSERT_TRUE(OpenBytes("a\nb\nc\nd\n"));
    Preselect(0, 1);
    Preselect(2, 2);
    CFakeView view;
    Doc().AddView(&view);
    InvertSelection(Doc());
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{1, 3}));
    ExpectConsistent();
    InvertSelection(Doc());
    EXPECT_EQ(Colours(), (std::vector<uint32_t>{RF_BLUE, kNone, RF_BLUE, kNone}));
    ExpectConsistent();
    EXPECT_EQ(view.m_hints, (std::vector<unsigned>{HINT_SELECTION, HINT_SELECTION}));
    Doc().RemoveView(&view);
}

TEST_F(LineSelectionTest, RangeClampAndEmptyRange) {
    ASSERT_TRUE(OpenBytes("x\nx\nx\n"));
    SelectCriteria c = All("x");
    c.m_nFirstLine = 1;
    c.m_nEndLine = 1000;
    SelectByCriteria(Doc(), c);
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{1, 2}));
    c.m_nFirstLine = 7;
    DeselectByCriteria(Doc(), c);
    EXPECT_EQ(Selected(), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(m_host.m_status, "2 Zeilen sind selektiert");
}

TEST_F(LineSelectionTest, EscapeKeepsWhatWasDoneAndStillReports) {
    ASSERT_TRUE(OpenBytes("x\nx\nx\n"));
    m_host.m_bEscape = true;
    SelectByCriteria(Doc(), All("x"));
    EXPECT_TRUE(Selected().empty());
    ExpectConsistent();
    EXPECT_EQ(m_host.m_status, "0 Zeilen sind selektiert");
    EXPECT_EQ(m_host.m_nBusyDepth, 0);
}

TEST_F(LineSelectionTest, RecordingAndHistory) {
    ASSERT_TRUE(OpenBytes("a\"b\nc\n"));
    m_history = {{0, 0, 0, "a\"b"}, {SEL_MATCH_CASE, 0, 0, "old"}};
    m_host.m_bRecording = true;
    SelectCriteria c = All("a\"b", SEL_MATCH_CASE | SEL_MULTI_TEXT);
    SelectByCriteria(Doc(), c);
    InvertSelection(Doc());
    EXPECT_EQ(m_host.m_script, "SELECT LINE=*ALL,TEXT=\"a\"\"b\",MATCHCASE=YES,MULTITEXT=YES\r\n"
                               "INVERTSELECT\r\n");
    // The text moves to the end, with the multi-text option it ran with.
    ASSERT_EQ(m_history.size(), 2u);
    EXPECT_EQ(m_history[0].m_text, "old");
    EXPECT_EQ(m_history[1], (TextHistoryEntry{SEL_MATCH_CASE | SEL_MULTI_TEXT, 0, 0, "a\"b"}));
}

TEST_F(LineSelectionTest, HugeLineRangesStayLinear) {
    // Every line is a hit and every hit names all following lines: without care
    // that is a hundred thousand lines times a hundred thousand.
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += "hit\n";
    ASSERT_TRUE(OpenBytes(bytes));
    SelectCriteria c = All("hit");
    c.m_postLines = "1-4000000000";
    c.m_preLines = "0-4000000000";
    SelectByCriteria(Doc(), c);
    EXPECT_EQ(Doc().SelectedCount(), 100000u);
    c.m_nMode = 0;
    DeselectByCriteria(Doc(), c);
    EXPECT_EQ(Doc().SelectedCount(), 0u);
    ExpectConsistent();
}

TEST(LineSelectionParts, LineLists) {
    const std::pair<const char*, std::vector<LineListItem>> cases[] = {
        {"", {}},
        {"1", {{1, 1}}},
        {"1,3-4", {{1, 1}, {3, 4}}},
        {"9-2, 5", {{2, 9}, {5, 5}}},
        {"x,7", {{0, 0}, {7, 7}}},
        {"99999999999", {{UINT32_MAX, UINT32_MAX}}},
        {"-3", {{0, 3}}},
        {"1,", {{1, 1}, {0, 0}}},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(ParseLineList(text), want) << text;
}

TEST(LineSelectionParts, CountMessageAndHex) {
    const std::pair<uint32_t, const char*> counts[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1.000"},
        {1000005, "1.000.005"},
        {4294967295u, "4.294.967.295"},
    };
    for (const auto& [n, want] : counts)
        EXPECT_EQ(GroupDigits(n), want);
    EXPECT_EQ(SelectedCountMessage(12345), "12.345 Zeilen sind selektiert");
    EXPECT_EQ(DecodeHexText("0d0A"), "\r\n");
    EXPECT_EQ(DecodeHexText("41 4"), std::string("A\x04"));
    EXPECT_EQ(DecodeHexText("zz"), "");
}

// ------------------------------------------------------------------ against a reference

// The rules applied line by line with plain loops.
class RefRun {
public:
    RefRun(CTervikDoc& doc, const SelectCriteria& c, int nColour)
        : m_doc(doc), m_c(c), m_nColour(nColour) {}

    // Colour bits per record after the run (from the given bits).
    std::vector<uint32_t> Run(std::vector<uint32_t> bits) {
        const uint32_t nRecords = m_doc.m_nRecords;
        const uint32_t nEnd = std::min(m_c.m_nEndLine, nRecords);
        const bool bSelect = m_c.m_nMode == 1;
        const uint32_t nMine = m_nColour == 1 ? RF_RED : m_nColour == 2 ? RF_GREEN : RF_BLUE;
        auto mark = [&](int64_t x) {
            if (x < 0 || x >= nRecords) return;
            auto& b = bits[static_cast<size_t>(x)];
            if (bSelect && !b) b = nMine;
            if (!bSelect) b = 0;
        };
        for (uint32_t r = std::min(m_c.m_nFirstLine, nEnd); r < nEnd; ++r) {
            if (bSelect && m_c.m_bScope) {
                if (!bits[r]) continue;
                bits[r] = 0;
            } else if (!bSelect && !bits[r]) {
                continue;
            }
            if (!Passes(r)) continue;
            mark(r);
            for (const auto& it : Items(m_c.m_preLines))
                for (int64_t k = it.m_nLow; k <= it.m_nHigh && k <= r; ++k)
                    mark(int64_t{r} - k);
            for (const auto& it : Items(m_c.m_postLines))
                for (int64_t k = it.m_nLow; k <= it.m_nHigh && r + k < nRecords; ++k)
                    mark(r + k);
        }
        return bits;
    }

private:
    static std::vector<LineListItem> Items(const std::string& s) { return ParseLineList(s); }

    bool Passes(uint32_t r) {
        const uint32_t L = m_doc.GetRecordLength(r, true);
        const uint32_t v = m_c.m_nSizeValue;
        switch (m_c.m_nSizeTest) {
        case 1:
            if (!(L > v)) return false;
            break;
        case 2:
            if (!(L < v)) return false;
            break;
        case 3:
            if (L != v) return false;
            break;
        case 4:
            if (L == v) return false;
            break;
        default:
            break;
        }
        if (m_c.m_text.empty()) return true;
        const bool bHex = m_c.m_nFlags & SEL_HEX_STRING;
        const bool bCase = bHex || (m_c.m_nFlags & SEL_MATCH_CASE);
        const bool bWild = !bHex && (m_c.m_nFlags & SEL_WILDCARDS);
        std::string line(70000, '\0');
        line.resize(m_doc.GetRecordText(r, line.data(), 65536, 0, !bHex, false));
        size_t from = 0;
        if (m_c.m_nFlags & SEL_COLUMN_RANGE) {
            from = m_c.m_nColumnFrom;
            if (line.size() < from) return false;
            if (line.size() > m_c.m_nColumnTo + 1u) line.resize(m_c.m_nColumnTo + 1u);
            if (line.size() < from) return false;
        }
        auto fold = [&](std::string s) {
            if (!bCase)
                for (char& ch : s)
                    ch = static_cast<char>(ToUpper1252(static_cast<uint8_t>(ch)));
            return s;
        };
        line = fold(line);
        std::vector<std::string> alts;
        std::string cur;
        for (char ch : m_c.m_text) {
            if (ch == '|' && (m_c.m_nFlags & SEL_MULTI_TEXT)) {
                alts.push_back(cur);
                cur.clear();
            } else {
                cur += ch;
            }
        }
        alts.push_back(cur);
        for (std::string alt : alts) {
            if (bHex) alt = DecodeHexText(alt);
            alt = fold(alt);
            if (alt.empty()) continue;
            if (bWild) {
                const std::string text = line.substr(from);
                if (MatchWildcardPlain(text.c_str(), alt.c_str(), '*', '/')) return true;
                continue;
            }
            for (size_t c = from; c + alt.size() <= line.size(); ++c)
                if (line.compare(c, alt.size(), alt) == 0) return true;
        }
        return false;
    }

    CTervikDoc& m_doc;
    const SelectCriteria& m_c;
    int m_nColour;
};

TEST_F(LineSelectionTest, AgreesWithPerLineReference) {
    std::mt19937 rng(20261207);
    auto pick = [&](std::string_view s) { return s[rng() % s.size()]; };
    const std::string_view fileChars("aAbBxX\t \xFC\xDC\x00\n", 12);
    m_host.SetSetting("MaxRecSize", "1000"); // long UTF-8 lines cut inside characters
    int nPassed = 0;
    for (int round = 0; round < 90; ++round) {
        // UTF-8 files are scanned for the texts' UTF-8 forms.
        const bool bUtf8 = round % 5 == 3;
        std::string bytes =
            bUtf8 ? test::RandomUtf8File(rng, round % 2, round % 3, round % 10 == 3) : "";
        // Some files span several windows, so raw hits cross window edges.
        const int nBytes = bUtf8 ? 0 : round % 6 == 0 ? 150000 : 1 + static_cast<int>(rng() % 300);
        for (int i = 0; i < nBytes; ++i)
            bytes += pick(fileChars);
        ASSERT_TRUE(OpenBytes(bytes));
        Doc().m_bUtf8 |= bUtf8;
        for (int k = 0; k < 12; ++k) {
            std::vector<uint32_t> bits(Doc().m_nRecords, 0);
            Doc().BeginBulkSelect();
            for (uint32_t r = 0; r < Doc().m_nRecords; ++r) {
                Doc().SetLineSelected(r, false, nullptr);
                if (rng() % 3) continue;
                m_host.m_nSelectColour = static_cast<int>(rng() % 3);
                Doc().SetLineSelected(r, true, nullptr);
                bits[r] = Doc().Record(r)->m_nFlags & RF_COLOUR_MASK;
            }
            Doc().EndBulkSelect();
            m_host.m_nSelectColour = static_cast<int>(rng() % 3);

            SelectCriteria c;
            c.m_nMode = static_cast<int32_t>(rng() % 2);
            c.m_nFirstLine = rng() % 4 ? 0 : static_cast<uint32_t>(rng() % Doc().m_nRecords);
            c.m_nEndLine = rng() % 4 ? Doc().m_nRecords : static_cast<uint32_t>(rng() % 200);
            if (rng() % 4 == 0) {
                c.m_nSizeTest = static_cast<int32_t>(1 + rng() % 4);
                c.m_nSizeValue = static_cast<uint32_t>(rng() % 6);
            }
            const int nText = static_cast<int>(rng() % 4);
            const uint16_t flagChoices[] = {0,
                                            SEL_MATCH_CASE,
                                            SEL_WILDCARDS,
                                            SEL_HEX_STRING,
                                            SEL_MULTI_TEXT,
                                            SEL_WILDCARDS | SEL_MATCH_CASE};
            c.m_nFlags = flagChoices[rng() % std::size(flagChoices)];
            for (int i = 0; i < nText; ++i) {
                if (c.m_nFlags & SEL_HEX_STRING)
                    c.m_text += rng() % 2 ? "61" : "09";
                else
                    c.m_text += pick((c.m_nFlags & SEL_WILDCARDS) ? "aBx*/\xFC" : "aBx\t|\xFC ");
            }
            // In UTF-8 files mostly pieces of lines' text, letters partly in the other case.
            if (bUtf8 && rng() % 4) {
                const bool bHex = c.m_nFlags & SEL_HEX_STRING;
                const bool bFold = !bHex && !(c.m_nFlags & SEL_MATCH_CASE);
                c.m_text.clear();
                for (int nAlt = c.m_nFlags & SEL_MULTI_TEXT ? 2 : 1; nAlt-- > 0;) {
                    std::string lit = test::RandomLiteral(rng, Doc(), !bHex, bFold);
                    if (c.m_nFlags & SEL_WILDCARDS)
                        lit = "*" + lit.insert(lit.size() / 2, "*") + "*";
                    for (const char ch : lit)
                        c.m_text +=
                            bHex ? StrFormat("%02X", static_cast<uint8_t>(ch)) : std::string(1, ch);
                    if (nAlt) c.m_text += '|';
                }
            }
            if (rng() % 3 == 0) {
                c.m_nFlags |= SEL_COLUMN_RANGE;
                c.m_nColumnFrom = static_cast<uint16_t>(rng() % 5);
                c.m_nColumnTo = static_cast<uint16_t>(rng() % 9);
            }
            c.m_bScope = c.m_nMode == 1 && rng() % 3 == 0;
            const char* lists[] = {"", "1", "2-1", "0,3", "x", "1-3,5"};
            c.m_preLines = lists[rng() % std::size(lists)];
            c.m_postLines = lists[rng() % std::size(lists)];

            const std::vector<uint32_t> want = RefRun(Doc(), c, m_host.m_nSelectColour).Run(bits);
            if (c.m_nMode == 1)
                SelectByCriteria(Doc(), c);
            else
                DeselectByCriteria(Doc(), c);
            ASSERT_EQ(Colours(), want)
                << "round " << round << " case " << k << " text '" << c.m_text << "' flags "
                << c.m_nFlags << " mode " << c.m_nMode;
            ExpectConsistent();
            nPassed += want != bits;
        }
    }
    EXPECT_GT(nPassed, 300); // most cases change something
}

} // namespace
} // namespace tervik
