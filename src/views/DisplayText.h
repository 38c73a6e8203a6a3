#pragma once

// How record text becomes what a view draws: the EBCDIC and OEM display
// conversions, then tabs as blanks and other control bytes as dots.

#include <cstddef>
#include <cstdint>

namespace tervik {

// EBCDIC 037 to ANSI when bEbcdic, then OEM to ANSI when bOem; in place.
void ConvertForDisplay(uint8_t* p, size_t n, bool bEbcdic, bool bOem);
// Tabs become blanks, every other byte below 0x20 a '.'; in place.
void MakePrintable(uint8_t* p, size_t n);

} // namespace tervik
