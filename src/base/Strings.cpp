#include "base/Strings.h"

#include "platform/CodePage.h"
#include "platform/SysError.h"

#include <cstdio>
#include <unordered_map>

namespace tervik {

namespace {

struct StringEntry {
    unsigned nId;
    const char* pszUtf8;
};

// Source files are UTF-8; the table is converted to cp1252 once.
constexpr StringEntry kStrings[] = {
    {IDR_MAINFRAME, "Orv's File-Viewer"},
    {IDR_TERVIKTYPE,
     "\nTervik\nTervik\nTextdateien (*.txt)\n.txt\n\nTervik.Document\nTervik Document"},
    {IDS_DUMP_COLUMNS_PROMPT, "Die Dumpansicht in der Spaltenanzahl verändern\nSpaltenanzahl"},
    {IDS_PAGE, "Seite %d"},
    {IDS_READING_FILE, "Die Datei \"%s\" wird eingelesen ...\n"},
    {IDS_SAVE_WORKSPACE, "Soll der Arbeitsplatz '%s' sichergestellt werden?"},
    {IDS_COLOR_BOX_PROMPT, "Neue Selektionsfarbe auswählen.\nSelektionsfarbe"},
    {IDS_OPEN_FILTER,
     "Textdateien (*.txt;*.bat;*.ini)|*.txt;*.bat;*.ini|C-Sourcen (*.c;*.cpp;*.h)|*.c;*.cpp;*.h|"
     "COBOL-Sourcen (*.cbl;*.cpy)|*.cbl;*.cpy|Protokolle (*.log;*.trc;*.cod;*.map)|"
     "*.log;*.trc;*.cod;*.map|Alle Dateien (*.*)|*.*||"},
    {IDS_WORKSPACE_FILTER, "Tervik Arbeitsplatz (*.tervik)|*.tervik||"},
    {IDS_SELECTED_COUNT, "%s Zeilen sind selektiert"},
    {IDS_SELECTING, "Alle betroffenen Zeilen werden selektiert, Abbrechen mit ESC-Taste"},
    {IDS_DESELECTING, "Alle betroffenen Zeilen werden deselektiert, Abbrechen mit ESC-Taste"},
    {IDS_SCRIPT_FILTER, "Tervik automatische Selektion (*.terviks)|*.terviks||"},
    {IDS_ADDON_FILTER, "Registrieren einer Erweiterungsbibliothek (*.so)|*.so||"},
    {IDS_ADDON_OUTPUT_FILTER, "AddOn soll in diese Datei schreiben (*.txt;*.xml)|*.txt;*.xml||"},
    {IDS_REMOVE_ESCAPES,
     "Die Escape Sequenzen werden entfernt.\n\nSoll es trotzdem durchgeführt werden?"},
    {IDS_POSITION_INDICATOR, "Z %d(%d,?\?), S %d"},
    {IDS_SEARCHING, "Ein String wird gesucht, Abbrechen mit ESC-Taste."},
    {IDS_SEARCH_END_REACHED,
     "Das Dateiende wurde erreicht, der angegebene String wurde nicht gefunden."},
    {IDS_SEARCH_START_REACHED,
     "Der Dateianfang wurde erreicht, der angegebene String wurde nicht gefunden."},
    {IDS_SEARCH_FOUND_LINE, "Der String wurde auf Zeile %d, Spalte %d gefunden."},
    {IDS_NO_MORE_SELECTED, "Es wurde keine weitere selektierte Zeile gefunden."},
    {IDS_SEARCH_FOUND_OFFSET, "Der String wurde auf Position %s gefunden."},
    {IDS_NEWER_VERSION, "Es gibt eine neuere Programmversion von \"%s\".\nWollen Sie diese jetzt "
                        "automatisch updaten?"},

    {IDS_NO_MEMORY, "Speicher konnte nicht angefordert werden"},
    {IDS_CANNOT_OPEN, "Die Datei \"%s\" konnte nicht geöffnet werden\n"},
    {IDS_ASK_SHARE_WRITE, "\nSoll die Datei mit Schreiberlaubnis geöffnet werden ?"},
    {IDS_CANNOT_READ, "Die Datei \"%s\" konnte nicht gelesen werden\n"},
    {IDS_FILE_EMPTY, "Die Datei \"%s\" ist leer"},
    {IDS_EMPTY_FILE_STATUS, "Die Datei ist leer."},
    {IDS_READY, "Bereit"},
    {IDS_RECENT_FILES_MENU, "Letzte Datei"},
    {IDS_MENU_FILE_OPEN, "Ö&ffnen...\tStrg+O"},
    {IDS_MENU_APP_ABOUT, "Inf&o über ..."},
    {IDS_MENU_PRINT_SETUP, "Drucker&einrichtung..."},
    {IDS_UPDATE_FAILED, "Automatische Update nicht möglich, Fehlercode="},
    {IDS_MAIN_TITLE, "Orv's File-Viewer"},
    {IDS_PATH_TOO_LONG, "Der Dateiname \"%s\" ist zu lang (höchstens 511 Zeichen)."},
    {IDS_RECORD_LIMIT_REACHED, "Die Datei \"%s\" hat mehr Zeilen, als angezeigt werden können.\n"
                               "Es werden nur die ersten %u Zeilen angezeigt."},
    {IDS_NO_DISPLAY, "Keine grafische Anzeige vorhanden (DISPLAY ist nicht gesetzt)."},
    {IDS_PROCESSING_ERROR, "Verarbeitungsfehler in Datei '%s'\n\n%sFehlercode %u\n"},
    {IDS_FILE_CHANGED, "Der Inhalt der Datei \"%s\"\nhat sich in der Zwischenzeit verändert. "},
    {IDS_ASK_DELETE_FILE, "\nSoll die Datei wieder gelöschet werden ?"},
    {IDS_FOLLOW_PROMPT, "Liest laufend nach, was an die Datei angehängt wird\nDatei verfolgen"},
    {IDS_FILE_SHORTER, "Die Datei ist kürzer geworden; es wurde nichts hinzugefügt. "
                       "\"Datei verfolgen\" (Strg+F5) liest sie neu ein."},
    {IDS_FILE_REPLACED, "Die Datei wurde durch eine neue ersetzt; es wurde nichts hinzugefügt. "
                        "\"Datei verfolgen\" (Strg+F5) liest die neue Datei ein."},
    {IDS_FILE_RELOADED, "Die Datei wurde gekürzt oder ersetzt und neu eingelesen; die "
                        "Selektionen der alten Datei sind verworfen."},
    {IDS_FOLLOW_RESTART, "Die Datei \"%s\" wurde gekürzt oder ersetzt; sie wird von vorn gelesen."},
    {IDS_ASK_COPY_LARGE, "Die Markierung umfasst %s Bytes. Sollen sie wirklich in die "
                         "Zwischenablage kopiert werden?"},
    {IDS_EXPORT_OWN_FILE,
     "Die Ausgabedatei ist die angezeigte Datei selbst und wird nicht überschrieben."},
    {IDS_PARTIAL_EXPORT_DELETED, "Die unvollständige Ausgabedatei \"%s\" wurde gelöscht."},
    {IDS_ASK_OVERWRITE, "%s ist bereits vorhanden.\nMöchten Sie sie ersetzen?"},
    {IDS_SETTINGS_NOT_SAVED, "Die Einstellungsdatei %s ist zu groß oder nicht lesbar; Änderungen "
                             "werden nicht gespeichert."},
    {IDS_SETTINGS_DEFAULTS,
     "Die Einstellungsdatei %s ist zu groß oder nicht lesbar; es gelten die Vorgaben."},
    {IDS_SETTINGS_NOT_TEXT, "Die Einstellungsdatei %s ist keine Textdatei mit einem Byte je "
                            "Zeichen (etwa UTF-16); sie wird gelesen, Änderungen werden aber "
                            "nicht gespeichert."},
    {IDS_ADDON_LOAD_FAILED, "Bibliothek \"%s\" kann nicht geladen werden, Fehlercode=%u\n%s"},
    {IDS_ADDON_NO_REGISTER,
     "Bibliothek \"%s\" hat keine Funktion \"TervikRegisterAddOn\" implementiert."},
    {IDS_ADDON_NOT_IMPLEMENTED, "Das Interface ist leider noch nicht implementiert!"},
    {IDS_ADDON_OUTPUT_TOO_LONG, "Der Pfad der Ausgabedatei ist zu lang:\n%s"},
    {IDS_ADDON_NOT_A_LIBRARY, "Bibliothek \"%s\" kann nicht geladen werden: Die Datei ist keine "
                              "Bibliothek für dieses System."},
    {IDS_ADDON_REFUSED, "Bibliothek \"%s\" kann nicht geladen werden: Das System lehnt sie ab, "
                        "etwa weil eine Bibliothek oder Funktion fehlt, die sie braucht."},
    {IDS_ADDON_NOT_FOUND, "Bibliothek \"%s\" kann nicht geladen werden: Das System findet sie "
                          "in seinen Bibliotheksordnern nicht oder kann sie nicht laden."},
    {IDS_ADDON_LOADER_SAYS, "Meldung des Systems: %s"},
    {IDS_PATH_NOT_ANSI, "Der Name \"%s\" enthält Zeichen, die der ANSI-Zeichensatz nicht "
                        "darstellen kann."},
    {IDS_SEARCH_STOPPED, "Die Suche wurde abgebrochen."},
    {IDS_PATH_HAS_QUOTE, "Der Name '%s' enthält ein Anführungszeichen (\"); ein Arbeitsplatz "
                         "kann ihn nicht speichern."},
    {IDS_NOT_A_WORKSPACE, "Die Datei '%s' ist kein Tervik Arbeitsplatz: sie enthält keine "
                          "einzige Arbeitsplatz-Zeile. Sie wird nicht geöffnet."},
    {IDS_WORKSPACE_STOPPED, "Das Laden des Arbeitsplatzes wurde abgebrochen."},
    {IDS_MORE_WINDOWS, "&Weitere Fenster..."},
    {IDS_CHOOSE_WINDOW_TITLE, "Fenster auswählen"},
    {IDS_CHOOSE_WINDOW_PROMPT, "&Fenster:"},
    {IDS_TEMP_FOLDER_FOREIGN, "Der Ordner für temporäre Dateien %s gehört einem anderen "
                              "Benutzer oder ist für andere zugänglich."},
    {IDS_CHAR_FREQUENCY_WRITTEN, "Die Zeichenhäufigkeit steht in %s"},
};

const std::unordered_map<unsigned, std::string>& Table() {
    static const std::unordered_map<unsigned, std::string> table = [] {
        std::unordered_map<unsigned, std::string> t;
        for (const auto& entry : kStrings)
            t.emplace(entry.nId, Utf8ToCp1252(entry.pszUtf8));
        return t;
    }();
    return table;
}

} // namespace

const Cp1252String& LoadString(unsigned nId) {
    static const Cp1252String empty;
    const auto& table = Table();
    const auto it = table.find(nId);
    return it == table.end() ? empty : it->second;
}

Cp1252String StrFormatV(const char* pszFormat, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n <= 0) return {};
    Cp1252String s(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(s.data(), s.size(), pszFormat, args);
    s.resize(static_cast<size_t>(n));
    return s;
}

Cp1252String StrFormat(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    Cp1252String s = StrFormatV(pszFormat, args);
    va_end(args);
    return s;
}

Cp1252String FormatString(unsigned nId, ...) {
    va_list args;
    va_start(args, nId);
    Cp1252String s = StrFormatV(LoadString(nId).c_str(), args);
    va_end(args);
    return s;
}

Cp1252String ProcessingErrorText(const std::string& path, uint32_t nCode) {
    // The system's text ends with a line break, which SystemErrorText removes.
    std::string text = SystemErrorText(nCode);
    if (!text.empty()) text += '\n';
    return FormatString(IDS_PROCESSING_ERROR, PathToAnsi(path).c_str(), text.c_str(), nCode);
}

} // namespace tervik
