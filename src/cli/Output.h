#pragma once

// Buffered stdout for the subcommands that print one line per record.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace tervik::cli {

class COutput {
public:
    COutput() { m_nUsed = 0; }
    ~COutput() { Flush(); }
    COutput(const COutput&) = delete;
    COutput& operator=(const COutput&) = delete;

    void Put(std::string_view s) {
        if (s.size() > sizeof m_buf - m_nUsed) {
            Flush();
            if (s.size() > sizeof m_buf) {
                std::fwrite(s.data(), 1, s.size(), stdout);
                return;
            }
        }
        for (char c : s)
            m_buf[m_nUsed++] = c;
    }
    void Put(char c) {
        if (m_nUsed == sizeof m_buf) Flush();
        m_buf[m_nUsed++] = c;
    }
    void PutNumber(uint64_t n) {
        char tmp[24];
        const auto r = std::to_chars(tmp, tmp + sizeof tmp, n);
        Put(std::string_view(tmp, static_cast<size_t>(r.ptr - tmp)));
    }
    // Upper-case hex with a fixed number of digits.
    void PutHex(uint64_t n, int nDigits) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        char tmp[16];
        for (int i = nDigits - 1; i >= 0; --i, n >>= 4)
            tmp[i] = kDigits[n & 0xF];
        Put(std::string_view(tmp, static_cast<size_t>(nDigits)));
    }
    void Flush() {
        if (m_nUsed) std::fwrite(m_buf, 1, m_nUsed, stdout);
        m_nUsed = 0;
    }

private:
    char m_buf[1 << 16];
    size_t m_nUsed;
};

} // namespace tervik::cli
