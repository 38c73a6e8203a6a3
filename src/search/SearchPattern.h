#pragma once

// Search patterns: one line of cp1252 text, optionally led by "%FLAGS(letters)", decoded
// into the compare bytes and option flags; and the wildcard matcher of wildcard
// searches and the line selection.

#include <cstdint>
#include <string>
#include <string_view>

namespace tervik {

inline constexpr uint32_t SF_MATCH_CASE = 0x001;  // C
inline constexpr uint32_t SF_OEM_TEXT = 0x002;    // O: the file is OEM text
inline constexpr uint32_t SF_EBCDIC_TEXT = 0x004; // E: the file is EBCDIC text
inline constexpr uint32_t SF_HEX_STRING = 0x008;  // X
inline constexpr uint32_t SF_C_ESCAPES = 0x010;   // backslash
inline constexpr uint32_t SF_UTF16_LE = 0x020;    // U
inline constexpr uint32_t SF_UTF16_BE = 0x040;    // UB
inline constexpr uint32_t SF_UTF8 = 0x080;        // U8
inline constexpr uint32_t SF_WILDCARDS = 0x100;   // *

// Longest pattern line and longest decoded byte sequence.
inline constexpr int kMaxPatternText = 128;

// The value of a hex digit (either case), -1 for any other character.
int HexDigitValue(char c);

// Decodes the pattern line in pszBuffer (kMaxPatternText + 1 bytes, NUL-terminated
// text in; a longer text is cut) in place. Answers the number of compare bytes now at
// the start of the buffer (0: nothing to search) and sets nFlags. The bytes may hold
// NULs (hex, "\x00", UTF-16); a NUL is always written behind them, so wildcard
// callers can pass the buffer on as a C string. Non-hex digits of a hex string
// count as 0.
int DecodeSearchPattern(char* pszBuffer, uint32_t& nFlags);

struct SearchPattern {
    std::string m_bytes; // the compare bytes; empty: nothing to search
    uint32_t m_nFlags = 0;
};

// DecodeSearchPattern over a copy of the line; the line ends at its first NUL.
SearchPattern DecodePattern(std::string_view line);

// Number of '*' bytes among p[0..n).
int CountWildcardStars(const char* p, int n);

// Splits a pattern line into its text and its option flags as a dialog shows them:
// a line with the options prefix gives the text behind the first ")" and the flags
// of its letters; any other line is all text with no flags.
struct PatternParts {
    std::string m_text;
    uint32_t m_nFlags = 0;
};
PatternParts SplitPatternLine(std::string_view line);

// Matches pszPattern against pszText from column nPos up to the text's NUL (anchored at
// both ends). cAny matches any run, cOne one character; 0 switches either off. Bytes
// compare as they are; callers fold case beforehand. On a match nPos is the hit's
// column and nLength its length: leading and trailing runs are not part of the hit.
// nPos must not lie behind the text's NUL; a negative one never matches.
bool MatchWildcard(const char* pszText, const char* pszPattern, char cAny, char cOne, int& nPos,
                   int& nLength);

// The same decision over the whole text, without the hit.
bool MatchWildcardPlain(const char* pszText, const char* pszPattern, char cAny, char cOne);

} // namespace tervik
