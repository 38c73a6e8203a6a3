#include "views/HexDump.h"

#include <cstring>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tervik {
namespace {

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

std::string Blanks(size_t n) {
    return std::string(n, ' ');
}

TEST(HexDumpRow, Layouts) {
    struct Case {
        const char* name;
        uint64_t nOffset;
        std::string bytes;
        int nGroups;
        bool bEbcdic;
        bool bOem;
        uint32_t nLeft;
        std::string expected;
    } cases[] = {
        {"full 16-byte row", 0x20, "ABCDEFGHIJKLMNOP", 4, false, false, 0,
         "00000020   41424344 45464748 494A4B4C 4D4E4F50   >ABCDEFGHIJKLMNOP<"},
        {"short row of 3", 0x30, "xyz", 4, false, false, 0,
         "00000030   78797A  " + Blanks(27) + "   >xyz<"},
        {"short row of 4", 0x10, "QRST", 4, false, false, 0,
         "00000010   51525354" + Blanks(27) + "   >QRST<"},
        {"24-byte row", 0x18, "abcdefghijklmnopqrstuvwx", 6, false, false, 0,
         "00000018   61626364 65666768 696A6B6C 6D6E6F70 71727374 75767778"
         "   >abcdefghijklmnopqrstuvwx<"},
        {"32-byte row, 5 bytes", 0, "01234", 8, false, false, 0,
         "00000000   30313233 34" + Blanks(6) + Blanks(54) + "   >01234<"},
        {"offset above 4 GiB", 0x123456780ull, "A", 2, false, false, 0,
         "23456780   41" + Blanks(6) + Blanks(9) + "   >A<"},
        {"control bytes as dots", 0, std::string("a\n\0\x1F ", 5), 2, false, false, 0,
         "00000000   610A001F 20" + Blanks(6) + "   >a... <"},
        {"0xC4 as is", 0, "\xC4", 2, false, false, 0, "00000000   C4" + Blanks(15) + "   >\xC4<"},
        {"0xC4 with OEM", 0, "\xC4", 2, false, true, 0, "00000000   C4" + Blanks(15) + "   >-<"},
        {"EBCDIC letters", 0, "\xC1\x81\x40", 2, true, false, 0,
         "00000000   C18140" + Blanks(11) + "   >Aa <"},
        // The control test is on the file's byte: EBCDIC 0x25 is a line feed only
        // after conversion and is left for the painter.
        {"EBCDIC control after conversion", 0, "\x25\x05", 2, true, false, 0,
         "00000000   2505" + Blanks(13) + "   >\n.<"},
        {"EBCDIC before OEM", 0, "\x63", 2, true, true, 0, "00000000   63" + Blanks(15) + "   >-<"},
        {"left shift", 0x20, "ABCDEFGHIJKLMNOP", 4, false, false, 11,
         "41424344 45464748 494A4B4C 4D4E4F50   >ABCDEFGHIJKLMNOP<"},
        {"shift to the character column", 0x20, "ABCD", 4, false, false, 50, "ABCD<"},
        {"shift beyond the row", 0x20, "ABCD", 4, false, false, 55, ""},
        {"shift far beyond", 0x20, "ABCD", 4, false, false, 0xFFFFFFFFu, ""},
        {"no bytes", 0x20, "", 4, false, false, 0, ""},
        {"more bytes than a row", 0, "ABCDEFGHIJ", 2, false, false, 0,
         "00000000   41424344 45464748   >ABCDEFGH<"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildDumpRow(c.nOffset, Bytes(c.bytes), c.bytes.size(), c.nGroups, c.bEbcdic,
                               c.bOem, c.nLeft),
                  c.expected)
            << c.name;
    }
}

TEST(HexDumpRow, ColumnHelpersMatchTheBuiltRow) {
    // Files from 4 GiB on widen the offset column; every offset keeps its digits.
    const struct {
        uint64_t nFileSize, nOffset;
        const char* offset;
    } sizes[] = {{0, 0, "00000000"},
                 {uint64_t{1} << 32, 0xFFFFFFE0, "FFFFFFE0"},
                 {(uint64_t{1} << 32) + 1, uint64_t{1} << 32, "100000000"},
                 {0x150000000, 0x140000000, "140000000"},
                 {UINT64_MAX, 0xFEDCBA9876543210, "FEDCBA9876543210"}};
    for (const auto& size : sizes) {
        const int nDigits = DumpOffsetDigits(size.nFileSize);
        for (int nGroups : {2, 4, 6, 8}) {
            const auto nBytes = static_cast<size_t>(DumpRowBytes(nGroups));
            std::string bytes;
            for (size_t i = 0; i < nBytes; ++i)
                bytes += static_cast<char>('a' + i % 26);
            const std::string row = BuildDumpRow(size.nOffset, Bytes(bytes), bytes.size(), nGroups,
                                                 false, false, 0, nDigits);
            EXPECT_EQ(row.substr(0, std::strlen(size.offset) + 1), std::string(size.offset) + " ");
            ASSERT_EQ(row.size(), static_cast<size_t>(DumpRowLength(nGroups, nDigits))) << nGroups;
            // A '>' opens the character column.
            EXPECT_EQ(row[static_cast<size_t>(DumpCharColumn(nGroups, nDigits) - 1)], '>')
                << nGroups;
            EXPECT_EQ(row.substr(static_cast<size_t>(DumpCharColumn(nGroups, nDigits)), nBytes),
                      bytes);
            for (int g = 0; g < nGroups; ++g) {
                // Behind the offset, each group is a blank and eight digits.
                const auto nCol = static_cast<size_t>(nDigits + 2 + 9 * g);
                EXPECT_EQ(row[nCol], ' ');
                // Group g opens with byte 4g, spelled in two digits.
                const auto b = static_cast<uint8_t>(bytes[static_cast<size_t>(4 * g)]);
                const char digits[] = {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 0xF], 0};
                EXPECT_EQ(row.substr(nCol + 1, 2), digits) << nGroups << " " << g;
            }
            const auto span = DumpHitInRow(size.nOffset, nGroups, 0, size.nOffset + 1, 1, nDigits);
            ASSERT_TRUE(span);
            EXPECT_EQ(span->m_nStart, DumpCharColumn(nGroups, nDigits) + 1);
        }
    }
    EXPECT_EQ(DumpRowLength(4), 67);
}

