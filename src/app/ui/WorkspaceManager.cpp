#include "app/ui/WorkspaceManager.h"

#include "app/WorkspacePlayer.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "app/ui/WaitCursor.h"
#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "framework/MessageBoxTypes.h"
#include "framework/ui/BusyPump.h"
#include "framework/ui/FileDialogs.h"
#include "platform/CodePage.h"
#include "platform/SysError.h"
#include "platform/SysPaths.h"
#include "search/BusyProgress.h"
#include "views/ui/TervikView.h"

#include <QMdiArea>
#include <QPointer>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace tervik {

namespace {

// The frame a view sits in.
CChildFrame* FrameOf(QWidget* pView) {
    for (QWidget* p = pView; p; p = p->parentWidget())
        if (auto* pFrame = qobject_cast<CChildFrame*>(p)) return pFrame;
    return nullptr;
}

std::string FolderOf(const std::string& path) {
    const size_t n = path.find_last_of('/');
    return n == std::string::npos ? std::string() : path.substr(0, n);
}

WsWindow WindowOf(CTervikView& view, CChildFrame& frame, std::optional<int64_t> nSplitter) {
    WsWindow w;
    w.m_nId = view.m_nViewId;
    const QRect rc = frame.NormalRect();
    w.m_position = WsRect{rc.top(), rc.top() + rc.height(), rc.left(), rc.left() + rc.width()};
    switch (frame.ShowState()) {
    case 2:
        w.m_state = "MINIMIZED";
        w.m_point = WsPoint{frame.pos().x(), frame.pos().y()};
        break;
    case 3:
        w.m_state = "MAXIMIZED";
        w.m_point = WsPoint{frame.pos().x(), frame.pos().y()};
        break;
    default:
        w.m_state = "NORMAL";
        break;
    }
    w.m_nSplitter = nSplitter;
    w.m_nLine = view.TopLine();
    w.m_nRow = static_cast<uint32_t>(std::max(0, view.LeftColumn()));
    w.m_nDump = static_cast<int64_t>(view.DumpTop());
    w.m_bHide = view.OnlySelected();
    w.m_nMode = static_cast<int>(view.Mode());
    return w;
}

} // namespace

// ------------------------------------------------------------------ commands

void CWorkspaceManager::OnOpen() {
    FileDialogRequest request;
    request.m_filter = LoadString(IDS_WORKSPACE_FILTER);
    request.m_defaultExt = "tervik";
    const std::optional<std::string> path = AskFileName(request, m_app.MainFrame());
    if (!path) return;
    if (!m_app.m_workspace.empty()) Close();
    m_app.m_workspace = AbsolutePath(CTervikApp::NormalizeFileName(*path));
    CWaitCursor wait;
    Load();
}

void CWorkspaceManager::OnSave() {
    if (!m_app.m_workspace.empty()) Save();
}

void CWorkspaceManager::OnSaveAs() {
    FileDialogRequest request;
    request.m_bSave = true;
    request.m_filter = LoadString(IDS_WORKSPACE_FILTER);
    request.m_defaultExt = "tervik";
    if (CTervikView* pView = m_app.MainFrame() ? m_app.MainFrame()->ActiveView() : nullptr)
        request.m_folder = FolderOf(pView->GetDocument().GetPathName());
    const std::optional<std::string> path = AskFileName(request, m_app.MainFrame());
    if (!path) return;
    m_app.m_workspace = AbsolutePath(CTervikApp::NormalizeFileName(*path));
    // A failed save keeps the flag: closing still asks.
    if (Save()) m_app.m_bWorkspaceModified = false;
}

void CWorkspaceManager::OnClose() {
    Close();
}

void CWorkspaceManager::OnUpdateCommand(CCmdUI& ui) {
    ui.Enable(!m_app.m_workspace.empty());
}

// ------------------------------------------------------------------ close

