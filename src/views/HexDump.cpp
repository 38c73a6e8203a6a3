#include "views/HexDump.h"

#include "views/DisplayText.h"

#include <algorithm>

namespace tervik {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The group count of a view is a 16-bit number; anything outside gives no row.
uint64_t RowBytes(int nGroups) {
    return nGroups > 0 && nGroups <= 0xFFFF ? static_cast<uint64_t>(nGroups) * kDumpGroupBytes : 0;
}

} // namespace

void BuildHexRows(const uint8_t* pRaw, const uint8_t* pConverted, size_t n, uint32_t nLeftColumn,
                  uint32_t nTabSize, std::string& high, std::string& low) {
    high.assign(n, ' ');
    low.assign(n, ' ');
    const uint64_t nTab = std::max<uint32_t>(nTabSize, 1);
    for (size_t j = 0; j < n; ++j) {
        // 64-bit so that a far-right left column cannot wrap.
        const uint64_t nColumn = static_cast<uint64_t>(j) + 1 + nLeftColumn;
        if (pConverted[j] == '\t' && nColumn % nTab != 0) continue;
        high[j] = kHexDigits[pRaw[j] >> 4];
        low[j] = kHexDigits[pRaw[j] & 0xF];
    }
}

int DumpOffsetDigits(uint64_t nFileSize) {
    const uint64_t nLast = nFileSize > 0 ? nFileSize - 1 : 0;
    int nDigits = 8;
    while (nDigits < 16 && (nLast >> (4 * nDigits)) != 0)
        ++nDigits;
    return nDigits;
}

void BuildDumpRow(std::string& row, uint64_t nOffset, const uint8_t* pBytes, size_t n, int nGroups,
                  bool bEbcdic, bool bOem, uint32_t nLeftColumn, int nDigits) {
    row.clear();
    const uint64_t nRow = RowBytes(nGroups);
    n = static_cast<size_t>(std::min<uint64_t>(n, nRow));
    if (n == 0 || !pBytes) return;
    nDigits = std::clamp(nDigits, 8, 16);
    row.reserve(
        static_cast<size_t>(13 * nRow / kDumpGroupBytes + 7 + static_cast<uint64_t>(nDigits)));
    for (int shift = 4 * (nDigits - 1); shift >= 0; shift -= 4)
        row += kHexDigits[(nOffset >> shift) & 0xF];
    row += "  ";
    for (uint64_t i = 0; i < nRow; ++i) {
        if (i % kDumpGroupBytes == 0) row += ' ';
        if (i < n) {
            row += kHexDigits[pBytes[i] >> 4];
            row += kHexDigits[pBytes[i] & 0xF];
        } else {
            row += "  ";
        }
    }
    row += "   >";
    const size_t nChars = row.size();
    row.append(reinterpret_cast<const char*>(pBytes), n);
    auto* pChars = reinterpret_cast<uint8_t*>(row.data() + nChars);
    ConvertForDisplay(pChars, n, bEbcdic, bOem);
    for (size_t i = 0; i < n; ++i) {
        // Control bytes are judged before the conversion, as in the file.
        if (pBytes[i] < 0x20) pChars[i] = '.';
    }
    row += '<';
    row.erase(0, std::min<size_t>(row.size(), nLeftColumn));
}

std::string BuildDumpRow(uint64_t nOffset, const uint8_t* pBytes, size_t n, int nGroups,
                         bool bEbcdic, bool bOem, uint32_t nLeftColumn, int nDigits) {
    std::string row;
    BuildDumpRow(row, nOffset, pBytes, n, nGroups, bEbcdic, bOem, nLeftColumn, nDigits);
    return row;
}

bool DumpHitTouchesRow(uint64_t nRowOffset, int nGroups, uint64_t nHit, uint64_t nHitLength) {
    const uint64_t nRow = RowBytes(nGroups);
    // Differences instead of sums: offsets near the top of the range must not wrap.
    if (nHit >= nRowOffset) return nHit - nRowOffset < nRow;
    return nRowOffset - nHit < nHitLength;
}

std::optional<DumpHitSpan> DumpHitInRow(uint64_t nRowOffset, int nGroups, uint32_t nLeftColumn,
                                        uint64_t nHit, uint64_t nHitLength, int nDigits) {
    if (!DumpHitTouchesRow(nRowOffset, nGroups, nHit, nHitLength)) return std::nullopt;
    const uint64_t nRow = RowBytes(nGroups);
    if (nRow == 0) return std::nullopt;
    int64_t nStart = DumpCharColumn(nGroups, std::clamp(nDigits, 8, 16)) -
                     static_cast<int64_t>(nLeftColumn);
    uint64_t nCount = 0;
    if (nHit >= nRowOffset) {
        const uint64_t nInto = nHit - nRowOffset;
        nStart += static_cast<int64_t>(nInto);
        nCount = std::min(nHitLength, nRow - nInto);
    } else {
        nCount = std::min(nHitLength - (nRowOffset - nHit), nRow);
    }
    // Both are bounded by the row length now.
    const int64_t nEnd = nStart + static_cast<int64_t>(nCount);
    if (nEnd <= 0 || nCount == 0) return std::nullopt;
    nStart = std::max<int64_t>(nStart, 0);
    return DumpHitSpan{static_cast<int>(nStart), static_cast<int>(nEnd - nStart)};
}

} // namespace tervik
