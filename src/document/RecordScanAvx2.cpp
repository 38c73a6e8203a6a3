// Compiled with -mavx2 (see CMakeLists.txt); only called when the processor has it.
#include "document/RecordScan.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace tervik::detail {

static inline void ChunkMasksAvx2(const uint8_t* p, uint64_t& lf, uint64_t& tab) {
    const __m256i vLf = _mm256_set1_epi8(0x0A);
    const __m256i vTab = _mm256_set1_epi8(0x09);
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    lf = static_cast<uint64_t>(
             static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, vLf)))) |
         static_cast<uint64_t>(
             static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, vLf))))
             << 32;
    tab = static_cast<uint64_t>(
              static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, vTab)))) |
          static_cast<uint64_t>(
              static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, vTab))))
              << 32;
}
#define CHUNK_MASKS ChunkMasksAvx2
#define SCAN_FUNCTION FastScanAvx2
#include "document/RecordScan.inc"

} // namespace tervik::detail
#endif
