#include "platform/CodePage.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tervik {

namespace {

// cp1252 0x80-0x9F; the undefined bytes keep their own value as C1 controls.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
};

// cp850 0x80-0xFF as Unicode.
constexpr char16_t kCp850High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, // 90
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, // A0
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, // B0
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, // C8
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, // D0
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, // D8
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, // E0
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4, // E8
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8, // F0
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0, // F8
};

// kCp1252High sorted by code point, so a character is found in five steps.
struct HighEntry {
    char16_t m_cp;
    uint8_t m_byte;
};
constexpr std::array<HighEntry, 32> MakeHighIndex() {
    std::array<HighEntry, 32> t{};
    for (size_t i = 0; i < 32; ++i)
        t[i] = {kCp1252High[i], static_cast<uint8_t>(0x80 + i)};
    std::sort(t.begin(), t.end(), [](HighEntry a, HighEntry b) { return a.m_cp < b.m_cp; });
    return t;
}
constexpr std::array<HighEntry, 32> kHighIndex = MakeHighIndex();

constexpr uint8_t ToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<uint8_t>(cp);
    // Only the C1 values that stand in for cp1252's holes come back as themselves.
    if (cp < 0xA0) {
        return (cp == 0x81 || cp == 0x8D || cp == 0x8F || cp == 0x90 || cp == 0x9D)
                   ? static_cast<uint8_t>(cp)
                   : kDefaultChar;
    }
    const auto* it = std::lower_bound(kHighIndex.begin(), kHighIndex.end(), cp,
                                      [](HighEntry e, char32_t c) { return e.m_cp < c; });
    return it != kHighIndex.end() && it->m_cp == cp ? it->m_byte : kDefaultChar;
}

constexpr bool IsHorizontalLine(char32_t cp) {
    switch (cp) {
    case 0x2500:
    case 0x2501:
    case 0x2504:
    case 0x2505:
    case 0x2508:
    case 0x2509:
    case 0x254C:
    case 0x254D:
    case 0x2550:
    case 0x2574:
    case 0x2576:
    case 0x2578:
    case 0x257A:
    case 0x257C:
    case 0x257E:
        return true;
    default:
        return false;
    }
}

constexpr bool IsVerticalLine(char32_t cp) {
    switch (cp) {
    case 0x2502:
    case 0x2503:
    case 0x2506:
    case 0x2507:
    case 0x250A:
    case 0x250B:
    case 0x254E:
    case 0x254F:
    case 0x2551:
    case 0x2575:
    case 0x2577:
    case 0x2579:
    case 0x257B:
    case 0x257D:
    case 0x257F:
        return true;
    default:
        return false;
    }
}

// Nearest cp1252 look-alike for what cp1252 lacks, so OEM tables and frames stay legible.
constexpr uint8_t BestFit(char32_t cp) {
    uint8_t b = ToCp1252(cp);
    if (b != kDefaultChar) return b;
    if (cp >= 0x2500 && cp <= 0x257F) {
        if (IsHorizontalLine(cp)) return '-';
        if (IsVerticalLine(cp)) return '|';
        return '+';
    }
    if (cp == 0x0131) return 'i';
    if (cp == 0x2017) return '_';
    return kDefaultChar;
}

constexpr std::array<uint8_t, 256> MakeOemTable() {
    std::array<uint8_t, 256> t{};
    for (size_t i = 0; i < 0x80; ++i)
        t[i] = static_cast<uint8_t>(i);
    for (size_t i = 0; i < 0x80; ++i)
        t[0x80 + i] = BestFit(kCp850High[i]);
    return t;
}

// Case pairs outside the plain a-z / 0xE0-0xFE ranges.
constexpr uint8_t kExtraPairs[][2] = {{0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};

constexpr std::array<uint8_t, 256> MakeUpperTable() {
    std::array<uint8_t, 256> t{};
    for (size_t i = 0; i < 256; ++i)
        t[i] = static_cast<uint8_t>(i);
    for (size_t i = 'a'; i <= 'z'; ++i)
        t[i] = static_cast<uint8_t>(i - 0x20);
    // 0xF7 is the division sign, not a letter.
    for (size_t i = 0xE0; i <= 0xFE; ++i) {
        if (i != 0xF7) t[i] = static_cast<uint8_t>(i - 0x20);
    }
    for (const auto& pair : kExtraPairs)
        t[pair[0]] = pair[1];
    return t;
}

constexpr std::array<uint8_t, 256> MakeLowerTable() {
    std::array<uint8_t, 256> t{};
    for (size_t i = 0; i < 256; ++i)
        t[i] = static_cast<uint8_t>(i);
    for (size_t i = 'A'; i <= 'Z'; ++i)
        t[i] = static_cast<uint8_t>(i + 0x20);
    for (size_t i = 0xC0; i <= 0xDE; ++i) {
        if (i != 0xD7) t[i] = static_cast<uint8_t>(i + 0x20);
    }
    for (const auto& pair : kExtraPairs)
        t[pair[1]] = pair[0];
    return t;
}

constexpr std::array<uint8_t, 256> kOemTable = MakeOemTable();
constexpr std::array<uint8_t, 256> kUpperTable = MakeUpperTable();
constexpr std::array<uint8_t, 256> kLowerTable = MakeLowerTable();

constexpr bool InRange(uint8_t b, uint8_t lo, uint8_t hi) {
    return b >= lo && b <= hi;
}

// Length of the ASCII run at p, checked a word at a time.
size_t AsciiRun(const uint8_t* p, size_t n) {
    size_t i = 0;
    while (n - i >= 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (w & 0x8080808080808080ULL) break;
        i += 8;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

// Decodes one non-ASCII sequence at src[0..n). Answers its length and the code point,
// or 0 when the lead byte does not start a well-formed sequence.
size_t DecodeSequence(const uint8_t* src, size_t n, char32_t& cp) {
    const uint8_t lead = src[0];
    size_t len;
    // Bounds for the second byte exclude overlong forms, surrogates and > U+10FFFF.
    uint8_t lo = 0x80;
    uint8_t hi = 0xBF;
    if (InRange(lead, 0xC2, 0xDF)) {
        len = 2;
        cp = lead & 0x1Fu;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        len = 3;
        cp = lead & 0x0Fu;
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED) hi = 0x9F;
    } else if (InRange(lead, 0xF0, 0xF4)) {
        len = 4;
        cp = lead & 0x07u;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (n < len) return 0;
    if (!InRange(src[1], lo, hi)) return 0;
    cp = (cp << 6) | (src[1] & 0x3Fu);
    for (size_t i = 2; i < len; ++i) {
        if (!InRange(src[i], 0x80, 0xBF)) return 0;
        cp = (cp << 6) | (src[i] & 0x3Fu);
    }
    return len;
}

} // namespace

char16_t Cp1252ToUnicode(uint8_t b) {
    if (b >= 0x80 && b < 0xA0) return kCp1252High[b - 0x80];
    return b;
}

uint8_t UnicodeToCp1252(char32_t cp) {
    return ToCp1252(cp);
}

uint8_t Utf16UnitToCp1252(uint16_t unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) return kDefaultChar;
    return ToCp1252(unit);
}

void OemToAnsi(const uint8_t* src, uint8_t* dst, size_t n) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = kOemTable[src[i]];
}

