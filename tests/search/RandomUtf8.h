#pragma once

// Random UTF-8 files and literals taken from their display text, for the tests that
// hold the raw scan of UTF-8 documents against reading every line.

#include "../document/FakeDocumentHost.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tervik::test {

// Lines of ASCII, tabs, cp1252 case pairs (ö Ö ü Ü ß ÿ Ÿ š Š €), characters cp1252
// lacks (Ł 中 emoji) and malformed bytes (a lone lead or continuation byte, 0xFF, a cut
// sequence, an overlong form, a surrogate); some lines of one byte (shown undecoded),
// with bLongLine a line cut into several records.
inline std::string RandomUtf8File(std::mt19937& rng, bool bBom, bool bCrLf, bool bLongLine) {
    static constexpr std::string_view kTokens =
        "ab|Gr|a|B| |?|x|\t|\xC3\xB6|\xC3\x96|\xC3\xBC|\xC3\x9C|\xC3\x9F|\xC3\xBF|\xC5\xB8|"
        "\xC5\xA1|\xC5\xA0|\xE2\x82\xAC|\xC5\x81|\xE4\xB8\xAD|\xF0\x9F\x98\x80|\xC3|\x80|"
        "\xFF|\xE4\xB8|\xC0\xAF|\xED\xA0\x80";
    std::vector<std::string_view> tokens;
    for (size_t i = 0, bar; i <= kTokens.size(); i = bar + 1) {
        bar = std::min(kTokens.find('|', i), kTokens.size());
        tokens.push_back(kTokens.substr(i, bar - i));
    }
    std::string s = bBom ? "\xEF\xBB\xBF" : "";
    for (int nLines = 1 + static_cast<int>(rng() % 40); nLines-- > 0;) {
        const int nTokens = bLongLine && nLines == 2 ? 40000 : static_cast<int>(rng() % 12);
        for (int k = 0; k < nTokens; ++k)
            s += tokens[rng() % tokens.size()];
        if (nTokens == 0 && rng() % 2) s += tokens[rng() % tokens.size()][0];
        s += bCrLf ? "\r\n" : "\n";
    }
    return s;
}

// A piece of a random record's display text, with bFoldVariants its letters partly in
// the other case; now and then a text the file lacks.
inline std::string RandomLiteral(std::mt19937& rng, CTervikDoc& doc, bool bExpand,
                                 bool bFoldVariants) {
    std::string text;
    for (int nTry = 0; text.empty() && nTry < 20 && rng() % 8; ++nTry)
        text = TextOf(doc, static_cast<uint32_t>(rng() % doc.m_nRecords), bExpand, 0, 65536);
    if (text.empty()) return "G\xF6ran";
    std::string lit = text.substr(rng() % text.size(), 1 + rng() % 7);
    for (char& c : lit) {
        const auto b = static_cast<uint8_t>(c);
        if (bFoldVariants && rng() % 2)
            c = static_cast<char>(rng() % 2 ? ToUpper1252(b) : ToLower1252(b));
    }
    return lit;
}

} // namespace tervik::test
