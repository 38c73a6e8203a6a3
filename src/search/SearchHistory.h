#pragma once

// The patterns typed into the search boxes, most recent first. The toolbar's box and
// the four bars' boxes share one list, so a text entered in one box is offered by all
// of them and none is lost when the program ends.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tervik {

class CSettings;

class CSearchHistory {
public:
    CSearchHistory() = default;
    explicit CSearchHistory(std::vector<std::string> entries) : m_entries(std::move(entries)) {}

    // The list of "Search List".
    static CSearchHistory Load(CSettings& settings);
    // Writes the list back when it changed since it was loaded.
    void Save(CSettings& settings);

    const std::vector<std::string>& Entries() const { return m_entries; }
    // Enters a text (cp1252) at the top: an equal entry (case ignored) lower down moves
    // up and takes the new spelling, one at the top stays. Empty texts are not entered.
    // True when the list changed.
    bool Enter(std::string_view text);
    bool Changed() const { return m_bChanged; }
    // Counts the changes, so that boxes know when to refill their lists.
    uint64_t Generation() const { return m_nGeneration; }

private:
    std::vector<std::string> m_entries;
    bool m_bChanged = false;
    uint64_t m_nGeneration = 0;
};

} // namespace tervik