void CWorkspaceManager::Close() {
    if (m_app.m_workspace.empty()) return;
    if (m_app.m_bWorkspaceModified &&
        m_app.MessageBox(FormatString(IDS_SAVE_WORKSPACE, PathToAnsi(m_app.m_workspace).c_str()),
                         MB_YESNO | MB_ICONQUESTION) == IDYES)
        Save();
    // Every window goes now, not at the next turn of the event loop: a workspace
    // loaded next may name the same files.
    if (CMainFrame* pMain = m_app.MainFrame()) {
        // Newest first, with the area hidden: no window left behind is renumbered or
        // activated, and the focus does not wander through every other window.
        QMdiArea* pArea = pMain->MdiArea();
        const QList<QMdiSubWindow*> windows = pArea->subWindowList(QMdiArea::CreationOrder);
        const bool bVisible = pArea->isVisible();
        if (bVisible) pArea->hide();
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            (*it)->setAttribute(Qt::WA_DeleteOnClose, false);
            (*it)->close();
            delete *it;
        }
        if (bVisible) pArea->show();
    }
    m_app.m_workspace.clear();
    m_app.m_bWorkspaceModified = false;
}

// ------------------------------------------------------------------ errors

void CWorkspaceManager::ReportError(uint32_t nCode, CWorkspaceWriter* pUnfinished) {
    // A failed save leaves the old workspace alone; what may go is the unfinished
    // temporary file beside it, which the message names.
    const bool bCreated = pUnfinished && !pUnfinished->TempPath().empty();
    std::string text =
        ProcessingErrorText(bCreated ? pUnfinished->TempPath() : m_app.m_workspace, nCode);
    if (nCode == kErrDiskFull || bCreated) {
        text += LoadString(IDS_ASK_DELETE_FILE);
        const bool bDelete = m_app.MessageBox(text, MB_YESNO | MB_ICONHAND) == IDYES;
        if (pUnfinished && bDelete)
            pUnfinished->Discard();
        else if (pUnfinished)
            pUnfinished->Keep();
        return;
    }
    m_app.MessageBox(text, MB_OK | MB_ICONHAND);
}

// ------------------------------------------------------------------ save

