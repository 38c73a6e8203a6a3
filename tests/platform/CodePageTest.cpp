#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tervik {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

std::string AllBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b)
        s.push_back(static_cast<char>(b));
    return s;
}

// Converts through exactly sized heap buffers so ASan sees any read or write past them.
std::string ConvertBuffer(const std::string& in) {
    std::vector<uint8_t> src(in.begin(), in.end());
    std::vector<uint8_t> dst(in.size());
    const size_t n = Utf8ToCp1252(src.data(), src.size(), dst.data());
    EXPECT_LE(n, in.size());
    return std::string(dst.begin(), dst.begin() + static_cast<std::ptrdiff_t>(n));
}

std::string EncodeUtf8(char32_t cp) {
    if (cp < 0x80) return Bytes({static_cast<int>(cp)});
    if (cp < 0x800)
        return Bytes({static_cast<int>(0xC0 | (cp >> 6)), static_cast<int>(0x80 | (cp & 0x3F))});
    if (cp < 0x10000)
        return Bytes({static_cast<int>(0xE0 | (cp >> 12)),
                      static_cast<int>(0x80 | ((cp >> 6) & 0x3F)),
                      static_cast<int>(0x80 | (cp & 0x3F))});
    return Bytes({static_cast<int>(0xF0 | (cp >> 18)), static_cast<int>(0x80 | ((cp >> 12) & 0x3F)),
                  static_cast<int>(0x80 | ((cp >> 6) & 0x3F)),
                  static_cast<int>(0x80 | (cp & 0x3F))});
}

// --- cp1252 <-> Unicode ---

TEST(Cp1252Unicode, HighControlRangeMatchesWindows1252) {
    constexpr char16_t kExpected[32] = {
        u'€',   0x0081, u'‚', u'ƒ', u'„', u'…',   u'†', u'‡', //
        u'ˆ',   u'‰',   u'Š', u'‹', u'Œ', 0x008D, u'Ž', 0x008F,
        0x0090, u'‘',   u'’', u'“', u'”', u'•',   u'–', u'—', //
        u'˜',   u'™',   u'š', u'›', u'œ', 0x009D, u'ž', u'Ÿ',
    };
    for (size_t i = 0; i < 32; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Cp1252ToUnicode(static_cast<uint8_t>(0x80 + i)), kExpected[i]);
    }
}

TEST(Cp1252Unicode, OutsideHighControlRangeIsLatin1) {
    for (int b = 0; b < 256; ++b) {
        if (b >= 0x80 && b < 0xA0) continue;
        EXPECT_EQ(Cp1252ToUnicode(static_cast<uint8_t>(b)), static_cast<char16_t>(b)) << b;
    }
}

TEST(Cp1252Unicode, EveryByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        const char16_t u = Cp1252ToUnicode(byte);
        EXPECT_EQ(UnicodeToCp1252(u), byte) << b;
        EXPECT_EQ(Utf16UnitToCp1252(u), byte) << b;
    }
}

TEST(Cp1252Unicode, OnlyTableCharactersMapBack) {
    // Over the whole BMP, a code point maps either to '?' or to the one byte that maps to it.
    int nMapped = 0;
    for (char32_t cp = 0; cp < 0x10000; ++cp) {
        const uint8_t b = UnicodeToCp1252(cp);
        if (b == kDefaultChar && cp != U'?') continue;
        ++nMapped;
        ASSERT_EQ(Cp1252ToUnicode(b), cp) << static_cast<uint32_t>(cp);
    }
    EXPECT_EQ(nMapped, 256);
}

TEST(Cp1252Unicode, SelectedCodePoints) {
    struct Case {
        char32_t cp;
        uint8_t expected;
    };
    const Case cases[] = {
        {0x0000, 0x00}, {U'A', 'A'},     {0x007F, 0x7F},  {0x0080, '?'},     {0x0081, 0x81},
        {0x008D, 0x8D}, {0x008F, 0x8F},  {0x0090, 0x90},  {0x009D, 0x9D},    {0x009F, '?'},
        {0x00A0, 0xA0}, {U'ä', 0xE4},    {0x00FF, 0xFF},  {0x0100, '?'},     {U'€', 0x80},
        {U'Ÿ', 0x9F},   {U'™', 0x99},    {0x0131, '?'},   {0x2500, '?'},     {0xFFFD, '?'},
        {0x1F600, '?'}, {0x10FFFF, '?'}, {0x110000, '?'}, {0xFFFFFFFF, '?'}, {0x10020AC, '?'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnicodeToCp1252(c.cp), c.expected) << std::hex << static_cast<uint32_t>(c.cp);
    }
}

