#pragma once

// What an update handler says about a command: enabled, checked, its text.

#include <optional>
#include <string>

namespace tervik {

class CCmdUI {
public:
    explicit CCmdUI(unsigned nId = 0) : m_nID(nId) {}
    void Enable(bool bOn = true) { m_bEnabled = bOn; }
    void SetCheck(int nCheck = 1) {
        m_nCheck = nCheck;
        m_bCheckable = true;
    }
    void SetText(std::string text) { m_text = std::move(text); }

    unsigned m_nID;
    bool m_bEnabled = true;
    int m_nCheck = 0;
    bool m_bCheckable = false;         // the handler sets a check mark, on or off
    std::optional<std::string> m_text; // cp1252
};

} // namespace tervik
