// Selection scripts and the stored text history: any bytes must read without harm,
// a line read and written again must read the same, and whatever the writers produce
// must read back as it was recorded.

#include "base/Settings.h"
#include "search/SelectCriteria.h"
#include "search/SelectionScript.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace tervik;

constexpr uint16_t kScriptFlags =
    SEL_COLUMN_RANGE | SEL_WILDCARDS | SEL_MATCH_CASE | SEL_HEX_STRING | SEL_MULTI_TEXT;
constexpr uint16_t kHistoryFlags =
    SEL_COLUMN_RANGE | SEL_WILDCARDS | SEL_MATCH_CASE | SEL_HEX_STRING;

void Check(bool b) {
    if (!b) std::abort();
}

bool Same(const SelectCriteria& a, const SelectCriteria& b) {
    return a.m_nMode == b.m_nMode && a.m_nFirstLine == b.m_nFirstLine &&
           a.m_nEndLine == b.m_nEndLine && a.m_nSizeTest == b.m_nSizeTest &&
           a.m_nSizeValue == b.m_nSizeValue && a.m_nFlags == b.m_nFlags &&
           a.m_nColumnFrom == b.m_nColumnFrom && a.m_nColumnTo == b.m_nColumnTo &&
           a.m_text == b.m_text && a.m_bScope == b.m_bScope && a.m_preLines == b.m_preLines &&
           a.m_postLines == b.m_postLines;
}

// What a read statement may hold at all.
void CheckRead(const ScriptStatement& st) {
    const SelectCriteria& c = st.m_criteria;
    Check(st.m_nColour >= 0 && st.m_nColour <= 2);
    Check(c.m_nMode == (st.m_eKind == ScriptStatement::kDeselect ? 0 : 1));
    Check(c.m_nSizeTest >= SIZE_NONE && c.m_nSizeTest <= SIZE_NOT_EQUAL);
    Check(c.m_nSizeTest != SIZE_NONE || c.m_nSizeValue == 0);
    Check(c.m_preLines.size() <= kMaxLineList && c.m_postLines.size() <= kMaxLineList);
    Check((c.m_nFlags & ~kScriptFlags) == 0);
    Check(!c.m_text.empty() || c.m_nFlags == 0);
    Check((c.m_nFlags & SEL_COLUMN_RANGE) || (c.m_nColumnFrom == 0 && c.m_nColumnTo == 0));
    Check(c.m_bScope == 0 || (c.m_bScope == 1 && c.m_nMode == 1));
    Check(c.m_pHistory == nullptr);
}

// Writes a statement's criteria and reads them back; lines beyond the reader's
// limit are split by design and left out.
void CheckRewrite(const SelectCriteria& c, uint32_t nRecords, const SelectCriteria& expected) {
    const std::string line = ScriptSelectLine(c, nRecords);
    Check(line.ends_with("\r\n"));
    const auto lines = CScriptReader::SplitScriptLines(line);
    if (line.size() - 2 > CScriptReader::kMaxLine) return;
    Check(lines.size() == 1);
    const ScriptStatement st = ParseScriptLine(lines[0], nRecords);
    Check(st.m_eKind == (c.m_nMode != 0 ? ScriptStatement::kSelect : ScriptStatement::kDeselect));
    Check(Same(st.m_criteria, expected));
}

