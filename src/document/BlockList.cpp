#include "document/BlockList.h"

#include "platform/SysMemory.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define TERVIK_BLOCKLIST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TERVIK_BLOCKLIST_ASAN 1
#endif
#endif
#ifdef TERVIK_BLOCKLIST_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace tervik {

// Each mapped chunk starts with this record; blocks follow it.
struct CBlockList::Chunk {
    Chunk* m_pNext;
    size_t m_nBytes;
};

namespace {

constexpr uint32_t kBlockTag = 0x4B4C4254; // "TBLK"
constexpr size_t kChunkHeader = 64;
// Chunks start small so that short lists cost little address space, then double
// up to the size that keeps the number of mappings low for huge tables.
constexpr size_t kFirstChunkBytes = size_t{64} << 10;
constexpr size_t kMaxChunkBytes = size_t{64} << 20;
constexpr size_t kHugePage = size_t{2} << 20;

std::mutex g_hookMutex;
CBlockList::AllocFailureHook g_allocHook;
std::atomic<bool> g_bHookSet{false};

bool AllocationShouldFail() {
    if (!g_bHookSet.load(std::memory_order_acquire)) return false;
    std::lock_guard<std::mutex> lock(g_hookMutex);
    return g_allocHook && g_allocHook();
}

size_t RoundUp(size_t n, size_t m) {
    return (n + m - 1) / m * m;
}

// Under AddressSanitizer the unused parts of the arena are poisoned so that stray
// accesses to freed or not yet carved blocks are reported as with heap blocks.
void Poison([[maybe_unused]] const void* p, [[maybe_unused]] size_t n) {
#ifdef TERVIK_BLOCKLIST_ASAN
    ASAN_POISON_MEMORY_REGION(p, n);
#endif
}

void Unpoison([[maybe_unused]] const void* p, [[maybe_unused]] size_t n) {
#ifdef TERVIK_BLOCKLIST_ASAN
    ASAN_UNPOISON_MEMORY_REGION(p, n);
#endif
}

} // namespace

bool CBlockList::AllocationHookFails() {
    return AllocationShouldFail();
}

void CBlockList::SetAllocFailureHook(AllocFailureHook hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_allocHook = std::move(hook);
    g_bHookSet.store(static_cast<bool>(g_allocHook), std::memory_order_release);
}

CBlockList::CBlockList(uint16_t nElementSize, int32_t nBlockSize)
    : m_nElementSize(nElementSize == 0 ? uint16_t{1} : nElementSize) {
    if (int64_t{nBlockSize} - kHeaderSize < m_nElementSize)
        nBlockSize = int32_t{m_nElementSize} + kHeaderSize;
    m_nBlockSize = nBlockSize;
    m_nCapacity = static_cast<uint32_t>((nBlockSize - kHeaderSize) / m_nElementSize);
    m_nStride = RoundUp(static_cast<size_t>(nBlockSize), kBlockAlign);
}

CBlockList::~CBlockList() {
    Clear();
}

void CBlockList::Clear() {
    ResetCursor();
    for (Chunk* c = m_pChunks; c != nullptr;) {
        Chunk* pNext = c->m_pNext;
        size_t nBytes = c->m_nBytes;
        // The shadow of an unmapped range must not stay poisoned for the next mapping.
        Unpoison(c, nBytes);
        UnmapMemory(c, nBytes);
        c = pNext;
    }
    m_pChunks = nullptr;
    m_pArenaNext = m_pArenaEnd = nullptr;
    m_nNextChunkBytes = 0;
    m_pFreeBlocks = nullptr;
    std::vector<Block*>().swap(m_dir);
    std::vector<uint32_t>().swap(m_prefix);
    m_nPrefixValid = 0;
    m_bUniform = true;
    m_nCount.store(0, std::memory_order_release);
}

// --- memory ---

