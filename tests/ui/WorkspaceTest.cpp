// Workspaces in the running viewer: saving what is open and getting it back, the
// save question, moved workspaces, changed files and the failures, through the
// menu commands with the file dialogs and message boxes answered by the test.

#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "framework/ui/FileDialogs.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace tervik {
namespace {

class WorkspaceTest : public test::ShellTest {
protected:
    std::vector<std::string> m_answers; // file dialog answers, in order
    std::vector<FileDialogRequest> m_requests;
    int m_nMessageAnswer = IDOK;

    void SetUp() override {
        test::ShellTest::SetUp();
        SetMessageBoxHook([this](const std::string& text, unsigned) {
            m_messages.push_back(text);
            return m_nMessageAnswer;
        });
        SetFileDialogHook([this](const FileDialogRequest& r) -> std::optional<std::string> {
            m_requests.push_back(r);
            if (m_answers.empty()) return std::nullopt;
            std::string s = m_answers.front();
            m_answers.erase(m_answers.begin());
            return s;
        });
    }
    void TearDown() override {
        m_nMessageAnswer = IDNO;
        test::ShellTest::TearDown();
        SetFileDialogHook({});
    }
    bool Run(unsigned nId) {
        const bool b = Frame().ExecuteCommand(nId);
        Settle();
        return b;
    }
    void SaveAs(const std::string& path) {
        m_answers = {path};
        ASSERT_TRUE(Run(ID_WORKSPACE_SAVE_AS));
    }
    void OpenWorkspace(const std::string& path) {
        m_answers = {path};
        ASSERT_TRUE(Run(ID_WORKSPACE_OPEN));
    }
    QList<CChildFrame*> Frames() {
        QList<CChildFrame*> frames;
        for (QMdiSubWindow* p : Frame().MdiArea()->subWindowList(QMdiArea::CreationOrder))
            frames.append(qobject_cast<CChildFrame*>(p));
        return frames;
    }
    void Select(CTervikDoc& doc, uint32_t nRecord, COLORREF colour) {
        ASSERT_TRUE(doc.SetLineSelected(nRecord, true, &colour));
    }
    // Every selected record with the colour it is painted in.
    static std::vector<std::pair<uint32_t, COLORREF>> Selected(const CTervikDoc& doc) {
        std::vector<std::pair<uint32_t, COLORREF>> v;
        for (uint32_t r = 0; r < doc.m_nRecords; ++r)
            if (COLORREF c = 0; doc.IsLineSelected(r, &c, nullptr)) v.emplace_back(r, c);
        return v;
    }
    // Waits until the digests are compared (they may still be computed after a load).
    void WaitForMessages(size_t n) {
        for (int i = 0; i < 200 && m_messages.size() < n; ++i)
            QTest::qWait(10);
    }
    static bool Contains(const std::vector<std::string>& v, const std::string& part) {
        for (const std::string& s : v)
            if (s.find(part) != std::string::npos) return true;
        return false;
    }
};

TEST_F(WorkspaceTest, SavedStateComesBackAndSavesToTheSameBytes) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 400))}));
    CTervikDoc* pB = m_app->OpenDocumentFile(Log("b.log", 300));
    ASSERT_NE(pB, nullptr);
    Settle();
    CTervikDoc* pA = m_app->Documents()[0];
    const ColorSettings& c = m_app->Colours();
    Select(*pA, 3, c.m_crRedMarker);
    Select(*pA, 7, c.m_crGreenMarker);
    Select(*pA, 399, c.m_crBlueMarker);
    Select(*pB, 0, c.m_crGreenMarker);
    // b: split, the lower pane scrolled and in hex; a: scrolled, its window active.
    CChildFrame* pFrameB = Frames()[1];
    Frame().MdiArea()->setActiveSubWindow(pFrameB);
    ASSERT_TRUE(Run(ID_WINDOW_SPLIT));
    ASSERT_EQ(pFrameB->PaneCount(), 2);
    pFrameB->Pane(1)->SetTopLine(120);
    pFrameB->Pane(1)->SetMode(DisplayMode::Hex);
    CChildFrame* pFrameA = Frames()[0];
    pFrameA->setGeometry(QRect(5, 6, 300, 200));
    Frame().MdiArea()->setActiveSubWindow(pFrameA);
    pFrameA->Pane(0)->SetTopLine(50);
    pFrameA->Pane(0)->OnOnlySelected();
    Settle();
    const uint64_t nActive = pFrameA->Pane(0)->m_nViewId;
    // The line filter puts the top on a selected line.
    const uint32_t nTopA = pFrameA->Pane(0)->TopLine();
    ASSERT_NE(nTopA, 0u);
    const uint64_t nLowerB = pFrameB->Pane(1)->m_nViewId;
    // Bookmarks: one on a's view (active, a quote in its name), one on b without a view.
    m_app->Bookmarks().Add(pA, nActive, "Start \"hier\"", 7, 2, 5, 1);
    m_app->Bookmarks().Add(pB, 0, "zweites", 1, 0, 3, 0);
    const int nUpperB = pFrameB->RowHeight(0);
    const std::string first = m_dir.File("w.tervik");
    SaveAs(first);
    EXPECT_TRUE(m_messages.empty()) << m_messages.front();
    EXPECT_EQ(m_app->m_workspace, first);
    // The save dialog starts in the active document's folder.
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_TRUE(m_requests[0].m_bSave);
    EXPECT_EQ(m_requests[0].m_folder, m_dir.Path().string());
    EXPECT_EQ(m_requests[0].m_defaultExt, "tervik");
    EXPECT_EQ(m_requests[0].m_filter, "Tervik Arbeitsplatz (*.tervik)|*.tervik||");
    EXPECT_FALSE(m_app->m_bWorkspaceModified);
    const auto selA = Selected(*pA);
    const auto selB = Selected(*pB);

    // Closed without a question (nothing changed), then loaded again.
    ASSERT_TRUE(Run(ID_WORKSPACE_CLOSE));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(Frames().isEmpty());
    EXPECT_TRUE(m_app->m_workspace.empty());
    OpenWorkspace(first);
    EXPECT_TRUE(m_messages.empty()) << m_messages.front();
    ASSERT_EQ(m_app->Documents().size(), 2u);
    ASSERT_EQ(Frames().size(), 2);
    EXPECT_FALSE(m_app->m_bWorkspaceModified);
    EXPECT_EQ(Selected(*m_app->Documents()[0]), selA);
    EXPECT_EQ(Selected(*m_app->Documents()[1]), selB);
    EXPECT_EQ(m_app->Documents()[0]->SelectedCount(), 3u);
    CChildFrame* pA2 = Frames()[0];
    CChildFrame* pB2 = Frames()[1];
    EXPECT_EQ(pA2->geometry(), QRect(5, 6, 300, 200));
    EXPECT_EQ(pA2->Pane(0)->TopLine(), nTopA);
    EXPECT_TRUE(pA2->Pane(0)->OnlySelected());
    ASSERT_EQ(pB2->PaneCount(), 2);
    EXPECT_EQ(pB2->Pane(1)->m_nViewId, nLowerB);
    EXPECT_EQ(pB2->Pane(1)->TopLine(), 120u);
    EXPECT_EQ(pB2->Pane(1)->Mode(), DisplayMode::Hex);
    EXPECT_EQ(pB2->Pane(0)->Mode(), DisplayMode::Text);
    // The loader makes the upper row two pixels taller than stored.
    EXPECT_EQ(pB2->RowHeight(0), nUpperB + 2);
    ASSERT_NE(Frame().ActiveView(), nullptr);
    EXPECT_EQ(Frame().ActiveView()->m_nViewId, nActive);
    const std::vector<Bookmark>& marks = m_app->Bookmarks().All();
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].m_pDoc, m_app->Documents()[0]);
    EXPECT_EQ(marks[0].m_name, "Start \"hier\"");
    EXPECT_EQ(marks[0].m_nViewId, nActive);
    EXPECT_EQ(std::tie(marks[0].m_nLine, marks[0].m_nColumn, marks[0].m_nLength, marks[0].m_nFlags),
              std::make_tuple(7u, 2u, 5u, 1u));
    EXPECT_EQ(marks[1].m_pDoc, m_app->Documents()[1]);
    EXPECT_EQ(marks[1].m_nViewId, 0u);

    // Written again (the split row given back its stored height): the same bytes.
    pB2->Splitter()->setSizes({nUpperB, pB2->RowHeight(0) + pB2->RowHeight(1) - nUpperB});
    const std::string second = m_dir.File("w2.tervik");
    SaveAs(second);
    EXPECT_EQ(test::ReadWholeFile(second), test::ReadWholeFile(first));
}

