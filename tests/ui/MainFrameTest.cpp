#include "app/ui/MainFrame.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/TervikApp.h"
#include "document/TervikDoc.h"
#include "document/ui/ViewerFileDialog.h"
#include "framework/CommandIds.h"
#include "framework/ui/MessageBox.h"
#include "platform/Profile.h"
#include "search/ui/SearchBox.h"
#include "support/TempDir.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <gtest/gtest.h>

namespace tervik {
namespace {

using test::ShellTest;

TEST_F(ShellTest, StartsEmptyWithGermanMenusAndBars) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame().windowTitle(), QString("Orv's File-Viewer"));
    EXPECT_TRUE(Frame().MdiArea()->subWindowList().isEmpty());
    const QList<QAction*> menus = Frame().menuBar()->actions();
    ASSERT_GE(menus.size(), 4);
    EXPECT_EQ(menus.front()->text(), QString::fromUtf8("&Datei"));
    // The toolbar holds the boxes: search box 200 pixels, dump box disabled.
    ASSERT_NE(Frame().SearchBox(), nullptr);
    EXPECT_EQ(Frame().SearchBox()->width(), 200);
    EXPECT_FALSE(Frame().DumpBox()->isEnabled());
    EXPECT_EQ(Frame().DumpBox()->count(), 4);
    EXPECT_TRUE(Frame().SearchBar(1)->isHidden()); // search bars start hidden
    EXPECT_FALSE(Frame().MainToolBar()->isHidden());
    // A new installation's settings file receives the colour keys.
    EXPECT_EQ(Settings().GetProfileString("Settings", "HexBackgroundColor", ""),
              "RGB(192,192,192)");
}

TEST_F(ShellTest, OpensTheCommandLineFileAndRemembersIt) {
    const std::string log = Log("a.log", 300);
    ASSERT_TRUE(Start({QString::fromStdString(log)}));
    ASSERT_EQ(Frame().MdiArea()->subWindowList().size(), 1);
    auto* pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().front());
    ASSERT_NE(pFrame, nullptr);
    EXPECT_EQ(pFrame->GetDocument().m_nRecords, 300u);
    EXPECT_EQ(m_app->DocumentManager().RecentFiles().front(), log);
    Stop();
    EXPECT_EQ(Settings().GetProfileString("Recent File List", "File1", ""), log);
}

TEST_F(ShellTest, CommandLineFileThatCannotBeOpenedEndsTheProgram) {
    EXPECT_FALSE(Start({QString::fromStdString(m_dir.File("missing.log"))}));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_NE(m_messages[0].find("konnte nicht ge\xF6"
                                 "ffnet werden"),
              std::string::npos);
}

// A settings file too large to read is never written over; the status bar says so.
TEST_F(ShellTest, UnreadableSettingsFileIsToldAndKept) {
    const std::string huge((size_t{8} << 20) + 1, ';');
    m_dir.Write("tervik.ini", huge);
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame().GetMessageText(), "Die Einstellungsdatei " + m_ini +
                                            " ist zu gro\xDF oder nicht lesbar; \xC4nderungen "
                                            "werden nicht gespeichert.");
    Stop();
    EXPECT_EQ(test::ReadWholeFile(m_ini), huge);
    EXPECT_TRUE(m_messages.empty());
}

// Nor is one that is no single-byte text: a UTF-16 file would get 8-bit lines.
TEST_F(ShellTest, Utf16SettingsFileIsReadToldAndKept) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[Settings]\r\nTabSize=7\r\n"))
        utf16 += std::string{c, '\0'};
    m_dir.Write("tervik.ini", utf16);
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_app->Settings().TabSize(), 7);
    EXPECT_EQ(Frame().GetMessageText(),
              "Die Einstellungsdatei " + m_ini +
                  " ist keine Textdatei mit einem Byte je Zeichen (etwa UTF-16); sie wird "
                  "gelesen, \xC4nderungen werden aber nicht gespeichert.");
    Stop();
    EXPECT_EQ(test::ReadWholeFile(m_ini), utf16);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(ShellTest, PositionPaneTexts) {
    ASSERT_TRUE(Start());
    Frame().SetPositionIndicator(12, 500, 1, 3);
    EXPECT_EQ(Frame().PositionText(), QString("Z 12(500,3), S 1"));
    Frame().SetPositionIndicator(12, 500, 1, 0);
    EXPECT_EQ(Frame().PositionText(), QString("Z 12(500), S 1"));
    const auto* pPane = Frame().findChild<QLabel*>("positionPane");
    ASSERT_NE(pPane, nullptr);
    EXPECT_GE(pPane->width(), 6 * 14 - 15);
    EXPECT_GE(pPane->width(), pPane->fontMetrics().horizontalAdvance(pPane->text()));
}

