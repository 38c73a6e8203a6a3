#include "app/ui/MainFrame.h"

#include "app/ui/ChildFrame.h"
#include "app/ui/ColorBox.h"
#include "app/ui/TervikApp.h"
#include "app/ui/ToolbarIcons.h"
#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "framework/MenuLayout.h"
#include "framework/ui/QtText.h"
#include "framework/ui/WindowPlacement.h"
#include "search/SelectionScript.h"
#include "search/ui/SearchBox.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

namespace tervik {

namespace {
// The property holding a window's last message (cp1252).
constexpr char kMessageProperty[] = "tervikMessage";
} // namespace

namespace {

constexpr int kSearchBoxWidth = 200;
constexpr int kColorBoxWidth = 70;
constexpr int kDumpBoxWidth = 35;

QString Utf8(const char* psz) {
    return QString::fromUtf8(psz ? psz : "");
}

// Short button texts, for styles that put words beside or under the pictures.
const char* ButtonText(unsigned nId) {
    switch (nId) {
    case ID_FILE_OPEN:
        return "Öffnen";
    case ID_FILE_PRINT_PREVIEW:
        return "Vorschau";
    case ID_FILE_PRINT:
        return "Drucken";
    case ID_EDIT_COPY:
        return "Kopieren";
    case ID_SELECT_LINES:
        return "Selektieren";
    case ID_DESELECT_LINES:
        return "Deselektieren";
    case ID_VIEW_ONLY_SELECTED:
        return "Nur selektierte";
    case ID_HAND_SELECT:
    case ID_HAND_SELECT_GREEN:
    case ID_HAND_SELECT_RED:
        return "Stift";
    case ID_HAND_DESELECT:
        return "Radierer";
    case ID_SEARCH_FORWARD:
    case ID_SEARCHBAR1_FORWARD:
    case ID_SEARCHBAR2_FORWARD:
    case ID_SEARCHBAR3_FORWARD:
    case ID_SEARCHBAR4_FORWARD:
        return "Suchen \u25B6";
    case ID_SEARCH_BACKWARD:
    case ID_SEARCHBAR1_BACKWARD:
    case ID_SEARCHBAR2_BACKWARD:
    case ID_SEARCHBAR3_BACKWARD:
    case ID_SEARCHBAR4_BACKWARD:
        return "\u25C0";
    case ID_APP_ABOUT:
        return "Info";
    default:
        return nullptr;
    }
}

int DockBarOf(Qt::ToolBarArea area) {
    switch (area) {
    case Qt::LeftToolBarArea:
        return kDockLeft;
    case Qt::RightToolBarArea:
        return kDockRight;
    case Qt::BottomToolBarArea:
        return kDockBottom;
    default:
        return kDockTop;
    }
}

Qt::ToolBarArea AreaOf(int nDockBar) {
    switch (nDockBar) {
    case kDockLeft:
        return Qt::LeftToolBarArea;
    case kDockRight:
        return Qt::RightToolBarArea;
    case kDockBottom:
        return Qt::BottomToolBarArea;
    default:
        return Qt::TopToolBarArea;
    }
}

} // namespace

CMainFrame::CMainFrame(CTervikApp& app, QWidget* pParent)
    : QMainWindow(pParent), m_app(app), m_settings(app.Settings()) {
    setObjectName("mainFrame");
    setWindowTitle(FromAnsi(LoadString(IDS_MAIN_TITLE)));
    setAcceptDrops(true);
    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setObjectName("mdiArea");
    setCentralWidget(m_pMdiArea);
    m_pOpenDocuments =
        std::make_unique<CBlockList>(static_cast<uint16_t>(sizeof(CTervikDoc*)), 4096);
    m_selectTextHistory = DecodeHistory(m_settings.ReadSelectTextList());
    m_searchHistory = CSearchHistory::Load(m_settings);
    m_bPrintColour = m_settings.PrintColor();

    // Commands go to the active view, its document, its frame, this window, the application.
    m_pRouter = std::make_unique<CCommandRouter>([this] {
        std::vector<CCommandTarget*> chain;
        if (CChildFrame* pFrame = ActiveFrame()) {
            if (CTervikView* pView = pFrame->ActiveView()) chain.push_back(pView);
            chain.push_back(&pFrame->GetDocument());
            chain.push_back(pFrame);
        }
        chain.push_back(this);
        chain.push_back(&m_app);
        return chain;
    });

    CreateActions();
    // A disabled action swallows its key: each key asks its command's update handler
    // right before Qt looks for the shortcut.
    qApp->installEventFilter(this);
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    // Enter in a search box: "Weitersuchen" with that box's text, in the view that
    // was active when the box got the focus.
    for (QComboBox* p : {m_pSearchBox, m_pBarSearchBoxes[0], m_pBarSearchBoxes[1],
                         m_pBarSearchBoxes[2], m_pBarSearchBoxes[3]}) {
        auto* pBox = static_cast<CSearchBox*>(p);
        pBox->SetActiveViewSource([this]() -> QWidget* { return ActiveView(); });
        pBox->SetEnterHandler([](CSearchBox& box) {
            auto* pView = qobject_cast<CTervikView*>(box.RememberedView());
            if (!pView) return;
            pView->setFocus();
            pView->Searching().Forward(box.Pattern());
        });
    }
    // The title, the dump box, the position pane and the window list follow the
    // active document window.
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
    resize(1280, 860);
    setWindowIcon(QIcon(QStringLiteral(":/icons/tervik.svg")));

    // Toolbar buttons follow their commands' state when the program is idle.
    m_pIdleTimer = new QTimer(this);
    m_pIdleTimer->setInterval(250);
    connect(m_pIdleTimer, &QTimer::timeout, this, &CMainFrame::UpdateToolBarButtons);
    m_pIdleTimer->start();
}

CMainFrame::~CMainFrame() {
    m_settings.WriteSelectTextList(EncodeHistory(m_selectTextHistory));
    m_searchHistory.Save(m_settings);
    m_settings.WritePrintColor(m_bPrintColour);
    // Document windows still open go while this window is whole; they call back.
    for (QMdiSubWindow* pSub : m_pMdiArea->subWindowList())
        delete pSub;
}

// ------------------------------------------------------------------ commands

void CMainFrame::CreateActions() {
    // Menu texts first; commands that stand in no menu get their tool tip.
    std::map<unsigned, QString> texts;
    std::function<void(const std::vector<MenuEntry>&)> collect =
        [&](const std::vector<MenuEntry>& entries) {
            for (const MenuEntry& e : entries) {
                if (e.m_eKind == MenuEntry::Command && e.m_nId && !texts.count(e.m_nId))
                    texts[e.m_nId] = Utf8(e.m_pszText);
                if (e.m_eKind == MenuEntry::Popup) collect(e.m_children);
            }
        };
    collect(MainMenuBar());
    std::map<unsigned, QList<QKeySequence>> keys;
    for (const AcceleratorEntry& a : Accelerators())
        keys[a.m_nId].append(QKeySequence(Utf8(a.m_pszKeys), QKeySequence::PortableText));

    for (unsigned nId : AllCommandIds()) {
        auto* pAction = new QAction(this);
        pAction->setObjectName(QString("cmd%1").arg(nId));
        pAction->setData(nId);
        const QString prompt = Utf8(CommandPrompt(nId));
        const QString status = prompt.section('\n', 0, 0);
        const QString tip = prompt.section('\n', 1);
        pAction->setText(texts.count(nId) ? texts[nId] : tip);
        if (!status.isEmpty()) pAction->setStatusTip(status);
        if (!tip.isEmpty()) pAction->setToolTip(tip);
        if (const char* pszButton = ButtonText(nId)) pAction->setIconText(Utf8(pszButton));
        if (keys.count(nId)) {
            for (const QKeySequence& seq : keys[nId])
                m_shortcutIds[seq[0].toCombined()].push_back(nId);
            pAction->setShortcuts(keys[nId]);
            pAction->setShortcutContext(Qt::WindowShortcut);
            addAction(pAction); // keys act while the menu is closed, too
        }
        connect(pAction, &QAction::triggered, this, [this, nId] { ExecuteCommand(nId); });
        m_actions[nId] = pAction;
    }
}

bool CMainFrame::eventFilter(QObject* pWatched, QEvent* pEvent) {
    // Bars shown or a smaller main window: no window is left out of reach.
    if (pEvent->type() == QEvent::Resize && m_pMdiArea && pWatched == m_pMdiArea->viewport())
        KeepWindowsInside(*m_pMdiArea);
    // The hint of a hovered box goes when the pointer leaves it.
    if (pEvent->type() == QEvent::Leave && (pWatched == m_pColorBox || pWatched == m_pDumpBox)) {
        const auto* pWidget = static_cast<const QWidget*>(pWatched);
        if (!pWidget->statusTip().isEmpty() &&
            statusBar()->currentMessage() == pWidget->statusTip())
            statusBar()->clearMessage();
    }
    if (pEvent->type() == QEvent::ShortcutOverride) {
        const auto* pKey = static_cast<const QKeyEvent*>(pEvent);
        const QKeyCombination key(pKey->modifiers() & ~Qt::KeypadModifier, Qt::Key(pKey->key()));
        if (const auto it = m_shortcutIds.find(key.toCombined()); it != m_shortcutIds.end())
            for (unsigned nId : it->second)
                if (QAction* pAction = Action(nId))
                    pAction->setEnabled(UpdateCommand(nId).m_bEnabled);
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

QAction* CMainFrame::Action(unsigned nId) const {
    const auto it = m_actions.find(nId);
    return it == m_actions.end() ? nullptr : it->second;
}

bool CMainFrame::ExecuteCommand(unsigned nId) {
    const CCmdUI ui = m_pRouter->Update(nId);
    if (!ui.m_bEnabled) return false;
    return m_pRouter->Execute(nId);
}

CCmdUI CMainFrame::UpdateCommand(unsigned nId) {
    return m_pRouter->Update(nId);
}

void CMainFrame::SetDocumentMenus(bool bDocument) {
    if (bDocument == m_bDocumentMenus && !m_menus.empty()) return;
    m_bDocumentMenus = bDocument;
    menuBar()->clear();
    for (QMenu* pMenu : m_menus)
        pMenu->deleteLater();
    m_menus.clear();
    m_pRecentMenu = nullptr;
    m_pRecentAnchor = nullptr;
    m_pWindowMenu = nullptr;
    m_pBookmarkMenu = nullptr;
    CreateMenus();
}

void CMainFrame::CreateMenus() {
    std::function<void(QMenu*, const std::vector<MenuEntry>&)> fill =
        [&](QMenu* pMenu, const std::vector<MenuEntry>& entries) {
            for (const MenuEntry& e : entries) {
                switch (e.m_eKind) {
                case MenuEntry::Separator:
                    pMenu->addSeparator();
                    break;
                case MenuEntry::Popup: {
                    QMenu* pSub = pMenu->addMenu(Utf8(e.m_pszText));
                    fill(pSub, e.m_children);
                    break;
                }
                case MenuEntry::RecentFiles:
                    m_pRecentMenu = pMenu;
                    m_pRecentAnchor = pMenu->addAction(FromAnsi(LoadString(IDS_RECENT_FILES_MENU)));
                    m_pRecentAnchor->setEnabled(false);
                    break;
                case MenuEntry::Command:
                    if (QAction* pAction = Action(e.m_nId)) pMenu->addAction(pAction);
                    // The menu with "Neues Fenster" lists the document windows.
                    if (e.m_nId == ID_WINDOW_NEW) m_pWindowMenu = pMenu;
                    if (e.m_nId == ID_BOOKMARK_LIST_FIRST) m_pBookmarkMenu = pMenu;
                    break;
                }
            }
            // Update handlers decide what the user may choose when the menu opens.
            connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] {
                if (pMenu == m_pBookmarkMenu) RefreshBookmarkList();
                // The update of "AddOn registrieren..." builds the add-on entries.
                if (Action(ID_ADDON_REGISTER) &&
                    pMenu->actions().contains(Action(ID_ADDON_REGISTER)))
                    m_app.AddOnManager().BuildAddOnMenu(*pMenu);
                for (QAction* pAction : pMenu->actions()) {
                    bool bOk = false;
                    const unsigned nId = pAction->data().toUInt(&bOk);
                    if (!bOk || nId == 0 || pAction->menu()) continue;
                    const CCmdUI ui = UpdateCommand(nId);
                    pAction->setEnabled(ui.m_bEnabled);
                    pAction->setCheckable(ui.m_bCheckable || pAction->isCheckable());
                    pAction->setChecked(ui.m_nCheck != 0);
                    if (ui.m_text) pAction->setText(FromAnsi(*ui.m_text));
                }
                if (pMenu == m_pRecentMenu) RefreshRecentFiles();
                if (pMenu == m_pWindowMenu) RefreshWindowList();
            });
        };
    // Without a document window the bar offers only what works without one.
    for (const MenuEntry& top : m_bDocumentMenus ? MainMenuBar() : NoDocumentMenuBar()) {
        QMenu* pMenu = menuBar()->addMenu(Utf8(top.m_pszText));
        m_menus.push_back(pMenu);
        fill(pMenu, top.m_children);
    }
}

QMenu* CMainFrame::Menu(int nIndex) const {
    return nIndex >= 0 && nIndex < static_cast<int>(m_menus.size())
               ? m_menus[static_cast<size_t>(nIndex)]
               : nullptr;
}

void CMainFrame::RefreshRecentFiles() {
    if (!m_pRecentMenu || !m_pRecentAnchor) return;
    for (QAction* pAction : m_pRecentMenu->actions())
        if (pAction->property("recent").toBool())
            m_pRecentMenu->removeAction(pAction), pAction->deleteLater();
    const auto& files = m_app.DocumentManager().RecentFiles();
    m_pRecentAnchor->setVisible(files.empty());
    for (size_t i = 0; i < files.size(); ++i) {
        auto* pAction =
            new QAction(QString("&%1 %2").arg(i + 1).arg(QString::fromLocal8Bit(files[i].c_str())),
                        m_pRecentMenu);
        pAction->setProperty("recent", true);
        connect(pAction, &QAction::triggered, this,
                [this, i] { m_app.OnOpenRecentFile(static_cast<int>(i)); });
        m_pRecentMenu->insertAction(m_pRecentAnchor, pAction);
    }
}

void CMainFrame::RefreshBookmarkList() {
    if (!m_pBookmarkMenu) return;
    // The entries' texts and states come from the update handler that runs next.
    const size_t nCount = m_app.Bookmarks().Size();
    for (unsigned nId = ID_BOOKMARK_LIST_FIRST + 1; nId <= ID_BOOKMARK_LIST_LAST; ++nId) {
        QAction* pAction = Action(nId);
        if (!pAction) continue;
        const bool bWanted = nId - ID_BOOKMARK_LIST_FIRST < nCount;
        const bool bThere = m_pBookmarkMenu->actions().contains(pAction);
        if (bWanted && !bThere) m_pBookmarkMenu->addAction(pAction);
        if (!bWanted && bThere) m_pBookmarkMenu->removeAction(pAction);
    }
}

bool CMainFrame::OnCmdMsg(unsigned nId, CCmdUI* pUI) {
    static const CommandEntry<CMainFrame> kCommands[] = {
        {ID_FOCUS_SEARCH_BOX, &CMainFrame::OnFocusSearchBox, nullptr},
        {ID_EDIT_COPY, &CMainFrame::OnEditCopy, &CMainFrame::OnUpdateEditCopy},
        {ID_EDIT_CUT, &CMainFrame::OnEditCut, nullptr},
        {ID_EDIT_PASTE, &CMainFrame::OnEditPaste, nullptr},
        {ID_SYNC_SCROLL, &CMainFrame::OnSyncScroll, &CMainFrame::OnUpdateSyncScroll},
        {ID_COLOR_BLUE, &CMainFrame::OnColourBlue, &CMainFrame::OnUpdateColour},
        {ID_COLOR_RED, &CMainFrame::OnColourRed, &CMainFrame::OnUpdateColour},
        {ID_COLOR_GREEN, &CMainFrame::OnColourGreen, &CMainFrame::OnUpdateColour},
        {ID_PRINT_COLOR, &CMainFrame::OnPrintColour, &CMainFrame::OnUpdatePrintColour},
        {ID_VIEW_TOOLBAR, &CMainFrame::OnViewToolBar, &CMainFrame::OnUpdateBar},
        {ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar, &CMainFrame::OnUpdateBar},
        {ID_VIEW_SEARCHBAR1, &CMainFrame::OnViewSearchBar1, &CMainFrame::OnUpdateBar},
        {ID_VIEW_SEARCHBAR2, &CMainFrame::OnViewSearchBar2, &CMainFrame::OnUpdateBar},
        {ID_VIEW_SEARCHBAR3, &CMainFrame::OnViewSearchBar3, &CMainFrame::OnUpdateBar},
        {ID_VIEW_SEARCHBAR4, &CMainFrame::OnViewSearchBar4, &CMainFrame::OnUpdateBar},
        {ID_WINDOW_NEW, &CMainFrame::OnWindowNew, nullptr},
        {ID_WINDOW_CASCADE, &CMainFrame::OnWindowCascade, nullptr},
        {ID_WINDOW_TILE_HORZ, &CMainFrame::OnWindowTile, nullptr},
        {ID_WINDOW_ARRANGE, &CMainFrame::OnWindowArrange, nullptr},
        {ID_NEXT_PANE, &CMainFrame::OnNextPane, nullptr},
        {ID_PREV_PANE, &CMainFrame::OnNextPane, nullptr},
        {ID_APP_EXIT, &CMainFrame::OnAppExit, nullptr},
    };
    // Window commands need a window to act on.
    if (pUI && (nId == ID_WINDOW_NEW || nId == ID_WINDOW_CASCADE || nId == ID_WINDOW_TILE_HORZ ||
                nId == ID_WINDOW_ARRANGE || nId == ID_NEXT_PANE || nId == ID_PREV_PANE)) {
        pUI->Enable(ActiveFrame() != nullptr);
        return true;
    }
    return DispatchCommand(*this, kCommands, nId, pUI);
}

CChildFrame* CMainFrame::ActiveFrame() const {
    return qobject_cast<CChildFrame*>(m_pMdiArea->activeSubWindow());
}

CTervikView* CMainFrame::ActiveView() const {
    CChildFrame* pFrame = ActiveFrame();
    return pFrame ? pFrame->ActiveView() : nullptr;
}

QComboBox* CMainFrame::FocusedSearchBox() const {
    QComboBox* pBox = nullptr;
    if (m_pSearchBox && m_pSearchBox->hasFocus()) pBox = m_pSearchBox;
    for (QComboBox* p : m_pBarSearchBoxes)
        if (p && p->hasFocus()) pBox = p;
    return pBox;
}

void CMainFrame::OnFocusSearchBox() {
    if (m_pSearchBox && !m_pSearchBox->hasFocus()) m_pSearchBox->setFocus();
}

void CMainFrame::OnEditCopy() {
    // A search field's own selection first, else the active view's marking.
    QComboBox* pBox = FocusedSearchBox();
    if (pBox && pBox->lineEdit() && pBox->lineEdit()->hasSelectedText())
        QApplication::clipboard()->setText(pBox->lineEdit()->selectedText());
    else if (CTervikView* pView = ActiveView())
        pView->CopyMarking();
}

void CMainFrame::OnUpdateEditCopy(CCmdUI& ui) {
    QComboBox* pBox = FocusedSearchBox();
    CTervikView* pView = ActiveView();
    ui.Enable((pBox && pBox->lineEdit() && pBox->lineEdit()->hasSelectedText()) ||
              (pView && pView->HasMarking()));
}

void CMainFrame::OnEditCut() {
    QComboBox* pBox = FocusedSearchBox();
    if (pBox && pBox->lineEdit() && pBox->lineEdit()->hasSelectedText()) pBox->lineEdit()->cut();
}

void CMainFrame::OnEditPaste() {
    if (auto* pBox = qobject_cast<CSearchBox*>(FocusedSearchBox()))
        pBox->Paste(QApplication::clipboard()->text());
}

void CMainFrame::OnSyncScroll() {
    m_bSyncScroll = !m_bSyncScroll;
}
void CMainFrame::OnUpdateSyncScroll(CCmdUI& ui) {
    ui.SetCheck(m_bSyncScroll ? 1 : 0);
}
void CMainFrame::OnColourBlue() {
    SetSelectColour(0);
}
void CMainFrame::OnColourRed() {
    SetSelectColour(1);
}
void CMainFrame::OnColourGreen() {
    SetSelectColour(2);
}
void CMainFrame::SetSelectColour(int nColour) {
    m_nSelectColour = nColour;
    if (m_app.IsRecordingScript()) m_app.RecordScript(ScriptColourLine(nColour));
    // Only the pen of the current colour stands in the toolbar.
    const std::pair<unsigned, int> pens[] = {
        {ID_HAND_SELECT, 0}, {ID_HAND_SELECT_RED, 1}, {ID_HAND_SELECT_GREEN, 2}};
    for (const auto& [nId, nPenColour] : pens)
        if (QAction* pButton = ToolBarAction(nId)) pButton->setVisible(nPenColour == nColour);
    // An active select pen takes the new colour at once.
    if (CTervikView* pView = ActiveView()) pView->Pens().SyncPenColour();
    if (m_pColorBox && m_pColorBox->currentIndex() != nColour)
        m_pColorBox->setCurrentIndex(nColour);
}
void CMainFrame::OnUpdateColour(CCmdUI& ui) {
    const unsigned nMine = m_nSelectColour == 1   ? ID_COLOR_RED
                           : m_nSelectColour == 2 ? ID_COLOR_GREEN
                                                  : ID_COLOR_BLUE;
    ui.SetCheck(ui.m_nID == nMine ? 1 : 0);
}
void CMainFrame::OnPrintColour() {
    m_bPrintColour = !m_bPrintColour;
}
void CMainFrame::OnUpdatePrintColour(CCmdUI& ui) {
    ui.SetCheck(m_bPrintColour ? 1 : 0);
}

// Bars by index: 0 toolbar, 1..4 search bars, 5 status bar.
QToolBar* CMainFrame::BarByIndex(int nBar) const {
    return nBar == 0 ? m_pToolBar : nBar >= 1 && nBar <= 4 ? m_pSearchBars[nBar - 1] : nullptr;
}

void CMainFrame::ToggleBar(int nBar) {
    if (nBar == 5) {
        statusBar()->setVisible(!statusBar()->isVisible());
        return;
    }
    if (QToolBar* pBar = BarByIndex(nBar)) pBar->setVisible(!pBar->isVisible());
}

void CMainFrame::OnViewToolBar() {
    ToggleBar(0);
}
void CMainFrame::OnViewStatusBar() {
    ToggleBar(5);
}
void CMainFrame::OnViewSearchBar1() {
    ToggleBar(1);
}
void CMainFrame::OnViewSearchBar2() {
    ToggleBar(2);
}
void CMainFrame::OnViewSearchBar3() {
    ToggleBar(3);
}
void CMainFrame::OnViewSearchBar4() {
    ToggleBar(4);
}

void CMainFrame::OnUpdateBar(CCmdUI& ui) {
    bool bVisible = false;
    switch (ui.m_nID) {
    case ID_VIEW_TOOLBAR:
        bVisible = !m_pToolBar->isHidden();
        break;
    case ID_VIEW_STATUS_BAR:
        bVisible = !statusBar()->isHidden();
        break;
    default:
        bVisible = !m_pSearchBars[ui.m_nID - ID_VIEW_SEARCHBAR1]->isHidden();
        break;
    }
    ui.SetCheck(bVisible ? 1 : 0);
}

void CMainFrame::OnWindowNew() {
    if (CChildFrame* pFrame = ActiveFrame())
        m_app.DocumentManager().CreateFrame(pFrame->GetDocument());
}
void CMainFrame::OnWindowCascade() {
    // Qt's own cascade shrinks the windows to their smallest size. Here each window
    // keeps most of the area, one title bar further down and right than the one
    // before, the active one on top.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* pSub : m_pMdiArea->subWindowList(QMdiArea::CreationOrder))
        if (pSub->isVisible() && !pSub->isMinimized()) windows.append(pSub);
    QMdiSubWindow* pActive = m_pMdiArea->currentSubWindow();
    if (windows.removeOne(pActive)) windows.append(pActive);
    if (windows.isEmpty()) return;
    const QSize area = m_pMdiArea->viewport()->size();
    const int nStep = std::max(8, windows.front()->style()->pixelMetric(QStyle::PM_TitleBarHeight,
                                                                        nullptr, windows.front()));
    const int nSteps = static_cast<int>(windows.size()) - 1;
    const int nWidth = std::max(area.width() * 2 / 3, area.width() - nSteps * nStep);
    const int nHeight = std::max(area.height() * 2 / 3, area.height() - nSteps * nStep);
    // Positions start over at the corner when the next step would leave the area.
    const int nFit = std::max(
        1, std::min((area.width() - nWidth) / nStep, (area.height() - nHeight) / nStep) + 1);
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* pSub = windows[i];
        if (pSub->isMaximized()) pSub->showNormal();
        const int nOffset = (i % nFit) * nStep;
        pSub->setGeometry(nOffset, nOffset, nWidth, nHeight);
        pSub->raise();
    }
    m_pMdiArea->setActiveSubWindow(pActive ? pActive : windows.back());
}
void CMainFrame::OnWindowTile() {
    m_pMdiArea->tileSubWindows();
}
void CMainFrame::OnWindowArrange() {
    // Only the minimized windows: side by side along the bottom, from the left, further
    // rows above. Open windows keep their places.
    const QSize area = m_pMdiArea->viewport()->size();
    int x = 0, nRowBottom = area.height(), nRowHeight = 0;
    for (QMdiSubWindow* pSub : m_pMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!pSub->isMinimized() || pSub->isHidden()) continue;
        const QSize size = pSub->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            nRowBottom -= nRowHeight;
            nRowHeight = 0;
        }
        pSub->move(x, nRowBottom - size.height());
        x += size.width();
        nRowHeight = std::max(nRowHeight, size.height());
    }
}
void CMainFrame::OnNextPane() {
    CChildFrame* pFrame = ActiveFrame();
    if (!pFrame || pFrame->PaneCount() < 2) return;
    CTervikView* pNext = pFrame->Pane(pFrame->ActiveView() == pFrame->Pane(0) ? 1 : 0);
    if (pNext) pNext->setFocus();
}
void CMainFrame::OnAppExit() {
    close();
}

