// The compact record table against a plain queue of entries: whatever is appended,
// removed, cut short or recoloured, every lookup answers the same.

#include "document/BlockList.h"
#include "document/RecordCutter.h"
#include "document/RecordTable.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

namespace tervik {
namespace {

// Stores into both, as the document's sink does.
class CBothSink : public IRecordSink {
public:
    CBothSink(CRecordTable& table, std::deque<RecordEntry>& model) : m_table(table), m_model(model) {}
    bool Store(const RecordEntry& e) override {
        if (!m_table.Append(e)) return false;
        m_model.push_back(e);
        return true;
    }
    void RemoveFirst() override {
        m_table.RemoveFirst();
        m_model.pop_front();
    }

private:
    CRecordTable& m_table;
    std::deque<RecordEntry>& m_model;
};

uint32_t R(std::mt19937& rng, size_t n) {
    return static_cast<uint32_t>(rng() % n);
}

bool Same(const std::optional<RecordEntry>& a, const RecordEntry& b) {
    return a && a->m_nOffset == b.m_nOffset && a->m_nLength == b.m_nLength &&
           a->m_nFlags == b.m_nFlags;
}

// Every record by number in random order, forward, backward and past the end.
void ExpectSame(const CRecordTable& table, const std::deque<RecordEntry>& model, std::mt19937& rng) {
    ASSERT_EQ(table.Count(), model.size());
    const auto n = static_cast<uint32_t>(model.size());
    for (uint32_t i = 0; i < n; ++i)
        ASSERT_TRUE(Same(table.At(i), model[i])) << "forward " << i;
    for (uint32_t i = n; i-- > 0;)
        ASSERT_TRUE(Same(table.At(i), model[i])) << "backward " << i;
    for (int k = 0; n && k < 200; ++k) {
        const uint32_t i = R(rng, n);
        ASSERT_TRUE(Same(table.At(i), model[i])) << "random " << i;
    }
    EXPECT_FALSE(table.At(n).has_value());
    EXPECT_FALSE(table.At(UINT32_MAX).has_value());
}

// Offsets near record starts: the last record starting at or before them.
void ExpectSameOffsets(const CRecordTable& table, const std::deque<RecordEntry>& model,
                       std::mt19937& rng) {
    for (int k = 0; !model.empty() && k < 200; ++k) {
        const uint64_t nOffset = model[R(rng, model.size())].m_nOffset + R(rng, 5) - 2;
        uint32_t nWant = 0;
        for (uint32_t i = 0; i < model.size() && model[i].m_nOffset <= nOffset; ++i)
            nWant = i;
        ASSERT_EQ(table.LastStartingAt(nOffset), nWant) << nOffset;
    }
}

// Random text: short and empty lines, long lines past the longest record size, CR LF,
// LF, lone CR, tabs, UTF-16 line ends at odd and even positions.
std::vector<uint8_t> RandomText(std::mt19937& rng, size_t nBytes) {
    std::vector<uint8_t> d;
    const char pieces[][8] = {"\r\n", "\n", "\r", "\t", "\n\n", "\0\n", "\n\0", "ab"};
    while (d.size() < nBytes) {
        const unsigned r = R(rng, 10);
        if (r < 3) {
            const char* p = pieces[R(rng, 8)];
            d.insert(d.end(), p, p + 2);
        } else {
            d.insert(d.end(), rng() % (r == 9 ? 900 : 40), static_cast<uint8_t>('a' + r));
        }
    }
    return d;
}

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

        CRecordTable table;
        std::deque<RecordEntry> model;
        CBothSink sink(table, model);
        CRecordCutter cutter(params, sink, nStart);
        // Pieces as the cut gets them, read while it goes on.
        for (size_t at = 0; at < data.size();) {
            const size_t n = std::min<size_t>(data.size() - at, 1 + R(rng, 9000));
            cutter.Feed(data.data() + at, n);
            at += n;
            if (R(rng, 3) == 0 && !model.empty()) {
                const auto i = static_cast<uint32_t>(R(rng, model.size()));
                ASSERT_TRUE(Same(table.At(i), model[i]));
            }
        }
        cutter.Finish();
        ExpectSame(table, model, rng);
        ExpectSameOffsets(table, model, rng);

        // Colours and the tab bit, as selections and refreshes set them.
        const uint32_t kFlags[] = {0, RF_NO_TAB, RF_BLUE, RF_GREEN | RF_NO_TAB, RF_RED};
        for (int k = 0; !model.empty() && k < 300; ++k) {
            const auto i = static_cast<uint32_t>(R(rng, model.size()));
            const uint32_t f = kFlags[R(rng, 5)];
            ASSERT_TRUE(table.SetFlags(i, f));
            model[i].m_nFlags = f;
            if (k % 50 == 0) {
                ASSERT_TRUE(Same(table.At(i), model[i]));
            }
        }
        EXPECT_FALSE(table.SetFlags(static_cast<uint32_t>(model.size()), RF_RED));
        ExpectSame(table, model, rng);

