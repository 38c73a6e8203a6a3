#include "framework/MenuLayout.h"

#include "framework/CommandIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace tervik {
namespace {

bool IsKnown(unsigned nId) {
    const std::vector<unsigned>& all = AllCommandIds();
    return std::binary_search(all.begin(), all.end(), nId);
}

void ForEachEntry(const std::vector<MenuEntry>& menu,
                  const std::function<void(const MenuEntry&, const std::string&)>& visit,
                  const std::string& path = "") {
    for (const MenuEntry& entry : menu) {
        visit(entry, path);
        if (entry.m_eKind == MenuEntry::Popup)
            ForEachEntry(entry.m_children, visit, path + entry.m_pszText + "/");
    }
}

const MenuEntry* FindPopup(const std::vector<MenuEntry>& menu, const std::string& text) {
    for (const MenuEntry& entry : menu) {
        if (entry.m_eKind != MenuEntry::Popup) continue;
        if (text == entry.m_pszText) return &entry;
        if (const MenuEntry* inner = FindPopup(entry.m_children, text)) return inner;
    }
    return nullptr;
}

const char* FindText(const std::vector<MenuEntry>& menu, unsigned nId) {
    const char* found = nullptr;
    ForEachEntry(menu, [&](const MenuEntry& entry, const std::string&) {
        if (!found && entry.m_eKind != MenuEntry::Popup && entry.m_nId == nId)
            found = entry.m_pszText;
    });
    return found;
}

// Ids of a popup's direct entries, separators as 0.
std::vector<unsigned> Ids(const MenuEntry& popup) {
    std::vector<unsigned> ids;
    for (const MenuEntry& entry : popup.m_children)
        ids.push_back(entry.m_nId);
    return ids;
}

// The mnemonic character (as UTF-8 bytes, ASCII lower-cased), "" without one;
// "<bad>" marks an unusable text: several "&", or one with nothing after it.
std::string Mnemonic(const char* pszText) {
    std::string mnemonic;
    int nCount = 0;
    for (const char* p = pszText; *p != '\0' && *p != '\t'; ++p) {
        if (*p != '&') continue;
        if (p[1] == '&') {
            ++p;
            continue;
        }
        ++nCount;
        const unsigned char c = static_cast<unsigned char>(p[1]);
        if (c == '\0' || c == '\t' || c == ' ') return "<bad>";
        const std::size_t nLen = c < 0x80 ? 1 : (c >= 0xF0 ? 4 : (c >= 0xE0 ? 3 : 2));
        mnemonic.assign(p + 1, nLen);
        if (nLen == 1) mnemonic[0] = static_cast<char>(std::tolower(c));
    }
    return nCount > 1 ? "<bad>" : mnemonic;
}

// A key string in QKeySequence's portable form: modifiers once each, then one key.
bool PlausibleKeys(const std::string& keys) {
    static const std::set<std::string> kModifiers = {"Ctrl", "Shift", "Alt", "Meta"};
    static const std::set<std::string> kNamed = {
        "Ins", "Del",    "Backspace", "Home",  "End",  "PgUp",  "PgDown", "Esc",
        "Tab", "Return", "Enter",     "Space", "Left", "Right", "Up",     "Down"};
    std::vector<std::string> parts;
    std::size_t nStart = 0;
    for (;;) {
        const std::size_t nPlus = keys.find('+', nStart);
        parts.push_back(keys.substr(nStart, nPlus - nStart));
        if (nPlus == std::string::npos) break;
        nStart = nPlus + 1;
    }
    std::set<std::string> seen;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        if (!kModifiers.count(parts[i]) || !seen.insert(parts[i]).second) return false;
    }
    const std::string& key = parts.back();
    if (key.size() == 1)
        return std::isupper(static_cast<unsigned char>(key[0])) ||
               std::isdigit(static_cast<unsigned char>(key[0]));
    if (key.size() >= 2 && key[0] == 'F' &&
        key.find_first_not_of("0123456789", 1) == std::string::npos) {
        const int nF = std::stoi(key.substr(1));
        return nF >= 1 && nF <= 24;
    }
    return kNamed.count(key) > 0;
}

std::string ToolTip(unsigned nId) {
    const char* pszPrompt = CommandPrompt(nId);
    if (!pszPrompt) return "";
    const char* pszNewline = std::strchr(pszPrompt, '\n');
    return pszNewline ? pszNewline + 1 : "";
}

