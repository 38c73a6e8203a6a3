// The update folder compared with the program's folder, the question's text, and the
// updater's command line.

#include "app/UpdateCheck.h"

#include "base/Strings.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tervik {
namespace {

using test::CTempDir;

// 2026-12-01 08:00:00 UTC and later moments.
constexpr int64_t kDec1 = 1796112000;

void SetTime(const std::string& path, int64_t nSeconds, long nNanoseconds = 0) {
    const timespec times[2] = {{static_cast<time_t>(nSeconds), nNanoseconds},
                               {static_cast<time_t>(nSeconds), nNanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
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

TEST(UpdaterLaunch, PartsOfTheCommandLine) {
    EXPECT_EQ(NewProgramFile("/srv/upd", "/opt/tervik/tervik"), "/srv/upd/tervik");
    EXPECT_EQ(NewProgramFile("/srv/upd/", "/opt/tervik/tervik"), "/srv/upd/tervik");

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
        MakeUpdaterLaunch("/srv/upd/tervik", "/opt/tervik/tervik", "--ini \"a b\"");
    EXPECT_EQ(launch.m_program, "/opt/tervik/OrvAUpd");
    EXPECT_EQ(launch.m_args, (std::vector<std::string>{"/srv/upd/tervik", "/opt/tervik/tervik",
                                                       "/opt/tervik/tervik", "--ini \"a b\""}));
    EXPECT_EQ(launch.m_commandLine, "\"/opt/tervik/OrvAUpd\" \"/srv/upd/tervik\" "
                                    "\"/opt/tervik/tervik\" \"/opt/tervik/tervik\" "
                                    "\"--ini \"a b\"\"");
    // A program path without a folder leaves the updater without one.
    EXPECT_EQ(MakeUpdaterLaunch("n", "tervik", "").m_program, "OrvAUpd");
}

} // namespace
} // namespace tervik
