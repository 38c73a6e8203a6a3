#include "search/SearchPattern.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace tervik {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

TEST(SearchPatternDecode, LinesAndTheirBytes) {
    struct Case {
        std::string line;
        std::string bytes;
        uint32_t nFlags;
    } cases[] = {
        {"%FLAGS(C)Abc", "Abc", SF_MATCH_CASE},
        {"%flags(c)Abc", "Abc", SF_MATCH_CASE},
        {"%FlAgS(c)Abc", "Abc", SF_MATCH_CASE},
        {"%FLAGS()Abc", "Abc", 0},
        {"%%FLAGS(C)x", "%FLAGS(C)x", 0},
        {"%%flags(C)x", "%flags(C)x", 0},
        {"%FLAGS(X)414", Bytes({0x04, 0x14}), SF_HEX_STRING},
        {"%FLAGS(X)4142", "AB", SF_HEX_STRING},
        {"%FLAGS(x)6a6B", "jk", SF_HEX_STRING},
        // Non-hex digits count as 0.
        {"%FLAGS(X)4G2z", Bytes({0x40, 0x20}), SF_HEX_STRING},
        // Escapes are ignored with a hex string.
        {"%FLAGS(X\\)41", "A", SF_HEX_STRING | SF_C_ESCAPES},
        {"%FLAGS(\\)a\\tb\\x41\\\\",
         "a\tb"
         "A\\",
         SF_C_ESCAPES},
        {"%FLAGS(U)ab", Bytes({0x61, 0, 0x62, 0}), SF_UTF16_LE},
        {"%FLAGS(UB)ab", Bytes({0, 0x61, 0, 0x62}), SF_UTF16_BE},
        {"%FLAGS(u8)a\xE4", "a\xC3\xA4", SF_UTF8},
        {"%FLAGS(U)\x80", Bytes({0xAC, 0x20}), SF_UTF16_LE},
        // Only the first U decides.
        {"%FLAGS(UUB)a", Bytes({0x61, 0}), SF_UTF16_LE},
        {"%FLAGS(BU8U)a", "a", SF_UTF8},
        // Letters in any order, repeats and unknown letters do nothing more.
        {"%FLAGS(*eoccqz)a*c", "a*c", SF_WILDCARDS | SF_EBCDIC_TEXT | SF_OEM_TEXT | SF_MATCH_CASE},
        // The text may hold further parentheses.
        {"%FLAGS(C)(a)", "(a)", SF_MATCH_CASE},
        // Plain lines stay as they are.
        {"abc", "abc", 0},
        {"%FLAGS", "%FLAGS", 0},
        {"%%FLAGS", "%%FLAGS", 0},
        {" %FLAGS(C)x", " %FLAGS(C)x", 0},
        // Nothing to search.
        {"", "", 0},
        {"%FLAGS(C", "", 0},
        {"%FLAGS(C)", "", 0},
        {"%FLAGS(*)*", "*", SF_WILDCARDS},
    };
    for (const auto& c : cases) {
        const SearchPattern p = DecodePattern(c.line);
        EXPECT_EQ(p.m_bytes, c.bytes) << c.line;
        EXPECT_EQ(p.m_nFlags, c.nFlags) << c.line;
    }
}

TEST(SearchPatternDecode, CEscapes) {
    struct Case {
        std::string text;
        std::string bytes;
    } cases[] = {
        {"\\a\\b\\f\\n\\r\\t\\v", "\a\b\f\n\r\t\v"},
        {"\\A\\B\\F\\N\\R\\T\\V", "\a\b\f\n\r\t\v"},
        {"\\X4a\\x4A", "JJ"},
        // A product is never scanned again.
        {"\\\\x41", "\\x41"},
        {"\\\\\\\\", "\\\\"},
        {"\\x5c"
         "x41",
         "\\x41"},
        {"\\*\\/\\q", "*/q"},
        // "\x" needs two characters behind it.
        {"\\x4", "\\x4"},
        {"\\x", "\\x"},
        {"a\\", "a\\"},
        {"\\x00b", Bytes({0, 'b'})},
    };
    for (const auto& c : cases) {
        const SearchPattern p = DecodePattern("%FLAGS(\\)" + c.text);
        EXPECT_EQ(p.m_bytes, c.bytes) << c.text;
    }
}