        // F5: the tail is cut again with more data behind it (a completed last record
        // keeps its number), or a reopen of a shorter file keeps a start.
        for (int step = 0; step < 3 && !model.empty(); ++step) {
            const auto nKeep = static_cast<uint32_t>(rng() % (model.size() + 1));
            table.Truncate(nKeep);
            model.resize(nKeep);
            ExpectSame(table, model, rng);
            const uint64_t nFrom = model.empty() ? nStart : model.back().m_nOffset + model.back().m_nLength;
            CutParams more = params;
            more.m_nLimitFromEnd = 0;
            CRecordCutter again(more, sink, nFrom);
            const std::vector<uint8_t> tail = RandomText(rng, 500 + R(rng, 5000));
            again.Feed(tail.data(), tail.size());
            again.Finish();
            ExpectSame(table, model, rng);
            ExpectSameOffsets(table, model, rng);
        }
    }
}

// Values the byte per record cannot hold: long records, wide gaps, offsets that go
// back, a uniform length that changes, blocks emptied from the front.
TEST(RecordTableTest, EscapedLengthsAndGapsSurviveEveryBoundary) {
    std::mt19937 rng(4);
    CRecordTable table;
    std::deque<RecordEntry> model;
    const uint32_t kLengths[] = {0, 1, 80, 0xFFFE, 0xFFFF, 0x10000, 0xFFFFFFFF};
    const uint64_t kGaps[] = {0, 1, 2, 4, 30, 31, 32, 70000, uint64_t{1} << 40};
    uint64_t nEnd = 0;
    for (int i = 0; i < 5000; ++i) {
        RecordEntry e;
        // Runs of equal records keep blocks uniform for a while.
        const bool bRun = (i / 300) % 2 == 0;
        e.m_nLength = bRun ? kLengths[(i / 600) % 7] : kLengths[R(rng, 7)];
        e.m_nOffset = R(rng, 50) == 0 && nEnd > 100 ? nEnd - 100 : nEnd + (bRun ? 2 : kGaps[R(rng, 9)]);
        e.m_nFlags = (R(rng, 2) ? RF_NO_TAB : 0) | (R(rng, 4) == 0 ? RF_GREEN : 0);
        ASSERT_TRUE(table.Append(e));
        model.push_back(e);
        nEnd = e.m_nOffset + e.m_nLength;
        if (i % 700 == 699) {
            for (int k = 0; k < 260; ++k) {
                table.RemoveFirst();
                model.pop_front();
            }
        }
        if (i % 1100 == 1099) {
            table.Truncate(static_cast<uint32_t>(model.size() - 37));
            model.resize(model.size() - 37);
            nEnd = model.back().m_nOffset + model.back().m_nLength;
        }
    }
    ExpectSame(table, model, rng);
    // Emptied from the front to the last record, it starts again.
    while (!model.empty()) {
        table.RemoveFirst();
        model.pop_front();
    }
    ExpectSame(table, model, rng);
    ASSERT_TRUE(table.Append(RecordEntry{12, 3, RF_RED}));
    model.push_back(RecordEntry{12, 3, RF_RED});
    ExpectSame(table, model, rng);
}

// Out of memory at a block: the records before it stay, nothing half-stored follows.
TEST(RecordTableTest, ABlockThatFindsNoRoomStopsTheAppend) {
    CRecordTable table;
    std::vector<RecordEntry> many(1000);
    for (uint32_t i = 0; i < 1000; ++i)
        many[i] = RecordEntry{i * 10ull, 9, RF_NO_TAB};
    CBlockList::SetAllocFailureHook([n = 0]() mutable { return ++n == 3; });
    uint32_t nAppended = 0;
    EXPECT_FALSE(table.AppendMany(many.data(), 1000, nAppended));
    CBlockList::SetAllocFailureHook({});
    EXPECT_EQ(nAppended, 2 * CRecordTable::kBlockRecords);
    EXPECT_EQ(table.Count(), nAppended);
    EXPECT_TRUE(Same(table.At(nAppended - 1), many[nAppended - 1]));
    EXPECT_TRUE(table.AppendMany(many.data() + nAppended, 1000 - nAppended, nAppended));
    EXPECT_TRUE(Same(table.At(999), many[999]));
}

} // namespace
} // namespace tervik
