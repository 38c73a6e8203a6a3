#pragma once

// The byte displays: the two hex-digit rows under a text line, and dump rows with
// an offset column, groups of hex digits and a character column.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tervik {

// The high and low hex digits of each byte of a text line, one per column. pRaw is
// the line as read (tabs expanded to runs of tabs), pConverted the same after the
// display conversion; a tab run shows its code only in its last column.
void BuildHexRows(const uint8_t* pRaw, const uint8_t* pConverted, size_t n, uint32_t nLeftColumn,
                  uint32_t nTabSize, std::string& high, std::string& low);

// A dump row is made of groups of four bytes.
inline constexpr int kDumpGroupBytes = 4;
// Bytes per dump row.
inline int DumpRowBytes(int nGroups) {
    return kDumpGroupBytes * nGroups;
}
// Hex digits of the offset column: 8, more when the file's offsets need them (from
// 4 GiB on), so that no offset loses its high digits.
int DumpOffsetDigits(uint64_t nFileSize);
// Characters of a full dump row; the horizontal scroll range in the dump.
inline int DumpRowLength(int nGroups, int nDigits = 8) {
    return 13 * nGroups + 7 + nDigits;
}
// Column of the character of the row's first byte.
inline int DumpCharColumn(int nGroups, int nDigits = 8) {
    return 9 * nGroups + 6 + nDigits;
}

// The dump row of the n bytes read at nOffset, left-shifted by nLeftColumn
// characters. Bytes beyond one row are ignored; no bytes give an empty row. Control
// characters the conversion produces are left for the painter to make printable.
// nDigits: the offset column's width (DumpOffsetDigits).
std::string BuildDumpRow(uint64_t nOffset, const uint8_t* pBytes, size_t n, int nGroups,
                         bool bEbcdic, bool bOem, uint32_t nLeftColumn, int nDigits = 8);
// The same into row, reusing its storage.
void BuildDumpRow(std::string& row, uint64_t nOffset, const uint8_t* pBytes, size_t n, int nGroups,
                  bool bEbcdic, bool bOem, uint32_t nLeftColumn, int nDigits = 8);

// Character indexes of a search hit in a (left-shifted) dump row. The span may reach
// beyond a short last row; the painter clips it to the characters present.
struct DumpHitSpan {
    int m_nStart;
    int m_nCount;
};

// Whether the hit at nHit of nHitLength bytes lies partly in the row at nRowOffset:
// it starts there or runs into it from an earlier row.
bool DumpHitTouchesRow(uint64_t nRowOffset, int nGroups, uint64_t nHit, uint64_t nHitLength);
// The hit's span in the row's character column; none when the row is not touched or
// the span lies wholly left of the shown part.
std::optional<DumpHitSpan> DumpHitInRow(uint64_t nRowOffset, int nGroups, uint32_t nLeftColumn,
                                        uint64_t nHit, uint64_t nHitLength, int nDigits = 8);

// nOffset rounded down to a multiple of nMultiple (0 leaves it as it is).
inline uint64_t AlignDown(uint64_t nOffset, uint64_t nMultiple) {
    return nMultiple ? nOffset - nOffset % nMultiple : nOffset;
}

} // namespace tervik