TEST(SearchPatternDecode, BufferInPlace) {
    char buf[kMaxPatternText + 1];
    uint32_t nFlags = 0xFFFF;
    std::strcpy(buf, "%%FLAGS(C)x");
    EXPECT_EQ(DecodeSearchPattern(buf, nFlags), 10);
    EXPECT_STREQ(buf, "%FLAGS(C)x");
    EXPECT_EQ(nFlags, 0u);
    std::strcpy(buf, "%FLAGS(X)4142");
    EXPECT_EQ(DecodeSearchPattern(buf, nFlags), 2);
    EXPECT_EQ(std::memcmp(buf, "AB", 2), 0);
    EXPECT_EQ(nFlags, SF_HEX_STRING);
    // Nothing to search leaves an empty string.
    std::strcpy(buf, "%FLAGS(C");
    EXPECT_EQ(DecodeSearchPattern(buf, nFlags), 0);
    EXPECT_STREQ(buf, "");
    // Whatever was in the last byte, the text ends at 128 characters.
    std::memset(buf, 'q', sizeof buf);
    EXPECT_EQ(DecodeSearchPattern(buf, nFlags), kMaxPatternText);
}

TEST(SearchPatternDecode, Limits) {
    // The line is cut to 128 characters before decoding.
    const std::string text(200, 'a');
    EXPECT_EQ(DecodePattern(text).m_bytes, std::string(128, 'a'));
    EXPECT_EQ(DecodePattern("%FLAGS(C)" + text).m_bytes, std::string(128 - 9, 'a'));
    // The closing parenthesis behind the cut is not seen.
    EXPECT_EQ(DecodePattern("%FLAGS(" + std::string(121, 'c') + ")x").m_bytes, "");

    // Only 31 characters of options count; the text is still everything behind ")".
    const std::string pad(30, '-');
    EXPECT_EQ(DecodePattern("%FLAGS(" + pad + "C)x").m_nFlags, SF_MATCH_CASE);
    const SearchPattern cut = DecodePattern("%FLAGS(" + pad + "-C)x");
    EXPECT_EQ(cut.m_nFlags, 0u);
    EXPECT_EQ(cut.m_bytes, "x");
    // A U as the 31st character has nothing behind it inside the options.
    EXPECT_EQ(DecodePattern("%FLAGS(" + pad + "U8)x").m_nFlags, SF_UTF16_LE);

    // Hex: 120 digits give 60 bytes, an odd count one more.
    EXPECT_EQ(DecodePattern("%FLAGS(X)" + std::string(200, 'f')).m_bytes.size(), 60u);
    EXPECT_EQ(DecodePattern("%FLAGS(X)" + std::string(118, 'f') + "1").m_bytes,
              "\x0f" + std::string(58, '\xff') + "\xf1");

    // Unicode conversions take the first 64 characters.
    EXPECT_EQ(DecodePattern("%FLAGS(U)" + text).m_bytes.size(), 128u);
    EXPECT_EQ(DecodePattern("%FLAGS(U8)" + text).m_bytes, std::string(64, 'a'));
    // 64 a-umlauts are exactly 128 UTF-8 bytes; 64 euro signs would be 192, so whole
    // characters are dropped until 128 bytes are left at most.
    std::string umlauts;
    std::string euros;
    for (int i = 0; i < 64; ++i) {
        umlauts += "\xC3\xA4";
        euros += "\xE2\x82\xAC";
    }
    EXPECT_EQ(DecodePattern("%FLAGS(U8)" + std::string(70, '\xE4')).m_bytes, umlauts);
    EXPECT_EQ(DecodePattern("%FLAGS(U8)" + std::string(64, '\x80')).m_bytes,
              euros.substr(0, 42 * 3));
    EXPECT_EQ(DecodePattern("%FLAGS(U8)" + std::string(63, 'a') + "\x80").m_bytes,
              std::string(63, 'a') + "\xE2\x82\xAC");
    EXPECT_EQ(DecodePattern("%FLAGS(U8)" + std::string(126, 'a') + "\x80").m_bytes,
              std::string(64, 'a'));
}

TEST(SearchPatternDecode, WildcardFixedLength) {
    struct Case {
        const char* line;
        int nFixed;
    } cases[] = {{"%FLAGS(*)a*c", 2}, {"%FLAGS(*)*", 0}, {"%FLAGS(*)***", 0}, {"%FLAGS(*)/*", 1}};
    for (const auto& c : cases) {
        const SearchPattern p = DecodePattern(c.line);
        const int n = static_cast<int>(p.m_bytes.size());
        EXPECT_EQ(n - CountWildcardStars(p.m_bytes.data(), n), c.nFixed) << c.line;
    }
    EXPECT_EQ(CountWildcardStars("a*b*", 3), 1);
    EXPECT_EQ(CountWildcardStars(nullptr, 0), 0);
}

struct MatchCase {
    const char* text;
    const char* pattern;
    int nStart;
    bool bMatch;
    int nPos;
    int nLength;
};

