#include "document/Md5.h"

#include <bit>
#include <cstring>

namespace tervik {

namespace {

#if defined(__GNUC__)
#define TERVIK_MD5_INLINE [[gnu::always_inline]] inline
#else
#define TERVIK_MD5_INLINE inline
#endif

// Word i of a block, little-endian. memcpy keeps unaligned input legal and compiles
// to a plain load (or a memory operand of the add) on x86 and ARM.
TERVIK_MD5_INLINE uint32_t Word(const uint8_t* p, int i) {
    const uint8_t* q = p + 4 * i;
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t v;
        std::memcpy(&v, q, sizeof v);
        return v;
    } else {
        return static_cast<uint32_t>(q[0]) | (static_cast<uint32_t>(q[1]) << 8) |
               (static_cast<uint32_t>(q[2]) << 16) | (static_cast<uint32_t>(q[3]) << 24);
    }
}

// The four step kinds. MD5 is bound by the latency of the chain through b, so every
// term that does not depend on b (message word, constant, parts of the round
// function) is added to a first, leaving as few operations as possible after b.

// F = (b & c) | (~b & d), written with one operation less.
template <int S>
TERVIK_MD5_INLINE void StepF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x,
                             uint32_t k) {
    a += x + k;
    a += d ^ (b & (c ^ d));
    a = std::rotl(a, S) + b;
}

// G = (b & d) | (c & ~d). The two halves never share a bit, so they can be added
// separately; c & ~d is ready before b.
template <int S>
TERVIK_MD5_INLINE void StepG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x,
                             uint32_t k) {
    a += x + k;
    a += c & ~d;
    a += b & d;
    a = std::rotl(a, S) + b;
}

template <int S>
TERVIK_MD5_INLINE void StepH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x,
                             uint32_t k) {
    a += x + k;
    a += b ^ (c ^ d);
    a = std::rotl(a, S) + b;
}

// I = c ^ (b | ~d); ~d is ready before b.
template <int S>
TERVIK_MD5_INLINE void StepI(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x,
                             uint32_t k) {
    a += x + k;
    a += c ^ (b | ~d);
    a = std::rotl(a, S) + b;
}

// Hashes nBlocks consecutive 64-byte blocks; the state stays in locals meanwhile.
void ProcessBlocks(uint32_t* pState, const uint8_t* p, size_t nBlocks) {
    uint32_t a = pState[0];
    uint32_t b = pState[1];
    uint32_t c = pState[2];
    uint32_t d = pState[3];

    for (; nBlocks > 0; --nBlocks, p += 64) {
        const uint32_t aa = a, bb = b, cc = c, dd = d;

        StepF<7>(a, b, c, d, Word(p, 0), 0xd76aa478);
        StepF<12>(d, a, b, c, Word(p, 1), 0xe8c7b756);
        StepF<17>(c, d, a, b, Word(p, 2), 0x242070db);
        StepF<22>(b, c, d, a, Word(p, 3), 0xc1bdceee);
        StepF<7>(a, b, c, d, Word(p, 4), 0xf57c0faf);
        StepF<12>(d, a, b, c, Word(p, 5), 0x4787c62a);
        StepF<17>(c, d, a, b, Word(p, 6), 0xa8304613);
        StepF<22>(b, c, d, a, Word(p, 7), 0xfd469501);
        StepF<7>(a, b, c, d, Word(p, 8), 0x698098d8);
        StepF<12>(d, a, b, c, Word(p, 9), 0x8b44f7af);
        StepF<17>(c, d, a, b, Word(p, 10), 0xffff5bb1);
        StepF<22>(b, c, d, a, Word(p, 11), 0x895cd7be);
        StepF<7>(a, b, c, d, Word(p, 12), 0x6b901122);
        StepF<12>(d, a, b, c, Word(p, 13), 0xfd987193);
        StepF<17>(c, d, a, b, Word(p, 14), 0xa679438e);
        StepF<22>(b, c, d, a, Word(p, 15), 0x49b40821);

        StepG<5>(a, b, c, d, Word(p, 1), 0xf61e2562);
        StepG<9>(d, a, b, c, Word(p, 6), 0xc040b340);
        StepG<14>(c, d, a, b, Word(p, 11), 0x265e5a51);
        StepG<20>(b, c, d, a, Word(p, 0), 0xe9b6c7aa);
        StepG<5>(a, b, c, d, Word(p, 5), 0xd62f105d);
        StepG<9>(d, a, b, c, Word(p, 10), 0x02441453);
        StepG<14>(c, d, a, b, Word(p, 15), 0xd8a1e681);
        StepG<20>(b, c, d, a, Word(p, 4), 0xe7d3fbc8);
        StepG<5>(a, b, c, d, Word(p, 9), 0x21e1cde6);
        StepG<9>(d, a, b, c, Word(p, 14), 0xc33707d6);
        StepG<14>(c, d, a, b, Word(p, 3), 0xf4d50d87);
        StepG<20>(b, c, d, a, Word(p, 8), 0x455a14ed);
        StepG<5>(a, b, c, d, Word(p, 13), 0xa9e3e905);
        StepG<9>(d, a, b, c, Word(p, 2), 0xfcefa3f8);
        StepG<14>(c, d, a, b, Word(p, 7), 0x676f02d9);
        StepG<20>(b, c, d, a, Word(p, 12), 0x8d2a4c8a);

        StepH<4>(a, b, c, d, Word(p, 5), 0xfffa3942);
        StepH<11>(d, a, b, c, Word(p, 8), 0x8771f681);
        StepH<16>(c, d, a, b, Word(p, 11), 0x6d9d6122);
        StepH<23>(b, c, d, a, Word(p, 14), 0xfde5380c);
        StepH<4>(a, b, c, d, Word(p, 1), 0xa4beea44);
        StepH<11>(d, a, b, c, Word(p, 4), 0x4bdecfa9);
        StepH<16>(c, d, a, b, Word(p, 7), 0xf6bb4b60);
        StepH<23>(b, c, d, a, Word(p, 10), 0xbebfbc70);
        StepH<4>(a, b, c, d, Word(p, 13), 0x289b7ec6);
        StepH<11>(d, a, b, c, Word(p, 0), 0xeaa127fa);
        StepH<16>(c, d, a, b, Word(p, 3), 0xd4ef3085);
        StepH<23>(b, c, d, a, Word(p, 6), 0x04881d05);
        StepH<4>(a, b, c, d, Word(p, 9), 0xd9d4d039);
        StepH<11>(d, a, b, c, Word(p, 12), 0xe6db99e5);
        StepH<16>(c, d, a, b, Word(p, 15), 0x1fa27cf8);
        StepH<23>(b, c, d, a, Word(p, 2), 0xc4ac5665);

        StepI<6>(a, b, c, d, Word(p, 0), 0xf4292244);
        StepI<10>(d, a, b, c, Word(p, 7), 0x432aff97);
        StepI<15>(c, d, a, b, Word(p, 14), 0xab9423a7);
        StepI<21>(b, c, d, a, Word(p, 5), 0xfc93a039);
        StepI<6>(a, b, c, d, Word(p, 12), 0x655b59c3);
        StepI<10>(d, a, b, c, Word(p, 3), 0x8f0ccc92);
        StepI<15>(c, d, a, b, Word(p, 10), 0xffeff47d);
        StepI<21>(b, c, d, a, Word(p, 1), 0x85845dd1);
        StepI<6>(a, b, c, d, Word(p, 8), 0x6fa87e4f);
        StepI<10>(d, a, b, c, Word(p, 15), 0xfe2ce6e0);
        StepI<15>(c, d, a, b, Word(p, 6), 0xa3014314);
        StepI<21>(b, c, d, a, Word(p, 13), 0x4e0811a1);
        StepI<6>(a, b, c, d, Word(p, 4), 0xf7537e82);
        StepI<10>(d, a, b, c, Word(p, 11), 0xbd3af235);
        StepI<15>(c, d, a, b, Word(p, 2), 0x2ad7d2bb);
        StepI<21>(b, c, d, a, Word(p, 9), 0xeb86d391);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }

    pState[0] = a;
    pState[1] = b;
    pState[2] = c;
    pState[3] = d;
}

