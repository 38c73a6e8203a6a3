#pragma once

// The record rules written down plainly, one byte at a time over the whole data,
// as the yardstick for the fast cutter.

#include "document/RecordCutter.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace tervik::test {

struct ReferenceResult {
    std::vector<RecordEntry> records;
    uint32_t nLineEnd = 0;
    uint32_t nMaxLength = 0;
    bool bStopped = false; // ended by the limit from the start or by Escape
};

struct ReferenceOptions {
    CutParams params;
    uint64_t nStartOffset = 0; // file offset of data[0]
    // Escape counts as pressed at record ends at or behind this file offset.
    uint64_t nEscapeFromOffset = UINT64_MAX;
};

inline ReferenceResult ReferenceDelimit(const std::vector<uint8_t>& data,
                                        const ReferenceOptions& o) {
    const CutParams& prm = o.params;
    const uint32_t nMax = prm.m_nMaxRecSize == 0 ? 1 : prm.m_nMaxRecSize;
    const uint32_t nFixed = prm.m_nFixedSize;
    const bool bLe = prm.m_eEncoding == CutEncoding::Utf16Le;
    const bool bBe = prm.m_eEncoding == CutEncoding::Utf16Be;

    ReferenceResult r;
    std::deque<RecordEntry> table;
    uint64_t start = o.nStartOffset;
    uint32_t n = 0;
    bool bEmptyOk = true, bTab = false, bSkip = false;
    auto at = [&](size_t i) -> int { return i < data.size() ? data[i] : -1; };

    for (size_t i = 0; i < data.size(); ++i) {
        const uint64_t off = o.nStartOffset + i;
        const uint8_t p = data[i];
        if (bSkip) {
            bSkip = false;
            continue;
        }
        if (prm.m_nLimitFromStart && table.size() >= prm.m_nLimitFromStart) {
            r.bStopped = true;
            break;
        }
        if (prm.m_nLimitFromEnd && table.size() >= prm.m_nLimitFromEnd) table.pop_front();
        bool bLf = false;
        if (nFixed == 0 && p == 0x0A) {
            if (bLe)
                bLf = off % 2 == 0 && at(i + 1) == 0;
            else if (bBe)
                bLf = off % 2 == 1 && i >= 1 && data[i - 1] == 0;
            else
                bLf = true;
        }
        const bool bEnd = bLf || n == nMax || (nFixed && n == nFixed);
        if (bEnd) {
            uint32_t strip = 0;
            if (bLf) {
                bool bCr;
                if (bLe) {
                    bCr = i >= 2 && data[i - 2] == 0x0D && data[i - 1] == 0;
                    strip = bCr ? 2 : 0;
                } else if (bBe) {
                    bCr = i >= 3 && data[i - 2] == 0x0D && data[i - 3] == 0;
                    strip = bCr ? 3 : 1;
                } else {
                    bCr = i >= 1 && data[i - 1] == 0x0D;
                    strip = bCr ? 1 : 0;
                }
                if (r.nLineEnd == 0) r.nLineEnd = bCr ? 2 : 1;
            }
            const uint32_t len = n - std::min(n, strip);
            r.nMaxLength = std::max(r.nMaxLength, len);
            if (len != 0 || bEmptyOk) {
                table.push_back(RecordEntry{start, len, bTab ? 0u : RF_NO_TAB});
                bTab = false;
            }
            n = 0;
            if (bLf) {
                start = off + (bLe ? 2 : 1);
                bSkip = bLe;
                bEmptyOk = true;
            } else {
                start = off;
                bEmptyOk = nFixed != 0;
            }
            if (off >= o.nEscapeFromOffset) {
                r.bStopped = true;
                break;
            }
        }
        if (!bLf) {
            ++n;
            if (p == 0x09) bTab = true;
        }
    }
    if (!r.bStopped && n > 0) {
        r.nMaxLength = std::max(r.nMaxLength, n);
        table.push_back(RecordEntry{start, n, 0});
    }
    r.records.assign(table.begin(), table.end());
    return r;
}

} // namespace tervik::test
