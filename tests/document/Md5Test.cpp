#include "document/Md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace tervik {
namespace {

// Deterministic content whose digests were taken once with md5sum.
std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 31 + 7);
    return v;
}

// Feeds data in pieces whose sizes repeat from the list.
std::string HexInPieces(const std::vector<uint8_t>& data, const std::vector<size_t>& pieces) {
    CMd5 md5;
    size_t pos = 0;
    for (size_t i = 0; pos < data.size(); ++i) {
        const size_t n = std::min(pieces[i % pieces.size()], data.size() - pos);
        md5.Update(data.data() + pos, n);
        pos += n;
    }
    char sz[kMd5HexSize];
    EXPECT_TRUE(md5.FinalHex(sz, sizeof sz));
    return sz;
}

TEST(Md5Digest, ReferenceSuite) {
    struct Case {
        const char* message;
        const char* hex;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMd5::HexOf(c.message, std::strlen(c.message)), c.hex) << '"' << c.message << '"';
}

// Lengths around the padding edges: 55 still fits the length in the last block, 56
// needs an extra one, 64 and multiples leave nothing buffered.
TEST(Md5Digest, LengthsAroundBlockEdges) {
    struct Case {
        size_t n;
        const char* hex;
    } cases[] = {
        {1, "89e74e640b8c46257a29de0616794d5d"},     {55, "c9e512626618c9980ef21a96597af94c"},
        {56, "ecde7caa08e9f5657c863df107cac60a"},    {57, "b17b1a018dd6a4d1edda8aca15f17846"},
        {63, "2f0301069e1c40af7f6c8f843b1b13f2"},    {64, "b6bf87c24b1bc334e2541387a92b981b"},
        {65, "f168246f08b6134d66bd2a10343fa9f1"},    {119, "d5dc3d8264de3aa24dee105910ee27fe"},
        {120, "bcc139b3848923904860d1eefd6e5923"},   {127, "27670172396247fa5f68637f13f8933d"},
        {128, "3e85b70ffc8df5c735ecf2a8f14f1bee"},   {65536, "f19c01fa0371e3c9070b45a85c696c48"},
        {65537, "4a350bec80793ccdb466fb6d631ff062"},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> data = Pattern(c.n);
        EXPECT_EQ(CMd5::HexOf(data.data(), data.size()), c.hex) << c.n << " bytes";
    }
}

TEST(Md5Digest, MillionA) {
    const std::string data(1000000, 'a');
    EXPECT_EQ(CMd5::HexOf(data.data(), data.size()), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5Digest, BinaryDigestMatchesHexInByteOrder) {
    CMd5 md5;
    md5.Update("abc", 3);
    uint8_t digest[kMd5DigestSize];
    md5.Final(digest);
    const uint8_t expected[kMd5DigestSize] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                                              0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
    EXPECT_EQ(0, std::memcmp(digest, expected, sizeof digest));
}

class Md5Streaming : public ::testing::Test {
protected:
    static constexpr const char* kHex = "a64b1b3256fcffbcf7e81559b180d6dd";
    const std::vector<uint8_t> m_data = Pattern(1000003);
};

TEST_F(Md5Streaming, AnySplitGivesTheSameDigest) {
    const std::vector<std::vector<size_t>> splits = {
        {1},        {63},        {64},      {65},           {7, 57},     {64, 1, 127},
        {55, 9, 0}, {65536 + 1}, {1 << 20}, {999999, 1, 3}, {3, 999999},
    };
    for (const auto& pieces : splits)
        EXPECT_EQ(HexInPieces(m_data, pieces), kHex) << "first piece " << pieces[0];
}

TEST_F(Md5Streaming, RandomSplitsGiveTheSameDigest) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 20; ++round) {
        std::uniform_int_distribution<size_t> size(0, round < 10 ? 200 : 70000);
        std::vector<size_t> pieces(37);
        for (size_t& n : pieces)
            n = size(rng);
        pieces.push_back(1); // never an all-zero list
        EXPECT_EQ(HexInPieces(m_data, pieces), kHex) << "round " << round;
    }
}

// Input that is not 4-byte aligned must hash the same (and stay legal under UBSan).
TEST_F(Md5Streaming, UnalignedInput) {
    for (size_t offset = 1; offset < 8; ++offset) {
        std::vector<uint8_t> shifted(offset + m_data.size());
        std::memcpy(shifted.data() + offset, m_data.data(), m_data.size());
        EXPECT_EQ(CMd5::HexOf(shifted.data() + offset, m_data.size()), kHex) << offset;
    }
}

TEST(Md5State, FinalStartsANewMessage) {
    CMd5 md5;
    md5.Update("some earlier text", 17);
    char sz[kMd5HexSize];
    ASSERT_TRUE(md5.FinalHex(sz, sizeof sz));
    md5.Update("abc", 3);
    ASSERT_TRUE(md5.FinalHex(sz, sizeof sz));
    EXPECT_STREQ(sz, "900150983cd24fb0d6963f7d28e17f72");
    ASSERT_TRUE(md5.FinalHex(sz, sizeof sz));
    EXPECT_STREQ(sz, "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5State, InitDiscardsPendingInput) {
    CMd5 md5;
    md5.Update("partial block", 13);
    md5.Init();
    md5.Update("a", 1);
    char sz[kMd5HexSize];
    ASSERT_TRUE(md5.FinalHex(sz, sizeof sz));
    EXPECT_STREQ(sz, "0cc175b9c0f1b6a831c399e269772661");
}

TEST(Md5State, EmptyUpdatesChangeNothing) {
    CMd5 md5;
    md5.Update(nullptr, 0);
    md5.Update("ab", 2);
    md5.Update("x", 0);
    md5.Update(nullptr, 5); // nothing to read from
    md5.Update("c", 1);
    char sz[kMd5HexSize];
    ASSERT_TRUE(md5.FinalHex(sz, sizeof sz));
    EXPECT_STREQ(sz, "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Md5Hex, BufferSizes) {
    struct Case {
        size_t nSize;
        bool ok;
    } cases[] = {{0, false}, {1, false}, {32, false}, {33, true}, {64, true}};
    for (const Case& c : cases) {
        CMd5 md5;
        md5.Update("abc", 3);
        std::vector<char> buf(c.nSize + 4, '#'); // guard bytes past the size given
        EXPECT_EQ(md5.FinalHex(buf.data(), c.nSize), c.ok) << c.nSize;
        for (size_t i = std::min(c.nSize, kMd5HexSize); i < buf.size(); ++i)
            EXPECT_EQ(buf[i], '#') << "size " << c.nSize << " wrote at " << i;
        if (c.ok) {
            EXPECT_STREQ(buf.data(), "900150983cd24fb0d6963f7d28e17f72");
        } else if (c.nSize > 0) {
            EXPECT_EQ(buf[0], '\0') << c.nSize;
        }
    }
    CMd5 md5;
    EXPECT_FALSE(md5.FinalHex(nullptr, 33));
}

TEST(Md5Hex, TooSmallBufferKeepsTheMessageOpen) {
    CMd5 md5;
    md5.Update("ab", 2);
    char small[16];
    EXPECT_FALSE(md5.FinalHex(small, sizeof small));
    md5.Update("c", 1);
    char sz[kMd5HexSize];
    ASSERT_TRUE(md5.FinalHex(sz, sizeof sz));
    EXPECT_STREQ(sz, "900150983cd24fb0d6963f7d28e17f72");
}

} // namespace
} // namespace tervik
