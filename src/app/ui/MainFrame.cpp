#include "app/ui/MainFrame.h"

#include "app/ui/ChildFrame.h"
#include "app/ui/MainMenu.h"
#include "app/ui/TervikApp.h"
#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "app/ui/DocumentManager.h"
#include "framework/CommandIds.h"
#include "framework/CommandNeeds.h"
#include "framework/MenuLayout.h"
#include "framework/ui/QtText.h"
#include "framework/ui/WindowPlacement.h"
#include "search/ui/SearchBox.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <functional>

namespace tervik {

namespace {

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
    m_pMainMenu = std::make_unique<CMainMenu>(*this, m_app);
    CreateToolBars();
    CreateStatusBar();
    // Enter in a search box: "Weitersuchen" with that box's text, in the view that
    // was active when the box got the focus.
    for (QComboBox* p : {m_pSearchBox, m_pBarSearchBoxes[0], m_pBarSearchBoxes[1],
                         m_pBarSearchBoxes[2], m_pBarSearchBoxes[3]}) {
        auto* pBox = static_cast<CSearchBox*>(p);
        pBox->SetActiveViewSource([this]() -> QWidget* { return ActiveView(); });
        pBox->SetEnterHandler([this](CSearchBox& box) {
            auto* pView = qobject_cast<CTervikView*>(box.RememberedView());
            if (!pView) return;
            if (!m_app.DocumentManager().WholeDocument(pView->GetDocument()))
                return;
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
    // A command that needs every record waits for a cut still running; Escape there
    // drops the command, not the cut.
    CDocumentManager& docs = m_app.DocumentManager();
    switch (RecordNeedOf(nId)) {
    case RecordNeed::None:
        break;
    case RecordNeed::ActiveDocument:
        if (CTervikView* pView = ActiveView(); pView && pView->GetDocument().IsCutting()) {
            if (!docs.WholeDocument(pView->GetDocument())) return false;
            if (!m_pRouter->Update(nId).m_bEnabled) return false;
        }
        break;
    case RecordNeed::AllDocuments:
        if (!docs.AllDocumentsWhole()) return false;
        break;
    }
    return m_pRouter->Execute(nId);
}

CCmdUI CMainFrame::UpdateCommand(unsigned nId) {
    return m_pRouter->Update(nId);
}

void CMainFrame::SetDocumentMenus(bool bDocument) {
    m_pMainMenu->SetDocumentMenus(bDocument);
}

QMenu* CMainFrame::Menu(int nIndex) const {
    return m_pMainMenu->Menu(nIndex);
}

CChildFrame* CMainFrame::ActiveFrame() const {
    return qobject_cast<CChildFrame*>(m_pMdiArea->activeSubWindow());
}

CTervikView* CMainFrame::ActiveView() const {
    CChildFrame* pFrame = ActiveFrame();
    return pFrame ? pFrame->ActiveView() : nullptr;
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
        if (url.isLocalFile()) m_app.OpenDocumentFile(ToPath(url.toLocalFile()));
}

} // namespace tervik
