// The update folder compared with the program's folder, the question's text, and the
// updater's command line.

#include "app/UpdateCheck.h"

#include "base/Strings.h"
#include "platform/SysPaths.h"
#include "support/TempDir.h"

#include <algorithm>

#include <filesystem>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#undef LoadString // ours, not the resource loader
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace tervik {
namespace {

using test::CTempDir;

// 2026-12-01 08:00:00 UTC and later moments.
constexpr int64_t kDec1 = 1796112000;

void SetTime(const std::string& path, int64_t nSeconds, long nNanoseconds = 0) {
#ifdef _WIN32
    // FILETIME: 100 ns since 1601.
    const uint64_t n = static_cast<uint64_t>(nSeconds + 11644473600LL) * 10000000u +
                       static_cast<uint64_t>(nNanoseconds / 100);
    const FILETIME ft{static_cast<DWORD>(n), static_cast<DWORD>(n >> 32)};
    HANDLE h = CreateFileW(test::U8Path(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    EXPECT_TRUE(SetFileTime(h, nullptr, &ft, &ft));
    CloseHandle(h);
#else
    const timespec times[2] = {{static_cast<time_t>(nSeconds), nNanoseconds},
                               {static_cast<time_t>(nSeconds), nNanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
#endif
}

class UpdateCheckTest : public ::testing::Test {
protected:
    CTempDir m_program, m_update;
    std::string m_programPath = m_program.File("tervik");
    std::string Question() { return LoadString(IDS_NEWER_VERSION); }
    void Local(const char* pszName, int64_t nTime, long nNs = 0) {
        SetTime(m_program.Write(pszName, "local"), nTime, nNs);
    }
    void Offered(const char* pszName, int64_t nTime, long nNs = 0) {
        SetTime(m_update.Write(pszName, "update"), nTime, nNs);
    }
    std::optional<std::string> Check() {
        return UpdateQuestion(m_update.Path().string(), m_programPath);
    }
    static std::string With(const std::string& question, const std::string& name) {
        std::string text = question;
        text.replace(text.find("%s"), 2, name);
        return text;
    }
};

TEST_F(UpdateCheckTest, OnlyOlderOrEquallyOldFilesAskNothing) {
    Local("tervik", kDec1 + 100);
    Local("help.txt", kDec1);
    Offered("tervik", kDec1 + 100); // as old
    Offered("help.txt", kDec1 - 5); // older
    // A fraction of a second newer is a copy that kept more of the time, not a newer file.
    Local("readme", kDec1, 0);
    Offered("readme", kDec1, 700000000);
    std::filesystem::create_directory(m_update.File("subfolder")); // folders do not count
    EXPECT_EQ(Check(), std::nullopt);
    EXPECT_EQ(UpdateQuestion("", m_programPath), std::nullopt);
    EXPECT_EQ(UpdateQuestion(m_update.File("missing"), m_programPath), std::nullopt);
}

TEST_F(UpdateCheckTest, NewerProgramAndANewFileNameTheFirstWithBothLines) {
    Local("tervik", kDec1);
    Offered("tervik", kDec1 + 6 * 86400 + 5405); // 7.12.2026 09:30:05
    Offered("help.chm", kDec1);
    Local("old.txt", kDec1);
    Offered("old.txt", kDec1);
    // Without a trailing separator as well.
    const std::string expected = With(Question(), "help.chm,...") +
                                 "\n"
                                 "\n New:\thelp.chm"
                                 "\n Upd:\ttervik\t1.12.2026 08:00:00 --> 7.12.2026 09:30:05";
    EXPECT_EQ(Check(), expected);
    EXPECT_EQ(UpdateQuestion(m_update.Path().string() + "/", m_programPath), expected);
}

TEST_F(UpdateCheckTest, ANameWithPercentIsShownAsItIs) {
    Offered("100%s %d.txt", kDec1);
    EXPECT_EQ(Check(), With(Question(), "100%s %d.txt") + "\n\n New:\t100%s %d.txt");
}

// A folder of many new files names the first 20 and counts the rest: the box stays
// smaller than the screen.
TEST_F(UpdateCheckTest, ManyFilesListTheFirstTwentyAndCountTheRest) {
    const struct {
        int nFiles;
        const char* pszTail; // the text's end
    } cases[] = {{20, "\n New:\tf019"},
                 {21, "\n New:\tf019\n ... und 1 weitere"},
                 {300, "\n New:\tf019\n ... und 280 weitere"}};
    int nMade = 0;
    for (const auto& c : cases) {
        for (; nMade < c.nFiles; ++nMade)
            Offered(("f" + std::to_string(1000 + nMade).substr(1)).c_str(), kDec1);
        const std::string text = Check().value_or("");
        EXPECT_TRUE(text.ends_with(c.pszTail)) << c.nFiles;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 20) << c.nFiles;
    }
}

// Paths as the system writes them: with its own separator.
std::string N(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

TEST(UpdaterLaunch, PartsOfTheCommandLine) {
    EXPECT_EQ(NewProgramFile(N("/srv/upd"), N("/opt/tervik/tervik")), N("/srv/upd/tervik"));
    EXPECT_EQ(NewProgramFile(N("/srv/upd/"), N("/opt/tervik/tervik")), N("/srv/upd/tervik"));

    const struct {
        std::vector<std::string> args;
        const char* pszJoined;
    } kJoin[] = {
        {{}, ""},
        {{"a.log"}, "a.log"},
        {{"--ini", "/h/u/my settings.ini", "x\"y"}, "--ini \"/h/u/my settings.ini\" x\"y"},
        {{"", "b"}, "\"\" b"},
    };
    for (const auto& c : kJoin)
        EXPECT_EQ(JoinArguments(c.args), c.pszJoined);

    const UpdaterLaunch launch =
        MakeUpdaterLaunch(N("/srv/upd/tervik"), N("/opt/tervik/tervik"), "--ini \"a b\"");
    const std::string updater = N("/opt/tervik/OrvAUpd") + kProgramSuffix;
    EXPECT_EQ(launch.m_program, updater);
    EXPECT_EQ(launch.m_args,
              (std::vector<std::string>{N("/srv/upd/tervik"), N("/opt/tervik/tervik"),
                                        N("/opt/tervik/tervik"), "--ini \"a b\""}));
    EXPECT_EQ(launch.m_commandLine, "\"" + updater + "\" \"" + N("/srv/upd/tervik") + "\" \"" +
                                        N("/opt/tervik/tervik") + "\" \"" +
                                        N("/opt/tervik/tervik") + "\" \"--ini \"a b\"\"");
    // A program path without a folder leaves the updater without one.
    EXPECT_EQ(MakeUpdaterLaunch("n", "tervik", "").m_program,
              std::string("OrvAUpd") + kProgramSuffix);
}

} // namespace
} // namespace tervik
