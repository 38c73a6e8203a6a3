#include "search/SearchPattern.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace tervik {

namespace {

constexpr size_t kBufferSize = kMaxPatternText + 1;
constexpr char kPrefix[] = "%FLAGS(";
constexpr size_t kPrefixLen = sizeof kPrefix - 1;
constexpr size_t kMaxOptions = 31;
// Unicode conversions take this much of the text.
constexpr size_t kMaxConverted = 64;

// Hex digit value; anything else counts as 0 so a mistyped string still gives bytes.
uint8_t HexValue(uint8_t c) {
    return static_cast<uint8_t>(std::max(0, HexDigitValue(static_cast<char>(c))));
}

uint8_t HexByte(uint8_t hi, uint8_t lo) {
    return static_cast<uint8_t>(HexValue(hi) << 4 | HexValue(lo));
}

uint32_t OptionFlags(const uint8_t* opt, size_t n) {
    uint32_t nFlags = 0;
    bool bSeenU = false;
    for (size_t i = 0; i < n; ++i) {
        switch (opt[i]) {
        case 'C':
            nFlags |= SF_MATCH_CASE;
            break;
        case 'O':
            nFlags |= SF_OEM_TEXT;
            break;
        case 'E':
            nFlags |= SF_EBCDIC_TEXT;
            break;
        case 'X':
            nFlags |= SF_HEX_STRING;
            break;
        case '\\':
            nFlags |= SF_C_ESCAPES;
            break;
        case '*':
            nFlags |= SF_WILDCARDS;
            break;
        case 'U':
            // Only the first U counts; the letter behind it picks the form.
            if (bSeenU) break;
            bSeenU = true;
            if (i + 1 < n && opt[i + 1] == '8')
                nFlags |= SF_UTF8;
            else if (i + 1 < n && opt[i + 1] == 'B')
                nFlags |= SF_UTF16_BE;
            else
                nFlags |= SF_UTF16_LE;
            break;
        default:
            break;
        }
    }
    return nFlags;
}

// Replaces C escapes in place; answers the new length. A product is never rescanned.
size_t ReplaceEscapes(uint8_t* p, size_t n) {
    size_t nOut = 0;
    size_t i = 0;
    while (i < n) {
        const uint8_t c = p[i];
        if (c != '\\' || i + 1 >= n) {
            p[nOut++] = c;
            ++i;
            continue;
        }
        const uint8_t e = p[i + 1];
        uint8_t b = 0;
        size_t nUsed = 2;
        switch (e) {
        case 'a':
        case 'A':
            b = 0x07;
            break;
        case 'b':
        case 'B':
            b = 0x08;
            break;
        case 'f':
        case 'F':
            b = 0x0C;
            break;
        case 'n':
        case 'N':
            b = 0x0A;
            break;
        case 'r':
        case 'R':
            b = 0x0D;
            break;
        case 't':
        case 'T':
            b = 0x09;
            break;
        case 'v':
        case 'V':
            b = 0x0B;
            break;
        case 'x':
        case 'X':
            if (i + 3 >= n) {
                // Too short for a byte value: the backslash stays as typed.
                p[nOut++] = c;
                ++i;
                continue;
            }
            b = HexByte(p[i + 2], p[i + 3]);
            nUsed = 4;
            break;
        default:
            b = e;
            break;
        }
        p[nOut++] = b;
        i += nUsed;
    }
    return nOut;
}

size_t Utf8Length(char16_t u) {
    return u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
}

// cp1252 text -> UTF-16 or UTF-8 bytes in out (kMaxPatternText bytes).
size_t ConvertUnicode(const uint8_t* text, size_t n, uint32_t nFlags, uint8_t* out) {
    n = std::min(n, kMaxConverted);
    size_t nOut = 0;
    if (nFlags & (SF_UTF16_LE | SF_UTF16_BE)) {
        const bool bBig = !(nFlags & SF_UTF16_LE);
        for (size_t i = 0; i < n; ++i) {
            const char16_t u = Cp1252ToUnicode(text[i]);
            const auto lo = static_cast<uint8_t>(u & 0xFF);
            const auto hi = static_cast<uint8_t>(u >> 8);
            out[nOut++] = bBig ? hi : lo;
            out[nOut++] = bBig ? lo : hi;
        }
        return nOut;
    }
    // UTF-8: whole characters only, as many as fit. cp1252 has no character outside
    // the BMP, so each is one UTF-16 unit.
    for (size_t i = 0; i < n; ++i) {
        const char16_t u = Cp1252ToUnicode(text[i]);
        if (nOut + Utf8Length(u) > static_cast<size_t>(kMaxPatternText)) break;
        if (u < 0x80) {
            out[nOut++] = static_cast<uint8_t>(u);
        } else if (u < 0x800) {
            out[nOut++] = static_cast<uint8_t>(0xC0 | u >> 6);
            out[nOut++] = static_cast<uint8_t>(0x80 | (u & 0x3F));
        } else {
            out[nOut++] = static_cast<uint8_t>(0xE0 | u >> 12);
            out[nOut++] = static_cast<uint8_t>(0x80 | (u >> 6 & 0x3F));
            out[nOut++] = static_cast<uint8_t>(0x80 | (u & 0x3F));
        }
    }
    return nOut;
}

} // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int DecodeSearchPattern(char* pszBuffer, uint32_t& nFlags) {
    nFlags = 0;
    auto* buf = reinterpret_cast<uint8_t*>(pszBuffer);
    buf[kMaxPatternText] = 0;
    const size_t nLen = std::strlen(pszBuffer);
    if (nLen == 0) return 0;

    uint8_t upper[kBufferSize];
    std::memcpy(upper, buf, nLen + 1);
    UpperBuffer1252(upper, nLen);
    if (nLen < kPrefixLen || std::memcmp(upper, kPrefix, kPrefixLen) != 0) {
        if (nLen > kPrefixLen && upper[0] == '%' &&
            std::memcmp(upper + 1, kPrefix, kPrefixLen) == 0) {
            std::memmove(buf, buf + 1, nLen); // with the NUL
            return static_cast<int>(nLen - 1);
        }
        return static_cast<int>(nLen);
    }

    const auto* pClose =
        static_cast<const uint8_t*>(std::memchr(upper + kPrefixLen, ')', nLen - kPrefixLen));
    const size_t nClose = pClose ? static_cast<size_t>(pClose - upper) : nLen;
    if (nClose + 1 >= nLen) {
        // No ")" or nothing behind it: nothing to search.
        buf[0] = 0;
        return 0;
    }
    const size_t nText = nLen - nClose - 1;
    nFlags = OptionFlags(upper + kPrefixLen, std::min(nClose - kPrefixLen, kMaxOptions));

    uint8_t work[kBufferSize];
    size_t nOut = 0;
    if (nFlags & SF_HEX_STRING) {
        const uint8_t* hex = upper + nClose + 1;
        size_t i = 0;
        if (nText % 2) work[nOut++] = HexByte('0', hex[i++]);
        for (; i + 1 < nText && nOut < kMaxConverted; i += 2)
            work[nOut++] = HexByte(hex[i], hex[i + 1]);
    } else {
        nOut = nText;
        std::memcpy(work, buf + nClose + 1, nText);
        if (nFlags & SF_C_ESCAPES) nOut = ReplaceEscapes(work, nOut);
        if (nFlags & (SF_UTF16_LE | SF_UTF16_BE | SF_UTF8)) {
            uint8_t text[kBufferSize];
            std::memcpy(text, work, nOut);
            nOut = ConvertUnicode(text, nOut, nFlags, work);
        }
    }
    std::memcpy(buf, work, nOut);
    buf[nOut] = 0;
    return static_cast<int>(nOut);
}

