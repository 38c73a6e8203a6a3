#include "search/CalcRules.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

TEST(CalcRules, HexToDecPadsAndReversesTheBytes) {
    struct Case {
        const char* input;
        CalcOutputs out;
    } cases[] = {
        {"12", {"0x0012=18", "0x1200=4608"}},
        {"1", {"0x0001=1", "0x0100=256"}},
        {"abc", {"0x0abc=2748", "0xbc0a=48138"}},
        {"12345", {"0x00012345=74565", "0x45230100=1159921920"}},
        {"FFFFFFFF", {"0xFFFFFFFF=4294967295", "0xFFFFFFFF=4294967295"}},
        {"0x 12 34", {"0x1234=4660", "0x3412=13330"}},
        {"123456789", {"0x0000000123456789=4886718345", "0x8967452301000000=9900958322440273920"}},
        {"ffffffffffffffff",
         {"0xffffffffffffffff=18446744073709551615", "0xffffffffffffffff=18446744073709551615"}},
        {"", {}},
        {"  ", {}},
        {"12g", {"Keine Hexzahl", ""}},
        {"10000000000000000", {"Mehr als 16 Hexziffern", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcHexToDec(c.input), c.out) << c.input;
}

TEST(CalcRules, DecToHexAsUnsigned32Bit) {
    struct Case {
        const char* input;
        CalcOutputs out;
    } cases[] = {
        {"255", {"0x000000ff", "0xff000000"}},
        {"0", {"0x00000000", "0x00000000"}},
        {" 305419896 ", {"0x12345678", "0x78563412"}},
        {"4294967295", {"0xffffffff", "0xffffffff"}},
        {"-1", {"0xffffffff", "0xffffffff"}},
        {"-2147483648", {"0x80000000", "0x00000080"}},
        {"", {}},
        {"4294967296",
         {"Zahl au\xdf"
          "erhalb von 32 Bit",
          ""}},
        {"-2147483649",
         {"Zahl au\xdf"
          "erhalb von 32 Bit",
          ""}},
        {"99999999999999999999",
         {"Zahl au\xdf"
          "erhalb von 32 Bit",
          ""}},
        {"12a", {"Keine Dezimalzahl", ""}},
        {"-", {"Keine Dezimalzahl", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcDecToHex(c.input), c.out) << c.input;
}

TEST(CalcRules, TextToHexBytesAndUnits) {
    // An umlaut: one cp1252 byte, one UTF-16 unit.
    EXPECT_EQ(CalcTextToHex(u"Aä"), (CalcOutputs{"41 e4", "0041 00e4"}));
    EXPECT_EQ(CalcTextToHex(u"€"), (CalcOutputs{"80", "20ac"}));
    // Outside cp1252: '?'; a surrogate pair is one character but two units.
    EXPECT_EQ(CalcTextToHex(u"α\U0001F600"), (CalcOutputs{"3f 3f", "03b1 d83d de00"}));
    EXPECT_EQ(CalcTextToHex(u""), (CalcOutputs{}));
}

TEST(CalcRules, HexAndDecimalToText) {
    struct Case {
        const char* input;
        const char* text;
    } hex[] = {
        {"48656c6c6f", "Hello"},
        {"48 65 6C", "Hel"}, // what "Text auf Hex" shows comes back
        {"4865f", "He"},     // an odd last digit is dropped
        {"0x48,0x69", "Hi"}, // 0x in front of each number
        {"00 0a 1f 20 e4", "...\x20\xe4"},
        {"zz", ""},
        {"", ""},
    };
    for (const auto& c : hex)
        EXPECT_EQ(CalcHexToText(c.input), c.text) << c.input;
    struct Case dec[] = {
        {"72,105", "Hi"},
        {"72, 105;", "Hi"},
        {"328 9 32", "H. "}, // low 8 bits of 328 is 72
        {"99999999999999999999999", "\xff"},
        {"abc", ""},
    };
    for (const auto& c : dec)
        EXPECT_EQ(CalcDecToText(c.input), c.text) << c.input;
}

TEST(CalcRules, PrefillFromTheMarkedText) {
    struct Case {
        std::string marked;
        CalcPrefillValues v;
    } cases[] = {
        {"", {}},
        {" \t ", {}},
        {"00FF", {"00FF", "", "00ff", ""}},
        {"0012", {"0012", "", "0012", "12"}},
        {"000", {"000", "", "000", "0"}},
        {"12 34 56 78 9a", {"123456789a", "123456789a", "", ""}},
        {"1234567890", {"1234567890", "1234567890", "", "1234567890"}},
        {"Fehler 42", {"Fehler42", "", "", ""}},
        // Only the first line of a marking over several lines.
        {"4711\r\nnext line", {"4711", "", "4711", "4711"}},
        // At most 63 characters are looked at.
        {std::string(70, 'a'), {std::string(63, 'a'), std::string(63, 'a'), "", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcPrefill(c.marked), c.v) << c.marked;
}

} // namespace
} // namespace tervik
