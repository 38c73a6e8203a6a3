#include "search/CalcRules.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace tervik {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

unsigned HexValue(char c) {
    if (c <= '9') return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

std::string RemoveBlanks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (!IsBlank(c)) out += c;
    return out;
}

std::string Message(const char* pszUtf8) {
    return Utf8ToCp1252(pszUtf8);
}

std::string HexWithValue(std::string_view digits) {
    uint64_t v = 0;
    for (char c : digits)
        v = v << 4 | HexValue(c);
    char buf[32];
    std::snprintf(buf, sizeof buf, "=%llu", static_cast<unsigned long long>(v));
    return "0x" + std::string(digits) + buf;
}

char Shown(unsigned nByte) {
    return nByte < 0x20 ? '.' : static_cast<char>(nByte);
}

} // namespace

CalcOutputs CalcHexToDec(std::string_view input) {
    std::string digits = RemoveBlanks(input);
    if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.erase(0, 2);
    if (digits.empty()) return {};
    if (!std::all_of(digits.begin(), digits.end(), IsHexDigit))
        return {Message("Keine Hexzahl"), {}};
    // Up to 16 digits: a 64-bit value, shown like the 16- and 32-bit ones.
    if (digits.size() > 16) return {Message("Mehr als 16 Hexziffern"), {}};
    if (digits.size() % 2) digits.insert(0, 1, '0');
    const size_t nWidth = digits.size() <= 4 ? 4 : digits.size() <= 8 ? 8 : 16;
    digits.insert(0, nWidth - digits.size(), '0');
    std::string reversed;
    for (size_t i = digits.size(); i >= 2; i -= 2)
        reversed.append(digits, i - 2, 2);
    return {HexWithValue(digits), HexWithValue(reversed)};
}

CalcOutputs CalcDecToHex(std::string_view input) {
    while (!input.empty() && IsBlank(input.front()))
        input.remove_prefix(1);
    while (!input.empty() && IsBlank(input.back()))
        input.remove_suffix(1);
    if (input.empty()) return {};
    const bool bNegative = input.front() == '-';
    if (bNegative || input.front() == '+') input.remove_prefix(1);
    if (input.empty() || !std::all_of(input.begin(), input.end(), IsDigit))
        return {Message("Keine Dezimalzahl"), {}};
    // Negative numbers as their two's complement, so -2147483648 .. 4294967295 fit.
    const uint64_t nLimit = bNegative ? 0x80000000ull : 0xffffffffull;
    uint64_t v = 0;
    for (char c : input) {
        v = v * 10 + static_cast<unsigned>(c - '0');
        if (v > nLimit) return {Message("Zahl außerhalb von 32 Bit"), {}};
    }
    const uint32_t n = bNegative ? static_cast<uint32_t>(0x100000000ull - v) : uint32_t(v);
    const uint32_t r = (n >> 24) | ((n >> 8) & 0xff00u) | ((n << 8) & 0xff0000u) | (n << 24);
    char a[16], b[16];
    std::snprintf(a, sizeof a, "0x%.8x", n);
    std::snprintf(b, sizeof b, "0x%.8x", r);
    return {a, b};
}

CalcOutputs CalcTextToHex(std::u16string_view text) {
    CalcOutputs out;
    char buf[8];
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        // A surrogate pair is one character; a lone surrogate has no cp1252 byte.
        if (cp >= 0xd800 && cp < 0xdc00 && i + 1 < text.size() && text[i + 1] >= 0xdc00 &&
            text[i + 1] < 0xe000) {
            cp = 0x10000 + ((cp - 0xd800) << 10) + (text[i + 1] - 0xdc00u);
            ++i;
        } else if (cp >= 0xd800 && cp < 0xe000) {
            cp = 0xfffd;
        }
        std::snprintf(buf, sizeof buf, "%.2x", UnicodeToCp1252(cp));
        if (!out.m_first.empty()) out.m_first += ' ';
        out.m_first += buf;
    }
    for (char16_t u : text) {
        std::snprintf(buf, sizeof buf, "%.4x", static_cast<unsigned>(u));
        if (!out.m_second.empty()) out.m_second += ' ';
        out.m_second += buf;
    }
    return out;
}

std::string CalcHexToText(std::string_view input) {
    std::string out;
    int nHalf = -1;
    for (size_t i = 0; i < input.size(); ++i) {
        const char c = input[i];
        // "0x" in front of a number is a prefix, not a digit 0.
        if (c == '0' && i + 1 < input.size() && (input[i + 1] == 'x' || input[i + 1] == 'X') &&
            nHalf < 0 && (i == 0 || !IsHexDigit(input[i - 1]))) {
            ++i;
            continue;
        }
        if (!IsHexDigit(c)) continue;
        if (nHalf < 0) {
            nHalf = static_cast<int>(HexValue(c));
        } else {
            out += Shown(static_cast<unsigned>(nHalf) << 4 | HexValue(c));
            nHalf = -1;
        }
    }
    return out;
}

std::string CalcDecToText(std::string_view input) {
    std::string out;
    bool bInNumber = false;
    unsigned nByte = 0;
    for (char c : input) {
        if (IsDigit(c)) {
            // Only the low 8 bits count, so a long number cannot overflow.
            nByte = (nByte * 10 + static_cast<unsigned>(c - '0')) & 0xffu;
            bInNumber = true;
        } else if (bInNumber) {
            out += Shown(nByte);
            nByte = 0;
            bInNumber = false;
        }
    }
    if (bInNumber) out += Shown(nByte);
    return out;
}

CalcPrefillValues CalcPrefill(std::string_view marked) {
    const size_t nEnd = marked.find_first_of("\r\n");
    if (nEnd != std::string_view::npos) marked = marked.substr(0, nEnd);
    CalcPrefillValues v;
    v.m_text = RemoveBlanks(marked.substr(0, std::min<size_t>(marked.size(), 63)));
    if (v.m_text.empty()) return v;
    if (std::all_of(v.m_text.begin(), v.m_text.end(), IsDigit)) {
        // Written back as a number: without leading zeros.
        const size_t nFirst = v.m_text.find_first_not_of('0');
        v.m_decimal = nFirst == std::string::npos ? "0" : v.m_text.substr(nFirst);
    }
    if (std::all_of(v.m_text.begin(), v.m_text.end(), IsHexDigit)) {
        if (v.m_text.size() > 8) {
            v.m_hexString = v.m_text;
        } else {
            v.m_hexValue = v.m_text;
            for (char& c : v.m_hexValue)
                c = static_cast<char>(c | (c >= 'A' && c <= 'F' ? 0x20 : 0));
        }
    }
    return v;
}

} // namespace tervik
