#include "app/UpdateCheck.h"

#include "base/Strings.h"
#include "platform/CodePage.h"
#include "platform/Process.h"
#include "platform/SysConsole.h"
#include "platform/SysFolder.h"
#include "platform/SysPaths.h"

#include <ctime>

namespace tervik {

namespace {

constexpr const char* kUpdaterName = "OrvAUpd";
// Files named in the question; a folder of thousands would make it taller than the screen.
constexpr int kListedFiles = 20;

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && !IsPathSeparator(folder.back())) folder += kPathSeparator;
    return folder;
}

int64_t Seconds(int64_t nNanoseconds) {
    return nNanoseconds >= 0 ? nNanoseconds / 1000000000
                             : -((-nNanoseconds + 999999999) / 1000000000);
}

// "d.m.yyyy hh:mm:ss" in UTC.
std::string TimeText(int64_t nSeconds) {
    const std::time_t t = static_cast<std::time_t>(nSeconds);
    std::tm utc{};
    UtcTime(t, utc);
    return StrFormat("%d.%d.%d %.2d:%.2d:%.2d", utc.tm_mday, utc.tm_mon + 1, utc.tm_year + 1900,
                     utc.tm_hour, utc.tm_min, utc.tm_sec);
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

} // namespace

std::optional<std::string> UpdateQuestion(const std::string& updatePath,
                                          const std::string& programPath) {
    if (updatePath.empty()) return std::nullopt;
    const std::string programFolder(FolderPart(programPath));
    std::string lines, first;
    int nCount = 0;
    for (const FolderEntry& entry : ListFolder(WithSeparator(updatePath))) {
        if (entry.m_bFolder) continue;
        int64_t nLocal = 0;
        // Whole seconds: copies that lost the fraction of a second are not newer.
        const int64_t nTheirs = Seconds(entry.m_nWriteTime);
        std::string line;
        if (!GetFileWriteTime(programFolder + entry.m_name, nLocal)) {
            line = "\n New:\t" + PathToAnsi(entry.m_name);
        } else if (Seconds(nLocal) < nTheirs) {
            line = "\n Upd:\t" + PathToAnsi(entry.m_name) + "\t" + TimeText(Seconds(nLocal)) +
                   " --> " + TimeText(nTheirs);
        } else {
            continue;
        }
        if (nCount++ == 0) {
            lines += "\n";
            first = PathToAnsi(entry.m_name);
        }
        if (nCount <= kListedFiles) lines += line;
    }
    if (nCount == 0) return std::nullopt;
    if (nCount > kListedFiles) lines += StrFormat("\n ... und %d weitere", nCount - kListedFiles);
    if (nCount > 1) first += ",...";
    // The name goes in as it is: a '%' in it is no format.
    std::string text = LoadString(IDS_NEWER_VERSION);
    if (const size_t nAt = text.find("%s"); nAt != std::string::npos) text.replace(nAt, 2, first);
    return text + lines;
}

std::string NewProgramFile(const std::string& updatePath, const std::string& programPath) {
    return WithSeparator(updatePath) + std::string(NamePart(programPath));
}

std::string JoinArguments(const std::vector<std::string>& args) {
    std::string joined;
    for (const std::string& arg : args) {
        if (!joined.empty()) joined += ' ';
        const bool bQuote = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
        joined += bQuote ? Quoted(arg) : arg;
    }
    return joined;
}

UpdaterLaunch MakeUpdaterLaunch(const std::string& newProgram, const std::string& programPath,
                                const std::string& arguments) {
    UpdaterLaunch launch;
    launch.m_program = std::string(FolderPart(programPath)) + kUpdaterName + kProgramSuffix;
    launch.m_args = {newProgram, programPath, programPath, arguments};
    launch.m_commandLine = Quoted(launch.m_program);
    for (const std::string& part : launch.m_args)
        launch.m_commandLine += " " + Quoted(part);
    return launch;
}

bool LaunchUpdater(const std::string& newProgram, const std::string& programPath,
                   const std::string& arguments, std::string& failureText) {
    const UpdaterLaunch launch = MakeUpdaterLaunch(newProgram, programPath, arguments);
    uint32_t nError = 0;
    if (SpawnDetached(launch.m_program, launch.m_args, nError)) return true;
    failureText = LoadString(IDS_UPDATE_FAILED) + StrFormat("%u\n", nError) +
                  PathToAnsi(launch.m_commandLine);
    return false;
}

} // namespace tervik
