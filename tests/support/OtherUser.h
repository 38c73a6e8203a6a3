#pragma once

// Another local user for the tests of what such a user must not reach: a child
// process with the user and group ids of "nobody" (65534) and no other groups.
// Only root may change ids, so the tests skip elsewhere.

#ifndef _WIN32

#include <functional>

namespace tervik::test {

inline constexpr unsigned kOtherUid = 65534;

// Empty when this process may start such a child, else why not (for GTEST_SKIP).
const char* OtherUserUnavailable();

// The child runs setup as the other user and stays alive, keeping what it opened,
// until the object goes.
class COtherUser {
public:
    explicit COtherUser(const std::function<bool()>& setup);
    ~COtherUser();
    COtherUser(const COtherUser&) = delete;
    COtherUser& operator=(const COtherUser&) = delete;
    // The ids were changed and setup answered true.
    bool Ready() const { return m_bReady; }
    int Pid() const { return m_nPid; }

private:
    int m_nPid = -1;
    int m_fdRelease = -1;
    bool m_bReady = false;
};

} // namespace tervik::test

#endif
