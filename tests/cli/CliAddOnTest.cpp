// tervik-cli addon with the example add-ons.

#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace tervik {
namespace {

using test::RunCli;

class CliAddOn : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    std::string m_temp = m_dir.File("tmp") + "/";
    std::string m_ini = m_dir.Write("t.ini", "[Settings]\nTempPath=" + m_temp + "\n");
    std::string m_file = m_dir.Write("f.log", "ab\ncdefghijkl\n\nx\ty\n");
    test::ProcessResult Run(std::vector<std::string> args) {
        args.push_back("--ini");
        args.push_back(m_ini);
        return RunCli(args);
    }
    void SetUp() override { std::filesystem::create_directories(m_temp); }
};

TEST_F(CliAddOn, ListsTheWalk) {
    auto r = Run({"addon", TERVIK_ADDON_STATS, m_file, "--list"});
    EXPECT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(r.out, "32849 item \"Satzstatistik\" function=1 interface=0x1 output=4\n");
    r = Run({"addon", TERVIK_ADDON_MARKED, m_file, "--list"});
    EXPECT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(r.out, "- popup \"Markierung\" function=0 interface=0x0 output=0\n"
                     "32849 item \"Als Hex anzeigen\" function=1 interface=0x2 output=4\n"
                     "- separator \"\" function=0 interface=0x0 output=0\n"
                     "32850 item \"Grossbuchstaben\" function=2 interface=0x80000000 output=0\n");
}

TEST_F(CliAddOn, RunsTheStatisticIntoATemporaryFile) {
    const auto r = Run({"addon", TERVIK_ADDON_STATS, m_file, "--item", "32849"});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    // In this user's own folder, under a name no one can guess.
#ifdef _WIN32
    const std::string own = m_temp;
#else
    const std::string own = m_temp + "tervik-" + std::to_string(::geteuid()) + "/";
    EXPECT_EQ(std::filesystem::status(own).permissions(), std::filesystem::perms::owner_all);
#endif
    const std::string prefix = "output: " + own + "Tervik_f.log_";
    ASSERT_EQ(r.out.rfind(prefix, 0), 0u) << r.out;
    const std::string path = r.out.substr(8, r.out.size() - 9);
    EXPECT_EQ(path.size(),
              own.size() + std::string("Tervik_f.log_20260101_000000_0123456789").size());
    const std::string text = test::ReadWholeFile(path);
    EXPECT_NE(text.find("Saetze: 4\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Laengster Satz: 10 (Satz 2)\r\nAnfang: cdefghijkl\r\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("       1-9 2\r\n"), std::string::npos) << text;
}

TEST_F(CliAddOn, MarkedTextAsHexFollowsTheToggle) {
    const std::string out = m_dir.File("hex.txt");
    // "ä" arrives as cp1252 E4; the toggle is off in a fresh run.
    auto r = Run({"addon", TERVIK_ADDON_MARKED, m_file, "--item", "32849", "--marked", "Aä",
                  "--points", "1,2,3,4", "--out", out});
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(r.out, "output: " + out + "\n");
    EXPECT_EQ(test::ReadWholeFile(out), "Markierung 1,2 - 3,4\r\n41 e4\r\n");
    // The toggle itself succeeds, writes nothing and names no file.
    r = Run({"addon", TERVIK_ADDON_MARKED, m_file, "--item", "32850"});
    EXPECT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_temp))
        EXPECT_TRUE(entry.is_directory()) << entry.path();
}

// A plain name is the library in the current folder when there is one there, else the
// system's library folders are searched.
TEST_F(CliAddOn, APlainNameIsTheFileInTheCurrentFolder) {
    const std::filesystem::path library = TERVIK_ADDON_STATS;
    const std::string name = "statistik" + library.extension().string();
    std::filesystem::copy_file(library, m_dir.Path() / name);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    const auto found = Run({"addon", name, "f.log", "--item", "32849", "--out", "aus.txt"});
    const auto missing = Run({"addon", "nirgends-" + name, "f.log", "--list"});
    std::filesystem::current_path(before);
    EXPECT_EQ(found.nExitCode, 0) << found.err;
    EXPECT_EQ(found.out, "output: aus.txt\n");
    EXPECT_NE(test::ReadWholeFile(m_dir.File("aus.txt")).find("Saetze: 4\r\n"), std::string::npos);
    EXPECT_EQ(missing.nExitCode, 1);
    EXPECT_NE(missing.err.find("\"nirgends-" + name + "\" kann nicht geladen werden"),
              std::string::npos)
        << missing.err;
}

TEST_F(CliAddOn, Failures) {
    const std::string noLib = m_dir.File("nichts.so");
    struct Case {
        std::vector<std::string> args;
        int nExit;
        const char* err;
    } cases[] = {
        {{"addon", noLib, m_file, "--list"}, 1, "kann nicht geladen werden, Fehlercode="},
#ifndef _WIN32
        // No leftover error number: the reason, then the loader's own words.
        {{"addon", m_dir.Write("kaputt.so", "kein ELF"), m_file, "--list"},
         1,
         "kann nicht geladen werden: Die Datei ist keine Bibliothek"},
        // The example checks its writes: a full disk is a failure, and no file is named.
        {{"addon", TERVIK_ADDON_STATS, m_file, "--item", "32849", "--out", "/dev/full"},
         1,
         "Ausgabedatei \"/dev/full\" kann nicht geschrieben werden."},
#else
        {{"addon", m_dir.Write("kaputt.dll", "kein PE"), m_file, "--list"},
         1,
         "kann nicht geladen werden, Fehlercode="},
#endif
        {{"addon", TERVIK_ADDON_STATS, m_file, "--item", "32850"},
         1,
         "Das Interface ist leider noch nicht implementiert!"},
        {{"addon", TERVIK_ADDON_STATS, m_file, "--item", "32849", "--out", m_dir.File("x/y")},
         1,
         "kann nicht angelegt werden"},
        {{"addon", TERVIK_ADDON_MARKED, m_file, "--item", "32849"}, 2, "--marked"},
        {{"addon", TERVIK_ADDON_MARKED, m_file, "--item", "32849", "--marked", "a", "--points",
          "1,2,3"},
         2,
         "L1,C1,L2,C2"},
        {{"addon", TERVIK_ADDON_STATS, m_file}, 2, "--list"},
    };
    for (const Case& c : cases) {
        const auto r = Run(c.args);
        EXPECT_EQ(r.nExitCode, c.nExit) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

} // namespace
} // namespace tervik
