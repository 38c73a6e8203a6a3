#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tervik {
namespace {

using test::RunCli;

// A workspace names its files with the system's separator ("show" prints "/").
std::string Native(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

std::string Slashed(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

class CliWorkspace : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    std::string m_ini = m_dir.Write("t.ini", "");
    std::string m_dirPath = m_dir.Path().string();
    test::ProcessResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), "workspace");
        args.push_back("--ini");
        args.push_back(m_ini);
        return RunCli(args);
    }
};

TEST_F(CliWorkspace, NewWritesAWorkspaceThatShowReadsAfterAMove) {
    std::filesystem::create_directories(m_dir.Path() / "ws" / "sub");
    const std::string a = m_dir.Write("ws/a.log", "Fehler 1\nok\nFehler 2\n");
    const std::string b = m_dir.Write("ws/sub/b.log", "x\n");
    const std::string outside = m_dir.Write("c.log", "c\n");
    const std::string script =
        m_dir.Write("s.terviks", "SELECT LINE=*ALL,TEXT=\"Fehler\"\r\nSELECT_COLOR RED\r\n"
                                 "SELECT LINE=(0,1)\r\n");
    const std::string ws = m_dirPath + "/ws/w.tervik";
    // The same file twice (once by another spelling) is listed once.
    const auto r = Run({"new", ws, a, b, m_dirPath + "/ws/./a.log", outside, "--select", script});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    // Each window 30 pixels further right and down than the one before.
    const std::string window = ",STATE=NORMAL,LINE=0,ROW=0,DUMP=0,VIEW=TEXT\r\n";
    EXPECT_EQ(test::ReadWholeFile(ws),
              "FILE_OPEN \"" + Native("./a.log") +
                  "\",MD5=c94477196c14b2e55ac8211c0de17ab0,TAB=4\r\n"
                  "WINDOWS ID=1,POSITION=(0,600,0,900)" +
                  window +
                  "SELECT_RECORD 0,COLOR=BLUE\r\nSELECT_RECORD 2,COLOR=BLUE\r\n"
                  "FILE_OPEN \"" +
                  Native("./sub/b.log") +
                  "\",MD5=401b30e3b8b5d629635a5c613cdb7919,TAB=4\r\n"
                  "WINDOWS ID=2,POSITION=(30,630,30,930)" +
                  window +
                  "SELECT_RECORD 0,COLOR=RED\r\n"
                  "FILE_OPEN \"" +
                  outside +
                  "\",MD5=2cd6ee2c70b0bde53fbe6cac3c8b8bb1,TAB=4\r\n"
                  "WINDOWS ID=3,POSITION=(60,660,60,960)" +
                  window + "SELECT_RECORD 0,COLOR=RED\r\nACTIVE_VIEW ID=1\r\n");

    // Moved with its files, the workspace finds them in the new place.
    std::filesystem::rename(m_dir.Path() / "ws", m_dir.Path() / "moved");
    const auto s = Run({"show", m_dirPath + "/moved/w.tervik"});
    ASSERT_EQ(s.nExitCode, 0) << s.err;
    const std::string shownWindow =
        " state=NORMAL line=0 row=0 dump=0 view=TEXT hide=off splitter=-\n";
    EXPECT_EQ(s.out,
              Slashed("open \"" + m_dirPath + "/moved/a.log\" ok digest=same\n" + "window id=1" +
                      shownWindow + "select 0 blue\nselect 2 blue\n" + "open \"" + m_dirPath +
                      "/moved/sub/b.log\" ok digest=same\n" + "window id=2" + shownWindow +
                      "select 0 red\n" + "open \"" + outside + "\" ok digest=same\n" +
                      "window id=3" + shownWindow + "select 0 red\nactive 1\n"));
    EXPECT_EQ(s.err, "");
}

