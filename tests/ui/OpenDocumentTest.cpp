// Opening files by every route a person uses: the names they type, links, names
// with pattern characters or another case, names outside ASCII.

#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "document/ui/ViewerFileDialog.h"
#include "framework/CommandIds.h"
#include "framework/ui/QtText.h"
#include "platform/SysPaths.h"
#include "ui/ShellFixture.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace tervik {
namespace {

class OpenDocumentTest : public test::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        // Each file has its own number of lines, so a wrong file shows.
        Lines("Server.log", 3);
        Lines("server.log", 5);
        Lines("[x]*?.log", 7);
        Lines("xy.log", 9); // what "[x]*?.log" matches as a pattern
        std::filesystem::create_symlink("Server.log", m_dir.Path() / "current.log");
    }
    std::string Lines(const std::string& name, int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += name + " " + std::to_string(i) + "\n";
        return m_dir.Write(name, s);
    }
    std::vector<CChildFrame*> Frames() {
        std::vector<CChildFrame*> frames;
        for (QMdiSubWindow* pSub : Frame().MdiArea()->subWindowList())
            frames.push_back(qobject_cast<CChildFrame*>(pSub));
        return frames;
    }
    CTervikDoc* ActiveDocument() {
        auto* pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->activeSubWindow());
        return pFrame ? &pFrame->GetDocument() : nullptr;
    }
    QMenu* FileMenu() { return Frame().menuBar()->actions().front()->menu(); }
};

TEST_F(OpenDocumentTest, CommandLineNameOpensExactlyThatFile) {
    struct Case {
        const char* arg;
        const char* name; // as shown and remembered
        uint32_t nRecords;
    } cases[] = {
        {"Server.log", "Server.log", 3},
        {"server.log", "server.log", 5},
        {"[x]*?.log", "[x]*?.log", 7},
        {"./current.log", "current.log", 3}, // a link keeps its own name
        {"sub/../Server.log", "sub/../Server.log", 3},
    };
    std::filesystem::create_directory(m_dir.Path() / "sub");
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(m_dir.Path().string()));
    // Relative names are made absolute against the current folder as the system names it.
    const std::string folder = ResolvedPath(m_dir.Path().string()) + "/";
    for (const auto& c : cases) {
        ASSERT_TRUE(Start({QString::fromUtf8(c.arg)})) << c.arg;
        ASSERT_EQ(m_app->Documents().size(), 1u) << c.arg;
        const CTervikDoc& doc = *m_app->Documents().front();
        EXPECT_EQ(doc.GetPathName(), folder + c.name) << c.arg;
        EXPECT_EQ(doc.m_nRecords, c.nRecords) << c.arg;
        EXPECT_EQ(m_app->DocumentManager().RecentFiles().front(), folder + c.name) << c.arg;
        Stop();
    }
    QDir::setCurrent(oldCwd);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OpenDocumentTest, EveryRouteToAnOpenFileReturnsItsDocument) {
    ASSERT_TRUE(Start());
    CTervikDoc* pServer = m_app->OpenDocumentFile(m_dir.File("Server.log"));
    ASSERT_NE(pServer, nullptr);
    // Another case is another file on Linux.
    CTervikDoc* pLower = m_app->OpenDocumentFile(m_dir.File("server.log"));
    ASSERT_NE(pLower, nullptr);
    ASSERT_NE(pLower, pServer);
    EXPECT_EQ(pLower->m_nRecords, 5u);
    pServer->SetLineSelected(1, true, nullptr);

    const std::string link = m_dir.File("current.log");
    std::filesystem::create_directory(m_dir.Path() / "sub");
    struct Route {
        const char* what;
        std::function<void()> open;
    } routes[] = {
        {"same name",
         [&] { EXPECT_EQ(m_app->OpenDocumentFile(m_dir.File("Server.log")), pServer); }},
        {"link", [&] { EXPECT_EQ(m_app->OpenDocumentFile(link), pServer); }},
        {"dots",
         [&] { EXPECT_EQ(m_app->OpenDocumentFile(m_dir.File("./sub/../Server.log")), pServer); }},
        {"drag and drop",
         [&] {
             QMimeData mime;
             mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(link))});
             // As a drag arrives: entering first makes the window the drop target.
             QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton,
                                   Qt::NoModifier);
             QApplication::sendEvent(&Frame(), &enter);
             ASSERT_TRUE(enter.isAccepted());
             QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton,
                             Qt::NoModifier);
             QApplication::sendEvent(&Frame(), &drop);
         }},
        {"recent list",
         [&] {
             emit FileMenu()->aboutToShow();
             QAction* pEntry = nullptr;
             for (QAction* pAction : FileMenu()->actions())
                 if (pAction->property("recent").toBool() &&
                     pAction->text().endsWith("/Server.log"))
                     pEntry = pAction;
             ASSERT_NE(pEntry, nullptr);
             pEntry->trigger();
         }},
        {"open dialog",
         [&] {
             QTimer::singleShot(0, [&] {
                 auto* pDlg = qobject_cast<CViewerFileDialog*>(QApplication::activeModalWidget());
                 ASSERT_NE(pDlg, nullptr);
                 pDlg->setDirectory(QString::fromStdString(m_dir.Path().string()));
                 pDlg->selectFile("current.log");
                 static_cast<QDialog*>(pDlg)->accept();
             });
             Frame().ExecuteCommand(ID_FILE_OPEN);
         }},
    };
    for (const auto& route : routes) {
        // The other document is active; the route brings the open one forward.
        Frame().MdiArea()->setActiveSubWindow(Frames().back());
        ASSERT_EQ(ActiveDocument(), pLower);
        route.open();
        EXPECT_EQ(m_app->Documents().size(), 2u) << route.what;
        EXPECT_EQ(Frames().size(), 2u) << route.what;
        EXPECT_EQ(ActiveDocument(), pServer) << route.what;
        EXPECT_TRUE(pServer->IsLineSelected(1, nullptr, nullptr)) << route.what;
    }
    // The window keeps the name it was opened with.
    EXPECT_EQ(Frames().front()->windowTitle(), QString("Server.log"));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OpenDocumentTest, ALinkOpenedFirstKeepsItsNameAndClosingForgetsTheFile) {
    ASSERT_TRUE(Start());
    const std::string link = m_dir.File("current.log");
    CTervikDoc* pDoc = m_app->OpenDocumentFile(link);
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pDoc->GetPathName(), link);
    EXPECT_EQ(m_app->DocumentManager().RecentFiles().front(), link);
    EXPECT_EQ(m_app->OpenDocumentFile(m_dir.File("Server.log")), pDoc);
    // Once closed, the file is read again.
    Frames().front()->close();
    Settle();
    ASSERT_TRUE(m_app->Documents().empty());
    CTervikDoc* pAgain = m_app->OpenDocumentFile(m_dir.File("Server.log"));
    ASSERT_NE(pAgain, nullptr);
    EXPECT_EQ(pAgain->GetPathName(), m_dir.File("Server.log"));
    EXPECT_EQ(Frames().size(), 1u);
}