SearchPattern DecodePattern(std::string_view line) {
    char buf[kBufferSize] = {};
    const size_t n = std::min(line.size(), static_cast<size_t>(kMaxPatternText));
    std::memcpy(buf, line.data(), n);
    SearchPattern result;
    const int nBytes = DecodeSearchPattern(buf, result.m_nFlags);
    result.m_bytes.assign(buf, static_cast<size_t>(nBytes));
    return result;
}

PatternParts SplitPatternLine(std::string_view line) {
    const std::string_view prefix(kPrefix, kPrefixLen);
    if (line.size() < prefix.size() || !EqualNoCase(line.substr(0, prefix.size()), prefix))
        return {std::string(line), 0};
    const size_t nClose = line.find(')', prefix.size());
    if (nClose == std::string_view::npos) return {std::string(line), 0};
    std::string options(line.substr(prefix.size(), std::min(nClose - prefix.size(), kMaxOptions)));
    UpperBuffer1252(reinterpret_cast<uint8_t*>(options.data()), options.size());
    return {std::string(line.substr(nClose + 1)),
            OptionFlags(reinterpret_cast<const uint8_t*>(options.data()), options.size())};
}

int CountWildcardStars(const char* p, int n) {
    if (!p || n <= 0) return 0;
    return static_cast<int>(std::count(p, p + n, '*'));
}

