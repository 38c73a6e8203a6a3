// Document windows (size, cascade, the window list, titles) and the bars (rows,
// floating, pictures, check boxes), used the way a person does: menu clicks,
// mouse drags, restarts.

#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/ToolbarIcons.h"
#include "base/Strings.h"
#include "framework/CommandIds.h"
#include "platform/Profile.h"
#include "ui/Screenshot.h"
#include "ui/ShellFixture.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionToolBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace tervik {
namespace {

class WindowsAndBarsTest : public test::ShellTest {
protected:
    QList<CChildFrame*> Frames() {
        QList<CChildFrame*> frames;
        for (QMdiSubWindow* p : Frame().MdiArea()->subWindowList(QMdiArea::CreationOrder))
            frames.append(qobject_cast<CChildFrame*>(p));
        return frames;
    }
    // Opens a menu of the bar as a click on its title does.
    QMenu* OpenMenu(const char* pszTitle) {
        for (QAction* pTop : Frame().menuBar()->actions())
            if (pTop->text() == QString::fromUtf8(pszTitle) && pTop->menu()) {
                pTop->menu()->popup(QPoint(0, 0));
                QApplication::processEvents();
                return pTop->menu();
            }
        return nullptr;
    }
    // The texts of the window list in the "Fenster" menu, "*" before the checked one.
    QStringList WindowEntries(QMenu* pMenu) {
        QStringList entries;
        for (QAction* p : pMenu->actions())
            if (p->property("window").toBool() && !p->isSeparator())
                entries << (p->isChecked() ? "*" : "") + p->text();
        return entries;
    }
    static QString Title(const char* pszName) {
        return QString("Orv's File-Viewer - %1").arg(pszName);
    }
};

TEST_F(WindowsAndBarsTest, WindowMenuListsNineWindowsAndTheRestInAList) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 50))}));
    for (int i = 1; i < 12; ++i)
        Frame().Action(ID_WINDOW_NEW)->trigger();
    Frame().MdiArea()->setActiveSubWindow(Frames()[0]);
    Settle();
    QMenu* pMenu = OpenMenu("&Fenster");
    ASSERT_NE(pMenu, nullptr);
    const QStringList entries = WindowEntries(pMenu);
    ASSERT_EQ(entries.size(), 10);
    EXPECT_EQ(entries[0], "*&1 a.log:1");
    EXPECT_EQ(entries[8], "&9 a.log:9");
    EXPECT_EQ(entries[9], "&Weitere Fenster...");
    // The list opens on the active window; End and Enter choose the last one.
    QString shownTitle;
    int nRows = 0;
    QTimer::singleShot(0, &Frame(), [&] {
        QWidget* pDialog = QApplication::activeModalWidget();
        auto* pList = pDialog ? pDialog->findChild<QListWidget*>("windowList") : nullptr;
        if (!pList) return;
        shownTitle = pDialog->windowTitle();
        nRows = pList->count();
        QTest::keyClick(pList, Qt::Key_End);
        QTest::keyClick(pList, Qt::Key_Return);
    });
    QAction* pMore = pMenu->actions().back();
    QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pMore).center());
    Settle();
    EXPECT_EQ(shownTitle, QString::fromUtf8("Fenster auswählen"));
    EXPECT_EQ(nRows, 12);
    EXPECT_EQ(Frame().MdiArea()->currentSubWindow(), Frames()[11]);
    EXPECT_EQ(Frames()[11]->windowTitle(), QString("a.log:12"));
}

TEST_F(WindowsAndBarsTest, NewWindowsFillMostOfTheAreaAndCascadeKeepsTheirSize) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 50))}));
    ASSERT_NE(m_app->OpenDocumentFile(Log("b.log", 50)), nullptr);
    Settle();
    const QRect area(QPoint(0, 0), Frame().MdiArea()->viewport()->size());
    auto expectLarge = [&](double fPart) {
        for (CChildFrame* p : Frames()) {
            EXPECT_GE(p->width(), area.width() * fPart) << p->windowTitle().toStdString();
            EXPECT_GE(p->height(), area.height() * fPart) << p->windowTitle().toStdString();
            EXPECT_TRUE(area.contains(p->geometry()));
        }
    };
    expectLarge(0.75);
    // The second one cascaded from the first.
    EXPECT_GT(Frames()[1]->pos().x(), Frames()[0]->pos().x());
    EXPECT_GT(Frames()[1]->pos().y(), Frames()[0]->pos().y());
    // "Überlappend" with a third window: all stay large, the active one on top.
    Frame().Action(ID_WINDOW_NEW)->trigger();
    Frame().Action(ID_WINDOW_CASCADE)->trigger();
    Settle();
    expectLarge(0.66);
    EXPECT_EQ(Frame().MdiArea()->currentSubWindow(), Frames().back());
    test::SaveScreenshot(Frame(), "windows-cascaded");
}

