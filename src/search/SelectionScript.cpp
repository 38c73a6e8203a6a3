#include "search/SelectionScript.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <limits>

namespace tervik {

namespace {

// Far beyond any 32-bit value; keeps the accumulation clear of overflow.
constexpr int64_t kNumberLimit = int64_t{1} << 40;
constexpr size_t kReadChunk = 64 * 1024;

struct SizeTestName {
    int32_t nTest;
    std::string_view name;
};
constexpr SizeTestName kSizeTests[] = {
    {SIZE_LONGER, "GT"}, {SIZE_SHORTER, "LT"}, {SIZE_EQUAL, "EQ"}, {SIZE_NOT_EQUAL, "NE"}};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view StripLeadingSpaces(std::string_view s) {
    const size_t n = s.find_first_not_of(' ');
    return n == std::string_view::npos ? std::string_view() : s.substr(n);
}

// "YES", "SEL", "*ALL": any case; blanks around a hand-written value do not matter.
bool IsWord(std::string_view value, std::string_view word) {
    return EqualNoCase(TrimBlanks(value), word);
}

// Line numbers and sizes are unsigned but older scripts wrote them with %d, so a
// negative number is the same 32 bits read back. Beyond that range: saturate.
uint32_t ToUnsigned32(int64_t n) {
    if (n > int64_t{std::numeric_limits<uint32_t>::max()})
        return std::numeric_limits<uint32_t>::max();
    if (n < int64_t{std::numeric_limits<int32_t>::min()}) return 0;
    if (n < 0) n += int64_t{1} << 32;
    return static_cast<uint32_t>(n);
}

uint16_t ToColumn(int64_t n) {
    return static_cast<uint16_t>(std::clamp<int64_t>(n, 0, std::numeric_limits<uint16_t>::max()));
}

// "(a,b)" like sscanf(value, "(%d,%d)"): answers how many numbers were read.
int ScanPair(std::string_view value, int64_t& a, int64_t& b) {
    size_t i = 0;
    if (value.empty() || value[0] != '(') return 0;
    ++i;
    if (!ScanNumber(value, i, a)) return 0;
    if (i >= value.size() || value[i] != ',') return 1;
    ++i;
    return ScanNumber(value, i, b) ? 2 : 1;
}

void AppendQuoted(std::string& s, std::string_view option, std::string_view value) {
    s += option;
    s += '"';
    for (const char c : value) {
        if (c == '"') s += '"';
        s += c;
    }
    s += '"';
}

// Parses the value that starts at s[nStart] (just behind "KEY=") and answers where
// it ends. Unterminated quotes and brackets run to the end of s.
size_t ParseValue(std::string_view s, size_t nStart, std::string* pValue) {
    size_t i = nStart;
    if (i < s.size() && s[i] == '"') {
        for (++i; i < s.size(); ++i) {
            if (s[i] == '"') {
                if (i + 1 < s.size() && s[i + 1] == '"') {
                    ++i;
                } else {
                    return i + 1;
                }
            }
            if (pValue) *pValue += s[i];
        }
        return i;
    }
    if (i < s.size() && s[i] == '(') {
        const size_t nClose = s.find(')', i);
        i = nClose == std::string_view::npos ? s.size() : nClose + 1;
    }
    const size_t nComma = s.find(',', i);
    const size_t nEnd = nComma == std::string_view::npos ? s.size() : nComma;
    if (pValue) pValue->assign(s.substr(nStart, nEnd - nStart));
    return nEnd;
}

void ParseRecSize(std::string_view value, SelectCriteria& c) {
    if (value.empty() || value[0] != '(') return;
    const size_t nComma = value.find(',');
    if (nComma == std::string_view::npos) return;
    const std::string_view name = TrimBlanks(value.substr(1, nComma - 1));
    size_t i = nComma + 1;
    int64_t nSize = 0;
    if (!ScanNumber(value, i, nSize)) return;
    for (const SizeTestName& t : kSizeTests) {
        if (EqualNoCase(name, t.name)) {
            c.m_nSizeTest = t.nTest;
            c.m_nSizeValue = ToUnsigned32(nSize);
        }
    }
}

SelectCriteria ParseCriteria(std::string_view options, bool bSelect, uint32_t nRecords) {
    SelectCriteria c;
    c.m_nMode = bSelect ? 1 : 0;
    std::string rest(options);
    std::string value;
    if (TakeScriptValue(rest, "LINE", value)) {
        if (IsWord(value, "*ALL")) {
            c.m_nEndLine = nRecords;
        } else {
            int64_t nFirst = 0;
            int64_t nEnd = 0;
            ScanPair(value, nFirst, nEnd);
            c.m_nFirstLine = ToUnsigned32(nFirst);
            c.m_nEndLine = ToUnsigned32(nEnd);
        }
    }
    if (TakeScriptValue(rest, "RECSIZE", value)) ParseRecSize(value, c);
    if (TakeScriptValue(rest, "TEXT", value)) {
        c.m_text = value;
        const struct {
            std::string_view key;
            uint16_t nFlag;
        } yesOptions[] = {{"WILDCARD", SEL_WILDCARDS},
                          {"MATCHCASE", SEL_MATCH_CASE},
                          {"HEXSTRING", SEL_HEX_STRING},
                          {"MULTITEXT", SEL_MULTI_TEXT}};
        for (const auto& o : yesOptions) {
            if (TakeScriptValue(rest, o.key, value) && IsWord(value, "YES"))
                c.m_nFlags = static_cast<uint16_t>(c.m_nFlags | o.nFlag);
        }
        int64_t nFrom = 0;
        int64_t nTo = 0;
        // A half-read range would restrict the search to a column nobody asked for.
        if (TakeScriptValue(rest, "SEARCHROW", value) && ScanPair(value, nFrom, nTo) == 2) {
            c.m_nFlags = static_cast<uint16_t>(c.m_nFlags | SEL_COLUMN_RANGE);
            c.m_nColumnFrom = ToColumn(nFrom);
            c.m_nColumnTo = ToColumn(nTo);
        }
    }
    if (TakeScriptValue(rest, "PRELINES", value)) c.m_preLines = value.substr(0, kMaxLineList);
    if (TakeScriptValue(rest, "POSTLINES", value)) c.m_postLines = value.substr(0, kMaxLineList);
    if (bSelect && TakeScriptValue(rest, "SCOPE", value) && IsWord(value, "SEL")) c.m_bScope = 1;
    return c;
}

} // namespace

bool ScanNumber(std::string_view text, size_t& nPos, int64_t& nValue) {
    size_t i = nPos;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool bNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        bNegative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    int64_t n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (n < kNumberLimit) n = n * 10 + (text[i] - '0');
    }
    n = std::min(n, kNumberLimit);
    nValue = bNegative ? -n : n;
    nPos = i;
    return true;
}