bool CWorkspaceManager::Save() {
    const std::string& workspace = m_app.m_workspace;
    if (workspace.empty()) return false;
    // Positions and digests are those of whole documents.
    if (!m_app.DocumentManager().AllDocumentsWhole()) return false;
    std::vector<CTervikDoc*> docs;
    std::vector<std::string> paths;
    for (CTervikDoc* pDoc : m_app.Documents())
        if (!pDoc->m_bDeleteOnClose) {
            docs.push_back(pDoc);
            paths.push_back(pDoc->GetPathName());
        }
    // A name the file cannot hold is reported, never written changed or unquoted.
    if (const auto refusal = WorkspaceNamesRefusal(workspace, paths)) {
        m_app.MessageBox(*refusal, MB_OK | MB_ICONHAND);
        return false;
    }
    CWaitCursor wait;

    // The digests are computed while the files open; the save waits for those not
    // yet done, with the window painted and the progress shown per document. No
    // file is touched before they are all there.
    m_app.BeginBusy();
    PixelRect rc;
    const bool bProgress = docs.size() > 0 && m_app.GetMessagePaneRect(rc);
    if (bProgress) m_app.ShowProgressBar(rc, static_cast<int>(docs.size()));
    int nDone = 0;
    for (CTervikDoc* pDoc : docs) {
        while (!pDoc->IsDigestReady()) {
            CBusyPump::Instance().Pump();
            QThread::msleep(5);
        }
        if (bProgress) m_app.SetProgress(++nDone);
        m_app.ServeBusy();
    }
    if (bProgress) m_app.RemoveProgressBar();
    m_app.EndBusy();

    // Each bookmark and each view looked at once, not once per document.
    std::unordered_map<const CTervikDoc*, std::vector<const Bookmark*>> marks;
    for (const Bookmark& b : m_app.Bookmarks().All())
        marks[b.m_pDoc].push_back(&b);
    std::unordered_set<uint64_t> views;
    for (CTervikDoc* pDoc : m_app.Documents())
        for (CChildFrame* pFrame : m_app.DocumentManager().FramesOf(*pDoc))
            for (int k = 0; k < pFrame->PaneCount(); ++k)
                if (CTervikView* pPane = pFrame->Pane(k)) views.insert(pPane->m_nViewId);

    CWorkspaceWriter out;
    if (!out.Create(workspace)) {
        ReportError(out.LastError(), &out);
        return false;
    }
    bool bOk = true;
    for (CTervikDoc* pDoc : docs) {
        WsDocument d;
        d.m_pDoc = pDoc;
        // The windows in the order their views were opened; both panes of a split
        // window together, upper first, so that the loader pairs them rightly.
        std::set<CChildFrame*> written;
        for (IDocumentView* pDocView : pDoc->Views()) {
            auto* pView = dynamic_cast<CTervikView*>(pDocView);
            CChildFrame* pFrame = pView ? FrameOf(pView) : nullptr;
            if (!pFrame || !written.insert(pFrame).second) continue;
            const int nPanes = pFrame->PaneCount();
            for (int k = 0; k < nPanes; ++k)
                if (CTervikView* pPane = pFrame->Pane(k))
                    d.m_windows.push_back(WindowOf(
                        *pPane, *pFrame,
                        nPanes > 1 ? std::optional<int64_t>(pFrame->RowHeight(k)) : std::nullopt));
        }
        for (const Bookmark* b : marks[pDoc]) {
            WsBookmark& wb = d.m_bookmarks.emplace_back();
            wb.m_text = b->m_name;
            wb.m_nLine = b->m_nLine;
            wb.m_nColumn = b->m_nColumn;
            wb.m_nLen = b->m_nLength;
            // A bookmark whose window has closed belongs to no view.
            wb.m_nViewId = b->m_nViewId && views.count(b->m_nViewId) ? b->m_nViewId : 0;
            wb.m_nFlag = b->m_nFlags;
        }
        std::string text;
        AppendWorkspaceDocument(workspace, d, m_app.Colours(), text);
        if (!out.Put(text)) {
            bOk = false;
            break;
        }
    }
    if (bOk && m_app.MainFrame())
        if (CTervikView* pView = m_app.MainFrame()->ActiveView())
            bOk = out.Put(WorkspaceActiveLine(pView->m_nViewId));
    if (!bOk || !out.Commit()) {
        ReportError(out.LastError(), &out);
        return false;
    }
    m_app.m_bWorkspaceModified = false;
    return true;
}

// ------------------------------------------------------------------ load

namespace {

// The views a workspace's lines name by ID, found in constant time. A view whose ID
// the loader overwrites keeps a stale entry under the old ID, which lookups skip.
class CViewIndex {
public:
    void Add(CTervikView* pView) { m_views[pView->m_nViewId].emplace_back(pView); }
    CTervikView* Find(uint64_t nId) {
        const auto it = m_views.find(nId);
        if (it == m_views.end()) return nullptr;
        auto& list = it->second;
        std::erase_if(list,
                      [nId](const QPointer<CTervikView>& p) { return !p || p->m_nViewId != nId; });
        return list.empty() ? nullptr : list.front().data();
    }

private:
    std::unordered_map<uint64_t, std::vector<QPointer<CTervikView>>> m_views;
};

// The player's target in the viewer: documents, windows, panes and bookmarks.
class CWindowTarget : public IWorkspaceTarget {
public:
    CWindowTarget(CTervikApp& app, CBusyProgress& progress,
                  std::deque<CWorkspaceManager::PendingDigest>& pendingDigests)
        : m_app(app), m_progress(progress), m_pendingDigests(pendingDigests) {
        for (CTervikDoc* pDoc : app.Documents())
            for (CChildFrame* pFrame : app.DocumentManager().FramesOf(*pDoc))
                for (int k = 0; k < pFrame->PaneCount(); ++k)
                    if (CTervikView* pPane = pFrame->Pane(k)) m_index.Add(pPane);
    }
    // The documents the workspace named, each once, in file order.
    const std::vector<CTervikDoc*>& Touched() const { return m_touched; }