// The message pane says what the active window did last.
TEST_F(WindowsAndBarsTest, EachWindowKeepsItsOwnMessage) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 50))}));
    Frames()[0]->ActiveView()->Searching().Forward("Zeile 7");
    const std::string found = Frame().GetMessageText();
    EXPECT_NE(found.find("gefunden"), std::string::npos) << found;
    ASSERT_NE(m_app->OpenDocumentFile(Log("b.log", 50)), nullptr);
    Settle();
    EXPECT_EQ(Frame().GetMessageText(), LoadString(IDS_READY));
    ASSERT_NE(m_app->OpenDocumentFile(m_dir.Write("empty.log", "")), nullptr);
    Settle();
    EXPECT_EQ(Frame().GetMessageText(), LoadString(IDS_EMPTY_FILE_STATUS));
    Frame().MdiArea()->setActiveSubWindow(Frames()[0]);
    EXPECT_EQ(Frame().GetMessageText(), found);
    Frame().MdiArea()->setActiveSubWindow(Frames()[2]);
    EXPECT_EQ(Frame().GetMessageText(), LoadString(IDS_EMPTY_FILE_STATUS));
    while (!Frames().empty()) {
        Frames().back()->close();
        Settle();
    }
    EXPECT_EQ(Frame().GetMessageText(), LoadString(IDS_READY));
}

// Bars that take room from the window area leave every window reachable: a maximized
// one fills the smaller area, one that no longer fits is made to fit.
TEST_F(WindowsAndBarsTest, SearchBarsKeepTheWindowsInsideTheArea) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 50))}));
    ASSERT_NE(m_app->OpenDocumentFile(Log("b.log", 50)), nullptr);
    Settle();
    Frames()[0]->showMaximized();
    Frames()[1]->showNormal();
    Frames()[1]->setGeometry(QRect(QPoint(0, 0), Frame().MdiArea()->viewport()->size()));
    Settle();
    for (unsigned nId : {ID_VIEW_SEARCHBAR1, ID_VIEW_SEARCHBAR2, ID_VIEW_SEARCHBAR3})
        EXPECT_TRUE(Frame().ExecuteCommand(nId));
    Settle();
    const QRect area(QPoint(0, 0), Frame().MdiArea()->viewport()->size());
    for (CChildFrame* p : Frames())
        EXPECT_TRUE(area.contains(p->geometry()))
            << p->windowTitle().toStdString() << " " << p->geometry().bottom() << " > "
            << area.bottom();
    test::SaveScreenshot(Frame(), "windows-with-bars");
}

TEST_F(WindowsAndBarsTest, ArrangeIconsMovesOnlyMinimizedWindows) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 50))}));
    for (const char* name : {"b.log", "c.log"})
        ASSERT_NE(m_app->OpenDocumentFile(Log(name, 50)), nullptr);
    Settle();
    Frames()[0]->showMinimized();
    Frames()[2]->showMinimized();
    Frames()[1]->move(40, 30);
    Settle();
    const QRect open = Frames()[1]->geometry();
    Frame().Action(ID_WINDOW_ARRANGE)->trigger();
    Settle();
    EXPECT_EQ(Frames()[1]->geometry(), open);
    const int nBottom = Frame().MdiArea()->viewport()->height();
    EXPECT_EQ(Frames()[0]->geometry().topLeft(), QPoint(0, nBottom - Frames()[0]->height()));
    EXPECT_EQ(Frames()[2]->geometry().topLeft(),
              QPoint(Frames()[0]->width(), nBottom - Frames()[2]->height()));
    test::SaveScreenshot(Frame(), "windows-arranged");
}

