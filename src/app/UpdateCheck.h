#pragma once

// The update folder: files there that are missing or older in the program's folder
// are offered to an outside updater, which replaces the running program.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tervik {

// The question for an update folder (empty: no check), compared file by file with
// the folder of programPath: IDS_NEWER_VERSION naming the first new or newer file (",..."
// when there are more) and one line per file, "New:" or "Upd:" with both times
// (UTC, whole seconds), the first 20 of them and "... und N weitere" for the rest.
// nullopt when nothing there is new or newer.
std::optional<std::string> UpdateQuestion(const std::string& updatePath,
                                          const std::string& programPath);

// The update folder's copy of the program file.
std::string NewProgramFile(const std::string& updatePath, const std::string& programPath);

// The program's own arguments as one string: separated by spaces, an argument with
// a blank (or an empty one) in double quotes.
std::string JoinArguments(const std::vector<std::string>& args);

struct UpdaterLaunch {
    std::string m_program;           // "OrvAUpd" in the program's folder
    std::vector<std::string> m_args; // new program, program twice, the arguments
    std::string m_commandLine;       // all five parts, quoted, for the failure message
};
UpdaterLaunch MakeUpdaterLaunch(const std::string& newProgram, const std::string& programPath,
                                const std::string& arguments);

// Starts the updater without waiting for it. False with the German failure text
// (the system's code and the command line) when it could not be started.
bool LaunchUpdater(const std::string& newProgram, const std::string& programPath,
                   const std::string& arguments, std::string& failureText);

} // namespace tervik
