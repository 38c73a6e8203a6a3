#pragma once

// Selection scripts: recorded selection steps, one statement a line, e.g.
//   SELECT LINE=(0,500),RECSIZE=(GT,80),TEXT="Fehler",MATCHCASE=YES,SCOPE=SEL
//   SELECT_COLOR RED
//   INVERTSELECT
// The writer builds the lines while recording; the reader turns them back into steps.

#include "platform/SysFile.h"
#include "search/SelectCriteria.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tervik {

// Reads a decimal number the way sscanf's %d does: blanks, an optional sign, digits,
// starting at text[nPos]. Saturates far beyond 32 bits instead of overflowing. On
// success nPos stands behind the digits; false (nPos unchanged) without a digit.
bool ScanNumber(std::string_view text, size_t& nPos, int64_t& nValue);

// Writer. Colours: 0 blue, 1 red, 2 green; anything else counts as blue.
std::string ScriptColourLine(int nColour);
inline constexpr std::string_view kScriptInvertLine = "INVERTSELECT\r\n";
// The SELECT or DESELECT line of a run, CR LF included. "*ALL" stands for 0 up to
// nRecords, so the step covers all lines of whatever file it is played on. Texts and
// line lists must not hold LF: the format has no escape for a line end.
std::string ScriptSelectLine(const SelectCriteria& c, uint32_t nRecords);

// Takes "key=value" out of the options of a statement (rest), so later searches never
// look into values already taken. Only an option start counts as the key: the start
// of the rest or behind a ",", blanks allowed; a key inside a quoted or bracketed
// value of another option is not found. Values are "quoted" (doubled quotes stand for
// one), "(bracketed, with commas)" up to the next comma, or plain up to the next
// comma. The option and the comma in front of it leave the rest. Answers the length
// of the value, 0 when the key is absent (or its value empty).
size_t TakeScriptValue(std::string& rest, std::string_view key, std::string& value);

struct ScriptStatement {
    enum Kind { kIgnored, kColour, kSelect, kDeselect, kInvert } m_eKind = kIgnored;
    int m_nColour = 0;         // kColour: 0 blue, 1 red, 2 green
    SelectCriteria m_criteria; // kSelect, kDeselect
};

// One script line (without its line end). Keywords in any case, option keys in
// upper case only; "*ALL" gives the lines 0 up to nRecords.
ScriptStatement ParseScriptLine(std::string_view line, uint32_t nRecords);

// Reads a script file line by line as a C text stream with a 1024-byte line buffer
// would: a line ends at LF (a CR in front of it dropped), and a line longer than
// kMaxLine comes in pieces of kMaxLine characters.
class CScriptReader {
public:
    static constexpr size_t kMaxLine = 1023;
    enum Result { kLine, kEnd, kError };

    // Opens for reading, others may read and write the file meanwhile.
    bool Open(const std::string& path, uint32_t& nError);
    // kError leaves the system error code in nError.
    Result NextLine(std::string& line, uint32_t& nError);

    // The lines of a script held in memory, cut exactly as from a file.
    static std::vector<std::string> SplitScriptLines(std::string_view text);

private:
    // Cuts the next line off the front of data. False when data is empty or, before
    // the end of the file, when more bytes are needed to know where the line ends.
    static bool CutLine(std::string_view data, bool bAtEnd, std::string& line, size_t& nUsed);

    CSysFile m_file;
    std::string m_buffer;
    size_t m_nPos = 0;
    bool m_bAtEnd = false;
};

} // namespace tervik