TEST_F(WindowsAndBarsTest, WindowMenuAndTitlesFollowTheWindows) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 50))}));
    Frame().Action(ID_WINDOW_NEW)->trigger();
    ASSERT_NE(m_app->OpenDocumentFile(Log("b&c.log", 50)), nullptr);
    Settle();
    EXPECT_EQ(Frame().windowTitle(), Title("b&c.log"));
    // Two windows on one document are numbered; a document's only window is not.
    QMenu* pMenu = OpenMenu("&Fenster");
    ASSERT_NE(pMenu, nullptr);
    EXPECT_EQ(WindowEntries(pMenu), QStringList({"&1 a.log:1", "&2 a.log:2", "*&3 b&&c.log"}));
    test::SaveScreenshot(*pMenu, "menu-fenster");
    QAction* pFirst = pMenu->actions()[pMenu->actions().size() - 3];
    QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pFirst).center());
    Settle();
    EXPECT_EQ(Frame().MdiArea()->currentSubWindow(), Frames()[0]);
    EXPECT_EQ(Frame().windowTitle(), Title("a.log"));

    // Maximized, the window's title stands in brackets, as in other MDI programs;
    // windows activated then are maximized too, and numbers follow new and closed
    // windows.
    Frames()[0]->showMaximized();
    Settle();
    EXPECT_EQ(Frame().windowTitle(), Title("[a.log:1]"));
    Frame().MdiArea()->setActiveSubWindow(Frames()[2]);
    Settle();
    EXPECT_EQ(Frame().windowTitle(), Title("[b&c.log]"));
    Frame().Action(ID_WINDOW_NEW)->trigger(); // opens maximized like the active one
    Settle();
    EXPECT_TRUE(Frames().back()->isMaximized());
    EXPECT_EQ(Frame().windowTitle(), Title("[b&c.log:2]"));
    Frames().back()->close();
    Settle();
    Frames()[0]->close();
    Settle();
    EXPECT_EQ(Frames()[0]->windowTitle(), QString("a.log"));
    Frame().MdiArea()->setActiveSubWindow(Frames()[0]);
    Settle();
    EXPECT_EQ(Frame().windowTitle(), Title("[a.log]"));
    Frames()[0]->showNormal();
    Settle();
    EXPECT_EQ(Frame().windowTitle(), Title("a.log"));
    pMenu = OpenMenu("&Fenster");
    EXPECT_EQ(WindowEntries(pMenu), QStringList({"*&1 a.log", "&2 b&&c.log"}));
    pMenu->hide();
    Frame().MdiArea()->closeAllSubWindows();
    Settle();
    EXPECT_EQ(Frame().windowTitle(), QString("Orv's File-Viewer"));
}

// Every widget of the bar lies inside it; nothing went into the overflow menu.
void ExpectAllInside(QToolBar* pBar) {
    SCOPED_TRACE(pBar->objectName().toStdString());
    ASSERT_TRUE(pBar->isVisible());
    auto* pExtension = pBar->findChild<QToolButton*>("qt_toolbar_ext_button");
    EXPECT_TRUE(!pExtension || !pExtension->isVisible());
    for (QAction* pAction : pBar->actions()) {
        if (!pAction->isVisible()) continue;
        QWidget* pWidget = pBar->widgetForAction(pAction);
        ASSERT_NE(pWidget, nullptr);
        EXPECT_TRUE(pWidget->isVisible()) << pAction->toolTip().toStdString();
        EXPECT_TRUE(pBar->rect().contains(pWidget->geometry())) << pAction->toolTip().toStdString();
    }
}

TEST_F(WindowsAndBarsTest, SearchBarsGetRowsOfTheirOwnAt1280Pixels) {
    // A first run stores the hidden bars; the second shows them through the menu,
    // the third gets them back from the settings.
    ASSERT_TRUE(Start());
    Stop();
    for (int nRun = 1; nRun <= 2; ++nRun) {
        SCOPED_TRACE(nRun == 1 ? "shown by the menu" : "restored");
        ASSERT_TRUE(Start());
        Frame().resize(1280, 860);
        Settle();
        for (unsigned nId :
             {ID_VIEW_SEARCHBAR1, ID_VIEW_SEARCHBAR2, ID_VIEW_SEARCHBAR3, ID_VIEW_SEARCHBAR4})
            if (nRun == 1) Frame().Action(nId)->trigger();
        Settle();
        QToolBar* pBars[] = {Frame().MainToolBar(), Frame().SearchBar(1), Frame().SearchBar(2),
                             Frame().SearchBar(3), Frame().SearchBar(4)};
        for (QToolBar* pBar : pBars)
            ExpectAllInside(pBar);
        EXPECT_TRUE(Frame().MainToolBar()->rect().contains(Frame().SearchBox()->geometry()));
        EXPECT_TRUE(Frame().DumpBox()->isVisible());
        // One row each, the toolbar on top.
        for (int i = 0; i < 5; ++i)
            for (int j = i + 1; j < 5; ++j)
                EXPECT_LT(pBars[i]->geometry().bottom(), pBars[j]->geometry().top()) << i << j;
        if (nRun == 1) test::SaveScreenshot(Frame(), "bars-all-search-bars");
        Stop();
    }
}

