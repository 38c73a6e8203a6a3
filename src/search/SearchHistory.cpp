#include "search/SearchHistory.h"

#include "base/Settings.h"
#include "platform/CodePage.h"

#include <algorithm>

namespace tervik {

CSearchHistory CSearchHistory::Load(CSettings& settings) {
    return CSearchHistory(settings.ReadSearchList());
}

void CSearchHistory::Save(CSettings& settings) {
    if (!m_bChanged) return;
    settings.WriteSearchList(m_entries);
    m_bChanged = false;
}

bool CSearchHistory::Enter(std::string_view text) {
    if (text.empty()) return false;
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const std::string& e) { return EqualNoCase(e, text); });
    if (it == m_entries.begin() && it != m_entries.end()) return false; // at the top already
    if (it != m_entries.end()) m_entries.erase(it);
    m_entries.insert(m_entries.begin(), std::string(text));
    m_bChanged = true;
    ++m_nGeneration;
    return true;
}

} // namespace tervik
