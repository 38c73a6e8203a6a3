// The select subcommand: plays a selection script on a file as the viewer's playback
// does, then lists or exports the selected lines.

#include "base/Strings.h"
#include "cli/CliDocument.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "search/ExportSelected.h"
#include "search/LineSelection.h"
#include "search/ScriptPlayback.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace tervik::cli {

bool PlayScriptForCli(OpenedFile& f, const std::string& scriptPath) {
    CConsoleHost& host = *f.pHost;
    std::vector<TextHistoryEntry> history;
    const uint32_t nError = PlayScript(
        scriptPath, *f.pDoc, [&host](int nColour) { host.m_nSelectColour = nColour; }, &history);
    if (nError == 0) return true;
    PrintMessage(ProcessingErrorText(scriptPath, nError));
    return false;
}

int RunSelect(CArgs& args) {
    const OpenArgs open = TakeOpenArgs(args);
    const bool bList = args.TakeFlag("--list");
    const std::optional<std::string> exportPath = args.TakeValue("--export");
    const std::vector<std::string> rest = args.Positionals();
    if (!args.HasError() && rest.size() != 2)
        args.SetError(rest.size() < 2 ? "Aufruf: select SKRIPT DATEI" : "Zu viele Argumente.");
    if (args.HasError()) return UsageError(Utf8ToCp1252(args.Error()));
    int nExit = kExitOk;
    OpenedFile f = OpenFile(open, rest[1], nExit);
    if (!f.pDoc) return nExit;
    CTervikDoc& doc = *f.pDoc;

    const auto start = std::chrono::steady_clock::now();
    const bool bPlayed = PlayScriptForCli(f, rest[0]);
    f.PrintTiming("select", start);
    if (!bPlayed) return kExitFailure;
    PrintMessage(SelectedCountMessage(doc.SelectedCount()));
    if (bList) {
        COutput out;
        uint32_t r = 0;
        for (bool bAny = doc.IsLineSelected(0, nullptr, nullptr) || doc.NextSelected(r); bAny;
             bAny = doc.NextSelected(r)) {
            const uint32_t nBits = doc.Record(r)->m_nFlags & RF_COLOUR_MASK;
            out.PutNumber(r);
            out.Put(nBits == RF_RED ? " RED\n" : nBits == RF_GREEN ? " GREEN\n" : " BLUE\n");
        }
        out.Flush();
    }
    if (exportPath) {
        const auto exportStart = std::chrono::steady_clock::now();
        const ExportResult result = ExportSelectedLines(doc, *exportPath);
        f.PrintTiming("export", exportStart);
        if (!result.Ok()) {
            // Nobody to ask: a half-written export never stays behind.
            PrintMessage(ExportFailureText(*exportPath, result));
            if (RemovePartialExport(*exportPath, result))
                PrintMessage(
                    FormatString(IDS_PARTIAL_EXPORT_DELETED, PathToAnsi(*exportPath).c_str()));
            return kExitFailure;
        }
    }
    return kExitOk;
}

} // namespace tervik::cli
