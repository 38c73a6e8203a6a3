#include "app/ui/ChildFrame.h"
#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

namespace tervik {
namespace {

class FollowModeTest : public test::ShellTest {
protected:
    CChildFrame* m_pFrame = nullptr;
    CTervikDoc* m_pDoc = nullptr;
    std::string m_path;

    void OpenLog(int nLines) {
        m_path = Log("grow.log", nLines);
        ASSERT_TRUE(Start({QString::fromStdString(m_path)}));
        m_pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().front());
        ASSERT_NE(m_pFrame, nullptr);
        m_pFrame->showNormal();
        m_pFrame->resize(700, 400);
        m_pDoc = &m_pFrame->GetDocument();
        m_pFrame->ActiveView()->setFocus();
        Settle();
    }
    // The key goes to the focused widget, so it passes through the command's action.
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* pFocus = QApplication::focusWidget();
        ASSERT_NE(pFocus, nullptr);
        QTest::keyClick(pFocus, key, modifiers);
    }
    void Append(std::string_view text) const {
        std::ofstream(m_path, std::ios::binary | std::ios::app) << text;
    }
    static std::string Lines(const char* pszWord, int nFrom, int nCount) {
        std::string s;
        for (int i = nFrom; i < nFrom + nCount; ++i)
            s += std::string(pszWord) + " " + std::to_string(i) + "\n";
        return s;
    }
    // Serves events until the condition holds; false after nMs.
    static bool WaitFor(const std::function<bool()>& done, int nMs = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > nMs) return false;
            QTest::qWait(20);
        }
        return true;
    }
    std::string Text(uint32_t nRecord) const {
        char buf[128];
        const uint32_t n = m_pDoc->GetRecordText(nRecord, buf, sizeof buf, 0, false, false);
        return std::string(buf, n);
    }
    bool Following() { return Frame().UpdateCommand(ID_VIEW_FOLLOW).m_nCheck != 0; }
};

