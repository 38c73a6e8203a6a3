#include "RunProcess.h"

#include "TempDir.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tervik::test {

RunningProcess::RunningProcess() = default;
RunningProcess::RunningProcess(RunningProcess&& other) noexcept
    : nPid(std::exchange(other.nPid, -1)),
#ifdef _WIN32
      hProcess(std::exchange(other.hProcess, nullptr)),
#endif
      pDir(std::move(other.pDir)), outPath(std::move(other.outPath)),
      errPath(std::move(other.errPath)) {
}

RunningProcess::~RunningProcess() {
    // A test that failed early leaves no process behind.
    if (nPid > 0) WaitProcess(*this, std::chrono::milliseconds(0));
}

std::string RunningProcess::OutSoFar() const {
    return ReadWholeFile(outPath);
}

std::string RunningProcess::ErrSoFar() const {
    return ReadWholeFile(errPath);
}

#ifdef _WIN32
namespace {
std::wstring Wide(const std::string& utf8) {
    return U8Path(utf8).wstring();
}

// One argument as the C runtime's command-line parser reads it back.
std::wstring Quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t nSlashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++nSlashes;
            continue;
        }
        out.append(c == L'"' ? nSlashes * 2 + 1 : nSlashes, L'\\');
        nSlashes = 0;
        out += c;
    }
    out.append(nSlashes * 2, L'\\');
    return out + L"\"";
}

HANDLE Inheritable(const std::wstring& path, DWORD nAccess, DWORD nCreate) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileW(path.c_str(), nAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, nCreate,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}
} // namespace

RunningProcess StartProcess(const std::string& program, const std::vector<std::string>& args) {
    RunningProcess process;
    process.pDir = std::make_unique<CTempDir>();
    process.outPath = process.pDir->File("stdout");
    process.errPath = process.pDir->File("stderr");
    std::wstring line = Quoted(Wide(program));
    for (const auto& a : args)
        line += L" " + Quoted(Wide(a));
    HANDLE hOut = Inheritable(Wide(process.outPath), GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE hErr = Inheritable(Wide(process.errPath), GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE hIn = Inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof si;
    si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    si.StartupInfo.hStdInput = hIn;
    si.StartupInfo.hStdOutput = hOut;
    si.StartupInfo.hStdError = hErr;
    // The child inherits its three standard handles and nothing else: the C runtime
    // opens files inheritable, and a file another test thread has open for writing at
    // this moment would otherwise stay open (and locked) as long as the child runs.
    HANDLE handles[] = {hIn, hOut, hErr};
    SIZE_T nSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &nSize);
    std::vector<char> attributes(nSize);
    auto* pList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    DWORD nFlags = 0;
    if (InitializeProcThreadAttributeList(pList, 1, 0, &nSize)) {
        if (UpdateProcThreadAttribute(pList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                      sizeof handles, nullptr, nullptr)) {
            si.lpAttributeList = pList;
            nFlags = EXTENDED_STARTUPINFO_PRESENT;
        }
    }
    PROCESS_INFORMATION pi{};
    const std::wstring app = Wide(program);
    if (CreateProcessW(app.c_str(), line.data(), nullptr, nullptr, TRUE, nFlags, nullptr, nullptr,
                       &si.StartupInfo, &pi)) {
        CloseHandle(pi.hThread);
        process.hProcess = pi.hProcess;
        process.nPid = static_cast<int>(pi.dwProcessId);
    }
    if (si.lpAttributeList) DeleteProcThreadAttributeList(pList);
    for (HANDLE h : {hOut, hErr, hIn})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return process;
}

ProcessResult WaitProcess(RunningProcess& process, std::chrono::milliseconds timeout) {
    ProcessResult result;
    if (!process.hProcess) return result;
    HANDLE h = static_cast<HANDLE>(process.hProcess);
    if (WaitForSingleObject(h, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        TerminateProcess(h, 137);
        WaitForSingleObject(h, INFINITE);
    }
    DWORD nCode = 0;
    GetExitCodeProcess(h, &nCode);
    CloseHandle(h);
    process.hProcess = nullptr;
    process.nPid = -1;
    result.nExitCode = static_cast<int>(nCode);
    result.out = ReadWholeFile(process.outPath);
    result.err = ReadWholeFile(process.errPath);
    return result;
}

#else
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

#endif

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args) {
    RunningProcess process = StartProcess(program, args);
    return WaitProcess(process);
}

} // namespace tervik::test
