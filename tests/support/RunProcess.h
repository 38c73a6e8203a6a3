#pragma once

#include <string>
#include <vector>

namespace tervik::test {

struct ProcessResult {
    int nExitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell) and collects its output and exit code.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args);

// tervik-cli of this build.
inline ProcessResult RunCli(const std::vector<std::string>& args) {
    return RunProcess(TERVIK_CLI_PATH, args);
}

} // namespace tervik::test
