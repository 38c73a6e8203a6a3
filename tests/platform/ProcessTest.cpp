// Process services, shared block ownership and file claims, each checked against a
// real second process (a forked child).
#ifndef _WIN32 // forked children; Win32Test.cpp has the Windows side

#include "platform/Process.h"
#include "platform/FileClaim.h"
#include "platform/SharedBlock.h"
#include "platform/SysFolder.h"
#include "support/OtherUser.h"
#include "support/TempDir.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tervik {
namespace {

using test::CTempDir;
using test::ReadWholeFile;

// A child process that runs a step, reports, and stays until it is let go, so the
// parent can look at what the child holds. Ending without cleanup is a crash.
class CChild {
public:
    explicit CChild(const std::function<void()>& step) {
        int ready[2], go[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(go), 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(go[1]);
            step();
            const char c = 1;
            [[maybe_unused]] ssize_t n = ::write(ready[1], &c, 1);
            char d;
            n = ::read(go[0], &d, 1);
            ::_exit(0); // no destructors: what the step holds is left as after a crash
        }
        ::close(ready[1]);
        ::close(go[0]);
        m_go = go[1];
        char c;
        EXPECT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
    }
    ~CChild() { End(); }
    void End() {
        if (m_pid <= 0) return;
        ::close(m_go);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    int Pid() const { return m_pid; }

private:
    int m_pid = -1;
    int m_go = -1;
};

std::string UniqueName(const char* psz) {
    return std::string("tervik-test-") + psz + "-" + std::to_string(CurrentProcessId());
}

TEST(Process, SpawnPassesEachArgumentAsItIsAndReportsAMissingProgram) {
    CTempDir dir;
    const std::string out = dir.File("args.txt");
    uint32_t nError = 0;
    // A script that writes one argument per line.
    const std::string script = dir.Write("show.sh", "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; "
                                                    "done > \"$OUT\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    ::setenv("OUT", out.c_str(), 1);
    ASSERT_TRUE(SpawnDetached(script, {"a b", "\"q\" x", "", "100%"}, nError)) << nError;
    ::unsetenv("OUT");
    for (int i = 0; i < 400 && ReadWholeFile(out).find("100%") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(ReadWholeFile(out), "[a b]\n[\"q\" x]\n[]\n[100%]\n");

    EXPECT_FALSE(SpawnDetached(dir.File("OrvAUpd"), {"x"}, nError));
    EXPECT_EQ(nError, static_cast<uint32_t>(ENOENT));
}

TEST(Process, WakeMakesTheHandleReadable) {
    ASSERT_TRUE(ListenForWake());
    ClearWake();
    pollfd p{static_cast<int>(WakeHandle()), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 0), 0);
    // Woken from another process, as a second copy does.
    const int nSelf = CurrentProcessId();
    CChild child([nSelf] { WakeProcess(nSelf); });
    EXPECT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_TRUE(ClearWake());
    EXPECT_FALSE(ClearWake());
    EXPECT_FALSE(WakeProcess(0));
    // An id that does not listen is not reached, whatever runs under it.
    CChild idle([] {});
    EXPECT_FALSE(WakeProcess(idle.Pid()));
}

// The address a copy of user nUid with id nPid listens under; another user can
// compute it as well.
socklen_t VictimWakeAddress(unsigned nUid, int nPid, sockaddr_un& addr) {
    addr = {};
    addr.sun_family = AF_UNIX;
    const std::string name = "Tervik.wake." + std::to_string(nUid) + "." + std::to_string(nPid);
    std::memcpy(addr.sun_path + 1, name.data(), name.size());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

TEST(Process, WakeUpsCrossNoUserBoundary) {
    if (*test::OtherUserUnavailable()) GTEST_SKIP() << test::OtherUserUnavailable();
    ASSERT_TRUE(ListenForWake());
    ClearWake();
    const unsigned nUid = ::geteuid();
    const int nSelf = CurrentProcessId();
    // Another user knocks at this copy's address: taken off the queue, no wake-up.
    {
        test::COtherUser knocker([&] {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un addr;
            const socklen_t nLen = VictimWakeAddress(nUid, nSelf, addr);
            return fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), nLen) == 0;
        });
        ASSERT_TRUE(knocker.Ready());
        pollfd p{static_cast<int>(WakeHandle()), POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 0), 1);
        EXPECT_FALSE(ClearWake());
        EXPECT_EQ(::poll(&p, 1, 0), 0);
    }
    // Another user listens under the address of a copy of ours that does not run:
    // a second copy does not count that as the first copy woken.
    test::COtherUser impostor([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr;
        const socklen_t nLen = VictimWakeAddress(nUid, static_cast<int>(::getpid()), addr);
        return fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), nLen) == 0 &&
               ::listen(fd, 4) == 0;
    });
    ASSERT_TRUE(impostor.Ready());
    EXPECT_FALSE(WakeProcess(impostor.Pid()));
    // This user's own wake-up still arrives.
    CChild child([nSelf] { WakeProcess(nSelf); });
    EXPECT_TRUE(ClearWake()); // the connection was queued before the child reported
}

