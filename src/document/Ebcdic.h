#pragma once

// EBCDIC code page 037 and its inverse. Source and destination may be the same.

#include <cstddef>
#include <cstdint>

namespace tervik {

void EbcdicToAnsi(const uint8_t* pSrc, uint8_t* pDst, size_t n);
void AnsiToEbcdic(const uint8_t* pSrc, uint8_t* pDst, size_t n);

} // namespace tervik