TEST_F(WorkspaceTest, ClosingAChangedWorkspaceAsksWhetherToSaveIt) {
    struct Case {
        const char* pszName;
        int nAnswer;
        bool bSaved;
    };
    for (const Case& t : {Case{"yes", IDYES, true}, Case{"no", IDNO, false}}) {
        SCOPED_TRACE(t.pszName);
        ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 20))}));
        const std::string ws = m_dir.File(std::string("q") + t.pszName + ".tervik");
        SaveAs(ws);
        const std::string before = test::ReadWholeFile(ws);
        // Opening a document changes the workspace; closing the main window asks.
        ASSERT_NE(m_app->OpenDocumentFile(Log("b.log", 20)), nullptr);
        EXPECT_TRUE(m_app->m_bWorkspaceModified);
        m_messages.clear();
        m_nMessageAnswer = t.nAnswer;
        Frame().close();
        Settle();
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0], "Soll der Arbeitsplatz '" + ws + "' sichergestellt werden?");
        const std::string after = test::ReadWholeFile(ws);
        EXPECT_EQ(after != before, t.bSaved);
        EXPECT_EQ(after.find("b.log") != std::string::npos, t.bSaved);
        EXPECT_TRUE(Frames().isEmpty());
        m_nMessageAnswer = IDOK;
        Stop();
    }
}

