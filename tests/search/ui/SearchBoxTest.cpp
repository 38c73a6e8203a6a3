#include "search/ui/SearchBox.h"
#include "base/Settings.h"
#include "platform/Profile.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace tervik {
namespace {

class SearchBoxTest : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    std::string m_ini = m_dir.File("t.ini");
    std::unique_ptr<CProfile> m_pProfile = std::make_unique<CProfile>(m_ini);
    std::unique_ptr<CSettings> m_pSettings = std::make_unique<CSettings>(*m_pProfile);

    void Type(CSearchBox& box, const char* text) {
        box.setEditText(QString::fromUtf8(text));
        box.EnterIntoHistory();
    }
};

TEST_F(SearchBoxTest, HistoryKeepsOneEntryPerTextMostRecentFirst) {
    CSearchBox box(*m_pSettings);
    Type(box, "Fehler");
    Type(box, "Warnung");
    Type(box, "fehler"); // the same text in other case replaces the older entry at the top
    EXPECT_EQ(box.History(), (std::vector<std::string>{"fehler", "Warnung"}));
    Type(box, "FEHLER"); // at the top already: nothing changes
    EXPECT_EQ(box.History(), (std::vector<std::string>{"fehler", "Warnung"}));
    Type(box, "");
    EXPECT_EQ(box.History().size(), 2u);
    EXPECT_TRUE(box.HistoryChanged());
}

TEST_F(SearchBoxTest, HistoryIsSharedThroughTheSettingsWithItsBlanks) {
    {
        CSearchBox box(*m_pSettings);
        Type(box, "  zwei Blanks vorn");
        Type(box, "%FLAGS(C)Abc");
    }
    EXPECT_EQ(m_pProfile->GetProfileString("Search List", "String01", ""), "%FLAGS(C)Abc");
    CProfile reread(m_ini);
    CSettings settings(reread);
    CSearchBox again(settings);
    EXPECT_EQ(again.History(), (std::vector<std::string>{"%FLAGS(C)Abc", "  zwei Blanks vorn"}));
    EXPECT_FALSE(again.HistoryChanged());
    // At most 32 entries are kept.
    for (int i = 0; i < 40; ++i)
        Type(again, ("Muster " + std::to_string(i)).c_str());
    EXPECT_EQ(again.History().size(), 42u);
    settings.WriteSearchList(again.History());
    EXPECT_EQ(settings.ReadSearchList().size(), 32u);
}

TEST_F(SearchBoxTest, PastedTextKeepsItsFirstLineOnly) {
    CSearchBox box(*m_pSettings);
    box.show();
    box.InsertText("erste Zeile\r\nzweite Zeile");
    EXPECT_EQ(box.currentText(), QString("erste Zeile"));
    box.setEditText(QString());
    QApplication::clipboard()->setText("oben\nunten");
    box.lineEdit()->setFocus();
    QTest::keySequence(box.lineEdit(), QKeySequence::Paste);
    EXPECT_EQ(box.currentText(), QString("oben"));
    EXPECT_EQ(box.lineEdit()->maxLength(), 128);
}

TEST_F(SearchBoxTest, EnterRunsTheHandlerOnRelease) {
    CSearchBox box(*m_pSettings);
    box.show();
    int nCalls = 0;
    CSearchBox::SetEnterHandler([&] { ++nCalls; });
    QTest::keyPress(box.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(nCalls, 0);
    QTest::keyRelease(box.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(nCalls, 1);
    CSearchBox::SetEnterHandler({});
}

} // namespace
} // namespace tervik
