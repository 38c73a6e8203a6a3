#include "app/ui/ChildFrame.h"
#include "framework/CommandIds.h"
#include "search/CharFrequency.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>

#include <filesystem>
#include <unistd.h>

namespace tervik {
namespace {

class CharFrequencyCommand : public test::ShellTest {
protected:
    void TearDown() override {
        CTervikView::SetOpenFileHook({});
        ShellTest::TearDown();
    }
};

TEST_F(CharFrequencyCommand, ExtrasItemWritesTheCsvAndOpensIt) {
    const std::string temp = m_dir.File("tmp") + "/";
    std::filesystem::create_directory(temp);
    m_dir.Write("tervik.ini", "[Settings]\r\nTempPath=" + temp + "\r\n");
    const std::string file = m_dir.Write("a b.log", "AB\r\nA\"\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(file)}));
    Settle();

    std::vector<std::string> opened;
    std::string content;
    CTervikView::SetOpenFileHook([&](const std::string& path) {
        opened.push_back(path);
        content = test::ReadWholeFile(path); // the exit cleanup removes it
    });
    // The item sits in the "Extras" menu.
    QAction* pItem = Frame().Action(ID_CHAR_FREQUENCY);
    ASSERT_NE(pItem, nullptr);
    bool bInExtras = false;
    for (QAction* pMenu : Frame().menuBar()->actions())
        if (pMenu->text() == "E&xtras" && pMenu->menu()->actions().contains(pItem))
            bInExtras = true;
    EXPECT_TRUE(bInExtras);
    pItem->trigger();
    Settle();

    ASSERT_EQ(opened.size(), 1u);
    const std::string name = std::filesystem::path(opened[0]).filename().string();
    // In this user's own folder, under a name no one can guess.
    const std::string own = temp + "tervik-" + std::to_string(::geteuid()) + "/";
    EXPECT_EQ(opened[0].substr(0, own.size()), own);
    EXPECT_EQ(name.substr(0, 16), "Tervik_a b.log_2");
    EXPECT_EQ(name.size(), std::string("Tervik_a b.log_20261207_120000_0123456789.csv").size())
        << name;
    ByteCounts counts = {};
    counts['A'] = 2;
    counts['B'] = counts['"'] = 1;
    counts['\r'] = counts['\n'] = 2;
    EXPECT_EQ(content, CharFrequencyCsv(counts));
    EXPECT_TRUE(m_messages.empty());
    // Whether or not a program shows it, the status bar says where it is.
    EXPECT_EQ(Frame().GetMessageText(), "Die Zeichenh\xE4ufigkeit steht in " + opened[0]);

    // Once others may enter that folder, nothing more is written there.
    std::filesystem::permissions(own, std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    pItem->trigger();
    Settle();
    EXPECT_EQ(opened.size(), 1u);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_NE(m_messages[0].find("einem anderen Benutzer"), std::string::npos) << m_messages[0];
}

} // namespace
} // namespace tervik
