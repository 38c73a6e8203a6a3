#include "app/ui/PrintPdf.h"

#include "app/ui/QtSystemColors.h"
#include "base/Colour.h"
#include "base/Settings.h"
#include "base/Strings.h"
#include "document/DocumentHost.h"
#include "document/OpenDialogRules.h"
#include "document/TervikDoc.h"
#include "framework/MessageBoxTypes.h"
#include "framework/ui/QtText.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "platform/SysPaths.h"
#include "search/ScriptPlayback.h"
#include "views/ui/PrintJob.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace tervik {

namespace {

// German text of this file (UTF-8) on stderr.
void Say(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    if (utf8.empty() || utf8.back() != '\n') std::fputc('\n', stderr);
}

// The program's own cp1252 texts on stderr.
void SayAnsi(const std::string& cp1252) {
    Say(Cp1252ToUtf8(cp1252));
}

// A document's host without a window: messages on stderr, questions answered "No",
// settings read but never written.
class CPdfHost : public IDocumentHost {
public:
    explicit CPdfHost(const std::string& iniPath) : m_profile(iniPath), m_settings(m_profile) {
        m_profile.SetReadOnly(true);
        m_colours = ReadColorSettings(m_profile, CQtSystemColors());
        m_options =
            COpenOptionsState(m_settings.OpenModeShareWrite(), m_settings.FixRecSize()).Current();
    }
    CSettings& Settings() override { return m_settings; }
    const ColorSettings& Colours() override { return m_colours; }
    OpenOptions CurrentOpenOptions() override { return m_options; }
    int SelectColour() override { return m_nSelectColour; }
    int MessageBox(const std::string& text, unsigned nType) override {
        SayAnsi(text);
        const unsigned nButtons = nType & MB_TYPEMASK;
        return nButtons == MB_YESNO || nButtons == MB_YESNOCANCEL ? IDNO : IDOK;
    }
    int m_nSelectColour = 0;

private:
    CProfile m_profile;
    CSettings m_settings;
    ColorSettings m_colours;
    OpenOptions m_options;
};

struct PdfArgs {
    std::string out;
    std::string file;
    std::string script;
    std::string ini;
    DisplayMode eMode = DisplayMode::Text;
    bool bColour = false;
};

constexpr const char* kUsage =
    "Aufruf: tervik --print-pdf AUSGABE.pdf DATEI [--mode text|hex|dump] [--color] "
    "[--only-selected SKRIPT] [--ini PFAD]";

// The arguments in any order; a message and none when they do not fit.
std::optional<PdfArgs> ParsePdfArgs(const QStringList& args) {
    PdfArgs a;
    bool bOut = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const auto value = [&](const char* pszWhat) -> std::optional<std::string> {
            // An option right after it means its value was forgotten.
            if (i + 1 >= args.size() || args[i + 1].startsWith("--")) {
                Say(std::string("Der Option ") + arg.toStdString() + " fehlt " + pszWhat + ".");
                return std::nullopt;
            }
            return ToPath(args[++i]);
        };
        if (arg == "--print-pdf") {
            const auto v = value("die Ausgabedatei");
            if (!v) return std::nullopt;
            a.out = *v;
            bOut = true;
        } else if (arg == "--mode") {
            const auto v = value("die Darstellung");
            if (!v) return std::nullopt;
            if (*v == "text")
                a.eMode = DisplayMode::Text;
            else if (*v == "hex")
                a.eMode = DisplayMode::Hex;
            else if (*v == "dump")
                a.eMode = DisplayMode::Dump;
            else {
                Say("Unbekannte Darstellung '" + *v + "': erlaubt sind text, hex und dump.");
                return std::nullopt;
            }
        } else if (arg == "--color") {
            a.bColour = true;
        } else if (arg == "--only-selected") {
            const auto v = value("das Skript");
            if (!v) return std::nullopt;
            a.script = *v;
        } else if (arg == "--ini") {
            const auto v = value("die Einstellungsdatei");
            if (!v) return std::nullopt;
            a.ini = *v;
        } else if (arg.startsWith("--")) {
            Say("Unbekannte Option " + arg.toStdString() + ".");
            return std::nullopt;
        } else if (a.file.empty()) {
            a.file = ToPath(arg);
        } else {
            Say("Nur eine Datei kann gedruckt werden: " + ToPath(arg));
            return std::nullopt;
        }
    }
    if (!bOut || a.out.empty() || a.file.empty()) {
        Say(kUsage);
        return std::nullopt;
    }
    return a;
}

} // namespace

