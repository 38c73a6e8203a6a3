#pragma once

// Character sets. The program's single-byte text ("ANSI") is Windows-1252: patterns,
// histories, settings and display text are cp1252 bytes. Everything here is table
// driven and allocation free except the std::string helpers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tervik {

// Text in the program's code page: display text, patterns, messages of the string
// table. Not a path (native bytes, UTF-8) and not UTF-8: it crosses to either only
// through the conversions below and those of the Qt layer (FromAnsi, ToAnsi).
using Cp1252String = std::string;
using Cp1252View = std::string_view;

// Substitute for characters cp1252 cannot represent.
inline constexpr uint8_t kDefaultChar = '?';

// cp1252 byte -> Unicode. The five bytes cp1252 leaves undefined (81 8D 8F 90 9D)
// map to the C1 controls of the same value, so the mapping is one to one.
char16_t Cp1252ToUnicode(uint8_t b);

// Unicode code point -> cp1252 byte, kDefaultChar when there is none.
uint8_t UnicodeToCp1252(char32_t cp);

// One UTF-16 code unit -> cp1252, character by character; surrogates and units
// without a cp1252 character give kDefaultChar.
uint8_t Utf16UnitToCp1252(uint16_t unit);

// Code page 850 (the OEM code page) -> cp1252, byte by byte. Exact where cp1252 has
// the character; box drawing becomes '+', '-' or '|'; anything else without an
// equivalent becomes kDefaultChar. Bytes below 0x80 are unchanged. src and dst may
// be the same buffer.
void OemToAnsi(const uint8_t* src, uint8_t* dst, size_t n);

// UTF-8 -> cp1252, one output byte per decoded character. Characters without a
// cp1252 byte become kDefaultChar, and so does every byte of a malformed sequence
// (bad lead byte, missing continuation, overlong form, surrogate, beyond U+10FFFF).
// Never reads beyond src + n. dst must hold n bytes; answers the bytes written.
size_t Utf8ToCp1252(const uint8_t* src, size_t n, uint8_t* dst);
Cp1252String Utf8ToCp1252(std::string_view utf8);
// UTF-8 -> code points, one per character Utf8ToCp1252 gives, in the same steps:
// every byte of a malformed sequence becomes U+FFFD. dst must hold n code points.
size_t Utf8ToUnicode(const uint8_t* src, size_t n, char32_t* dst);

// What bytes without a byte-order mark say about UTF-8: only ASCII (or nothing) so
// far, valid UTF-8 with at least one multi-byte sequence, or not UTF-8. A sequence
// cut off at the end is no fault: pCut (when given) gets its length, so that a check
// of more data can begin with it.
enum class Utf8Verdict { Undecided, Utf8, NotUtf8 };
Utf8Verdict ClassifyUtf8(const uint8_t* p, size_t n, size_t* pCut = nullptr);

// A code point as UTF-8, appended.
void AppendUtf8(std::string& out, char32_t cp);
// Characters as UTF-8, appended: a pair of UTF-16 surrogates (as a UTF-16 document's
// characters come) is one character, a lone surrogate becomes U+FFFD.
void AppendCharsUtf8(std::string& out, const char32_t* p, size_t n);

// cp1252 -> UTF-8, for the edges where text leaves the program (terminal, Qt).
std::string Cp1252ToUtf8(Cp1252View cp1252);

// A file path (native bytes: UTF-8 here) as cp1252 text, for the messages that name
// it; characters without a cp1252 byte become kDefaultChar.
Cp1252String PathToAnsi(std::string_view path);

// Case tables of cp1252 (letters with a partner inside cp1252 only).
uint8_t ToUpper1252(uint8_t b);
uint8_t ToLower1252(uint8_t b);
// 256-entry tables, for scanners that fold a byte per lookup.
const uint8_t* UpperTable1252();
const uint8_t* LowerTable1252();
void UpperBuffer1252(uint8_t* p, size_t n);
void LowerBuffer1252(uint8_t* p, size_t n);

// Equal after case folding (the program's "equal, ignoring case").
bool EqualNoCase(std::string_view a, std::string_view b);

} // namespace tervik
