#include "search/SearchDialogRules.h"

#include "search/SearchPattern.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tervik {

namespace {
bool IsHexDigit(char c) {
    return HexDigitValue(c) >= 0;
}
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    return (std::tolower(static_cast<unsigned char>(c)) - 'a' + 10) & 0xF;
}
} // namespace

std::string ComposePatternLine(std::string_view text, uint32_t nFlags) {
    if (text.empty()) return {};
    std::string letters;
    if (nFlags & SF_MATCH_CASE) letters += 'C';
    if (nFlags & SF_OEM_TEXT) letters += 'O';
    if (nFlags & SF_EBCDIC_TEXT) letters += 'E';
    if (nFlags & SF_HEX_STRING)
        letters += 'X';
    else if (nFlags & SF_C_ESCAPES)
        letters += '\\';
    if (nFlags & SF_UTF16_LE)
        letters += 'U';
    else if (nFlags & SF_UTF16_BE)
        letters += "UB";
    else if (nFlags & SF_UTF8)
        letters += "U8";
    else if (nFlags & SF_WILDCARDS)
        letters += '*';
    std::string line =
        letters.empty() ? std::string(text) : "%FLAGS(" + letters + ")" + std::string(text);
    if (line.size() > kMaxPatternText) line.resize(kMaxPatternText);
    return line;
}

std::string TextToHex(std::string_view text, uint32_t nFlags) {
    std::string bytes(text);
    const uint32_t nDecode = nFlags & (SF_C_ESCAPES | SF_UTF16_LE | SF_UTF16_BE | SF_UTF8);
    if (nDecode != 0) bytes = DecodePattern(ComposePatternLine(text, nDecode)).m_bytes;
    std::string hex;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        char buf[3];
        std::snprintf(buf, sizeof buf, "%02x", c);
        hex += buf;
    }
    return hex;
}

std::string HexToText(std::string_view hex, bool& bEscapes) {
    bEscapes = false;
    std::string text;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        const auto b = static_cast<unsigned char>(HexValue(hex[i]) << 4 | HexValue(hex[i + 1]));
        switch (b) {
        case '\t':
            text += "\\t";
            bEscapes = true;
            break;
        case '\n':
            text += "\\n";
            bEscapes = true;
            break;
        case '\v':
            text += "\\v";
            bEscapes = true;
            break;
        case '\r':
            text += "\\r";
            bEscapes = true;
            break;
        case '\\':
            text += "\\\\";
            bEscapes = true;
            break;
        default:
            if (b >= 0x20 && b != 0x7F) {
                text += static_cast<char>(b);
            } else {
                char buf[5];
                std::snprintf(buf, sizeof buf, "\\x%02x", b);
                text += buf;
                bEscapes = true;
            }
        }
    }
    return text;
}

std::string KeepHexDigits(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (IsHexDigit(c)) digits += c;
    return digits;
}

std::string DoubleBackslashes(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '\\') out += '\\';
    }
    return out;
}

bool HasRealEscapes(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') continue;
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            ++i; // a doubled backslash is no escape
            continue;
        }
        return true;
    }
    return false;
}

std::string RemoveEscapes(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 >= text.size()) break; // a lone backslash at the end goes
        const char next = text[i + 1];
        if (next == '\\') {
            out += '\\';
            ++i;
        } else if (next == 'x' || next == 'X') {
            // "\x" goes with its two digits (fewer at the end of the text).
            i = std::min(i + 3, text.size() - 1);
        } else {
            ++i; // the escape and its character
        }
    }
    return out;
}

} // namespace tervik
