#pragma once

// A list of fixed-size elements kept in a doubly linked chain of equal blocks.
// Holds the record table (up to 2^32 - 1 entries), the selected-record index and
// other long lists. Blocks never move, so element pointers stay valid across
// appends; inserts and removes shift elements within blocks.
//
// Beside the chain the list keeps a directory of its blocks and, lazily, the
// number of elements in front of each block, so a random lookup costs a division
// (every block full but the last) or a binary search, never a walk. A cursor makes
// neighbouring lookups constant time. Blocks are carved from large anonymous
// mappings instead of one heap allocation each.
//
// One thread may read Count() while the owning thread appends; nothing else is
// safe to share.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

namespace tervik {

inline constexpr int kBlOk = 0;
inline constexpr int kBlNoElement = 1;
inline constexpr int kBlNoMemory = 1001100;

class CBlockList {
public:
    // Bytes of the header in front of the elements of each block.
    static constexpr int32_t kHeaderSize = 32;
    static constexpr uint32_t kMaxCount = 0xFFFFFFFFu;

    // An element size of 0 is taken as 1; a block too small for one element
    // grows to element size + header.
    CBlockList(uint16_t nElementSize, int32_t nBlockSize);
    ~CBlockList();
    CBlockList(const CBlockList&) = delete;
    CBlockList& operator=(const CBlockList&) = delete;

    // Copies the element behind the last one.
    int Append(const void* pElement);
    // Appends n packed elements in order; nAppended tells how many made it when
    // the answer is not kBlOk.
    int AppendMany(const void* pElements, uint32_t n, uint32_t& nAppended);
    // Inserts before element i; appends when i >= Count().
    int Insert(uint32_t i, const void* pElement);
    // Removes n elements from i on. When fewer than n follow i, those that exist
    // are removed and the answer is kBlNoElement.
    int Remove(uint32_t i, int32_t n);
    // Copies element i to pOut.
    int Get(uint32_t i, void* pOut) const;
    // Element i inside its block, null when i >= Count(). Valid until the next
    // Insert, Remove or Clear.
    void* At(uint32_t i) { return AtImpl(i); }
    const void* At(uint32_t i) const { return AtImpl(i); }

    // Typed access for element types whose size equals the element size; null
    // otherwise or when i >= Count().
    template <class T> T* AtAs(uint32_t i) {
        static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= kBlockAlign);
        if (sizeof(T) != m_nElementSize) return nullptr;
        return static_cast<T*>(AtImpl(i));
    }
    template <class T> const T* AtAs(uint32_t i) const {
        static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= kBlockAlign);
        if (sizeof(T) != m_nElementSize) return nullptr;
        return static_cast<const T*>(AtImpl(i));
    }

    // Safe to call from another thread while the owner appends.
    uint32_t Count() const { return m_nCount.load(std::memory_order_acquire); }
    // Frees every block; the list is empty and usable again.
    void Clear();

    uint16_t ElementSize() const { return m_nElementSize; }
    int32_t BlockSize() const { return m_nBlockSize; }
    uint32_t Capacity() const { return m_nCapacity; }
    size_t BlockCount() const { return m_dir.size(); }

    // Walks the chain and compares it with the directory and the counts; for tests.
    bool CheckIntegrity() const;

    // Tests make allocations fail: the hook is asked before each block is taken
    // and before the directory grows, and answers true to fail it. Empty = no hook.
    using AllocFailureHook = std::function<bool()>;
    static void SetAllocFailureHook(AllocFailureHook hook);
    // Asks the hook; other stores of records that grow block by block ask it too.
    static bool AllocationHookFails();

private:
    static constexpr size_t kBlockAlign = 16;

    struct Block {
        uint32_t m_nTag;
        uint32_t m_nUsed;
        Block* m_pNext;
        Block* m_pPrev;
        uint64_t m_nReserved;
    };
    static_assert(sizeof(Block) <= kHeaderSize);

    struct Chunk;

    unsigned char* ElementPtr(Block* pBlock, uint32_t j) const {
        return reinterpret_cast<unsigned char*>(pBlock) + kHeaderSize + size_t{j} * m_nElementSize;
    }
    // Lookups only move the cursor and refresh the prefix counts, so they are const.
    void* AtImpl(uint32_t i) const {
        if (i - m_nCursorBase < m_nCursorUsed) return ElementPtr(m_pCursor, i - m_nCursorBase);
        return AtSlow(i);
    }
    void* AtSlow(uint32_t i) const;
    // Block index and position within it of element i (< count); moves the cursor.
    void Locate(uint32_t i, size_t& k, uint32_t& j) const;
    void SetCursor(size_t k, uint32_t nBase, uint32_t nUsed) const;
    void ResetCursor();
    // Recounts the stale part of m_prefix.
    void RebuildPrefix() const;
    bool MapChunk();
    Block* NewBlock();
    void FreeBlock(Block* pBlock);
    bool ReserveDirectory();
    // Links a fresh empty block in at directory position k.
    Block* LinkNewBlock(size_t k);
    Block* AppendBlock();
    // Moves the upper half of block k into a new block behind it.
    bool SplitBlock(size_t k);
    void CopyIn(unsigned char* pDst, const void* pSrc) const;

    uint16_t m_nElementSize;
    int32_t m_nBlockSize;
    uint32_t m_nCapacity;
    size_t m_nStride;
    std::atomic<uint32_t> m_nCount{0};

    // Blocks in chain order, and the number of elements in front of each; entries
    // of m_prefix from m_nPrefixValid on are stale.
    std::vector<Block*> m_dir;
    mutable std::vector<uint32_t> m_prefix;
    mutable size_t m_nPrefixValid = 0;
    // Every block but the last is full (meaningful while the prefix is valid).
    mutable bool m_bUniform = true;

    // Cursor: block of the last lookup, its index, the elements in front of it and
    // its used count (0 = no cursor).
    mutable Block* m_pCursor = nullptr;
    mutable size_t m_nCursorIndex = 0;
    mutable uint32_t m_nCursorBase = 0;
    mutable uint32_t m_nCursorUsed = 0;

    // Arena: mapped chunks, the unused rest of the newest one, and freed blocks.
    Chunk* m_pChunks = nullptr;
    unsigned char* m_pArenaNext = nullptr;
    unsigned char* m_pArenaEnd = nullptr;
    size_t m_nNextChunkBytes = 0;
    Block* m_pFreeBlocks = nullptr;
};

} // namespace tervik
