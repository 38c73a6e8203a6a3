#pragma once

// MD5 message digest (RFC 1321), streamed: Init, any number of Update calls, then
// Final or FinalHex. Used for the file checksum, so the block function is tuned for
// throughput on large cached files.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tervik {

inline constexpr size_t kMd5DigestSize = 16;
inline constexpr size_t kMd5HexSize = 2 * kMd5DigestSize + 1; // with the NUL

class CMd5 {
public:
    CMd5() { Init(); }

    // Starts a new message.
    void Init();

    // Appends n bytes. Whole 64-byte blocks are hashed straight from p.
    void Update(const void* p, size_t n);

    // Pads, writes the 16 digest bytes and starts a new message.
    void Final(uint8_t digest[kMd5DigestSize]);

    // Like Final, as 32 lower-case hex digits and a NUL. A buffer shorter than
    // kMd5HexSize gets an empty string (if it has room for one), false is returned and
    // the message is left open, so the call can be repeated with a larger buffer.
    bool FinalHex(char* psz, size_t nSize);

    // The hex digest of one buffer.
    static std::string HexOf(const void* p, size_t n);

private:
    uint32_t m_aState[4] = {};
    uint64_t m_nBytes = 0; // message length so far; the bit count is taken mod 2^64
    uint8_t m_abBlock[64] = {};
};

} // namespace tervik
