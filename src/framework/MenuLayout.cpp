#include "framework/MenuLayout.h"

#include "base/Strings.h"
#include "framework/CommandIds.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <string>

namespace tervik {

namespace {

MenuEntry Cmd(unsigned nId, const char* pszText) {
    return {MenuEntry::Command, nId, pszText, {}};
}

MenuEntry Sep() {
    return {MenuEntry::Separator, 0, nullptr, {}};
}

MenuEntry Sub(const char* pszText, std::vector<MenuEntry> children) {
    return {MenuEntry::Popup, 0, pszText, std::move(children)};
}

MenuEntry Recent() {
    return {MenuEntry::RecentFiles, ID_FILE_MRU_FILE1, "Letzte Datei", {}};
}

// The bar switches are the same with and without documents.
std::vector<MenuEntry> BarEntries() {
    return {
        Cmd(ID_VIEW_TOOLBAR, "&Symbolleiste"),    Cmd(ID_VIEW_STATUS_BAR, "S&tatusleiste"),
        Cmd(ID_VIEW_SEARCHBAR1, "1. Suchleiste"), Cmd(ID_VIEW_SEARCHBAR2, "2. Suchleiste"),
        Cmd(ID_VIEW_SEARCHBAR3, "3. Suchleiste"), Cmd(ID_VIEW_SEARCHBAR4, "4. Suchleiste"),
    };
}

MenuEntry HelpMenu() {
    return Sub("&?", {
                         Sub("e-Mail senden",
                             {
                                 Cmd(ID_MAIL_PRAISE, "zufriedener Benutzer ..."),
                                 Cmd(ID_MAIL_SUGGESTION, "Verbesserungsvorschlag ..."),
                                 Cmd(ID_MAIL_ERROR, "Fehlermeldung ..."),
                             }),
                         Cmd(ID_CHANGE_HISTORY, "Änderungshistorie ..."),
                         Sep(),
                         Cmd(ID_APP_ABOUT, "Inf&o über ..."),
                     });
}

std::vector<MenuEntry> BuildMainMenuBar() {
    std::vector<MenuEntry> view = BarEntries();
    view.insert(view.end(), {
                                Sep(),
                                Cmd(ID_VIEW_TEXT, "Te&xtdarstellung"),
                                Cmd(ID_VIEW_HEX, "&Hexdarstellung"),
                                Cmd(ID_VIEW_DUMP, "&Dumpdarstellung"),
                                Sep(),
                                Cmd(ID_VIEW_UNICODE, "&UniCode"),
                                Cmd(ID_VIEW_UNICODE_BE, "UniCode Big Endian"),
                                Cmd(ID_VIEW_UTF8, "UTF-8"),
                                Cmd(ID_VIEW_OEM, "OEM &Zeichensatz"),
                                Cmd(ID_VIEW_EBCDIC, "EBCDIC-037 (US-american)"),
                                Sep(),
                                Cmd(ID_VIEW_FONT, "&Font auswählen ..."),
                                Sep(),
                                Cmd(ID_VIEW_REFRESH, "&Aktualisieren"),
                                Cmd(ID_VIEW_FOLLOW, "Datei &verfolgen"),
                            });

    return {
        Sub("&Datei",
            {
                Cmd(ID_FILE_OPEN, "Ö&ffnen...\tStrg+O"),
                Cmd(ID_FILE_CLOSE, "&Schließen"),
                Sep(),
                Cmd(ID_WORKSPACE_OPEN, "Arbeitsplatz öffnen..."),
                Cmd(ID_WORKSPACE_SAVE, "Arbeitsplatz speichern"),
                Cmd(ID_WORKSPACE_SAVE_AS, "Arbeitsplatz speichern unter..."),
                Cmd(ID_WORKSPACE_CLOSE, "Arbeitsplatz schließen"),
                Sep(),
                Cmd(ID_FILE_PRINT, "&Drucken...\tStrg+P"),
                Cmd(ID_FILE_PRINT_PREVIEW, "Sei&tenansicht"),
                Cmd(ID_FILE_PRINT_SETUP, "Drucker&einrichtung..."),
                Cmd(ID_PRINT_COLOR, "In Farbe drucken"),
                Sep(),
                Recent(),
                Sep(),
                Cmd(ID_APP_EXIT, "&Beenden"),
            }),
        Sub("&Bearbeiten",
            {
                Cmd(ID_EDIT_COPY, "&Kopieren\tStrg+C"),
                Sep(),
                Cmd(ID_EDIT_MARK_ALL, "&Alles Markieren"),
                Cmd(ID_MARK_CLEAR, "Markierung löschen"),
                Sep(),
                Cmd(ID_BLOCK_MARKING, "Markieren im Blockmodus"),
            }),
        Sub("&Ansicht", std::move(view)),
        Sub("&Suchen",
            {
                Cmd(ID_SEARCH_FORWARD, "Weitersuchen"),
                Cmd(ID_SEARCH_BACKWARD, "Vorher suchen"),
                Cmd(ID_SEARCH_DEFINE, "Suchstring definieren ..."),
                Sep(),
                Cmd(ID_VIEW_GOTO_LINE, "&Gehe zu Zeile ..."),
                Sep(),
                Cmd(ID_BOOKMARK_EDIT, "&Lesezeichen bearbeiten..."),
                Cmd(ID_BOOKMARK_NEXT, "Nächstes Lesezeichen\tStrg+F8"),
                Cmd(ID_BOOKMARK_PREV, "Vorheriges Lesezeichen\tStrg+F7"),
                Sep(),
                // The view fills in the bookmark names and adds the next ids up to
                // ID_BOOKMARK_LIST_LAST behind it.
                Cmd(ID_BOOKMARK_LIST_FIRST, "Lesezeichen Liste"),
            }),
        Sub("S&elektion",
            {
                Cmd(ID_SELECT_LINES, "Zeilen selektieren ..."),
                Cmd(ID_DESELECT_LINES, "Zeilen deselektieren ..."),
                Cmd(ID_SELECT_INVERT, "Zeilenselektion invertieren"),
                Sep(),
                Sub("Zeilen manuell",
                    {
                        Cmd(ID_HAND_SELECT, "selektieren"),
                        Cmd(ID_HAND_DESELECT, "deselektieren"),
                    }),
                Sub("Markierten Bereich",
                    {
                        Cmd(ID_MARKED_SELECT, "selektieren"),
                        Cmd(ID_MARKED_DESELECT, "deselektieren"),
                    }),
                Sub("Selektionsfarbe auswählen",
                    {
                        Cmd(ID_COLOR_BLUE, "Blau"),
                        Cmd(ID_COLOR_RED, "Rot"),
                        Cmd(ID_COLOR_GREEN, "Grün"),
                    }),
                Sep(),
                Cmd(ID_VIEW_ONLY_SELECTED, "selektierte Zeilen anzeigen\tF9"),
                Cmd(ID_NEXT_SELECTED, "Nächste selektierte Zeile"),
                Cmd(ID_PREV_SELECTED, "Vorherige selektierte Zeile"),
                Cmd(ID_EXPORT_SELECTED, "selektierte Zeilen exportieren ..."),
                Sep(),
                Cmd(ID_SCRIPT_RECORD, "Aufnehmen starten..."),
                Cmd(ID_SCRIPT_PLAY, "Abspielen..."),
            }),
        // The add-on entries and one more separator are inserted before
        // "AddOn registrieren..." the first time this menu is shown.
        Sub("E&xtras",
            {
                Cmd(ID_CHAR_FREQUENCY, "Zeichenhäufigkeit ..."),
                Cmd(ID_CONVERSIONS, "Was ist das? ..."),
                Sep(),
                Cmd(ID_ADDON_REGISTER, "AddOn registrieren..."),
            }),
        Sub("&Fenster",
            {
                Cmd(ID_WINDOW_NEW, "Neues &Fenster"),
                Cmd(ID_WINDOW_CASCADE, "&Überlappend"),
                Cmd(ID_WINDOW_TILE_HORZ, "&Nebeneinander"),
                Cmd(ID_WINDOW_ARRANGE, "Symbole &anordnen"),
                Sep(),
                Cmd(ID_WINDOW_SPLIT, "&Teilen"),
                Cmd(ID_SYNC_SCROLL, "Synchron scrollen"),
            }),
        HelpMenu(),
    };
}

// Without a document only what makes sense with nothing open; "AddOn registrieren..."
// stays so that libraries can be registered before the first file.
std::vector<MenuEntry> BuildNoDocumentMenuBar() {
    return {
        Sub("&Datei",
            {
                Cmd(ID_FILE_OPEN, "Ö&ffnen...\tStrg+O"),
                Sep(),
                Cmd(ID_WORKSPACE_OPEN, "Arbeitsplatz öffnen..."),
                Sep(),
                Cmd(ID_FILE_PRINT_SETUP, "Drucker&einrichtung..."),
                Sep(),
                Recent(),
                Sep(),
                Cmd(ID_APP_EXIT, "&Beenden"),
            }),
        Sub("&Ansicht", BarEntries()),
        Sub("E&xtras", {Cmd(ID_ADDON_REGISTER, "AddOn registrieren...")}),
        HelpMenu(),
    };
}

std::vector<MenuEntry> BuildContextMenu() {
    return {
        Cmd(ID_CONTEXT_POSITION, "Zeile %d (%d Bytes), Spalte %d"),
        Sep(),
        Cmd(ID_CONTEXT_SELECT_BLUE, "selektiere Zeile blau"),
        Cmd(ID_CONTEXT_SELECT_RED, "selektiere Zeile rot"),
        Cmd(ID_CONTEXT_SELECT_GREEN, "selektiere Zeile grün"),
        Cmd(ID_CONTEXT_DESELECT, "deselektiere Zeile"),
        Sep(),
        Cmd(ID_CONTEXT_MARKED_BYTES, "%u Bytes sind markiert"),
        Cmd(ID_EDIT_COPY, "&Kopieren\tStrg+C"),
        Cmd(ID_MARK_CLEAR, "Markierung löschen"),
        Cmd(ID_MARK_POINT_FIRST, "Markierpunkt setzen"),
        Cmd(ID_MARK_POINT_SECOND, "Markierpunkt setzen"),
    };
}

const CommandText kPrompts[] = {
    {ID_FILE_OPEN, "Eine oder mehrere Dateien zum Anzeigen öffnen.\nÖffnen"},
    {ID_FILE_CLOSE, "Die aktive Datei mit allen ihren Fenstern schließen.\nSchließen"},
    {ID_FILE_PRINT_SETUP, "Den Drucker und seine Einstellungen wählen.\nDruckereinrichtung"},
    {ID_FILE_PRINT, "Die aktive Datei drucken.\nDrucken"},
    {ID_FILE_PRINT_PREVIEW, "Die Druckseiten auf dem Bildschirm zeigen.\nSeitenansicht"},
    {ID_EDIT_COPY, "Den markierten Text in die Zwischenablage kopieren.\nKopieren"},
    {ID_WINDOW_NEW, "Ein weiteres Fenster auf die aktive Datei öffnen.\nNeues Fenster"},
    {ID_WINDOW_ARRANGE, "Die Symbole der Fenster am unteren Rand anordnen.\nSymbole anordnen"},
    {ID_WINDOW_CASCADE, "Die Fenster überlappend anordnen.\nÜberlappend"},
    {ID_WINDOW_TILE_HORZ, "Die Fenster nebeneinander anordnen.\nNebeneinander"},
    {ID_WINDOW_SPLIT, "Das aktive Fenster in zwei Ausschnitte teilen.\nTeilen"},
    {ID_APP_ABOUT, "Programmname, Version und Copyright anzeigen.\nInfo"},
    {ID_APP_EXIT, "Das Programm beenden.\nBeenden"},
    {ID_NEXT_PANE, "Zum nächsten Fensterausschnitt wechseln.\nNächster Ausschnitt"},
    {ID_PREV_PANE, "Zum vorherigen Fensterausschnitt wechseln.\nVorheriger Ausschnitt"},
    {ID_VIEW_TOOLBAR, "Die Symbolleiste ein- oder ausblenden.\nSymbolleiste"},
    {ID_VIEW_STATUS_BAR, "Die Statusleiste ein- oder ausblenden.\nStatusleiste"},
    {ID_VIEW_GOTO_LINE, "Zu einer Zeilennummer springen.\nGehe zu Zeile"},
    {ID_VIEW_TEXT, "Die Datei als Text anzeigen.\nTextdarstellung"},
    {ID_VIEW_HEX, "Jede Zeile mit den Hexwerten ihrer Zeichen anzeigen.\nHexdarstellung"},
    {ID_VIEW_DUMP, "Die Datei als Dump mit Offsets und Hexwerten anzeigen.\nDumpdarstellung"},
    {ID_SEARCH_DEFINE, "Einen Suchstring mit Optionen zusammenstellen.\nSuchstring definieren"},
    {ID_VIEW_FONT, "Die Schrift dieses Fensters auswählen.\nFont auswählen"},
    {ID_SEARCH_FORWARD, "Den String der Suchbox vorwärts suchen.\nWeitersuchen"},
    {ID_SEARCH_BACKWARD, "Den String der Suchbox rückwärts suchen.\nVorher suchen"},
    {ID_BOOKMARK_EDIT, "Lesezeichen anlegen, ändern, löschen und anspringen.\nLesezeichen"},
    {ID_EDIT_MARK_ALL, "Den ganzen Inhalt des Fensters markieren.\nAlles markieren"},
    {ID_VIEW_UNICODE, "Die Datei als UniCode (Little Endian) anzeigen.\nUniCode"},
    {ID_SELECT_LINES, "Zeilen nach Kriterien selektieren.\nZeilen selektieren"},
    {ID_SELECT_INVERT, "Selektierte und nicht selektierte Zeilen vertauschen.\nInvertieren"},
    {ID_DESELECT_LINES, "Selektierte Zeilen nach Kriterien deselektieren.\nZeilen deselektieren"},
    {ID_VIEW_ONLY_SELECTED, "Nur die selektierten Zeilen anzeigen.\nSelektierte Zeilen anzeigen"},
    {ID_EXPORT_SELECTED, "Die selektierten Zeilen in eine Textdatei schreiben.\nExportieren"},
    {ID_VIEW_REFRESH, "Der Fensterinhalt wird aktualisiert."},
    {ID_HAND_SELECT, "Zeilen mit der Maus blau selektieren.\nManuell selektieren (blau)"},
    {ID_HAND_SELECT_GREEN, "Zeilen mit der Maus grün selektieren.\nManuell selektieren (grün)"},
    {ID_HAND_SELECT_RED, "Zeilen mit der Maus rot selektieren.\nManuell selektieren (rot)"},
    {ID_HAND_DESELECT, "Selektierte Zeilen mit der Maus deselektieren.\nManuell deselektieren"},
    {ID_CONTEXT_SELECT_BLUE, "Diese Zeile blau selektieren."},
    {ID_CONTEXT_SELECT_RED, "Diese Zeile rot selektieren."},
    {ID_CONTEXT_SELECT_GREEN, "Diese Zeile grün selektieren."},
    {ID_CONTEXT_DESELECT, "Die Selektion dieser Zeile aufheben."},
    {ID_MAIL_PRAISE, "Sie sind ein zufriedener Benutzer dieses Softwaretools und wollen diesen "
                     "Umstand dem Programmierer mitteilen.\ne-Mail :-)"},
    {ID_MAIL_SUGGESTION, "Sie hätten gerne eine Erweiterung bzw. eine Verbesserung in diesem "
                         "Softwaretool.\ne-Mail Verbesserung"},
    {ID_MAIL_ERROR, "Sie haben (leider) einen Fehler entdeckt, und wollen diesen dem Entwickler "
                    "mitteilen.\ne-Mail Fehler :-("},
    {ID_VIEW_OEM, "Einzelbytetext im OEM Zeichensatz anzeigen.\nOEM Zeichensatz"},
    {ID_SYNC_SCROLL, "Alle Fenster gemeinsam scrollen.\nSynchron scrollen"},
    {ID_COLOR_BLUE, "Weitere Zeilen blau selektieren.\nBlau"},
    {ID_COLOR_RED, "Weitere Zeilen rot selektieren.\nRot"},
    {ID_COLOR_GREEN, "Weitere Zeilen grün selektieren.\nGrün"},
    {ID_CHAR_FREQUENCY,
     "Die Häufigkeit jedes Zeichens der Datei als Tabelle ausgeben.\nZeichenhäufigkeit"},
    {ID_VIEW_UNICODE_BE, "Die Datei als UniCode (Big Endian) anzeigen.\nUniCode Big Endian"},
    {ID_VIEW_UTF8, "Die Datei als UTF-8 anzeigen.\nUTF-8"},
    {ID_VIEW_EBCDIC, "Einzelbytetext als EBCDIC (Codepage 037) anzeigen.\nEBCDIC"},
    {ID_NEXT_SELECTED, "Zur nächsten selektierten Zeile springen.\nNächste selektierte Zeile"},
    {ID_PREV_SELECTED, "Zur vorherigen selektierten Zeile springen.\nVorherige selektierte Zeile"},
    {ID_WORKSPACE_OPEN, "Ein gesicherter Tervik Arbeitsplatz wird geladen.\nArbeitsplatz öffnen"},
    {ID_WORKSPACE_SAVE,
     "Den Zustand der offenen Fenster im zuvor geöffneten Arbeitsplatz speichern."},
    {ID_WORKSPACE_SAVE_AS, "Den Zustand der offenen Dateien in einen Arbeitsplatz speichern."},
    {ID_WORKSPACE_CLOSE, "Den Arbeitsplatz und damit alle offenen Fenster schließen."},
    {ID_BLOCK_MARKING, "Rechteckige Bereiche statt ganzer Zeilen markieren.\nBlockmodus"},
    {ID_CONVERSIONS, "Einen Hexstring im Fenster selektieren, dieser wird dann in dezimaler Form "
                     "angezeigt."},
    {ID_SCRIPT_PLAY,
     "Ein aufgenommenes Selektionsskript auf die aktive Datei anwenden.\nAbspielen"},
    {ID_SCRIPT_RECORD, "Die folgenden Selektionsschritte in ein Skript aufnehmen.\nAufnehmen"},
    {ID_ADDON_REGISTER,
     "Hier können für Tervik geschriebene Erweiterungs DLL's registriert werden."},
    {ID_MARK_CLEAR, "Die Markierung oder den Markierpunkt entfernen.\nMarkierung löschen"},
    {ID_MARK_POINT_FIRST, "An dieser Stelle einen Markierpunkt setzen."},
    {ID_MARK_POINT_SECOND, "An dieser Stelle einen Markierpunkt setzen."},
    {ID_CHANGE_HISTORY, "Die Änderungshistorie in einem Dialogfenster anzeigen."},
    {ID_PRINT_COLOR, "Selektierte Zeilen in ihren Farben drucken.\nIn Farbe drucken"},
    {ID_SEARCHBAR1_FORWARD, "Den String der 1. Suchleiste vorwärts suchen.\nWeitersuchen"},
    {ID_SEARCHBAR1_BACKWARD, "Den String der 1. Suchleiste rückwärts suchen.\nVorher suchen"},
    {ID_SEARCHBAR2_FORWARD, "Den String der 2. Suchleiste vorwärts suchen.\nWeitersuchen"},
    {ID_SEARCHBAR2_BACKWARD, "Den String der 2. Suchleiste rückwärts suchen.\nVorher suchen"},
    {ID_SEARCHBAR3_FORWARD, "Den String der 3. Suchleiste vorwärts suchen.\nWeitersuchen"},
    {ID_SEARCHBAR3_BACKWARD, "Den String der 3. Suchleiste rückwärts suchen.\nVorher suchen"},
    {ID_SEARCHBAR4_FORWARD, "Den String der 4. Suchleiste vorwärts suchen.\nWeitersuchen"},
    {ID_SEARCHBAR4_BACKWARD, "Den String der 4. Suchleiste rückwärts suchen.\nVorher suchen"},
    {ID_VIEW_SEARCHBAR1, "Die 1. Suchleiste ein- oder ausblenden.\n1. Suchleiste"},
    {ID_VIEW_SEARCHBAR2, "Die 2. Suchleiste ein- oder ausblenden.\n2. Suchleiste"},
    {ID_VIEW_SEARCHBAR3, "Die 3. Suchleiste ein- oder ausblenden.\n3. Suchleiste"},
    {ID_VIEW_SEARCHBAR4, "Die 4. Suchleiste ein- oder ausblenden.\n4. Suchleiste"},
    {ID_MARKED_SELECT, "Alle Zeilen des markierten Bereichs selektieren."},
    {ID_MARKED_DESELECT, "Alle Zeilen des markierten Bereichs deselektieren."},
};

bool InRange(unsigned nId, unsigned nFirst, unsigned nLast) {
    return nId >= nFirst && nId <= nLast;
}

} // namespace

const std::vector<MenuEntry>& MainMenuBar() {
    static const std::vector<MenuEntry> bar = BuildMainMenuBar();
    return bar;
}

const std::vector<MenuEntry>& NoDocumentMenuBar() {
    static const std::vector<MenuEntry> bar = BuildNoDocumentMenuBar();
    return bar;
}

const std::vector<MenuEntry>& ContextMenu() {
    static const std::vector<MenuEntry> menu = BuildContextMenu();
    return menu;
}

const char* CommandPrompt(unsigned nId) {
    if (InRange(nId, ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE8)) return "Diese Datei öffnen.";
    if (InRange(nId, ID_BOOKMARK_LIST_FIRST, ID_BOOKMARK_LIST_LAST))
        return "Zu diesem Lesezeichen springen.";
    // The trailing newline: the entries have a status text but no tool tip.
    if (InRange(nId, ID_ADDON_FIRST, ID_ADDON_LAST))
        return "Führt die Funktion einer Erweiterungsbibliothek aus.\n";
    if (nId == ID_VIEW_FOLLOW) {
        // Our own command keeps its text in the string table.
        static const std::string prompt = Cp1252ToUtf8(LoadString(IDS_FOLLOW_PROMPT));
        return prompt.c_str();
    }
    for (const CommandText& text : kPrompts) {
        if (text.m_nId == nId) return text.m_pszPrompt;
    }
    return nullptr;
}

const std::vector<AcceleratorEntry>& Accelerators() {
    // Ctrl+N, Ctrl+S, Ctrl+Z and Alt+Backspace reach no handler; they are kept so
    // that the keys stay taken as users of the program know them.
    static const std::vector<AcceleratorEntry> table = {
        {ID_EDIT_COPY, "Ctrl+C"},
        {ID_EDIT_COPY, "Ctrl+Ins"},
        {ID_EDIT_CUT, "Ctrl+X"},
        {ID_EDIT_CUT, "Shift+Del"},
        {ID_EDIT_PASTE, "Ctrl+V"},
        {ID_EDIT_PASTE, "Shift+Ins"},
        {ID_FOCUS_SEARCH_BOX, "Ctrl+F"},
        {ID_VIEW_GOTO_LINE, "Alt+G"},
        {ID_PREV_SELECTED, "F7"},
        {ID_NEXT_SELECTED, "F8"},
        // Our own commands: stepping through the bookmarks of the document.
        {ID_BOOKMARK_PREV, "Ctrl+F7"},
        {ID_BOOKMARK_NEXT, "Ctrl+F8"},
        {ID_VIEW_ONLY_SELECTED, "F9"},
        {ID_SEARCH_FORWARD, "F3"},
        {ID_SEARCH_BACKWARD, "Ctrl+F3"},
        {ID_VIEW_REFRESH, "F5"},
        // Our own command: refreshing without end.
        {ID_VIEW_FOLLOW, "Ctrl+F5"},
        {ID_NEXT_PANE, "F6"},
        {ID_PREV_PANE, "Shift+F6"},
        {ID_FILE_OPEN, "Ctrl+O"},
        {ID_FILE_PRINT, "Ctrl+P"},
        {ID_FILE_NEW, "Ctrl+N"},
        {ID_FILE_SAVE, "Ctrl+S"},
        {ID_EDIT_UNDO, "Ctrl+Z"},
        {ID_EDIT_UNDO, "Alt+Backspace"},
    };
    return table;
}

const std::vector<unsigned>& MainToolbarButtons() {
    static const std::vector<unsigned> buttons = {
        ID_FILE_OPEN,          ID_FILE_PRINT_PREVIEW,
        ID_FILE_PRINT,         0,
        ID_EDIT_COPY,          0,
        ID_SELECT_LINES,       ID_DESELECT_LINES,
        ID_VIEW_ONLY_SELECTED, ID_HAND_SELECT,
        ID_HAND_SELECT_GREEN,  ID_HAND_SELECT_RED,
        ID_HAND_DESELECT,      ID_SEARCH_FORWARD,
        ID_SEARCH_BACKWARD,    0,
        ID_APP_ABOUT,
    };
    return buttons;
}

std::pair<unsigned, unsigned> SearchBarButtons(int nBar) {
    if (nBar < 1 || nBar > 4) return {0, 0};
    const unsigned nForward = ID_SEARCHBAR1_FORWARD + 2 * static_cast<unsigned>(nBar - 1);
    return {nForward, nForward + 1};
}

const std::vector<unsigned>& AllCommandIds() {
    static const std::vector<unsigned> ids = [] {
        std::vector<unsigned> all = {
            ID_FILE_NEW,           ID_FILE_OPEN,
            ID_FILE_CLOSE,         ID_FILE_SAVE,
            ID_FILE_PRINT_SETUP,   ID_FILE_PRINT,
            ID_FILE_PRINT_DIRECT,  ID_FILE_PRINT_PREVIEW,
            ID_EDIT_COPY,          ID_EDIT_CUT,
            ID_EDIT_PASTE,         ID_EDIT_UNDO,
            ID_WINDOW_NEW,         ID_WINDOW_ARRANGE,
            ID_WINDOW_CASCADE,     ID_WINDOW_TILE_HORZ,
            ID_WINDOW_TILE_VERT,   ID_WINDOW_SPLIT,
            ID_APP_ABOUT,          ID_APP_EXIT,
            ID_NEXT_PANE,          ID_PREV_PANE,
            ID_VIEW_TOOLBAR,       ID_VIEW_STATUS_BAR,
            ID_VIEW_GOTO_LINE,     ID_VIEW_TEXT,
            ID_VIEW_HEX,           ID_VIEW_DUMP,
            ID_SEARCH_DEFINE,      ID_VIEW_FONT,
            ID_SEARCH_FORWARD,     ID_SEARCH_BACKWARD,
            ID_BOOKMARK_EDIT,      ID_EDIT_MARK_ALL,
            ID_VIEW_UNICODE,       ID_SELECT_LINES,
            ID_SELECT_INVERT,      ID_DESELECT_LINES,
            ID_VIEW_ONLY_SELECTED, ID_EXPORT_SELECTED,
            ID_FOCUS_SEARCH_BOX,   ID_VIEW_REFRESH,
            ID_HAND_SELECT,        ID_HAND_DESELECT,
            ID_CONTEXT_POSITION,   ID_CONTEXT_SELECT_BLUE,
            ID_CONTEXT_DESELECT,   ID_MAIL_PRAISE,
            ID_MAIL_SUGGESTION,    ID_MAIL_ERROR,
            ID_VIEW_OEM,           ID_SYNC_SCROLL,
            ID_COLOR_BLUE,         ID_COLOR_RED,
            ID_COLOR_GREEN,        ID_CHAR_FREQUENCY,
            ID_VIEW_UNICODE_BE,    ID_VIEW_UTF8,
            ID_VIEW_EBCDIC,        ID_NEXT_SELECTED,
            ID_PREV_SELECTED,      ID_HAND_SELECT_GREEN,
            ID_HAND_SELECT_RED,    ID_CONTEXT_SELECT_GREEN,
            ID_CONTEXT_SELECT_RED, ID_WORKSPACE_OPEN,
            ID_WORKSPACE_SAVE,     ID_WORKSPACE_SAVE_AS,
            ID_WORKSPACE_CLOSE,    ID_BOOKMARK_NEXT,
            ID_BOOKMARK_PREV,      ID_BLOCK_MARKING,
            ID_CONVERSIONS,        ID_SCRIPT_PLAY,
            ID_SCRIPT_RECORD,      ID_ADDON_REGISTER,
            ID_MARK_CLEAR,         ID_MARK_POINT_FIRST,
            ID_MARK_POINT_SECOND,  ID_CONTEXT_MARKED_BYTES,
            ID_CHANGE_HISTORY,     ID_PRINT_COLOR,
            ID_SEARCHBAR1_FORWARD, ID_SEARCHBAR1_BACKWARD,
            ID_SEARCHBAR2_FORWARD, ID_SEARCHBAR2_BACKWARD,
            ID_SEARCHBAR3_FORWARD, ID_SEARCHBAR3_BACKWARD,
            ID_SEARCHBAR4_FORWARD, ID_SEARCHBAR4_BACKWARD,
            ID_VIEW_SEARCHBAR1,    ID_VIEW_SEARCHBAR2,
            ID_VIEW_SEARCHBAR3,    ID_VIEW_SEARCHBAR4,
            ID_MARKED_SELECT,      ID_MARKED_DESELECT,
            ID_VIEW_FOLLOW,
        };
        for (unsigned n = ID_FILE_MRU_FILE1; n <= ID_FILE_MRU_FILE8; ++n)
            all.push_back(n);
        for (unsigned n = ID_BOOKMARK_LIST_FIRST; n <= ID_BOOKMARK_LIST_LAST; ++n)
            all.push_back(n);
        for (unsigned n = ID_ADDON_FIRST; n <= ID_ADDON_LAST; ++n)
            all.push_back(n);
        std::sort(all.begin(), all.end());
        return all;
    }();
    return ids;
}

} // namespace tervik