TEST(Cp1252Unicode, Utf16UnitsAreConvertedOneByOne) {
    struct Case {
        uint16_t unit;
        uint8_t expected;
    };
    const Case cases[] = {
        {u'A', 'A'},   {0x20AC, 0x80}, {0x00E4, 0xE4}, {0x0081, 0x81}, {0xD800, '?'},
        {0xD83D, '?'}, {0xDBFF, '?'},  {0xDC00, '?'},  {0xDE00, '?'},  {0xDFFF, '?'},
        {0xE000, '?'}, {0xFFFF, '?'},  {0x0178, 0x9F},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf16UnitToCp1252(c.unit), c.expected) << c.unit;
}

// --- cp850 -> cp1252 ---

// cp850 0x80-0xFF: the cp1252 byte of the same character, else the nearest look-alike.
constexpr uint8_t kCp850Expected[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x3F, 0x3F, 0x3F, 0x7C, 0x2B, 0xC1, 0xC2, 0xC0, 0xA9, 0x2B, 0x7C, 0x2B, 0x2B, 0xA2, 0xA5, 0x2B,
    0x2B, 0x2B, 0x2B, 0x2B, 0x2D, 0x2B, 0xE3, 0xC3, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2D, 0x2B, 0xA4,
    0xF0, 0xD0, 0xCA, 0xCB, 0xC8, 0x69, 0xCD, 0xCE, 0xCF, 0x2B, 0x2B, 0x3F, 0x3F, 0xA6, 0xCC, 0x3F,
    0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9, 0xFD, 0xDD, 0xAF, 0xB4,
    0xAD, 0xB1, 0x5F, 0xBE, 0xB6, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, 0x3F, 0xA0,
};

TEST(Cp850, EveryByteMapsAsExpected) {
    const std::string all = AllBytes();
    std::vector<uint8_t> converted(all.size());
    OemToAnsi(reinterpret_cast<const uint8_t*>(all.data()), converted.data(), all.size());
    for (size_t b = 0; b < 256; ++b) {
        const uint8_t expected = b < 0x80 ? static_cast<uint8_t>(b) : kCp850Expected[b - 0x80];
        EXPECT_EQ(converted[b], expected) << std::hex << b;
    }
}

TEST(Cp850, FramesStayLegible) {
    // A cp850 single and double frame, as old DOS reports draw them.
    const std::string frame = Bytes({0xDA, 0xC4, 0xC2, 0xBF, 0xB3, 0xC5, 0xC9, 0xCD, 0xBB, 0xBA,
                                     0xC8, 0xBC, 0xB0, 0xDB, 0xD5, 0xF2});
    std::string converted(frame.size(), '\0');
    OemToAnsi(reinterpret_cast<const uint8_t*>(frame.data()),
              reinterpret_cast<uint8_t*>(converted.data()), frame.size());
    EXPECT_EQ(converted, "+-++|++-+|++??i_");
}

TEST(Cp850, OemToAnsiWorksInPlace) {
    const std::string all = AllBytes();
    std::vector<uint8_t> src(all.begin(), all.end());
    std::vector<uint8_t> dst(src.size());
    OemToAnsi(src.data(), dst.data(), src.size());

    OemToAnsi(src.data(), src.data(), src.size());
    EXPECT_EQ(src, dst);

    OemToAnsi(nullptr, nullptr, 0);
}

// --- UTF-8 -> cp1252 ---