// The application that notes where the document put its progress bar.
class CProgressWatchingApp : public CTervikApp {
public:
    std::vector<PixelRect> m_shown;
    void ShowProgressBar(const PixelRect& rc, int nRange) override {
        m_shown.push_back(rc);
        CTervikApp::ShowProgressBar(rc, nRange);
        EXPECT_NE(MainFrame()->ProgressBar(), nullptr);
    }
};

TEST_F(ShellTest, ProgressBarOnlyForLargeFilesInAWideStatusBar) {
    auto* pApp = new CProgressWatchingApp();
    m_app.reset(pApp);
    ASSERT_TRUE(pApp->InitInstance({"--ini", QString::fromStdString(m_ini)}));
    struct Case {
        size_t nBytes;
        int nWidth;
        bool bBar;
    } cases[] = {{999'999, 1200, false}, {1'000'000, 1200, true}, {2'000'000, 300, false}};
    for (const auto& c : cases) {
        Frame().showNormal();
        Frame().resize(c.nWidth, 700);
        QApplication::processEvents();
        std::string data(c.nBytes, 'x');
        for (size_t i = 100; i < data.size(); i += 100)
            data[i] = '\n';
        pApp->m_shown.clear();
        const std::string name = "big" + std::to_string(c.nBytes) + ".log"; // a new document each
        ASSERT_NE(pApp->OpenDocumentFile(m_dir.Write(name, data)), nullptr);
        EXPECT_EQ(pApp->m_shown.size(), c.bBar ? 1u : 0u)
            << c.nBytes << " bytes, " << c.nWidth << " pixels";
        for (const PixelRect& rc : pApp->m_shown)
            EXPECT_GE(rc.m_nRight - rc.m_nLeft, 150);
        EXPECT_EQ(Frame().ProgressBar(), nullptr); // gone when the read ends
        EXPECT_EQ(Frame().GetMessageText(), "Bereit");
    }
}

TEST_F(ShellTest, MenuBarFollowsWhetherADocumentIsOpen) {
    auto titles = [this] {
        QStringList t;
        for (QAction* p : Frame().menuBar()->actions())
            t << p->text();
        return t;
    };
    ASSERT_TRUE(Start());
    EXPECT_FALSE(titles().contains(QString::fromUtf8("S&elektion")));
    ASSERT_NE(m_app->OpenDocumentFile(Log("m.log", 5)), nullptr);
    EXPECT_TRUE(titles().contains(QString::fromUtf8("S&elektion")));
    Frame().MdiArea()->closeAllSubWindows();
    Settle();
    EXPECT_FALSE(titles().contains(QString::fromUtf8("S&elektion")));
    EXPECT_TRUE(Frame().PositionText().isEmpty());
}

TEST_F(ShellTest, OpenDialogHandsItsOptionsToTheDocuments) {
    ASSERT_TRUE(Start());
    const std::string a =
        m_dir.Write("f1.dat", std::string(200, 'a') + "\n" + std::string(100, 'b'));
    const std::string b = m_dir.Write("f2.dat", std::string(250, 'c'));
    // The dialog is modal: fill it in as soon as it shows.
    QTimer::singleShot(0, [&] {
        auto* pDlg = qobject_cast<CViewerFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        pDlg->findChild<QCheckBox*>("fixedCheck")->setChecked(true);
        pDlg->findChild<QSpinBox*>("fixedLength")->setValue(80);
        pDlg->findChild<QCheckBox*>("limitCheck")->setChecked(true);
        pDlg->findChild<QSpinBox*>("limitCount")->setValue(2);
        pDlg->findChild<QComboBox*>("direction")->setCurrentIndex(1);
        pDlg->setDirectory(QString::fromStdString(m_dir.Path().string()));
        pDlg->selectFile("\"f1.dat\" \"f2.dat\"");
        static_cast<QDialog*>(pDlg)->accept();
    });
    EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_OPEN));
    ASSERT_EQ(m_app->Documents().size(), 2u);
    for (CTervikDoc* pDoc : m_app->Documents()) {
        EXPECT_EQ(pDoc->m_nFixedSize, 80u) << pDoc->GetPathName();
        EXPECT_EQ(pDoc->m_nRecords, 2u) << pDoc->GetPathName(); // the last two of 80 bytes
        EXPECT_EQ(pDoc->m_nTabSize, 1);
    }
    EXPECT_EQ(Settings().GetProfileInt("Settings", "FixRecSize", 0), 80);
    // The fixed length was for those files only; the limit from the end stays.
    const OpenOptions rest = m_app->CurrentOpenOptions();
    EXPECT_EQ(rest.m_nFixRecSize, 0u);
    EXPECT_EQ(rest.m_nRecordLimit, 2u);
    EXPECT_TRUE(rest.m_bLimitFromEnd);
    CTervikDoc* pRecent = m_app->OpenDocumentFile(Log("r.log", 10));
    ASSERT_NE(pRecent, nullptr);
    EXPECT_EQ(pRecent->m_nRecords, 2u);
    EXPECT_EQ(pRecent->m_nFixedSize, 0u);
}

