// Start-up with an update folder: the question, the updater started or its failure;
// and the temporary folder: the recent-file filter and the clean-up at the end.

#include "base/SettingKeys.h"
#include "base/Strings.h"
#include "framework/CommandIds.h"
#include "framework/ui/QtText.h"
#include "platform/FileClaim.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tervik {
namespace {

namespace fs = std::filesystem;

void SetTime(const std::string& path, int64_t nSeconds) {
    const timespec times[2] = {{static_cast<time_t>(nSeconds), 0},
                               {static_cast<time_t>(nSeconds), 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// 2026-12-01 08:00:00 UTC.
constexpr int64_t kDec1 = 1796112000;

class UpdateQuestionTest : public test::ShellTest {
protected:
    std::string m_programFolder = m_dir.File("prog");
    std::string m_updateFolder = m_dir.File("upd");
    std::vector<unsigned> m_types;
    int m_nAnswer = IDNO;

    void SetUp() override {
        test::ShellTest::SetUp();
        AnswerBoxes();
        fs::create_directories(m_programFolder);
        fs::create_directories(m_updateFolder);
        SetTime(m_dir.Write("prog/tervik", "old"), kDec1);
        SetTime(m_dir.Write("upd/tervik", "new"), kDec1 + 6 * 86400 + 5405);
        SetTime(m_dir.Write("upd/help.chm", "help"), kDec1);
        CStartUp::OverrideProgramPath(m_programFolder + "/tervik");
        Settings().WriteProfileString(kSectionSettings, "UpdatePath", m_updateFolder);
    }
    void TearDown() override {
        test::ShellTest::TearDown();
        CStartUp::OverrideProgramPath("");
    }
    // The test answers the message boxes: m_nAnswer to the question, OK to others.
    void AnswerBoxes() {
        SetMessageBoxHook([this](const std::string& text, unsigned nType) {
            m_messages.push_back(text);
            m_types.push_back(nType);
            return nType == (MB_YESNO | MB_ICONQUESTION) ? m_nAnswer : IDOK;
        });
    }
    std::string Question() const {
        std::string text = LoadString(IDS_NEWER_VERSION);
        text.replace(text.find("%s"), 2, "help.chm,...");
        return text + "\n\n New:\thelp.chm\n Upd:\ttervik\t1.12.2026 08:00:00 --> 7.12.2026 "
                      "09:30:05";
    }
    std::string InstallUpdater() {
        const std::string updater = m_dir.Write(
            "prog/OrvAUpd", "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > \"$0.args\"\n");
        fs::permissions(updater, fs::perms::owner_all);
        return updater + ".args";
    }
};

TEST_F(UpdateQuestionTest, YesStartsTheUpdaterWithItsPartsAndEndsTheStart) {
    const std::string args = InstallUpdater();
    m_nAnswer = IDYES;
    const std::string file = Log("a.log", 3);
    EXPECT_FALSE(Start({QString::fromStdString(file)}));
    EXPECT_TRUE(m_app->EndedOnPurpose());
    EXPECT_EQ(m_app->MainFrame(), nullptr);
    const std::string program = m_programFolder + "/tervik";
    const std::string expected = "[" + m_updateFolder + "/tervik]\n[" + program + "]\n[" + program +
                                 "]\n[" + file + " --ini " + m_ini + "]\n";
    for (int i = 0; i < 400 && test::ReadWholeFile(args) != expected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(test::ReadWholeFile(args), expected);
    EXPECT_EQ(m_messages.size(), 1u);
}

TEST_F(UpdateQuestionTest, AMissingUpdaterIsReportedAndTheProgramStarts) {
    m_nAnswer = IDYES;
    ASSERT_TRUE(Start());
    ASSERT_EQ(m_messages.size(), 2u);
    const std::string program = m_programFolder + "/tervik";
    EXPECT_EQ(m_messages[1], LoadString(IDS_UPDATE_FAILED) + "2\n\"" + m_programFolder +
                                 "/OrvAUpd\" \"" + m_updateFolder + "/tervik\" \"" + program +
                                 "\" \"" + program + "\" \"--ini " + m_ini + "\"");
    EXPECT_EQ(m_types[1], unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_FALSE(m_app->EndedOnPurpose());
    EXPECT_TRUE(Frame().isVisible());
}

TEST_F(UpdateQuestionTest, NoStartsNormallyAndTheQuestionComesAgain) {
    SetMessageBoxHook({});
    QString shown;
    // The box is modal: look at it from a timer, then answer No with a real click.
    std::function<void()> look = [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!pBox) {
            QTimer::singleShot(50, look);
            return;
        }
        shown = pBox->text();
        test::SaveScreenshot(*pBox, "update-question");
        QTest::mouseClick(pBox->button(QMessageBox::No), Qt::LeftButton);
    };
    QTimer::singleShot(50, look);
    ASSERT_TRUE(Start());
    EXPECT_EQ(shown, FromAnsi(Question()));
    EXPECT_TRUE(Frame().isVisible());
    Stop();

    // Asked again at the next start.
    AnswerBoxes();
    ASSERT_TRUE(Start());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0], Question());
    EXPECT_EQ(m_types[0], unsigned(MB_YESNO | MB_ICONQUESTION));
}

class TempFolderTest : public test::ShellTest {
protected:
    std::string m_temp = m_dir.File("tmp");
    void SetUp() override {
        test::ShellTest::SetUp();
        fs::create_directories(m_temp);
        // Without the trailing separator.
        Settings().WriteProfileString(kSectionSettings, "TempPath", m_temp);
    }
};

TEST_F(TempFolderTest, GeneratedFilesStayOutOfTheRecentFileList) {
    const std::string generated = m_dir.Write("tmp/Tervik_a.log_20261207_101010", "x\n");
    const std::string plain = m_dir.Write("tmp/plain.log", "x\n");
    const std::string beside = m_dir.Write("tmpTervik_b.log", "x\n");
    ASSERT_TRUE(Start());
    for (const std::string& path : {generated, plain, beside})
        ASSERT_TRUE(m_app->OpenDocumentFile(path)) << path;
    EXPECT_EQ(m_app->DocumentManager().RecentFiles(), (std::vector<std::string>{beside, plain}));
}

TEST_F(TempFolderTest, TheEndRemovesLeftoversAndOwnFilesButNotThoseOfARunningCopy) {
    const std::string leftover = m_dir.Write("tmp/Tervik_x.log_20261201_080000.csv", "old\n");
    const std::string other = m_dir.Write("tmp/Tervik_y.log_20261207_120000", "in use\n");
    const std::string unrelated = m_dir.Write("tmp/notes.txt", "keep\n");
    // Another running copy that claimed its file.
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(go[1]);
        static CFileClaim claim;
        claim.Claim(other);
        char c = 1;
        [[maybe_unused]] ssize_t n = ::write(ready[1], &c, 1);
        n = ::read(go[0], &c, 1);
        ::_exit(0);
    }
    ::close(go[0]);
    ::close(ready[1]);
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);

    ASSERT_TRUE(Start());
    const std::string own = m_temp + "/Tervik_z.log_20261207_130000";
    m_app->StartUp().ClaimTempFile(own);
    EXPECT_TRUE(fs::exists(own));
    Stop();
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_FALSE(fs::exists(own));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(fs::exists(unrelated));
    ::close(go[1]);
    ::waitpid(pid, nullptr, 0);
}

} // namespace
} // namespace tervik
