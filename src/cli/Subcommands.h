#pragma once

#include "cli/Cli.h"

namespace tervik::cli {

// Each answers the exit code.
int RunInfo(CArgs& args);
int RunRecords(CArgs& args);
int RunText(CArgs& args);
int RunDump(CArgs& args);
int RunPattern(CArgs& args);
int RunFind(CArgs& args);

} // namespace tervik::cli
