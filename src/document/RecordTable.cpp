#include "document/RecordTable.h"

#include "document/BlockList.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace tervik {

namespace {

constexpr int kGapShift = 3;
constexpr uint32_t kGapEscape = 31;
constexpr uint32_t kLengthEscape = 0xFFFF;

} // namespace

struct CRecordTable::Block {
    uint64_t m_nBase = 0;  // offset of the record in slot 0
    uint32_t m_nUsed = 0;  // slots written
    // While every record has this length, m_pLengths stays null.
    uint32_t m_nUniform = 0;
    std::unique_ptr<uint16_t[]> m_pLengths;
    // Escaped lengths and offsets, in slot order (a length before an offset).
    std::vector<uint64_t> m_overflow;
    uint8_t m_bits[kBlockRecords];
};

CRecordTable::CRecordTable() : m_cache(new CacheEntry[kCacheEntries]) {}

CRecordTable::~CRecordTable() {
    for (Block* p : m_dir)
        delete p;
}

void CRecordTable::ForgetCache() const {
    for (size_t k = 0; k < kCacheEntries; ++k) {
        m_cache[k].m_nBlock = UINT64_MAX;
        m_cache[k].m_nDecoded = 0;
    }
}

const CRecordTable::CacheEntry& CRecordTable::Decode(size_t b) const {
    const Block& blk = *m_dir[b];
    size_t k = 0;
    while (k < kCacheEntries && m_cache[k].m_nBlock != b)
        ++k;
    if (k == kCacheEntries) {
        k = m_nNextVictim;
        m_nNextVictim = (m_nNextVictim + 1) % kCacheEntries;
    }
    CacheEntry& c = m_cache[k];
    c.m_nBlock = b;
    c.m_pBits = m_dir[b]->m_bits;
    const uint32_t nUsed = blk.m_nUsed;
    size_t nOver = 0;
    uint64_t nEnd = blk.m_nBase;
    for (uint32_t j = 0; j < nUsed; ++j) {
        const uint8_t bits = blk.m_bits[j];
        uint64_t nLength = blk.m_pLengths ? blk.m_pLengths[j] : blk.m_nUniform;
        if (nLength >= kLengthEscape) nLength = blk.m_overflow[nOver++];
        const uint32_t nGap = bits >> kGapShift;
        uint64_t nOffset = nEnd + nGap;
        if (j == 0)
            nOffset = blk.m_nBase;
        else if (nGap == kGapEscape)
            nOffset = blk.m_overflow[nOver++];
        RecordEntry& e = c.m_records[j];
        e.m_nOffset = nOffset;
        e.m_nLength = static_cast<uint32_t>(nLength);
        e.m_nFlags = SlotFlags(bits);
        nEnd = nOffset + nLength;
    }
    c.m_nDecoded = nUsed;
    m_nLastHit = k;
    return c;
}

std::optional<RecordEntry> CRecordTable::AtSlow(uint32_t i) const {
    if (i >= Count()) return std::nullopt;
    const uint64_t s = uint64_t{i} + m_nFront;
    const uint64_t b = s / kBlockRecords;
    const auto j = static_cast<uint32_t>(s % kBlockRecords);
    for (size_t k = 0; k < kCacheEntries; ++k) {
        if (m_cache[k].m_nBlock == b && j < m_cache[k].m_nDecoded) {
            m_nLastHit = k;
            return m_cache[k].m_records[j];
        }
    }
    std::lock_guard lock(m_lock);
    return Decode(static_cast<size_t>(b)).m_records[j];
}

