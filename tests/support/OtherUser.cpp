#ifndef _WIN32

#include "support/OtherUser.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tervik::test {

const char* OtherUserUnavailable() {
    return ::geteuid() == 0 ? "" : "needs root to act as another user";
}

COtherUser::COtherUser(const std::function<bool()>& setup) {
    int ready[2], release[2];
    if (::pipe(ready) != 0) return;
    if (::pipe(release) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return;
    }
    m_nPid = static_cast<int>(::fork());
    if (m_nPid == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        const bool bOk = ::setgroups(0, nullptr) == 0 &&
                         ::setresgid(kOtherUid, kOtherUid, kOtherUid) == 0 &&
                         ::setresuid(kOtherUid, kOtherUid, kOtherUid) == 0 && setup();
        const char c = bOk ? 1 : 0;
        [[maybe_unused]] ssize_t n = ::write(ready[1], &c, 1);
        char dummy;
        n = ::read(release[0], &dummy, 1); // until the parent closes its end
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    m_fdRelease = release[1];
    char c = 0;
    m_bReady = m_nPid > 0 && ::read(ready[0], &c, 1) == 1 && c == 1;
    ::close(ready[0]);
}

COtherUser::~COtherUser() {
    if (m_fdRelease >= 0) ::close(m_fdRelease);
    if (m_nPid > 0) ::waitpid(m_nPid, nullptr, 0);
}

} // namespace tervik::test

#endif