TEST_F(WindowsAndBarsTest, FloatingBarRestoredAtStartDocksAgainByDragging) {
    {
        CProfile ini = Settings();
        ini.WriteProfileString("BAR Information", "Searchbar1Visible", "1");
        ini.WriteProfileString("BAR Information", "Searchbar1Floating", "1");
        ini.WriteProfileString("BAR Information", "Searchbar1FloatingPos", "(300,200)");
    }
    ASSERT_TRUE(Start());
    Frame().setGeometry(100, 100, 1000, 700);
    Settle();
    QToolBar* pBar = Frame().SearchBar(1);
    ASSERT_TRUE(pBar->isFloating());
    EXPECT_TRUE(pBar->isVisible());
    EXPECT_EQ(pBar->pos(), QPoint(200, 300));
    EXPECT_EQ(Frame().toolBarArea(pBar), Qt::TopToolBarArea); // still the window's bar

    // Drag it by its handle onto the top of the window, below the toolbar.
    QStyleOptionToolBar opt;
    opt.initFrom(pBar);
    opt.features = QStyleOptionToolBar::Movable;
    opt.state |= QStyle::State_Horizontal;
    QPoint handle = pBar->style()->subElementRect(QStyle::SE_ToolBarHandle, &opt, pBar).center();
    if (handle.isNull()) handle = QPoint(3, pBar->height() / 2);
    QTest::mousePress(pBar, Qt::LeftButton, {}, handle);
    const QPoint target =
        Frame().MainToolBar()->mapToGlobal(QPoint(40, Frame().MainToolBar()->height() + 4));
    for (int i = 1; i <= 10; ++i) {
        const QPoint global =
            pBar->mapToGlobal(handle) + (target - pBar->mapToGlobal(handle)) * i / 10;
        QMouseEvent move(QEvent::MouseMove, pBar->mapFromGlobal(global), global, Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pBar, &move);
    }
    QTest::mouseRelease(pBar, Qt::LeftButton, {}, pBar->mapFromGlobal(target));
    // The window slides the bar into its place.
    for (int i = 0; i < 100 && pBar->isFloating(); ++i)
        QTest::qWait(20);
    Settle();
    EXPECT_FALSE(pBar->isFloating());
    EXPECT_TRUE(pBar->isVisible());
    EXPECT_EQ(Frame().toolBarArea(pBar), Qt::TopToolBarArea);
    Stop();
    EXPECT_EQ(Settings().GetProfileInt("BAR Information", "Searchbar1Floating", -1), 0);
}

TEST_F(WindowsAndBarsTest, DumpBoxOnlyForAnActiveDumpView) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 50))}));
    Settle();
    EXPECT_FALSE(Frame().DumpBox()->isEnabled());
    Frame().Action(ID_VIEW_DUMP)->trigger();
    Settle();
    EXPECT_TRUE(Frame().DumpBox()->isEnabled());
    // A second window shows text: its activation turns the box off, the first's on.
    ASSERT_NE(m_app->OpenDocumentFile(Log("b.log", 50)), nullptr);
    Settle();
    EXPECT_FALSE(Frame().DumpBox()->isEnabled());
    Frame().MdiArea()->setActiveSubWindow(Frames().front());
    Settle();
    EXPECT_TRUE(Frame().DumpBox()->isEnabled());
    // With every window closed the box is off.
    Frame().MdiArea()->closeAllSubWindows();
    Settle();
    EXPECT_FALSE(Frame().DumpBox()->isEnabled());
}

TEST_F(WindowsAndBarsTest, ViewMenuDrawsEveryCheckBox) {
    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 50))}));
    QMenu* pMenu = OpenMenu("&Ansicht");
    ASSERT_NE(pMenu, nullptr);
    // Checked or not, every switch shows its box.
    const unsigned kSwitches[] = {ID_VIEW_TOOLBAR,    ID_VIEW_STATUS_BAR, ID_VIEW_SEARCHBAR1,
                                  ID_VIEW_SEARCHBAR2, ID_VIEW_SEARCHBAR3, ID_VIEW_SEARCHBAR4,
                                  ID_VIEW_TEXT,       ID_VIEW_HEX,        ID_VIEW_DUMP,
                                  ID_VIEW_UNICODE,    ID_VIEW_UNICODE_BE, ID_VIEW_UTF8,
                                  ID_VIEW_OEM,        ID_VIEW_EBCDIC,     ID_VIEW_FOLLOW};
    for (unsigned nId : kSwitches) {
        QAction* pAction = Frame().Action(nId);
        EXPECT_TRUE(pMenu->actions().contains(pAction)) << nId;
        EXPECT_TRUE(pAction->isCheckable()) << nId;
        EXPECT_EQ(pAction->isChecked(), Frame().UpdateCommand(nId).m_nCheck != 0) << nId;
    }
    EXPECT_FALSE(Frame().Action(ID_VIEW_REFRESH)->isCheckable());
    EXPECT_FALSE(Frame().Action(ID_VIEW_SEARCHBAR1)->isChecked()); // hidden at first
    EXPECT_TRUE(Frame().Action(ID_VIEW_TOOLBAR)->isChecked());
    test::SaveScreenshot(*pMenu, "menu-ansicht-checkboxes");
    pMenu->hide();
}