TEST(Utf8ToCp1252, Cases) {
    struct Case {
        const char* name;
        std::string in;
        std::string expected;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"ascii", "Hello, World!", "Hello, World!"},
        {"ascii with nul", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"umlaut", Bytes({0xC3, 0xA4}), Bytes({0xE4})},
        {"word", "Gr" + Bytes({0xC3, 0xBC, 0xC3, 0x9F}) + "e", "Gr" + Bytes({0xFC, 0xDF}) + "e"},
        {"euro", Bytes({0xE2, 0x82, 0xAC}), Bytes({0x80})},
        {"y diaeresis capital", Bytes({0xC5, 0xB8}), Bytes({0x9F})},
        {"U+0080 has no byte", Bytes({0xC2, 0x80}), "?"},
        {"U+0081 keeps its byte", Bytes({0xC2, 0x81}), Bytes({0x81})},
        {"nbsp", Bytes({0xC2, 0xA0}), Bytes({0xA0})},
        {"y diaeresis", Bytes({0xC3, 0xBF}), Bytes({0xFF})},
        {"greek", Bytes({0xCE, 0xB1}), "?"},
        {"emoji is one character", Bytes({0xF0, 0x9F, 0x98, 0x80}), "?"},
        {"emoji between ascii", "a" + Bytes({0xF0, 0x9F, 0x98, 0x80}) + "b", "a?b"},
        {"last scalar", Bytes({0xF4, 0x8F, 0xBF, 0xBF}), "?"},
        {"before surrogates", Bytes({0xED, 0x9F, 0xBF}), "?"},
        {"after surrogates", Bytes({0xEE, 0x80, 0x80}), "?"},
        {"smallest 3-byte", Bytes({0xE0, 0xA0, 0x80}), "?"},
        {"smallest 4-byte", Bytes({0xF0, 0x90, 0x80, 0x80}), "?"},
        {"overlong slash", Bytes({0xC0, 0xAF}), "??"},
        {"overlong C1", Bytes({0xC1, 0xBF}), "??"},
        {"overlong 3-byte", Bytes({0xE0, 0x80, 0xAF}), "???"},
        {"overlong 4-byte", Bytes({0xF0, 0x80, 0x80, 0xAF}), "????"},
        {"high surrogate", Bytes({0xED, 0xA0, 0x80}), "???"},
        {"low surrogate", Bytes({0xED, 0xBF, 0xBF}), "???"},
        {"beyond U+10FFFF", Bytes({0xF4, 0x90, 0x80, 0x80}), "????"},
        {"F5 lead", Bytes({0xF5, 0x80, 0x80, 0x80}), "????"},
        {"FE and FF", Bytes({0xFE, 0xFF}), "??"},
        {"lone continuation", Bytes({0x80}), "?"},
        {"continuation between ascii", "a" + Bytes({0xBF}) + "b", "a?b"},
        {"continuation run", Bytes({0x80, 0x81, 0x82}), "???"},
        {"lead then ascii", Bytes({0xC3, 0x41}), "?A"},
        {"broken 3-byte", Bytes({0xE2, 0x41, 0xAC}), "?A?"},
        {"lead then lead", Bytes({0xC3, 0xC3, 0xA4}), Bytes({'?', 0xE4})},
        {"truncated 2-byte at end", "a" + Bytes({0xC3}), "a?"},
        {"truncated 3-byte at end", Bytes({0xE2, 0x82}), "??"},
        {"truncated 4-byte at end", Bytes({0xF0, 0x9F, 0x98}), "???"},
        {"lead alone", Bytes({0xF0}), "?"},
        {"long ascii around umlaut", "abcdefghijklm" + Bytes({0xC3, 0xA4}) + "nopqrstuvwxyz0123",
         "abcdefghijklm" + Bytes({0xE4}) + "nopqrstuvwxyz0123"},
        {"umlaut before long ascii", Bytes({0xC3, 0xA4}) + "abcdefghijkl",
         Bytes({0xE4}) + "abcdefghijkl"},
        {"umlaut ending a word of ascii", "abcdef" + Bytes({0xC3, 0xA4}) + "ghijklmn",
         "abcdef" + Bytes({0xE4}) + "ghijklmn"},
        {"long ascii ending truncated", "0123456789abcdef" + Bytes({0xE2, 0x82}),
         "0123456789abcdef??"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ConvertBuffer(c.in), c.expected);
        EXPECT_EQ(Utf8ToCp1252(std::string_view(c.in)), c.expected);
    }
}

