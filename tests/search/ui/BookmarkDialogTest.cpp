#include "search/ui/BookmarkDialog.h"
#include "app/ui/ChildFrame.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <functional>

namespace tervik {
namespace {

class BookmarkTest : public test::ShellTest {
protected:
    CTervikView* m_pView = nullptr;
    CTervikDoc* m_pDoc = nullptr;

    void OpenOne(const std::string& path) {
        CChildFrame* pFrame = StartActive(path);
        ASSERT_NE(pFrame, nullptr);
        pFrame->showNormal();
        pFrame->resize(640, 320);
        Settle();
        m_pView = pFrame->ActiveView();
        m_pDoc = &pFrame->GetDocument();
        m_pView->setFocus();
        Settle();
    }
    QPoint At(int nLine, int nColumn) const {
        return {nColumn * m_pView->CharWidth() + m_pView->CharWidth() / 2,
                nLine * m_pView->LineHeight() + m_pView->LineHeight() / 2};
    }
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QWidget* pFocus = QApplication::focusWidget();
        ASSERT_NE(pFocus, nullptr);
        QTest::keyClick(pFocus, key, modifiers);
        Settle();
    }
    // Runs "Lesezeichen bearbeiten..." from the menu; act works in the open dialog.
    void EditBookmarks(std::function<void(CBookmark&)> act) {
        bool bSeen = false;
        QTimer::singleShot(0, [&] {
            auto* pDlg = qobject_cast<CBookmark*>(QApplication::activeModalWidget());
            if (!pDlg) return;
            bSeen = true;
            act(*pDlg);
            if (pDlg->isVisible()) pDlg->reject();
        });
        Frame().Action(ID_BOOKMARK_EDIT)->trigger();
        Settle();
        EXPECT_TRUE(bSeen);
    }
    static void Click(QPushButton* pButton) {
        ASSERT_TRUE(pButton->isEnabled()) << pButton->text().toStdString();
        QTest::mouseClick(pButton, Qt::LeftButton);
    }
    static void TypeName(CBookmark& dlg, const char* pszName) {
        dlg.NameField()->setFocus();
        dlg.NameField()->selectAll();
        QTest::keyClick(dlg.NameField(), Qt::Key_Delete);
        QTest::keyClicks(dlg.NameField(), QString::fromUtf8(pszName));
    }
    static void SetNumber(QSpinBox* pBox, int n) {
        pBox->setFocus();
        pBox->selectAll();
        QTest::keyClicks(pBox, QString::number(n));
    }
    static std::string Buttons(const CBookmark& dlg) {
        std::string s;
        for (QPushButton* p :
             {dlg.AddButton(), dlg.DeleteButton(), dlg.ChangeButton(), dlg.GoToButton()})
            s += p->isEnabled() ? '1' : '0';
        return s; // Aufnehmen, Löschen, Ändern, Gehe zu
    }
    QColor PixelAt(int nLine, int nColumn) {
        return m_pView->viewport()->grab().toImage().pixelColor(At(nLine, nColumn).x(),
                                                                nLine * m_pView->LineHeight() + 1);
    }
    QMenu* SearchMenu() {
        for (QAction* pTop : Frame().menuBar()->actions())
            if (pTop->text().remove('&') == "Suchen") return pTop->menu();
        return nullptr;
    }
    // What the menu shows after the user opened it.
    QStringList BookmarkEntries(bool* pFirstEnabled = nullptr) {
        QMenu* pMenu = SearchMenu();
        if (!pMenu) return {};
        pMenu->popup(QPoint(0, 0));
        Settle();
        QStringList names;
        for (QAction* pAction : pMenu->actions()) {
            const unsigned nId = pAction->data().toUInt();
            if (nId < ID_BOOKMARK_LIST_FIRST || nId > ID_BOOKMARK_LIST_LAST) continue;
            if (nId == ID_BOOKMARK_LIST_FIRST && pFirstEnabled)
                *pFirstEnabled = pAction->isEnabled();
            names << pAction->text();
        }
        pMenu->close();
        Settle();
        return names;
    }
};

TEST_F(BookmarkTest, DialogPresetsAndButtonRulesThroughTheCommand) {
    OpenOne(Log("a.log", 80));
    // Without a marking or a hit: the top left corner.
    EditBookmarks([&](CBookmark& dlg) {
        EXPECT_EQ(dlg.NameField()->text(), QString("Ln1Col1;a.log"));
        EXPECT_EQ(dlg.FileBox()->currentText(), QString::fromStdString(m_pDoc->GetPathName()));
        EXPECT_EQ(dlg.LineField()->value(), 1);
        EXPECT_EQ(dlg.ColumnField()->value(), 1);
        EXPECT_EQ(dlg.LengthField()->value(), 1);
        EXPECT_EQ(dlg.LineField()->maximum(), 80);
        EXPECT_EQ(Buttons(dlg), "1000");
        Click(dlg.AddButton());
        ASSERT_EQ(dlg.List()->count(), 1);
        EXPECT_EQ(Buttons(dlg), "0010"); // the name is taken now
        TypeName(dlg, "LN1COL1;A.LOG");
        EXPECT_EQ(Buttons(dlg), "0010"); // case does not matter
        TypeName(dlg, "");
        EXPECT_EQ(Buttons(dlg), "0000");
        TypeName(dlg, "Zeile 40");
        SetNumber(dlg.LineField(), 40);
        SetNumber(dlg.ColumnField(), 27);
        SetNumber(dlg.LengthField(), 8);
        EXPECT_EQ(Buttons(dlg), "1000");
        Click(dlg.AddButton());
        TypeName(dlg, "weg");
        Click(dlg.AddButton());
        ASSERT_EQ(dlg.List()->count(), 3);
        dlg.List()->selectAll();
        EXPECT_EQ(Buttons(dlg), "0100"); // "weg" is taken
        TypeName(dlg, "noch einer");
        EXPECT_EQ(Buttons(dlg), "1100");
        // One chosen: its fields are shown.
        dlg.List()->clearSelection();
        QTest::mouseClick(dlg.List()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          dlg.List()->visualItemRect(dlg.List()->item(2)).center());
        EXPECT_EQ(dlg.NameField()->text(), QString("weg"));
        EXPECT_EQ(dlg.LineField()->value(), 40);
        EXPECT_EQ(Buttons(dlg), "0111");
        Click(dlg.DeleteButton());
        EXPECT_EQ(dlg.List()->count(), 2);
        EXPECT_FALSE(dlg.DeleteButton()->isEnabled());
        EXPECT_FALSE(dlg.GoToButton()->isEnabled());
        QTest::mouseClick(dlg.List()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          dlg.List()->visualItemRect(dlg.List()->item(1)).center());
        EXPECT_EQ(dlg.NameField()->text(), QString("Zeile 40"));
        EXPECT_EQ(dlg.ColumnField()->value(), 27);
        EXPECT_EQ(dlg.LengthField()->value(), 8);
        // "Ändern" moves it one line down.
        SetNumber(dlg.LineField(), 41);
        Click(dlg.ChangeButton());
        test::SaveScreenshot(dlg, "bookmark-dialog");
        Click(dlg.GoToButton());
        EXPECT_FALSE(dlg.isVisible());
    });
    const auto& all = m_app->Bookmarks().All();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].m_nLine, 40u);
    EXPECT_EQ(all[1].m_nColumn, 26u);
    EXPECT_EQ(all[1].m_nViewId, m_pView->m_nViewId);
    EXPECT_TRUE(all[1].IsActive());
    EXPECT_FALSE(all[0].IsActive());
    EXPECT_EQ(m_pView->TopLine(), 38u); // the bookmark's line is the third row

    // Both colours over the text: the normal one on line 41 (row 3 cannot show
    // it), so scroll line 0 into view again and look at the active one there.
    Settle();
    EXPECT_EQ(PixelAt(2, 27), QColor(200, 255, 0)); // active, line 41 col 27
    EXPECT_NE(PixelAt(2, 10), QColor(200, 255, 0));
    m_pView->SetTopLine(0);
    Settle();
    EXPECT_EQ(PixelAt(0, 0), QColor(255, 200, 0)); // the first one, not active

    // A word marked by a double click presets line, column and width.
    QTest::mouseDClick(m_pView->viewport(), Qt::LeftButton, Qt::NoModifier, At(3, 28));
    ASSERT_TRUE(m_pView->HasMarking());
    EditBookmarks([&](CBookmark& dlg) {
        EXPECT_EQ(dlg.NameField()->text(), QString("Ln4Col27;a.log"));
        EXPECT_EQ(dlg.LineField()->value(), 4);
        EXPECT_EQ(dlg.ColumnField()->value(), 27);
        EXPECT_EQ(dlg.LengthField()->value(), 5); // "Zeile"
        EXPECT_EQ(dlg.List()->count(), 2);
    });
}