bool HasInk(const QIcon& icon, int nSize) {
    const QImage image = icon.pixmap(nSize, nSize).toImage();
    if (image.isNull()) return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) return true;
    return false;
}

TEST_F(WindowsAndBarsTest, ToolbarButtonsShowPicturesWithTheirWordsAsTips) {
    // Our own drawings exist for every button, whatever the desktop's theme has.
    for (unsigned nId : CommandsWithIcons())
        EXPECT_TRUE(HasInk(OwnCommandIcon(nId), 24)) << nId;

    ASSERT_TRUE(Start({QString::fromStdString(Log("a.log", 50))}));
    for (int n = 0; n <= 4; ++n) {
        QToolBar* pBar = n == 0 ? Frame().MainToolBar() : Frame().SearchBar(n);
        EXPECT_EQ(pBar->toolButtonStyle(), Qt::ToolButtonIconOnly);
        for (QAction* pAction : pBar->actions()) {
            bool bOk = false;
            const unsigned nId = pAction->data().toUInt(&bOk);
            if (!bOk || nId == 0) continue;
            EXPECT_TRUE(HasInk(pAction->icon(), 16)) << nId;
            EXPECT_TRUE(HasInk(pAction->icon(), 24)) << nId;
            EXPECT_FALSE(pAction->toolTip().isEmpty()) << nId;
            EXPECT_FALSE(pAction->statusTip().isEmpty()) << nId;
        }
    }
    Frame().resize(1280, 860);
    Settle();
    test::SaveScreenshot(*Frame().MainToolBar(), "toolbar-icons");
}

// Buttons with the same picture share one icon; other pictures get their own.
TEST(ToolbarIcons, SamePictureMadeOnceForASetOfBars) {
    CCommandIcons icons;
    EXPECT_TRUE(icons.Icon(ID_FILE_SAVE).isNull());
    const auto key = [&](unsigned nId) { return icons.Icon(nId).cacheKey(); };
    EXPECT_EQ(key(ID_SEARCHBAR3_FORWARD), key(ID_SEARCH_FORWARD));
    EXPECT_NE(key(ID_SEARCH_BACKWARD), key(ID_SEARCH_FORWARD));
    EXPECT_NE(key(ID_HAND_SELECT_RED), key(ID_HAND_SELECT));
}

// A desktop theme that has a picture wins; one that cannot be drawn counts as none.
TEST(ToolbarIcons, ThemePicturesFirstOwnDrawingsOtherwise) {
    test::CTempDir dir;
    const QString root = QString::fromStdString(dir.File("icons"));
    const QString actions = root + "/testtheme/16x16/actions";
    ASSERT_TRUE(QDir().mkpath(actions));
    QFile index(root + "/testtheme/index.theme");
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=testtheme\nDirectories=16x16/actions\n\n"
                "[16x16/actions]\nSize=16\nType=Fixed\n");
    index.close();
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(actions + "/document-open.png"));
    QFile broken(actions + "/edit-copy.png");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();

    const QStringList paths = QIcon::themeSearchPaths();
    const QString name = QIcon::themeName();
    QIcon::setThemeSearchPaths({root});
    QIcon::setThemeName("testtheme");
    const QImage open = CommandIcon(ID_FILE_OPEN).pixmap(16, 16).toImage();
    const QIcon copy = CommandIcon(ID_EDIT_COPY);
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(name);

    EXPECT_EQ(open.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_TRUE(HasInk(copy, 16));
    EXPECT_EQ(copy.pixmap(24, 24).toImage(), OwnCommandIcon(ID_EDIT_COPY).pixmap(24, 24).toImage());
}

} // namespace
} // namespace tervik
