#include "RunProcess.h"

#include "TempDir.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <utility>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tervik::test {

RunningProcess::RunningProcess() = default;
RunningProcess::RunningProcess(RunningProcess&& other) noexcept
    : nPid(std::exchange(other.nPid, -1)), pDir(std::move(other.pDir)),
      outPath(std::move(other.outPath)), errPath(std::move(other.errPath)) {}

RunningProcess::~RunningProcess() {
    // A test that failed early leaves no process behind.
    if (nPid > 0) WaitProcess(*this, std::chrono::milliseconds(0));
}

std::string RunningProcess::OutSoFar() const {
    return ReadWholeFile(outPath);
}

RunningProcess StartProcess(const std::string& program, const std::vector<std::string>& args) {
    RunningProcess process;
    process.pDir = std::make_unique<CTempDir>();
    process.outPath = process.pDir->File("stdout");
    process.errPath = process.pDir->File("stderr");
    const pid_t pid = ::fork();
    if (pid < 0) return process;
    if (pid == 0) {
        const int out = ::open(process.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(process.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    process.nPid = pid;
    return process;
}

ProcessResult WaitProcess(RunningProcess& process, std::chrono::milliseconds timeout) {
    ProcessResult result;
    if (process.nPid <= 0) return result;
    const auto until = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    useconds_t nPause = 100;
    for (;;) {
        const pid_t r = ::waitpid(process.nPid, &status, WNOHANG);
        if (r == process.nPid) break;
        if (r < 0 && errno != EINTR) return result;
        if (std::chrono::steady_clock::now() >= until) ::kill(process.nPid, SIGKILL);
        ::usleep(nPause);
        nPause = std::min<useconds_t>(nPause * 2, 5000);
    }
    process.nPid = -1;
    result.nExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadWholeFile(process.outPath);
    result.err = ReadWholeFile(process.errPath);
    return result;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args) {
    RunningProcess process = StartProcess(program, args);
    return WaitProcess(process);
}

} // namespace tervik::test
