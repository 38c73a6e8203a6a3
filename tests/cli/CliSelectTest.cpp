#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tervik {
namespace {

using test::RunCli;

class CliSelect : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    std::string m_ini = m_dir.Write("t.ini", "");
    std::string m_file = m_dir.Write("f.txt", "a Fehler\nb\tx\nc fehler\nd\n\ne FEHLER\n");
    test::ProcessResult Run(std::vector<std::string> args) {
        args.push_back("--ini");
        args.push_back(m_ini);
        return RunCli(args);
    }
    std::string Script(std::string_view text) { return m_dir.Write("s.terviks", text); }
};

TEST_F(CliSelect, PlaysListsAndExports) {
    struct Case {
        const char* script;
        const char* list;
        const char* count;
    } cases[] = {
        {"SELECT LINE=*ALL,TEXT=\"fehler\"\r\n", "0 BLUE\n2 BLUE\n5 BLUE\n", "3 Zeilen"},
        {"select LINE=*all,TEXT=\"fehler\",MATCHCASE=YES\n", "2 BLUE\n", "1 Zeilen"},
        // Option keys count in upper case only.
        {"SELECT line=*ALL\n", "", "0 Zeilen"},
        // Colours, then a size test and the following line of each hit.
        {"SELECT_COLOR GREEN\nSELECT LINE=(0,6),RECSIZE=(LT,2),POSTLINES=\"1\"\n"
         "SELECT_COLOR red\nSELECT LINE=*ALL,TEXT=\"b\"\n",
         "1 RED\n3 GREEN\n4 GREEN\n5 GREEN\n", "4 Zeilen"},
        {"SELECT LINE=*ALL\nINVERTSELECT\nselect LINE=(1,2)\n", "1 BLUE\n", "1 Zeilen"},
        {"unknown\n\nSELECT TEXT=\"a\"\n", "", "0 Zeilen"},
    };
    for (const Case& c : cases) {
        const std::string out = m_dir.File("out.txt");
        const auto r = Run({"select", Script(c.script), m_file, "--list", "--export", out});
        EXPECT_EQ(r.nExitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.list) << c.script;
        EXPECT_NE(r.err.find(c.count), std::string::npos) << r.err;
    }
    // The export writes tabs as they are and ends each line as the file does.
    const std::string out = m_dir.File("out.txt");
    ASSERT_EQ(Run({"select", Script("SELECT LINE=(1,5)\n"), m_file, "--export", out}).nExitCode, 0);
    EXPECT_EQ(test::ReadWholeFile(out), "b\tx\nc fehler\nd\n\n");
}

// Exporting the lines of an LF log that hold a text gives what grep -F writes.
TEST_F(CliSelect, ExportOfAnLfLogEqualsGrepF) {
    const std::string kLines[] = {"fehler beim Lesen",
                                  "Gr\xC3\xBC\xC3\x9F"
                                  "e \xE6\x9D\x8E fehler",
                                  "",
                                  "\tFEHLER",
                                  "kein Fehler",
                                  "x\rfehler\ty",
                                  "ok"};
    std::string log;
    for (int i = 0; i < 3000; ++i)
        log += std::to_string(i) + " " + kLines[i * 7 % 11 % 7] + "\n";
    log += "letzte Zeile mit fehler ohne Zeilenende";
    // The model: every line holding the text, with its LF (added to the last one).
    std::string grep;
    for (size_t nPos = 0; nPos < log.size();) {
        const size_t nEnd = std::min(log.find('\n', nPos), log.size());
        const std::string line = log.substr(nPos, nEnd - nPos);
        if (line.find("fehler") != std::string::npos) grep += line + "\n";
        nPos = nEnd + 1;
    }
    const std::string file = m_dir.Write("app.log", log), out = m_dir.File("grep.txt");
    const auto r = Run({"select", Script("SELECT LINE=*ALL,TEXT=\"fehler\",MATCHCASE=YES\n"), file,
                        "--export", out});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    const std::string exported = test::ReadWholeFile(out);
    EXPECT_EQ(exported.size(), grep.size());
    EXPECT_TRUE(exported == grep);
}

TEST_F(CliSelect, FindOnlyInSelectedLines) {
    const auto r = Run({"find", "fehler", m_file, "--all", "--only-selected",
                        Script("SELECT LINE=*ALL,TEXT=\"e F\",MATCHCASE=YES\n")});
    EXPECT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(r.out, "5 2 6\n");
}

TEST_F(CliSelect, FailuresAndUsage) {
    auto r = Run({"select", m_dir.File("missing.terviks"), m_file});
    EXPECT_EQ(r.nExitCode, 1);
    EXPECT_NE(r.err.find("Verarbeitungsfehler in Datei"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Fehlercode 2"), std::string::npos) << r.err;
    r = Run({"find", "a", m_file, "--only-selected", m_dir.File("missing.terviks")});
    EXPECT_EQ(r.nExitCode, 1);
    r = Run({"select", Script("SELECT LINE=*ALL\n"), m_file, "--export",
             m_dir.File("no/such/folder/out.txt")});
    EXPECT_EQ(r.nExitCode, 1);
    EXPECT_NE(r.err.find("Verarbeitungsfehler"), std::string::npos) << r.err;
    EXPECT_EQ(Run({"select", m_file}).nExitCode, 2);
    EXPECT_EQ(Run({"select", "a", "b", "c"}).nExitCode, 2);
}

} // namespace
} // namespace tervik