TEST_F(WorkspaceTest, WindowsOpenedOrClosedChangeTheWorkspaceScrollingDoesNot) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 200))}));
    SaveAs(m_dir.File("m.tervik"));
    EXPECT_TRUE(Run(ID_WORKSPACE_SAVE)); // enabled now
    Frames()[0]->Pane(0)->SetTopLine(100);
    EXPECT_FALSE(m_app->m_bWorkspaceModified);
    ASSERT_TRUE(Run(ID_WINDOW_SPLIT));
    EXPECT_TRUE(m_app->m_bWorkspaceModified);
    ASSERT_TRUE(Run(ID_WORKSPACE_SAVE));
    EXPECT_FALSE(m_app->m_bWorkspaceModified);
    ASSERT_TRUE(Run(ID_WINDOW_NEW));
    EXPECT_TRUE(m_app->m_bWorkspaceModified);
    // Closing every window forgets the workspace without asking.
    m_messages.clear();
    for (CChildFrame* p : Frames())
        p->close();
    Settle();
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(m_app->m_workspace.empty());
    EXPECT_FALSE(Frame().UpdateCommand(ID_WORKSPACE_SAVE).m_bEnabled);
    EXPECT_FALSE(Frame().UpdateCommand(ID_WORKSPACE_CLOSE).m_bEnabled);
}

