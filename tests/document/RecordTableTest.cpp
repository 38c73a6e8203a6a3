// The compact record table against a plain queue of entries: whatever is appended,
// removed, cut short or recoloured, every lookup answers the same.

#include "document/RecordCutter.h"
#include "document/RecordTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>

namespace tervik {
namespace {

using Model = std::deque<RecordEntry>;

uint32_t R(std::mt19937& rng, size_t n) {
    return static_cast<uint32_t>(rng() % n);
}

// Stores into both, as the document's sink does.
struct CBothSink : IRecordSink {
    CRecordTable table;
    Model model;
    bool Store(const RecordEntry& e) override { return table.Append(e) && (model.push_back(e), true); }
    void RemoveFirst() override { table.RemoveFirst(), model.pop_front(); }
};

// Every record by number forward, backward, at random and past the end; with bOffsets
// (offsets in file order) also the record at offsets near record starts.
void ExpectSame(const CRecordTable& table, const Model& model, std::mt19937& rng, bool bOffsets) {
    ASSERT_EQ(table.Count(), model.size());
    const auto n = static_cast<uint32_t>(model.size());
    auto same = [&](uint32_t i) {
        const auto e = table.At(i);
        return e && e->m_nOffset == model[i].m_nOffset && e->m_nLength == model[i].m_nLength &&
               e->m_nFlags == model[i].m_nFlags;
    };
    for (uint32_t i = 0; i < n; ++i)
        ASSERT_TRUE(same(i)) << "forward " << i;
    for (uint32_t i = n; i-- > 0;)
        ASSERT_TRUE(same(i)) << "backward " << i;
    for (int k = 0; n && k < 200; ++k) {
        const uint32_t i = R(rng, n);
        ASSERT_TRUE(same(i)) << "random " << i;
        if (!bOffsets) continue;
        const uint64_t nOffset = model[i].m_nOffset + R(rng, 5) - 2;
        const auto behind = std::upper_bound(model.begin(), model.end(), nOffset,
                                             [](uint64_t o, const RecordEntry& e) { return o < e.m_nOffset; });
        const auto nWant = static_cast<uint32_t>(std::max<ptrdiff_t>(behind - model.begin() - 1, 0));
        ASSERT_EQ(table.LastStartingAt(nOffset), nWant) << nOffset;
    }
    EXPECT_FALSE(table.At(n).has_value());
    EXPECT_FALSE(table.At(UINT32_MAX).has_value());
}

// Random text: short and empty lines, long lines past the longest record size, CR LF,
// LF, lone CR, tabs, UTF-16 line ends at odd and even positions.
std::vector<uint8_t> RandomText(std::mt19937& rng, size_t nBytes) {
    std::vector<uint8_t> d;
    const char pieces[][3] = {"\r\n", "\n", "\r", "\t", "\n\n", {0, '\n'}, {'\n', 0}, "ab"};
    while (d.size() < nBytes) {
        const unsigned r = R(rng, 10);
        if (r < 3) {
            const char* p = pieces[R(rng, 8)];
            d.insert(d.end(), p, p + 2);
        } else {
            d.insert(d.end(), R(rng, r == 9 ? 900 : 40), static_cast<uint8_t>('a' + r));
        }
    }
    return d;
}

// The cut's records (all encodings, cuts at the longest size, fixed lengths, limits from
// the end), read while it goes on; then colours and the tab bit; then the tail cut
// again with more data behind it, as F5 and a reopen of a shorter file do.
TEST(RecordTableTest, EveryLookupAnswersAsAPlainQueue) {
    std::mt19937 rng(27);
    const CutEncoding encodings[] = {CutEncoding::SingleByte, CutEncoding::Utf16Le,
                                     CutEncoding::Utf16Be};
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        CutParams params;
        params.m_eEncoding = encodings[round % 3];
        params.m_nMaxRecSize = round % 4 == 0 ? 7 + R(rng, 40) : 32768;
        if (round % 5 == 1) params.m_nFixedSize = 1 + R(rng, 90);
        if (round % 6 == 2) params.m_nLimitFromEnd = 1 + R(rng, 700);
        const std::vector<uint8_t> data = RandomText(rng, 2000 + R(rng, 60000));
        const uint64_t nStart = round % 7 == 3 ? (uint64_t{1} << 33) + R(rng, 1000) : 0;
        CBothSink sink;
        CRecordCutter cutter(params, sink, nStart);
        for (size_t at = 0, n = 0; at < data.size(); at += n) {
            n = std::min<size_t>(data.size() - at, 1 + R(rng, 9000));
            cutter.Feed(data.data() + at, n);
            if (!sink.model.empty()) {
                const uint32_t i = R(rng, sink.model.size());
                ASSERT_EQ(sink.table.At(i)->m_nOffset, sink.model[i].m_nOffset);
            }
        }
        cutter.Finish();
        ExpectSame(sink.table, sink.model, rng, true);

        const uint32_t kFlags[] = {0, RF_NO_TAB, RF_BLUE, RF_GREEN | RF_NO_TAB, RF_RED};
        for (int k = 0; !sink.model.empty() && k < 300; ++k) {
            const uint32_t i = R(rng, sink.model.size());
            sink.model[i].m_nFlags = kFlags[R(rng, 5)];
            ASSERT_TRUE(sink.table.SetFlags(i, sink.model[i].m_nFlags));
        }
        EXPECT_FALSE(sink.table.SetFlags(static_cast<uint32_t>(sink.model.size()), RF_RED));
        ExpectSame(sink.table, sink.model, rng, true);

        for (int step = 0; step < 3; ++step) {
            const uint32_t nKeep = R(rng, sink.model.size() + 1);
            sink.table.Truncate(nKeep);
            sink.model.resize(nKeep);
            ExpectSame(sink.table, sink.model, rng, true);
            const RecordEntry last = sink.model.empty() ? RecordEntry{nStart, 0, 0} : sink.model.back();
            CutParams more = params;
            more.m_nLimitFromEnd = 0;
            CRecordCutter again(more, sink, last.m_nOffset + last.m_nLength);
            const std::vector<uint8_t> tail = RandomText(rng, 500 + R(rng, 5000));
            again.Feed(tail.data(), tail.size());
            again.Finish();
            ExpectSame(sink.table, sink.model, rng, true);
        }
    }
}

// Values the byte per record cannot hold: long records, wide gaps, offsets that go
// back, a uniform length that changes, blocks emptied from the front.
TEST(RecordTableTest, EscapedLengthsAndGapsSurviveEveryBoundary) {
    std::mt19937 rng(4);
    CBothSink sink;
    const uint32_t kLengths[] = {0, 1, 80, 0xFFFE, 0xFFFF, 0x10000, 0xFFFFFFFF};
    const uint64_t kGaps[] = {0, 1, 2, 4, 30, 31, 32, 70000, uint64_t{1} << 40};
    uint64_t nEnd = 0;
    for (int i = 0; i < 5000; ++i) {
        // Runs of equal records keep blocks uniform for a while.
        const bool bRun = (i / 300) % 2 == 0;
        RecordEntry e;
        e.m_nLength = bRun ? kLengths[(i / 600) % 7] : kLengths[R(rng, 7)];
        e.m_nOffset = R(rng, 50) == 0 && nEnd > 100 ? nEnd - 100 : nEnd + (bRun ? 2 : kGaps[R(rng, 9)]);
        e.m_nFlags = (R(rng, 2) ? RF_NO_TAB : 0) | (R(rng, 4) == 0 ? RF_GREEN : 0);
        ASSERT_TRUE(sink.Store(e));
        nEnd = e.m_nOffset + e.m_nLength;
        for (int k = 0; i % 700 == 699 && k < 260; ++k)
            sink.RemoveFirst();
        if (i % 1100 == 1099) {
            sink.table.Truncate(static_cast<uint32_t>(sink.model.size() - 37));
            sink.model.resize(sink.model.size() - 37);
            nEnd = sink.model.back().m_nOffset + sink.model.back().m_nLength;
        }
    }
    ExpectSame(sink.table, sink.model, rng, false);
    // Emptied from the front to the last record, it starts again.
    while (!sink.model.empty())
        sink.RemoveFirst();
    ExpectSame(sink.table, sink.model, rng, false);
    ASSERT_TRUE(sink.Store(RecordEntry{12, 3, RF_RED}));
    ExpectSame(sink.table, sink.model, rng, false);
}

} // namespace
} // namespace tervik
