#include "document/Md5.h"
#include "search/CharFrequency.h"
#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tervik {
namespace {

using test::RunCli;

class CliDocument : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    // An empty settings file keeps the tests independent of the machine's.
    std::string m_ini = m_dir.Write("t.ini", "");
    std::vector<std::string> With(std::vector<std::string> args) {
        args.push_back("--ini");
        args.push_back(m_ini);
        return args;
    }
};

TEST_F(CliDocument, InfoPrintsTheSevenLinesInOrder) {
    const std::string content = "alpha\r\nbe\tta\r\n\r\nlast";
    const std::string path = m_dir.Write("a.log", content);
    const auto r = RunCli(With({"info", path}));
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    EXPECT_EQ(r.out, "file-size: 20\nrecords: 4\nmax-length: 5\nline-end: 2\nbom: none\ndigest: " +
                         CMd5::HexOf(content.data(), content.size()) + "\nutf8: off\n");
    EXPECT_TRUE(r.err.empty());
}

TEST_F(CliDocument, InfoReportsByteOrderMarks) {
    struct Case {
        std::string bytes;
        const char* bom;
    } cases[] = {
        {"\xFF\xFE"
         "a\0",
         "utf16le"},
        {"\xFE\xFF\0a", "utf16be"},
        {"\xEF\xBB\xBFx", "utf8"},
        {"plain", "none"},
    };
    for (const auto& c : cases) {
        const auto r = RunCli(With({"info", m_dir.Write("bom.txt", c.bytes)}));
        EXPECT_NE(r.out.find(std::string("bom: ") + c.bom + "\n"), std::string::npos) << r.out;
    }
}

TEST_F(CliDocument, TimingGoesToStderr) {
    const auto r = RunCli(With({"info", "--timing", m_dir.Write("t.log", "x\n")}));
    ASSERT_EQ(r.nExitCode, 0);
    EXPECT_NE(r.err.find("ready-ms: "), std::string::npos);
    EXPECT_NE(r.err.find("digest-ms: "), std::string::npos);
    EXPECT_EQ(r.out.find("-ms"), std::string::npos);
}

TEST_F(CliDocument, RecordsWithOpenOptions) {
    const std::string path = m_dir.Write("r.log", "ab\ncd\tx\n" + std::string(10, 'z'));
    auto r = RunCli(With({"records", path}));
    EXPECT_EQ(r.out, "0 2 00400000\n3 4 00000000\n8 10 00000000\n");
    r = RunCli(With({"records", "--fixed", "5", path}));
    EXPECT_EQ(r.out, "0 5 00400000\n5 5 00000000\n10 5 00400000\n15 3 00000000\n");
    r = RunCli(With({"records", "--maxrec", "4", path}));
    EXPECT_EQ(r.out, "0 2 00400000\n3 4 00000000\n8 4 00400000\n12 4 00400000\n16 2 00000000\n");
    r = RunCli(With({"records", "--limit", "2", path}));
    EXPECT_EQ(r.out, "0 2 00400000\n3 4 00000000\n");
    r = RunCli(With({"records", "--limit", "1", "--from-end", path}));
    EXPECT_EQ(r.out, "8 10 00000000\n");
}

