#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tervik {
namespace {

using test::RunCli;

class CliDump : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    // An empty settings file keeps the tests independent of the machine's.
    std::string m_ini = m_dir.Write("t.ini", "");
    // 38 bytes: A..Z, 0..9, a tab and a line feed (both dots in the character column).
    std::string m_path = m_dir.Write("d.bin", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\t\n");
    std::vector<std::string> With(std::vector<std::string> args) {
        args.push_back("--ini");
        args.push_back(m_ini);
        return args;
    }
};

TEST_F(CliDump, RowsAsTheDisplayShowsThem) {
    struct Case {
        std::vector<std::string> options;
        std::string out;
    } cases[] = {
        {{},
         "00000000   41424344 45464748 494A4B4C 4D4E4F50   >ABCDEFGHIJKLMNOP<\n"
         "00000010   51525354 55565758 595A3031 32333435   >QRSTUVWXYZ012345<\n"
         "00000020   36373839 090A" +
             std::string(4 + 18, ' ') + "   >6789..<\n"},
        // The start is rounded down to the row width.
        {{"--offset", "35"},
         "00000020   36373839 090A" + std::string(4 + 18, ' ') + "   >6789..<\n"},
        {{"--offset", "17", "--rows", "1"},
         "00000010   51525354 55565758 595A3031 32333435   >QRSTUVWXYZ012345<\n"},
        {{"--rows", "0"}, ""},
        {{"--offset", "48"}, ""},
        {{"--offset", "18446744073709551615"}, ""},
        {{"--groups", "2", "--offset", "20", "--rows", "2"},
         "00000010   51525354 55565758   >QRSTUVWX<\n"
         "00000018   595A3031 32333435   >YZ012345<\n"},
        {{"--groups", "6", "--offset", "30"},
         "00000018   595A3031 32333435 36373839 090A" + std::string(4 + 18, ' ') +
             "   >YZ0123456789..<\n"},
        {{"--groups", "8"},
         "00000000   41424344 45464748 494A4B4C 4D4E4F50 51525354 55565758 595A3031 "
         "32333435   >ABCDEFGHIJKLMNOPQRSTUVWXYZ012345<\n"
         "00000020   36373839 090A" +
             std::string(4 + 54, ' ') + "   >6789..<\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"dump", m_path};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const auto r = RunCli(With(args));
        EXPECT_EQ(r.nExitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << args.back();
    }
}

TEST_F(CliDump, CharacterConversions) {
    // C1 C2 are A and B in EBCDIC and 25 a line feed; C1 C2 C4 are box lines in the
    // OEM set.
    const std::string path = m_dir.Write("c.bin", "\xC1\xC2\x25\xC4");
    const std::string hex = "00000000   C1C225C4" + std::string(27, ' ') + "   >";
    struct Case {
        std::vector<std::string> flags;
        std::string chars;
    } cases[] = {
        {{}, "\xC1\xC2%\xC4"},
        {{"--ebcdic"}, "AB.D"},
        {{"--oem"}, "++%-"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"dump", path};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        const auto r = RunCli(With(args));
        EXPECT_EQ(r.nExitCode, 0) << r.err;
        EXPECT_EQ(r.out, hex + c.chars + "<\n");
    }
}

TEST_F(CliDump, LargeFileEndsWithItsShortRow) {
    // Several reads' worth of rows, with a short last row.
    std::string content(200000, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>('a' + i % 26);
    const auto r = RunCli(With({"dump", "--groups", "6", m_dir.Write("big.bin", content)}));
    ASSERT_EQ(r.nExitCode, 0) << r.err;
    const size_t nRows = (content.size() + 23) / 24;
    size_t nLines = 0;
    for (char c : r.out)
        nLines += c == '\n';
    EXPECT_EQ(nLines, nRows);
    // 200000 = 8333 * 24 + 8; the last row starts at 0x30D38.
    const std::string last = r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1);
    EXPECT_EQ(last.substr(0, 8), "00030D38");
    EXPECT_EQ(last.substr(last.find('>')), ">" + content.substr(199992) + "<\n");
}

TEST_F(CliDump, FailuresAndUsage) {
    struct Case {
        std::vector<std::string> args;
        int nExit;
        const char* errPart;
    } cases[] = {
        {{"dump", m_dir.File("missing.bin")},
         1,
         "konnte nicht ge\xC3\xB6"
         "ffnet werden"},
        {{"dump", "--groups", "3", "f"}, 2, "--groups"},
        {{"dump", "--groups", "16", "f"}, 2, "--groups"},
        {{"dump", "--groups", "", "f"}, 2, "--groups"},
        {{"dump", "--offset", "-1", "f"}, 2, "--offset"},
        {{"dump", "--rows", "x", "f"}, 2, "--rows"},
        {{"dump"}, 2, "Dateiname"},
        {{"dump", "a", "b"}, 2, "Zu viele"},
    };
    for (const auto& c : cases) {
        const auto r = RunCli(With(c.args));
        EXPECT_EQ(r.nExitCode, c.nExit) << c.args[1] << " " << r.err;
        EXPECT_NE(r.err.find(c.errPart), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

} // namespace
} // namespace tervik