struct NamedMenu {
    const char* m_pszName;
    const std::vector<MenuEntry>& (*m_pfnMenu)();
};
const NamedMenu kMenus[] = {
    {"main", MainMenuBar}, {"no document", NoDocumentMenuBar}, {"context", ContextMenu}};

TEST(MenuStructure, EntriesAreWellFormed) {
    for (const NamedMenu& menu : kMenus) {
        SCOPED_TRACE(menu.m_pszName);
        ForEachEntry(menu.m_pfnMenu(), [](const MenuEntry& entry, const std::string& path) {
            SCOPED_TRACE(path + (entry.m_pszText ? entry.m_pszText : "<separator>"));
            switch (entry.m_eKind) {
            case MenuEntry::Command:
            case MenuEntry::RecentFiles:
                ASSERT_NE(entry.m_pszText, nullptr);
                EXPECT_STRNE(entry.m_pszText, "");
                EXPECT_TRUE(IsKnown(entry.m_nId)) << entry.m_nId;
                EXPECT_TRUE(entry.m_children.empty());
                break;
            case MenuEntry::Popup:
                ASSERT_NE(entry.m_pszText, nullptr);
                EXPECT_STRNE(entry.m_pszText, "");
                EXPECT_EQ(entry.m_nId, 0u);
                EXPECT_FALSE(entry.m_children.empty());
                break;
            case MenuEntry::Separator:
                EXPECT_EQ(entry.m_pszText, nullptr);
                EXPECT_EQ(entry.m_nId, 0u);
                break;
            }
        });
    }
}

TEST(MenuStructure, SeparatorsOnlyBetweenGroups) {
    for (const NamedMenu& menu : kMenus) {
        SCOPED_TRACE(menu.m_pszName);
        std::vector<const std::vector<MenuEntry>*> lists = {&menu.m_pfnMenu()};
        ForEachEntry(menu.m_pfnMenu(), [&](const MenuEntry& entry, const std::string&) {
            if (entry.m_eKind == MenuEntry::Popup) lists.push_back(&entry.m_children);
        });
        for (const std::vector<MenuEntry>* list : lists) {
            ASSERT_FALSE(list->empty());
            EXPECT_NE(list->front().m_eKind, MenuEntry::Separator);
            EXPECT_NE(list->back().m_eKind, MenuEntry::Separator);
            for (std::size_t i = 1; i < list->size(); ++i)
                EXPECT_FALSE((*list)[i].m_eKind == MenuEntry::Separator &&
                             (*list)[i - 1].m_eKind == MenuEntry::Separator);
        }
    }
}

TEST(MenuStructure, NoCommandTwiceInOneMenu) {
    for (const NamedMenu& menu : kMenus) {
        SCOPED_TRACE(menu.m_pszName);
        std::map<unsigned, int> counts;
        ForEachEntry(menu.m_pfnMenu(), [&](const MenuEntry& entry, const std::string&) {
            if (entry.m_eKind == MenuEntry::Command || entry.m_eKind == MenuEntry::RecentFiles)
                ++counts[entry.m_nId];
        });
        for (const auto& [nId, nCount] : counts)
            EXPECT_EQ(nCount, 1) << nId;
    }
}

TEST(MenuStructure, TopLevelMenusInOrder) {
    std::vector<std::string> main;
    for (const MenuEntry& entry : MainMenuBar()) {
        EXPECT_EQ(entry.m_eKind, MenuEntry::Popup);
        main.push_back(entry.m_pszText);
    }
    EXPECT_EQ(main, (std::vector<std::string>{"&Datei", "&Bearbeiten", "&Ansicht", "&Suchen",
                                              "S&elektion", "E&xtras", "&Fenster", "&?"}));
    std::vector<std::string> bare;
    for (const MenuEntry& entry : NoDocumentMenuBar())
        bare.push_back(entry.m_pszText);
    EXPECT_EQ(bare.front(), "&Datei");
    EXPECT_EQ(bare.back(), "&?");
}