bool CBlockList::MapChunk() {
    size_t nTarget = m_nNextChunkBytes != 0 ? m_nNextChunkBytes : kFirstChunkBytes;
    size_t nBytes = std::max(nTarget, kChunkHeader + m_nStride);
    // Large chunks are whole, aligned 2 MB pages so that transparent huge pages can
    // back all of them: far fewer first-touch faults while a big file is read.
    bool bHuge = nBytes >= 2 * kHugePage;
    nBytes = RoundUp(nBytes, bHuge ? kHugePage : MemoryPageSize());
    auto* pBase = static_cast<unsigned char*>(MapMemory(nBytes, bHuge));
    if (pBase == nullptr) return false;
    m_pChunks = new (pBase) Chunk{m_pChunks, nBytes};
    m_pArenaNext = pBase + kChunkHeader;
    m_pArenaEnd = pBase + nBytes;
    Poison(m_pArenaNext, nBytes - kChunkHeader);
    m_nNextChunkBytes = std::min(nTarget * 2, std::max(kMaxChunkBytes, nTarget));
    return true;
}

CBlockList::Block* CBlockList::NewBlock() {
    if (AllocationShouldFail()) return nullptr;
    Block* b;
    if (m_pFreeBlocks != nullptr) {
        b = m_pFreeBlocks;
        Unpoison(b, static_cast<size_t>(m_nBlockSize));
        m_pFreeBlocks = b->m_pNext;
    } else {
        if (static_cast<size_t>(m_pArenaEnd - m_pArenaNext) < m_nStride && !MapChunk())
            return nullptr;
        b = reinterpret_cast<Block*>(m_pArenaNext);
        m_pArenaNext += m_nStride;
        Unpoison(b, static_cast<size_t>(m_nBlockSize));
    }
    b->m_nTag = kBlockTag;
    b->m_nUsed = 0;
    b->m_pNext = nullptr;
    b->m_pPrev = nullptr;
    b->m_nReserved = 0;
    return b;
}

void CBlockList::FreeBlock(Block* pBlock) {
    pBlock->m_nTag = 0;
    pBlock->m_nUsed = 0;
    pBlock->m_pPrev = nullptr;
    pBlock->m_pNext = m_pFreeBlocks;
    m_pFreeBlocks = pBlock;
    Poison(pBlock, static_cast<size_t>(m_nBlockSize));
}