    bool KeepGoing(uint64_t nRead, uint64_t nSize) override {
        return m_progress.Step(nRead, nSize);
    }
    bool OpenDocument(const std::string& path, const WsFileOpen& f) override {
        m_pFrame = nullptr;
        m_pView = nullptr;
        m_pDoc = m_app.OpenDocumentFile(path);
        // Opening showed a bar of its own.
        m_progress.ShowAgain();
        if (!m_pDoc) return false;
        // A document met for the first time brings its views into the index.
        if (m_touchedSet.insert(m_pDoc).second) {
            m_touched.push_back(m_pDoc);
            for (IDocumentView* p : m_pDoc->Views())
                if (auto* pView = dynamic_cast<CTervikView*>(p)) m_index.Add(pView);
        }
        // The digest of a large file may still be in the making: it is compared
        // when it is ready, so that loading does not wait for it.
        if (!f.m_md5.empty()) m_pendingDigests.push_back({m_pDoc, m_pDoc->GetPathName(), f.m_md5});
        return true;
    }
    void TakeFirstWindow() override {
        m_pView = nullptr;
        for (IDocumentView* p : m_pDoc->Views())
            if ((m_pView = dynamic_cast<CTervikView*>(p))) break;
        m_pFrame = m_pView ? FrameOf(m_pView) : nullptr;
    }
    void NewWindow() override {
        m_pFrame = m_app.DocumentManager().CreateFrame(*m_pDoc);
        m_pView = m_pFrame ? m_pFrame->ActiveView() : nullptr;
    }
    void SplitWindow(int nUpper) override {
        if (m_pFrame) m_pFrame->SplitRows(nUpper);
        m_pView = m_pFrame ? m_pFrame->ActiveView() : nullptr;
    }
    void PlaceWindow(const WsPlacement& place) override {
        if (!m_pFrame) return;
        QRect rc;
        if (place.m_rect) {
            const WsRect& r = *place.m_rect;
            rc = QRect(r.m_nLeft, r.m_nTop, r.m_nRight - r.m_nLeft, r.m_nBottom - r.m_nTop);
        }
        m_pFrame->ApplyPlacement(rc, place.m_eState == WorkspaceState::kMaximized   ? 3
                                     : place.m_eState == WorkspaceState::kMinimized ? 2
                                                                                    : 1);
    }
    void SetViewFields(const WsWindow& w) override {
        if (!m_pView) return;
        CTervikView& view = *m_pView;
        if (w.m_nId) view.m_nViewId = *w.m_nId;
        const DisplayMode eMode = w.m_nMode ? static_cast<DisplayMode>(*w.m_nMode) : view.Mode();
        view.RestoreState(eMode, w.m_nLine.value_or(view.TopLine()),
                          w.m_nRow ? static_cast<int>(std::min<uint32_t>(*w.m_nRow, INT32_MAX))
                                   : view.LeftColumn(),
                          w.m_nDump ? static_cast<uint64_t>(std::max<int64_t>(0, *w.m_nDump))
                                    : view.DumpTop(),
                          w.m_bHide || view.OnlySelected());
        m_index.Add(m_pView);
    }
    void SelectRecord(const WsSelectRecord& s) override { ApplySelectRecord(*m_pDoc, s); }
    bool HasView(uint64_t nId) override { return m_index.Find(nId) != nullptr; }
    void AddBookmark(const WsBookmark& b) override {
        m_app.Bookmarks().Add(m_pDoc, b.m_nViewId, *b.m_text, *b.m_nLine, *b.m_nColumn, *b.m_nLen,
                              b.m_nFlag);
    }
    void ActivateView(uint64_t nId) override {
        if (CTervikView* pView = m_index.Find(nId))
            if (CChildFrame* pActive = FrameOf(pView))
                m_app.DocumentManager().SetLoadedActive(*pActive, pView);
    }

private:
    CTervikApp& m_app;
    CBusyProgress& m_progress;
    std::deque<CWorkspaceManager::PendingDigest>& m_pendingDigests;
    CViewIndex m_index;
    std::vector<CTervikDoc*> m_touched;
    std::unordered_set<CTervikDoc*> m_touchedSet;
    CTervikDoc* m_pDoc = nullptr;
    CChildFrame* m_pFrame = nullptr;
    CTervikView* m_pView = nullptr;
};

} // namespace

