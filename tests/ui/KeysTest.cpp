// What a person does with the keyboard and the mouse in the main window: keys of
// the accelerator table, Enter in the search boxes, Escape during long runs, and
// what the status bar shows meanwhile.

#include "app/ui/ChildFrame.h"
#include "base/SettingKeys.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "platform/SysFile.h"
#include "search/LineSelection.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

namespace tervik {
namespace {

class KeysTest : public test::ShellTest {
protected:
    CTervikView* m_pView = nullptr;
    CTervikDoc* m_pDoc = nullptr;

    void OpenOne(const std::string& path) {
        CChildFrame* pFrame = StartActive(path);
        ASSERT_NE(pFrame, nullptr);
        m_pView = pFrame->ActiveView();
        m_pDoc = &pFrame->GetDocument();
        Settle();
    }
    // A key as a keyboard sends it: to whatever has the focus.
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* pFocus = QApplication::focusWidget();
        ASSERT_NE(pFocus, nullptr);
        QTest::keyClick(pFocus, key, modifiers);
    }
    // Opens a menu of the menu bar and closes it again, as a look into it does.
    void LookIntoMenu(const QString& title) {
        for (QAction* pTop : Frame().menuBar()->actions()) {
            if (pTop->text().remove('&') != title || !pTop->menu()) continue;
            pTop->menu()->popup(QPoint(0, 0));
            Settle();
            pTop->menu()->close();
            Settle();
            return;
        }
        ADD_FAILURE() << "no menu " << title.toStdString();
    }
    std::string Message() { return Frame().GetMessageText(); }
};

// A disabled action swallows its key; the state must be the command's now, not what
// it was when the menu was last opened or the toolbar last refreshed.
TEST_F(KeysTest, AcceleratorsFollowTheCommandStateNotTheLastLookIntoTheMenu) {
    OpenOne(Log("keys.log", 100));
    Frame().ExecuteCommand(ID_VIEW_TOOLBAR); // hidden: no idle refresh of its buttons
    ASSERT_TRUE(Frame().MainToolBar()->isHidden());
    m_pView->setFocus();
    for (const char* psz : {"Selektion", "Ansicht", "Suchen"})
        LookIntoMenu(QString::fromUtf8(psz)); // nothing selected, empty search box
    ASSERT_FALSE(Frame().Action(ID_NEXT_SELECTED)->isEnabled());
    ASSERT_FALSE(Frame().Action(ID_SEARCH_FORWARD)->isEnabled());

    ASSERT_TRUE(Frame().ExecuteCommand(ID_SELECT_INVERT));
    Frame().SearchBox()->setEditText("Zeile 42");
    m_pView->setFocus();
    Press(Qt::Key_F8);
    EXPECT_EQ(m_pView->TopLine(), 1u) << "F8";
    Press(Qt::Key_F7);
    EXPECT_EQ(m_pView->TopLine(), 0u) << "F7";
    Press(Qt::Key_F9);
    EXPECT_TRUE(m_pView->OnlySelected()) << "F9";
    Press(Qt::Key_F9);
    Press(Qt::Key_F3);
    EXPECT_EQ(m_pView->m_textHit.m_nLine, 42u) << "F3";
    Press(Qt::Key_F3, Qt::ControlModifier); // back from line 42: nothing before it
    EXPECT_EQ(Message(), "Der Dateianfang wurde erreicht, der angegebene String wurde nicht "
                         "gefunden.");
    // And a key whose command is not available still does nothing.
    ASSERT_TRUE(Frame().ExecuteCommand(ID_SELECT_INVERT));
    const uint32_t nTop = m_pView->TopLine();
    Press(Qt::Key_F8);
    EXPECT_EQ(m_pView->TopLine(), nTop);
    EXPECT_FALSE(m_pView->OnlySelected());
}

TEST_F(KeysTest, EnterInEachSearchBoxSearchesWithThatBoxsTextInTheRememberedView) {
    OpenOne(Log("enter.log", 100));
    struct Case {
        int nBar; // 0: the toolbar's box
        const char* pszText;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        uint32_t nLine;
    };
    const Case cases[] = {
        {0, "Zeile 17", Qt::Key_Return, Qt::NoModifier, 17},
        {0, "Zeile 23", Qt::Key_Enter, Qt::KeypadModifier, 23},
        {2, "Zeile 31", Qt::Key_Return, Qt::NoModifier, 31},
    };
    for (const Case& c : cases) {
        if (c.nBar && Frame().SearchBar(c.nBar)->isHidden())
            Frame().ExecuteCommand(ID_VIEW_SEARCHBAR1 + static_cast<unsigned>(c.nBar) - 1);
        Settle();
        QComboBox* pBox = c.nBar ? Frame().BarSearchBox(c.nBar) : Frame().SearchBox();
        m_pView->setFocus();
        QTest::mouseClick(pBox->lineEdit(), Qt::LeftButton);
        ASSERT_TRUE(pBox->hasFocus()) << c.pszText;
        pBox->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), c.pszText);
        Press(c.key, c.modifiers);
        EXPECT_EQ(m_pView->m_textHit.m_nLine, c.nLine) << c.pszText;
        EXPECT_TRUE(m_pView->hasFocus()) << c.pszText;
    }
    // Every box entered its text into the one history, which all of them offer.
    QTest::mouseClick(Frame().BarSearchBox(2)->lineEdit(), Qt::LeftButton);
    ASSERT_EQ(Frame().BarSearchBox(2)->count(), 3);
    EXPECT_EQ(Frame().BarSearchBox(2)->itemText(1), QString("Zeile 23"));
}

