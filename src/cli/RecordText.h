#pragma once

// A record's line as `text` prints it; `follow` prints the same lines.

#include "cli/Cli.h"
#include "cli/Output.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tervik {
class CTervikDoc;
}

namespace tervik::cli {

// --skip, --no-expand, --display, --ebcdic, --oem and --utf8-out.
struct TextFormat {
    uint32_t nSkip = 0;
    bool bExpand = true;
    bool bDisplay = false;
    bool bEbcdic = false;
    bool bOem = false;
    // The line as UTF-8, with a UTF-8 or UTF-16 document's own characters where the
    // display shows its substitute.
    bool bUtf8Out = false;
};

// Takes the options above from args.
TextFormat TakeTextFormat(CArgs& args);

class CRecordText {
public:
    explicit CRecordText(const TextFormat& format) : m_format(format) {}
    // The record's display text; valid until the next call.
    std::string_view Text(CTervikDoc& doc, uint32_t nRecord);
    // Puts the record's display text and an LF.
    void Put(COutput& out, CTervikDoc& doc, uint32_t nRecord) {
        out.Put(Text(doc, nRecord));
        out.Put('\n');
    }

private:
    TextFormat m_format;
    std::vector<char> m_buf;
    std::vector<char32_t> m_chars;
    std::string m_utf8;
};

} // namespace tervik::cli
