#pragma once

// Cuts a stream of file bytes into records. The bytes arrive block by block in
// file order; every finished record goes to the sink. The rules:
//  - a record ends before an LF (not with a fixed length), when it has reached
//    the longest record size, or when it has reached the fixed length;
//  - an LF ending a record is taken off with a CR before it (single-byte data);
//    in UTF-16 data the line end is the code unit U+000A at a code-unit boundary,
//    taken off with a U+000D before it;
//  - after a line end the next record starts behind it and may be empty; after a
//    cut it starts at the byte that did not fit and is never empty (unless a
//    fixed length is set);
//  - RF_NO_TAB marks records that consumed no 0x09 byte; the last record of the
//    data, which has no line end, never carries it.
// Single-byte data without a fixed length is scanned 64 bytes at a time.

#include "document/RecordEntry.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tervik {

enum class CutEncoding : uint8_t { SingleByte, Utf16Le, Utf16Be };

struct CutParams {
    uint32_t m_nFixedSize = 0;      // 0 = records end at LF
    uint32_t m_nMaxRecSize = 32768; // longest record before a cut (at least 1)
    CutEncoding m_eEncoding = CutEncoding::SingleByte;
    // Stop once this many records are stored (0 = no limit).
    uint32_t m_nLimitFromStart = 0;
    // Keep only this many records: the first is removed when the table is full
    // and another byte arrives (0 = no limit).
    uint32_t m_nLimitFromEnd = 0;
};

class IRecordSink {
public:
    virtual ~IRecordSink() = default;
    // Stores a record; false when no more can be taken (cutting then stops).
    virtual bool Store(const RecordEntry& entry) = 0;
    // Removes the oldest record (only with a limit counted from the end).
    virtual void RemoveFirst() = 0;
    // Stores records in order; answers how many were taken (fewer: no more fit).
    virtual size_t StoreMany(const RecordEntry* pEntries, size_t n) {
        for (size_t i = 0; i < n; ++i)
            if (!Store(pEntries[i])) return i;
        return n;
    }
};

class CRecordCutter {
public:
    // nStartOffset: file offset of the first byte fed. pEscape, when given, is
    // polled after every record end; set means stop.
    CRecordCutter(const CutParams& params, IRecordSink& sink, uint64_t nStartOffset,
                  const std::atomic<bool>* pEscape = nullptr);

    // The first byte fed follows a record that was cut, not one that ended with a
    // line end: the record starting there is never empty (as after a cut).
    void FollowCut() { m_bEmptyAllowed = m_params.m_nFixedSize != 0; }

    // Feeds the next n bytes of the file. False when cutting has stopped (limit,
    // Escape or a full sink); further calls change nothing.
    bool Feed(const uint8_t* p, size_t n);
    // End of the data: stores the last record when it has bytes.
    void Finish();

    bool Stopped() const { return m_bStopped; }
    // Why cutting stopped early.
    bool StoppedBySink() const { return m_bSinkFull; }
    // 0 no line end yet, 1 LF, 2 CR LF.
    uint32_t LineEnd() const { return m_nLineEnd; }
    uint32_t MaxLength() const { return m_nMaxLength; }
    // File offset just behind the last byte consumed.
    uint64_t Position() const { return m_nPos; }

private:
    // One byte by the plain rules; nNext is the byte after it, or -1 when unknown.
    // False when cutting stops.
    bool StepByte(uint8_t b, int nNext);
    bool EndRecord(bool bLineEnd, uint32_t nStrip);
    bool StoreCurrent(uint32_t nLength, uint32_t nFlags);
    bool FeedSingleByteFast(const uint8_t* p, size_t n);
    bool FeedBytewise(const uint8_t* p, size_t n);
    // The record limits act when a further byte arrives: false means stop.
    bool BeforeByte();

    CutParams m_params;
    IRecordSink& m_sink;
    const std::atomic<bool>* m_pEscape;
    uint32_t m_nCut; // the smaller of the fixed length and the longest record size

    uint64_t m_nPos;       // file offset of the next byte
    uint64_t m_nStart;     // offset of the record being built
    uint32_t m_nCount = 0; // bytes in the record being built
    bool m_bEmptyAllowed = true;
    bool m_bTab = false; // a TAB consumed since the last stored record
    // The three bytes before the next one (most recent first), and how many are valid.
    uint8_t m_prev[3] = {0, 0, 0};
    int m_nPrevValid = 0;
    // UTF-16 LE: an LF candidate waiting for its second byte, and a zero byte of
    // a line end still to pass over.
    bool m_bPendingLf = false;
    bool m_bSkipZero = false;

    uint32_t m_nLineEnd = 0;
    uint32_t m_nMaxLength = 0;
    uint64_t m_nInTable = 0;
    bool m_bStopped = false;
    bool m_bSinkFull = false;
};

} // namespace tervik