// Escape is a key like any other: it must be read while the run works.
TEST_F(KeysTest, EscapeQueuedDuringALongSearchOrSelectionStopsIt) {
    OpenOne(Log("long.log", 20000));
    Frame().SearchBox()->setEditText("Zeile 0\t"); // only the first line has it
    m_pView->setFocus();
    Press(Qt::Key_End);
    QCoreApplication::postEvent(m_pView, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    Press(Qt::Key_F3, Qt::ControlModifier);
    EXPECT_FALSE(m_pView->m_textHit.m_bValid);
    EXPECT_EQ(Message(), "Die Suche wurde abgebrochen.");
    // Without Escape the same search finds it.
    Press(Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(m_pView->m_textHit.m_nLine, 0u);
    // Forward the same: stopped, and without Escape on to the end.
    Frame().SearchBox()->setEditText("nirgends\t");
    QCoreApplication::postEvent(m_pView, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    Press(Qt::Key_F3);
    EXPECT_EQ(Message(), "Die Suche wurde abgebrochen.");
    Press(Qt::Key_F3);
    EXPECT_EQ(Message(), "Das Dateiende wurde erreicht, der angegebene String wurde nicht "
                         "gefunden.");

    SelectCriteria c;
    c.m_text = "ok";
    c.m_nEndLine = m_pDoc->m_nRecords;
    QCoreApplication::postEvent(m_pView, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    SelectByCriteria(*m_pDoc, c);
    EXPECT_LT(m_pDoc->SelectedCount(), 20000u);
    // Inversion has no abort: a queued Escape changes nothing there.
    const uint32_t nSelected = m_pDoc->SelectedCount();
    QCoreApplication::postEvent(m_pView, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
    InvertSelection(*m_pDoc);
    EXPECT_EQ(m_pDoc->SelectedCount(), 20000u - nSelected);
}

// Lines enough for a file that is not cut whole before its window shows (19 MB).
constexpr uint32_t kBigLines = 450000;

// Holds the cut thread in its first read behind 64 KB until go is set.
struct HeldCut {
    std::atomic<bool> go{false};
    HeldCut() {
        CSysFile::SetReadFailureHook([this, ui = std::this_thread::get_id()](int64_t nOffset) {
            while (nOffset >= 65536 && std::this_thread::get_id() != ui && !go)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return 0u;
        });
    }
    ~HeldCut() {
        go = true;
        CSysFile::SetReadFailureHook({});
    }
    // Once a command waits in the event loop.
    void GoSoon() {
        QTimer::singleShot(50, [this] { go = true; });
    }
};

// The window shows the first screen while the file is still cut; scrolling and the
// modes work. A search waits for the cut: Escape while it waits drops the search, not
// the cut; without Escape it runs on every record. End waits the same way.
TEST_F(KeysTest, TextWhileTheFileIsCutAndWhatWaitsForTheRest) {
    const std::string path = Log("cut.log", kBigLines);
    for (const bool bEnd : {false, true}) {
        HeldCut held;
        OpenOne(path);
        ASSERT_TRUE(m_pDoc->IsCutting());
        EXPECT_GE(m_pDoc->m_nRecords, 512u);
        EXPECT_EQ(Message().rfind("Die Datei ", 0), 0u) << Message();
        Press(Qt::Key_PageDown);
        EXPECT_GT(m_pView->TopLine(), 0u);
        EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_HEX) && Frame().ExecuteCommand(ID_VIEW_TEXT));
        Frame().SearchBox()->setEditText(QString("Zeile %1\t").arg(kBigLines - 1));
        QCoreApplication::postEvent(m_pView, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
        Press(Qt::Key_F3);
        EXPECT_FALSE(m_pView->m_textHit.m_bValid);
        EXPECT_TRUE(m_pDoc->IsCutting());
        held.GoSoon();
        Press(bEnd ? Qt::Key_End : Qt::Key_F3);
        EXPECT_FALSE(m_pDoc->IsCutting());
        EXPECT_EQ(m_pDoc->m_nRecords, kBigLines);
        const auto nLastShown = m_pView->TopLine() + static_cast<uint32_t>(m_pView->VisibleLines());
        if (bEnd)
            EXPECT_TRUE(nLastShown == kBigLines || nLastShown == kBigLines + 1) << nLastShown;
        else
            EXPECT_EQ(m_pView->m_textHit.m_nLine, kBigLines - 1);
        Stop();
    }
}

// Escape in the window ends the cut where it is, the known part stays open; closing
// the program ends a cut as well.
TEST_F(KeysTest, EscapeEndsTheCutWithTheKnownPart) {
    const std::string path = Log("end.log", kBigLines);
    HeldCut held;
    OpenOne(path);
    ASSERT_TRUE(m_pDoc->IsCutting());
    const uint32_t nKnown = m_pDoc->m_nRecords;
    Press(Qt::Key_Escape);
    held.go = true;
    QTRY_VERIFY(!m_pDoc->IsCutting());
    // At most the records of the read under way came in after the Escape.
    EXPECT_GE(m_pDoc->m_nRecords, nKnown);
    EXPECT_LT(m_pDoc->m_nRecords, kBigLines);
    EXPECT_EQ(Message(), "Bereit");
    EXPECT_EQ(Frame().MdiArea()->subWindowList().size(), 1);
    Stop();
    HeldCut again;
    OpenOne(path);
    ASSERT_TRUE(m_pDoc->IsCutting());
    again.go = true;
    Stop();
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(KeysTest, ACommandsMessageReplacesTheHintOfAHoveredBox) {
    OpenOne(Log("hint.log", 10));
    QTest::mouseMove(Frame().ColorBox());
    Settle();
    ASSERT_FALSE(Frame().statusBar()->currentMessage().isEmpty()) << "no hint shown";
    Frame().SearchBox()->setEditText("nirgends");
    m_pView->setFocus();
    Press(Qt::Key_F3);
    EXPECT_TRUE(Frame().statusBar()->currentMessage().isEmpty());
    auto* pPane = Frame().findChild<QLabel*>("messagePane");
    ASSERT_NE(pPane, nullptr);
    EXPECT_TRUE(pPane->isVisible());
    EXPECT_EQ(pPane->text(), QString::fromUtf8("Das Dateiende wurde erreicht, der angegebene "
                                               "String wurde nicht gefunden."));
}

TEST_F(KeysTest, PositionPaneIsCurrentWithoutTheViewsFocus) {
    OpenOne(Log("pos.log", 100));
    EXPECT_EQ(Frame().PositionText(), QString("Z 1(100), S 1")); // right after opening
    QTest::mouseClick(Frame().SearchBox()->lineEdit(), Qt::LeftButton);
    ASSERT_FALSE(m_pView->hasFocus());
    ASSERT_TRUE(Frame().ExecuteCommand(ID_SELECT_INVERT));
    EXPECT_EQ(Frame().PositionText(), QString("Z 1(100,100), S 1"));
    // A long run repaints the bar without serving events: a wider text must not run
    // over the panes beside it.
    Frame().SetPositionIndicator(4000000000u, 4000000000u, 1, 4000000000u);
    auto* pPos = Frame().findChild<QLabel*>("positionPane");
    auto* pUf = Frame().findChild<QLabel*>("indicatorUF");
    ASSERT_TRUE(pPos && pUf);
    EXPECT_LE(pPos->geometry().right(), pUf->geometry().left());
    EXPECT_GE(pPos->width(), pPos->fontMetrics().horizontalAdvance(pPos->text()));
}

} // namespace
} // namespace tervik