TEST(Utf8ToCp1252, EveryScalarValueGivesOneByte) {
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::string out = ConvertBuffer(EncodeUtf8(cp));
        ASSERT_EQ(out.size(), 1u) << std::hex << static_cast<uint32_t>(cp);
        ASSERT_EQ(static_cast<uint8_t>(out[0]), UnicodeToCp1252(cp))
            << std::hex << static_cast<uint32_t>(cp);
    }
}

TEST(Utf8ToCp1252, EncodedSurrogatesAreRejectedBytewise) {
    for (char32_t cp = 0xD800; cp <= 0xDFFF; ++cp) {
        ASSERT_EQ(ConvertBuffer(EncodeUtf8(cp)), "???") << std::hex << static_cast<uint32_t>(cp);
    }
}

TEST(Utf8ToCp1252, GarbageKeepsAsciiAndStaysWithinBounds) {
    // Pseudo-random bytes, biased towards UTF-8 lead and continuation bytes.
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<uint8_t>(seed >> 16);
    };
    for (int round = 0; round < 5000; ++round) {
        std::string in;
        const size_t len = next() % 40;
        for (size_t i = 0; i < len; ++i) {
            const uint8_t r = next();
            in.push_back(static_cast<char>(r < 0x40 ? (r & 0x7F) : (r | 0x80)));
        }
        const std::string out = ConvertBuffer(in);
        ASSERT_LE(out.size(), in.size());
        // ASCII is never swallowed by a broken sequence.
        std::string asciiIn;
        std::string asciiOut;
        for (char c : in) {
            if (static_cast<uint8_t>(c) < 0x80) asciiIn.push_back(c);
        }
        for (char c : out) {
            if (static_cast<uint8_t>(c) < 0x80 && c != '?') asciiOut.push_back(c);
        }
        std::erase(asciiIn, '?');
        ASSERT_EQ(asciiOut, asciiIn);
    }
}

// --- cp1252 -> UTF-8 ---

TEST(Cp1252ToUtf8, SelectedBytes) {
    struct Case {
        std::string in;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"abc", "abc"},
        {Bytes({0xE4}), Bytes({0xC3, 0xA4})},
        {Bytes({0x80}), Bytes({0xE2, 0x82, 0xAC})},
        {Bytes({0x81}), Bytes({0xC2, 0x81})},
        {Bytes({0x99}), Bytes({0xE2, 0x84, 0xA2})},
        {Bytes({0xA0}), Bytes({0xC2, 0xA0})},
        {Bytes({0xFF}), Bytes({0xC3, 0xBF})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Cp1252ToUtf8(c.in), c.expected);
}

TEST(Cp1252ToUtf8, AllBytesRoundTrip) {
    const std::string all = AllBytes();
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(ConvertBuffer(Cp1252ToUtf8(all)), all);
}

// --- case tables ---

// Lower/upper pairs cp1252 holds both halves of, besides a-z.
constexpr std::array<std::array<uint8_t, 2>, 34> kHighPairs = {{
    {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xE0, 0xC0}, {0xE1, 0xC1}, {0xE2, 0xC2},
    {0xE3, 0xC3}, {0xE4, 0xC4}, {0xE5, 0xC5}, {0xE6, 0xC6}, {0xE7, 0xC7}, {0xE8, 0xC8},
    {0xE9, 0xC9}, {0xEA, 0xCA}, {0xEB, 0xCB}, {0xEC, 0xCC}, {0xED, 0xCD}, {0xEE, 0xCE},
    {0xEF, 0xCF}, {0xF0, 0xD0}, {0xF1, 0xD1}, {0xF2, 0xD2}, {0xF3, 0xD3}, {0xF4, 0xD4},
    {0xF5, 0xD5}, {0xF6, 0xD6}, {0xF8, 0xD8}, {0xF9, 0xD9}, {0xFA, 0xDA}, {0xFB, 0xDB},
    {0xFC, 0xDC}, {0xFD, 0xDD}, {0xFE, 0xDE}, {0xFF, 0x9F},
}};

struct CaseMaps {
    std::array<uint8_t, 256> upper{};
    std::array<uint8_t, 256> lower{};
};

