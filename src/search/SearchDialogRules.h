#pragma once

// The text conversions of the search-string dialog, without the dialog: building a
// pattern line from a text and its options, and switching a text between plain
// characters, C escapes and hexadecimal digits.

#include <cstdint>
#include <string>
#include <string_view>

namespace tervik {

// The line the dialog hands back: the options prefix with the letters in their
// fixed order (C, O, E, then X or a backslash, then U, UB or U8, or else *) in front
// of the text, cut to 128 characters; the text alone when no option is set.
std::string ComposePatternLine(std::string_view text, uint32_t nFlags);

// Checking "Hexstring": the text (decoded first with C escapes or a Unicode form
// when those are set) as two lower-case hex digits per byte.
std::string TextToHex(std::string_view text, uint32_t nFlags);

// Clearing "Hexstring": the digits in pairs (an odd last digit dropped) back to text;
// TAB, LF, VT and CR as \t \n \v \r, a backslash doubled, other bytes that are not
// printable as \xhh. bEscapes tells whether any escape was written.
std::string HexToText(std::string_view hex, bool& bEscapes);

// Only the hex digits of a text.
std::string KeepHexDigits(std::string_view text);

// Checking "C Escape Sequenzen": every backslash doubled, so the text means the same.
std::string DoubleBackslashes(std::string_view text);
// Clearing it: whether the text holds an escape other than a doubled backslash (the
// dialog then asks first), and the text with the escapes removed.
bool HasRealEscapes(std::string_view text);
std::string RemoveEscapes(std::string_view text);

} // namespace tervik
