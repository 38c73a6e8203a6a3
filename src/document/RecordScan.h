#pragma once

// The cutter's fast path for single-byte data without fixed length or limits:
// whole 64-byte chunks, LF and TAB found with vector compares, records handed to
// the sink in batches. Built twice, for SSE2 and for AVX2, and chosen at run time.

#include "document/RecordCutter.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tervik::detail {

struct FastScanState {
    uint64_t nPos;      // file offset of p[0]
    uint64_t nStart;    // offset of the record being built
    uint32_t nCount;    // its bytes so far
    bool bTab;          // a TAB in them
    bool bEmptyAllowed; // it may end up empty
    int nPrev;          // byte before p[0], -1 when none
    uint32_t nLineEnd;
    uint32_t nMaxLength;
    uint64_t nStored;
    uint32_t nCut;
    IRecordSink* pSink;
    const std::atomic<bool>* pEscape;
    bool bStopped;
    bool bSinkFull;
};

// Consumes whole chunks while no cut can fall into them; answers the bytes
// consumed (a multiple of 64), fewer when it stopped.
using FastScanFn = size_t (*)(FastScanState& st, const uint8_t* p, size_t n);
size_t FastScanSse2(FastScanState& st, const uint8_t* p, size_t n);
size_t FastScanAvx2(FastScanState& st, const uint8_t* p, size_t n);
// The best one for this processor.
FastScanFn SelectFastScan();

} // namespace tervik::detail
