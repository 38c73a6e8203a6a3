#include "document/RecordScan.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define TERVIK_X86 1
#endif

namespace tervik::detail {

#if TERVIK_X86
static inline uint64_t Mask16(__m128i v, __m128i c, int k) {
    return static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, c))))
           << (16 * k);
}
static inline void ChunkMasksSse2(const uint8_t* p, uint64_t& lf, uint64_t& tab, uint64_t& cr) {
    const __m128i vLf = _mm_set1_epi8(0x0A);
    const __m128i vTab = _mm_set1_epi8(0x09);
    const __m128i vCr = _mm_set1_epi8(0x0D);
    uint64_t l = 0, t = 0, c = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        l |= Mask16(v, vLf, k);
        t |= Mask16(v, vTab, k);
        c |= Mask16(v, vCr, k);
    }
    lf = l;
    tab = t;
    cr = c;
}
#define CHUNK_MASKS ChunkMasksSse2
#else
static inline void ChunkMasksPlain(const uint8_t* p, uint64_t& lf, uint64_t& tab, uint64_t& cr) {
    uint64_t l = 0, t = 0, c = 0;
    for (unsigned k = 0; k < 64; ++k) {
        l |= static_cast<uint64_t>(p[k] == 0x0A) << k;
        t |= static_cast<uint64_t>(p[k] == 0x09) << k;
        c |= static_cast<uint64_t>(p[k] == 0x0D) << k;
    }
    lf = l;
    tab = t;
    cr = c;
}
#define CHUNK_MASKS ChunkMasksPlain
#endif

#define SCAN_FUNCTION FastScanSse2
#include "document/RecordScan.inc"

FastScanFn SelectFastScan() {
#if TERVIK_X86 && defined(TERVIK_HAVE_AVX2_SCAN)
    if (__builtin_cpu_supports("avx2")) return FastScanAvx2;
#endif
    return FastScanSse2;
}

} // namespace tervik::detail