CaseMaps ExpectedCaseMaps() {
    CaseMaps m;
    for (size_t b = 0; b < 256; ++b)
        m.upper[b] = m.lower[b] = static_cast<uint8_t>(b);
    for (char c = 'a'; c <= 'z'; ++c) {
        const auto lo = static_cast<uint8_t>(c);
        const auto up = static_cast<uint8_t>(c - 'a' + 'A');
        m.upper[lo] = up;
        m.lower[up] = lo;
    }
    for (const auto& pair : kHighPairs) {
        m.upper[pair[0]] = pair[1];
        m.lower[pair[1]] = pair[0];
    }
    return m;
}

TEST(CaseTables, EveryByteFoldsAsExpected) {
    const CaseMaps m = ExpectedCaseMaps();
    const uint8_t* upper = UpperTable1252();
    const uint8_t* lower = LowerTable1252();
    for (size_t b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        SCOPED_TRACE(b);
        EXPECT_EQ(ToUpper1252(byte), m.upper[b]);
        EXPECT_EQ(ToLower1252(byte), m.lower[b]);
        EXPECT_EQ(upper[b], m.upper[b]);
        EXPECT_EQ(lower[b], m.lower[b]);
    }
}

TEST(CaseTables, NonLettersStayPut) {
    // Sharp s, micro, f-hook and the arithmetic signs have no partner in cp1252.
    for (int b : {0xDF, 0xB5, 0x83, 0xF7, 0xD7, int{'@'}, int{'['}, int{'`'}, int{'{'}, int{'0'},
                  0xAA, 0xBA, 0x80}) {
        const auto byte = static_cast<uint8_t>(b);
        EXPECT_EQ(ToUpper1252(byte), byte) << b;
        EXPECT_EQ(ToLower1252(byte), byte) << b;
    }
}

TEST(CaseTables, UpperAndLowerAreConsistent) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        SCOPED_TRACE(b);
        EXPECT_EQ(ToUpper1252(ToLower1252(byte)), ToUpper1252(byte));
        EXPECT_EQ(ToLower1252(ToUpper1252(byte)), ToLower1252(byte));
        EXPECT_EQ(ToUpper1252(ToUpper1252(byte)), ToUpper1252(byte));
    }
}

TEST(CaseTables, BuffersFoldEveryByte) {
    const std::string all = AllBytes();
    std::vector<uint8_t> up(all.begin(), all.end());
    std::vector<uint8_t> down(all.begin(), all.end());
    UpperBuffer1252(up.data(), up.size());
    LowerBuffer1252(down.data(), down.size());
    for (size_t b = 0; b < 256; ++b) {
        EXPECT_EQ(up[b], ToUpper1252(static_cast<uint8_t>(b))) << b;
        EXPECT_EQ(down[b], ToLower1252(static_cast<uint8_t>(b))) << b;
    }
    UpperBuffer1252(nullptr, 0);
    LowerBuffer1252(nullptr, 0);
}

TEST(CaseTables, EqualNoCase) {
    struct Case {
        std::string a;
        std::string b;
        bool equal;
    };
    const Case cases[] = {
        {"", "", true},
        {"abc", "ABC", true},
        {"Hello World", "hELLO wORLD", true},
        {"abc", "abd", false},
        {"abc", "abcd", false},
        {"", "a", false},
        {Bytes({0xE4, 0xF6, 0xFC}), Bytes({0xC4, 0xD6, 0xDC}), true}, // äöü / ÄÖÜ
        {"stra" + Bytes({0xDF, 'e'}), "STRA" + Bytes({0xDF, 'E'}), true},
        {"stra" + Bytes({0xDF, 'e'}), "STRASSE", false},
        {Bytes({0x9A, 0x9C, 0x9E, 0xFF}), Bytes({0x8A, 0x8C, 0x8E, 0x9F}), true},
        {Bytes({0xF7}), Bytes({0xD7}), false}, // ÷ is not ×
        {Bytes({0xB5}), Bytes({0xB5}), true},
        {"@", "`", false},
        {"[", "{", false},
        {std::string("a\0b", 3), std::string("A\0B", 3), true},
        {std::string("a\0b", 3), std::string("A\0C", 3), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EqualNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(EqualNoCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
    }
}

} // namespace
} // namespace tervik
