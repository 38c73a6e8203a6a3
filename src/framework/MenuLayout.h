#pragma once

// The program's menus, accelerators, status texts and toolbar layout as plain data.
// Texts are UTF-8; the user interface converts them. A menu text may carry a TAB and
// the key shown beside it ("Ö&ffnen...\tStrg+O"); the keys that really act are in
// Accelerators().

#include <utility>
#include <vector>

namespace tervik {

struct MenuEntry {
    enum Kind {
        Command,
        Separator,
        Popup,
        RecentFiles, // placeholder the recent-file list replaces
    } m_eKind;
    unsigned m_nId;                    // 0 for separators and popups
    const char* m_pszText;             // nullptr for separators
    std::vector<MenuEntry> m_children; // popups only
};

// The menu bar while a document window is open ("&Datei" ... "&?").
const std::vector<MenuEntry>& MainMenuBar();

// The menu bar while no document is open.
const std::vector<MenuEntry>& NoDocumentMenuBar();

// The view's right-button menu before the view adapts it to the clicked line
// and appends the add-on entries.
const std::vector<MenuEntry>& ContextMenu();

// "status text\ntool tip" (either part may be empty); nullptr when there is none.
struct CommandText {
    unsigned m_nId;
    const char* m_pszPrompt;
};
const char* CommandPrompt(unsigned nId);

// Keys in QKeySequence's portable format ("Ctrl+O", "Shift+Del"). One id may have
// several entries.
struct AcceleratorEntry {
    unsigned m_nId;
    const char* m_pszKeys;
};
const std::vector<AcceleratorEntry>& Accelerators();

// Main toolbar buttons in order, 0 = separator, before the boxes are inserted.
const std::vector<unsigned>& MainToolbarButtons();

// Forward and backward button of search bar 1..4; {0, 0} for any other number.
std::pair<unsigned, unsigned> SearchBarButtons(int nBar);

// Every command id the program knows (one action each), ranges expanded, ascending.
const std::vector<unsigned>& AllCommandIds();

} // namespace tervik