TEST_F(ShellTest, GeneratedFilesStayOutOfTheRecentList) {
    {
        CProfile ini = Settings();
        ini.WriteProfileString("Settings", "TempPath", m_dir.Path().string());
    }
    ASSERT_TRUE(Start());
    const std::string generated = m_dir.Write("Tervik_out_20261207.txt", "x\n");
    const std::string normal = m_dir.Write("tervik_lower.txt", "y\n");
    ASSERT_NE(m_app->OpenDocumentFile(generated), nullptr);
    ASSERT_NE(m_app->OpenDocumentFile(normal), nullptr);
    EXPECT_EQ(m_app->DocumentManager().RecentFiles(), (std::vector<std::string>{normal}));
    // Generated files are removed at the end of the run.
    Stop();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(generated)));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(normal)));
}

TEST_F(ShellTest, BarStateAndWindowPositionSurviveARestart) {
    ASSERT_TRUE(Start());
    Frame().SearchBar(2)->show();
    Frame().MainToolBar()->hide();
    Frame().setGeometry(40, 60, 800, 600);
    Stop();
    CProfile ini = Settings();
    EXPECT_EQ(ini.GetProfileInt("BAR Information", "Searchbar2Visible", -1), 1);
    EXPECT_EQ(ini.GetProfileInt("BAR Information", "ToolbarVisible", -1), 0);
    EXPECT_EQ(ini.GetProfileInt("BAR Information", "StatusbarVisible", -1), 1);
    EXPECT_FALSE(ini.GetProfileString("Settings", "WindowPosition", "").empty());
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Frame().SearchBar(2)->isHidden());
    EXPECT_TRUE(Frame().SearchBar(1)->isHidden());
    EXPECT_TRUE(Frame().MainToolBar()->isHidden());
}

// "In Farbe drucken" outlives the program: toggled through its menu item, stored
// at close, read again at the next start.
TEST_F(ShellTest, PrintInColourIsKeptAcrossARestart) {
    for (const int nWant : {1, 0}) {
        SCOPED_TRACE(nWant);
        ASSERT_TRUE(Start());
        EXPECT_EQ(Frame().UpdateCommand(ID_PRINT_COLOR).m_nCheck, 1 - nWant);
        QAction* pAction = Frame().Action(ID_PRINT_COLOR);
        ASSERT_NE(pAction, nullptr);
        pAction->trigger();
        EXPECT_EQ(Frame().UpdateCommand(ID_PRINT_COLOR).m_nCheck, nWant);
        Stop();
        EXPECT_EQ(Settings().GetProfileInt("Settings", "PrintColor", -1), nWant);
    }
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame().UpdateCommand(ID_PRINT_COLOR).m_nCheck, 0);
}