void CMainFrame::PlaceNewWindow(CChildFrame* pFrame, QMdiSubWindow* pPrevious) {
    const QSize area = m_pMdiArea->viewport()->size();
    if (area.isEmpty()) return;
    const int nStep =
        std::max(8, pFrame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, pFrame));
    const int nWidth = std::max(area.width() * 3 / 4, area.width() - 4 * nStep);
    const int nHeight = std::max(area.height() * 3 / 4, area.height() - 4 * nStep);
    QPoint pos(0, 0);
    if (pPrevious && pPrevious != pFrame && !pPrevious->isMinimized()) {
        const QRect rc = pPrevious->isMaximized() ? QRect() : pPrevious->geometry();
        pos = rc.topLeft() + QPoint(nStep, nStep);
        if (rc.isNull() || pos.x() + nWidth > area.width() || pos.y() + nHeight > area.height())
            pos = QPoint(0, 0);
    }
    pFrame->setGeometry(QRect(pos, QSize(nWidth, nHeight)));
}

void CMainFrame::NumberWindows(const std::vector<CChildFrame*>& frames, size_t nFrom) {
    for (size_t i = nFrom; i < frames.size(); ++i) {
        const QString name = frames[i]->DocumentName();
        frames[i]->setWindowTitle(frames.size() == 1 ? name
                                                     : QString("%1:%2").arg(name).arg(i + 1));
    }
    UpdateFrameTitle();
}

