#include "search/RawScan.h"

#include "../document/FakeDocumentHost.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tervik {
namespace {

// The scan folds with the lower-case table while the selection compares upper-cased
// text; both must make the same classes of bytes.
TEST(RawScan, UpperAndLowerFoldingAgree) {
    const uint8_t* upper = UpperTable1252();
    const uint8_t* lower = LowerTable1252();
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b)
            ASSERT_EQ(upper[a] == upper[b], lower[a] == lower[b]) << a << " " << b;
}

TEST(RawScan, FindFoldedAgreesWithNaiveSearch) {
    std::mt19937 rng(7);
    const std::string_view alphabet("aAbBwW \xFC\xDC\x00\n", 11);
    for (int round = 0; round < 3000; ++round) {
        std::string text, pat;
        const size_t n = rng() % 80;
        for (size_t i = 0; i < n; ++i)
            text += alphabet[rng() % alphabet.size()];
        const size_t m = 1 + rng() % 4;
        for (size_t i = 0; i < m; ++i)
            pat += alphabet[rng() % alphabet.size()];
        const bool bFold = rng() % 2;
        if (bFold)
            for (char& c : pat)
                c = static_cast<char>(ToLower1252(static_cast<uint8_t>(c)));
        std::optional<size_t> want, wantLast;
        for (size_t i = 0; i + m <= n; ++i) {
            size_t j = 0;
            while (j < m &&
                   (bFold ? ToLower1252(static_cast<uint8_t>(text[i + j]))
                          : static_cast<uint8_t>(text[i + j])) == static_cast<uint8_t>(pat[j]))
                ++j;
            if (j < m) continue;
            if (!want) want = i;
            wantLast = i;
        }
        const auto* p = reinterpret_cast<const uint8_t*>(text.data());
        EXPECT_EQ(FindFolded(p, n, pat, bFold), want) << round;
        // Every anchor gives the same answer.
        EXPECT_EQ(FindFolded(p, n, pat, bFold, rng() % (m + 1)), want) << round;
        // A needle of the pattern and its upper case finds the same.
        RawNeedle needle{pat, pat};
        if (bFold) UpperBuffer1252(reinterpret_cast<uint8_t*>(needle.m_other.data()), m);
        EXPECT_EQ(FindNeedle(p, n, needle, rng() % (m + 1)), want) << round;
        // From the end: the last place.
        EXPECT_EQ(FindFoldedLast(p, n, pat, bFold, rng() % (m + 1)), wantLast) << round;
        EXPECT_EQ(FindNeedleLast(p, n, needle, rng() % (m + 1)), wantLast) << round;
    }
}

// A needle allows a lower-cased character and its upper case only: those must be all
// the characters that fold to it, and in UTF-8 both must be equally long.
TEST(RawScan, CasePairsAreTheWholeFoldClassesAndEquallyLongInUtf8) {
    for (int y = 0; y < 256; ++y) {
        const uint8_t l = ToLower1252(static_cast<uint8_t>(y));
        const uint8_t u = ToUpper1252(l);
        for (int x = 0; x < 256; ++x)
            ASSERT_TRUE(ToLower1252(static_cast<uint8_t>(x)) != l || x == l || x == u) << x;
        EXPECT_EQ(Cp1252ToUtf8(std::string(1, static_cast<char>(l))).size(),
                  Cp1252ToUtf8(std::string(1, static_cast<char>(u))).size())
            << y;
    }
}

TEST(RawScan, NeedleForDisplayText) {
    test::CFakeDocumentHost host;
    CTervikDoc doc(host);
    enum Kind { Single, Utf8, Utf16 };
    const struct {
        Kind kind;
        const char* lit;
        bool bFold;
        bool bExpand;
        const char* bytes; // null: no needle
        const char* other;
    } cases[] = {
        {Single, "ab\tcd e?", false, true, "cd e?", "cd e?"}, // expanded tabs cut
        {Single, "ab\tc", false, false, "ab\tc", "ab\tc"},
        {Single, "gr\xFC\xDF", true, true, "gr\xFC\xDF", "GR\xDC\xDF"},
        {Utf8, "g\xFCrkan", true, true, "g\xC3\xBCrkan", "G\xC3\x9CRKAN"},
        {Utf8, "\xFFx", true, true, "\xC3\xBFx", "\xC5\xB8X"},
        {Utf8, "abc?\xE4\xF6", false, true, "\xC3\xA4\xC3\xB6", "\xC3\xA4\xC3\xB6"},
        {Utf8, "\xE4", false, true, nullptr, nullptr}, // a one-byte line shows its byte
        {Utf8, "?\t?", false, true, nullptr, nullptr},
        {Utf16, "abc", false, true, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        doc.m_bUtf8 = c.kind == Utf8;
        doc.m_bUtf16 = c.kind == Utf16;
        const auto needle = RawNeedleFor(doc, c.lit, c.bFold, c.bExpand);
        ASSERT_EQ(needle.has_value(), c.bytes != nullptr) << c.lit;
        if (!needle) continue;
        EXPECT_EQ(needle->m_bytes, c.bytes) << c.lit;
        EXPECT_EQ(needle->m_other, c.other) << c.lit;
    }
}

} // namespace
} // namespace tervik