TEST_F(OpenDocumentTest, NamesOutsideAsciiReadRightInMessagesStatusAndMenus) {
    struct Case {
        const char* utf8;   // the file's name on disk
        const char* cp1252; // the same in the program's texts
        const char* shown;  // the same on the screen
    } cases[] = {
        {"Grüße.log",
         "Gr\xFC\xDF"
         "e.log",
         "Grüße.log"},
        {"日志 ½.log", "?? \xBD.log", "?? ½.log"}, // no cp1252 character: "?"
    };
    ASSERT_TRUE(Start());
    for (const auto& c : cases) {
        // An empty file opens in a window with its real name, without a message.
        m_messages.clear();
        ASSERT_NE(m_app->OpenDocumentFile(m_dir.Write(c.utf8, "")), nullptr) << c.utf8;
        EXPECT_TRUE(m_messages.empty()) << c.utf8;
        EXPECT_EQ(Frames().back()->windowTitle(), QString::fromUtf8(c.utf8));
        Frames().back()->close();
        Settle();
        // Missing: the message names the file; while it is up the status bar no longer
        // says the file is being read, nor counts its lines.
        QString statusSeen;
        SetMessageBoxHook([&](const std::string& text, unsigned) {
            m_messages.push_back(text);
            for (QLabel* pLabel : Frame().statusBar()->findChildren<QLabel*>())
                if (pLabel->text().contains("wird eingelesen") || pLabel->text() == "Z 1(0), S 1")
                    statusSeen = pLabel->text();
            return IDOK;
        });
        const std::string missing = m_dir.File(std::string("weg-") + c.utf8);
        EXPECT_EQ(m_app->OpenDocumentFile(missing), nullptr);
        const std::string shown = m_dir.File(std::string("weg-") + c.cp1252);
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0].rfind(FormatString(IDS_CANNOT_OPEN, shown.c_str()), 0), 0u)
            << c.utf8;
        EXPECT_EQ(statusSeen, QString()) << c.utf8;
        EXPECT_TRUE(FromAnsi(FormatString(IDS_READING_FILE, shown.c_str()))
                        .contains(QString::fromUtf8(c.shown)))
            << c.utf8;
    }
    // A file with content opens; its window and the recent list show the real name.
    const std::string path = m_dir.Write("Grüße.log", "Hallo\n");
    ASSERT_NE(m_app->OpenDocumentFile(path), nullptr);
    EXPECT_EQ(Frames().front()->windowTitle(), QString::fromUtf8("Grüße.log"));
    emit FileMenu()->aboutToShow();
    bool bListed = false;
    for (QAction* pAction : FileMenu()->actions())
        bListed |= pAction->text() == QString::fromUtf8("&1 ") + QString::fromStdString(path);
    EXPECT_TRUE(bListed);
}

} // namespace
} // namespace tervik