void CMainFrame::UpdateFrameTitle() {
    const QString app = FromAnsi(LoadString(IDS_MAIN_TITLE));
    QString title = app;
    QString shown = app;
    if (auto* pFrame = qobject_cast<CChildFrame*>(m_pMdiArea->currentSubWindow())) {
        if (pFrame->maximizedButtonsWidget()) {
            // A maximized window whose buttons sit in the menu bar adds its own
            // title in brackets, as multiple-document frames do.
            shown = QMdiSubWindow::tr("%1 - [%2]").arg(app, pFrame->windowTitle());
        } else {
            title = app + " - " + pFrame->DocumentName();
            shown = title;
        }
    }
    if (windowTitle() == shown) return;
    m_bSettingTitle = true;
    setWindowTitle(title);
    m_bSettingTitle = false;
}

void CMainFrame::changeEvent(QEvent* pEvent) {
    QMainWindow::changeEvent(pEvent);
    // A document window maximized or restored by the user changes our title.
    if (pEvent->type() == QEvent::WindowTitleChange && !m_bSettingTitle)
        QMetaObject::invokeMethod(this, &CMainFrame::UpdateFrameTitle, Qt::QueuedConnection);
}

void CMainFrame::OnSubWindowActivated() {
    UpdateFrameTitle();
    // The message pane says what the active window did last; a new window takes what
    // is shown; with no window left the program is ready.
    if (QMdiSubWindow* pCurrent = m_pMdiArea->currentSubWindow()) {
        const QVariant said = pCurrent->property(kMessageProperty);
        SetMessageText(said.isValid() ? said.toByteArray().toStdString() : m_messageText);
    } else if (m_pMdiArea->subWindowList().isEmpty()) {
        SetMessageText(LoadString(IDS_READY));
    }
    // The dump box serves the active window's view only; without a window it is off.
    // (A deactivated application keeps its current window.)
    auto* pFrame = qobject_cast<CChildFrame*>(m_pMdiArea->currentSubWindow());
    if (CTervikView* pView = pFrame ? pFrame->ActiveView() : nullptr) {
        pView->UpdateDumpBox();
        pView->ReportPosition();
    } else
        HideDumpBox();
}