TEST_F(WorkspaceTest, AWorkspaceMovedWithItsFilesFindsThemThere) {
    std::filesystem::create_directories(m_dir.Path() / "old" / "sub");
    const std::string a = m_dir.Write("old/a.log", "eins\r\nzwei\r\n");
    const std::string b = m_dir.Write("old/sub/b.log", "drei\r\n");
    const std::string outside = Log("c.log", 5);
    ASSERT_TRUE(Start({QString::fromStdString(a)}));
    ASSERT_NE(m_app->OpenDocumentFile(b), nullptr);
    ASSERT_NE(m_app->OpenDocumentFile(outside), nullptr);
    SaveAs(m_dir.File("old/w.tervik"));
    const std::string text = test::ReadWholeFile(m_dir.File("old/w.tervik"));
    EXPECT_NE(text.find("FILE_OPEN \"./a.log\""), std::string::npos) << text;
    EXPECT_NE(text.find("FILE_OPEN \"./sub/b.log\""), std::string::npos) << text;
    EXPECT_NE(text.find("FILE_OPEN \"" + outside + "\""), std::string::npos) << text;
    Run(ID_WORKSPACE_CLOSE);
    std::filesystem::rename(m_dir.Path() / "old", m_dir.Path() / "new");
    OpenWorkspace(m_dir.File("new/w.tervik"));
    EXPECT_TRUE(m_messages.empty()) << m_messages.front();
    ASSERT_EQ(m_app->Documents().size(), 3u);
    EXPECT_EQ(m_app->Documents()[0]->GetPathName(), m_dir.File("new/a.log"));
    EXPECT_EQ(m_app->Documents()[1]->GetPathName(), m_dir.File("new/sub/b.log"));
    EXPECT_EQ(m_app->Documents()[2]->GetPathName(), outside);
}

TEST_F(WorkspaceTest, AChangedFileIsReportedAndItsSelectionsApplied) {
    const std::string a = Log("a.log", 30);
    ASSERT_TRUE(Start({QString::fromStdString(a)}));
    const ColorSettings& c = m_app->Colours();
    Select(*m_app->Documents()[0], 4, c.m_crRedMarker);
    const std::string ws = m_dir.File("c.tervik");
    SaveAs(ws);
    Run(ID_WORKSPACE_CLOSE);
    // Same length, other bytes.
    std::string bytes = test::ReadWholeFile(a);
    bytes[0] = 'X';
    m_dir.Write("a.log", bytes);
    OpenWorkspace(ws);
    WaitForMessages(1);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0],
              "Der Inhalt der Datei \"" + a + "\"\nhat sich in der Zwischenzeit ver\xe4ndert. ");
    ASSERT_EQ(m_app->Documents().size(), 1u);
    EXPECT_EQ(Selected(*m_app->Documents()[0]),
              (std::vector<std::pair<uint32_t, COLORREF>>{{4, c.m_crRedMarker}}));
}

