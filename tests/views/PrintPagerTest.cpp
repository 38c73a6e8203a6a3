// The page starts found by the measuring pass against the plain piece list: every
// page cut again from its start holds exactly its share of the list.

#include "views/PrintPager.h"

#include "../document/FakeDocumentHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace tervik {
namespace {

class CWideLetters : public IPrintMeasure {
public:
    int64_t TextWidth(std::string_view text) const override {
        int64_t n = 0;
        for (char c : text)
            n += c == 'i' ? 3 : c == 'W' ? 19 : 10;
        return n;
    }
};

// Records of random length (now and then empty or longer than is printed), a
// random selection, and optionally a record the file no longer holds.
struct Model {
    std::vector<std::string> records;
    std::vector<uint32_t> selected;
    uint32_t nLost = UINT32_MAX;

    PrintSource Source(bool bOnlySelected, uint32_t nClaimedSelected) const {
        PrintSource source;
        source.nRecords = static_cast<uint32_t>(records.size());
        source.bOnlySelected = bOnlySelected;
        source.nSelected = nClaimedSelected;
        source.text = [this](uint32_t r, char* p, uint32_t nMax) -> int64_t {
            if (r == nLost) return -1;
            const std::string& s = records.at(r);
            const size_t n = std::min<size_t>(s.size(), nMax);
            std::memcpy(p, s.data(), n);
            return static_cast<int64_t>(n);
        };
        source.selected = [this](uint32_t i, uint32_t& r) {
            if (i >= selected.size()) return false;
            r = selected[i];
            return true;
        };
        return source;
    }
};

// Records longer than is printed only for the cheap fixed-pitch measure.
Model RandomModel(std::mt19937& rng, bool bLong) {
    Model m;
    const char letters[] = "iiWab x";
    const size_t nRecords = rng() % 300;
    for (size_t i = 0; i < nRecords; ++i) {
        const auto kind = rng() % 40;
        size_t n = kind == 0 ? 0 : kind == 1 && bLong ? kPrintMaxChars + rng() % 100 : rng() % 200;
        std::string s(n, 'x');
        for (char& c : s)
            c = letters[rng() % (sizeof letters - 1)];
        m.records.push_back(std::move(s));
        if (rng() % 3 == 0) m.selected.push_back(static_cast<uint32_t>(i));
    }
    return m;
}

std::vector<PrintPiece> ListOf(const CBlockList& list) {
    std::vector<PrintPiece> out(list.Count());
    for (uint32_t i = 0; i < list.Count(); ++i)
        list.Get(i, &out[i]);
    return out;
}

// Runs the pass in random slices, asking for pages while it is still going.
void ExpectPagesMatchTheList(const PrintSource& source, int64_t nWidth,
                             const IPrintMeasure& measure, int nSlots, std::mt19937& rng) {
    std::unique_ptr<CBlockList> list;
    ASSERT_EQ(BuildPrintPieces(source, nWidth, measure, list), PieceBuild::Ok);
    const std::vector<PrintPiece> all = ListOf(*list);
    const auto expectPage = [&](CPrintPager& pager, uint32_t nPage) {
        std::vector<PrintPiece> got;
        ASSERT_EQ(pager.PagePieces(nPage, got), PieceBuild::Ok);
        const size_t nFrom = std::min(all.size(), size_t{nPage - 1} * static_cast<size_t>(nSlots));
        const size_t nTo = std::min(all.size(), nFrom + static_cast<size_t>(nSlots));
        ASSERT_EQ(got, std::vector<PrintPiece>(all.begin() + static_cast<ptrdiff_t>(nFrom),
                                               all.begin() + static_cast<ptrdiff_t>(nTo)))
            << "page " << nPage << " of " << pager.PagesKnown();
    };
    CPrintPager pager(source, nWidth, measure, nSlots);
    while (!pager.Done()) {
        ASSERT_EQ(pager.Advance(static_cast<uint32_t>(1 + rng() % 60)), PieceBuild::Ok);
        // A page known mid-pass is already the page of the finished printout.
        expectPage(pager, pager.PagesKnown());
    }
    ASSERT_EQ(pager.PagesKnown(), PrintPageCount(all.size(), nSlots));
    for (uint32_t p = 1; p <= pager.PagesKnown(); ++p)
        expectPage(pager, p);
    std::vector<PrintPiece> none;
    EXPECT_EQ(pager.PagePieces(pager.PagesKnown() + 1, none), PieceBuild::Ok);
    EXPECT_TRUE(none.empty());
}

TEST(PrintPager, PagesAreTheirShareOfThePieceList) {
    std::mt19937 rng(2026);
    const CFixedPitchMeasure fixed(7);
    const CWideLetters proportional;
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE(round);
        const Model m = RandomModel(rng, round % 2 != 0);
        const bool bOnlySelected = round % 3 == 0;
        // Now and then the selected count claims more lines than the index holds.
        const uint32_t nClaimed = static_cast<uint32_t>(m.selected.size()) + (round % 5 == 0);
        const IPrintMeasure& measure =
            round % 2 ? static_cast<const IPrintMeasure&>(fixed) : proportional;
        const int nSlots = std::vector<int>{1, 2, 3, 7, 64}[static_cast<size_t>(round) % 5];
        ExpectPagesMatchTheList(m.Source(bOnlySelected, nClaimed),
                                static_cast<int64_t>(rng() % 900), measure, nSlots, rng);
    }
}