TEST(HexDumpRow, ReusedBufferHoldsOnlyTheNewRow) {
    std::string row(200, 'x');
    BuildDumpRow(row, 0, Bytes("A"), 1, 2, false, false, 0);
    EXPECT_EQ(row, "00000000   41" + Blanks(15) + "   >A<");
    BuildDumpRow(row, 0, Bytes("A"), 0, 2, false, false, 0);
    EXPECT_EQ(row, "");
}

TEST(HexDumpHexRows, TabRunsShowTheirCodeInTheLastColumn) {
    struct Case {
        const char* name;
        std::string raw;
        std::string converted;
        uint32_t nLeft;
        uint32_t nTab;
        std::string high;
        std::string low;
    } cases[] = {
        {"tab run", "a\t\t\tb", "a\t\t\tb", 0, 4, "6  06", "1  92"},
        {"tab at column 0", "\t\t\t\tx", "\t\t\t\tx", 0, 4, "   07", "   98"},
        {"shifted run", "\t\t\tb", "\t\t\tb", 1, 4, "  06", "  92"},
        {"tab size 0 as 1", "\t\t", "\t\t", 0, 0, "00", "99"},
        {"tab after EBCDIC conversion", "\x05\x05", "\t\t", 0, 2, " 0", " 5"},
        {"raw tab converted away", "\t\t", "\x8D\x8D", 0, 4, "00", "99"},
        {"high bytes", "\xFF\x80", "\xFF\x80", 0, 4, "F8", "F0"},
        {"far left column", "\t", "\t", 0xFFFFFFFFu, 3, " ", " "},
        {"empty", "", "", 0, 4, "", ""},
    };
    for (const auto& c : cases) {
        std::string high = "stale", low = "stale";
        BuildHexRows(Bytes(c.raw), Bytes(c.converted), c.raw.size(), c.nLeft, c.nTab, high, low);
        EXPECT_EQ(high, c.high) << c.name;
        EXPECT_EQ(low, c.low) << c.name;
    }
}

TEST(HexDumpHit, SpansInTheCharacterColumn) {
    constexpr uint64_t kTop = ~0ull;
    struct Case {
        const char* name;
        uint64_t nRow;
        int nGroups;
        uint32_t nLeft;
        uint64_t nHit;
        uint64_t nLength;
        bool bTouched;
        int nStart; // -1: nothing drawn
        int nCount;
    } cases[] = {
        {"20 bytes, first row", 0, 4, 0, 12, 20, true, 62, 4},
        {"20 bytes, second row", 16, 4, 0, 12, 20, true, 50, 16},
        {"20 bytes, ends before third row", 32, 4, 0, 12, 20, false, -1, 0},
        {"long hit, middle row", 32, 4, 0, 12, 60, true, 50, 16},
        {"long hit, last row", 64, 4, 0, 12, 60, true, 50, 8},
        {"inside one row", 0x20, 4, 0, 0x25, 2, true, 55, 2},
        {"32-byte row", 0, 8, 0, 30, 5, true, 116, 2},
        {"hit ends before the row", 16, 4, 0, 10, 6, false, -1, 0},
        {"hit starts after the row", 16, 4, 0, 32, 6, false, -1, 0},
        {"left shift clips the start", 0x20, 4, 52, 0x20, 4, true, 0, 2},
        {"left shift ends at the start", 0x20, 4, 54, 0x20, 4, true, -1, 0},
        {"left shift beyond", 0x20, 4, 60, 0x20, 4, true, -1, 0},
        {"left shift on a continued hit", 16, 4, 40, 12, 20, true, 10, 16},
        {"empty hit at the row", 16, 4, 0, 16, 0, true, -1, 0},
        {"near the top of the range", kTop - 15, 4, 0, kTop - 3, 4, true, 62, 4},
        {"continued near the top", kTop - 15, 4, 0, kTop - 19, 20, true, 50, 16},
        {"hit length beyond the range", 16, 4, 0, 12, kTop, true, 50, 16},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DumpHitTouchesRow(c.nRow, c.nGroups, c.nHit, c.nLength), c.bTouched) << c.name;
        const auto span = DumpHitInRow(c.nRow, c.nGroups, c.nLeft, c.nHit, c.nLength);
        if (c.nStart < 0) {
            EXPECT_FALSE(span) << c.name;
            continue;
        }
        ASSERT_TRUE(span) << c.name;
        EXPECT_EQ(span->m_nStart, c.nStart) << c.name;
        EXPECT_EQ(span->m_nCount, c.nCount) << c.name;
    }
}

TEST(HexDumpAlign, RoundsDownToWholeRows) {
    struct Case {
        uint64_t nOffset, nMultiple, expected;
    } cases[] = {
        {1000, 16, 992}, {0x30, 32, 0x20}, {0x30, 24, 0x30},
        {7, 8, 0},       {5, 0, 5},        {~0ull, 16, ~0ull - 15},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AlignDown(c.nOffset, c.nMultiple), c.expected) << c.nOffset << " " << c.nMultiple;
}

} // namespace
} // namespace tervik