TEST(WildcardMatch, HitPositions) {
    const MatchCase cases[] = {
        {"abbc", "a*c", 0, true, 0, 4},
        {"aabcc", "*b*", 0, true, 2, 1},
        {"axbby", "*x*y", 0, true, 1, 4},
        {"ab", "ab*", 0, true, 0, 2},
        {"abxyz", "ab*", 0, true, 0, 2},
        // Anchored at the line's end.
        {"abcd", "abc", 0, false, 0, 0},
        {"abc", "abc", 0, true, 0, 3},
        {"xabc", "abc", 0, false, 0, 0},
        {"xabc", "abc", 1, true, 1, 3},
        {"xaab", "*ab", 0, true, 2, 2},
        {"ababc", "*abc", 0, true, 2, 3},
        {"aba", "*a", 0, true, 2, 1},
        {"zz-a-b-c", "*a*b*", 2, true, 3, 3},
        {"a-b", "a*b", 0, true, 0, 3},
        {"ab", "a*c", 0, false, 0, 0},
        {"abc", "a/c", 0, true, 0, 3},
        {"abc", "/", 0, false, 0, 0},
        {"abc", "*/", 0, true, 2, 1},
        {"abc", "///", 0, true, 0, 3},
        {"abc", "**c", 0, true, 2, 1},
        {"", "*", 0, true, 0, 0},
        {"", "", 0, true, 0, 0},
        {"x", "", 0, false, 0, 0},
        {"abc", "*", 0, true, 0, 0},
        {"abc", "abc", 3, false, 0, 0},
        {"abc", "*", 3, true, 3, 0},
        {"abc", "abc", -1, false, 0, 0},
    };
    for (const auto& c : cases) {
        int nPos = c.nStart;
        int nLength = -1;
        const bool bMatch = MatchWildcard(c.text, c.pattern, '*', '/', nPos, nLength);
        EXPECT_EQ(bMatch, c.bMatch) << c.text << " / " << c.pattern;
        if (bMatch && c.bMatch) {
            EXPECT_EQ(nPos, c.nPos) << c.text << " / " << c.pattern;
            EXPECT_EQ(nLength, c.nLength) << c.text << " / " << c.pattern;
        }
        if (c.nStart >= 0) {
            EXPECT_EQ(MatchWildcardPlain(c.text + c.nStart, c.pattern, '*', '/'), c.bMatch)
                << c.text << " / " << c.pattern;
        }
    }
}

TEST(WildcardMatch, WildcardsSwitchedOffAndHighBytes) {
    struct Case {
        const char* text;
        const char* pattern;
        char cAny;
        char cOne;
        bool bMatch;
    } cases[] = {
        {"a*c", "a*c", 0, '/', true},       {"abc", "a*c", 0, '/', false},
        {"a/c", "a/c", '*', 0, true},       {"abc", "a/c", '*', 0, false},
        {"abc", "a?c", '*', '?', true},     {"\xE4x\xFF", "\xE4*\xFF", '*', '/', true},
        {"\xE4\xFF", "//", '*', '/', true}, {"\xE4", "\xC4", '*', '/', false},
    };
    for (const auto& c : cases) {
        int nPos = 0;
        int nLength = 0;
        EXPECT_EQ(MatchWildcard(c.text, c.pattern, c.cAny, c.cOne, nPos, nLength), c.bMatch)
            << c.text << " / " << c.pattern;
        EXPECT_EQ(MatchWildcardPlain(c.text, c.pattern, c.cAny, c.cOne), c.bMatch)
            << c.text << " / " << c.pattern;
    }
}

// Reference: plain recursion over the definition of the language.
bool Glob(const char* t, const char* p) {
    if (*p == '*') return Glob(t, p + 1) || (*t && Glob(t + 1, p));
    if (!*p) return !*t;
    return *t && (*p == '/' || *p == *t) && Glob(t + 1, p + 1);
}

TEST(WildcardMatch, BothMatchersAgreeOnRandomInput) {
    std::mt19937 rng(20240611);
    const char kAlphabet[] = "ab*/";
    auto randomString = [&](int nMaxLen, int nSymbols) {
        std::string s(rng() % static_cast<unsigned>(nMaxLen + 1), ' ');
        for (char& ch : s)
            ch = kAlphabet[rng() % static_cast<unsigned>(nSymbols)];
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string text = randomString(8, i % 2 ? 2 : 4);
        const std::string pattern = randomString(6, 4);
        const int nStart = text.empty() ? 0 : static_cast<int>(rng() % (text.size() + 1));
        int nPos = nStart;
        int nLength = -1;
        const bool bMatch = MatchWildcard(text.c_str(), pattern.c_str(), '*', '/', nPos, nLength);
        const bool bPlain = MatchWildcardPlain(text.c_str() + nStart, pattern.c_str(), '*', '/');
        ASSERT_EQ(bMatch, bPlain) << text << " @" << nStart << " / " << pattern;
        ASSERT_EQ(bPlain, Glob(text.c_str() + nStart, pattern.c_str()))
            << text << " @" << nStart << " / " << pattern;
        if (bMatch) {
            ASSERT_GE(nPos, nStart);
            ASSERT_GE(nLength, 0);
            ASSERT_LE(nPos + nLength, static_cast<int>(text.size()));
        }
    }
}

} // namespace
} // namespace tervik