TEST(MenuStructure, SubmenusHoldTheirCommands) {
    struct Case {
        const char* m_pszPopup;
        std::vector<unsigned> m_ids;
    };
    const Case cases[] = {
        {"e-Mail senden", {ID_MAIL_PRAISE, ID_MAIL_SUGGESTION, ID_MAIL_ERROR}},
        {"Zeilen manuell", {ID_HAND_SELECT, ID_HAND_DESELECT}},
        {"Markierten Bereich", {ID_MARKED_SELECT, ID_MARKED_DESELECT}},
        {"Selektionsfarbe auswählen", {ID_COLOR_BLUE, ID_COLOR_RED, ID_COLOR_GREEN}},
        // Add-on entries are inserted before the last entry; the builder recognises
        // a document's menu by the character-frequency command.
        {"E&xtras", {ID_CHAR_FREQUENCY, ID_CONVERSIONS, 0, ID_ADDON_REGISTER}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_pszPopup);
        const MenuEntry* popup = FindPopup(MainMenuBar(), c.m_pszPopup);
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(Ids(*popup), c.m_ids);
    }
    // "Datei verfolgen" follows "Aktualisieren" at the end of "Ansicht".
    const MenuEntry* view = FindPopup(MainMenuBar(), "&Ansicht");
    ASSERT_NE(view, nullptr);
    const std::vector<unsigned> viewIds = Ids(*view);
    ASSERT_GE(viewIds.size(), 2u);
    EXPECT_EQ(std::vector<unsigned>(viewIds.end() - 2, viewIds.end()),
              (std::vector<unsigned>{ID_VIEW_REFRESH, ID_VIEW_FOLLOW}));
    const MenuEntry* help = FindPopup(MainMenuBar(), "&?");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->m_children.front().m_eKind, MenuEntry::Popup);
    EXPECT_EQ(help->m_children.back().m_nId, ID_APP_ABOUT);
}

TEST(MenuStructure, MenuWithoutDocumentOffersNoDocumentCommands) {
    const std::vector<MenuEntry>& bar = NoDocumentMenuBar();
    EXPECT_NE(FindText(bar, ID_ADDON_REGISTER), nullptr);
    EXPECT_NE(FindText(bar, ID_WORKSPACE_OPEN), nullptr);
    for (unsigned nId : {ID_CHAR_FREQUENCY, ID_WORKSPACE_SAVE, ID_WORKSPACE_SAVE_AS,
                         ID_WORKSPACE_CLOSE, ID_FILE_PRINT, ID_VIEW_HEX, ID_EDIT_COPY})
        EXPECT_EQ(FindText(bar, nId), nullptr) << nId;
}

TEST(MenuStructure, RecentFilesSitAboveExit) {
    for (const NamedMenu& menu : {kMenus[0], kMenus[1]}) {
        SCOPED_TRACE(menu.m_pszName);
        const MenuEntry* file = FindPopup(menu.m_pfnMenu(), "&Datei");
        ASSERT_NE(file, nullptr);
        const std::vector<MenuEntry>& items = file->m_children;
        const auto recent = std::find_if(items.begin(), items.end(), [](const MenuEntry& e) {
            return e.m_eKind == MenuEntry::RecentFiles;
        });
        ASSERT_NE(recent, items.end());
        EXPECT_STREQ(recent->m_pszText, "Letzte Datei");
        EXPECT_EQ(recent->m_nId, ID_FILE_MRU_FILE1);
        EXPECT_EQ(items.back().m_nId, ID_APP_EXIT);
        EXPECT_LT(recent - items.begin(), static_cast<long>(items.size()) - 1);
    }
}

TEST(MenuStructure, ContextMenuInItsOrder) {
    std::vector<unsigned> ids;
    for (const MenuEntry& entry : ContextMenu())
        ids.push_back(entry.m_nId);
    EXPECT_EQ(ids, (std::vector<unsigned>{
                       ID_CONTEXT_POSITION, 0, ID_CONTEXT_SELECT_BLUE, ID_CONTEXT_SELECT_RED,
                       ID_CONTEXT_SELECT_GREEN, ID_CONTEXT_DESELECT, 0, ID_CONTEXT_MARKED_BYTES,
                       ID_EDIT_COPY, ID_MARK_CLEAR, ID_MARK_POINT_FIRST, ID_MARK_POINT_SECOND}));
}