TEST_F(WorkspaceTest, FailuresAreReported) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 10))}));
    // A workspace that does not exist: the message with the OK button only.
    OpenWorkspace(m_dir.File("fehlt.tervik"));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].rfind("Verarbeitungsfehler in Datei '" + m_dir.File("fehlt.tervik"), 0),
              0u);
    EXPECT_EQ(m_messages[0].find("gel\xf6schet"), std::string::npos);
    EXPECT_EQ(m_app->Documents().size(), 1u);
    // A folder that does not exist: nothing created, nothing to delete.
    m_messages.clear();
    SaveAs(m_dir.File("nirgends/w.tervik"));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].find("gel\xf6schet"), std::string::npos);
    // A full disk after the file was created: the old workspace stays whole, and the
    // half-written temporary file beside it may be deleted (or kept).
    for (const int nAnswer : {IDYES, IDNO}) {
        const std::string full = m_dir.Write("voll.tervik", "ACTIVE_VIEW ID=1\r\n");
        CSysFile::SetWriteFailureHook([](size_t) { return kErrDiskFull; });
        m_messages.clear();
        m_nMessageAnswer = nAnswer;
        SaveAs(full);
        CSysFile::SetWriteFailureHook({});
        m_nMessageAnswer = IDOK;
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_NE(m_messages[0].find("gel\xf6schet"), std::string::npos) << m_messages[0];
        EXPECT_EQ(test::ReadWholeFile(full), "ACTIVE_VIEW ID=1\r\n");
        size_t nTemp = 0;
        for (const auto& e : std::filesystem::directory_iterator(m_dir.Path()))
            if (e.path().filename().string().rfind(".voll.tervik", 0) == 0) {
                ++nTemp;
                EXPECT_NE(m_messages[0].find(e.path().string()), std::string::npos);
                std::filesystem::remove(e.path());
            }
        EXPECT_EQ(nTemp, nAnswer == IDYES ? 0u : 1u);
    }
    // A workspace naming a file that is gone: its lines are skipped, the next file opens.
    m_messages.clear();
    Run(ID_WORKSPACE_CLOSE);
    const std::string b = Log("b.log", 10);
    const std::string ws = m_dir.Write(
        "skip.tervik",
        "FILE_OPEN \"" + m_dir.File("weg.log") +
            "\",MD5=00\r\nSELECT_RECORD 1\r\nWINDOWS ID=9,VIEW=HEX\r\n"
            "FILE_OPEN \"./b.log\"\r\nSELECT_RECORD 2,COLOR=green\r\nACTIVE_VIEW ID=9\r\n");
    OpenWorkspace(ws);
    ASSERT_EQ(m_app->Documents().size(), 1u);
    EXPECT_EQ(m_app->Documents()[0]->GetPathName(), b);
    EXPECT_EQ(Selected(*m_app->Documents()[0]),
              (std::vector<std::pair<uint32_t, COLORREF>>{{2, m_app->Colours().m_crGreenMarker}}));
    EXPECT_EQ(m_app->m_workspace, ws);
    EXPECT_FALSE(m_messages.empty()); // the missing file's own message
}

TEST_F(WorkspaceTest, AWorkspaceOnTheCommandLineIsLoadedAndKeepsItsWindowStates) {
    // The last window closed maximized: a workspace's windows keep their own state,
    // and one without a state is not maximized either.
    CProfile(m_ini).WriteProfileInt("Settings", "ChildWindowState", 3);
    Log("a.log", 10);
    const std::string ws = m_dir.Write("start.tervik", "FILE_OPEN \"./a.log\"\r\n"
                                                       "WINDOWS ID=77,LINE=3,VIEW=dump\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(ws)}));
    Settle();
    EXPECT_EQ(m_app->m_workspace, ws);
    ASSERT_EQ(Frames().size(), 1);
    EXPECT_EQ(Frames()[0]->Pane(0)->m_nViewId, 77u);
    EXPECT_EQ(Frames()[0]->Pane(0)->Mode(), DisplayMode::Dump);
    EXPECT_EQ(Frames()[0]->Pane(0)->TopLine(), 3u);
    EXPECT_FALSE(Frames()[0]->isMaximized());
    EXPECT_FALSE(m_app->m_bWorkspaceModified);

    // A maximized window keeps its restored rectangle for later.
    m_dir.Write("max.tervik",
                "FILE_OPEN \"./a.log\"\r\n"
                "WINDOWS ID=5,POSITION=(1,101,2,202),STATE=MAXIMIZED,POINT=(0,0)\r\n");
    OpenWorkspace(m_dir.File("max.tervik"));
    ASSERT_EQ(Frames().size(), 1);
    EXPECT_TRUE(Frames()[0]->isMaximized());
    Frames()[0]->showNormal();
    EXPECT_EQ(Frames()[0]->geometry(), QRect(2, 1, 200, 100));

    // An absurd place comes back inside the area, title bar and all.
    m_dir.Write("far.tervik", "FILE_OPEN \"./a.log\"\r\n"
                              "WINDOWS ID=6,POSITION=(-500,99999,-300,5000),STATE=NORMAL\r\n");
    OpenWorkspace(m_dir.File("far.tervik"));
    ASSERT_EQ(Frames().size(), 1);
    const QRect area(QPoint(0, 0), Frame().MdiArea()->viewport()->size());
    EXPECT_TRUE(area.contains(Frames()[0]->geometry()));
}

// A workspace given by a relative name is named in full, with its characters (the
// messages are cp1252, the name UTF-8).
TEST_F(WorkspaceTest, MessagesNameARelativeWorkspaceInFull) {
    Log("a.log", 5);
    m_dir.Write("Übung.tervik", "FILE_OPEN \"./a.log\"\r\n");
    struct CFolderGuard { // back to the old folder however the test ends
        std::filesystem::path m_before = std::filesystem::current_path();
        ~CFolderGuard() { std::filesystem::current_path(m_before); }
    } guard;
    std::filesystem::current_path(m_dir.Path());
    ASSERT_TRUE(Start({QString::fromUtf8("Übung.tervik")}));
    ASSERT_NE(m_app->OpenDocumentFile(Log("b.log", 3)), nullptr);
    m_nMessageAnswer = IDNO;
    Stop(); // a changed workspace asks
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0], "Soll der Arbeitsplatz '" + std::filesystem::current_path().string() +
                                 "/\xDC"
                                 "bung.tervik' sichergestellt werden?");
}

