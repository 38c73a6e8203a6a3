#pragma once

// Character frequency: how often each byte value occurs in a file, as a CSV of 256
// lines for a spreadsheet program.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace tervik {

class CTervikDoc;

using ByteCounts = uint64_t[256];

// Adds the bytes of the block to the counters.
void CountBytes(const unsigned char* p, size_t n, ByteCounts& counts);

// The CSV text: one line "value;0xhh;\"name\";count" with CR LF per byte value.
std::string CharFrequencyCsv(const ByteCounts& counts);

// Counts the bytes of the document's file with a read position of its own, serving
// the window meanwhile (without abort) and showing progress on big files. A file of
// nSplitFrom bytes or more is counted in two halves at once (-1: never). Answers 0,
// or the system error code of the open or a read (the counts are then incomplete).
inline constexpr int64_t kCountSplitFrom = int64_t{32} << 20;
uint32_t CountFileBytes(CTervikDoc& doc, ByteCounts& counts, int64_t nSplitFrom = kCountSplitFrom);

// Counts the document's file and writes the CSV to csvPath, replacing a file there, or
// with bNew into a new file only (never through a link, nothing there before).
// Answers 0 or the system error code.
uint32_t WriteCharFrequency(CTervikDoc& doc, const std::string& csvPath, bool bNew = false);

} // namespace tervik
