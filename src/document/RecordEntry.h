#pragma once

#include <cstdint>

namespace tervik {

// One record of a document: where it starts, how many bytes it has (line end
// excluded) and its flags. 16 bytes, so that many millions of lines fit.
struct RecordEntry {
    uint64_t m_nOffset = 0;
    uint32_t m_nLength = 0;
    uint32_t m_nFlags = 0;
};
static_assert(sizeof(RecordEntry) == 16);

// The record holds no TAB byte, so its byte length is its display width.
inline constexpr uint32_t RF_NO_TAB = 0x00400000u;
// Selection colour bits; 0 = not selected.
inline constexpr uint32_t RF_COLOUR_MASK = 0xC0000000u;
inline constexpr uint32_t RF_BLUE = 0x80000000u;
inline constexpr uint32_t RF_GREEN = 0x40000000u;
inline constexpr uint32_t RF_RED = 0xC0000000u;

// Largest number of records a table can hold (record numbers are 32-bit).
inline constexpr uint32_t kMaxRecords = 0xFFFFFFFFu;

} // namespace tervik