TEST(MenuMnemonics, OneUsableMnemonicUniqueAmongNeighbours) {
    for (const NamedMenu& menu : kMenus) {
        SCOPED_TRACE(menu.m_pszName);
        std::vector<const std::vector<MenuEntry>*> lists = {&menu.m_pfnMenu()};
        ForEachEntry(menu.m_pfnMenu(), [&](const MenuEntry& entry, const std::string&) {
            if (entry.m_eKind == MenuEntry::Popup) lists.push_back(&entry.m_children);
        });
        for (const std::vector<MenuEntry>* list : lists) {
            std::set<std::string> used;
            for (const MenuEntry& entry : *list) {
                if (!entry.m_pszText) continue;
                const std::string mnemonic = Mnemonic(entry.m_pszText);
                EXPECT_NE(mnemonic, "<bad>") << entry.m_pszText;
                if (!mnemonic.empty()) {
                    EXPECT_TRUE(used.insert(mnemonic).second) << entry.m_pszText;
                }
            }
        }
    }
}

TEST(MenuMnemonics, HelperReadsTexts) {
    EXPECT_EQ(Mnemonic("Ö&ffnen...\tStrg+O"), "f");
    EXPECT_EQ(Mnemonic("&Überlappend"), "Ü");
    EXPECT_EQ(Mnemonic("A && B"), "");
    EXPECT_EQ(Mnemonic("&?"), "?");
    EXPECT_EQ(Mnemonic("&A&B"), "<bad>");
    EXPECT_EQ(Mnemonic("Ende&"), "<bad>");
}

TEST(MenuAccelerators, KnownIdsPlausibleUniqueKeys) {
    std::set<std::string> keys;
    for (const AcceleratorEntry& accel : Accelerators()) {
        SCOPED_TRACE(accel.m_pszKeys);
        EXPECT_TRUE(IsKnown(accel.m_nId)) << accel.m_nId;
        EXPECT_TRUE(PlausibleKeys(accel.m_pszKeys));
        EXPECT_TRUE(keys.insert(accel.m_pszKeys).second) << "key bound twice";
    }
}

TEST(MenuAccelerators, KeyCheckerRejectsNonsense) {
    struct Case {
        const char* m_pszKeys;
        bool m_bPlausible;
    };
    const Case cases[] = {
        {"Ctrl+O", true}, {"Shift+Del", true}, {"Ctrl+F3", true}, {"Alt+Backspace", true},
        {"F24", true},    {"Strg+O", false},   {"Ctrl+", false},  {"Ctrl+Ctrl+O", false},
        {"F0", false},    {"o", false},        {"O+Ctrl", false}};
    for (const Case& c : cases)
        EXPECT_EQ(PlausibleKeys(c.m_pszKeys), c.m_bPlausible) << c.m_pszKeys;
}

TEST(MenuAccelerators, TableKeysAsDocumented) {
    struct Case {
        const char* m_pszKeys;
        unsigned m_nId;
    };
    const Case cases[] = {
        {"Ctrl+C", ID_EDIT_COPY},
        {"Ctrl+Ins", ID_EDIT_COPY},
        {"Shift+Del", ID_EDIT_CUT},
        {"Shift+Ins", ID_EDIT_PASTE},
        {"Ctrl+F", ID_FOCUS_SEARCH_BOX},
        {"Alt+G", ID_VIEW_GOTO_LINE},
        {"F7", ID_PREV_SELECTED},
        {"F8", ID_NEXT_SELECTED},
        {"F9", ID_VIEW_ONLY_SELECTED},
        {"F3", ID_SEARCH_FORWARD},
        {"Ctrl+F3", ID_SEARCH_BACKWARD},
        {"F5", ID_VIEW_REFRESH},
        // Our own.
        {"Ctrl+F5", ID_VIEW_FOLLOW},
        {"Ctrl+F7", ID_BOOKMARK_PREV},
        {"Ctrl+F8", ID_BOOKMARK_NEXT},
        {"F6", ID_NEXT_PANE},
        {"Shift+F6", ID_PREV_PANE},
        {"Ctrl+O", ID_FILE_OPEN},
        {"Ctrl+P", ID_FILE_PRINT},
        {"Alt+Backspace", ID_EDIT_UNDO},
        {"Ctrl+N", ID_FILE_NEW},
    };
    std::map<std::string, unsigned> table;
    for (const AcceleratorEntry& accel : Accelerators())
        table[accel.m_pszKeys] = accel.m_nId;
    EXPECT_EQ(table.size(), 25u);
    for (const Case& c : cases)
        EXPECT_EQ(table[c.m_pszKeys], c.m_nId) << c.m_pszKeys;
}