TEST_F(CliDocument, TextExpandsSkipsAndConverts) {
    const std::string path = m_dir.Write("t.log", "a\tb\nline2\n\x01\xC1\xC2\n");
    auto r = RunCli(With({"text", path}));
    EXPECT_EQ(r.out, "a\t\t\tb\nline2\n\x01\xC1\xC2\n");
    r = RunCli(With({"text", "--no-expand", "--count", "1", path}));
    EXPECT_EQ(r.out, "a\tb\n");
    r = RunCli(With({"text", "--skip", "2", "--from", "0", "--count", "2", path}));
    EXPECT_EQ(r.out, "\t\tb\nne2\n");
    r = RunCli(With({"text", "--tab", "2", "--count", "1", path}));
    EXPECT_EQ(r.out, "a\tb\n");
    r = RunCli(With({"text", "--display", path}));
    EXPECT_EQ(r.out, "a   b\nline2\n.\xC1\xC2\n");
    // EBCDIC: C1 C2 are A and B; 0x01 stays a control byte.
    r = RunCli(With({"text", "--display", "--ebcdic", "--from", "2", path}));
    EXPECT_EQ(r.out, ".AB\n");
    r = RunCli(With({"text", "--from", "7", path}));
    EXPECT_EQ(r.nExitCode, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(CliDocument, Utf16AndUtf8Switches) {
    const std::string le = m_dir.Write("le.txt", std::string("\xFF\xFE"
                                                             "A\0B\0\r\0\n\0",
                                                             10));
    auto r = RunCli(With({"text", le}));
    EXPECT_EQ(r.out, "AB\n");
    r = RunCli(With({"text", "--utf16", "off", le}));
    EXPECT_EQ(r.out, std::string("\xFF\xFE"
                                 "A\0B\0",
                                 6) +
                         "\n");
    const std::string u8 = m_dir.Write("u8.txt", "\xEF\xBB\xBF\xC3\xA4x\n");
    EXPECT_EQ(RunCli(With({"text", u8})).out, "\xE4x\n");
    EXPECT_EQ(RunCli(With({"text", "--utf8", "off", u8})).out, "\xEF\xBB\xBF\xC3\xA4x\n");
    // "on" in a UTF-16 file changes nothing but says so.
    r = RunCli(With({"text", "--utf8", "on", le}));
    EXPECT_EQ(r.out, "AB\n");
    EXPECT_NE(r.err.find("--utf8 on"), std::string::npos);
    // Without a mark: auto detects, on and off choose; info tells which.
    const struct {
        const char* bytes;
        const char* utf8;
        const char* text;
        const char* utf8Out;
    } cases[] = {
        {"G\xC3\xB6ran \xC5\x81\n", "auto", "G\xF6ran ?\n", "G\xC3\xB6ran \xC5\x81\n"},
        {"G\xC3\xB6ran \xC5\x81\n", "off", "G\xC3\xB6ran \xC5\x81\n",
         "G\xC3\x83\xC2\xB6ran \xC3\x85\xC2\x81\n"},
        {"G\xF6ran\n", "auto", "G\xF6ran\n", "G\xC3\xB6ran\n"},
        {"G\xF6ran\n", "on", "G?ran\n", "G\xEF\xBF\xBDran\n"},
        {"plain\n", "auto", "plain\n", "plain\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.bytes) + c.utf8);
        const std::string path = m_dir.Write("nomark.txt", c.bytes);
        EXPECT_EQ(RunCli(With({"text", "--utf8", c.utf8, path})).out, c.text);
        EXPECT_EQ(RunCli(With({"text", "--utf8-out", "--utf8", c.utf8, path})).out, c.utf8Out);
        const bool bOn = std::string(c.text) != c.bytes;
        EXPECT_NE(RunCli(With({"info", "--utf8", c.utf8, path})).out.find(bOn ? "utf8: on\n" : "utf8: off\n"),
                  std::string::npos);
    }
}

TEST_F(CliDocument, FailuresAndUsage) {
    struct Case {
        std::vector<std::string> args;
        int nExit;
        const char* errPart;
    } cases[] = {
        {{"info", m_dir.File("missing.log")},
         1,
         "konnte nicht ge\xC3\xB6"
         "ffnet werden"},
        {{"info", m_dir.Path().string()}, 1, "Verzeichnis"},
        {{"info"}, 2, "Dateiname"},
        {{"info", "a", "b"}, 2, "Zu viele"},
        {{"records", "--fixed", "x", "f"}, 2, "--fixed"},
        {{"text", "--bogus", "f"}, 2, "--bogus"},
        {{"info", "--utf8", "maybe", "f"}, 2, "--utf8"},
        {{"info", "--limit"}, 2, "--limit"},
    };
    for (const auto& c : cases) {
        const auto r = RunCli(With(c.args));
        EXPECT_EQ(r.nExitCode, c.nExit) << c.args[0] << " " << r.err;
        EXPECT_NE(r.err.find(c.errPart), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

// A log not written yet is a file like any other, with no records.
TEST_F(CliDocument, EmptyFileOpensInEverySubcommand) {
    const std::string empty = m_dir.Write("empty.log", "");
    ByteCounts none = {};
    const struct Case {
        std::vector<std::string> args;
        int nExit;
        std::string out;
    } cases[] = {
        {{"info", empty},
         0,
         "file-size: 0\nrecords: 0\nmax-length: 0\nline-end: 0\nbom: none\ndigest: " +
             CMd5::HexOf("", 0) + "\nutf8: off\n"},
        {{"records", empty}, 0, ""},
        {{"text", empty}, 0, ""},
        {{"dump", empty}, 0, ""},
        {{"charfreq", empty}, 0, CharFrequencyCsv(none)},
        {{"find", "x", empty}, 1, ""},
        {{"follow", empty, "--idle-exit", "50"}, 0, ""},
    };
    for (const Case& c : cases) {
        const auto r = RunCli(With(c.args));
        EXPECT_EQ(r.nExitCode, c.nExit) << c.args[0] << " " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0];
        EXPECT_EQ(r.err.find("leer"), std::string::npos) << c.args[0] << " " << r.err;
    }
}

TEST_F(CliDocument, SettingsAreReadButNeverWritten) {
    const std::string ini = m_dir.Write("own.ini", "[Settings]\nMaxRecSize=3\nTabSize=8\n");
    const std::string path = m_dir.Write("s.log", "abcdefg\n");
    const auto r = RunCli({"records", "--ini", ini, path});
    EXPECT_EQ(r.out, "0 3 00400000\n3 3 00400000\n6 1 00400000\n");
    EXPECT_EQ(test::ReadWholeFile(ini), "[Settings]\nMaxRecSize=3\nTabSize=8\n");
    // A missing settings file means defaults and is not created.
    const std::string none = m_dir.File("none.ini");
    EXPECT_EQ(RunCli({"info", "--ini", none, path}).nExitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(none));
}

} // namespace
} // namespace tervik
