// tervik-cli on Windows: names beyond the ANSI code page, workspaces written by the
// Windows program (CR LF, backslashes) and add-ons with decorated entry names.
#ifdef _WIN32

#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tervik {
namespace {

class CliWindows : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    std::string m_ini = m_dir.Write("t.ini", "");
    test::ProcessResult Run(std::vector<std::string> args) {
        args.push_back("--ini");
        args.push_back(m_ini);
        return test::RunCli(args);
    }
};

TEST_F(CliWindows, NamesBeyondTheAnsiCodePageArriveWhole) {
    const std::string path = m_dir.Write("M\xC3\xBCll \xE6\x97\xA5.log", "a\r\nbc\r\n");
    const auto r = Run({"info", path});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("file-size: 7\nrecords: 2\nmax-length: 2\nline-end: 2\n", 0), 0u)
        << r.out;
}

TEST_F(CliWindows, WorkspaceWithCrLfAndBackslashes) {
    std::filesystem::create_directories(m_dir.Path() / "ws" / "sub");
    m_dir.Write("ws\\sub\\a.log", "l0\r\nl1\r\nl2\r\n");
    const std::string ws = m_dir.Write("ws\\w.tervik", "FILE_OPEN \".\\sub\\a.log\"\r\n"
                                                       "WINDOWS ID=4,LINE=1\r\n"
                                                       "SELECT_RECORD 2,COLOR=RED\r\n"
                                                       "ACTIVE_VIEW ID=4\r\n");
    const auto r = Run({"workspace", "show", ws});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    std::string expected = m_dir.File("ws\\sub\\a.log");
    std::replace(expected.begin(), expected.end(), '\\', '/');
    EXPECT_EQ(r.out.rfind("open \"" + expected + "\" ok digest=-\nwindow id=4", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("select 2 red\nactive 4\n"), std::string::npos) << r.out;

    // A script with CR LF line ends plays the same as one with LF.
    const std::string script =
        m_dir.Write("s.terviks", "SELECT LINE=*ALL,TEXT=\"l1\"\r\nSELECT_COLOR GREEN\r\n");
    const auto s = Run({"select", script, m_dir.File("ws\\sub\\a.log"), "--list"});
    ASSERT_EQ(s.nExitCode, 0) << s.err;
    EXPECT_EQ(s.out, "1 BLUE\n");
}

TEST_F(CliWindows, WorkspaceNamesAreCp1252AndOthersAreRefused) {
    m_dir.Write("M\xC3\xBCll.log", "x\r\n");
    // Written by the Windows program: the name in cp1252.
    const std::string ws = m_dir.Write("w.tervik", "FILE_OPEN \".\\M\xFCll.log\"\r\n");
    auto r = Run({"workspace", "show", ws});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_NE(r.out.find("M\xC3\xBCll.log\" ok"), std::string::npos) << r.out;
    // And written so again.
    const std::string out = m_dir.File("new.tervik");
    r = Run({"workspace", "new", out, m_dir.File("M\xC3\xBCll.log")});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(test::ReadWholeFile(out).rfind("FILE_OPEN \".\\M\xFCll.log\"", 0), 0u);
    // A name cp1252 cannot hold is reported, and no workspace is written.
    const std::string other = m_dir.Write("\xE6\x97\xA5.log", "y\n");
    const std::string refused = m_dir.File("refused.tervik");
    r = Run({"workspace", "new", refused, other});
    EXPECT_EQ(r.nExitCode, 1);
    EXPECT_NE(r.err.find("ANSI-Zeichensatz"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(test::U8Path(refused)));
}

TEST_F(CliWindows, AddOnWithDecoratedNamesRuns) {
    const std::string file = m_dir.Write("f.log", "erste\r\nzweite\r\n");
    auto r = Run({"addon", TERVIK_ADDON_DECORATED, file, "--list"});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(r.out, "32849 item \"Erste Zeile\" function=1 interface=0x1 output=4\n");
    const std::string out = m_dir.File("out.txt");
    r = Run({"addon", TERVIK_ADDON_DECORATED, file, "--item", "32849", "--out", out});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(test::ReadWholeFile(out), "erste\n");
}

} // namespace
} // namespace tervik

#endif