void CMainFrame::RefreshWindowList() {
    if (!m_pWindowMenu) return;
    for (QAction* pAction : m_pWindowMenu->actions())
        if (pAction->property("window").toBool())
            m_pWindowMenu->removeAction(pAction), pAction->deleteLater();
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) return;
    m_pWindowMenu->addSeparator()->setProperty("window", true);
    QMdiSubWindow* pCurrent = m_pMdiArea->currentSubWindow();
    // The first nine, chosen by their digit; the rest through a list, so that a
    // workspace with thousands of windows does not make the menu endless.
    constexpr qsizetype kListed = 9;
    for (qsizetype i = 0; i < std::min(kListed, windows.size()); ++i) {
        QString title = windows[i]->windowTitle();
        title.replace('&', "&&");
        QAction* pAction = m_pWindowMenu->addAction(QString("&%1 %2").arg(i + 1).arg(title));
        pAction->setProperty("window", true);
        pAction->setCheckable(true);
        pAction->setChecked(windows[i] == pCurrent);
        QPointer<QMdiSubWindow> pWindow = windows[i];
        connect(pAction, &QAction::triggered, this, [this, pWindow] { ActivateWindow(pWindow); });
    }
    if (windows.size() > kListed) {
        QAction* pMore = m_pWindowMenu->addAction(FromAnsi(LoadString(IDS_MORE_WINDOWS)));
        pMore->setProperty("window", true);
        connect(pMore, &QAction::triggered, this, &CMainFrame::ChooseWindow);
    }
}