std::string ScriptColourLine(int nColour) {
    switch (nColour) {
    case 1:
        return "SELECT_COLOR RED\r\n";
    case 2:
        return "SELECT_COLOR GREEN\r\n";
    default:
        return "SELECT_COLOR BLUE\r\n";
    }
}

std::string ScriptSelectLine(const SelectCriteria& c, uint32_t nRecords) {
    const bool bSelect = c.m_nMode != 0;
    std::string s = bSelect ? "SELECT LINE=" : "DESELECT LINE=";
    // Written unsigned: %d would turn lines beyond 2^31 negative.
    if (c.m_nFirstLine == 0 && c.m_nEndLine == nRecords)
        s += "*ALL";
    else
        s += "(" + std::to_string(c.m_nFirstLine) + "," + std::to_string(c.m_nEndLine) + ")";
    for (const SizeTestName& t : kSizeTests) {
        if (c.m_nSizeTest == t.nTest) {
            s += ",RECSIZE=(";
            s += t.name;
            s += "," + std::to_string(c.m_nSizeValue) + ")";
        }
    }
    if (!c.m_text.empty()) {
        AppendQuoted(s, ",TEXT=", c.m_text);
        if (c.m_nFlags & SEL_WILDCARDS) s += ",WILDCARD=YES";
        if (c.m_nFlags & SEL_MATCH_CASE) s += ",MATCHCASE=YES";
        if (c.m_nFlags & SEL_COLUMN_RANGE)
            s += ",SEARCHROW=(" + std::to_string(c.m_nColumnFrom) + "," +
                 std::to_string(c.m_nColumnTo) + ")";
        if (c.m_nFlags & SEL_HEX_STRING) s += ",HEXSTRING=YES";
        if (c.m_nFlags & SEL_MULTI_TEXT) s += ",MULTITEXT=YES";
    }
    if (!c.m_preLines.empty()) AppendQuoted(s, ",PRELINES=", c.m_preLines);
    if (!c.m_postLines.empty()) AppendQuoted(s, ",POSTLINES=", c.m_postLines);
    if (bSelect && c.m_bScope) s += ",SCOPE=SEL";
    s += "\r\n";
    return s;
}

