// tervik-cli: subcommand dispatch, --help and --version.

#include "app/Version.h"
#include "cli/Cli.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "platform/SysConsole.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kHelp =
    "tervik-cli – der Datei-Viewer ohne Fenster\n"
    "\n"
    "Aufruf: tervik-cli UNTERBEFEHL [OPTIONEN] DATEI...\n"
    "        tervik-cli --help | --version\n"
    "\n"
    "Unterbefehle:\n"
    "  info DATEI         Dateigröße, Zeilen, längste Zeile, Zeilenende, BOM, MD5, UTF-8\n"
    "  records DATEI      je Zeile: Offset Länge Flags\n"
    "  text DATEI         Anzeigetext der Zeilen (cp1252; --utf8-out: als UTF-8 mit den\n"
    "                     eigenen Zeichen einer UTF-8- oder UTF-16-Datei, auch bei follow)\n"
    "  dump DATEI         Dumpzeilen\n"
    "  pattern ZEILE      Suchmuster zerlegen\n"
    "  find ZEILE DATEI   suchen\n"
    "  select SKRIPT DATEI\n"
    "                     Selektionsskript abspielen\n"
    "  charfreq DATEI     Zeichenhäufigkeit als CSV (CR LF) auf stdout\n"
    "                     (--out PFAD schreibt sie in diese Datei)\n"
    "  follow DATEI       Zeilen wie text, dann jede neue Zeile, während die Datei wächst\n"
    "                     (--from R, sonst die letzten 10; --interval MS, Vorgabe 250;\n"
    "                     --idle-exit MS endet, wenn sie so lange nicht wächst;\n"
    "                     Strg+C endet mit Exit-Code 130)\n"
    "  workspace show W.tervik\n"
    "                     Arbeitsplatz probeweise laden: je Befehl eine Zeile\n"
    "                     (open, window, select, bookmark, active)\n"
    "  workspace new AUS.tervik DATEI... [--select SKRIPT]\n"
    "                     Arbeitsplatz schreiben: jede Datei in einem Fenster,\n"
    "                     mit den Zeilen, die das Skript selektiert\n"
    "  addon BIB DATEI [--list] [--item N] [--marked TEXT --points L1,C1,L2,C2] [--out PFAD]\n"
    "                     Erweiterungsbibliothek laden: --list zeigt ihre Menüeinträge,\n"
    "                     --item N führt den Eintrag N auf DATEI aus (Ausgabe in PFAD, sonst\n"
    "                     Tervik_* im Temp-Ordner; das Beenden des Viewers löscht diese)\n"
    "\n"
    "Allgemeine Optionen: --ini PFAD (Einstellungsdatei), --timing (Zeiten auf stderr)\n"
    "Öffnen: --fixed N, --limit N, --from-end, --maxrec N, --tab N, --utf8 on|off|auto, --utf16 on|off\n"
    "\n"
    "Exit-Code: 0 Erfolg, 1 Fehler der Verarbeitung, 2 falscher Aufruf.\n";

} // namespace

int main(int argc, char** argv) {
    using namespace tervik::cli;
    // Output is bytes: cp1252 text and LF line ends on every system.
    tervik::SetBinaryOutput();
    std::vector<std::string> args = tervik::ProgramArguments(argc, argv);
    if (args.empty()) return UsageError(tervik::Utf8ToCp1252("Es fehlt der Unterbefehl."));
    const std::string command = args.front();
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kHelp, stdout);
        return kExitOk;
    }
    if (command == "--version") {
        std::printf("tervik-cli %s\n", tervik::kVersion);
        return kExitOk;
    }
    struct Subcommand {
        const char* pszName;
        int (*pfnRun)(CArgs&);
    };
    static constexpr Subcommand kSubcommands[] = {
        {"info", RunInfo},         {"records", RunRecords}, {"text", RunText},
        {"dump", RunDump},         {"pattern", RunPattern}, {"find", RunFind},
        {"select", RunSelect},     {"follow", RunFollow},   {"workspace", RunWorkspace},
        {"charfreq", RunCharfreq}, {"addon", RunAddOn},
    };
    for (const auto& sub : kSubcommands) {
        if (command == sub.pszName) {
            CArgs rest(std::vector<std::string>(args.begin() + 1, args.end()));
            return sub.pfnRun(rest);
        }
    }
    // The name as typed: UTF-8 like every argument, not the program's code page.
    return UsageError(tervik::Utf8ToCp1252("Unbekannter Unterbefehl: " + command));
}
