#pragma once

#include "cli/Cli.h"

#include <string>

namespace tervik::cli {

// Each answers the exit code.
int RunInfo(CArgs& args);
int RunRecords(CArgs& args);
int RunText(CArgs& args);
int RunDump(CArgs& args);
int RunPattern(CArgs& args);
int RunFind(CArgs& args);
int RunSelect(CArgs& args);
int RunFollow(CArgs& args);
int RunWorkspace(CArgs& args);
int RunCharfreq(CArgs& args);
int RunAddOn(CArgs& args);

struct OpenedFile;
// Plays a selection script on the opened file; false (after the message) when the
// script file cannot be read.
bool PlayScriptForCli(OpenedFile& f, const std::string& scriptPath);

} // namespace tervik::cli