TEST(SharedBlock, OneOwnerOthersGuestsAndTheNameGoesWithTheOwner) {
    const std::string name = UniqueName("block");
    CSharedBlock::Remove(name);
    {
        CSharedBlock owner;
        ASSERT_EQ(owner.Attach(name), CSharedBlock::Role::Owner) << owner.LastError();
        std::strcpy(owner.Data(), "CMainFrame:1");
        // A guest in another process sees the same bytes and cannot take over.
        CChild child([&name] {
            CSharedBlock guest;
            if (guest.Attach(name) != CSharedBlock::Role::Guest || guest.TryTakeOver() ||
                std::strcmp(guest.Data(), "CMainFrame:1") != 0)
                ::_exit(3);
            std::strcpy(guest.Data() + 13, "/tmp/a");
        });
        EXPECT_STREQ(owner.Data() + 13, "/tmp/a");
        child.End();
        EXPECT_TRUE(CSharedBlock::Exists(name));
    }
    // A normal end removes the block.
    EXPECT_FALSE(CSharedBlock::Exists(name));
}

TEST(SharedBlock, ABlockLeftByACrashedOwnerIsTakenOver) {
    const std::string name = UniqueName("stale");
    CSharedBlock::Remove(name);
    CChild crashed([&name] {
        static CSharedBlock block; // never closed
        if (block.Attach(name) != CSharedBlock::Role::Owner) ::_exit(3);
        std::strcpy(block.Data(), "CMainFrame:99999");
    });
    CSharedBlock guest;
    ASSERT_EQ(guest.Attach(name), CSharedBlock::Role::Guest);
    EXPECT_FALSE(guest.TryTakeOver());
    crashed.End();
    EXPECT_TRUE(CSharedBlock::Exists(name));
    // The old content stays for the new owner to rewrite.
    EXPECT_TRUE(guest.TryTakeOver());
    EXPECT_STREQ(guest.Data(), "CMainFrame:99999");
    CSharedBlock later;
    EXPECT_EQ(later.Attach(name), CSharedBlock::Role::Guest);
    later.Close();
    guest.Close();
    EXPECT_FALSE(CSharedBlock::Exists(name));

    // A fresh start on the crashed block owns it at once.
    CChild crashedAgain([&name] {
        static CSharedBlock block;
        if (block.Attach(name) != CSharedBlock::Role::Owner) ::_exit(3);
    });
    crashedAgain.End();
    CSharedBlock next;
    EXPECT_EQ(next.Attach(name), CSharedBlock::Role::Owner);
}

