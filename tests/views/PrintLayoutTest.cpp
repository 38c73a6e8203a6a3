#include "views/PrintLayout.h"

#include "../document/FakeDocumentHost.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tervik {
namespace {

std::vector<PrintPiece> Pieces(const CBlockList& list) {
    std::vector<PrintPiece> out(list.Count());
    for (uint32_t i = 0; i < list.Count(); ++i)
        list.Get(i, &out[i]);
    return out;
}

// Narrow and wide letters, as a proportional font has them.
class CProportionalMeasure : public IPrintMeasure {
public:
    int64_t TextWidth(std::string_view text) const override {
        int64_t n = 0;
        for (char c : text)
            n += c == 'i' ? 4 : c == 'W' ? 17 : 10;
        return n;
    }
};

// The plain rule: measure the rest, take one character less while it is too wide.
size_t ReferenceFit(const IPrintMeasure& m, std::string_view text, int64_t nWidth) {
    size_t n = text.size();
    while (n > 0 && m.TextWidth(text.substr(0, n)) > nWidth)
        --n;
    return n;
}

TEST(PrintPieces, WrapToThePageWidth) {
    const CFixedPitchMeasure tenWide(10);
    struct Case {
        const char* name;
        size_t nLength;
        int64_t nWidth;
        std::vector<PrintPiece> expected;
    } cases[] = {
        {"300 characters on a page of 100", 300, 1000, {{7, 0, 100}, {7, 100, 100}, {7, 200, 100}}},
        {"empty record is one empty line", 0, 1000, {{7, 0, 0}}},
        {"exactly the width", 100, 1000, {{7, 0, 100}}},
        {"one more than the width", 101, 1000, {{7, 0, 100}, {7, 100, 1}}},
        {"width between two characters", 25, 95, {{7, 0, 9}, {7, 9, 9}, {7, 18, 7}}},
        {"page narrower than a character", 3, 5, {{7, 0, 1}, {7, 1, 1}, {7, 2, 1}}},
        {"no width at all", 2, 0, {{7, 0, 1}, {7, 1, 1}}},
    };
    for (const Case& c : cases) {
        CBlockList list(sizeof(PrintPiece), 4096);
        const std::string text(c.nLength, 'x');
        ASSERT_TRUE(AppendRecordPieces(list, 7, text, c.nWidth, tenWide)) << c.name;
        EXPECT_EQ(Pieces(list), c.expected) << c.name;
    }
}

TEST(PrintPieces, ProportionalFitMatchesOneLessAtATime) {
    const CProportionalMeasure measure;
    std::mt19937 rng(17);
    const char alphabet[] = "iiWWab ";
    for (int round = 0; round < 2000; ++round) {
        std::string text(rng() % 60, ' ');
        for (char& c : text)
            c = alphabet[rng() % (sizeof alphabet - 1)];
        const int64_t nWidth = static_cast<int64_t>(rng() % 300);
        ASSERT_EQ(measure.FitCount(text, nWidth), ReferenceFit(measure, text, nWidth))
            << text << " in " << nWidth;
    }
}

class PrintDocumentPieces : public test::CDocFixture {};

TEST_F(PrintDocumentPieces, OnlySelectedLinesInOrder) {
    std::string file;
    for (int i = 0; i < 10; ++i)
        file += std::string(static_cast<size_t>(i * 30), 'a') + "\n";
    ASSERT_TRUE(OpenBytes(file));
    for (uint32_t r : {9u, 2u, 5u}) {
        ASSERT_TRUE(Doc().SetLineSelected(r, true, nullptr));
    }
    std::unique_ptr<CBlockList> pieces;
    ASSERT_EQ(
        BuildPrintPieces(DocumentPrintSource(Doc(), true), 100, CFixedPitchMeasure(1), pieces),
        PieceBuild::Ok);
    const std::vector<PrintPiece> expected = {{2, 0, 60},  {5, 0, 100},   {5, 100, 50},
                                              {9, 0, 100}, {9, 100, 100}, {9, 200, 70}};
    EXPECT_EQ(Pieces(*pieces), expected);
    // Page numbers count printed pages: 6 lines at 4 a page.
    EXPECT_EQ(PrintPageCount(pieces->Count(), 4), 2u);
}

// The selected lines come from the document's index; walking every record and
// asking whether it is selected gives the same pieces.
TEST_F(PrintDocumentPieces, SelectedIndexMatchesAWalkOverAllRecords) {
    std::mt19937 rng(4711);
    std::string file;
    for (int i = 0; i < 3000; ++i)
        file += std::string(rng() % 130, static_cast<char>('a' + i % 26)) +
                (i % 7 == 0 ? "\tx" : "") + "\n";
    ASSERT_TRUE(OpenBytes(file));
    const CFixedPitchMeasure measure(1);
    for (int round = 0; round < 4; ++round) {
        for (int n = 0; n < 200; ++n) {
            const uint32_t r = static_cast<uint32_t>(rng() % Doc().m_nRecords);
            const bool bSelect = rng() % 3 != 0;
            if (Doc().IsLineSelected(r, nullptr, nullptr) == bSelect) continue;
            ASSERT_TRUE(Doc().SetLineSelected(r, bSelect, nullptr));
        }
        std::unique_ptr<CBlockList> fast, all;
        ASSERT_EQ(BuildPrintPieces(DocumentPrintSource(Doc(), true), 60, measure, fast),
                  PieceBuild::Ok);
        ASSERT_EQ(BuildPrintPieces(DocumentPrintSource(Doc(), false), 60, measure, all),
                  PieceBuild::Ok);
        std::vector<PrintPiece> reference;
        for (const PrintPiece& p : Pieces(*all))
            if (Doc().IsLineSelected(p.m_nRecord, nullptr, nullptr)) reference.push_back(p);
        ASSERT_FALSE(reference.empty());
        EXPECT_EQ(Pieces(*fast), reference) << round;
    }
}

TEST(PrintPages, LinesSlotsAndPages) {
    struct Case {
        const char* name;
        int64_t nHeight, nMarginY, nLineHeight;
        DisplayMode eMode;
        uint64_t nItems;
        int nLines, nSlots;
        uint32_t nPages;
    } cases[] = {
        {"text, one full page", 1000, 100, 20, DisplayMode::Text, 37, 37, 37, 1},
        {"text, one line over", 1000, 100, 20, DisplayMode::Text, 38, 37, 37, 2},
        // A hex page holds a third of the lines as records; its count agrees.
        {"hex, a third of the lines", 1000, 100, 20, DisplayMode::Hex, 12, 37, 12, 1},
        {"hex, one record over", 1000, 100, 20, DisplayMode::Hex, 13, 37, 12, 2},
        {"page smaller than the header", 100, 40, 20, DisplayMode::Text, 3, 1, 1, 3},
        {"hex on a two-line page", 200, 40, 20, DisplayMode::Hex, 5, 3, 1, 5},
        {"nothing to print", 1000, 100, 20, DisplayMode::Text, 0, 37, 37, 1},
        {"zero line height", 1000, 100, 0, DisplayMode::Text, 2, 1, 1, 2},
    };
    for (const Case& c : cases) {
        const int nLines = PrintLinesPerPage(c.nHeight, c.nMarginY, c.nLineHeight);
        EXPECT_EQ(nLines, c.nLines) << c.name;
        const int nSlots = PrintSlotsPerPage(nLines, c.eMode);
        EXPECT_EQ(nSlots, c.nSlots) << c.name;
        EXPECT_EQ(PrintPageCount(c.nItems, nSlots), c.nPages) << c.name;
    }
}

TEST(PrintDump, RowsCountTheLastPartialRow) {
    EXPECT_EQ(PrintDumpRows(0, 8), 0u);
    EXPECT_EQ(PrintDumpRows(32, 8), 1u);
    EXPECT_EQ(PrintDumpRows(33, 8), 2u);
    EXPECT_EQ(PrintDumpRows(33, 4), 3u);
    // 40 rows of 16 bytes and one of 1 on pages of 40: the last byte needs a page.
    EXPECT_EQ(PrintPageCount(PrintDumpRows(641, 4), 40), 2u);
}

TEST(PrintDump, RowFormats) {
    const std::string abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    const auto* p = reinterpret_cast<const uint8_t*>(abc.data());
    struct Case {
        const char* name;
        uint64_t nOffset;
        size_t n;
        int nGroups;
        std::string expected;
    } cases[] = {
        {"16 bytes at 16", 16, 16, 4,
         "00000010 (00000016)   41424344 45464748 494A4B4C 4D4E4F50   >ABCDEFGHIJKLMNOP<"},
        {"3 bytes of 16: blanks for the missing", 0x30, 3, 4,
         "00000030 (00000048)   414243  " + std::string(27, ' ') + "   >ABC<" +
             std::string(13, ' ')},
        {"32 bytes", 0x1000, 32, 8,
         "00001000 (00004096)  41424344 45464748 494A4B4C 4D4E4F50 51525354 55565758 595A3031 "
         "32333435  >ABCDEFGHIJKLMNOPQRSTUVWXYZ012345<"},
        {"1 byte of 32", 0x20, 1, 8,
         "00000020 (00000032)  41" + std::string(6 + 7 * 9, ' ') + "  >A<" + std::string(31, ' ')},
        {"offset above 4 GiB keeps all digits", 0x123456780ull, 1, 4,
         "123456780 (4886718336)   41" + std::string(6 + 3 * 9, ' ') + "   >A<" +
             std::string(15, ' ')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildPrintDumpRow(c.nOffset, p, c.n, c.nGroups), c.expected) << c.name;

    // Control bytes print as dots, other bytes as they are (no character set).
    const uint8_t mixed[] = {0x00, 0x1F, 0x20, 0xC4};
    EXPECT_EQ(BuildPrintDumpRow(0, mixed, 4, 4).substr(60), ">.. \xC4<" + std::string(12, ' '));
}

TEST(PrintDump, NarrowPageFallsBackToSixteenBytes) {
    const CFixedPitchMeasure measure(10);
    const std::string wide = BuildPrintDumpRow(0, nullptr, 0, 8);
    const int64_t nWideRow = static_cast<int64_t>(wide.size()) * 10;
    EXPECT_EQ(ChoosePrintDumpGroups(measure, nWideRow, 1000), 8);
    EXPECT_EQ(ChoosePrintDumpGroups(measure, nWideRow - 1, 1000), 4);
    // An offset of nine hex and ten decimal digits needs three characters more.
    EXPECT_EQ(ChoosePrintDumpGroups(measure, nWideRow, 5000000000ull), 4);
    EXPECT_EQ(ChoosePrintDumpGroups(measure, nWideRow + 30, 5000000000ull), 8);
    // On the narrow page the second row reads as 16 bytes on.
    const uint8_t bytes[16] = {};
    EXPECT_EQ(
        BuildPrintDumpRow(16, bytes, 16, ChoosePrintDumpGroups(measure, 800, 32)).substr(0, 19),
        "00000010 (00000016)");
}

} // namespace
} // namespace tervik
