#include "platform/Process.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace tervik {

int CurrentProcessId() {
    return static_cast<int>(::getpid());
}

std::optional<uint64_t> ParseStatStartTicks(std::string_view stat) {
    // The name ends at the last ')'; the state (field 3) follows after a space.
    const size_t nClose = stat.rfind(')');
    if (nClose == std::string_view::npos) return std::nullopt;
    std::string_view rest = stat.substr(nClose + 1);
    for (int nField = 3;; ++nField) {
        const size_t nStart = rest.find_first_not_of(' ');
        if (nStart == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(nStart);
        const size_t nEnd = std::min(rest.find(' '), rest.size());
        if (nField == 22) {
            uint64_t nTicks = 0;
            const std::string_view field = rest.substr(0, nEnd);
            const char* pEnd = field.data() + field.size();
            const auto [p, ec] = std::from_chars(field.data(), pEnd, nTicks);
            if (ec != std::errc() || p != pEnd) return std::nullopt;
            return nTicks;
        }
        rest.remove_prefix(nEnd);
    }
}

int64_t MillisecondsSinceProcessStart() {
    char buf[4096];
    const int fd = ::open("/proc/self/stat", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    const ssize_t n = ::read(fd, buf, sizeof buf);
    ::close(fd);
    if (n <= 0) return -1;
    const std::optional<uint64_t> nTicks =
        ParseStatStartTicks(std::string_view(buf, static_cast<size_t>(n)));
    const long nHz = ::sysconf(_SC_CLK_TCK);
    timespec now{};
    // The kernel counts the start from boot, suspended time included.
    if (!nTicks || nHz <= 0 || ::clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
    const int64_t nNowMs = int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
    return nNowMs - static_cast<int64_t>(*nTicks * 1000 / static_cast<uint64_t>(nHz));
}

bool SpawnDetached(const std::string& program, const std::vector<std::string>& args,
                   uint32_t& nError) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    // The new program starts with default signal handling and nothing blocked,
    // whatever this process has set up.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int nResult = ::posix_spawn(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (nResult != 0) {
        nError = static_cast<uint32_t>(nResult);
        return false;
    }
    return true;
}

namespace {
// The listening socket; a connection is a wake-up.
std::atomic<int> g_nListener{-1};

// Abstract socket names need no file and vanish with the process. The user id keeps
// other users' copies apart.
socklen_t WakeAddress(int nPid, sockaddr_un& addr) {
    addr = {};
    addr.sun_family = AF_UNIX;
    const std::string name =
        "Tervik.wake." + std::to_string(::geteuid()) + "." + std::to_string(nPid);
    std::memcpy(addr.sun_path + 1, name.data(), name.size());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

// Abstract names carry no permissions: anyone may bind or connect to them, so each
// side asks the system who is at the other end.
bool PeerIsThisUser(int fd) {
    ucred cred{};
    socklen_t nLen = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &nLen) == 0 && nLen == sizeof cred &&
           cred.uid == ::geteuid();
}
} // namespace

bool ListenForWake() {
    if (g_nListener >= 0) return true;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    sockaddr_un addr;
    const socklen_t nLen = WakeAddress(CurrentProcessId(), addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), nLen) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return false;
    }
    g_nListener = fd;
    return true;
}

intptr_t WakeHandle() {
    return g_nListener;
}

bool ClearWake() {
    const int fd = g_nListener;
    if (fd < 0) return false;
    bool bAny = false;
    for (;;) {
        const int nConn = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (nConn < 0) break;
        // Other users' connections are taken off the queue but wake nothing.
        if (PeerIsThisUser(nConn)) bAny = true;
        ::close(nConn);
    }
    return bAny;
}

bool WakeProcess(int nPid) {
    if (nPid <= 0) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    sockaddr_un addr;
    const socklen_t nLen = WakeAddress(nPid, addr);
    // A full queue means wake-ups are already waiting to be seen. Whoever listens
    // under the name must be this user: another user may have taken it first.
    bool bOk = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), nLen) == 0)
        bOk = PeerIsThisUser(fd);
    else
        bOk = errno == EAGAIN || errno == EINPROGRESS;
    ::close(fd);
    return bOk;
}

} // namespace tervik