TEST(FileClaim, CleanupRemovesOnlyUnclaimedRegularFilesOfThisUser) {
    CTempDir dir;
    const std::string target = dir.Write("target.txt", "keep");
    const std::string plain = dir.Write("Tervik_plain", "x");
    const std::string link = dir.File("Tervik_link");
    std::filesystem::create_symlink(target, link);
    const std::string folder = dir.File("Tervik_folder");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::mkfifo(dir.File("Tervik_fifo").c_str(), 0600), 0);

    EXPECT_EQ(RemoveUnclaimedFile(link), RemoveResult::Skipped);
    EXPECT_EQ(RemoveUnclaimedFile(folder), RemoveResult::Skipped);
    EXPECT_EQ(RemoveUnclaimedFile(dir.File("Tervik_fifo")), RemoveResult::Skipped);
    EXPECT_EQ(RemoveUnclaimedFile(dir.File("Tervik_missing")), RemoveResult::Failed);
    EXPECT_EQ(ReadWholeFile(target), "keep");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // Claimed by a running copy: left alone; the copy ended (even by a crash): removed.
    const std::string used = dir.File("Tervik_used");
    CChild other([&used] {
        static CFileClaim claim;
        if (!claim.Claim(used)) ::_exit(3);
    });
    EXPECT_TRUE(std::filesystem::is_regular_file(used)); // created by the claim
    EXPECT_EQ(RemoveUnclaimedFile(used), RemoveResult::InUse);
    other.End();
    EXPECT_EQ(RemoveUnclaimedFile(used), RemoveResult::Removed);
    EXPECT_EQ(RemoveUnclaimedFile(plain), RemoveResult::Removed);

    // A claim keeps what was written after it, and never goes through a link.
    CFileClaim claim;
    const std::string mine = dir.File("Tervik_mine");
    ASSERT_TRUE(claim.Claim(mine));
    dir.Write("Tervik_mine", "data");
    EXPECT_EQ(ReadWholeFile(mine), "data");
    CFileClaim viaLink;
    EXPECT_FALSE(viaLink.Claim(link));
    claim.Release();
    EXPECT_EQ(RemoveUnclaimedFile(mine), RemoveResult::Removed);
}

// The start time is field 22; the command name before it may hold anything but a NUL.
TEST(ProcessStart, StatLineGivesTheStartTicks) {
    const std::string tail = " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 ";
    struct Case {
        std::string stat;
        std::optional<uint64_t> nTicks;
    } cases[] = {
        {"4711 (tervik)" + tail + "123456 99 0\n", 123456},
        {"4711 (a) b) (c)" + tail + "7 99\n", 7},
        {"4711 (tervik)" + tail, std::nullopt},                            // cut off before it
        {"4711 (tervik)" + tail + "12x4 99", std::nullopt},                // no number
        {"4711 (tervik)" + tail + "99999999999999999999 1", std::nullopt}, // too large
        {"4711 tervik" + tail + "5 99", std::nullopt},                     // no name in brackets
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseStatStartTicks(c.stat), c.nTicks) << c.stat;
    // This process's own line reads, and it started no later than now.
    EXPECT_TRUE(ParseStatStartTicks(ReadWholeFile("/proc/self/stat")).has_value());
    EXPECT_GE(MillisecondsSinceProcessStart(), 0);
}

TEST(SysFolder, ListsSortedWithTimesAndFolders) {
    CTempDir dir;
    dir.Write("b.txt", "1");
    dir.Write("a.txt", "2");
    std::filesystem::create_directory(dir.File("sub"));
    std::filesystem::create_symlink(dir.File("gone"), dir.File("dangling"));
    const auto when = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    std::filesystem::last_write_time(dir.File("a.txt"), when);
    const std::vector<FolderEntry> entries = ListFolder(dir.Path().string());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].m_name, "a.txt");
    EXPECT_EQ(entries[1].m_name, "b.txt");
    EXPECT_EQ(entries[2].m_name, "sub");
    EXPECT_TRUE(entries[2].m_bFolder);
    EXPECT_FALSE(entries[0].m_bFolder);
    EXPECT_LT(entries[0].m_nWriteTime, entries[1].m_nWriteTime);
    int64_t nTime = 0;
    EXPECT_TRUE(GetFileWriteTime(dir.File("a.txt"), nTime));
    EXPECT_EQ(nTime, entries[0].m_nWriteTime);
    EXPECT_FALSE(GetFileWriteTime(dir.File("sub"), nTime));
    EXPECT_FALSE(GetFileWriteTime(dir.File("none"), nTime));
    EXPECT_TRUE(ListFolder(dir.File("none")).empty());
}

} // namespace
} // namespace tervik

#endif
