// One running copy receives the files: two real viewer processes on their own
// settings file and block name, and the receiving side in this process.

#include "app/SingleInstance.h"
#include "base/SettingKeys.h"
#include "document/TervikDoc.h"
#include "platform/SharedBlock.h"
#include "support/RunProcess.h"
#include "ui/ShellFixture.h"

#include <QDialog>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tervik {
namespace {

using namespace std::chrono_literals;

// Each test its own block, so parallel runs never meet.
std::string UniqueBlockName() {
    return "tervik-test-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 15s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class SingleInstanceShellTest : public test::ShellTest {
protected:
    std::string m_block = UniqueBlockName();
    void SetUp() override {
        test::ShellTest::SetUp();
        ::setenv("TERVIK_INSTANCE_NAME", m_block.c_str(), 1);
        CSharedBlock::Remove(m_block);
    }
    void TearDown() override {
        test::ShellTest::TearDown();
        ::unsetenv("TERVIK_INSTANCE_NAME");
        CSharedBlock::Remove(m_block);
    }
    void SingleMode(int n) { Settings().WriteProfileInt(kSectionSettings, "SingleMode", n); }
    bool IsOpen(const std::string& path) {
        for (CTervikDoc* pDoc : m_app->Documents())
            if (pDoc->GetPathName() == path) return true;
        return false;
    }
};

TEST_F(SingleInstanceShellTest, SingleModeZeroCreatesNoBlockAndOneHoldsItUntilTheEnd) {
    ASSERT_TRUE(Start());
    EXPECT_FALSE(CSharedBlock::Exists(m_block));
    EXPECT_FALSE(m_app->StartUp().HoldsInstanceBlock());
    Stop();
    SingleMode(1);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(CSharedBlock::Exists(m_block));
    EXPECT_TRUE(m_app->StartUp().HoldsInstanceBlock());
    Stop();
    EXPECT_FALSE(CSharedBlock::Exists(m_block));
}

TEST_F(SingleInstanceShellTest, AWokenFirstCopyOpensTheNameOnceAndWaitsForAnOpenDialog) {
    SingleMode(1);
    const std::string a = Log("a.log", 5);
    const std::string b = Log("b.log", 5);
    ASSERT_TRUE(Start());
    // A second copy elsewhere hands over its name while a dialog is open here.
    QDialog dialog(&Frame());
    dialog.setModal(true);
    dialog.show();
    auto second =
        std::async(std::launch::async, [&] { return CSingleInstance().Start(m_block, a); });
    EXPECT_EQ(second.get(), CSingleInstance::Result::HandedOver);
    QTest::qWait(400);
    EXPECT_FALSE(IsOpen(a));
    dialog.close();
    QTRY_VERIFY_WITH_TIMEOUT(IsOpen(a), 5000);
    EXPECT_EQ(m_app->Documents().size(), 1u);
    // The next name is taken as well; nothing is opened twice.
    EXPECT_EQ(CSingleInstance().Start(m_block, b), CSingleInstance::Result::HandedOver);
    QTRY_VERIFY_WITH_TIMEOUT(IsOpen(b), 5000);
    QTest::qWait(100);
    EXPECT_EQ(m_app->Documents().size(), 2u);
    EXPECT_TRUE(m_messages.empty());
}

// Two viewer processes on one settings file with SingleMode=1. What the first copy
// opened shows in its recent-file list, which it writes at once.
class SingleInstanceProcessTest : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    std::string m_block = UniqueBlockName();
    std::string m_ini = m_dir.File("tervik.ini");
    std::string m_a = m_dir.Write("a.log", "eins\nzwei\n");
    std::string m_b = InSub(m_dir);

    static std::string InSub(const test::CTempDir& dir) {
        std::filesystem::create_directories(dir.File("sub"));
        return dir.Write("sub/b.log", "drei\n");
    }

    void SetUp() override {
        ::setenv("TERVIK_INSTANCE_NAME", m_block.c_str(), 1);
        CSharedBlock::Remove(m_block);
        CProfile(m_ini).WriteProfileInt(kSectionSettings, "SingleMode", 1);
    }
    void TearDown() override {
        ::unsetenv("TERVIK_INSTANCE_NAME");
        CSharedBlock::Remove(m_block);
    }
    test::RunningProcess Viewer(const std::string& ini, const std::string& file) {
        return test::StartProcess(TERVIK_VIEWER_PATH, {"--ini", ini, file});
    }
    static std::string Recent(const std::string& ini, int n) {
        return CProfile(ini).GetProfileString(kSectionRecentFiles,
                                              ("File" + std::to_string(n)).c_str(), "");
    }
    // Looks without reaping, so WaitProcess still gets the exit code.
    static bool Running(test::RunningProcess& p) {
        siginfo_t info{};
        return p.nPid > 0 &&
               ::waitid(P_PID, static_cast<id_t>(p.nPid), &info, WEXITED | WNOHANG | WNOWAIT) ==
                   0 &&
               info.si_pid == 0;
    }
    // The first copy with a.log open.
    test::RunningProcess StartFirst() {
        test::RunningProcess first = Viewer(m_ini, m_a);
        EXPECT_TRUE(WaitFor([&] { return Recent(m_ini, 1) == m_a; }))
            << test::ReadWholeFile(first.errPath);
        return first;
    }
};

