#include "cli/CliDocument.h"

#include "base/Strings.h"
#include "framework/MessageBoxTypes.h"
#include "platform/CodePage.h"
#include "platform/SysPaths.h"

#include <cstdio>

namespace tervik::cli {

std::string DefaultIniPath() {
    // The viewer's settings file: the viewer lives beside this tool.
    const std::string program = ProgramPath();
    return SettingsFilePath(std::string(FolderPart(program)) + "tervik");
}

namespace {

std::optional<bool> TakeOnOff(CArgs& args, std::string_view name) {
    auto value = args.TakeValue(name);
    if (!value) return std::nullopt;
    if (*value == "on") return true;
    if (*value == "off") return false;
    args.SetError("Ungültiger Wert für " + std::string(name) + ": " + *value + " (on oder off)");
    return std::nullopt;
}

} // namespace

CConsoleHost::CConsoleHost(const std::string& iniPath) : m_profile(iniPath), m_settings(m_profile) {
    // The tool reads the settings as the viewer does but never writes them.
    m_profile.SetReadOnly(true);
    // Said once per run, however many files a subcommand opens.
    static bool s_bTold = false;
    if (!s_bTold && m_profile.ReadError() != 0) {
        s_bTold = true;
        PrintMessage(FormatString(IDS_SETTINGS_DEFAULTS, PathToAnsi(iniPath).c_str()));
    }
    m_colours = ReadColorSettings(m_profile, CDefaultSystemColors());
}

int CConsoleHost::MessageBox(const Cp1252String& text, unsigned nType) {
    PrintMessage(text);
    return (nType & MB_TYPEMASK) == MB_YESNO || (nType & MB_TYPEMASK) == MB_YESNOCANCEL ? IDNO
                                                                                        : IDOK;
}

void OpenedFile::PrintTiming(const char* pszName) const {
    PrintTiming(pszName, start);
}

void OpenedFile::PrintTiming(const char* pszName,
                             std::chrono::steady_clock::time_point since) const {
    if (!bTiming) return;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
    std::fprintf(stderr, "%s-ms: %.1f\n", pszName, ms);
}

OpenArgs TakeOpenArgs(CArgs& args) {
    OpenArgs o;
    if (auto ini = args.TakeValue("--ini")) o.iniPath = *ini;
    o.bTiming = args.TakeFlag("--timing");
    if (auto n = args.TakeNumber("--fixed", kMaxFixRecSize))
        o.options.m_nFixRecSize = static_cast<uint32_t>(*n);
    if (auto n = args.TakeNumber("--limit", kMaxRecords))
        o.options.m_nRecordLimit = static_cast<uint32_t>(*n);
    o.options.m_bLimitFromEnd = args.TakeFlag("--from-end");
    o.nMaxRec = args.TakeNumber("--maxrec", 0x7FFFFFFF);
    o.nTab = args.TakeNumber("--tab", kMaxTabSize);
    // auto: as the viewer detects it.
    if (auto value = args.TakeValue("--utf8"); value && *value != "auto") {
        if (*value == "on" || *value == "off")
            o.bUtf8 = *value == "on";
        else
            args.SetError("Ungültiger Wert für --utf8: " + *value + " (on, off oder auto)");
    }
    o.bUtf16 = TakeOnOff(args, "--utf16");
    return o;
}

void ApplyCharsetArgs(const OpenArgs& open, CTervikDoc& doc) {
    if (open.bUtf8) {
        if (*open.bUtf8 && !doc.CanUseUtf8())
            PrintMessage(Utf8ToCp1252("Hinweis: Die Datei ist UTF-16 (BOM); --utf8 on bleibt "
                                      "ohne Wirkung."));
        else
            doc.SetUtf8(*open.bUtf8);
    }
    if (open.bUtf16) {
        if (*open.bUtf16 && !doc.m_bBomUtf16Le && !doc.m_bBomUtf16Be)
            PrintMessage(Utf8ToCp1252("Hinweis: Die Datei hat kein UTF-16-Kennzeichen (BOM); "
                                      "--utf16 on bleibt ohne Wirkung."));
        else
            doc.m_bUtf16 = *open.bUtf16 ? 1 : 0;
    }
}

OpenedFile OpenFile(const OpenArgs& open, const std::string& path, int& nExit) {
    OpenedFile f;
    f.bTiming = open.bTiming;
    f.pHost =
        std::make_unique<CConsoleHost>(open.iniPath.empty() ? DefaultIniPath() : open.iniPath);
    f.pHost->m_options = open.options;
    // Overrides live in the store's memory only: it is read-only.
    if (open.nMaxRec)
        f.pHost->Profile().WriteProfileInt("Settings", "MaxRecSize",
                                           static_cast<int>(*open.nMaxRec));
    if (open.nTab)
        f.pHost->Profile().WriteProfileInt("Settings", "TabSize", static_cast<int>(*open.nTab));
    f.start = std::chrono::steady_clock::now();
    f.pDoc = std::make_unique<CTervikDoc>(*f.pHost);
    if (!f.pDoc->OnOpenDocument(path)) {
        f.pDoc.reset();
        nExit = kExitFailure;
        return f;
    }
    f.PrintTiming("ready");
    ApplyCharsetArgs(open, *f.pDoc);
    nExit = kExitOk;
    return f;
}

OpenedFile OpenTheFile(CArgs& args, const OpenArgs& open, int& nExit) {
    const std::vector<std::string> rest = args.Positionals();
    if (!args.HasError() && rest.size() != 1)
        args.SetError(rest.empty() ? "Es fehlt der Dateiname." : "Zu viele Argumente.");
    if (args.HasError()) {
        nExit = UsageError(Utf8ToCp1252(args.Error()));
        return {};
    }
    return OpenFile(open, rest[0], nExit);
}

} // namespace tervik::cli
