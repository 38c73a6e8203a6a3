#pragma once

// Selecting and deselecting lines by criteria, and inverting the selection, with the
// parts of these runs that tests and other callers use alone.

#include "platform/CodePage.h"
#include "search/SelectCriteria.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tervik {

class CTervikDoc;

// Runs by criteria over a range of records; the status bar tells the count after.
void SelectByCriteria(CTervikDoc& doc, const SelectCriteria& criteria);
void DeselectByCriteria(CTervikDoc& doc, const SelectCriteria& criteria);
// Every record's selection the other way round.
void InvertSelection(CTervikDoc& doc);

// One item of a preceding- or following-lines list: "N" gives N..N, "A-B" the range
// between A and B in either order.
struct LineListItem {
    uint32_t m_nLow = 0;
    uint32_t m_nHigh = 0;
    bool operator==(const LineListItem&) const = default;
};
// Items are separated by ','; what is not a number counts as 0.
std::vector<LineListItem> ParseLineList(std::string_view list);

// "1.234.567": a count with '.' between groups of three digits.
std::string GroupDigits(uint32_t n);
// The status message after a run: "<count> Zeilen sind selektiert".
Cp1252String SelectedCountMessage(uint32_t nSelected);

// The text test of the runs, prepared once per run.
class CLineTextTest {
public:
    explicit CLineTextTest(const SelectCriteria& criteria);

    bool HasText() const { return !m_needles.empty() || m_bMatchNothing; }
    // Hex strings are looked for in the bytes as they are, the other texts in the line
    // with its tabs expanded.
    bool ExpandTabs() const { return !m_bHex; }
    // The decision for one line's text (n bytes; the buffer must hold n + 1, it is
    // folded and cut in place).
    bool Matches(char* pText, uint32_t n) const;

    // What every passing line's text holds: one literal per alternative, folded to
    // lower case when Fold(). Empty when some alternative has none (the runs then test
    // every line).
    const std::vector<std::string>& ScanLiterals() const { return m_scan; }
    bool Fold() const { return m_bFold; }

private:
    std::vector<std::string> m_needles; // as compared: upper-cased unless case matters
    std::vector<std::string> m_scan;
    bool m_bHex = false;
    bool m_bWildcards = false;
    bool m_bFold = false;
    bool m_bColumns = false;
    bool m_bMatchNothing = false; // a text was given but none of it is searchable
    uint32_t m_nColumnFrom = 0;
    uint32_t m_nColumnTo = 0;
};

// The bytes a hex string names: pairs of digits, an odd last digit taken as the low
// half of a byte; other characters are skipped.
std::string DecodeHexText(std::string_view text);

} // namespace tervik
