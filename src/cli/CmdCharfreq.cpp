// The charfreq subcommand: the viewer's character-frequency CSV on stdout or into a
// file.

#include "base/Strings.h"
#include "cli/CliDocument.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "search/CharFrequency.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace tervik::cli {

int RunCharfreq(CArgs& args) {
    const OpenArgs open = TakeOpenArgs(args);
    const std::optional<std::string> outPath = args.TakeValue("--out");
    const std::vector<std::string> rest = args.Positionals();
    if (!args.HasError() && rest.size() != 1)
        args.SetError(rest.empty() ? "Aufruf: charfreq DATEI [--out PFAD]" : "Zu viele Argumente.");
    if (args.HasError()) return UsageError(Utf8ToCp1252(args.Error()));
    int nExit = kExitOk;
    OpenedFile f = OpenFile(open, rest[0], nExit);
    if (!f.pDoc) return nExit;
    // The count reads the whole file itself; the digest would only compete with it.
    f.pDoc->DropDigest();

    const auto start = std::chrono::steady_clock::now();
    if (outPath) {
        const uint32_t nError = WriteCharFrequency(*f.pDoc, *outPath);
        f.PrintTiming("charfreq", start);
        if (nError == 0) return kExitOk;
        PrintMessage(ProcessingErrorText(*outPath, nError));
        return kExitFailure;
    }
    ByteCounts counts = {};
    const uint32_t nError = CountFileBytes(*f.pDoc, counts);
    f.PrintTiming("charfreq", start);
    if (nError != 0) {
        PrintMessage(ProcessingErrorText(f.pDoc->GetPathName(), nError));
        return kExitFailure;
    }
    const std::string csv = CharFrequencyCsv(counts);
    if (std::fwrite(csv.data(), 1, csv.size(), stdout) != csv.size() || std::fflush(stdout) != 0)
        return kExitFailure;
    return kExitOk;
}

} // namespace tervik::cli
