// Compiled with -mavx2 (see CMakeLists.txt); only called when the processor has it.
#include "document/RecordScan.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace tervik::detail {

static inline uint64_t Mask64(__m256i a, __m256i b, __m256i c) {
    return static_cast<uint64_t>(
               static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, c)))) |
           static_cast<uint64_t>(
               static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, c))))
               << 32;
}
static inline void ChunkMasksAvx2(const uint8_t* p, uint64_t& lf, uint64_t& tab, uint64_t& cr) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    lf = Mask64(a, b, _mm256_set1_epi8(0x0A));
    tab = Mask64(a, b, _mm256_set1_epi8(0x09));
    cr = Mask64(a, b, _mm256_set1_epi8(0x0D));
}
#define CHUNK_MASKS ChunkMasksAvx2
#define SCAN_FUNCTION FastScanAvx2
#include "document/RecordScan.inc"

} // namespace tervik::detail
#endif
