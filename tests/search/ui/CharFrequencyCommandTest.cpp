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
    EXPECT_EQ(opened[0].substr(0, temp.size()), temp);
    EXPECT_EQ(name.substr(0, 16), "Tervik_a b.log_2");
    EXPECT_EQ(name.size(), std::string("Tervik_a b.log_20261207_120000.csv").size()) << name;
    ByteCounts counts = {};
    counts['A'] = 2;
    counts['B'] = counts['"'] = 1;
    counts['\r'] = counts['\n'] = 2;
    EXPECT_EQ(content, CharFrequencyCsv(counts));
    EXPECT_TRUE(m_messages.empty());
}

} // namespace
} // namespace tervik