TEST_F(CliWorkspace, ShowActsAsTheLoader) {
    m_dir.Write("a.log", "l0\nl1\nl2\n");
    const std::string ws = m_dir.Write(
        "w.tervik",
        // LF only; digest differs in case only; then a changed one for the same file.
        "FILE_OPEN \"./a.log\",MD5=F0490105ADA001AD49198B5991C98E36\n"
        "WINDOWS ID=7,POSITION=(1,2,3,4),STATE=MAXIMIZED,POINT=(0,0),SPLITTER=100,LINE=2,"
        "ROW=1,DUMP=6,HIDE=ON,VIEW=hex\n"
        "WINDOWS ID=8,SPLITTER=50,VIEW=PICTURE\n"
        "SELECT_RECORD 1,COLOR=GREEN\n"
        "SELECT_RECORD 3\n"
        "BOOKMARK TEXT=\"say \"\"hi\"\"\",LINE=1,COLUMN=0,LEN=2,ID=8\n"
        "BOOKMARK TEXT=\"no len\",LINE=1,COLUMN=0\n"
        "NONSENSE 1\n"
        "FILE_OPEN \"./a.log\",MD5=00\n"
        "SELECT_RECORD 1,COLOR=RED\n"
        "FILE_OPEN \"./missing.log\",MD5=00\n"
        "WINDOWS ID=9\n"
        "SELECT_RECORD 0\n"
        "BOOKMARK TEXT=\"gone\",LINE=0,COLUMN=0,LEN=1\n"
        "FILE_OPEN \"./a.log\"\n"
        "ACTIVE_VIEW ID=9\n"
        "ACTIVE_VIEW ID=8\n");
    const auto r = Run({"show", ws});
    // missing.log could not be opened: everything is still shown, and the run fails.
    ASSERT_EQ(r.nExitCode, 1) << r.err;
    const std::string path = m_dirPath + "/a.log";
    EXPECT_EQ(r.out, Slashed("open \"" + path +
                             "\" ok digest=same\n"
                             "window id=7 state=MAXIMIZED line=2 row=1 dump=6 view=HEX hide=on "
                             "splitter=100\n"
                             "window id=8 state=- line=- row=- dump=- view=- hide=off splitter=50\n"
                             "select 1 green\n"
                             "bookmark \"say \"hi\"\" line=1 column=0 len=2 view=8 flag=0\n"
                             "bookmark dropped\n"
                             "open \"" +
                             path +
                             "\" ok digest=changed\n"
                             "select 1 red\n"
                             "open \"" +
                             m_dirPath +
                             "/missing.log\" failed digest=-\n"
                             "open \"" +
                             path +
                             "\" ok digest=-\n"
                             "active 8\n"));
    EXPECT_NE(r.err.find("in der Zwischenzeit"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("missing.log"), std::string::npos) << r.err;
}

TEST_F(CliWorkspace, ShowKnowsTheViewsTheLoaderWouldHave) {
    // The same file listed twice with a split window: the window is split already, so
    // the second pair renames its panes and the old IDs name no view any more.
    m_dir.Write("a.log", "l0\nl1\n");
    const std::string ws =
        m_dir.Write("w.tervik", "FILE_OPEN \"./a.log\"\n"
                                "WINDOWS ID=1,SPLITTER=100\n"
                                "WINDOWS ID=2,SPLITTER=50\n"
                                "FILE_OPEN \"./a.log\"\n"
                                "WINDOWS ID=3,SPLITTER=100\n"
                                "WINDOWS ID=4,SPLITTER=50\n"
                                "BOOKMARK TEXT=\"x\",LINE=0,COLUMN=0,LEN=1,ID=2\n"
                                "BOOKMARK TEXT=\"y\",LINE=0,COLUMN=0,LEN=1,ID=4\n"
                                "ACTIVE_VIEW ID=2\n"
                                "ACTIVE_VIEW ID=4\n");
    const auto r = Run({"show", ws});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    const std::string tail = r.out.substr(r.out.find("bookmark"));
    EXPECT_EQ(tail, "bookmark \"x\" line=0 column=0 len=1 view=0 flag=0\n"
                    "bookmark \"y\" line=0 column=0 len=1 view=4 flag=0\n"
                    "active 4\n");
}

TEST_F(CliWorkspace, Failures) {
    EXPECT_EQ(Run({"show", m_dirPath + "/none.tervik"}).nExitCode, 1);
    EXPECT_EQ(Run({"show"}).nExitCode, 2);
    EXPECT_EQ(Run({"new", m_dirPath + "/w.tervik"}).nExitCode, 2);
    EXPECT_EQ(Run({"rename", "x"}).nExitCode, 2);
    // A file that cannot be opened writes no workspace.
    const auto r = Run({"new", m_dirPath + "/w.tervik", m_dirPath + "/none.log"});
    EXPECT_EQ(r.nExitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "w.tervik"));
    // A name with a double quote cannot be written; the old workspace stays.
    const std::string old = m_dir.Write("old.tervik", "ACTIVE_VIEW ID=1\r\n");
    const auto q = Run({"new", old, m_dir.Write("a\"b.log", "x\n")});
    EXPECT_EQ(q.nExitCode, 1);
    EXPECT_NE(q.err.find("Anführungszeichen"), std::string::npos) << q.err;
    EXPECT_EQ(test::ReadWholeFile(old), "ACTIVE_VIEW ID=1\r\n");
    // A file without one workspace line is not shown as an empty workspace.
    EXPECT_EQ(Run({"show", m_dir.Write("victim.log", "Zeile\n")}).nExitCode, 1);
    EXPECT_EQ(Run({"show", m_dir.Write("leer.tervik", "")}).nExitCode, 0);
}

} // namespace
} // namespace tervik
