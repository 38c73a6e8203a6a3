#include "search/ui/SearchBox.h"
#include "base/Settings.h"
#include "platform/Profile.h"
#include "search/SearchHistory.h"
#include "search/SelectCriteria.h"
#include "search/ui/SearchDialog.h"
#include "search/ui/SelectLinesDialog.h"
#include "support/TempDir.h"
#include "views/ui/GotoPosition.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <functional>
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
    CSearchHistory m_history;

    void Type(CSearchBox& box, const char* text) {
        box.setEditText(QString::fromUtf8(text));
        box.EnterIntoHistory();
    }
    // Shows the widget in an active window and gives it the keyboard focus, so
    // keys go where a person's keys go.
    static QWidget* Focus(QWidget* pWidget) {
        pWidget->window()->show();
        pWidget->window()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(pWidget->window()));
        pWidget->setFocus();
        QApplication::processEvents();
        return QApplication::focusWidget();
    }
};

TEST_F(SearchBoxTest, HistoryKeepsOneEntryPerTextMostRecentFirst) {
    CSearchBox box(m_history);
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

TEST_F(SearchBoxTest, AllBoxesShareOneHistoryThatIsSavedWithItsBlanks) {
    m_history = CSearchHistory::Load(*m_pSettings);
    {
        CSearchBox toolbar(m_history), bar(m_history);
        Type(toolbar, "  zwei Blanks vorn");
        Type(bar, "%FLAGS(C)Abc");
        // What one box entered the other offers as well, and nothing is lost.
        bar.setEditText("getippt");
        Focus(&toolbar);
        ASSERT_EQ(toolbar.count(), 2);
        EXPECT_EQ(toolbar.itemText(0), QString("%FLAGS(C)Abc"));
        Focus(&bar); // the toolbar box enters its text again; the bar keeps its own
        EXPECT_EQ(bar.currentText(), QString("getippt"));
        Focus(&toolbar); // leaving the bar entered its text
        EXPECT_EQ(toolbar.itemText(0), QString("getippt"));
    }
    m_history.Save(*m_pSettings);
    CProfile reread(m_ini);
    CSettings settings(reread);
    CSearchHistory again = CSearchHistory::Load(settings);
    EXPECT_EQ(again.Entries(),
              (std::vector<std::string>{"getippt", "  zwei Blanks vorn", "%FLAGS(C)Abc"}));
    EXPECT_FALSE(again.Changed());
    // At most 32 entries are written.
    for (int i = 0; i < 40; ++i)
        again.Enter("Muster " + std::to_string(i));
    again.Save(settings);
    EXPECT_EQ(settings.ReadSearchList().size(), 32u);
}

TEST_F(SearchBoxTest, PastedTextKeepsItsFirstLineOnly) {
    CSearchBox box(m_history);
    QApplication::clipboard()->setText("oben\nunten");
    QTest::keySequence(Focus(&box), QKeySequence::Paste);
    EXPECT_EQ(box.currentText(), QString("oben"));
    EXPECT_EQ(box.lineEdit()->maxLength(), 128);
}

TEST_F(SearchBoxTest, EnterAndKeypadEnterRunTheHandlerOnRelease) {
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                         std::pair{Qt::Key_Enter, Qt::KeypadModifier}}) {
        CSearchBox box(m_history);
        int nCalls = 0;
        box.SetEnterHandler([&](CSearchBox& b) {
            EXPECT_EQ(&b, &box);
            ++nCalls;
        });
        QWidget* pFocus = Focus(&box);
        QTest::keyPress(pFocus, key, modifiers);
        EXPECT_EQ(nCalls, 0);
        QTest::keyRelease(pFocus, key, modifiers);
        EXPECT_EQ(nCalls, 1) << key;
    }
}

// The history offers longer texts that begin with what is typed; what the user typed
// must stay what runs.
TEST_F(SearchBoxTest, HistoryBoxesDoNotCompleteTheTypedText) {
    m_history.Enter("Zeile 05555 gew");
    CSearchBox box(m_history);
    QTest::keyClicks(Focus(&box), "Zeile 0");
    EXPECT_EQ(box.currentText(), QString("Zeile 0"));

    CSearchDialog search({"Zeile 05555 gew"}, -1);
    auto* pString = search.findChild<QComboBox*>("string");
    ASSERT_NE(pString, nullptr);
    pString->setEditText(QString());
    QTest::keyClicks(Focus(pString), "Zeile 0");
    EXPECT_EQ(pString->currentText(), QString("Zeile 0"));

    std::vector<TextHistoryEntry> texts{{0, 0, 0, "Zeile 05555 gew"}};
    SelectCriteria c;
    c.m_pHistory = &texts;
    CSelectLines select(c);
    auto* pText = select.findChild<QComboBox*>("text");
    ASSERT_NE(pText, nullptr);
    pText->setEditText(QString());
    QTest::keyClicks(Focus(pText), "Zeile 0");
    EXPECT_EQ(pText->currentText(), QString("Zeile 0"));

    uint32_t gotoHistory[10];
    std::fill(std::begin(gotoHistory), std::end(gotoHistory), UINT32_MAX);
    gotoHistory[0] = 5555;
    CGotoPosition go(gotoHistory, false);
    auto* pNumber = go.findChild<QComboBox*>("number");
    ASSERT_NE(pNumber, nullptr);
    pNumber->setEditText(QString());
    QTest::keyClicks(Focus(pNumber), "5");
    EXPECT_EQ(go.Number(), 5u);
}

} // namespace
} // namespace tervik
