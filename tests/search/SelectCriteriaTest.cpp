#include "search/SelectCriteria.h"

#include "base/Settings.h"
#include "platform/Profile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tervik {
namespace {

TextHistoryEntry Entry(std::string text, uint16_t nFlags = 0, uint16_t nFrom = 0,
                       uint16_t nTo = 0) {
    TextHistoryEntry e;
    e.m_nFlags = nFlags;
    e.m_nColumnFrom = nFrom;
    e.m_nColumnTo = nTo;
    e.m_text = std::move(text);
    return e;
}

std::vector<std::string> Texts(const std::vector<TextHistoryEntry>& history) {
    std::vector<std::string> texts;
    for (const auto& e : history)
        texts.push_back(e.m_text);
    return texts;
}

TEST(TextHistoryEntry, StoredForms) {
    struct Case {
        TextHistoryEntry entry;
        std::string value;
    } cases[] = {
        {Entry("Fehler", SEL_MATCH_CASE), "(0,1,0,Fehler)"},
        {Entry("414243", SEL_HEX_STRING), "(1,0,0,414243)"},
        {Entry("a*b", SEL_WILDCARDS), "(0,0,1,a*b)"},
        {Entry("x", SEL_COLUMN_RANGE | SEL_WILDCARDS | SEL_MATCH_CASE, 4, 19),
         "(ROW,4,19,0,1,1,x)"},
        {Entry("a,b)c", SEL_COLUMN_RANGE, 0, 65535), "(ROW,0,65535,0,0,0,a,b)c)"},
        // Without a range the columns have no place in the value.
        {Entry("t", 0, 7, 9), "(0,0,0,t)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeHistoryEntry(c.entry), c.value) << c.value;
}

TEST(TextHistoryEntry, ReadsBothFormsAndRejectsBrokenValues) {
    struct Case {
        std::string value;
        std::optional<TextHistoryEntry> entry;
    } cases[] = {
        {"(0,1,0,Fehler)", Entry("Fehler", SEL_MATCH_CASE)},
        {"(1,1,1,41)", Entry("41", SEL_HEX_STRING | SEL_MATCH_CASE | SEL_WILDCARDS)},
        {"(ROW,4,19,0,1,1,x)",
         Entry("x", SEL_COLUMN_RANGE | SEL_WILDCARDS | SEL_MATCH_CASE, 4, 19)},
        // The text keeps its own commas and parentheses.
        {"(0,0,0,a,b,c)", Entry("a,b,c")},
        {"(ROW,1,2,0,0,0,(x,y))", Entry("(x,y)", SEL_COLUMN_RANGE, 1, 2)},
        {"(0,0,0,(ROW,1,2,0,0,0,z))", Entry("(ROW,1,2,0,0,0,z)")},
        {"(0,0,0, blanks )", Entry(" blanks ")},
        // Only one final ")" goes, and only when there is one.
        {"(0,0,0,abc", Entry("abc")},
        {"(0,0,0,abc))", Entry("abc)")},
        // Lenient numbers: blanks and signs, anything else counts as 0.
        {"( 7 ,x,-3,t)", Entry("t", SEL_HEX_STRING | SEL_WILDCARDS)},
        {"(ROW,-5,99999999999999999999,0,0,0,t)", Entry("t", SEL_COLUMN_RANGE, 0, 65535)},
        {"(ROW,70000,12abc,0,0,0,t)", Entry("t", SEL_COLUMN_RANGE, 65535, 12)},
        // "(ROW" is case-sensitive: this is the second form.
        {"(row,1,1,0,t)", Entry("0,t", SEL_MATCH_CASE | SEL_WILDCARDS)},
        // Nothing usable.
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"(0,0)", std::nullopt},
        {"(0,0,0,)", std::nullopt},
        {"(0,0,0,", std::nullopt},
        {"(ROW,1,2,0,0,x)", std::nullopt},
        {"(ROW,1,2,0,0,0,)", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeHistoryEntry(c.value), c.entry) << c.value;
}

TEST(TextHistoryEntry, EveryEntryReadsBackUnchanged) {
    const uint16_t flagSets[] = {0,
                                 SEL_MATCH_CASE,
                                 SEL_WILDCARDS | SEL_MATCH_CASE,
                                 SEL_HEX_STRING,
                                 SEL_COLUMN_RANGE,
                                 SEL_COLUMN_RANGE | SEL_HEX_STRING | SEL_MATCH_CASE |
                                     SEL_WILDCARDS};
    const std::string texts[] = {"a",
                                 ",",
                                 ")",
                                 "(",
                                 ",,,)",
                                 "a,b)c(d",
                                 "(ROW,1,2,3,4,5,6)",
                                 " x ",
                                 "\"q\"",
                                 "\xE4\xF6\xFC",
                                 "=;[x]"};
    std::mt19937 rng(7);
    for (const uint16_t nFlags : flagSets) {
        for (const std::string& text : texts) {
            const bool bRange = (nFlags & SEL_COLUMN_RANGE) != 0;
            const auto nFrom = static_cast<uint16_t>(bRange ? rng() : 0);
            const auto nTo = static_cast<uint16_t>(bRange ? rng() : 0);
            const TextHistoryEntry e = Entry(text, nFlags, nFrom, nTo);
            EXPECT_EQ(DecodeHistoryEntry(EncodeHistoryEntry(e)), e) << EncodeHistoryEntry(e);
        }
    }
}

TEST(TextHistory, ReadingStopsAtTheFirstEmptyValue) {
    const std::vector<StoredSelectText> values = {{"(0,0,0,a)", true},  {"broken", true},
                                                  {"(0,1,0,b)", false}, {"(0,0,1,a)", false},
                                                  {"", true},           {"(0,0,0,c)", false}};
    const auto history = DecodeHistory(values);
    // The broken value is skipped, a repeated text counts once, at its later place,
    // with the mark of that place.
    ASSERT_EQ(Texts(history), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(history[1].m_nFlags, SEL_WILDCARDS);
}

TEST(TextHistory, WritingKeepsTheNewestEntries) {
    for (const size_t nEntries :
         {size_t{0}, size_t{1}, size_t{98}, size_t{99}, size_t{100}, size_t{250}}) {
        std::vector<TextHistoryEntry> history;
        for (size_t i = 0; i < nEntries; ++i)
            history.push_back(Entry("t" + std::to_string(i)));
        const auto values = EncodeHistory(history);
        const size_t nKept = std::min<size_t>(nEntries, kSelectTextListMax);
        ASSERT_EQ(values.size(), nKept);
        if (nKept == 0) continue;
        EXPECT_EQ(values.front().m_value, "(0,0,0,t" + std::to_string(nEntries - nKept) + ")");
        EXPECT_EQ(values.back().m_value, "(0,0,0,t" + std::to_string(nEntries - 1) + ")");
        EXPECT_EQ(DecodeHistory(values).size(), nKept);
    }
}

TEST(TextHistory, EnteringMovesTheTextToTheEnd) {
    struct Case {
        const char* pszName;
        TextHistoryEntry entry;
        std::vector<std::string> texts;
        TextHistoryEntry last;
    } cases[] = {
        {"new text", Entry("d", SEL_MATCH_CASE), {"a", "b", "c", "d"}, Entry("d", SEL_MATCH_CASE)},
        {"same text moves", Entry("a", SEL_WILDCARDS), {"b", "c", "a"}, Entry("a", SEL_WILDCARDS)},
        {"compare is exact", Entry("B"), {"a", "b", "c", "B"}, Entry("B")},
        {"multi-text kept",
         Entry("x|y", SEL_MULTI_TEXT | SEL_MATCH_CASE),
         {"a", "b", "c", "x|y"},
         Entry("x|y", SEL_MULTI_TEXT | SEL_MATCH_CASE)},
        {"columns only with a range",
         Entry("b", SEL_HEX_STRING, 3, 4),
         {"a", "c", "b"},
         Entry("b", SEL_HEX_STRING)},
        {"range kept",
         Entry("c", SEL_COLUMN_RANGE, 3, 4),
         {"a", "b", "c"},
         Entry("c", SEL_COLUMN_RANGE, 3, 4)},
        {"empty text ignored", Entry(""), {"a", "b", "c"}, Entry("c")},
    };
    for (const auto& c : cases) {
        std::vector<TextHistoryEntry> history = {Entry("a"), Entry("b"), Entry("c")};
        EnterIntoHistory(history, c.entry);
        EXPECT_EQ(Texts(history), c.texts) << c.pszName;
        EXPECT_EQ(history.back(), c.last) << c.pszName;
    }
}

TEST(TextHistory, SurvivesTheSettingsFile) {
    test::CTempDir dir;
    const std::string path = dir.File("t.ini");
    std::vector<TextHistoryEntry> history = {
        Entry(" lead and trail ", SEL_MATCH_CASE),
        Entry("\"quoted\""),
        Entry("a=b;c", SEL_COLUMN_RANGE | SEL_WILDCARDS, 2, 9),
        Entry("[Section]"),
        Entry("x,y)", SEL_HEX_STRING),
        Entry("M\xFCller|Stra\xDF"
              "e",
              SEL_MULTI_TEXT),
        Entry("a|b", SEL_MULTI_TEXT | SEL_COLUMN_RANGE | SEL_MATCH_CASE, 1, 5),
    };
    {
        CProfile profile(path);
        CSettings settings(profile);
        settings.WriteSelectTextList(EncodeHistory(history));
        ASSERT_EQ(profile.LastError(), 0u);
    }
    CProfile profile(path);
    CSettings settings(profile);
    EXPECT_EQ(DecodeHistory(settings.ReadSelectTextList()), history);
    // The entry keeps the form every reader knows; the mark stands beside it.
    EXPECT_EQ(profile.GetProfileString("Select Text List", "Select06", ""),
              "(0,0,0,M\xFCller|Stra\xDF"
              "e)");
    EXPECT_EQ(profile.GetProfileString("Select Text List", "Select07", ""), "(ROW,1,5,0,1,0,a|b)");
    EXPECT_EQ(profile.GetProfileString("Select Text List", "Select07Multi", ""), "1");
    EXPECT_EQ(profile.GetProfileString("Select Text List", "Select05Multi", "none"), "none");
}

} // namespace
} // namespace tervik