void CMainFrame::ActivateWindow(QMdiSubWindow* pWindow) {
    if (!pWindow) return;
    if (pWindow->isMinimized()) pWindow->showNormal();
    m_pMdiArea->setActiveSubWindow(pWindow);
}

void CMainFrame::ChooseWindow() {
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList(QMdiArea::CreationOrder);
    QDialog dialog(this);
    dialog.setObjectName("chooseWindow");
    dialog.setWindowTitle(FromAnsi(LoadString(IDS_CHOOSE_WINDOW_TITLE)));
    auto* pLayout = new QVBoxLayout(&dialog);
    auto* pLabel = new QLabel(FromAnsi(LoadString(IDS_CHOOSE_WINDOW_PROMPT)), &dialog);
    pLayout->addWidget(pLabel);
    auto* pList = new QListWidget(&dialog);
    pList->setObjectName("windowList");
    pLabel->setBuddy(pList);
    pList->setUniformItemSizes(true);
    QMdiSubWindow* pCurrent = m_pMdiArea->currentSubWindow();
    for (QMdiSubWindow* pSub : windows) {
        pList->addItem(pSub->windowTitle());
        if (pSub == pCurrent) pList->setCurrentRow(pList->count() - 1);
    }
    if (pList->currentRow() < 0) pList->setCurrentRow(0);
    pLayout->addWidget(pList);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    pButtons->button(QDialogButtonBox::Ok)->setText("OK");
    pButtons->button(QDialogButtonBox::Cancel)->setText("Abbrechen");
    connect(pButtons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(pList, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    pLayout->addWidget(pButtons);
    pList->setFocus();
    // Windows may close while the list is open; only one still there is activated.
    QList<QPointer<QMdiSubWindow>> guarded(windows.begin(), windows.end());
    if (dialog.exec() != QDialog::Accepted) return;
    const int nRow = pList->currentRow();
    if (nRow >= 0 && nRow < guarded.size()) ActivateWindow(guarded[nRow]);
}

QAction* CMainFrame::ToolBarAction(unsigned nId) const {
    const auto it = m_penButtons.find(nId);
    return it != m_penButtons.end() ? it->second : Action(nId);
}

void CMainFrame::UpdateToolBarButtons() {
    for (QToolBar* pBar :
         {m_pToolBar, m_pSearchBars[0], m_pSearchBars[1], m_pSearchBars[2], m_pSearchBars[3]}) {
        if (!pBar || !pBar->isVisible()) continue;
        for (QAction* pAction : pBar->actions()) {
            bool bOk = false;
            const unsigned nId = pAction->data().toUInt(&bOk);
            if (!bOk || nId == 0) continue;
            const CCmdUI ui = UpdateCommand(nId);
            pAction->setEnabled(ui.m_bEnabled);
            if (ui.m_bCheckable) pAction->setCheckable(true);
            if (pAction->isCheckable()) pAction->setChecked(ui.m_nCheck != 0);
        }
    }
}

// ------------------------------------------------------------------ bars

QComboBox* CMainFrame::InsertBox(QToolBar* pBar, QAction* pBefore, int nWidth, bool bEditable,
                                 const char* pszName, QComboBox* pBox) {
    // Editable boxes are search boxes with the shared history.
    if (!pBox) pBox = bEditable ? new CSearchBox(m_searchHistory, pBar) : new QComboBox(pBar);
    pBox->setObjectName(pszName);
    pBox->setFixedWidth(nWidth);
    if (pBefore)
        pBar->insertWidget(pBefore, pBox);
    else
        pBar->addWidget(pBox);
    return pBox;
}

void CMainFrame::CreateToolBars() {
    m_pToolBar = new QToolBar(QString::fromUtf8("Symbolleiste"), this);
    m_pToolBar->setObjectName("toolbar");
    m_pToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (unsigned nId : MainToolbarButtons()) {
        QAction* pAction = nId ? Action(nId) : nullptr;
        if (nId == 0) {
            m_pToolBar->addSeparator();
        } else if (pAction && (nId == ID_HAND_SELECT || nId == ID_HAND_SELECT_GREEN ||
                               nId == ID_HAND_SELECT_RED)) {
            // The pens come and go with the colour; the menu item stays.
            auto* pButton = new QAction(pAction->text(), m_pToolBar);
            pButton->setData(nId);
            pButton->setObjectName(QString("button%1").arg(nId));
            pButton->setToolTip(pAction->toolTip());
            pButton->setStatusTip(pAction->statusTip());
            pButton->setIconText(pAction->iconText());
            connect(pButton, &QAction::triggered, this, [this, nId] { ExecuteCommand(nId); });
            m_penButtons[nId] = pButton;
            m_pToolBar->addAction(pButton);
        } else if (pAction) {
            m_pToolBar->addAction(pAction);
        }
    }
    // Only the current colour's pen is shown.
    for (unsigned nId : {ID_HAND_SELECT_GREEN, ID_HAND_SELECT_RED})
        m_penButtons[nId]->setVisible(false);
    // The colour box after the deselection pen, the search box before the search
    // buttons, the dump box (disabled until a dump is shown) after them.
    const QList<QAction*> actions = m_pToolBar->actions();
    auto after = [&](unsigned nId) -> QAction* {
        for (int i = 0; i < actions.size(); ++i)
            if (actions[i]->data().toUInt() == nId && actions[i]->data().isValid())
                return i + 1 < actions.size() ? actions[i + 1] : nullptr;
        return nullptr;
    };
    // 70 pixels fit the entries in the classic toolbar font; larger fonts get room.
    auto* pColorBox = new CColorBox(*this, m_pToolBar);
    m_pColorBox = InsertBox(m_pToolBar, after(ID_HAND_DESELECT),
                            std::max(kColorBoxWidth, pColorBox->sizeHint().width()), false,
                            "colorBox", pColorBox);
    m_pToolBar->insertSeparator(Action(ID_SEARCH_FORWARD));
    m_pSearchBox =
        InsertBox(m_pToolBar, Action(ID_SEARCH_FORWARD), kSearchBoxWidth, true, "searchBox");
    QAction* pAfterBackward = after(ID_SEARCH_BACKWARD);
    m_pToolBar->insertSeparator(pAfterBackward);
    m_pDumpBox = InsertBox(m_pToolBar, pAfterBackward, kDumpBoxWidth, false, "dumpBox");
    for (const char* psz : {"2", "4", "6", "8"})
        m_pDumpBox->addItem(psz);
    m_pDumpBox->setCurrentIndex(-1);
    m_pDumpBox->setEnabled(false);
    m_pDumpBox->setToolTip(FromAnsi(LoadString(IDS_DUMP_COLUMNS_PROMPT)).section('\n', 1));
    m_pDumpBox->setStatusTip(FromAnsi(LoadString(IDS_DUMP_COLUMNS_PROMPT)).section('\n', 0, 0));
    connect(m_pDumpBox, &QComboBox::activated, this, [this](int nIndex) {
        // The view goes away with its window; only one still open is served.
        if (m_pDumpView && ActiveView() == m_pDumpView)
            m_pDumpView->SetDumpColumns(m_pDumpBox->itemText(nIndex).toInt());
    });

    // The toolbar on top; each search bar in a row of its own below it, so that
    // showing one never squeezes the toolbar's boxes into its overflow menu.
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
    for (int n = 1; n <= 4; ++n) {
        auto* pBar = new QToolBar(QString::fromUtf8("%1. Suchleiste").arg(n), this);
        pBar->setObjectName(QString("searchbar%1").arg(n));
        pBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        m_pBarSearchBoxes[n - 1] = InsertBox(pBar, nullptr, kSearchBoxWidth, true, "barSearchBox");
        const auto [nForward, nBackward] = SearchBarButtons(n);
        for (unsigned nId : {nForward, nBackward})
            if (QAction* pAction = Action(nId)) pBar->addAction(pAction);
        m_pSearchBars[n - 1] = pBar;
        addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, pBar);
        pBar->hide();
    }
    // Pictures on the buttons; the words stay as tool tip and status text. Menus
    // keep their check boxes and plain texts.
    for (QToolBar* pBar :
         {m_pToolBar, m_pSearchBars[0], m_pSearchBars[1], m_pSearchBars[2], m_pSearchBars[3]}) {
        for (QAction* pAction : pBar->actions()) {
            bool bOk = false;
            const unsigned nId = pAction->data().toUInt(&bOk);
            if (!bOk || nId == 0) continue;
            pAction->setIcon(CommandIcon(nId));
            pAction->setIconVisibleInMenu(false);
        }
    }
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* pBar = statusBar();
    pBar->setObjectName("statusBar");
    m_pMessagePane = new QLabel(pBar);
    m_pMessagePane->setObjectName("messagePane");
    pBar->addWidget(m_pMessagePane, 1);
    m_pPositionPane = new QLabel(pBar);
    m_pPositionPane->setObjectName("positionPane");
    pBar->addPermanentWidget(m_pPositionPane);
    for (const char* psz : {"UF", "NUM", "RF"}) {
        auto* pIndicator = new QLabel(psz, pBar);
        pIndicator->setObjectName(QString("indicator") + psz);
        pIndicator->setEnabled(false); // the lock keys' state is not known here
        pBar->addPermanentWidget(pIndicator);
    }
    SetMessageText(LoadString(IDS_READY));
}

std::string CMainFrame::BarName(int nBar) const {
    return nBar == 0 ? std::string("Toolbar") : "Searchbar" + std::to_string(nBar);
}

void CMainFrame::LoadBarState() {
    struct Placed {
        QToolBar* pBar;
        BarSettings s;
    };
    std::vector<Placed> docked;
    for (int nBar = 0; nBar <= 4; ++nBar) {
        QToolBar* pBar = BarByIndex(nBar);
        const BarSettings s = m_settings.ReadBar(BarName(nBar));
        if (s.m_bFloating) {
            // A floating bar stays in the window's layout, as one the user tore
            // off, so that it can be dragged back onto a side.
            pBar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
            pBar->move(s.m_nFloatingLeft, s.m_nFloatingTop);
        } else if (s.m_rcDocking != SettingsRect{}) {
            docked.push_back({pBar, s});
        }
        pBar->setVisible(s.m_bVisible);
    }
    // Bars of one side in the order of their stored positions, each in a row (or,
    // on the left and right, a column) of its own: a bar sharing a row squeezes
    // its neighbour's boxes into the overflow menu. Hidden bars follow the shown
    // ones: a bar never shown has no real position.
    std::stable_sort(docked.begin(), docked.end(), [](const Placed& a, const Placed& b) {
        return std::make_tuple(a.s.m_nDockingBar, !a.s.m_bVisible, a.s.m_rcDocking.m_nTop,
                               a.s.m_rcDocking.m_nLeft) <
               std::make_tuple(b.s.m_nDockingBar, !b.s.m_bVisible, b.s.m_rcDocking.m_nTop,
                               b.s.m_rcDocking.m_nLeft);
    });
    for (const Placed& p : docked) {
        const Qt::ToolBarArea area = AreaOf(p.s.m_nDockingBar);
        removeToolBar(p.pBar);
        addToolBarBreak(area);
        addToolBar(area, p.pBar);
        p.pBar->setVisible(p.s.m_bVisible);
    }
    statusBar()->setVisible(m_settings.StatusbarVisible());
}

void CMainFrame::SaveBarState() {
    for (int nBar = 0; nBar <= 4; ++nBar) {
        QToolBar* pBar = BarByIndex(nBar);
        BarSettings s;
        s.m_bVisible = !pBar->isHidden();
        s.m_bFloating = pBar->isFloating() || pBar->isWindow();
        const QRect rc(pBar->mapToGlobal(QPoint(0, 0)), pBar->size());
        if (s.m_bFloating) {
            s.m_nFloatingTop = rc.top();
            s.m_nFloatingLeft = rc.left();
        } else {
            s.m_rcDocking = SettingsRect{rc.top(), rc.left(), rc.bottom() + 1, rc.right() + 1};
            s.m_nDockingBar = DockBarOf(toolBarArea(pBar));
        }
        m_settings.WriteBar(BarName(nBar), s);
    }
    m_settings.WriteStatusbarVisible(!statusBar()->isHidden());
}

void CMainFrame::RestoreWindowPosition() {
    const auto rc = m_settings.WindowPosition();
    // A position above or left of the screen is not taken; one beyond the screens is
    // brought onto one.
    if (rc && rc->m_nTop >= 0 && rc->m_nLeft >= 0) {
        const QRect stored(rc->m_nLeft, rc->m_nTop, rc->m_nRight - rc->m_nLeft,
                           rc->m_nBottom - rc->m_nTop);
        const QRect screen = ScreenAreaFor(stored);
        // The window's frame lies around this rectangle: room for a title bar above it
        // and borders beside it.
        setGeometry(screen.contains(stored) ? stored
                                            : KeepInside(stored, screen.adjusted(8, 32, -8, -8)));
    }
}

void CMainFrame::SaveWindowPosition() {
    const QRect rc = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (rc.isValid())
        m_settings.WriteWindowPosition({rc.top(), rc.left(), rc.bottom() + 1, rc.right() + 1});
    m_settings.WriteWindowState(isMinimized() ? 2 : isMaximized() ? 3 : 1);
}

// ------------------------------------------------------------------ status bar

void CMainFrame::SetPositionIndicator(uint32_t nLine, uint32_t nTotal, uint32_t nColumn,
                                      uint32_t nCount) {
    std::string format = LoadString(IDS_POSITION_INDICATOR);
    const size_t q = format.find('?');
    if (q != std::string::npos) {
        if (nCount != 0)
            format.replace(q, 2, "%d");
        else if (q > 0)
            format.erase(q - 1, 3);
    }
    char buf[128];
    if (nCount != 0)
        std::snprintf(buf, sizeof buf, format.c_str(), nLine, nTotal, nCount, nColumn);
    else
        std::snprintf(buf, sizeof buf, format.c_str(), nLine, nTotal, nColumn);
    const QString text = FromAnsi(buf);
    // 6 pixels a character less 15 fits the classic status-bar font; a wider font
    // must not cut the text.
    const int nRule = 6 * static_cast<int>(text.size()) - 15;
    const int nNeeded = m_pPositionPane->fontMetrics().horizontalAdvance(text) + 8;
    const int nWidth = std::max({0, nRule, nNeeded});
    m_pPositionPane->setText(text);
    if (nWidth != m_pPositionPane->width()) {
        m_pPositionPane->setFixedWidth(nWidth);
        // A long run repaints the bar without serving events: the panes beside a
        // wider position pane move now, not when the layout gets its turn.
        if (QLayout* pLayout = statusBar()->layout()) pLayout->activate();
    }
}

QString CMainFrame::PositionText() const {
    return m_pPositionPane->text();
}

void CMainFrame::ClearPositionIndicator() {
    m_pPositionPane->clear();
}

std::string CMainFrame::GetMessageText() const {
    return m_messageText;
}

void CMainFrame::RememberMessage(QMdiSubWindow* pWindow, const std::string& text) {
    if (pWindow) pWindow->setProperty(kMessageProperty, QByteArray::fromStdString(text));
}

void CMainFrame::SetMessageText(const std::string& text) {
    m_messageText = text;
    // Each window keeps its last message: switching back shows it again.
    RememberMessage(m_pMdiArea ? m_pMdiArea->currentSubWindow() : nullptr, text);
    // A hovered item's hint must not hide the result of a command.
    statusBar()->clearMessage();
    QString shown = FromAnsi(text);
    while (shown.endsWith('\n') || shown.endsWith('\r'))
        shown.chop(1);
    m_pMessagePane->setText(shown);
}

void CMainFrame::RepaintStatusBar() {
    statusBar()->repaint();
}

bool CMainFrame::GetMessagePaneRect(PixelRect& rc) const {
    if (statusBar()->isHidden()) return false;
    const QRect r = m_pMessagePane->geometry();
    rc = PixelRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    return true;
}

void CMainFrame::ShowProgressBar(const PixelRect& rc, int nRange) {
    if (!m_pProgress) {
        m_pProgress = new QProgressBar(statusBar());
        m_pProgress->setObjectName("progressBar");
        m_pProgress->setTextVisible(false);
    }
    m_pProgress->setRange(0, nRange);
    m_pProgress->setValue(0);
    m_pProgress->setGeometry(rc.m_nLeft, rc.m_nTop, rc.m_nRight - rc.m_nLeft,
                             rc.m_nBottom - rc.m_nTop);
    m_pProgress->show();
}

void CMainFrame::SetProgress(int nPos) {
    if (m_pProgress) m_pProgress->setValue(nPos);
}

void CMainFrame::RemoveProgressBar() {
    delete m_pProgress;
    m_pProgress = nullptr;
}

// ------------------------------------------------------------------ documents

void CMainFrame::AddOpenDocument(CTervikDoc* pDoc) {
    m_pOpenDocuments->Append(&pDoc);
}

void CMainFrame::RemoveOpenDocument(CTervikDoc* pDoc) {
    // From the end: closing everything goes from the newest document back.
    for (uint32_t i = m_pOpenDocuments->Count(); i-- > 0;) {
        if (*m_pOpenDocuments->AtAs<CTervikDoc*>(i) == pDoc) {
            m_pOpenDocuments->Remove(i, 1);
            return;
        }
    }
}

void CMainFrame::BroadcastScroll(CTervikDoc* pDoc, CTervikView* pView, int nScrollCode, int nPos,
                                 bool bHorizontal) {
    if (!m_bSyncScroll) return;
    // Every other view of every open document follows, without passing it on.
    for (uint32_t i = 0; i < m_pOpenDocuments->Count(); ++i) {
        CTervikDoc* pOther = *m_pOpenDocuments->AtAs<CTervikDoc*>(i);
        for (IDocumentView* p : pOther->Views()) {
            auto* pTarget = dynamic_cast<CTervikView*>(p);
            if (!pTarget || (pTarget == pView && pOther == pDoc)) continue;
            if (bHorizontal)
                pTarget->OnHScroll(static_cast<ScrollCode>(nScrollCode), nPos, false);
            else
                pTarget->OnVScroll(static_cast<ScrollCode>(nScrollCode), nPos, false);
        }
    }
}

void CMainFrame::ShowDumpBox(int nColumns, CTervikView* pView) {
    m_pDumpView = pView;
    if (nColumns <= 0) {
        m_pDumpBox->setCurrentIndex(-1);
        return;
    }
    m_pDumpBox->setCurrentIndex(m_pDumpBox->findText(QString::number(nColumns)));
    m_pDumpBox->setEnabled(true);
}

void CMainFrame::HideDumpBox() {
    m_pDumpBox->setCurrentIndex(-1);
    m_pDumpBox->setEnabled(false);
}

// ------------------------------------------------------------------ window

void CMainFrame::closeEvent(QCloseEvent* pEvent) {
    // Workspace and recording end first; then the layout is stored, unless minimized.
    m_app.CloseWorkspace();
    if (!isMinimized()) SaveBarState();
    SaveWindowPosition();
    m_pMdiArea->closeAllSubWindows();
    if (!m_pMdiArea->subWindowList().isEmpty()) {
        pEvent->ignore();
        return;
    }
    m_pIdleTimer->stop();
    pEvent->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* pEvent) {
    if (pEvent->mimeData()->hasUrls()) pEvent->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* pEvent) {
    for (const QUrl& url : pEvent->mimeData()->urls())
        if (url.isLocalFile()) m_app.OpenDocumentFile(url.toLocalFile().toStdString());
}

} // namespace tervik