TEST_F(BookmarkTest, KeysStepByLineThenColumnWithoutWrapping) {
    OpenOne(Log("k.log", 100));
    const std::string path = m_pDoc->GetPathName();
    // The last one added is the active one.
    for (auto [nLine, nColumn] : {std::pair{31u, 6u}, {11u, 1u}, {51u, 1u}, {31u, 1u}})
        ASSERT_NE(m_app->AddBookmark(m_pDoc, m_pView, path, "b", nLine, nColumn, 3), 0u);
    EXPECT_EQ(m_app->AddBookmark(m_pDoc, m_pView, path + "x", "none", 1, 1, 1), 0u);
    struct Step {
        Qt::Key key;
        uint32_t nTop;
        uint32_t nColumn; // of the active bookmark
    } steps[] = {
        {Qt::Key_F8, 28, 5}, {Qt::Key_F8, 48, 0}, {Qt::Key_F8, 48, 0}, // the end: stays
        {Qt::Key_F7, 28, 5}, {Qt::Key_F7, 28, 0}, {Qt::Key_F7, 8, 0},
        {Qt::Key_F7, 8, 0},  {Qt::Key_F8, 28, 0}, // an active and a normal one on line 31
    };
    for (const Step& s : steps) {
        Press(s.key, Qt::ControlModifier);
        EXPECT_EQ(m_pView->TopLine(), s.nTop);
        const Bookmark* pActive = m_app->Bookmarks().ActiveOf(m_pDoc);
        ASSERT_NE(pActive, nullptr);
        EXPECT_EQ(pActive->m_nColumn, s.nColumn) << s.nTop;
    }
    test::SaveScreenshot(*m_pView, "bookmark-view");
}

