#pragma once

// What a select or deselect run looks for: filled by the select-lines dialog or a
// played-back script, carried out by the selection engine. Also the entries of the
// text history the dialog offers and the settings keep.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervik {

struct StoredSelectText;

// Criteria flags (also those of a text history entry).
inline constexpr uint16_t SEL_COLUMN_RANGE = 0x1000;
inline constexpr uint16_t SEL_WILDCARDS = 0x2000;
inline constexpr uint16_t SEL_MATCH_CASE = 0x4000;
inline constexpr uint16_t SEL_HEX_STRING = 0x8000;
// The text holds several alternatives separated by '|'. A history entry keeps it
// beside its stored form, not in it.
inline constexpr uint16_t SEL_MULTI_TEXT = 0x0800;

// Size tests.
enum SizeTest : int32_t {
    SIZE_NONE = 0,
    SIZE_LONGER = 1,
    SIZE_SHORTER = 2,
    SIZE_EQUAL = 3,
    SIZE_NOT_EQUAL = 4,
};

// Line lists (preceding and following lines) hold at most this many characters.
inline constexpr size_t kMaxLineList = 63;
// The dialog's text field takes at most this many characters.
inline constexpr int kMaxSelectText = 256;

// A number as typed into a selection field or list: blanks, then digits; what does not
// begin with a number is 0, a negative number 0, a too large one UINT32_MAX.
uint32_t LenientNumber(std::string_view text);

struct TextHistoryEntry {
    uint16_t m_nFlags = 0;      // SEL_COLUMN_RANGE, SEL_WILDCARDS, SEL_MATCH_CASE,
                                // SEL_HEX_STRING, SEL_MULTI_TEXT
    uint16_t m_nColumnFrom = 0; // 0-based
    uint16_t m_nColumnTo = 0;   // 0-based, inclusive
    std::string m_text;         // cp1252
    bool operator==(const TextHistoryEntry&) const = default;
};

// The settings form of an entry: "(ROW,from,to,hex,case,wildcard,text)" with a column
// range, "(hex,case,wildcard,text)" without. Texts may hold commas and parentheses.
// SEL_MULTI_TEXT has no place in it.
std::string EncodeHistoryEntry(const TextHistoryEntry& entry);
// Reads either form; nothing for an empty value.
std::optional<TextHistoryEntry> DecodeHistoryEntry(std::string_view value);
// The stored history with the "Mehrtext" mark of each entry.
std::vector<TextHistoryEntry> DecodeHistory(const std::vector<StoredSelectText>& values);
std::vector<StoredSelectText> EncodeHistory(const std::vector<TextHistoryEntry>& entries);
// Moves the text to the end of the history: an entry with the same text goes first.
void EnterIntoHistory(std::vector<TextHistoryEntry>& history, const TextHistoryEntry& entry);

struct SelectCriteria {
    int32_t m_nMode = 1;       // 1 select, 0 deselect
    uint32_t m_nFirstLine = 0; // 0-based when it reaches a run
    uint32_t m_nEndLine = 0;   // exclusive
    int32_t m_nSizeTest = SIZE_NONE;
    uint32_t m_nSizeValue = 0;
    uint32_t m_nLongestLine = 0; // for the dialog's spin range
    std::vector<TextHistoryEntry>* m_pHistory = nullptr;
    uint16_t m_nFlags = 0;
    uint16_t m_nColumnFrom = 0;
    uint16_t m_nColumnTo = 0;
    std::string m_text;      // empty: no text test
    int32_t m_bScope = 0;    // select only among lines already selected
    std::string m_preLines;  // at most kMaxLineList characters
    std::string m_postLines; // at most kMaxLineList characters
};

} // namespace tervik
