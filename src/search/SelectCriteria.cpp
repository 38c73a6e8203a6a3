#include "search/SelectCriteria.h"

#include "base/Settings.h"
#include "search/SelectionScript.h"

#include <algorithm>
#include <limits>

namespace tervik {

namespace {

constexpr uint16_t kHistoryFlags =
    SEL_COLUMN_RANGE | SEL_WILDCARDS | SEL_MATCH_CASE | SEL_HEX_STRING | SEL_MULTI_TEXT;

// atoi-like: a field that does not begin with a number counts as 0.
int64_t FieldNumber(std::string_view field) {
    size_t nPos = 0;
    int64_t n = 0;
    return ScanNumber(field, nPos, n) ? n : 0;
}

} // namespace

uint32_t LenientNumber(std::string_view text) {
    return static_cast<uint32_t>(
        std::clamp<int64_t>(FieldNumber(text), 0, std::numeric_limits<uint32_t>::max()));
}

namespace {

uint16_t FieldColumn(std::string_view field) {
    return static_cast<uint16_t>(
        std::clamp<int64_t>(FieldNumber(field), 0, std::numeric_limits<uint16_t>::max()));
}

void AppendFlag(std::string& s, const TextHistoryEntry& e, uint16_t nFlag) {
    s += (e.m_nFlags & nFlag) ? "1," : "0,";
}

} // namespace

std::string EncodeHistoryEntry(const TextHistoryEntry& entry) {
    std::string s = "(";
    if (entry.m_nFlags & SEL_COLUMN_RANGE) {
        s += "ROW,";
        s += std::to_string(entry.m_nColumnFrom) + ",";
        s += std::to_string(entry.m_nColumnTo) + ",";
    }
    AppendFlag(s, entry, SEL_HEX_STRING);
    AppendFlag(s, entry, SEL_MATCH_CASE);
    AppendFlag(s, entry, SEL_WILDCARDS);
    s += entry.m_text;
    s += ')';
    return s;
}

std::optional<TextHistoryEntry> DecodeHistoryEntry(std::string_view value) {
    // "(ROW,from,to,hex,case,wildcard,text)" has six fields before the text,
    // "(hex,case,wildcard,text)" three. The text may hold commas itself.
    const bool bRow = value.starts_with("(ROW");
    const size_t nFields = bRow ? 6 : 3;
    std::string_view fields[6];
    size_t nPos = 0;
    for (size_t i = 0; i < nFields; ++i) {
        const size_t nComma = value.find(',', nPos);
        if (nComma == std::string_view::npos) return std::nullopt;
        fields[i] = value.substr(nPos, nComma - nPos);
        nPos = nComma + 1;
    }
    std::string_view text = value.substr(nPos);
    if (!text.empty() && text.back() == ')') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    if (!fields[0].empty() && fields[0].front() == '(') fields[0].remove_prefix(1);

    TextHistoryEntry e;
    const std::string_view* pFlags = fields;
    if (bRow) {
        e.m_nFlags = SEL_COLUMN_RANGE;
        e.m_nColumnFrom = FieldColumn(fields[1]);
        e.m_nColumnTo = FieldColumn(fields[2]);
        pFlags = fields + 3;
    }
    const uint16_t flagOrder[3] = {SEL_HEX_STRING, SEL_MATCH_CASE, SEL_WILDCARDS};
    for (size_t i = 0; i < 3; ++i) {
        if (FieldNumber(pFlags[i]) != 0)
            e.m_nFlags = static_cast<uint16_t>(e.m_nFlags | flagOrder[i]);
    }
    e.m_text.assign(text);
    return e;
}

std::vector<TextHistoryEntry> DecodeHistory(const std::vector<StoredSelectText>& values) {
    std::vector<TextHistoryEntry> history;
    for (const StoredSelectText& value : values) {
        if (value.m_value.empty()) break;
        auto entry = DecodeHistoryEntry(value.m_value);
        if (!entry) continue;
        if (value.m_bMultiText)
            entry->m_nFlags = static_cast<uint16_t>(entry->m_nFlags | SEL_MULTI_TEXT);
        // A hand-edited file may repeat a text; the later entry wins as it would in a run.
        EnterIntoHistory(history, *entry);
    }
    return history;
}

std::vector<StoredSelectText> EncodeHistory(const std::vector<TextHistoryEntry>& entries) {
    const size_t nMax = static_cast<size_t>(kSelectTextListMax);
    const size_t nFirst = entries.size() > nMax ? entries.size() - nMax : 0;
    std::vector<StoredSelectText> values;
    values.reserve(entries.size() - nFirst);
    for (size_t i = nFirst; i < entries.size(); ++i)
        values.push_back(
            {EncodeHistoryEntry(entries[i]), (entries[i].m_nFlags & SEL_MULTI_TEXT) != 0});
    return values;
}

void EnterIntoHistory(std::vector<TextHistoryEntry>& history, const TextHistoryEntry& entry) {
    // An empty text has no stored form: it would read back as nothing.
    if (entry.m_text.empty()) return;
    std::erase_if(history, [&](const TextHistoryEntry& e) { return e.m_text == entry.m_text; });
    TextHistoryEntry kept = entry;
    kept.m_nFlags = static_cast<uint16_t>(entry.m_nFlags & kHistoryFlags);
    // Columns are stored only with a range; keep the entry equal to its stored form.
    if (!(kept.m_nFlags & SEL_COLUMN_RANGE)) kept.m_nColumnFrom = kept.m_nColumnTo = 0;
    history.push_back(std::move(kept));
}

} // namespace tervik