TEST(PrintPager, ARecordTheFileLostStopsThePassAndItsPage) {
    Model m;
    for (int i = 0; i < 40; ++i)
        m.records.push_back(std::string(15, 'a'));
    const CFixedPitchMeasure measure(1);
    CPrintPager full(m.Source(false, 0), 10, measure, 4);
    ASSERT_EQ(full.Advance(UINT32_MAX), PieceBuild::Ok);
    m.nLost = 25; // on page 13 of 20, two lines a record
    std::vector<PrintPiece> pieces;
    EXPECT_EQ(full.PagePieces(13, pieces), PieceBuild::Shorter);
    EXPECT_EQ(full.PagePieces(12, pieces), PieceBuild::Ok);
    CPrintPager pager(m.Source(false, 0), 10, measure, 4);
    EXPECT_EQ(pager.Advance(UINT32_MAX), PieceBuild::Shorter);
    EXPECT_FALSE(pager.Done());
}

TEST(PrintPager, EscapeStopsThePass) {
    Model m;
    m.records.assign(10000, "x");
    PrintSource source = m.Source(false, 0);
    int nCalls = 0;
    source.progress = [&nCalls](int) { return ++nCalls < 2; };
    const CFixedPitchMeasure measure(1);
    CPrintPager pager(source, 10, measure, 50);
    EXPECT_EQ(pager.Advance(UINT32_MAX), PieceBuild::Cancelled);
    EXPECT_FALSE(pager.Done());
}

class PrintPagerDocument : public test::CDocFixture {};

// The document's own text (tabs expanded) and its index of selected lines.
TEST_F(PrintPagerDocument, PagesMatchThePieceList) {
    std::mt19937 rng(99);
    std::string file;
    for (int i = 0; i < 2000; ++i)
        file += std::string(rng() % 150, static_cast<char>('a' + i % 26)) +
                (i % 5 == 0 ? "\t\tx" : "") + "\n";
    ASSERT_TRUE(OpenBytes(file));
    for (int n = 0; n < 300; ++n) {
        const uint32_t r = static_cast<uint32_t>(rng() % Doc().m_nRecords);
        if (Doc().IsLineSelected(r, nullptr, nullptr)) continue;
        ASSERT_TRUE(Doc().SetLineSelected(r, true, nullptr));
    }
    for (const bool bOnlySelected : {false, true})
        ExpectPagesMatchTheList(DocumentPrintSource(Doc(), bOnlySelected), 57,
                                CFixedPitchMeasure(1), 23, rng);
}

} // namespace
} // namespace tervik