bool MatchWildcard(const char* pszText, const char* pszPattern, char cAny, char cOne, int& nPos,
                   int& nLength) {
    if (nPos < 0) return false;
    const auto* text = reinterpret_cast<const uint8_t*>(pszText);
    const auto* pat = reinterpret_cast<const uint8_t*>(pszPattern);
    const auto any = static_cast<uint8_t>(cAny);
    const auto one = static_cast<uint8_t>(cOne);
    // The pattern's NUL is neither wildcard and matches no text byte (text bytes
    // compared are never NUL).
    auto isAny = [&](uint8_t c) { return any != 0 && c == any; };
    auto matches = [&](uint8_t c, uint8_t t) { return c == t || (one != 0 && c == one); };

    size_t p = static_cast<size_t>(nPos); // hit start
    size_t n = 0;                         // hit length
    size_t t = p;
    size_t k = 0;
    auto hit = [&] {
        nPos = static_cast<int>(p);
        nLength = static_cast<int>(n);
        return true;
    };
    while (!isAny(pat[k])) {
        if (text[t] == 0) break;
        if (!matches(pat[k], text[t])) return false;
        ++k;
        ++t;
        ++n;
    }
    size_t nRestart = k;
    size_t nRetry = t;
    while (text[t] != 0) {
        const uint8_t c = pat[k];
        if (c != 0) ++k;
        if (isAny(c)) {
            // A trailing run: the hit ends before it.
            if (pat[k] == 0) return hit();
            nRestart = k;
            nRetry = t + 1;
        } else if (matches(c, text[t])) {
            ++n;
            ++t;
        } else {
            t = nRetry;
            k = nRestart;
            if (nRetry == p + 1) {
                // Still on the leading run: the hit starts later.
                p = nRetry;
                n = 0;
            } else {
                n = nRetry - p;
            }
            ++nRetry;
        }
    }
    while (isAny(pat[k]))
        ++k;
    return pat[k] == 0 ? hit() : false;
}

bool MatchWildcardPlain(const char* pszText, const char* pszPattern, char cAny, char cOne) {
    const auto* t = reinterpret_cast<const uint8_t*>(pszText);
    const auto* p = reinterpret_cast<const uint8_t*>(pszPattern);
    const auto any = static_cast<uint8_t>(cAny);
    const auto one = static_cast<uint8_t>(cOne);
    const uint8_t* pStar = nullptr; // behind the last run seen
    const uint8_t* tStar = nullptr; // where that run's next try begins
    while (*t) {
        if (any && *p == any) {
            pStar = ++p;
            tStar = t;
        } else if (*p && (*p == *t || (one && *p == one))) {
            ++p;
            ++t;
        } else if (pStar) {
            p = pStar;
            t = ++tStar;
        } else {
            return false;
        }
    }
    while (any && *p == any)
        ++p;
    return *p == 0;
}

} // namespace tervik