// A key shown after the TAB must really be bound.
TEST(MenuAccelerators, KeysShownInMenusAreBound) {
    std::set<std::pair<unsigned, std::string>> bound;
    for (const AcceleratorEntry& accel : Accelerators())
        bound.insert({accel.m_nId, accel.m_pszKeys});
    for (const NamedMenu& menu : kMenus) {
        ForEachEntry(menu.m_pfnMenu(), [&](const MenuEntry& entry, const std::string&) {
            if (entry.m_eKind != MenuEntry::Command) return;
            const char* pszTab = std::strchr(entry.m_pszText, '\t');
            if (!pszTab) return;
            std::string shown = pszTab + 1;
            if (shown.rfind("Strg+", 0) == 0) shown.replace(0, 4, "Ctrl");
            EXPECT_TRUE(bound.count({entry.m_nId, shown}) > 0) << entry.m_pszText;
        });
    }
}

TEST(MenuTexts, TextsAsTheUserKnowsThem) {
    struct Case {
        unsigned m_nId;
        const char* m_pszText;
    };
    const Case cases[] = {
        {ID_FILE_OPEN, "Ö&ffnen...\tStrg+O"},
        {ID_FILE_PRINT, "&Drucken...\tStrg+P"},
        {ID_FILE_PRINT_PREVIEW, "Sei&tenansicht"},
        {ID_VIEW_UNICODE, "&UniCode"},
        {ID_VIEW_OEM, "OEM &Zeichensatz"},
        {ID_VIEW_EBCDIC, "EBCDIC-037 (US-american)"},
        {ID_VIEW_FOLLOW, "Datei &verfolgen"},
        {ID_VIEW_ONLY_SELECTED, "selektierte Zeilen anzeigen\tF9"},
        {ID_VIEW_GOTO_LINE, "&Gehe zu Zeile ..."},
        {ID_WINDOW_NEW, "Neues &Fenster"},
        {ID_WINDOW_SPLIT, "&Teilen"},
        {ID_EDIT_COPY, "&Kopieren\tStrg+C"},
        {ID_BLOCK_MARKING, "Markieren im Blockmodus"},
        {ID_SEARCH_BACKWARD, "Vorher suchen"},
        {ID_SELECT_INVERT, "Zeilenselektion invertieren"},
        {ID_BOOKMARK_EDIT, "&Lesezeichen bearbeiten..."},
        {ID_BOOKMARK_LIST_FIRST, "Lesezeichen Liste"},
        {ID_EXPORT_SELECTED, "selektierte Zeilen exportieren ..."},
        {ID_ADDON_REGISTER, "AddOn registrieren..."},
        {ID_VIEW_SEARCHBAR3, "3. Suchleiste"},
        {ID_CHANGE_HISTORY, "Änderungshistorie ..."},
        {ID_APP_ABOUT, "Inf&o über ..."},
        {ID_CONTEXT_POSITION, "Zeile %d (%d Bytes), Spalte %d"},
        {ID_CONTEXT_MARKED_BYTES, "%u Bytes sind markiert"},
    };
    for (const Case& c : cases) {
        const char* pszText = FindText(MainMenuBar(), c.m_nId);
        if (!pszText) pszText = FindText(ContextMenu(), c.m_nId);
        ASSERT_NE(pszText, nullptr) << c.m_nId;
        EXPECT_STREQ(pszText, c.m_pszText) << c.m_nId;
    }
}

