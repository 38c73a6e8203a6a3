#pragma once

// Opening a file for a subcommand: the open options, the settings and a host that
// answers the document from the console.

#include "base/Colour.h"
#include "base/Settings.h"
#include "cli/Cli.h"
#include "document/DocumentHost.h"
#include "document/TervikDoc.h"
#include "platform/Profile.h"

#include <chrono>
#include <memory>
#include <optional>

namespace tervik::cli {

class CConsoleHost : public IDocumentHost {
public:
    explicit CConsoleHost(const std::string& iniPath);
    CSettings& Settings() override { return m_settings; }
    const ColorSettings& Colours() override { return m_colours; }
    OpenOptions CurrentOpenOptions() override { return m_options; }
    // Messages go to stderr; a question is answered "No".
    int MessageBox(const Cp1252String& text, unsigned nType) override;

    int SelectColour() override { return m_nSelectColour; }

    CProfile& Profile() { return m_profile; }
    OpenOptions m_options;
    int m_nSelectColour = 0;

private:
    CProfile m_profile;
    CSettings m_settings;
    ColorSettings m_colours;
};

// A document opened with the options of the command line.
struct OpenedFile {
    std::unique_ptr<CConsoleHost> pHost;
    std::unique_ptr<CTervikDoc> pDoc;
    bool bTiming = false;
    std::chrono::steady_clock::time_point start;
    // Prints "<name>-ms: X" on stderr when --timing was given.
    void PrintTiming(const char* pszName) const;
    // The same for the time since a later moment (an engine's run alone).
    void PrintTiming(const char* pszName, std::chrono::steady_clock::time_point since) const;
};

// The common and open options of the command line.
struct OpenArgs {
    std::string iniPath;
    bool bTiming = false;
    OpenOptions options;
    std::optional<uint64_t> nMaxRec;
    std::optional<uint64_t> nTab;
    std::optional<bool> bUtf8;
    std::optional<bool> bUtf16;
};

// Takes --ini, --timing, --fixed, --limit, --from-end, --maxrec, --tab, --utf8 and
// --utf16 from args; a bad value is noted as the args' error.
OpenArgs TakeOpenArgs(CArgs& args);

// The viewer's settings file, used when --ini is not given.
std::string DefaultIniPath();

// Opens the file. On failure the document is empty and nExit holds the exit code.
OpenedFile OpenFile(const OpenArgs& open, const std::string& path, int& nExit);

// Switches the display flags as --utf8 and --utf16 ask (after an open or a reopen).
void ApplyCharsetArgs(const OpenArgs& open, CTervikDoc& doc);

// The usual start of a subcommand: its one FILE argument, then the open. The
// document is empty when the answer (in nExit) is not kExitOk.
OpenedFile OpenTheFile(CArgs& args, const OpenArgs& open, int& nExit);

} // namespace tervik::cli