bool IsPrintPdfCall(const QStringList& args) {
    return args.contains(QStringLiteral("--print-pdf"));
}

bool IsHelpCall(const QStringList& args) {
    return args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
}

int PrintViewerHelp() {
    std::fputs("Orv's File-Viewer (tervik)\n"
               "\n"
               "Aufruf:\n"
               "  tervik [--ini PFAD] [DATEI | ARBEITSPLATZ.tervik]\n"
               "      öffnet die Datei oder den Arbeitsplatz im Fenster\n"
               "  tervik --print-pdf AUSGABE.pdf DATEI [--mode text|hex|dump] [--color]\n"
               "         [--only-selected SKRIPT] [--ini PFAD]\n"
               "      druckt die Datei ohne Fenster in eine PDF-Datei (A4 hoch, 600 dpi)\n"
               "  tervik --help\n"
               "      zeigt diese Hilfe\n"
               "\n"
               "Optionen:\n"
               "  --ini PFAD              andere Einstellungsdatei\n"
               "  --print-pdf AUSGABE.pdf Ausgabe in eine PDF-Datei statt eines Fensters\n"
               "  --mode text|hex|dump    Darstellung des Drucks (Vorgabe: text)\n"
               "  --color                 selektierte Zeilen in ihren Farben drucken\n"
               "  --only-selected SKRIPT  das Selektionsskript (.terviks) abspielen und nur\n"
               "                          die selektierten Zeilen drucken\n"
               "\n"
               "Mit --print-pdf erscheinen Meldungen auf stderr; Rückgabewert 0 bei Erfolg,\n"
               "1 bei einem Fehler. Einstellungen werden dabei nur gelesen.\n",
               stdout);
    return 0;
}

int RunPrintPdf(const QStringList& args) {
    const std::optional<PdfArgs> a = ParsePdfArgs(args);
    if (!a) return 1;
    CPdfHost host(SettingsFilePath(ProgramPath(), a->ini));
    CTervikDoc doc(host);
    // The document has said why (on stderr).
    if (!doc.OnOpenDocument(a->file)) return 1;
    if (!a->script.empty()) {
        const uint32_t nError = PlayScript(
            a->script, doc, [&host](int nColour) { host.m_nSelectColour = nColour; }, nullptr);
        if (nError != 0) {
            SayAnsi(ProcessingErrorText(a->script, nError));
            doc.OnCloseDocument();
            return 1;
        }
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(FromPath(a->out));
    printer.setResolution(600);
    // A PDF has no unprintable edge: the margins are the printout's own.
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    printer.setDocName(FromPath(NamePart(a->file)));
    PrintRequest request;
    request.m_eMode = a->eMode;
    request.m_bOnlySelected = !a->script.empty();
    request.m_bColour = a->bColour;
    request.m_fontName = FromAnsi(host.Settings().FontName());
    request.m_nFontSize10 = host.Settings().FontSize() * 10;
    CPrintJob job(doc, request);
    uint32_t nPages = 0;
    const bool bOk = job.Run(printer, &nPages);
    doc.OnCloseDocument();
    if (!bOk) return 1;
    Say("Gedruckt: " + std::to_string(nPages) + (nPages == 1 ? " Seite" : " Seiten") + " in " +
        a->out);
    return 0;
}

} // namespace tervik