size_t TakeScriptValue(std::string& rest, std::string_view key, std::string& value) {
    value.clear();
    if (key.empty()) return 0;
    const std::string_view s = rest;
    constexpr size_t npos = std::string_view::npos;
    size_t nSeparator = npos; // the comma in front of the current option
    size_t i = 0;
    while (i < s.size()) {
        size_t nOption = i;
        while (nOption < s.size() && s[nOption] == ' ')
            ++nOption;
        const std::string_view option = s.substr(nOption);
        const bool bKey =
            option.size() > key.size() && option.starts_with(key) && option[key.size()] == '=';
        const size_t nName = bKey ? nOption + key.size() : s.find_first_of("=,", nOption);
        size_t nNext = s.size();
        if (nName != npos && s[nName] == '=') {
            std::string found;
            const size_t nEnd = ParseValue(s, nName + 1, bKey ? &found : nullptr);
            // Whatever stands between a closing quote and the next comma goes with it.
            nNext = std::min(s.find(',', nEnd), s.size());
            if (bKey) {
                // Take the comma in front; the first option takes the one behind it.
                if (nSeparator != npos)
                    rest.erase(nSeparator, nNext - nSeparator);
                else
                    rest.erase(0, nNext < rest.size() ? nNext + 1 : nNext);
                value = std::move(found);
                return value.size();
            }
        } else if (nName != npos) {
            nNext = nName;
        }
        if (nNext >= s.size()) break;
        nSeparator = nNext;
        i = nNext + 1;
    }
    return 0;
}

ScriptStatement ParseScriptLine(std::string_view line, uint32_t nRecords) {
    ScriptStatement st;
    line = StripLeadingSpaces(line);
    const size_t nSpace = line.find(' ');
    const std::string_view keyword = line.substr(0, nSpace);
    const std::string_view rest = nSpace == std::string_view::npos
                                      ? std::string_view()
                                      : StripLeadingSpaces(line.substr(nSpace + 1));
    if (EqualNoCase(keyword, "SELECT_COLOR")) {
        st.m_eKind = ScriptStatement::kColour;
        const std::string_view colour = rest.substr(0, rest.find_first_of(" ,"));
        st.m_nColour = EqualNoCase(colour, "RED") ? 1 : EqualNoCase(colour, "GREEN") ? 2 : 0;
    } else if (EqualNoCase(keyword, "SELECT") || EqualNoCase(keyword, "DESELECT")) {
        const bool bSelect = EqualNoCase(keyword, "SELECT");
        st.m_eKind = bSelect ? ScriptStatement::kSelect : ScriptStatement::kDeselect;
        st.m_criteria = ParseCriteria(rest, bSelect, nRecords);
    } else if (EqualNoCase(keyword, "INVERTSELECT")) {
        st.m_eKind = ScriptStatement::kInvert;
    }
    return st;
}

bool CScriptReader::CutLine(std::string_view data, bool bAtEnd, std::string& line, size_t& nUsed) {
    if (data.empty()) return false;
    // A line of kMaxLine characters may still be followed by CR LF.
    const size_t nLf = data.substr(0, kMaxLine + 2).find('\n');
    if (nLf != std::string_view::npos) {
        size_t nLength = nLf;
        if (nLength > 0 && data[nLength - 1] == '\r') --nLength;
        if (nLength <= kMaxLine) {
            line.assign(data.substr(0, nLength));
            nUsed = nLf + 1;
            return true;
        }
    } else if (!bAtEnd && data.size() < kMaxLine + 2) {
        return false;
    }
    nUsed = std::min(data.size(), kMaxLine);
    line.assign(data.substr(0, nUsed));
    return true;
}

bool CScriptReader::Open(const std::string& path, uint32_t& nError) {
    m_buffer.clear();
    m_nPos = 0;
    m_bAtEnd = false;
    if (m_file.OpenRead(path, true)) return true;
    nError = m_file.LastError();
    return false;
}

CScriptReader::Result CScriptReader::NextLine(std::string& line, uint32_t& nError) {
    for (;;) {
        size_t nUsed = 0;
        if (CutLine(std::string_view(m_buffer).substr(m_nPos), m_bAtEnd, line, nUsed)) {
            m_nPos += nUsed;
            return kLine;
        }
        if (m_bAtEnd) return kEnd;
        m_buffer.erase(0, m_nPos);
        m_nPos = 0;
        const size_t nKept = m_buffer.size();
        m_buffer.resize(nKept + kReadChunk);
        const int64_t nRead = m_file.Read(m_buffer.data() + nKept, kReadChunk);
        m_buffer.resize(nKept + static_cast<size_t>(std::max<int64_t>(nRead, 0)));
        if (nRead < 0) {
            nError = m_file.LastError();
            return kError;
        }
        if (nRead == 0) m_bAtEnd = true;
    }
}

std::vector<std::string> CScriptReader::SplitScriptLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    size_t nUsed = 0;
    while (CutLine(text, true, line, nUsed)) {
        lines.push_back(line);
        text.remove_prefix(nUsed);
    }
    return lines;
}

} // namespace tervik
