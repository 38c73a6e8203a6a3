// The single-instance block: its layout rules, and both sides of the hand-over with
// real blocks in threads.

#include "app/SingleInstance.h"

#include "platform/Process.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#ifdef _WIN32
#include <windows.h>
#else
#include "support/OtherUser.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#endif
#include <thread>
#include <unistd.h>
#include <vector>

namespace tervik {
namespace {

using Put = InstanceBlock::Put;

TEST(InstanceBlock, OwnerTextAndOneNameAtATime) {
    std::vector<char> block(CSharedBlock::kSize, '\0');
    char* p = block.data();
    EXPECT_EQ(InstanceBlock::OwnerPid(p), 0);
    EXPECT_EQ(InstanceBlock::PutName(p, "/a"), Put::NoOwner);

    InstanceBlock::InitOwner(p, 4711);
    EXPECT_STREQ(p, "CMainFrame:4711");
    EXPECT_EQ(InstanceBlock::OwnerPid(p), 4711);
    EXPECT_FALSE(InstanceBlock::TakeName(p));

    EXPECT_EQ(InstanceBlock::PutName(p, "/home/u/a b.log"), Put::Written);
    EXPECT_STREQ(p + 16, "/home/u/a b.log"); // directly after the text's NUL
    // A second name waits until the first has been taken.
    EXPECT_EQ(InstanceBlock::PutName(p, "/other"), Put::Busy);
    EXPECT_EQ(InstanceBlock::TakeName(p), "/home/u/a b.log");
    EXPECT_FALSE(InstanceBlock::TakeName(p)); // taken once
    EXPECT_EQ(p[16], '\0');
    EXPECT_EQ(InstanceBlock::PutName(p, "/other"), Put::Written);
    EXPECT_EQ(InstanceBlock::TakeName(p), "/other");

    // No name only wakes; a name that does not fit is not cut.
    EXPECT_EQ(InstanceBlock::PutName(p, ""), Put::Written);
    EXPECT_FALSE(InstanceBlock::TakeName(p));
    EXPECT_EQ(InstanceBlock::PutName(p, std::string(CSharedBlock::kSize - 16, 'x')), Put::TooLong);
    EXPECT_EQ(InstanceBlock::PutName(p, std::string(CSharedBlock::kSize - 17, 'x')), Put::Written);
    EXPECT_EQ(InstanceBlock::TakeName(p)->size(), CSharedBlock::kSize - 17);

    // A new owner's text replaces what an ended one left, its waiting name included.
    EXPECT_EQ(InstanceBlock::PutName(p, "/stale/name/of/a/longer/kind"), Put::Written);
    InstanceBlock::InitOwner(p, 12);
    EXPECT_EQ(InstanceBlock::OwnerPid(p), 12);
    EXPECT_FALSE(InstanceBlock::TakeName(p));
}

TEST(InstanceBlock, OnlyOurOwnerTextGivesAnId) {
    const struct {
        const char* pszText;
        int nPid;
    } kCases[] = {
        {"CMainFrame:1", 1},  {"CMainFrame:", 0},           {"CMainFrame:12x", 0}, {"Other:12", 0},
        {"CMainFrame 12", 0}, {"CMainFrame:1234567890", 0}, {"CMainFrame:-3", 0},
    };
    for (const auto& c : kCases) {
        std::vector<char> block(CSharedBlock::kSize, '\0');
        std::strcpy(block.data(), c.pszText);
        EXPECT_EQ(InstanceBlock::OwnerPid(block.data()), c.nPid) << c.pszText;
    }
    // No NUL in the whole block: nothing to trust.
    std::vector<char> full(CSharedBlock::kSize, '7');
    EXPECT_EQ(InstanceBlock::OwnerPid(full.data()), 0);
    EXPECT_EQ(InstanceBlock::PutName(full.data(), "/a"), Put::NoOwner);
}

class SingleInstanceTest : public ::testing::Test {
protected:
    std::string m_name = "tervik-test-single-" + std::to_string(CurrentProcessId()) + "-" +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name();
    void SetUp() override { CSharedBlock::Remove(m_name); }
    void TearDown() override { CSharedBlock::Remove(m_name); }
    static bool Woken(int nMs) {
#ifdef _WIN32
        const bool b = WaitForSingleObject(reinterpret_cast<HANDLE>(WakeHandle()),
                                           static_cast<DWORD>(nMs)) == WAIT_OBJECT_0;
#else
        pollfd p{static_cast<int>(WakeHandle()), POLLIN, 0};
        const bool b = ::poll(&p, 1, nMs) == 1;
#endif
        ClearWake();
        return b;
    }
};

TEST_F(SingleInstanceTest, SecondCopyHandsItsNameToTheFirstAndWakesIt) {
    CSingleInstance first;
    ASSERT_EQ(first.Start(m_name, ""), CSingleInstance::Result::First);
    EXPECT_TRUE(first.IsHeld());
    ClearWake();
    CSingleInstance second;
    EXPECT_EQ(second.Start(m_name, "/data/x.log"), CSingleInstance::Result::HandedOver);
    EXPECT_FALSE(second.IsHeld());
    EXPECT_TRUE(Woken(2000));
    EXPECT_EQ(first.TakeWaitingName(), "/data/x.log");
    EXPECT_FALSE(first.TakeWaitingName());
    // Without a name the first copy is only woken.
    EXPECT_EQ(second.Start(m_name, ""), CSingleInstance::Result::HandedOver);
    EXPECT_TRUE(Woken(2000));
    EXPECT_FALSE(first.TakeWaitingName());
    first.Close();
    EXPECT_FALSE(CSharedBlock::Exists(m_name));
}

TEST_F(SingleInstanceTest, TwoSecondCopiesAtOnceBothArriveOneAfterTheOther) {
    CSingleInstance first;
    ASSERT_EQ(first.Start(m_name, ""), CSingleInstance::Result::First);
    auto a =
        std::async(std::launch::async, [&] { return CSingleInstance().Start(m_name, "/a", 2000); });
    auto b =
        std::async(std::launch::async, [&] { return CSingleInstance().Start(m_name, "/b", 2000); });
    // The first copy takes the names as it is woken; the later one waits meanwhile.
    std::vector<std::string> taken;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (taken.size() < 2 && std::chrono::steady_clock::now() < end) {
        Woken(50);
        if (auto name = first.TakeWaitingName()) taken.push_back(*name);
    }
    EXPECT_EQ(a.get(), CSingleInstance::Result::HandedOver);
    EXPECT_EQ(b.get(), CSingleInstance::Result::HandedOver);
    std::sort(taken.begin(), taken.end());
    EXPECT_EQ(taken, (std::vector<std::string>{"/a", "/b"}));
}

TEST_F(SingleInstanceTest, ASecondCopyThatCannotDeliverRunsAlone) {
    CSingleInstance first;
    ASSERT_EQ(first.Start(m_name, ""), CSingleInstance::Result::First);
    ASSERT_EQ(CSingleInstance().Start(m_name, "/one", 100), CSingleInstance::Result::HandedOver);
    // The first copy does not take it: the next name finds the slot full and gives up
    // after its wait, never overwriting the waiting name.
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(CSingleInstance().Start(m_name, "/two", 200), CSingleInstance::Result::Alone);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(200));
    EXPECT_EQ(first.TakeWaitingName(), "/one");
    // A name too long for the block is not handed over.
    EXPECT_EQ(CSingleInstance().Start(m_name, std::string(5000, 'x'), 100),
              CSingleInstance::Result::Alone);
}

TEST_F(SingleInstanceTest, AFirstCopyStillStartingIsWaitedForAndOneThatNeverGetsReadyIsNot) {
    // The holder has not written its id yet.
    CSharedBlock holder;
    ASSERT_EQ(holder.Attach(m_name), CSharedBlock::Role::Owner);
    EXPECT_EQ(CSingleInstance().Start(m_name, "/x", 150), CSingleInstance::Result::Alone);
    // It gets ready while the second copy waits.
    auto second =
        std::async(std::launch::async, [&] { return CSingleInstance().Start(m_name, "/y", 3000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(ListenForWake());
    InstanceBlock::InitOwner(holder.Data(), CurrentProcessId());
    EXPECT_EQ(second.get(), CSingleInstance::Result::HandedOver);
    EXPECT_EQ(InstanceBlock::TakeName(holder.Data()), "/y");
}

#ifndef _WIN32
// Plays a running first copy in a block planted under this user's block name: its
// owner text, its hold and its wake-up address, as whoever runs it can make them.
// Answers the descriptor that holds it, -1 on failure.
int PlantFirstCopy(const std::string& shmName, mode_t mode, unsigned nVictimUid) {
    const int fd = ::shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL, mode);
    if (fd < 0 || ::fchmod(fd, mode) != 0 || ::ftruncate(fd, CSharedBlock::kSize) != 0) return -1;
    void* p = ::mmap(nullptr, CSharedBlock::kSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) return -1;
    InstanceBlock::InitOwner(static_cast<char*>(p), CurrentProcessId());
    ::munmap(p, CSharedBlock::kSize);
    if (::flock(fd, LOCK_EX) != 0) return -1;
    if (nVictimUid == ::geteuid()) return ListenForWake() ? fd : -1;
    // Another user listens under the address the victim's copies would use.
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string name =
        "Tervik.wake." + std::to_string(nVictimUid) + "." + std::to_string(CurrentProcessId());
    std::memcpy(addr.sun_path + 1, name.data(), name.size());
    const auto nLen = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    const bool bOk =
        s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&addr), nLen) == 0 && ::listen(s, 4) == 0;
    return bOk ? fd : -1;
}

// A block under our name that others may have read or written, or that another user
// made first (to read every name this user opens, or to feed in names), is never
// obeyed: the start runs as a copy of its own and hands nothing over.
TEST_F(SingleInstanceTest, ABlockThatIsNotThisUsersAloneIsNeverUsed) {
    const unsigned nUid = ::geteuid();
    const std::string shmName = "/" + m_name + "." + std::to_string(nUid);
    const struct {
        const char* pszWho;
        bool bOtherUser;
        mode_t mode;
    } kCases[] = {
        {"this user, open to all", false, 0666},
        {"this user, readable by the group", false, 0640},
        {"another user, open to all", true, 0666},
        {"another user, private", true, 0600},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.pszWho);
        CSharedBlock::Remove(m_name);
        ClearWake();
        std::unique_ptr<test::COtherUser> pOther;
        int fdHold = -1;
        if (c.bOtherUser) {
            if (*test::OtherUserUnavailable()) continue;
            pOther = std::make_unique<test::COtherUser>(
                [&] { return PlantFirstCopy(shmName, c.mode, nUid) >= 0; });
            ASSERT_TRUE(pOther->Ready());
        } else {
            fdHold = PlantFirstCopy(shmName, c.mode, nUid);
            ASSERT_GE(fdHold, 0);
        }
        CSingleInstance second;
        EXPECT_EQ(second.Start(m_name, "/home/u/secret.log", 300), CSingleInstance::Result::Alone);
        EXPECT_FALSE(second.IsHeld());
        EXPECT_FALSE(ClearWake());
        if (fdHold >= 0) ::close(fdHold);
    }
}
#endif

} // namespace
} // namespace tervik