TEST(MenuTexts, StatusTexts) {
    struct Case {
        unsigned m_nId;
        const char* m_pszPrompt;
    };
    const Case cases[] = {
        {ID_VIEW_REFRESH, "Der Fensterinhalt wird aktualisiert."},
        {ID_VIEW_FOLLOW, "Liest laufend nach, was an die Datei angehängt wird\nDatei verfolgen"},
        {ID_WORKSPACE_OPEN,
         "Ein gesicherter Tervik Arbeitsplatz wird geladen.\nArbeitsplatz öffnen"},
        {ID_WORKSPACE_CLOSE, "Den Arbeitsplatz und damit alle offenen Fenster schließen."},
        {ID_ADDON_REGISTER,
         "Hier können für Tervik geschriebene Erweiterungs DLL's registriert werden."},
        {ID_ADDON_FIRST, "Führt die Funktion einer Erweiterungsbibliothek aus.\n"},
        {ID_ADDON_LAST, "Führt die Funktion einer Erweiterungsbibliothek aus.\n"},
        {ID_MAIL_ERROR, "Sie haben (leider) einen Fehler entdeckt, und wollen diesen dem "
                        "Entwickler mitteilen.\ne-Mail Fehler :-("},
        {ID_CHANGE_HISTORY, "Die Änderungshistorie in einem Dialogfenster anzeigen."},
        {ID_CONVERSIONS, "Einen Hexstring im Fenster selektieren, dieser wird dann in "
                         "dezimaler Form angezeigt."},
    };
    for (const Case& c : cases) {
        ASSERT_NE(CommandPrompt(c.m_nId), nullptr) << c.m_nId;
        EXPECT_STREQ(CommandPrompt(c.m_nId), c.m_pszPrompt) << c.m_nId;
    }
    EXPECT_STRNE(CommandPrompt(ID_ADDON_LAST + 1), CommandPrompt(ID_ADDON_LAST));
    EXPECT_EQ(CommandPrompt(0), nullptr);
    for (unsigned nId : AllCommandIds()) {
        const char* pszPrompt = CommandPrompt(nId);
        if (pszPrompt) {
            EXPECT_LE(std::count(pszPrompt, pszPrompt + std::strlen(pszPrompt), '\n'), 1) << nId;
        }
    }
}

TEST(MenuToolbar, MainToolbarInResourceOrder) {
    EXPECT_EQ(MainToolbarButtons(),
              (std::vector<unsigned>{ID_FILE_OPEN, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT, 0,
                                     ID_EDIT_COPY, 0, ID_SELECT_LINES, ID_DESELECT_LINES,
                                     ID_VIEW_ONLY_SELECTED, ID_HAND_SELECT, ID_HAND_SELECT_GREEN,
                                     ID_HAND_SELECT_RED, ID_HAND_DESELECT, ID_SEARCH_FORWARD,
                                     ID_SEARCH_BACKWARD, 0, ID_APP_ABOUT}));
}

TEST(MenuToolbar, SearchBars) {
    struct Case {
        int m_nBar;
        unsigned m_nForward, m_nBackward;
    };
    const Case cases[] = {{1, 32887, 32888}, {2, 32889, 32890}, {3, 32891, 32892},
                          {4, 32893, 32894}, {0, 0, 0},         {5, 0, 0},
                          {-1, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(SearchBarButtons(c.m_nBar), std::make_pair(c.m_nForward, c.m_nBackward))
            << c.m_nBar;
    }
}

TEST(MenuToolbar, EveryButtonHasAToolTip) {
    std::vector<unsigned> buttons = MainToolbarButtons();
    for (int nBar = 1; nBar <= 4; ++nBar) {
        buttons.push_back(SearchBarButtons(nBar).first);
        buttons.push_back(SearchBarButtons(nBar).second);
    }
    for (unsigned nId : buttons) {
        if (nId == 0) continue;
        EXPECT_TRUE(IsKnown(nId)) << nId;
        EXPECT_FALSE(ToolTip(nId).empty()) << nId;
    }
}

TEST(MenuCatalogue, AllCommandIdsAscendingAndComplete) {
    const std::vector<unsigned>& all = AllCommandIds();
    EXPECT_TRUE(std::adjacent_find(all.begin(), all.end(),
                                   [](unsigned a, unsigned b) { return a >= b; }) == all.end());
    for (unsigned nId : std::initializer_list<unsigned>{
             ID_FILE_MRU_FILE8, ID_BOOKMARK_LIST_FIRST + 1, ID_ADDON_FIRST + 10,
             ID_FILE_PRINT_DIRECT, ID_WINDOW_TILE_VERT})
        EXPECT_TRUE(IsKnown(nId)) << nId;
    // Status-bar panes are not commands.
    EXPECT_FALSE(IsKnown(ID_INDICATOR_POSITION));
}

} // namespace
} // namespace tervik
