#include "document/BlockList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace tervik {
namespace {

// Element contents derived from a unique id, so that a misplaced element shows.
uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::vector<uint8_t> MakeElement(uint16_t nSize, uint64_t id) {
    std::vector<uint8_t> e(nSize);
    uint64_t h = Mix(id);
    for (size_t b = 0; b < nSize; ++b) {
        if (b % 8 == 0 && b > 0) h = Mix(h);
        e[b] = static_cast<uint8_t>(h >> (8 * (b % 8)));
    }
    return e;
}

// The reference: a flat byte vector of elements.
class Model {
public:
    explicit Model(uint16_t nSize) : m_nSize(nSize) {}
    size_t Count() const { return m_bytes.size() / m_nSize; }
    const uint8_t* At(size_t i) const { return m_bytes.data() + i * m_nSize; }
    void Insert(size_t i, const std::vector<uint8_t>& e) {
        m_bytes.insert(m_bytes.begin() + static_cast<ptrdiff_t>(i * m_nSize), e.begin(), e.end());
    }
    void Remove(size_t i, size_t n) {
        auto first = m_bytes.begin() + static_cast<ptrdiff_t>(i * m_nSize);
        m_bytes.erase(first, first + static_cast<ptrdiff_t>(n * m_nSize));
    }
    void Clear() { m_bytes.clear(); }

private:
    uint16_t m_nSize;
    std::vector<uint8_t> m_bytes;
};

::testing::AssertionResult SameElement(const CBlockList& list, const Model& model, size_t i) {
    auto n = static_cast<uint32_t>(i);
    const void* p = list.At(n);
    if (p == nullptr) return ::testing::AssertionFailure() << "At(" << i << ") is null";
    if (std::memcmp(p, model.At(i), list.ElementSize()) != 0)
        return ::testing::AssertionFailure() << "At(" << i << ") differs";
    uint8_t out[64];
    if (list.ElementSize() > sizeof(out)) return ::testing::AssertionFailure() << "element size";
    if (list.Get(n, out) != kBlOk || std::memcmp(out, model.At(i), list.ElementSize()) != 0)
        return ::testing::AssertionFailure() << "Get(" << i << ") differs";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SameList(const CBlockList& list, const Model& model) {
    if (list.Count() != model.Count())
        return ::testing::AssertionFailure()
               << "count " << list.Count() << " instead of " << model.Count();
    if (!list.CheckIntegrity()) return ::testing::AssertionFailure() << "integrity";
    for (size_t i = 0; i < model.Count(); ++i) {
        auto r = SameElement(list, model, i);
        if (!r) return r;
    }
    if (list.At(list.Count()) != nullptr) return ::testing::AssertionFailure() << "At(count)";
    return ::testing::AssertionSuccess();
}

struct Geometry {
    uint16_t nElementSize;
    int32_t nBlockSize;
};

std::string GeometryName(const ::testing::TestParamInfo<Geometry>& info) {
    return "E" + std::to_string(info.param.nElementSize) + "B" +
           std::to_string(info.param.nBlockSize);
}

const Geometry kGeometries[] = {
    {16, 32768}, {4, 32768}, {8, 4096}, {12, 8192}, {16, 40}, // too small: one element per block
    {4, 40},                                                  // two per block
    {5, 52},                                                  // odd size, four per block
};

// Every test starts and ends without an allocation hook.
class BlockListTest : public ::testing::Test {
protected:
    void TearDown() override { CBlockList::SetAllocFailureHook({}); }
};

// --- construction ---

TEST_F(BlockListTest, GeometryFollowsElementAndBlockSize) {
    struct Case {
        uint16_t nElement;
        int32_t nBlock;
        uint16_t nElementOut;
        int32_t nBlockOut;
        uint32_t nCapacity;
    } cases[] = {
        {16, 32768, 16, 32768, 2046}, {4, 32768, 4, 32768, 8184},
        {8, 4096, 8, 4096, 508},      {12, 8192, 12, 8192, 680},
        {16, 40, 16, 48, 1},          {16, 48, 16, 48, 1},
        {16, 0, 16, 48, 1},           {16, -7, 16, 48, 1},
        {0, 100, 1, 100, 68},         {65535, 4096, 65535, 65567, 1},
    };
    for (const auto& c : cases) {
        CBlockList list(c.nElement, c.nBlock);
        EXPECT_EQ(list.ElementSize(), c.nElementOut) << c.nElement << "/" << c.nBlock;
        EXPECT_EQ(list.BlockSize(), c.nBlockOut) << c.nElement << "/" << c.nBlock;
        EXPECT_EQ(list.Capacity(), c.nCapacity) << c.nElement << "/" << c.nBlock;
        EXPECT_EQ(list.Count(), 0u);
        EXPECT_EQ(list.BlockCount(), 0u);
    }
}

// --- results for bad arguments ---

TEST_F(BlockListTest, BadIndicesAndCountsAnswerNoElementWithoutChange) {
    for (uint32_t nFill : {0u, 1u, 5u, 9u}) {
        CBlockList list(8, 72); // five per block
        Model model(8);
        for (uint32_t i = 0; i < nFill; ++i) {
            auto e = MakeElement(8, i);
            ASSERT_EQ(list.Append(e.data()), kBlOk);
            model.Insert(i, e);
        }
        uint64_t out = 0;
        EXPECT_EQ(list.At(nFill), nullptr);
        EXPECT_EQ(list.At(0xFFFFFFFFu), nullptr);
        EXPECT_EQ(list.Get(nFill, &out), kBlNoElement);
        EXPECT_EQ(list.Get(0, nullptr), kBlNoElement);
        EXPECT_EQ(list.Append(nullptr), kBlNoElement);
        EXPECT_EQ(list.Insert(0, nullptr), kBlNoElement);
        EXPECT_EQ(list.Remove(nFill, 1), kBlNoElement);
        EXPECT_EQ(list.Remove(0xFFFFFFFFu, 1), kBlNoElement);
        EXPECT_EQ(list.Remove(0, 0), kBlNoElement);
        EXPECT_EQ(list.Remove(0, -1), kBlNoElement);
        EXPECT_EQ(list.Remove(0, INT32_MIN), kBlNoElement);
        EXPECT_TRUE(SameList(list, model)) << nFill;
    }
}

TEST_F(BlockListTest, RemovingMoreThanFollowsTakesTheRestAndSaysSo) {
    CBlockList list(4, 48); // four per block
    Model model(4);
    for (uint32_t i = 0; i < 11; ++i) {
        auto e = MakeElement(4, i);
        list.Append(e.data());
        model.Insert(i, e);
    }
    EXPECT_EQ(list.Remove(3, INT32_MAX), kBlNoElement);
    model.Remove(3, 8);
    EXPECT_TRUE(SameList(list, model));
    EXPECT_EQ(list.Remove(0, 3), kBlOk);
    EXPECT_EQ(list.BlockCount(), 0u);
    EXPECT_EQ(list.At(0), nullptr);
}

TEST_F(BlockListTest, InsertAtOrPastTheEndAppends) {
    CBlockList list(4, 40);
    Model model(4);
    const uint32_t positions[] = {0, 1, 2, 7, 0xFFFFFFFFu};
    uint64_t id = 0;
    for (uint32_t at : positions) {
        auto e = MakeElement(4, id++);
        ASSERT_EQ(list.Insert(at, e.data()), kBlOk);
        model.Insert(model.Count(), e);
    }
    EXPECT_TRUE(SameList(list, model));
}

// --- random operations against the model ---

class BlockListRandom : public BlockListTest, public ::testing::WithParamInterface<Geometry> {
protected:
    CBlockList m_list{GetParam().nElementSize, GetParam().nBlockSize};
    Model m_model{m_list.ElementSize()};
    std::mt19937_64 m_rng{20240611};
    uint64_t m_nextId = 1;
    size_t m_nNoMemory = 0;

    uint32_t Count() const { return static_cast<uint32_t>(m_model.Count()); }
    uint32_t Below(uint64_t n) { return n == 0 ? 0 : static_cast<uint32_t>(m_rng() % n); }

    // Positions where block-edge mistakes show: the ends, block borders of a full
    // list, and anywhere.
    uint32_t Position(uint32_t nLimit) {
        uint32_t cap = m_list.Capacity();
        switch (Below(6)) {
        case 0:
            return 0;
        case 1:
            return nLimit == 0 ? 0 : nLimit - 1;
        case 2:
        case 3: {
            uint32_t nBlocks = nLimit / cap;
            uint32_t p = Below(nBlocks + 1) * cap + Below(3);
            return p >= 1 && Below(2) ? p - 1 : p;
        }
        default:
            return Below(uint64_t{nLimit} + 1);
        }
    }

    // Applies a result to the model: success changes it, out of memory must not.
    bool Accept(int nResult, bool bAllocationMayFail) {
        if (nResult == kBlNoMemory && bAllocationMayFail) {
            ++m_nNoMemory;
            EXPECT_TRUE(SameList(m_list, m_model));
            return false;
        }
        EXPECT_EQ(nResult, kBlOk);
        return nResult == kBlOk;
    }

    void DoAppend(bool bMayFail) {
        auto e = MakeElement(m_list.ElementSize(), m_nextId++);
        if (Accept(m_list.Append(e.data()), bMayFail)) m_model.Insert(m_model.Count(), e);
    }

    void DoInsert(bool bMayFail) {
        uint32_t at = Position(Count());
        auto e = MakeElement(m_list.ElementSize(), m_nextId++);
        if (Accept(m_list.Insert(at, e.data()), bMayFail))
            m_model.Insert(std::min<size_t>(at, m_model.Count()), e);
    }

    void DoRemove() {
        uint32_t nCount = Count();
        if (nCount == 0) {
            EXPECT_EQ(m_list.Remove(0, 1), kBlNoElement);
            return;
        }
        uint32_t at = std::min(Position(nCount), nCount - 1);
        uint32_t cap = m_list.Capacity();
        int32_t n;
        switch (Below(5)) {
        case 0:
            n = 1;
            break;
        case 1:
            n = static_cast<int32_t>(cap); // exactly a block when aligned
            break;
        case 2:
            n = static_cast<int32_t>(Below(2 * uint64_t{cap} + 2) + 1);
            break;
        case 3:
            n = static_cast<int32_t>(nCount - at); // through the end
            break;
        default:
            n = static_cast<int32_t>(Below(std::min<uint64_t>(nCount - at, 3 * uint64_t{cap})) + 1);
            break;
        }
        int nResult = m_list.Remove(at, n);
        size_t nGone = std::min<size_t>(static_cast<size_t>(n), nCount - at);
        EXPECT_EQ(nResult, nGone == static_cast<size_t>(n) ? kBlOk : kBlNoElement);
        m_model.Remove(at, nGone);
    }

    void DoLookups() {
        uint32_t nCount = Count();
        for (int k = 0; k < 8 && nCount > 0; ++k)
            ASSERT_TRUE(SameElement(m_list, m_model, Below(nCount)));
        EXPECT_EQ(m_list.At(nCount), nullptr);
        uint8_t out[64];
        EXPECT_EQ(m_list.Get(nCount, out), kBlNoElement);
    }

    // Runs of neighbours in either direction, the cursor's home ground.
    void DoScan() {
        uint32_t nCount = Count();
        if (nCount == 0) return;
        uint32_t from = Below(nCount);
        uint32_t len = std::min<uint32_t>(nCount - from, 3 * m_list.Capacity() + 5);
        if (Below(2)) {
            for (uint32_t i = from; i < from + len; ++i)
                ASSERT_TRUE(SameElement(m_list, m_model, i));
        } else {
            for (uint32_t i = from + len; i-- > from;)
                ASSERT_TRUE(SameElement(m_list, m_model, i));
        }
    }

    void Run(int nOps, bool bMayFail) {
        uint32_t cap = m_list.Capacity();
        uint32_t nTarget = std::max<uint32_t>(6 * cap, 400);
        for (int op = 0; op < nOps; ++op) {
            uint32_t r = Below(100);
            if (r < 30) {
                uint32_t nBurst = Count() < nTarget ? Below(cap + 2) + 1 : 1;
                for (uint32_t k = 0; k < nBurst; ++k)
                    DoAppend(bMayFail);
            } else if (r < 60) {
                DoInsert(bMayFail);
            } else if (r < 75 || Count() > 2 * nTarget) {
                DoRemove();
            } else if (r < 92) {
                DoLookups();
            } else {
                DoScan();
            }
            if (op % 97 == 0) {
                ASSERT_TRUE(SameList(m_list, m_model)) << "op " << op;
            }
            if (op == nOps / 2) { // and the list must work again after a clear
                m_list.Clear();
                m_model.Clear();
                ASSERT_EQ(m_list.BlockCount(), 0u);
                ASSERT_TRUE(SameList(m_list, m_model));
            }
            if (HasFatalFailure()) return;
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

// Inserts split only full blocks into halves, so blocks stay at least half full.
TEST_P(BlockListRandom, InsertsKeepBlocksHalfFull) {
    uint32_t cap = m_list.Capacity();
    if (cap < 2) GTEST_SKIP() << "one element per block";
    uint32_t nTotal = 3 * cap + 50;
    for (uint32_t k = 0; k < nTotal; ++k)
        DoInsert(false);
    ASSERT_TRUE(SameList(m_list, m_model));
    EXPECT_LE(m_list.BlockCount(), Count() / (cap / 2) + 1);
}

INSTANTIATE_TEST_SUITE_P(BlockList, BlockListRandom, ::testing::ValuesIn(kGeometries),
                         GeometryName);

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
        Model model(c.nElement);
        for (uint32_t i = 0; i < c.nCount; ++i) {
            auto e = MakeElement(c.nElement, i);
            ASSERT_EQ(list.Append(e.data()), kBlOk);
            model.Insert(i, e);
        }
        std::mt19937 rng(c.nCount);
        auto randomLookups = [&] {
            for (int k = 0; k < 3000; ++k)
                ASSERT_TRUE(SameElement(list, model, rng() % model.Count()));
        };
        randomLookups();
        // Uneven blocks: lookups must take the counts, not the capacity.
        uint64_t id = c.nCount;
        for (int round = 0; round < 20; ++round) {
            uint32_t at = static_cast<uint32_t>(rng() % model.Count());
            auto e = MakeElement(c.nElement, id++);
            ASSERT_EQ(list.Insert(at, e.data()), kBlOk);
            model.Insert(at, e);
            uint32_t from = static_cast<uint32_t>(rng() % model.Count());
            auto n = static_cast<int32_t>(rng() % (3 * list.Capacity()) + 1);
            size_t nGone = std::min<size_t>(static_cast<size_t>(n), model.Count() - from);
            list.Remove(from, n);
            model.Remove(from, nGone);
            randomLookups();
            // Appending to an uneven list keeps its counts usable as well.
            for (int k = 0; k < 3; ++k) {
                auto a = MakeElement(c.nElement, id++);
                ASSERT_EQ(list.Append(a.data()), kBlOk);
                model.Insert(model.Count(), a);
                ASSERT_TRUE(SameElement(list, model, rng() % model.Count()));
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
        auto e = MakeElement(16, id);
        ASSERT_EQ(list.Append(e.data()), kBlOk);
        if (list.Count() > nKeep) {
            ASSERT_EQ(list.Remove(0, 1), kBlOk);
        }
    }
    ASSERT_EQ(list.Count(), nKeep);
    ASSERT_TRUE(list.CheckIntegrity());
    EXPECT_LE(list.BlockCount(), nKeep / list.Capacity() + 2);
    std::mt19937 rng(3);
    for (int k = 0; k < 2000; ++k) {
        uint32_t i = static_cast<uint32_t>(rng() % nKeep);
        ASSERT_EQ(std::memcmp(list.At(i), MakeElement(16, id - nKeep + i).data(), 16), 0) << i;
    }
}

// --- pointers and typed access ---

TEST_F(BlockListTest, ElementPointersSurviveAppends) {
    CBlockList list(16, 4096);
    std::vector<const void*> pointers;
    for (uint64_t id = 0; id < 100; ++id) {
        list.Append(MakeElement(16, id).data());
        pointers.push_back(list.At(static_cast<uint32_t>(id)));
    }
    for (uint64_t id = 100; id < 100000; ++id)
        list.Append(MakeElement(16, id).data());
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
    for (uint32_t i = 0; i < nCount; ++i) {
        T t{};
        std::memcpy(&t, MakeElement(sizeof(T), i).data(), sizeof(T));
        ASSERT_EQ(list.Append(&t), kBlOk);
    }
    for (uint32_t i = 0; i < nCount; ++i) {
        T* p = list.template AtAs<T>(i);
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(T), 0u) << i;
        ASSERT_EQ(std::memcmp(p, MakeElement(sizeof(T), i).data(), sizeof(T)), 0) << i;
    }
    EXPECT_EQ(list.template AtAs<T>(nCount), nullptr);
    const CBlockList& constList = list;
    EXPECT_EQ(static_cast<const void*>(constList.template AtAs<T>(0)), list.At(0));
}

TEST_F(BlockListTest, TypedAccessIsAlignedForItsElementType) {
    CheckTypedAccess<Entry16>(32768, 5000);
    CheckTypedAccess<Entry16>(40, 50); // blocks of an odd size
    CheckTypedAccess<Entry12>(8192, 2000);
    CheckTypedAccess<uint32_t>(4096, 3000);
    CheckTypedAccess<uint64_t>(77, 300);
}

TEST_F(BlockListTest, TypedAccessRefusesAnotherElementSize) {
    CBlockList list(16, 4096);
    Entry16 e{1, 2, 3};
    list.Append(&e);
    EXPECT_EQ(list.AtAs<uint32_t>(0), nullptr);
    ASSERT_NE(list.AtAs<Entry16>(0), nullptr);
    EXPECT_EQ(list.AtAs<Entry16>(0)->nFlags, 3u);
}

// --- out of memory ---

TEST_F(BlockListTest, OutOfMemoryAtEachKindOfChange) {
    CBlockList::SetAllocFailureHook([] { return true; });
    CBlockList list(4, 48); // four per block
    Model model(4);
    auto e = MakeElement(4, 99);
    EXPECT_EQ(list.Append(e.data()), kBlNoMemory);
    EXPECT_EQ(list.Insert(0, e.data()), kBlNoMemory);
    EXPECT_EQ(list.BlockCount(), 0u);
    EXPECT_TRUE(SameList(list, model));

    CBlockList::SetAllocFailureHook({});
    for (uint64_t id = 0; id < 8; ++id) {
        auto a = MakeElement(4, id);
        ASSERT_EQ(list.Append(a.data()), kBlOk);
        model.Insert(model.Count(), a);
    }
    CBlockList::SetAllocFailureHook([] { return true; });
    // Two full blocks: appending and inserting anywhere need a new block.
    EXPECT_EQ(list.Append(e.data()), kBlNoMemory);
    for (uint32_t at : {0u, 1u, 3u, 4u, 7u})
        EXPECT_EQ(list.Insert(at, e.data()), kBlNoMemory) << at;
    EXPECT_TRUE(SameList(list, model));
    // Room in the block, or in the previous one for its first position, needs no memory.
    ASSERT_EQ(list.Remove(5, 1), kBlOk);
    model.Remove(5, 1);
    ASSERT_EQ(list.Insert(6, e.data()), kBlOk);
    model.Insert(6, e);
    ASSERT_EQ(list.Remove(1, 1), kBlOk);
    model.Remove(1, 1);
    ASSERT_EQ(list.Insert(3, e.data()), kBlOk);
    model.Insert(3, e);
    EXPECT_EQ(list.BlockCount(), 2u);
    EXPECT_TRUE(SameList(list, model));
    CBlockList::SetAllocFailureHook({});
    EXPECT_EQ(list.Append(e.data()), kBlOk);
}

// Enough blocks that the directory itself has to grow while allocations fail.
TEST_F(BlockListTest, OutOfMemoryWhileTheDirectoryGrows) {
    CBlockList list(8, 40); // one per block
    Model model(8);
    int nCalls = 0;
    CBlockList::SetAllocFailureHook([&nCalls] { return ++nCalls % 3 == 0; });
    size_t nFailed = 0;
    for (uint64_t id = 0; model.Count() < 300; ++id) {
        auto e = MakeElement(8, id);
        uint32_t at = static_cast<uint32_t>(id * 7 % (model.Count() + 1));
        int r = id % 2 ? list.Append(e.data()) : list.Insert(at, e.data());
        if (r == kBlNoMemory) {
            ++nFailed;
            ASSERT_TRUE(SameList(list, model));
            continue;
        }
        ASSERT_EQ(r, kBlOk);
        model.Insert(id % 2 ? model.Count() : at, e);
    }
    EXPECT_GT(nFailed, 100u);
    EXPECT_TRUE(SameList(list, model));
}

// --- the count limit ---

// Needs about 4 GB and several seconds; run on demand with
// --gtest_also_run_disabled_tests.
TEST_F(BlockListTest, DISABLED_CountStopsAtTheLargestRecordNumber) {
    CBlockList list(1, 0x7FFFFFFF);
    uint8_t b = 0;
    for (uint64_t i = 0; i < CBlockList::kMaxCount; ++i) {
        b = static_cast<uint8_t>(i);
        if (list.Append(&b) != kBlOk) FAIL() << "append " << i;
    }
    EXPECT_EQ(list.Count(), 0xFFFFFFFFu);
    EXPECT_EQ(list.Append(&b), kBlNoMemory);
    EXPECT_EQ(list.Insert(0, &b), kBlNoMemory);
    EXPECT_EQ(list.Count(), 0xFFFFFFFFu);
    EXPECT_EQ(*static_cast<uint8_t*>(list.At(0xFFFFFFFEu)), static_cast<uint8_t>(0xFE));
    EXPECT_EQ(list.Remove(0xFFFFFFFEu, 1), kBlOk);
    EXPECT_EQ(list.Append(&b), kBlOk);
}

} // namespace
} // namespace tervik
