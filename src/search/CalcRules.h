#pragma once

// The five converters of "Diverse Umrechnungen" and what "Was ist das? ..." puts into
// them from the marked text, without the dialog. Texts are cp1252 except where a
// converter must see the UTF-16 units the user typed.

#include <cstddef>
#include <string>
#include <string_view>

namespace tervik {

// Longest inputs the dialog accepts.
inline constexpr int kCalcHexToDecMax = 255;
inline constexpr int kCalcDecToHexMax = 20;
inline constexpr int kCalcTextToHexMax = 255;
inline constexpr int kCalcHexToTextMax = 511;
inline constexpr int kCalcDecToTextMax = 511;

// The two output fields of a converter; a German message in the first when the input
// cannot be converted, both empty for an empty input.
struct CalcOutputs {
    std::string m_first;
    std::string m_second;
    bool operator==(const CalcOutputs&) const = default;
};

// "Hex auf Dez": the digits padded to 4, 8 or 16 (an odd count gets a leading 0
// first) as "0x<digits>=<unsigned value>", then the same with the bytes reversed.
// Blanks and a leading "0x" are ignored; more than 16 digits do not fit.
CalcOutputs CalcHexToDec(std::string_view input);

// "Dez auf Hex": the value as an unsigned 32-bit number ("-1" is 0xffffffff) as
// 0x%.8x, then with its four bytes reversed.
CalcOutputs CalcDecToHex(std::string_view input);

// "Text auf Hex": each cp1252 byte as %.2x, then each UTF-16 unit as %.4x, separated
// by single blanks. A character cp1252 lacks is one '?' (3f).
CalcOutputs CalcTextToHex(std::u16string_view text);

// "Hex auf Text": the hex digits in pairs, each a byte; anything else (blanks,
// commas, "0x" in front of a number) separates; an odd last digit is dropped; bytes
// below 0x20 show as '.'.
std::string CalcHexToText(std::string_view input);

// "Dez auf Text": decimal numbers separated by anything that is not a digit, each
// the byte of its low 8 bits; bytes below 0x20 show as '.'.
std::string CalcDecToText(std::string_view input);

// What the dialog opens with; an empty field stays empty and unconverted.
struct CalcPrefillValues {
    std::string m_text;      // "Text auf Hex"
    std::string m_hexString; // "Hex auf Text": all hex digits, more than 8
    std::string m_hexValue;  // "Hex auf Dez": all hex digits, at most 8, lower case
    std::string m_decimal;   // "Dez auf Hex": all decimal digits
    bool operator==(const CalcPrefillValues&) const = default;
};

// From the marked text (cp1252, possibly empty, possibly several lines): its first
// line, at most 63 characters, without blanks and tabs.
CalcPrefillValues CalcPrefill(std::string_view marked);

} // namespace tervik
