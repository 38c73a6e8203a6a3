// The addon subcommand: loads one add-on library as the viewer's start does, lists
// its menu entries or runs one on a file, without a window.

#include "app/AddOnHost.h"
#include "base/Strings.h"
#include "base/TempFolder.h"
#include "cli/CliDocument.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "platform/SysConsole.h"
#include "platform/SysPaths.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace tervik::cli {

namespace {

const char* KindName(AddOnMenuEntry::Kind kind) {
    switch (kind) {
    case AddOnMenuEntry::Popup:
        return "popup";
    case AddOnMenuEntry::Separator:
        return "separator";
    default:
        return "item";
    }
}

void PrintWalk(CAddOnHost& host) {
    for (const AddOnMenuEntry& e : host.WalkMenu()) {
        const AddOnItem& item = *e.pItem;
        const std::string id = e.nId ? std::to_string(e.nId) : "-";
        std::printf("%s %s \"%s\" function=%d interface=0x%x output=%d\n", id.c_str(),
                    KindName(e.kind), item.text.c_str(), item.nFunction,
                    static_cast<unsigned>(item.nInterface), item.nOutput);
    }
    std::fflush(stdout);
}

// The system searches a plain name in its library folders only; a name that is a file
// in the current folder is meant as that file, as the other subcommands take it.
std::string LibraryPath(const std::string& name) {
#ifdef _WIN32
    const char* const pszFolderChars = "/\\:";
#else
    const char* const pszFolderChars = "/";
#endif
    if (name.find_first_of(pszFolderChars) != std::string::npos || !FileExists(name)) return name;
    return std::string(".") + kPathSeparator + name;
}

bool ParsePoints(const std::string& text, int32_t points[4]) {
    size_t nPos = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t nEnd = text.find(',', nPos);
        const std::string part = text.substr(nPos, nEnd == std::string::npos ? nEnd : nEnd - nPos);
        if (part.empty() || part.size() > 10 || (nEnd == std::string::npos) != (i == 3))
            return false;
        long long n = 0;
        for (char c : part) {
            if (c < '0' || c > '9') return false;
            n = n * 10 + (c - '0');
        }
        if (n > INT32_MAX) return false;
        points[i] = static_cast<int32_t>(n);
        nPos = nEnd + 1;
    }
    return true;
}

} // namespace

int RunAddOn(CArgs& args) {
    const OpenArgs open = TakeOpenArgs(args);
    const bool bList = args.TakeFlag("--list");
    const std::optional<uint64_t> nItem = args.TakeNumber("--item", UINT32_MAX);
    const std::optional<std::string> marked = args.TakeValue("--marked");
    const std::optional<std::string> pointsText = args.TakeValue("--points");
    const std::optional<std::string> outPath = args.TakeValue("--out");
    const std::vector<std::string> rest = args.Positionals();
    if (!args.HasError() && rest.size() != 2)
        args.SetError(rest.size() < 2 ? "Aufruf: addon BIB DATEI [--list] [--item N]"
                                      : "Zu viele Argumente.");
    if (!args.HasError() && !bList && !nItem) args.SetError("Es fehlt --list oder --item N.");
    if (!args.HasError() && marked.has_value() != pointsText.has_value())
        args.SetError("--marked und --points gehören zusammen.");
    int32_t points[4] = {0, 0, 0, 0};
    if (!args.HasError() && pointsText && !ParsePoints(*pointsText, points))
        args.SetError("Ungültige Markierungspunkte: " + *pointsText + " (L1,C1,L2,C2)");
    if (args.HasError()) return UsageError(Utf8ToCp1252(args.Error()));

    // Only this library, never the ExtensionList ones, and no settings are written.
    CAddOnHost host;
    std::string message;
    const std::string iniPath = open.iniPath.empty() ? DefaultIniPath() : open.iniPath;
    const auto status = host.LoadAddOn(LibraryPath(rest[0]), iniPath, message);
    if (status == CAddOnHost::LoadStatus::LoadFailed ||
        status == CAddOnHost::LoadStatus::NoEntryPoint) {
        PrintMessage(message);
        return kExitFailure;
    }
    if (bList) PrintWalk(host);
    if (!nItem) return kExitOk;
    host.WalkMenu(); // gives the entries their ids

    const uint32_t nId = static_cast<uint32_t>(*nItem);
    const AddOnItem* pItem = nId <= kAddOnLastId ? host.FindItem(nId) : nullptr;
    if (pItem && pItem->nInterface == ITEM_MARKED && !marked) {
        PrintMessage(Utf8ToCp1252("Der Eintrag braucht eine Markierung: --marked TEXT --points "
                                  "L1,C1,L2,C2."));
        return kExitUsage;
    }
    int nExit = kExitOk;
    OpenedFile f = OpenFile(open, rest[1], nExit);
    if (!f.pDoc) return nExit;
    std::string output;
    if (outPath) {
        output = *outPath;
    } else {
        std::string folder, refusal;
        if (!GetGeneratedFolder(f.pHost->Profile(), folder, refusal)) {
            PrintMessage(refusal);
            return kExitFailure;
        }
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        LocalTime(now, local);
        output = GeneratedFileName(folder, f.pDoc->GetPathName(), local, "");
    }
    const auto source = MakeDocumentSource(*f.pDoc);
    const auto start = std::chrono::steady_clock::now();
    const AddOnResult result =
        host.Dispatch(nId, *source, output, marked ? Utf8ToCp1252(*marked) : std::string(), points);
    f.PrintTiming("addon", start);
    if (!result.bOk) {
        PrintMessage(result.message);
        return kExitFailure;
    }
    // A toggle or an entry that wrote nothing leaves no file to name.
    if (FileExists(result.outputPath)) std::printf("output: %s\n", result.outputPath.c_str());
    return kExitOk;
}

} // namespace tervik::cli