TEST_F(SingleInstanceProcessTest, ASecondStartOpensItsFileInTheFirstAndEnds) {
    test::RunningProcess first = StartFirst();
    // Started from another folder with a relative name.
    char szCwd[4096];
    ASSERT_TRUE(::getcwd(szCwd, sizeof szCwd));
    ASSERT_EQ(::chdir(m_dir.File("sub").c_str()), 0);
    test::RunningProcess second = Viewer(m_ini, "b.log");
    ASSERT_EQ(::chdir(szCwd), 0);
    const test::ProcessResult r = test::WaitProcess(second, 15s);
    EXPECT_EQ(r.nExitCode, 0) << r.err;
    // The list is written key by key.
    EXPECT_TRUE(WaitFor([&] { return Recent(m_ini, 1) == m_b && Recent(m_ini, 2) == m_a; }))
        << Recent(m_ini, 1) << " / " << Recent(m_ini, 2);
    EXPECT_TRUE(Running(first));
}

TEST_F(SingleInstanceProcessTest, TheBlockOfAKilledFirstCopyIsTakenOverByTheNextStart) {
    test::RunningProcess first = StartFirst();
    test::WaitProcess(first, 0ms); // killed: its block stays behind
    ASSERT_TRUE(CSharedBlock::Exists(m_block));
    test::RunningProcess next = Viewer(m_ini, m_b);
    // It runs on with its own file, and is the copy that receives the next one.
    ASSERT_TRUE(WaitFor([&] { return Recent(m_ini, 1) == m_b; }));
    EXPECT_TRUE(Running(next));
    test::RunningProcess third = Viewer(m_ini, m_a);
    EXPECT_EQ(test::WaitProcess(third, 15s).nExitCode, 0);
    EXPECT_TRUE(WaitFor([&] { return Recent(m_ini, 1) == m_a; }));
}

TEST_F(SingleInstanceProcessTest, TwoCopiesStartingAtOnceEndWithOneHoldingBothFiles) {
    test::RunningProcess a = Viewer(m_ini, m_a);
    test::RunningProcess b = Viewer(m_ini, m_b);
    // One wins; the other hands over and ends; neither waits for the other for good.
    ASSERT_TRUE(WaitFor([&] { return !Running(a) || !Running(b); }));
    test::RunningProcess& ended = Running(a) ? b : a;
    test::RunningProcess& first = Running(a) ? a : b;
    EXPECT_EQ(test::WaitProcess(ended, 1s).nExitCode, 0);
    EXPECT_TRUE(WaitFor([&] {
        const std::string one = Recent(m_ini, 1), two = Recent(m_ini, 2);
        return (one == m_a && two == m_b) || (one == m_b && two == m_a);
    })) << Recent(m_ini, 1)
        << " / " << Recent(m_ini, 2);
    EXPECT_TRUE(Running(first));
}

TEST_F(SingleInstanceProcessTest, AWorkspaceAlwaysStartsACopyOfItsOwn) {
    test::RunningProcess first = StartFirst();
    const std::string c = m_dir.Write("c.log", "vier\n");
    // Any case of the extension; its own settings file shows what it opened.
    const std::string ws = m_dir.Write("arbeit.TERVIK", "FILE_OPEN \"./c.log\"\r\n");
    const std::string ini2 = m_dir.File("zwei.ini");
    CProfile(ini2).WriteProfileInt(kSectionSettings, "SingleMode", 1);
    test::RunningProcess own = Viewer(ini2, ws);
    EXPECT_TRUE(WaitFor([&] { return Recent(ini2, 1) == c; })) << test::ReadWholeFile(own.errPath);
    EXPECT_TRUE(Running(own));
    EXPECT_EQ(Recent(m_ini, 1), m_a);
    EXPECT_EQ(Recent(m_ini, 2), "");
}

} // namespace
} // namespace tervik