TEST_F(FollowModeTest, StrgF5FollowsTheFileAndViewsAtTheEndKeepShowingIt) {
    OpenLog(200);
    // Three views: a pane at the end, a pane at the top, a dump window at its end.
    CTervikView* pEnd = m_pFrame->ActiveView();
    ASSERT_TRUE(Frame().ExecuteCommand(ID_WINDOW_SPLIT));
    CTervikView* pTop = m_pFrame->Pane(1);
    ASSERT_NE(pTop, nullptr);
    ASSERT_TRUE(Frame().ExecuteCommand(ID_WINDOW_NEW));
    auto* pSecond = qobject_cast<CChildFrame*>(Frame().MdiArea()->activeSubWindow());
    ASSERT_TRUE(pSecond && pSecond != m_pFrame);
    CTervikView* pDump = pSecond->ActiveView();
    pDump->setFocus();
    ASSERT_TRUE(Frame().ExecuteCommand(ID_VIEW_DUMP));
    Press(Qt::Key_End);
    const uint64_t nDumpTopBefore = pDump->DumpTop();
    Frame().MdiArea()->setActiveSubWindow(m_pFrame);
    pEnd->setFocus();
    Press(Qt::Key_End);
    Settle();
    const uint32_t nEndTop = pEnd->TopLine();
    ASSERT_GT(nEndTop, 150u);
    EXPECT_EQ(pTop->TopLine(), 0u);

    EXPECT_FALSE(Following()); // off at open
    Press(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_TRUE(Following());
    Append(Lines("neu", 0, 40));
    ASSERT_TRUE(WaitFor([&] { return m_pDoc->m_nRecords == 240; }));
    Settle();
    EXPECT_EQ(Text(239), "neu 39");
    // The view at the end moved by the new lines, the one at the top stayed.
    EXPECT_EQ(pEnd->TopLine(), nEndTop + 40);
    EXPECT_EQ(pTop->TopLine(), 0u);
    EXPECT_GT(pDump->DumpTop(), nDumpTopBefore);
    EXPECT_TRUE(ShowsLastLine(ScrollState{DisplayMode::Dump, 0, pDump->DumpTop(), 0,
                                          pDump->DumpColumns(), pDump->VisibleLines(), false},
                              m_pDoc->m_nRecords, static_cast<uint64_t>(m_pDoc->m_nFileSize)));
    EXPECT_TRUE(Frame().PositionText().contains("(240)")) << Frame().PositionText().toStdString();
    test::SaveScreenshot(Frame(), "follow-mode");
    // A writer flushing in the middle of a line: the line grows, it is not split.
    Append("halbe ");
    ASSERT_TRUE(WaitFor([&] { return m_pDoc->m_nRecords == 241; }));
    Append("Zeile\n");
    ASSERT_TRUE(WaitFor([&] { return Text(240) == "halbe Zeile"; }));
    EXPECT_EQ(m_pDoc->m_nRecords, 241u);
    EXPECT_EQ(pEnd->TopLine(), nEndTop + 41);

    // The other window on the document shows the same state and switches it off.
    Frame().MdiArea()->setActiveSubWindow(pSecond);
    pDump->setFocus();
    EXPECT_TRUE(Following());
    Press(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_FALSE(Following());
    Frame().MdiArea()->setActiveSubWindow(m_pFrame);
    EXPECT_FALSE(Following());
    Append(Lines("spaet", 0, 5));
    QTest::qWait(700); // longer than the poll
    EXPECT_EQ(m_pDoc->m_nRecords, 241u);
}

// A log opened before its first line: a window with no lines that says so; what
// is written later comes in with F5, or by itself while it is followed.
TEST_F(FollowModeTest, AnEmptyFileOpensAndIsFilledByRefreshOrFollowing) {
    for (const bool bFollow : {false, true}) {
        SCOPED_TRACE(bFollow ? "Strg+F5" : "F5");
        OpenLog(0);
        ASSERT_TRUE(m_messages.empty()) << m_messages.front();
        EXPECT_EQ(m_pDoc->m_nRecords, 0u);
        EXPECT_EQ(Frame().GetMessageText(), LoadString(IDS_EMPTY_FILE_STATUS));
        // What reaches for a line finds none, in every display.
        CTervikView* pView = m_pFrame->ActiveView();
        for (const unsigned nMode : {ID_VIEW_TEXT, ID_VIEW_HEX, ID_VIEW_DUMP, ID_VIEW_TEXT}) {
            ASSERT_TRUE(Frame().ExecuteCommand(nMode));
            pView->grab();
            Press(Qt::Key_End, Qt::ControlModifier);
            Press(Qt::Key_Down, Qt::ShiftModifier);
            Press(Qt::Key_C, Qt::ControlModifier);
            for (const unsigned nId : {ID_EDIT_MARK_ALL, ID_MARKED_SELECT, ID_SELECT_INVERT,
                                       ID_NEXT_SELECTED, ID_VIEW_ONLY_SELECTED, ID_MARK_CLEAR})
                Frame().ExecuteCommand(nId);
        }
        EXPECT_EQ(m_pDoc->m_nRecords, 0u);

        if (bFollow) Press(Qt::Key_F5, Qt::ControlModifier);
        Append(Lines("neu", 0, 3));
        if (!bFollow) Press(Qt::Key_F5);
        ASSERT_TRUE(WaitFor([&] { return m_pDoc->m_nRecords == 3; }));
        EXPECT_EQ(Text(2), "neu 2");
        EXPECT_NE(Frame().GetMessageText(), LoadString(IDS_EMPTY_FILE_STATUS));
        Press(Qt::Key_End, Qt::ControlModifier);
        EXPECT_TRUE(Frame().PositionText().contains("(3)")) << Frame().PositionText().toStdString();
        Stop();
    }
}

TEST_F(FollowModeTest, TruncatedReplacedAndEmptiedFilesAreReadAgain) {
    OpenLog(100);
    CTervikView* pView = m_pFrame->ActiveView();
    for (uint32_t n : {3u, 50u, 99u}) {
        m_pDoc->SetLineSelected(n, true, nullptr);
    }
    pView->Searching().Forward("Zeile 60");
    ASSERT_TRUE(pView->m_textHit.m_bValid);
    ASSERT_TRUE(Frame().ExecuteCommand(ID_VIEW_ONLY_SELECTED));
    ASSERT_TRUE(pView->OnlySelected());
    Press(Qt::Key_F5, Qt::ControlModifier);
    ASSERT_TRUE(Following());
    // A bookmark points into the old content.
    ASSERT_NE(m_app->AddBookmark(m_pDoc, pView, m_pDoc->GetPathName(), "alt", 51, 1, 4), 0u);

    struct Step {
        const char* pszWhat;
        std::function<void()> change;
        uint32_t nRecords;
        const char* pszFirst;
    };
    const std::string path = m_path;
    const Step steps[] = {
        {"truncated",
         [&] { std::ofstream(path, std::ios::binary | std::ios::trunc) << Lines("kurz", 0, 3); }, 3,
         "kurz 0"},
        {"replaced",
         [&] {
             std::ofstream(path + ".neu", std::ios::binary) << Lines("anders", 0, 5);
             std::filesystem::rename(path + ".neu", path);
         },
         5, "anders 0"},
        {"emptied", [&] { std::ofstream(path, std::ios::binary | std::ios::trunc); }, 0, ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.pszWhat);
        Frame().SetMessageText("Bereit");
        step.change();
        ASSERT_TRUE(WaitFor([&] {
            return m_pDoc->m_nRecords == step.nRecords && Text(0) == step.pszFirst &&
                   Frame().GetMessageText() == LoadString(IDS_FILE_RELOADED);
        }));
        EXPECT_EQ(m_pDoc->SelectedCount(), 0u);
        EXPECT_EQ(m_app->Bookmarks().Size(), 0u);
        m_app->AddBookmark(m_pDoc, pView, m_pDoc->GetPathName(), "neu", 1, 1, 1);
        EXPECT_FALSE(pView->OnlySelected());
        EXPECT_FALSE(pView->m_textHit.m_bValid);
        EXPECT_EQ(pView->TopLine(), 0u);
        // Painting, scrolling, searching and selecting cope with what is there,
        // nothing included; what they leave behind goes with the next reread.
        pView->grab();
        Press(Qt::Key_End);
        Press(Qt::Key_PageDown);
        pView->Searching().Forward("0");
        ASSERT_TRUE(Frame().ExecuteCommand(ID_SELECT_INVERT));
        ASSERT_TRUE(Frame().ExecuteCommand(ID_VIEW_DUMP));
        pView->grab();
        Press(Qt::Key_End);
        pView->Searching().Forward("0");
        ASSERT_TRUE(Frame().ExecuteCommand(ID_VIEW_TEXT));
    }
    // Written again, the emptied file just grows: no second word of a reread.
    Frame().SetMessageText("Bereit");
    Append(Lines("wieder", 0, 2));
    ASSERT_TRUE(WaitFor([&] { return m_pDoc->m_nRecords == 2 && Text(0) == "wieder 0"; }));
    EXPECT_EQ(Frame().GetMessageText(), "Bereit");
    EXPECT_TRUE(m_messages.empty()); // a reread asks nothing
    EXPECT_TRUE(Following());
}

TEST_F(FollowModeTest, ARefreshWaitsForAnOpenDialog) {
    OpenLog(20);
    Press(Qt::Key_F5, Qt::ControlModifier);
    uint32_t nWhileOpen = 0;
    bool bSawDialog = false;
    QTimer::singleShot(0, [&] {
        QWidget* pDialog = QApplication::activeModalWidget();
        bSawDialog = pDialog != nullptr;
        Append(Lines("waehrend", 0, 4));
        QTest::qWait(700);
        nWhileOpen = m_pDoc->m_nRecords;
        if (auto* p = qobject_cast<QDialog*>(pDialog)) p->reject();
    });
    Press(Qt::Key_G, Qt::AltModifier); // "Gehe zu Zeile" runs until the timer closes it
    EXPECT_TRUE(bSawDialog);
    EXPECT_EQ(nWhileOpen, 20u);
    EXPECT_TRUE(WaitFor([&] { return m_pDoc->m_nRecords == 24; }));
}

} // namespace
} // namespace tervik