TEST_F(WorkspaceTest, WhatIsNoWorkspaceIsRefusedAndNeverWrittenOver) {
    const std::string victim = m_dir.Write("victim.log", "2026-12-07 Start\r\nZeile 2\r\n");
    std::filesystem::create_directory(m_dir.Path() / "x.tervik");
    const std::string locked = m_dir.Write("gesperrt.tervik", "FILE_OPEN \"./a.log\"\r\n");
    const std::string empty = m_dir.Write("leer.tervik", "");
    CSysFile::SetOpenFailureHook([locked](const std::string& path, bool) -> uint32_t {
        return path == locked ? EACCES : 0;
    });
    struct Case {
        std::string path;
        const char* pszMessage; // the start of the one message; null: none
    };
    for (const Case& c : {Case{victim, "Die Datei '"}, Case{m_dir.File("x.tervik"), "Verarbeitung"},
                          Case{locked, "Verarbeitung"}, Case{empty, nullptr}}) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 5))}));
        m_messages.clear();
        OpenWorkspace(c.path);
        const bool bRefused = c.pszMessage != nullptr;
        ASSERT_EQ(m_messages.size(), bRefused ? 1u : 0u);
        if (bRefused) {
            EXPECT_EQ(m_messages[0].rfind(c.pszMessage, 0), 0u) << m_messages[0];
        }
        // A refused file is not the open workspace: nothing can save over it.
        EXPECT_EQ(m_app->m_workspace, bRefused ? "" : c.path);
        EXPECT_EQ(Frame().UpdateCommand(ID_WORKSPACE_CLOSE).m_bEnabled, !bRefused);
        ASSERT_NE(m_app->OpenDocumentFile(Log("b.log", 3)), nullptr);
        m_nMessageAnswer = IDYES;
        Run(ID_WORKSPACE_CLOSE);
        Stop();
        m_nMessageAnswer = IDOK;
        EXPECT_EQ(test::ReadWholeFile(victim), "2026-12-07 Start\r\nZeile 2\r\n");
        EXPECT_EQ(test::ReadWholeFile(locked), "FILE_OPEN \"./a.log\"\r\n");
    }
    CSysFile::SetOpenFailureHook({});
}

TEST_F(WorkspaceTest, ANameWithAQuoteIsRefused) {
    ASSERT_TRUE(Start({QString::fromStdString(m_dir.Write("a\"b.log", "x\r\n"))}));
    const std::string ws = m_dir.File("q.tervik");
    SaveAs(ws);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_NE(m_messages[0].find("Anf\xfchrungszeichen"), std::string::npos) << m_messages[0];
    EXPECT_FALSE(std::filesystem::exists(ws));
}