bool CBlockList::ReserveDirectory() {
    size_t n = m_dir.size();
    if (n < m_dir.capacity() && n < m_prefix.capacity()) return true;
    if (AllocationShouldFail()) return false;
    size_t nWant = std::max<size_t>(16, n * 2);
    try {
        m_dir.reserve(nWant);
        m_prefix.reserve(nWant);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

CBlockList::Block* CBlockList::LinkNewBlock(size_t k) {
    // Room in the directory first, so that a failure leaves nothing to undo.
    if (!ReserveDirectory()) return nullptr;
    Block* b = NewBlock();
    if (b == nullptr) return nullptr;
    size_t n = m_dir.size();
    b->m_pPrev = k > 0 ? m_dir[k - 1] : nullptr;
    b->m_pNext = k < n ? m_dir[k] : nullptr;
    if (b->m_pPrev != nullptr) b->m_pPrev->m_pNext = b;
    if (b->m_pNext != nullptr) b->m_pNext->m_pPrev = b;
    m_dir.insert(m_dir.begin() + static_cast<ptrdiff_t>(k), b);
    m_prefix.insert(m_prefix.begin() + static_cast<ptrdiff_t>(k), 0);
    return b;
}

CBlockList::Block* CBlockList::AppendBlock() {
    size_t n = m_dir.size();
    Block* b = LinkNewBlock(n);
    if (b == nullptr) return nullptr;
    // Blocks are only appended behind a full one, so the counts in front stay exact
    // and an append-only list keeps its directory valid without any rebuild.
    m_prefix[n] = m_nCount.load(std::memory_order_relaxed);
    if (m_nPrefixValid == n) m_nPrefixValid = n + 1;
    return b;
}

bool CBlockList::SplitBlock(size_t k) {
    Block* b = m_dir[k];
    Block* pNew = LinkNewBlock(k + 1);
    if (pNew == nullptr) return false;
    uint32_t nKeep = b->m_nUsed / 2;
    uint32_t nMove = b->m_nUsed - nKeep;
    std::memcpy(ElementPtr(pNew, 0), ElementPtr(b, nKeep), size_t{nMove} * m_nElementSize);
    pNew->m_nUsed = nMove;
    b->m_nUsed = nKeep;
    m_nPrefixValid = std::min(m_nPrefixValid, k + 1);
    return true;
}

// --- lookup ---

void CBlockList::ResetCursor() {
    m_pCursor = nullptr;
    m_nCursorIndex = 0;
    m_nCursorBase = 0;
    m_nCursorUsed = 0;
}

void CBlockList::SetCursor(size_t k, uint32_t nBase, uint32_t nUsed) const {
    m_pCursor = m_dir[k];
    m_nCursorIndex = k;
    m_nCursorBase = nBase;
    m_nCursorUsed = nUsed;
}

void CBlockList::RebuildPrefix() const {
    size_t n = m_dir.size();
    size_t k = m_nPrefixValid;
    if (k == 0) {
        m_prefix[0] = 0;
        k = 1;
    }
    for (; k < n; ++k)
        m_prefix[k] = m_prefix[k - 1] + m_dir[k - 1]->m_nUsed;
    m_nPrefixValid = n;
    m_bUniform = uint64_t{m_prefix[n - 1]} == uint64_t{n - 1} * m_nCapacity;
}

void CBlockList::Locate(uint32_t i, size_t& k, uint32_t& j) const {
    size_t n = m_dir.size();
    // Neighbours of the last lookup: sequential access in either direction. Only the
    // cached counts are read first, so that a random jump touches no cold header.
    if (m_pCursor != nullptr) {
        size_t c = m_nCursorIndex;
        uint32_t nBase = m_nCursorBase;
        uint32_t nUsed = m_nCursorUsed;
        if (i >= nBase) {
            if (i - nBase < nUsed) {
                k = c;
                j = i - nBase;
                return;
            }
            uint32_t nNextBase = nBase + nUsed;
            if (c + 1 < n && i - nNextBase < m_nCapacity) {
                uint32_t nNextUsed = m_dir[c + 1]->m_nUsed;
                if (i - nNextBase < nNextUsed) {
                    SetCursor(c + 1, nNextBase, nNextUsed);
                    k = c + 1;
                    j = i - nNextBase;
                    return;
                }
            }
        } else if (c > 0 && nBase - i <= m_nCapacity) {
            uint32_t nPrevUsed = m_dir[c - 1]->m_nUsed;
            if (nBase - i <= nPrevUsed) {
                uint32_t nPrevBase = nBase - nPrevUsed;
                SetCursor(c - 1, nPrevBase, nPrevUsed);
                k = c - 1;
                j = i - nPrevBase;
                return;
            }
        }
    }
    if (m_nPrefixValid < n) {
        // The ends need no counts; removing from the front while appending (a table
        // that keeps only its last lines) thus never rebuilds them.
        uint32_t nFirstUsed = m_dir[0]->m_nUsed;
        if (i < nFirstUsed) {
            SetCursor(0, 0, nFirstUsed);
            k = 0;
            j = i;
            return;
        }
        uint32_t nLastUsed = m_dir[n - 1]->m_nUsed;
        uint32_t nLastBase = m_nCount.load(std::memory_order_relaxed) - nLastUsed;
        if (i >= nLastBase) {
            SetCursor(n - 1, nLastBase, nLastUsed);
            k = n - 1;
            j = i - nLastBase;
            return;
        }
        RebuildPrefix();
    }
    // Block sizes come from the counts, so a jump touches no block header before the
    // element itself; few instructions here let many random lookups overlap.
    size_t b;
    uint32_t nBase;
    uint32_t nUsed;
    if (m_bUniform) {
        b = std::min<size_t>(i / m_nCapacity, n - 1);
        nBase = static_cast<uint32_t>(b * m_nCapacity);
        nUsed = m_nCapacity;
    } else {
        auto it =
            std::upper_bound(m_prefix.begin(), m_prefix.begin() + static_cast<ptrdiff_t>(n), i);
        b = static_cast<size_t>(it - m_prefix.begin()) - 1;
        nBase = m_prefix[b];
        nUsed = b + 1 < n ? m_prefix[b + 1] - nBase : 0;
    }
    if (b + 1 == n) nUsed = m_nCount.load(std::memory_order_relaxed) - nBase;
    SetCursor(b, nBase, nUsed);
    k = b;
    j = i - nBase;
}

void* CBlockList::AtSlow(uint32_t i) const {
    if (i >= m_nCount.load(std::memory_order_relaxed)) return nullptr;
    size_t k;
    uint32_t j;
    Locate(i, k, j);
    return ElementPtr(m_dir[k], j);
}

int CBlockList::Get(uint32_t i, void* pOut) const {
    if (pOut == nullptr) return kBlNoElement;
    const void* p = AtImpl(i);
    if (p == nullptr) return kBlNoElement;
    std::memcpy(pOut, p, m_nElementSize);
    return kBlOk;
}

// --- changes ---

void CBlockList::CopyIn(unsigned char* pDst, const void* pSrc) const {
    // Fixed sizes let the compiler use plain moves for the common element types.
    switch (m_nElementSize) {
    case 4:
        std::memcpy(pDst, pSrc, 4);
        break;
    case 8:
        std::memcpy(pDst, pSrc, 8);
        break;
    case 12:
        std::memcpy(pDst, pSrc, 12);
        break;
    case 16:
        std::memcpy(pDst, pSrc, 16);
        break;
    default:
        std::memcpy(pDst, pSrc, m_nElementSize);
        break;
    }
}

int CBlockList::Append(const void* pElement) {
    if (pElement == nullptr) return kBlNoElement;
    uint32_t nCount = m_nCount.load(std::memory_order_relaxed);
    if (nCount == kMaxCount) return kBlNoMemory;
    Block* b = m_dir.empty() ? nullptr : m_dir.back();
    if (b == nullptr || b->m_nUsed >= m_nCapacity) {
        b = AppendBlock();
        if (b == nullptr) return kBlNoMemory;
    }
    CopyIn(ElementPtr(b, b->m_nUsed), pElement);
    ++b->m_nUsed;
    if (b == m_pCursor) m_nCursorUsed = b->m_nUsed; // the cursor caches the count
    m_nCount.store(nCount + 1, std::memory_order_release);
    return kBlOk;
}

int CBlockList::AppendMany(const void* pElements, uint32_t n, uint32_t& nAppended) {
    nAppended = 0;
    if (pElements == nullptr) return n == 0 ? kBlOk : kBlNoElement;
    const auto* pSrc = static_cast<const unsigned char*>(pElements);
    while (nAppended < n) {
        const uint32_t nCount = m_nCount.load(std::memory_order_relaxed);
        if (nCount == kMaxCount) return kBlNoMemory;
        Block* b = m_dir.empty() ? nullptr : m_dir.back();
        if (b == nullptr || b->m_nUsed >= m_nCapacity) {
            b = AppendBlock();
            if (b == nullptr) return kBlNoMemory;
        }
        // As many as the tail block and the count limit allow, in one copy.
        const uint32_t nTake =
            std::min({n - nAppended, m_nCapacity - b->m_nUsed, kMaxCount - nCount});
        std::memcpy(ElementPtr(b, b->m_nUsed), pSrc + size_t{nAppended} * m_nElementSize,
                    size_t{nTake} * m_nElementSize);
        b->m_nUsed += nTake;
        if (b == m_pCursor) m_nCursorUsed = b->m_nUsed;
        nAppended += nTake;
        m_nCount.store(nCount + nTake, std::memory_order_release);
    }
    return kBlOk;
}

int CBlockList::Insert(uint32_t i, const void* pElement) {
    if (pElement == nullptr) return kBlNoElement;
    uint32_t nCount = m_nCount.load(std::memory_order_relaxed);
    if (i >= nCount) return Append(pElement);
    if (nCount == kMaxCount) return kBlNoMemory;
    size_t k;
    uint32_t j;
    Locate(i, k, j);
    ResetCursor();
    // At most one split: afterwards either half has room (a one-element block
    // empties and takes the element through the previous-block rule).
    for (;;) {
        Block* b = m_dir[k];
        if (b->m_nUsed < m_nCapacity) {
            std::memmove(ElementPtr(b, j + 1), ElementPtr(b, j),
                         size_t{b->m_nUsed - j} * m_nElementSize);
            CopyIn(ElementPtr(b, j), pElement);
            ++b->m_nUsed;
            m_nPrefixValid = std::min(m_nPrefixValid, k + 1);
            break;
        }
        if (j == 0 && k > 0 && m_dir[k - 1]->m_nUsed < m_nCapacity) {
            Block* pPrev = m_dir[k - 1];
            CopyIn(ElementPtr(pPrev, pPrev->m_nUsed), pElement);
            ++pPrev->m_nUsed;
            m_nPrefixValid = std::min(m_nPrefixValid, k);
            break;
        }
        if (!SplitBlock(k)) return kBlNoMemory;
        if (j >= b->m_nUsed) {
            j -= b->m_nUsed;
            ++k;
        }
    }
    m_nCount.store(nCount + 1, std::memory_order_release);
    return kBlOk;
}

int CBlockList::Remove(uint32_t i, int32_t n) {
    uint32_t nCount = m_nCount.load(std::memory_order_relaxed);
    if (n <= 0 || i >= nCount) return kBlNoElement;
    // Only what exists behind i can go; asking for more removes up to the end.
    uint32_t nTodo = std::min(static_cast<uint32_t>(n), nCount - i);
    size_t k;
    uint32_t j;
    Locate(i, k, j);
    ResetCursor();
    m_nPrefixValid = std::min(m_nPrefixValid, k + 1);

    size_t nFirstEmpty = 0;
    size_t nEmpty = 0;
    uint32_t nLeft = nTodo;
    for (size_t c = k; nLeft > 0; ++c, j = 0) {
        Block* b = m_dir[c];
        uint32_t nAfter = b->m_nUsed - j;
        if (nAfter > nLeft) {
            std::memmove(ElementPtr(b, j), ElementPtr(b, j + nLeft),
                         size_t{nAfter - nLeft} * m_nElementSize);
            b->m_nUsed -= nLeft;
            break;
        }
        b->m_nUsed = j;
        nLeft -= nAfter;
        if (j == 0) {
            if (nEmpty == 0) nFirstEmpty = c;
            ++nEmpty;
        }
    }
    // Emptied blocks form one run: only the first block can keep a head and only
    // the last one a tail.
    if (nEmpty > 0) {
        size_t nEnd = nFirstEmpty + nEmpty;
        Block* pBefore = nFirstEmpty > 0 ? m_dir[nFirstEmpty - 1] : nullptr;
        Block* pAfter = nEnd < m_dir.size() ? m_dir[nEnd] : nullptr;
        if (pBefore != nullptr) pBefore->m_pNext = pAfter;
        if (pAfter != nullptr) pAfter->m_pPrev = pBefore;
        for (size_t c = nFirstEmpty; c < nEnd; ++c)
            FreeBlock(m_dir[c]);
        auto first = static_cast<ptrdiff_t>(nFirstEmpty);
        auto last = static_cast<ptrdiff_t>(nEnd);
        m_dir.erase(m_dir.begin() + first, m_dir.begin() + last);
        m_prefix.erase(m_prefix.begin() + first, m_prefix.begin() + last);
        m_nPrefixValid = std::min(m_nPrefixValid, nFirstEmpty);
    }
    m_nCount.store(nCount - nTodo, std::memory_order_release);
    return nTodo == static_cast<uint32_t>(n) ? kBlOk : kBlNoElement;
}

// --- self-check ---

bool CBlockList::CheckIntegrity() const {
    size_t n = m_dir.size();
    if (m_prefix.size() != n || m_nPrefixValid > n) return false;
    uint64_t nSum = 0;
    const Block* pPrev = nullptr;
    for (size_t k = 0; k < n; ++k) {
        const Block* b = m_dir[k];
        if (b->m_nTag != kBlockTag || b->m_pPrev != pPrev) return false;
        if (k > 0 && pPrev->m_pNext != b) return false;
        if (b->m_nUsed == 0 || b->m_nUsed > m_nCapacity) return false;
        if (k < m_nPrefixValid && m_prefix[k] != nSum) return false;
        if (b == m_pCursor &&
            (m_nCursorIndex != k || m_nCursorBase != nSum || m_nCursorUsed != b->m_nUsed))
            return false;
        nSum += b->m_nUsed;
        pPrev = b;
    }
    if (pPrev != nullptr && pPrev->m_pNext != nullptr) return false;
    if (m_pCursor != nullptr && (m_nCursorIndex >= n || m_dir[m_nCursorIndex] != m_pCursor))
        return false;
    if (m_nPrefixValid == n && n > 0) {
        bool bUniform = true;
        for (size_t k = 0; k + 1 < n; ++k)
            bUniform = bUniform && m_dir[k]->m_nUsed == m_nCapacity;
        // A stale "not uniform" only costs a binary search; the reverse would be wrong.
        if (m_bUniform && !bUniform) return false;
    }
    return nSum == m_nCount.load(std::memory_order_relaxed);
}

} // namespace tervik
