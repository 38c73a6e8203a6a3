#include "document/BlockList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <utility>
#include <vector>

namespace tervik {
namespace {

using Bytes = std::vector<uint8_t>;

// Contents derived from a unique id, so that a misplaced element shows.
Bytes MakeElement(uint16_t nSize, uint64_t id) {
    Bytes e(nSize);
    uint64_t h = id;
    for (size_t b = 0; b < nSize; ++b) {
        if (b % 8 == 0) h = (h ^ (h >> 29)) * 0xBF58476D1CE4E5B9ull + 0x9E3779B97F4A7C15ull;
        e[b] = static_cast<uint8_t>(h >> (8 * (b % 8)));
    }
    return e;
}

// The reference: the elements back to back in one vector.
struct Model {
    uint16_t nSize;
    Bytes bytes;
    size_t Count() const { return bytes.size() / nSize; }
    const uint8_t* At(size_t i) const { return bytes.data() + i * nSize; }
    auto Pos(size_t i) { return bytes.begin() + static_cast<ptrdiff_t>(i * nSize); }
    void Insert(size_t i, const Bytes& e) { bytes.insert(Pos(i), e.begin(), e.end()); }
    void Remove(size_t i, size_t n) { bytes.erase(Pos(i), Pos(i + n)); }
};

::testing::AssertionResult SameElement(const CBlockList& list, const Model& model, size_t i) {
    auto n = static_cast<uint32_t>(i);
    const void* p = list.At(n);
    uint8_t out[64] = {};
    if (p == nullptr || std::memcmp(p, model.At(i), model.nSize) != 0)
        return ::testing::AssertionFailure() << "At(" << i << ") differs";
    if (list.Get(n, out) != kBlOk || std::memcmp(out, model.At(i), model.nSize) != 0)
        return ::testing::AssertionFailure() << "Get(" << i << ") differs";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SameList(const CBlockList& list, const Model& model) {
    if (list.Count() != model.Count())
        return ::testing::AssertionFailure()
               << "count " << list.Count() << " not " << model.Count();
    if (!list.CheckIntegrity()) return ::testing::AssertionFailure() << "integrity";
    for (size_t i = 0; i < model.Count(); ++i)
        if (auto r = SameElement(list, model, i); !r) return r;
    if (list.At(list.Count()) != nullptr) return ::testing::AssertionFailure() << "At(count)";
    return ::testing::AssertionSuccess();
}

// Every test ends without an allocation hook.
class BlockListTest : public ::testing::Test {
protected:
    void TearDown() override { CBlockList::SetAllocFailureHook({}); }
};

TEST_F(BlockListTest, GeometryFollowsElementAndBlockSize) {
    struct Case {
        uint16_t nElement;
        int32_t nBlock;
        uint16_t nElementOut;
        int32_t nBlockOut;
        uint32_t nCapacity;
    } cases[] = {
        {16, 32768, 16, 32768, 2046}, {4, 32768, 4, 32768, 8184},
        {8, 4096, 8, 4096, 508},      {16, 40, 16, 48, 1},
        {16, 0, 16, 48, 1},           {16, -7, 16, 48, 1},
        {0, 100, 1, 100, 68},         {65535, 4096, 65535, 65567, 1},
    };
    for (const auto& c : cases) {
        CBlockList list(c.nElement, c.nBlock);
        EXPECT_EQ(list.ElementSize(), c.nElementOut) << c.nElement << "/" << c.nBlock;
        EXPECT_EQ(list.BlockSize(), c.nBlockOut) << c.nElement << "/" << c.nBlock;
        EXPECT_EQ(list.Capacity(), c.nCapacity) << c.nElement << "/" << c.nBlock;
        EXPECT_EQ(list.BlockCount(), 0u); // nothing allocated before the first element
    }
}

TEST_F(BlockListTest, BadArgumentsAnswerNoElementWithoutChange) {
    for (uint32_t nFill : {0u, 1u, 5u, 9u}) {
        CBlockList list(8, 72); // five per block
        Model model{8, {}};
        for (uint32_t i = 0; i < nFill; ++i) {
            model.Insert(i, MakeElement(8, i));
            ASSERT_EQ(list.Append(model.At(i)), kBlOk);
        }
        uint64_t out = 0;
        EXPECT_EQ(list.At(nFill), nullptr);
        EXPECT_EQ(list.At(0xFFFFFFFFu), nullptr);
        EXPECT_EQ(list.Get(nFill, &out), kBlNoElement);
        EXPECT_EQ(list.Get(0, nullptr), kBlNoElement);
        EXPECT_EQ(list.Append(nullptr), kBlNoElement);
        EXPECT_EQ(list.Insert(0, nullptr), kBlNoElement);
        for (auto [at, n] :
             {std::pair{nFill, 1}, {0xFFFFFFFFu, 1}, {0u, 0}, {0u, -1}, {0u, INT32_MIN}})
            EXPECT_EQ(list.Remove(at, n), kBlNoElement) << at << " " << n;
        EXPECT_TRUE(SameList(list, model)) << nFill;
    }
}

// --- random operations against the model ---

struct Geometry {
    uint16_t nElementSize;
    int32_t nBlockSize;
};

class BlockListRandom : public BlockListTest, public ::testing::WithParamInterface<Geometry> {
protected:
    CBlockList m_list{GetParam().nElementSize, GetParam().nBlockSize};
    Model m_model{m_list.ElementSize(), {}};
    std::mt19937_64 m_rng{20240611};
    uint64_t m_nextId = 1;
    size_t m_nNoMemory = 0;

    uint32_t Count() const { return static_cast<uint32_t>(m_model.Count()); }
    uint32_t Below(uint64_t n) { return static_cast<uint32_t>(m_rng() % n); }

    // The ends, near the block borders of a full list, or anywhere.
    uint32_t Position(uint32_t nLimit) {
        uint32_t cap = m_list.Capacity();
        switch (Below(5)) {
        case 0:
            return 0;
        case 1:
            return nLimit == 0 ? 0 : nLimit - 1;
        case 2:
        case 3: {
            uint32_t p = Below(nLimit / cap + 1) * cap + Below(3);
            return p == 0 ? 0 : p - 1;
        }
        default:
            return Below(uint64_t{nLimit} + 1);
        }
    }

    // Out of memory is allowed while the hook fails allocations, and then nothing
    // may have changed.
    bool Succeeded(int nResult, bool bMayFail) {
        if (nResult == kBlNoMemory && bMayFail) {
            ++m_nNoMemory;
            EXPECT_TRUE(SameList(m_list, m_model));
            return false;
        }
        EXPECT_EQ(nResult, kBlOk);
        return true;
    }

    void Change(bool bMayFail) {
        uint32_t nCount = Count();
        uint32_t cap = m_list.Capacity();
        uint32_t r = Below(100);
        if (r < 30 && nCount < std::max<uint32_t>(6 * cap, 400)) {
            for (uint32_t k = Below(cap + 2) + 1; k > 0; --k) { // a burst of appends
                Bytes e = MakeElement(m_model.nSize, m_nextId++);
                if (Succeeded(m_list.Append(e.data()), bMayFail)) m_model.Insert(Count(), e);
            }
        } else if (r < 70) {
            uint32_t at = Position(nCount); // past the end appends
            Bytes e = MakeElement(m_model.nSize, m_nextId++);
            if (Succeeded(m_list.Insert(at, e.data()), bMayFail))
                m_model.Insert(std::min(at, nCount), e);
        } else if (nCount > 0) {
            uint32_t at = std::min(Position(nCount), nCount - 1);
            const uint32_t spans[] = {1, cap, Below(2 * uint64_t{cap} + 2) + 1, nCount - at,
                                      Below(std::min<uint64_t>(nCount - at, 3 * uint64_t{cap})) +
                                          1};
            uint32_t n = spans[Below(5)];
            // More than follows takes the rest and says so.
            EXPECT_EQ(m_list.Remove(at, static_cast<int32_t>(n)),
                      n <= nCount - at ? kBlOk : kBlNoElement);
            m_model.Remove(at, std::min(n, nCount - at));
        }
    }

    void Look() {
        uint32_t nCount = Count();
        if (nCount == 0) return;
        if (Below(2)) {
            for (int k = 0; k < 8; ++k)
                ASSERT_TRUE(SameElement(m_list, m_model, Below(nCount)));
            return;
        }
        // A run of neighbours in either direction, across several blocks.
        uint32_t from = Below(nCount);
        uint32_t to = std::min<uint32_t>(nCount, from + 3 * m_list.Capacity() + 5);
        bool bUp = Below(2);
        for (uint32_t k = from; k < to; ++k)
            ASSERT_TRUE(SameElement(m_list, m_model, bUp ? k : to - 1 - (k - from)));
    }

    void Run(int nOps, bool bMayFail) {
        for (int op = 0; op < nOps && !HasFatalFailure(); ++op) {
            if (Below(4) == 0) {
                Look();
            } else {
                Change(bMayFail);
            }
            if (op % 97 == 0) {
                ASSERT_TRUE(SameList(m_list, m_model)) << "op " << op;
            }
            if (op == nOps / 2) { // the list must work again after a clear
                m_list.Clear();
                m_model.bytes.clear();
                ASSERT_EQ(m_list.BlockCount(), 0u);
            }
        }
        EXPECT_TRUE(SameList(m_list, m_model));
    }
};

TEST_P(BlockListRandom, MatchesAVectorUnderMixedOperations) {
    Run(2500, false);
}

TEST_P(BlockListRandom, FailedAllocationsLeaveTheListUnchanged) {
    std::mt19937 hookRng(7);
    CBlockList::SetAllocFailureHook([&hookRng] { return hookRng() % 5 == 0; });
    Run(1500, true);
    EXPECT_GT(m_nNoMemory, 0u);
}

const Geometry kGeometries[] = {
    {16, 32768}, {4, 32768}, {8, 4096}, {12, 8192}, {16, 40}, // one element per block
    {4, 40},                                                  // two
    {5, 52},                                                  // odd size, four
};
INSTANTIATE_TEST_SUITE_P(BlockList, BlockListRandom, ::testing::ValuesIn(kGeometries),
                         [](const auto& p) {
                             return "E" + std::to_string(p.param.nElementSize) + "B" +
                                    std::to_string(p.param.nBlockSize);
                         });

// --- the directory beside the chain ---

TEST_F(BlockListTest, RandomLookupsAfterAppendsInsertsAndRemovals) {
    // Large enough to span several arena chunks.
    struct Case {
        uint16_t nElement;
        int32_t nBlock;
        uint32_t nCount;
    } cases[] = {{16, 32768, 300000}, {4, 4096, 200000}, {16, 40, 30000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nElement << "/" << c.nBlock);
        CBlockList list(c.nElement, c.nBlock);
        Model model{c.nElement, {}};
        uint64_t id = 0;
        auto append = [&] {
            model.Insert(model.Count(), MakeElement(c.nElement, id++));
            ASSERT_EQ(list.Append(model.At(model.Count() - 1)), kBlOk);
        };
        while (model.Count() < c.nCount)
            append();
        std::mt19937 rng(c.nCount);
        auto randomIndex = [&] { return static_cast<uint32_t>(rng() % model.Count()); };
        for (int round = 0; round < 20; ++round) {
            for (int k = 0; k < 3000; ++k)
                ASSERT_TRUE(SameElement(list, model, randomIndex()));
            // Uneven blocks: lookups must go by the counts, not the capacity.
            uint32_t at = randomIndex();
            model.Insert(at, MakeElement(c.nElement, id++));
            ASSERT_EQ(list.Insert(at, model.At(at)), kBlOk);
            uint32_t from = randomIndex();
            auto n = static_cast<uint32_t>(rng() % (3 * list.Capacity()) + 1);
            list.Remove(from, static_cast<int32_t>(n));
            model.Remove(from, std::min<size_t>(n, model.Count() - from));
            for (int k = 0; k < 3; ++k) { // appends to an uneven list
                append();
                ASSERT_TRUE(SameElement(list, model, randomIndex()));
            }
            ASSERT_TRUE(list.CheckIntegrity());
        }
        EXPECT_TRUE(SameList(list, model));
    }
}

// A table that keeps only its last lines drops its first entry for each new one.
TEST_F(BlockListTest, DroppingTheFirstWhileAppendingKeepsAWindow) {
    CBlockList list(16, 32768);
    const uint32_t nKeep = 5000;
    uint64_t id = 0;
    for (; id < 30000; ++id) {
        ASSERT_EQ(list.Append(MakeElement(16, id).data()), kBlOk);
        if (list.Count() > nKeep) {
            ASSERT_EQ(list.Remove(0, 1), kBlOk);
        }
    }
    ASSERT_EQ(list.Count(), nKeep);
    ASSERT_TRUE(list.CheckIntegrity());
    EXPECT_LE(list.BlockCount(), nKeep / list.Capacity() + 2); // emptied blocks are freed
    std::mt19937 rng(3);
    for (int k = 0; k < 2000; ++k) {
        auto i = static_cast<uint32_t>(rng() % nKeep);
        ASSERT_EQ(std::memcmp(list.At(i), MakeElement(16, id - nKeep + i).data(), 16), 0) << i;
    }
}

// Runs of elements land exactly as single appends would put them, across block
// edges, and a failing block allocation keeps what fitted before it.
TEST_F(BlockListTest, AppendManyEqualsSingleAppends) {
    for (const auto& [nSize, nBlock] :
         {std::pair<uint16_t, int32_t>{16, 32768}, {4, 40}, {12, 8192}}) {
        CBlockList list(nSize, nBlock);
        Model model{nSize, {}};
        std::mt19937 rng(nSize);
        uint64_t id = 0;
        for (int k = 0; k < 200; ++k) {
            const auto n = static_cast<uint32_t>(rng() % 3000);
            Bytes run;
            for (uint32_t e = 0; e < n; ++e) {
                const Bytes elem = MakeElement(nSize, id++);
                run.insert(run.end(), elem.begin(), elem.end());
            }
            uint32_t nDone = 0;
            ASSERT_EQ(list.AppendMany(run.data(), n, nDone), kBlOk);
            EXPECT_EQ(nDone, n);
            model.bytes.insert(model.bytes.end(), run.begin(), run.end());
        }
        ASSERT_TRUE(SameList(list, model));

        // The next block cannot be had: the tail block fills up, nothing more.
        const bool bTailFull = list.Count() % list.Capacity() == 0;
        const uint32_t nRoom = bTailFull ? 0 : list.Capacity() - list.Count() % list.Capacity();
        Bytes run;
        for (uint32_t e = 0; e < nRoom + 5; ++e) {
            const Bytes elem = MakeElement(nSize, id++);
            run.insert(run.end(), elem.begin(), elem.end());
        }
        CBlockList::SetAllocFailureHook([] { return true; });
        uint32_t nDone = 0;
        EXPECT_EQ(list.AppendMany(run.data(), nRoom + 5, nDone), kBlNoMemory);
        CBlockList::SetAllocFailureHook({});
        EXPECT_EQ(nDone, nRoom);
        model.bytes.insert(model.bytes.end(), run.begin(),
                           run.begin() + static_cast<ptrdiff_t>(size_t{nDone} * nSize));
        ASSERT_TRUE(SameList(list, model));
    }
}

// --- pointers and typed access ---

TEST_F(BlockListTest, ElementPointersSurviveAppends) {
    CBlockList list(16, 4096);
    std::vector<const void*> pointers;
    for (uint32_t i = 0; i < 100000; ++i) {
        list.Append(MakeElement(16, i).data());
        if (i < 100) pointers.push_back(list.At(i));
    }
    for (uint32_t i = 0; i < pointers.size(); ++i) {
        EXPECT_EQ(pointers[i], list.At(i));
        EXPECT_EQ(std::memcmp(pointers[i], MakeElement(16, i).data(), 16), 0);
    }
}

struct Entry16 {
    uint64_t nOffset;
    uint32_t nLength;
    uint32_t nFlags;
};
struct Entry12 {
    uint32_t a, b, c;
};

template <class T> void CheckTypedAccess(int32_t nBlockSize, uint32_t nCount) {
    CBlockList list(sizeof(T), nBlockSize);
    for (uint32_t i = 0; i < nCount; ++i)
        ASSERT_EQ(list.Append(MakeElement(sizeof(T), i).data()), kBlOk);
    for (uint32_t i = 0; i < nCount; ++i) {
        T* p = list.template AtAs<T>(i);
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(T), 0u) << i;
        ASSERT_EQ(std::memcmp(p, MakeElement(sizeof(T), i).data(), sizeof(T)), 0) << i;
    }
    EXPECT_EQ(list.template AtAs<T>(nCount), nullptr);
    EXPECT_EQ(std::as_const(list).template AtAs<T>(0), list.At(0));
    EXPECT_EQ(list.template AtAs<uint8_t>(0), nullptr); // another element size
}

TEST_F(BlockListTest, TypedAccessIsAlignedForItsElementType) {
    CheckTypedAccess<Entry16>(32768, 5000);
    CheckTypedAccess<Entry16>(40, 50); // blocks of an odd size
    CheckTypedAccess<Entry12>(8192, 2000);
    CheckTypedAccess<uint32_t>(4096, 3000);
    CheckTypedAccess<uint64_t>(77, 300);
}

// --- out of memory ---

TEST_F(BlockListTest, OutOfMemoryOnlyWhereABlockIsNeeded) {
    CBlockList::SetAllocFailureHook([] { return true; });
    CBlockList list(4, 48); // four per block
    Model model{4, {}};
    Bytes e = MakeElement(4, 99);
    EXPECT_EQ(list.Append(e.data()), kBlNoMemory);
    EXPECT_EQ(list.Insert(0, e.data()), kBlNoMemory);
    EXPECT_EQ(list.BlockCount(), 0u);

    CBlockList::SetAllocFailureHook({});
    for (uint64_t id = 0; id < 8; ++id) {
        model.Insert(id, MakeElement(4, id));
        ASSERT_EQ(list.Append(model.At(id)), kBlOk);
    }
    CBlockList::SetAllocFailureHook([] { return true; });
    // Two full blocks: appending and inserting anywhere need a new block.
    EXPECT_EQ(list.Append(e.data()), kBlNoMemory);
    for (uint32_t at : {0u, 1u, 3u, 4u, 7u})
        EXPECT_EQ(list.Insert(at, e.data()), kBlNoMemory) << at;
    EXPECT_TRUE(SameList(list, model));
    // Room in the block, or in the previous one for its first position, needs none.
    for (auto [removeAt, insertAt] : {std::pair{5u, 6u}, {1u, 3u}}) {
        ASSERT_EQ(list.Remove(removeAt, 1), kBlOk);
        model.Remove(removeAt, 1);
        ASSERT_EQ(list.Insert(insertAt, e.data()), kBlOk);
        model.Insert(insertAt, e);
    }
    EXPECT_EQ(list.BlockCount(), 2u);
    EXPECT_TRUE(SameList(list, model));
}

// Needs about 4 GB and half a minute; run on demand with
// --gtest_also_run_disabled_tests.
TEST_F(BlockListTest, DISABLED_CountStopsAtTheLargestRecordNumber) {
    CBlockList list(1, 0x7FFFFFFF);
    uint8_t b = 0;
    for (uint64_t i = 0; i < CBlockList::kMaxCount; ++i) {
        b = static_cast<uint8_t>(i);
        if (list.Append(&b) != kBlOk) FAIL() << "append " << i;
    }
    EXPECT_EQ(list.Append(&b), kBlNoMemory);
    EXPECT_EQ(list.Insert(0, &b), kBlNoMemory);
    EXPECT_EQ(list.Count(), 0xFFFFFFFFu);
    EXPECT_EQ(*static_cast<uint8_t*>(list.At(0xFFFFFFFEu)), 0xFE);
    EXPECT_EQ(list.Remove(0xFFFFFFFEu, 1), kBlOk);
    EXPECT_EQ(list.Append(&b), kBlOk);
}

} // namespace
} // namespace tervik
