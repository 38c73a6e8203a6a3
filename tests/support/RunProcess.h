#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace tervik::test {

class CTempDir;

struct ProcessResult {
    int nExitCode = -1;
    std::string out;
    std::string err;
};

// A program started in the background; its output goes to files.
struct RunningProcess {
    RunningProcess();
    RunningProcess(RunningProcess&& other) noexcept;
    ~RunningProcess();
    int nPid = -1;
#ifdef _WIN32
    void* hProcess = nullptr;
#endif
    std::unique_ptr<CTempDir> pDir;
    std::string outPath, errPath;
    // What it printed on stdout and stderr so far.
    std::string OutSoFar() const;
    std::string ErrSoFar() const;
};

// Starts a program with arguments (no shell); stdin is /dev/null.
RunningProcess StartProcess(const std::string& program, const std::vector<std::string>& args);
// Waits for its end and collects its output and exit code (128 + the signal when a
// signal ended it). Past the timeout the process is killed (exit code 137).
ProcessResult WaitProcess(RunningProcess& process,
                          std::chrono::milliseconds timeout = std::chrono::minutes(5));

// Runs a program with arguments (no shell) and collects its output and exit code.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args);

// tervik-cli of this build.
inline ProcessResult RunCli(const std::vector<std::string>& args) {
    return RunProcess(TERVIK_CLI_PATH, args);
}
inline RunningProcess StartCli(const std::vector<std::string>& args) {
    return StartProcess(TERVIK_CLI_PATH, args);
}

} // namespace tervik::test
