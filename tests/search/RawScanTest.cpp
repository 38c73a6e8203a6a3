#include "search/RawScan.h"

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
        std::optional<size_t> want;
        for (size_t i = 0; !want && i + m <= n; ++i) {
            size_t j = 0;
            while (j < m &&
                   (bFold ? ToLower1252(static_cast<uint8_t>(text[i + j]))
                          : static_cast<uint8_t>(text[i + j])) == static_cast<uint8_t>(pat[j]))
                ++j;
            if (j == m) want = i;
        }
        const auto* p = reinterpret_cast<const uint8_t*>(text.data());
        EXPECT_EQ(FindFolded(p, n, pat, bFold), want) << round;
        // Every anchor gives the same answer.
        EXPECT_EQ(FindFolded(p, n, pat, bFold, rng() % (m + 1)), want) << round;
    }
}

} // namespace
} // namespace tervik