TEST_F(ShellTest, WindowPositionWithANegativeTopIsIgnored) {
    {
        CProfile ini = Settings();
        ini.WriteProfileString("Settings", "WindowPosition", "(-5,10,600,810)");
    }
    ASSERT_TRUE(Start());
    EXPECT_NE(Frame().geometry().width(), 800);
    Stop();
    {
        CProfile ini = Settings();
        ini.WriteProfileString("Settings", "WindowPosition", "(20,30,620,730)");
        ini.WriteProfileString("Settings", "WindowState", "2"); // minimized comes back normal
    }
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame().geometry().width(), 700);
    EXPECT_EQ(Frame().geometry().height(), 600);
    EXPECT_FALSE(Frame().isMinimized());
    Stop();
    // Beyond every screen, or larger than one: brought onto the screen whole.
    for (const char* stored : {"(5000,5000,5600,5800)", "(10,20,99999,99999)"}) {
        SCOPED_TRACE(stored);
        {
            CProfile ini = Settings();
            ini.WriteProfileString("Settings", "WindowPosition", stored);
            ini.WriteProfileString("Settings", "WindowState", "1");
        }
        ASSERT_TRUE(Start());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(screen.contains(Frame().geometry()))
            << Frame().geometry().x() << "," << Frame().geometry().y() << " "
            << Frame().geometry().width() << "x" << Frame().geometry().height();
        Stop();
    }
}

TEST_F(ShellTest, CommandsGoToTheActiveViewsDocumentFirst) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("b.log", 20))}));
    CTervikDoc& doc =
        qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().front())->GetDocument();
    // OEM is the document's: enabled and checked after the command.
    EXPECT_TRUE(Frame().UpdateCommand(ID_VIEW_OEM).m_bEnabled);
    EXPECT_EQ(Frame().UpdateCommand(ID_VIEW_OEM).m_nCheck, 0);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_VIEW_OEM));
    EXPECT_EQ(doc.m_bOem, 1);
    EXPECT_EQ(Frame().UpdateCommand(ID_VIEW_OEM).m_nCheck, 1);
    // Unicode needs a mark: disabled, and running it changes nothing.
    EXPECT_FALSE(Frame().UpdateCommand(ID_VIEW_UNICODE).m_bEnabled);
    EXPECT_FALSE(Frame().ExecuteCommand(ID_VIEW_UNICODE));
    // The main frame's switches; the application's open command is always there.
    EXPECT_TRUE(Frame().ExecuteCommand(ID_SYNC_SCROLL));
    EXPECT_EQ(Frame().UpdateCommand(ID_SYNC_SCROLL).m_nCheck, 1);
    EXPECT_TRUE(Frame().UpdateCommand(ID_FILE_OPEN).m_bEnabled);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_COLOR_GREEN));
    EXPECT_EQ(Frame().UpdateCommand(ID_COLOR_GREEN).m_nCheck, 1);
    EXPECT_EQ(Frame().UpdateCommand(ID_COLOR_BLUE).m_nCheck, 0);
    // Without a document window the document's commands are not there.
    Frame().MdiArea()->closeAllSubWindows();
    Settle();
    EXPECT_FALSE(Frame().UpdateCommand(ID_VIEW_OEM).m_bEnabled);
}

TEST_F(ShellTest, SplitAndNewWindowShowTheSameDocument) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("c.log", 50))}));
    auto* pFrame = qobject_cast<CChildFrame*>(Frame().MdiArea()->subWindowList().front());
    EXPECT_TRUE(Frame().ExecuteCommand(ID_WINDOW_SPLIT));
    EXPECT_EQ(pFrame->PaneCount(), 2);
    EXPECT_EQ(&pFrame->Pane(1)->GetDocument(), &pFrame->GetDocument());
    EXPECT_TRUE(Frame().ExecuteCommand(ID_WINDOW_NEW));
    EXPECT_EQ(Frame().MdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(m_app->Documents().size(), 1u);
    // Closing the document closes both windows and the document with them.
    EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_CLOSE));
    Settle();
    EXPECT_TRUE(Frame().MdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(m_app->Documents().empty());
}

