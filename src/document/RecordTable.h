#pragma once

// The record table of a document, about 3 bytes a record (1 byte when the records
// share one length, as in fixed-length files).
//
// Records are kept in blocks of 256. A block holds the offset of its first slot; per
// slot a 16-bit length and one byte with the flag bits and the gap in front of the
// record (its offset less the end of the record before). Offsets follow by adding up.
// A length of 0xFFFF or more and a gap of 31 or more are escaped: the value goes to a
// small list of the block's own, in slot order. A block whose records all have the
// same length keeps that length once instead of the 16-bit array.
//
// Lookups decode a whole block into a small cache, so walking the records costs a
// copy each and a random lookup one block's decode.
//
// One thread (the cut) may append while the owning thread reads records below
// Count() and Count() itself; everything else (flags, removal) belongs to the owner
// while no other thread appends.

#include "document/RecordEntry.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

namespace tervik {

class CRecordTable {
public:
    static constexpr uint32_t kBlockRecords = 256;

    CRecordTable();
    ~CRecordTable();
    CRecordTable(const CRecordTable&) = delete;
    CRecordTable& operator=(const CRecordTable&) = delete;

    uint32_t Count() const { return m_nCount.load(std::memory_order_acquire); }

    // Record i; nullopt when i >= Count().
    std::optional<RecordEntry> At(uint32_t i) const {
        const uint64_t s = uint64_t{i} + m_nFront;
        const CacheEntry& c = m_cache[m_nLastHit];
        if (c.m_nBlock == s / kBlockRecords && s % kBlockRecords < c.m_nDecoded && i < Count())
            return c.m_records[s % kBlockRecords];
        return AtSlow(i);
    }

    // The last record that starts at or before nOffset (0 when none does), found
    // through the blocks' first offsets and one block's records.
    uint32_t LastStartingAt(uint64_t nOffset) const;

    // Appends records in order; false when memory ran out or the table is full
    // (nAppended tells how many made it).
    bool Append(const RecordEntry& e);
    bool AppendMany(const RecordEntry* pEntries, uint32_t n, uint32_t& nAppended);
    // Removes record 0; the others move down by one.
    void RemoveFirst();
    // Keeps the first n records.
    void Truncate(uint32_t n);
    // Sets the flag bits the table keeps (RF_NO_TAB and the colour); false for a bad number.
    bool SetFlags(uint32_t i, uint32_t nFlags) {
        const uint64_t s = uint64_t{i} + m_nFront;
        CacheEntry& c = m_cache[m_nLastHit];
        if (c.m_nBlock == s / kBlockRecords && s % kBlockRecords < c.m_nDecoded && i < Count()) {
            uint8_t& bits = c.m_pBits[s % kBlockRecords];
            bits = static_cast<uint8_t>((bits & ~kSlotFlagMask) | SlotFlagBits(nFlags));
            c.m_records[s % kBlockRecords].m_nFlags = SlotFlags(bits);
            return true;
        }
        return SetFlagsSlow(i, nFlags);
    }

    // The flag bits a record keeps; others are dropped on the way in.
    static constexpr uint32_t kKeptFlags = RF_NO_TAB | RF_COLOUR_MASK;

private:
    // The slot byte: bit 0 no tab, bits 1-2 the colour, bits 3-7 the gap in front.
    static constexpr uint8_t kNoTabBit = 0x01;
    static constexpr int kColourShift = 1;
    static constexpr uint8_t kSlotFlagMask = 0x07;
    static constexpr uint8_t SlotFlagBits(uint32_t nFlags) {
        return static_cast<uint8_t>(((nFlags & RF_NO_TAB) ? kNoTabBit : 0) |
                                    (((nFlags & RF_COLOUR_MASK) >> 30) << kColourShift));
    }
    static constexpr uint32_t SlotFlags(uint8_t b) {
        return ((b & kNoTabBit) ? RF_NO_TAB : 0) |
               (static_cast<uint32_t>((b & 0x06) >> kColourShift) << 30);
    }
    static_assert(RF_COLOUR_MASK >> 30 == 3);

    struct Block;
    bool SetFlagsSlow(uint32_t i, uint32_t nFlags);
    struct CacheEntry {
        uint64_t m_nBlock = UINT64_MAX; // slot / kBlockRecords of the decoded block
        uint32_t m_nDecoded = 0;        // slots decoded from its start
        uint8_t* m_pBits = nullptr; // the block's slot bytes
        RecordEntry m_records[kBlockRecords];
    };
    static constexpr size_t kCacheEntries = 4;

    std::optional<RecordEntry> AtSlow(uint32_t i) const;
    // Decodes block b (a directory index) into a cache entry; the lock is held.
    const CacheEntry& Decode(size_t b) const;
    bool AppendOne(const RecordEntry& e);
    void ForgetCache() const;

    // Slots of block 0 in front of record 0 (removed from the front).
    uint32_t m_nFront = 0;
    std::atomic<uint32_t> m_nCount{0};
    // Blocks in order; guarded by m_lock while another thread appends.
    std::deque<Block*> m_dir;
    mutable std::mutex m_lock;
    // The appending side: where the last record ends.
    uint64_t m_nLastEnd = 0;

    mutable std::unique_ptr<CacheEntry[]> m_cache;
    mutable size_t m_nLastHit = 0;
    mutable size_t m_nNextVictim = 0;
};

} // namespace tervik