TEST_F(WorkspaceTest, ActiveViewAfterADocumentThatFailedToOpen) {
    Log("a.log", 10);
    const std::string ws = m_dir.Write("act.tervik", "FILE_OPEN \"./a.log\"\r\nWINDOWS ID=5\r\n"
                                                     "WINDOWS ID=6\r\nFILE_OPEN \"./weg.log\"\r\n"
                                                     "ACTIVE_VIEW ID=5\r\n");
    ASSERT_TRUE(Start({QString::fromStdString(ws)}));
    Settle();
    ASSERT_EQ(Frames().size(), 2);
    ASSERT_NE(Frame().ActiveView(), nullptr);
    EXPECT_EQ(Frame().ActiveView()->m_nViewId, 5u);
}

TEST_F(WorkspaceTest, EscapeStopsLoadingAndKeepsWhatWasRebuilt) {
    Log("a.log", 10);
    std::string text = "FILE_OPEN \"./a.log\"\r\n";
    for (int i = 0; i < 300; ++i)
        text += "WINDOWS ID=" + std::to_string(i + 1) + "\r\n";
    const std::string ws = m_dir.Write("lang.tervik", text);
    ASSERT_TRUE(Start());
    // The key arrives while the workspace loads, as a person presses it.
    QTimer::singleShot(0, &Frame(), [this] { QTest::keyClick(&Frame(), Qt::Key_Escape); });
    OpenWorkspace(ws);
    EXPECT_LT(Frames().size(), 300);
    EXPECT_TRUE(m_app->m_workspace.empty());
    EXPECT_EQ(Frame().GetMessageText(), "Das Laden des Arbeitsplatzes wurde abgebrochen.");
}

TEST_F(WorkspaceTest, ManyWindowsAreActivatedOnceAtTheEnd) {
    // Each activation makes Qt visit every window: a load activates one window only,
    // and the result is that of activating each new window in turn.
    Log("a.log", 10);
    struct Case {
        const char* pszName;
        std::string tail;     // after the windows
        uint64_t nActive;     // the view active at the end
        bool bFirstMaximized; // window 1 is stored maximized
        uint64_t nMaximized;  // the window maximized at the end, 0: none
    };
    for (const Case& c :
         {Case{"active named", "ACTIVE_VIEW ID=5\r\n", 5, false, 0},
          Case{"none named", "", 20, false, 0}, Case{"maximized handed on", "", 20, true, 20}}) {
        SCOPED_TRACE(c.pszName);
        std::string text = "FILE_OPEN \"./a.log\"\r\n";
        for (int i = 1; i <= 20; ++i)
            text += "WINDOWS ID=" + std::to_string(i) +
                    (i == 1 && c.bFirstMaximized ? ",STATE=MAXIMIZED,POINT=(0,0)" : "") + "\r\n";
        const std::string ws = m_dir.Write("viele.tervik", text + c.tail);
        ASSERT_TRUE(Start());
        Frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        QSignalSpy activated(Frame().MdiArea(), &QMdiArea::subWindowActivated);
        OpenWorkspace(ws);
        const QList<CChildFrame*> frames = Frames();
        ASSERT_EQ(frames.size(), 20);
        EXPECT_EQ(activated.count(), 1);
        ASSERT_NE(Frame().ActiveView(), nullptr);
        EXPECT_EQ(Frame().ActiveView()->m_nViewId, c.nActive);
        EXPECT_TRUE(Frame().ActiveView()->hasFocus());
        // In file order, numbered, usable, the active one in front.
        QList<CChildFrame*> stacked;
        for (QObject* p : Frame().MdiArea()->viewport()->children())
            if (auto* pFrame = qobject_cast<CChildFrame*>(p)) stacked.append(pFrame);
        QList<CChildFrame*> expected = frames;
        expected.move(static_cast<qsizetype>(c.nActive - 1), expected.size() - 1);
        EXPECT_EQ(stacked, expected);
        for (int i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i]->windowTitle(), QString("a.log:%1").arg(i + 1));
            EXPECT_TRUE(frames[i]->isEnabled());
            EXPECT_EQ(frames[i]->isMaximized(), static_cast<uint64_t>(i + 1) == c.nMaximized);
        }
        Stop();
    }
}

} // namespace
} // namespace tervik