TEST_F(BookmarkTest, MenuListsEightAndClosedWindowsFallBackToTheFirstView) {
    OpenOne(Log("m.log", 50));
    bool bEnabled = true;
    EXPECT_EQ(BookmarkEntries(&bEnabled), QStringList{"Lesezeichen Liste"});
    EXPECT_FALSE(bEnabled);
    // A second window on the document; a bookmark made there.
    Frame().Action(ID_WINDOW_NEW)->trigger();
    Settle();
    CTervikView* pSecond = Frame().ActiveView();
    ASSERT_NE(pSecond, m_pView);
    const std::string path = m_pDoc->GetPathName();
    for (int i = 0; i < 9; ++i)
        m_app->AddBookmark(m_pDoc, i == 1 ? pSecond : m_pView, path, "B&" + std::to_string(i),
                           static_cast<uint32_t>(10 + i), 1, 2);
    const QStringList names = BookmarkEntries(&bEnabled);
    EXPECT_TRUE(bEnabled);
    ASSERT_EQ(names.size(), 8);
    EXPECT_EQ(names[0], QString("B&&0"));
    EXPECT_EQ(names[7], QString("B&&7"));
    m_app->RemoveBookmark(m_app->Bookmarks().All()[8].m_nId);
    m_app->RemoveBookmark(m_app->Bookmarks().All()[7].m_nId);
    EXPECT_EQ(BookmarkEntries().size(), 7);
    // The second window goes; its bookmark opens in the document's first view.
    const uint64_t nSecondId = pSecond->m_nViewId;
    EXPECT_EQ(m_app->Bookmarks().All()[1].m_nViewId, nSecondId);
    Frame().ActiveFrame()->close();
    Settle();
    Frame().Action(ID_BOOKMARK_LIST_FIRST + 1)->trigger();
    Settle();
    EXPECT_EQ(m_app->Bookmarks().All()[1].m_nViewId, m_pView->m_nViewId);
    EXPECT_EQ(m_pView->TopLine(), 8u); // line 10, 0-based
    EXPECT_TRUE(m_app->Bookmarks().All()[1].IsActive());
    // Closing the document drops its bookmarks.
    Frame().ActiveFrame()->close();
    Settle();
    EXPECT_EQ(m_app->Bookmarks().Size(), 0u);
}

} // namespace
} // namespace tervik