void CWorkspaceManager::Load() {
    if (m_app.m_workspace.empty()) return;
    // The path is kept: removing a document that failed to open must not forget
    // the workspace the rest of the file is resolved against.
    const std::string workspace = m_app.m_workspace;
    // A file that fails or is no workspace does not stay the open one: saving would
    // write over it.
    auto forget = [this] {
        m_app.m_workspace.clear();
        m_app.m_bWorkspaceModified = false;
    };
    CWorkspaceReader in;
    uint32_t nError = 0;
    if (!in.Open(workspace, nError)) {
        ReportError(nError);
        forget();
        return;
    }
    m_app.m_bLoadingWorkspace = true;
    m_app.DocumentManager().BeginLoadingFrames();
    CWorkspacePlayer::Result r;
    std::vector<CTervikDoc*> touched;
    {
        // Progress over the file's bytes; Escape stops, and what was rebuilt stays.
        CBusyProgress progress(m_app);
        // The document area is painted once at the end: with thousands of windows
        // every paint in between would cost a pass over all of them.
        QWidget* pArea = m_app.MainFrame() ? m_app.MainFrame()->MdiArea() : nullptr;
        const bool bUpdates = pArea && pArea->updatesEnabled();
        if (bUpdates) pArea->setUpdatesEnabled(false);
        const auto restoreUpdates = qScopeGuard([pArea, bUpdates] {
            if (bUpdates) pArea->setUpdatesEnabled(true);
        });
        CWindowTarget target(m_app, progress, m_pendingDigests);
        CWorkspacePlayer player(target, workspace);
        r = player.Play(in);
        touched = target.Touched();
    }
    for (CTervikDoc* p : touched)
        if (m_app.DocumentManager().IsOpenDocument(p))
            p->UpdateAllViews(nullptr, HINT_RECORDS_APPENDED);
    m_app.DocumentManager().FinishLoadingFrames();
    m_app.m_bLoadingWorkspace = false;
    m_app.DocumentManager().WriteRecentFiles();
    m_app.m_workspace = workspace;
    switch (r.m_eOutcome) {
    case CWorkspacePlayer::kReadError:
        ReportError(r.m_nError);
        forget(); // what was rebuilt stays
        break;
    case CWorkspacePlayer::kStopped:
        forget();
        m_app.SetStatusText(LoadString(IDS_WORKSPACE_STOPPED));
        break;
    case CWorkspacePlayer::kForeign:
        forget();
        m_app.MessageBox(FormatString(IDS_NOT_A_WORKSPACE, PathToAnsi(workspace).c_str()),
                         MB_OK | MB_ICONHAND);
        break;
    case CWorkspacePlayer::kDone:
        m_app.m_bWorkspaceModified = false;
        break;
    }
    CheckDigestsLater();
}

void CWorkspaceManager::CheckDigestsLater() {
    // In file order, each looked at once; documents closed meanwhile are not asked.
    while (!m_pendingDigests.empty()) {
        const auto& [pDoc, path, md5] = m_pendingDigests.front();
        if (m_app.DocumentManager().IsOpenDocument(pDoc) && pDoc->GetPathName() == path) {
            if (!pDoc->IsDigestReady()) break;
            const std::string digest = pDoc->GetDigest();
            if (!digest.empty() && !SameWorkspaceDigest(digest, md5)) {
                const std::string text = ChangedFileMessage(pDoc->GetPathName());
                m_pendingDigests.pop_front();
                m_app.MessageBox(text, MB_OK | MB_ICONINFORMATION);
                continue;
            }
        }
        m_pendingDigests.pop_front();
    }
    if (!m_pendingDigests.empty()) QTimer::singleShot(50, &m_app, [this] { CheckDigestsLater(); });
}

} // namespace tervik