uint32_t CRecordTable::LastStartingAt(uint64_t nOffset) const {
    const uint32_t n = Count();
    if (n == 0) return 0;
    size_t b = 0;
    {
        std::lock_guard lock(m_lock);
        // The last block whose first slot starts at or before the offset.
        size_t lo = 0, hi = m_dir.size();
        while (hi - lo > 1) {
            const size_t mid = lo + (hi - lo) / 2;
            if (m_dir[mid]->m_nBase <= nOffset)
                lo = mid;
            else
                hi = mid;
        }
        b = lo;
    }
    // Its records, from the first that is still in the table to the last known one.
    const uint64_t nFirstSlot = b == 0 ? m_nFront : uint64_t{b} * kBlockRecords;
    const auto nFirst = static_cast<uint32_t>(nFirstSlot - m_nFront);
    const auto nLast = static_cast<uint32_t>(
        std::min<uint64_t>(uint64_t{b + 1} * kBlockRecords - m_nFront, n) - 1);
    uint32_t lo = nFirst, hi = nLast + 1;
    if (At(lo)->m_nOffset > nOffset) return lo;
    while (hi - lo > 1) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (At(mid)->m_nOffset <= nOffset)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

bool CRecordTable::AppendOne(const RecordEntry& e) {
    Block* blk = m_dir.empty() ? nullptr : m_dir.back();
    if (!blk || blk->m_nUsed == kBlockRecords) {
        if (CBlockList::AllocationHookFails()) return false;
        blk = new (std::nothrow) Block;
        if (!blk) return false;
        blk->m_nBase = e.m_nOffset;
        blk->m_nUniform = e.m_nLength;
        try {
            m_dir.push_back(blk);
        } catch (const std::bad_alloc&) {
            delete blk;
            return false;
        }
    }
    const uint32_t j = blk->m_nUsed;
    const size_t nOverBefore = blk->m_overflow.size();
    try {
        if (!blk->m_pLengths && e.m_nLength != blk->m_nUniform) {
            std::unique_ptr<uint16_t[]> p(new uint16_t[kBlockRecords]);
            const auto nShort = static_cast<uint16_t>(std::min(blk->m_nUniform, kLengthEscape));
            std::fill(p.get(), p.get() + j, nShort);
            blk->m_pLengths = std::move(p);
        }
        // A uniform length of 0xFFFF or more is escaped in every slot.
        if (e.m_nLength >= kLengthEscape) blk->m_overflow.push_back(e.m_nLength);
        uint32_t nGap = 0;
        if (j != 0) {
            if (e.m_nOffset < m_nLastEnd || e.m_nOffset - m_nLastEnd >= kGapEscape) {
                nGap = kGapEscape;
                blk->m_overflow.push_back(e.m_nOffset);
            } else {
                nGap = static_cast<uint32_t>(e.m_nOffset - m_nLastEnd);
            }
        }
        if (blk->m_pLengths)
            blk->m_pLengths[j] = static_cast<uint16_t>(std::min(e.m_nLength, kLengthEscape));
        blk->m_bits[j] = static_cast<uint8_t>(SlotFlagBits(e.m_nFlags) | (nGap << kGapShift));
    } catch (const std::bad_alloc&) {
        blk->m_overflow.resize(nOverBefore);
        if (j == 0) {
            m_dir.pop_back();
            delete blk;
        }
        return false;
    }
    blk->m_nUsed = j + 1;
    m_nLastEnd = e.m_nOffset + e.m_nLength;
    return true;
}

bool CRecordTable::Append(const RecordEntry& e) {
    uint32_t n = 0;
    return AppendMany(&e, 1, n);
}

bool CRecordTable::AppendMany(const RecordEntry* pEntries, uint32_t n, uint32_t& nAppended) {
    nAppended = 0;
    bool bOk = true;
    {
        std::lock_guard lock(m_lock);
        // Record numbers are 32-bit.
        const uint32_t nRoom = kMaxRecords - Count();
        while (nAppended < n && (bOk = nAppended < nRoom && AppendOne(pEntries[nAppended])))
            ++nAppended;
    }
    m_nCount.fetch_add(nAppended, std::memory_order_release);
    return bOk;
}

void CRecordTable::RemoveFirst() {
    const uint32_t n = Count();
    if (n == 0) return;
    std::lock_guard lock(m_lock);
    if (n == 1) {
        for (Block* p : m_dir)
            delete p;
        m_dir.clear();
        m_nFront = 0;
    } else if (++m_nFront == kBlockRecords) {
        delete m_dir.front();
        m_dir.pop_front();
        m_nFront = 0;
    }
    ForgetCache();
    m_nCount.store(n - 1, std::memory_order_release);
}

void CRecordTable::Truncate(uint32_t n) {
    const uint32_t nCount = Count();
    if (n >= nCount) return;
    std::lock_guard lock(m_lock);
    ForgetCache();
    m_nCount.store(n, std::memory_order_release);
    if (n == 0) {
        for (Block* p : m_dir)
            delete p;
        m_dir.clear();
        m_nFront = 0;
        m_nLastEnd = 0;
        return;
    }
    const uint64_t nSlots = uint64_t{n} + m_nFront;
    const size_t nBlocks = static_cast<size_t>((nSlots + kBlockRecords - 1) / kBlockRecords);
    while (m_dir.size() > nBlocks) {
        delete m_dir.back();
        m_dir.pop_back();
    }
    // The last block keeps its first slots and the escapes they use.
    Block& blk = *m_dir.back();
    const CacheEntry& c = Decode(m_dir.size() - 1);
    const auto nKeep = static_cast<uint32_t>(nSlots - (m_dir.size() - 1) * kBlockRecords);
    size_t nOver = 0;
    for (uint32_t j = 0; j < nKeep; ++j) {
        if (c.m_records[j].m_nLength >= kLengthEscape) ++nOver;
        if (j != 0 && (blk.m_bits[j] >> kGapShift) == kGapEscape) ++nOver;
    }
    blk.m_overflow.resize(nOver);
    blk.m_nUsed = nKeep;
    m_nLastEnd = c.m_records[nKeep - 1].m_nOffset + c.m_records[nKeep - 1].m_nLength;
    ForgetCache();
}

bool CRecordTable::SetFlagsSlow(uint32_t i, uint32_t nFlags) {
    if (i >= Count()) return false;
    const uint64_t s = uint64_t{i} + m_nFront;
    const auto b = static_cast<size_t>(s / kBlockRecords);
    const auto j = static_cast<uint32_t>(s % kBlockRecords);
    uint8_t& bits = m_dir[b]->m_bits[j];
    bits = static_cast<uint8_t>((bits & ~kSlotFlagMask) | SlotFlagBits(nFlags));
    // A block is decoded into one cache entry at most.
    for (size_t k = 0; k < kCacheEntries; ++k)
        if (m_cache[k].m_nBlock == b && j < m_cache[k].m_nDecoded)
            m_cache[k].m_records[j].m_nFlags = SlotFlags(bits);
    return true;
}

} // namespace tervik