std::string NoLineEnds(std::string s) {
    std::replace(s.begin(), s.end(), '\n', ' ');
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const uint32_t nRecords = size > 0 ? data[0] * 1000u : 0;

    // Lines, and every line as a statement.
    const auto lines = CScriptReader::SplitScriptLines(input);
    size_t nTotal = 0;
    for (const std::string& line : lines) {
        Check(line.size() <= CScriptReader::kMaxLine);
        Check(line.find('\n') == std::string::npos);
        nTotal += line.size();
        const ScriptStatement st = ParseScriptLine(line, nRecords);
        CheckRead(st);
        if (st.m_eKind == ScriptStatement::kSelect || st.m_eKind == ScriptStatement::kDeselect)
            CheckRewrite(st.m_criteria, nRecords, st.m_criteria);
    }
    Check(nTotal <= size && lines.size() <= size);

    // The whole input as the options of one statement.
    std::string rest(input);
    for (const std::string_view key : {"TEXT", "LINE", "RECSIZE", "SEARCHROW", "PRELINES"}) {
        const size_t nBefore = rest.size();
        std::string value;
        const size_t nLength = TakeScriptValue(rest, key, value);
        Check(nLength == value.size() && nLength <= nBefore && rest.size() <= nBefore);
        Check(nLength == 0 || rest.size() + key.size() + 1 <= nBefore);
    }

    // The input as a stored history value.
    if (const auto entry = DecodeHistoryEntry(input)) {
        Check(!entry->m_text.empty() && (entry->m_nFlags & ~kHistoryFlags) == 0);
        Check(DecodeHistoryEntry(EncodeHistoryEntry(*entry)) == entry);
    }

    // A recorded run built from the input must play back as it was.
    FuzzedDataProvider fdp(data, size);
    SelectCriteria c;
    c.m_nMode = fdp.ConsumeIntegralInRange<int32_t>(-1, 2);
    c.m_nFirstLine = fdp.ConsumeBool() ? 0 : fdp.ConsumeIntegral<uint32_t>();
    const uint32_t nCount = fdp.ConsumeIntegral<uint32_t>();
    c.m_nEndLine = fdp.ConsumeBool() ? nCount : fdp.ConsumeIntegral<uint32_t>();
    c.m_nSizeTest = fdp.ConsumeIntegralInRange<int32_t>(-1, 6);
    c.m_nSizeValue = fdp.ConsumeIntegral<uint32_t>();
    c.m_nFlags = fdp.ConsumeIntegral<uint16_t>();
    c.m_nColumnFrom = fdp.ConsumeIntegral<uint16_t>();
    c.m_nColumnTo = fdp.ConsumeIntegral<uint16_t>();
    c.m_bScope = fdp.ConsumeIntegralInRange<int32_t>(0, 2);
    c.m_preLines = NoLineEnds(fdp.ConsumeRandomLengthString(kMaxLineList));
    c.m_postLines = NoLineEnds(fdp.ConsumeRandomLengthString(kMaxLineList));
    c.m_text = NoLineEnds(fdp.ConsumeRandomLengthString(static_cast<size_t>(kMaxSelectText)));

    SelectCriteria expected;
    expected.m_nMode = c.m_nMode != 0 ? 1 : 0;
    expected.m_nFirstLine = c.m_nFirstLine;
    expected.m_nEndLine = c.m_nEndLine;
    if (c.m_nSizeTest >= SIZE_LONGER && c.m_nSizeTest <= SIZE_NOT_EQUAL) {
        expected.m_nSizeTest = c.m_nSizeTest;
        expected.m_nSizeValue = c.m_nSizeValue;
    }
    if (!c.m_text.empty()) {
        expected.m_text = c.m_text;
        expected.m_nFlags = static_cast<uint16_t>(c.m_nFlags & kScriptFlags);
        if (expected.m_nFlags & SEL_COLUMN_RANGE) {
            expected.m_nColumnFrom = c.m_nColumnFrom;
            expected.m_nColumnTo = c.m_nColumnTo;
        }
    }
    expected.m_preLines = c.m_preLines;
    expected.m_postLines = c.m_postLines;
    expected.m_bScope = expected.m_nMode == 1 && c.m_bScope != 0 ? 1 : 0;
    const std::string line = ScriptSelectLine(c, nCount);
    Check(line.size() - 2 <= CScriptReader::kMaxLine);
    CheckRewrite(c, nCount, expected);

    // The same text through the history.
    if (!c.m_text.empty()) {
        TextHistoryEntry e;
        e.m_nFlags = c.m_nFlags;
        e.m_nColumnFrom = c.m_nColumnFrom;
        e.m_nColumnTo = c.m_nColumnTo;
        e.m_text = c.m_text;
        std::vector<TextHistoryEntry> history;
        EnterIntoHistory(history, e);
        Check(history.size() == 1);
        Check(DecodeHistory(EncodeHistory(history)) == history);
    }
    return 0;
}