#undef TERVIK_MD5_INLINE

} // namespace

void CMd5::Init() {
    m_aState[0] = 0x67452301;
    m_aState[1] = 0xefcdab89;
    m_aState[2] = 0x98badcfe;
    m_aState[3] = 0x10325476;
    m_nBytes = 0;
}

void CMd5::Update(const void* p, size_t n) {
    if (n == 0 || p == nullptr) return;
    const auto* pb = static_cast<const uint8_t*>(p);
    const size_t nHeld = static_cast<size_t>(m_nBytes & 63);
    m_nBytes += n;

    if (nHeld != 0) {
        const size_t nFree = 64 - nHeld;
        if (n < nFree) {
            std::memcpy(m_abBlock + nHeld, pb, n);
            return;
        }
        std::memcpy(m_abBlock + nHeld, pb, nFree);
        ProcessBlocks(m_aState, m_abBlock, 1);
        pb += nFree;
        n -= nFree;
    }

    const size_t nBlocks = n / 64;
    if (nBlocks != 0) {
        ProcessBlocks(m_aState, pb, nBlocks);
        pb += nBlocks * 64;
        n -= nBlocks * 64;
    }
    if (n != 0) std::memcpy(m_abBlock, pb, n);
}

void CMd5::Final(uint8_t digest[kMd5DigestSize]) {
    const uint64_t nBits = m_nBytes << 3;
    const size_t nHeld = static_cast<size_t>(m_nBytes & 63);

    // 0x80, zeros up to 56 mod 64, then the bit count little-endian.
    uint8_t abTail[64 + 8] = {0x80};
    const size_t nPad = nHeld < 56 ? 56 - nHeld : 120 - nHeld;
    for (size_t i = 0; i < 8; ++i)
        abTail[nPad + i] = static_cast<uint8_t>(nBits >> (8 * i));
    Update(abTail, nPad + 8);

    if (digest != nullptr) {
        for (size_t i = 0; i < 4; ++i) {
            const uint32_t v = m_aState[i];
            digest[4 * i] = static_cast<uint8_t>(v);
            digest[4 * i + 1] = static_cast<uint8_t>(v >> 8);
            digest[4 * i + 2] = static_cast<uint8_t>(v >> 16);
            digest[4 * i + 3] = static_cast<uint8_t>(v >> 24);
        }
    }
    Init();
    std::memset(m_abBlock, 0, sizeof m_abBlock);
}

bool CMd5::FinalHex(char* psz, size_t nSize) {
    if (psz == nullptr || nSize < kMd5HexSize) {
        if (psz != nullptr && nSize > 0) psz[0] = '\0';
        return false;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    uint8_t digest[kMd5DigestSize];
    Final(digest);
    for (size_t i = 0; i < kMd5DigestSize; ++i) {
        psz[2 * i] = kDigits[digest[i] >> 4];
        psz[2 * i + 1] = kDigits[digest[i] & 0x0F];
    }
    psz[2 * kMd5DigestSize] = '\0';
    return true;
}

std::string CMd5::HexOf(const void* p, size_t n) {
    CMd5 md5;
    md5.Update(p, n);
    char sz[kMd5HexSize];
    md5.FinalHex(sz, sizeof sz);
    return sz;
}

} // namespace tervik
