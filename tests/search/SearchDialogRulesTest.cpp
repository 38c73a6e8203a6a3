#include "search/SearchDialogRules.h"
#include "search/SearchPattern.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

TEST(SearchDialogRules, ComposeInTheFixedLetterOrder) {
    struct Case {
        uint32_t nFlags;
        const char* line;
    } cases[] = {
        {0, "Text"},
        {SF_WILDCARDS, "%FLAGS(*)Text"},
        {SF_MATCH_CASE | SF_OEM_TEXT | SF_EBCDIC_TEXT | SF_HEX_STRING | SF_UTF16_BE,
         "%FLAGS(COEXUB)Text"},
        {SF_C_ESCAPES | SF_UTF8 | SF_WILDCARDS, "%FLAGS(\\U8)Text"}, // a Unicode form wins over *
        {SF_HEX_STRING | SF_C_ESCAPES, "%FLAGS(X)Text"},             // X wins over the backslash
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComposePatternLine("Text", c.nFlags), c.line) << c.nFlags;
    EXPECT_EQ(ComposePatternLine("", SF_MATCH_CASE), "");
    EXPECT_EQ(ComposePatternLine(std::string(200, 'a'), SF_MATCH_CASE).size(), 128u);
    // What the dialog composes decodes to the same options.
    const PatternParts back = SplitPatternLine("%FLAGS(COEXUB)Text");
    EXPECT_EQ(back.m_text, "Text");
    EXPECT_EQ(back.m_nFlags,
              SF_MATCH_CASE | SF_OEM_TEXT | SF_EBCDIC_TEXT | SF_HEX_STRING | SF_UTF16_BE);
    EXPECT_EQ(SplitPatternLine("%flags(c)a)b").m_text, "a)b");
    EXPECT_EQ(SplitPatternLine("%FLAGS(C").m_nFlags, 0u);
    EXPECT_EQ(SplitPatternLine("plain").m_text, "plain");
}

TEST(SearchDialogRules, HexAndBackKeepsTheMeaning) {
    // A text with a TAB comes back with \t, and the escapes box gets checked.
    const std::string hex = TextToHex("a\tb\\", 0);
    EXPECT_EQ(hex, "6109625c");
    bool bEscapes = false;
    EXPECT_EQ(HexToText(hex, bEscapes), "a\\tb\\\\");
    EXPECT_TRUE(bEscapes);
    EXPECT_EQ(HexToText("41424", bEscapes), "AB"); // the odd last digit goes
    EXPECT_FALSE(bEscapes);
    EXPECT_EQ(HexToText("0001ff", bEscapes), "\\x00\\x01\xff");
    // Escapes and Unicode forms are decoded before the digits are made.
    EXPECT_EQ(TextToHex("a\\tb", SF_C_ESCAPES), "610962");
    EXPECT_EQ(TextToHex("ab", SF_UTF16_LE), "61006200");
    EXPECT_EQ(TextToHex("ab", SF_UTF16_BE), "00610062");
    EXPECT_EQ(KeepHexDigits("0x1G-aF 9"), "01aF9");
}

TEST(SearchDialogRules, EscapesOnAndOff) {
    EXPECT_EQ(DoubleBackslashes("c:\\tmp\\x"), "c:\\\\tmp\\\\x");
    struct Case {
        const char* text;
        bool bReal;
        const char* removed;
    } cases[] = {
        {"c:\\\\tmp", false, "c:\\tmp"}, {"a\\tb", true, "ab"},    {"x\\x41y", true, "xy"},
        {"end\\x4", true, "end"},        {"tail\\", true, "tail"}, {"plain", false, "plain"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HasRealEscapes(c.text), c.bReal) << c.text;
        EXPECT_EQ(RemoveEscapes(c.text), c.removed) << c.text;
    }
}

} // namespace
} // namespace tervik
