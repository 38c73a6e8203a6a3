#include "document/RecordCutter.h"
#include "ReferenceDelimiter.h"
#include "document/RecordScan.h"

#include <deque>
#include <gtest/gtest.h>
#include <initializer_list>
#include <random>
#include <string>

namespace tervik {
namespace {

struct VectorSink : IRecordSink {
    std::deque<RecordEntry> records;
    size_t nCapacity = SIZE_MAX;
    bool Store(const RecordEntry& e) override {
        if (records.size() >= nCapacity) return false;
        records.push_back(e);
        return true;
    }
    void RemoveFirst() override { records.pop_front(); }
};

struct CutOutcome {
    std::vector<RecordEntry> records;
    uint32_t nLineEnd = 0;
    uint32_t nMaxLength = 0;
    bool bStopped = false;
};

// Feeds the data in the given pieces, as the read thread feeds blocks.
CutOutcome Cut(const std::vector<uint8_t>& data, const CutParams& params,
               const std::vector<size_t>& pieces, uint64_t nStart = 0,
               const std::atomic<bool>* pEscape = nullptr) {
    VectorSink sink;
    CRecordCutter cutter(params, sink, nStart, pEscape);
    size_t at = 0;
    bool bGoing = true;
    for (size_t len : pieces) {
        len = std::min(len, data.size() - at);
        if (!cutter.Feed(data.data() + at, len)) {
            bGoing = false;
            break;
        }
        at += len;
    }
    if (bGoing && at < data.size()) bGoing = cutter.Feed(data.data() + at, data.size() - at);
    if (bGoing) cutter.Finish();
    return {std::vector<RecordEntry>(sink.records.begin(), sink.records.end()), cutter.LineEnd(),
            cutter.MaxLength(), cutter.Stopped()};
}

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

std::string Describe(const std::vector<RecordEntry>& v) {
    std::string s;
    for (const auto& e : v)
        s += "{" + std::to_string(e.m_nOffset) + "," + std::to_string(e.m_nLength) + "," +
             (e.m_nFlags & RF_NO_TAB ? "N" : "-") + "} ";
    return s;
}

void ExpectSame(const CutOutcome& got, const test::ReferenceResult& want, const std::string& what) {
    ASSERT_EQ(Describe(got.records), Describe(want.records)) << what;
    EXPECT_EQ(got.nLineEnd, want.nLineEnd) << what;
    EXPECT_EQ(got.nMaxLength, want.nMaxLength) << what;
    EXPECT_EQ(got.bStopped, want.bStopped) << what;
}

// Records as {offset, length} pairs, for the hand-written cases.
using Spans = std::vector<std::pair<uint64_t, uint32_t>>;
Spans SpansOf(const std::vector<RecordEntry>& v) {
    Spans s;
    for (const auto& e : v)
        s.emplace_back(e.m_nOffset, e.m_nLength);
    return s;
}

TEST(RecordCutter, LineRulesByExample) {
    struct Case {
        const char* name;
        std::string data;
        CutParams params;
        Spans expected;
        uint32_t nLineEnd;
    } cases[] = {
        {"empty line", "a\n\nb\n", {}, {{0, 1}, {2, 0}, {3, 1}}, 1},
        {"CR LF CR LF", "\r\n\r\n", {}, {{0, 0}, {2, 0}}, 2},
        {"no final line end", "ab\ncd", {}, {{0, 2}, {3, 2}}, 1},
        {"final LF adds no record", "ab\n", {}, {{0, 2}}, 1},
        {"first byte LF", "\nx", {}, {{0, 0}, {1, 1}}, 1},
        {"line of exactly max + LF", "abcd\nx", {0, 4}, {{0, 4}, {5, 1}}, 1},
        {"line of exactly max + CR LF", "abcd\r\nx", {0, 4}, {{0, 4}, {6, 1}}, 2},
        {"longer line split", "abcdefghij\n", {0, 4}, {{0, 4}, {4, 4}, {8, 2}}, 1},
        {"fixed length, LF is data",
         std::string(200, 'x'),
         {80, 32768},
         {{0, 80}, {80, 80}, {160, 40}},
         0},
        {"fixed with LF inside", "ab\ncd\nef", {3, 32768}, {{0, 3}, {3, 3}, {6, 2}}, 0},
        {"lone CR is data", "a\rb\n", {}, {{0, 3}}, 1},
    };
    for (const auto& c : cases) {
        const auto got = Cut(Bytes(c.data), c.params, {3, 1, 64, 7});
        EXPECT_EQ(SpansOf(got.records), c.expected) << c.name;
        EXPECT_EQ(got.nLineEnd, c.nLineEnd) << c.name;
    }
}

TEST(RecordCutter, Utf16LineEnds) {
    // FF FE BOM, "ab" CR LF "c" LF, little endian.
    const std::vector<uint8_t> le = {0xFF, 0xFE, 'a', 0, 'b',  0, 0x0D, 0,
                                     0x0A, 0,    'c', 0, 0x0A, 0, 'd',  0};
    CutParams p;
    p.m_eEncoding = CutEncoding::Utf16Le;
    for (size_t split = 1; split < le.size(); ++split) {
        const auto got = Cut(le, p, {split});
        EXPECT_EQ(SpansOf(got.records), (Spans{{0, 6}, {10, 2}, {14, 2}})) << split;
        EXPECT_EQ(got.nLineEnd, 2u);
    }
    // Big endian: LF alone and CR LF are both taken off whole; lengths stay even.
    const std::vector<uint8_t> be = {0xFE, 0xFF, 0, 'a', 0, 0x0A, 0, 'b', 0, 0x0D, 0, 0x0A, 0, 'c'};
    p.m_eEncoding = CutEncoding::Utf16Be;
    const auto got = Cut(be, p, {5, 5, 5});
    EXPECT_EQ(SpansOf(got.records), (Spans{{0, 4}, {6, 2}, {12, 2}}));
    EXPECT_EQ(got.nLineEnd, 1u);
    // A 0x0A byte inside another character is no line end (U+4E0A, U+010A).
    const std::vector<uint8_t> cjk = {0xFF, 0xFE, 0x0A, 0x4E, 0x0A, 0x01, 0x0A, 0x00, 'x', 0};
    p.m_eEncoding = CutEncoding::Utf16Le;
    EXPECT_EQ(SpansOf(Cut(cjk, p, {3}).records), (Spans{{0, 6}, {8, 2}}));
    const std::vector<uint8_t> cjkBe = {0xFE, 0xFF, 0x4E, 0x0A, 0x01, 0x0A, 0x00, 0x0A, 0, 'x'};
    p.m_eEncoding = CutEncoding::Utf16Be;
    EXPECT_EQ(SpansOf(Cut(cjkBe, p, {3}).records), (Spans{{0, 6}, {8, 2}}));
}

TEST(RecordCutter, TabFlagAndLastRecord) {
    const auto got = Cut(Bytes("a\tb\nplain\nlast\tx"), {}, {100});
    ASSERT_EQ(got.records.size(), 3u);
    EXPECT_EQ(got.records[0].m_nFlags, 0u);
    EXPECT_EQ(got.records[1].m_nFlags, RF_NO_TAB);
    EXPECT_EQ(got.records[2].m_nFlags, 0u); // the unterminated last record never has it
    const auto noTabLast = Cut(Bytes("x\nend"), {}, {100});
    EXPECT_EQ(noTabLast.records.back().m_nFlags, 0u);
}

TEST(RecordCutter, LimitsAndEscape) {
    std::string data;
    for (int i = 0; i < 300; ++i)
        data += "line " + std::to_string(i) + "\n";
    CutParams p;
    p.m_nLimitFromStart = 100;
    auto got = Cut(Bytes(data), p, {4096});
    ASSERT_EQ(got.records.size(), 100u);
    EXPECT_EQ(got.records[99].m_nLength, 7u); // "line 99" complete
    EXPECT_TRUE(got.bStopped);

    p = {};
    p.m_nLimitFromEnd = 100;
    got = Cut(Bytes(data), p, {4096});
    ASSERT_EQ(got.records.size(), 100u);
    EXPECT_EQ(got.records.front().m_nOffset, data.find("line 200"));

    std::atomic<bool> escape{true};
    got = Cut(Bytes(data), {}, {4096}, 0, &escape);
    EXPECT_EQ(got.records.size(), 1u); // stops after the first record end
    EXPECT_TRUE(got.bStopped);
}

TEST(RecordCutter, FullSinkStopsAndKeepsRecords) {
    VectorSink sink;
    sink.nCapacity = 3;
    CRecordCutter cutter({}, sink, 0);
    const auto data = Bytes("a\nb\nc\nd\ne\n");
    EXPECT_FALSE(cutter.Feed(data.data(), data.size()));
    EXPECT_TRUE(cutter.StoppedBySink());
    EXPECT_EQ(sink.records.size(), 3u);
}

// Random and adversarial data against the plain rules, fed in random pieces.
TEST(RecordCutter, MatchesTheReferenceOnRandomInput) {
    std::mt19937_64 rng(20261207);
    auto pick = [&]<class T>(std::initializer_list<T> values) {
        return values.begin()[rng() % values.size()];
    };
    const uint8_t alphabets[][6] = {
        {'a', 'b', '\n', '\r', '\t', 'c'},
        {'\n', '\n', '\r', 'x', 'x', 'x'},
        {0x00, 0x0A, 0x0D, 'a', 0x09, 0x00},
        {'x', 'x', 'x', 'x', 'x', '\n'},
    };
    for (int iter = 0; iter < 10000; ++iter) {
        CutParams p;
        p.m_eEncoding = pick({CutEncoding::SingleByte, CutEncoding::SingleByte,
                              CutEncoding::Utf16Le, CutEncoding::Utf16Be});
        p.m_nMaxRecSize = pick({1u, 2u, 3u, 5u, 63u, 64u, 65u, 127u, 200u, 32768u, 32768u, 32768u});
        p.m_nFixedSize = pick({0u, 0u, 0u, 0u, 1u, 7u, 80u});
        const int nLimit = static_cast<int>(rng() % 4);
        if (nLimit == 1)
            p.m_nLimitFromStart = static_cast<uint32_t>(1 + rng() % 20);
        else if (nLimit == 2)
            p.m_nLimitFromEnd = static_cast<uint32_t>(1 + rng() % 20);

        const auto& alpha = alphabets[rng() % 4];
        // Some inputs have long lines: line ends only every few hundred bytes.
        const bool bLongLines = rng() % 3 == 0;
        const size_t len = pick(std::initializer_list<size_t>{0, 1, 2, 63, 64, 65, 127, 128, 129}) +
                           rng() % pick(std::initializer_list<size_t>{1, 16, 400, 3000});
        std::vector<uint8_t> data(len);
        const bool bUnits = p.m_eEncoding != CutEncoding::SingleByte && rng() % 2;
        for (size_t i = 0; i < len; ++i)
            data[i] = bUnits && i % 2 == (p.m_eEncoding == CutEncoding::Utf16Le ? 1u : 0u) ? 0
                      : bLongLines && rng() % 300 != 0                                     ? 'x'
                                                       : alpha[rng() % 6];
        std::vector<size_t> pieces;
        for (size_t total = 0; total < len;) {
            const size_t piece =
                pick(std::initializer_list<size_t>{1, 2, 3, 63, 64, 65, 128, 1000}) + rng() % 3;
            pieces.push_back(piece);
            total += piece;
        }
        const uint64_t nStart = pick({0u, 0u, 1u, 65536u});
        test::ReferenceOptions ro;
        ro.params = p;
        ro.nStartOffset = nStart;
        const std::string what = "iteration " + std::to_string(iter);
        ExpectSame(Cut(data, p, pieces, nStart), test::ReferenceDelimit(data, ro), what);
        if (HasFatalFailure()) return;
    }
}

// Both instruction-set variants of the fast scan must agree; the processor picks one.
#if defined(__x86_64__)
TEST(RecordCutter, ScanVariantsAgree) {
    if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 here";
    std::mt19937_64 rng(11);
    for (int iter = 0; iter < 200; ++iter) {
        std::vector<uint8_t> data(64 * (1 + rng() % 200));
        for (auto& b : data)
            b = static_cast<uint8_t>("ab\n\r\t x"[rng() % 7]);
        VectorSink sinks[2];
        detail::FastScanState states[2];
        size_t done[2];
        const detail::FastScanFn fns[2] = {detail::FastScanSse2, detail::FastScanAvx2};
        for (int v = 0; v < 2; ++v) {
            detail::FastScanState& st = states[v];
            st = {};
            st.nPos = 1000;
            st.nStart = 990;
            st.nCount = 10;
            st.nPrev = iter % 2 ? 0x0D : 'x';
            st.bEmptyAllowed = true;
            st.nCut = 32768;
            st.pSink = &sinks[v];
            done[v] = fns[v](st, data.data(), data.size());
        }
        ASSERT_EQ(done[0], done[1]);
        EXPECT_EQ(Describe({sinks[0].records.begin(), sinks[0].records.end()}),
                  Describe({sinks[1].records.begin(), sinks[1].records.end()}));
        EXPECT_EQ(states[0].nStart, states[1].nStart);
        EXPECT_EQ(states[0].nCount, states[1].nCount);
        EXPECT_EQ(states[0].nMaxLength, states[1].nMaxLength);
        EXPECT_EQ(states[0].bTab, states[1].bTab);
        EXPECT_EQ(states[0].nLineEnd, states[1].nLineEnd);
    }
}
#endif

// Line ends placed across chunk and block edges: CR last in a block, LF first in the next.
TEST(RecordCutter, LineEndsAcrossBlockEdgesMatchTheReference) {
    for (size_t nLine = 1; nLine < 140; ++nLine) {
        for (const char* end : {"\r\n", "\n", "\t\r\n"}) {
            std::string text;
            while (text.size() < 1500)
                text += std::string(nLine, 'x') + end;
            const auto data = Bytes(text);
            for (size_t piece : {64u, 128u, 65u, 4096u}) {
                const auto want = test::ReferenceDelimit(data, {});
                ExpectSame(Cut(data, {}, std::vector<size_t>(100, piece)), want,
                           std::to_string(nLine) + "/" + std::to_string(piece));
                if (HasFatalFailure()) return;
            }
        }
    }
}

// Escape pressed while the data streams in: the cut ends at the first record end
// after it.
TEST(RecordCutter, EscapeMatchesTheReference) {
    std::mt19937_64 rng(7);
    for (int iter = 0; iter < 300; ++iter) {
        std::vector<uint8_t> data(500 + rng() % 4000);
        for (auto& b : data)
            b = static_cast<uint8_t>("ab\n\r\t"[rng() % 5]);
        CutParams p;
        p.m_nMaxRecSize = rng() % 2 ? 32768 : 50;
        const size_t nPress = rng() % data.size();
        test::ReferenceOptions ro;
        ro.params = p;
        ro.nEscapeFromOffset = nPress;
        const auto want = test::ReferenceDelimit(data, ro);

        VectorSink sink;
        std::atomic<bool> escape{false};
        CRecordCutter cutter(p, sink, 0, &escape);
        bool bGoing = cutter.Feed(data.data(), nPress);
        escape = true;
        if (bGoing && cutter.Feed(data.data() + nPress, data.size() - nPress)) cutter.Finish();
        EXPECT_EQ(Describe({sink.records.begin(), sink.records.end()}), Describe(want.records))
            << iter;
        EXPECT_EQ(cutter.Stopped(), want.bStopped) << iter;
    }
}

} // namespace
} // namespace tervik