// A paste that would make the text longer than 127 characters does nothing, by any
// of the ways a person pastes; one that fits replaces the selection with the
// clipboard's first line.
TEST_F(ShellTest, SearchBoxPasteKeepsTheLengthLimit) {
    ASSERT_TRUE(Start());
    Frame().activateWindow();
    QComboBox* pBox = Frame().SearchBox();
    pBox->setFocus();
    QApplication::processEvents();
    if (!pBox->hasFocus()) GTEST_SKIP() << "no keyboard focus on this platform";
    const std::function<void()> routes[] = {
        [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier); },
        [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert, Qt::ShiftModifier); },
        [this] { Frame().Action(ID_EDIT_PASTE)->trigger(); },
        // The field's own menu: a real right click, then a click on "Einfügen".
        [this, pBox] {
            // Clicks "Einfügen" as soon as the menu is up.
            auto* pTimer = new QTimer(pBox);
            QObject::connect(pTimer, &QTimer::timeout, pTimer, [pTimer] {
                auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!pMenu || !pMenu->isVisible()) return;
                pTimer->stop();
                pTimer->deleteLater();
                for (QAction* pAction : pMenu->actions())
                    if (pAction->text().startsWith(QString::fromUtf8("Einf")) &&
                        pAction->isEnabled())
                        QTest::mouseClick(pMenu, Qt::LeftButton, {},
                                          pMenu->actionGeometry(pAction).center());
                // Nothing to paste: the entry is disabled and the menu is left.
                if (pMenu->isVisible()) pMenu->close();
            });
            pTimer->start(10);
            QWidget* pEdit = pBox->lineEdit();
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    pEdit->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(pEdit, &event);
            // The closed menu leaves the window to be activated again.
            Frame().activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
            pBox->setFocus();
            QApplication::processEvents();
        },
    };
    const struct {
        int nText, nSelected; // 'a's in the box, the last so many selected
        const char* pszClip;
        int nAfter; // characters afterwards; the same as nText: nothing pasted
    } cases[] = {
        {120, 0, "0123456789", 120},
        {120, 0, "1234567", 127},
        {127, 0, "x", 127},
        {126, 0, "xy", 126},
        {125, 5, "0123456", 127},
        {125, 4, "0123456", 125},
        {120, 0, "1234567\r\nmehr als genug für die zweite Zeile", 127},
        {0, 0, "", 0},
    };
    for (size_t nRoute = 0; nRoute < std::size(routes); ++nRoute) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(nRoute) + ": " + std::to_string(c.nText) + " + " +
                         c.pszClip);
            pBox->setEditText(QString(c.nText, 'a'));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
            for (int i = 0; i < c.nSelected; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left, Qt::ShiftModifier);
            QApplication::clipboard()->setText(QString::fromUtf8(c.pszClip));
            routes[nRoute]();
            const QString text = pBox->currentText();
            EXPECT_EQ(text.size(), c.nAfter);
            if (c.nAfter != c.nText) {
                const QString line = CSearchBox::FirstLine(QString::fromUtf8(c.pszClip));
                EXPECT_TRUE(text.endsWith(line)) << text.toStdString();
                EXPECT_EQ(pBox->lineEdit()->cursorPosition(), text.size());
            } else {
                EXPECT_EQ(text, QString(c.nText, 'a'));
            }
        }
    }
    pBox->setEditText(QString(127, 'a'));
    pBox->lineEdit()->setSelection(0, 5);
    EXPECT_TRUE(Frame().ExecuteCommand(ID_EDIT_CUT));
    EXPECT_EQ(QApplication::clipboard()->text(), QString("aaaaa"));
    EXPECT_EQ(pBox->currentText().size(), 122);
}

TEST_F(ShellTest, TwoDocumentsScreenshot) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("erste.log", 200))}));
    ASSERT_NE(m_app->OpenDocumentFile(Log("zweite.log", 80)), nullptr);
    Frame().MdiArea()->tileSubWindows();
    Frame().SetPositionIndicator(1, 80, 1, 0);
    QApplication::processEvents();
    EXPECT_TRUE(QFile::exists(test::SaveScreenshot(Frame(), "mainframe-two-documents")));
    // The menus as a person opens them: update handlers ran, items of later work disabled.
    for (int i : {0, 2}) {
        QMenu* pMenu = Frame().Menu(i);
        ASSERT_NE(pMenu, nullptr);
        pMenu->popup(QPoint(0, 0));
        QApplication::processEvents();
        test::SaveScreenshot(*pMenu, i == 0 ? "menu-datei" : "menu-ansicht");
        pMenu->hide();
    }
    EXPECT_EQ(m_app->Documents().size(), 2u);
}

} // namespace
} // namespace tervik
