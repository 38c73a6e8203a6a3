#include "platform/SysError.h"

#include "platform/CodePage.h"

#include <cerrno>
#include <cstring>
#include <string_view>

namespace tervik {

namespace {

// German texts for the codes users meet when opening, reading and writing files.
// Anything else falls back to the C library's text.
struct GermanText {
    int nCode;
    const char* pszText;
};

constexpr GermanText kGermanTexts[] = {
    {EPERM, "Der Vorgang ist nicht zulässig."},
    {ENOENT, "Das System kann die angegebene Datei nicht finden."},
    {EIO, "Ein-/Ausgabefehler beim Zugriff auf das Gerät."},
    {ENXIO, "Das Gerät oder die Adresse ist nicht vorhanden."},
    {ENODEV, "Das Gerät ist keine Datei, die sich anzeigen lässt."},
    {EBADF, "Das Handle ist ungültig."},
    {ENOMEM, "Nicht genügend Arbeitsspeicher verfügbar."},
    {EACCES, "Zugriff verweigert."},
    {EBUSY, "Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess "
            "verwendet wird."},
    {EEXIST, "Die Datei ist bereits vorhanden."},
    {ENOTDIR, "Ein Teil des Pfades ist kein Verzeichnis."},
    {EISDIR, "Der angegebene Name ist ein Verzeichnis, keine Datei."},
    {EINVAL, "Der Parameter ist falsch."},
    {ENFILE, "Das System kann keine weiteren Dateien öffnen."},
    {EMFILE, "Das System kann keine weiteren Dateien öffnen."},
    {EFBIG, "Die Datei ist zu groß."},
    {ENOSPC, "Auf dem Datenträger ist nicht genügend Speicherplatz vorhanden."},
    {ESPIPE, "Die Datei erlaubt kein Lesen an beliebiger Stelle (zum Beispiel eine Pipe)."},
    {EROFS, "Der Datenträger ist schreibgeschützt."},
    {ENAMETOOLONG, "Der Dateiname ist zu lang."},
    {ELOOP, "Zu viele symbolische Verknüpfungen im Pfad."},
    {ETXTBSY, "Die Datei wird gerade von einem anderen Prozess verwendet."},
    {EOVERFLOW, "Der Wert ist für den Datentyp zu groß."},
    {ESTALE, "Die Netzwerkdatei ist nicht mehr gültig."},
    {ETIMEDOUT, "Das Zeitlimit für den Vorgang wurde überschritten."},
    {EDQUOT, "Das Speicherkontingent ist überschritten."},
};

} // namespace

uint32_t LastSystemError() {
    return static_cast<uint32_t>(errno);
}

std::string SystemErrorText(uint32_t nCode) {
    std::string text;
    for (const auto& entry : kGermanTexts) {
        if (static_cast<uint32_t>(entry.nCode) == nCode) {
            text = entry.pszText;
            break;
        }
    }
    if (text.empty() && nCode != 0 && nCode < 4096) {
        char buf[256] = {};
        // GNU strerror_r may return a static string instead of filling buf.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
        const char* p = strerror_r(static_cast<int>(nCode), buf, sizeof buf);
        text = p ? p : "";
#else
        if (strerror_r(static_cast<int>(nCode), buf, sizeof buf) == 0) text = buf;
#endif
        // The C library invents a text for numbers it does not know.
        if (text.rfind("Unknown error", 0) == 0) text.clear();
    }
    // Our texts are UTF-8 in the source; the program's text is cp1252.
    text = Utf8ToCp1252(text);
    if (text.size() > 255) text.resize(255);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

std::string CauseText(uint32_t nCode) {
    const std::string text = SystemErrorText(nCode);
    if (text.empty()) return "Returncode " + std::to_string(nCode);
    return "Ursache: " + text + " (Code=" + std::to_string(nCode) + ")";
}

} // namespace tervik