size_t Utf8ToCp1252(const uint8_t* src, size_t n, uint8_t* dst) {
    size_t in = 0;
    size_t out = 0;
    while (in < n) {
        const size_t run = AsciiRun(src + in, n - in);
        if (run > 0) {
            // memmove: converting in place is safe since out never passes in.
            std::memmove(dst + out, src + in, run);
            in += run;
            out += run;
            if (in == n) break;
        }
        char32_t cp = 0;
        const size_t len = DecodeSequence(src + in, n - in, cp);
        if (len == 0) {
            // Drop only the lead byte; what follows is looked at afresh.
            dst[out++] = kDefaultChar;
            ++in;
        } else {
            dst[out++] = ToCp1252(cp);
            in += len;
        }
    }
    return out;
}

Cp1252String Utf8ToCp1252(std::string_view utf8) {
    std::string out(utf8.size(), '\0');
    if (utf8.empty()) return out;
    const size_t n = Utf8ToCp1252(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size(),
                                  reinterpret_cast<uint8_t*>(out.data()));
    out.resize(n);
    return out;
}

size_t Utf8ToUnicode(const uint8_t* src, size_t n, char32_t* dst) {
    size_t in = 0;
    size_t out = 0;
    while (in < n) {
        if (src[in] < 0x80) {
            dst[out++] = src[in++];
            continue;
        }
        char32_t cp = 0;
        const size_t len = DecodeSequence(src + in, n - in, cp);
        dst[out++] = len == 0 ? char32_t{0xFFFD} : cp;
        in += len == 0 ? 1 : len;
    }
    return out;
}

Utf8Verdict ClassifyUtf8(const uint8_t* p, size_t n, size_t* pCut) {
    if (pCut) *pCut = 0;
    bool bMulti = false;
    size_t i = 0;
    while (i < n) {
        i += AsciiRun(p + i, n - i);
        if (i == n) break;
        char32_t cp = 0;
        const size_t len = DecodeSequence(p + i, n - i, cp);
        if (len != 0) {
            bMulti = true;
            i += len;
            continue;
        }
        // Malformed, or only cut off: filled up with continuation bytes, a cut
        // sequence becomes whole.
        const size_t nLeft = n - i;
        if (nLeft >= 4) return Utf8Verdict::NotUtf8;
        uint8_t whole[4] = {0x80, 0x80, 0x80, 0x80};
        std::memcpy(whole, p + i, nLeft);
        const bool bLeadOnly = nLeft == 1 && InRange(p[i], 0xC2, 0xF4);
        if (!bLeadOnly && (nLeft == 1 || DecodeSequence(whole, 4, cp) <= nLeft))
            return Utf8Verdict::NotUtf8;
        if (pCut) *pCut = nLeft;
        break;
    }
    return bMulti ? Utf8Verdict::Utf8 : Utf8Verdict::Undecided;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendCharsUtf8(std::string& out, const char32_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        char32_t c = p[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (p[i + 1] - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        } else if (c > 0x10FFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
}

std::string Cp1252ToUtf8(Cp1252View cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (const char c : cp1252)
        AppendUtf8(out, Cp1252ToUnicode(static_cast<uint8_t>(c)));
    return out;
}

Cp1252String PathToAnsi(std::string_view path) {
    // Paths are UTF-8 inside the program on every system.
    return Utf8ToCp1252(path);
}

uint8_t ToUpper1252(uint8_t b) {
    return kUpperTable[b];
}

uint8_t ToLower1252(uint8_t b) {
    return kLowerTable[b];
}

const uint8_t* UpperTable1252() {
    return kUpperTable.data();
}

const uint8_t* LowerTable1252() {
    return kLowerTable.data();
}

void UpperBuffer1252(uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        p[i] = kUpperTable[p[i]];
}

void LowerBuffer1252(uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        p[i] = kLowerTable[p[i]];
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (kUpperTable[static_cast<uint8_t>(a[i])] != kUpperTable[static_cast<uint8_t>(b[i])])
            return false;
    }
    return true;
}

} // namespace tervik
