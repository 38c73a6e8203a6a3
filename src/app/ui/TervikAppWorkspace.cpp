// The workspace commands of the application: saving what is open, rebuilding it,
// and the bookkeeping of the open workspace.

#include "app/WorkspaceFormat.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
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

#include <QGuiApplication>
#include <QMdiArea>
#include <QPointer>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
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

// The wait cursor for the length of a scope.
class CWaitCursor {
public:
    CWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

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

void CTervikApp::OnWorkspaceOpen() {
    FileDialogRequest request;
    request.m_filter = LoadString(IDS_WORKSPACE_FILTER);
    request.m_defaultExt = "tervik";
    const std::optional<std::string> path = AskFileName(request, m_pMainFrame.get());
    if (!path) return;
    if (!m_workspace.empty()) CloseWorkspace();
    m_workspace = AbsolutePath(NormalizeFileName(*path));
    CWaitCursor wait;
    LoadWorkspace();
}

void CTervikApp::OnWorkspaceSave() {
    if (!m_workspace.empty()) SaveWorkspace();
}

void CTervikApp::OnWorkspaceSaveAs() {
    FileDialogRequest request;
    request.m_bSave = true;
    request.m_filter = LoadString(IDS_WORKSPACE_FILTER);
    request.m_defaultExt = "tervik";
    if (CTervikView* pView = m_pMainFrame ? m_pMainFrame->ActiveView() : nullptr)
        request.m_folder = FolderOf(pView->GetDocument().GetPathName());
    const std::optional<std::string> path = AskFileName(request, m_pMainFrame.get());
    if (!path) return;
    m_workspace = AbsolutePath(NormalizeFileName(*path));
    // A failed save keeps the flag: closing still asks.
    if (SaveWorkspace()) m_bWorkspaceModified = false;
}

void CTervikApp::OnWorkspaceClose() {
    CloseWorkspace();
}

void CTervikApp::OnUpdateWorkspaceCommand(CCmdUI& ui) {
    ui.Enable(!m_workspace.empty());
}

// ------------------------------------------------------------------ close

void CTervikApp::CloseWorkspace() {
    if (m_workspace.empty()) return;
    if (m_bWorkspaceModified &&
        MessageBox(FormatString(IDS_SAVE_WORKSPACE, PathToAnsi(m_workspace).c_str()),
                   MB_YESNO | MB_ICONQUESTION) == IDYES)
        SaveWorkspace();
    // Every window goes now, not at the next turn of the event loop: a workspace
    // loaded next may name the same files.
    if (m_pMainFrame) {
        // Newest first, with the area hidden: no window left behind is renumbered or
        // activated, and the focus does not wander through every other window.
        QMdiArea* pArea = m_pMainFrame->MdiArea();
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
    m_workspace.clear();
    m_bWorkspaceModified = false;
}

// ------------------------------------------------------------------ errors

void CTervikApp::ReportWorkspaceError(uint32_t nCode, CWorkspaceWriter* pUnfinished) {
    // A failed save leaves the old workspace alone; what may go is the unfinished
    // temporary file beside it, which the message names.
    const bool bCreated = pUnfinished && !pUnfinished->TempPath().empty();
    std::string text = ProcessingErrorText(bCreated ? pUnfinished->TempPath() : m_workspace, nCode);
    if (nCode == kErrDiskFull || bCreated) {
        text += LoadString(IDS_ASK_DELETE_FILE);
        const bool bDelete = MessageBox(text, MB_YESNO | MB_ICONHAND) == IDYES;
        if (pUnfinished && bDelete)
            pUnfinished->Discard();
        else if (pUnfinished)
            pUnfinished->Keep();
        return;
    }
    MessageBox(text, MB_OK | MB_ICONHAND);
}

// ------------------------------------------------------------------ save

bool CTervikApp::SaveWorkspace() {
    if (m_workspace.empty()) return false;
    std::vector<CTervikDoc*> docs;
    for (CTervikDoc* pDoc : m_documents)
        if (!pDoc->m_bDeleteOnClose) docs.push_back(pDoc);
    // A name the file cannot hold is reported, never written changed or unquoted.
    for (CTervikDoc* pDoc : docs) {
        const std::string& path = pDoc->GetPathName();
        if (const auto refusal = WorkspacePathRefusal(path, MakeRelativePath(m_workspace, path))) {
            MessageBox(*refusal, MB_OK | MB_ICONHAND);
            return false;
        }
    }
    CWaitCursor wait;

    // The digests are computed while the files open; the save waits for those not
    // yet done, with the window painted and the progress shown per document. No
    // file is touched before they are all there.
    BeginBusy();
    PixelRect rc;
    const bool bProgress = docs.size() > 0 && GetMessagePaneRect(rc);
    if (bProgress) ShowProgressBar(rc, static_cast<int>(docs.size()));
    int nDone = 0;
    for (CTervikDoc* pDoc : docs) {
        while (!pDoc->IsDigestReady()) {
            CBusyPump::Instance().Pump();
            QThread::msleep(5);
        }
        if (bProgress) SetProgress(++nDone);
        ServeBusy();
    }
    if (bProgress) RemoveProgressBar();
    EndBusy();

    // Each bookmark and each view looked at once, not once per document.
    std::unordered_map<const CTervikDoc*, std::vector<const Bookmark*>> marks;
    for (const Bookmark& b : m_bookmarks.All())
        marks[b.m_pDoc].push_back(&b);
    std::unordered_set<uint64_t> views;
    for (const auto& [pDoc, frames] : m_frames)
        for (CChildFrame* pFrame : frames)
            for (int k = 0; k < pFrame->PaneCount(); ++k)
                if (CTervikView* pPane = pFrame->Pane(k)) views.insert(pPane->m_nViewId);

    CWorkspaceWriter out;
    if (!out.Create(m_workspace)) {
        ReportWorkspaceError(out.LastError(), &out);
        return false;
    }
    bool bOk = true;
    for (CTervikDoc* pDoc : docs) {
        WsFileOpen f;
        f.m_path = MakeRelativePath(m_workspace, pDoc->GetPathName());
        f.m_md5 = pDoc->GetDigest();
        if (pDoc->m_nFixedSize) f.m_nRecSize = pDoc->m_nFixedSize;
        f.m_nTab = pDoc->m_nTabSize;
        std::string text = WorkspaceFileOpenLine(f);

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
                    text += WorkspaceWindowLine(WindowOf(
                        *pPane, *pFrame,
                        nPanes > 1 ? std::optional<int64_t>(pFrame->RowHeight(k)) : std::nullopt));
        }
        AppendSelectRecordLines(*pDoc, m_colours, text);
        for (const Bookmark* b : marks[pDoc]) {
            WsBookmark wb;
            wb.m_text = b->m_name;
            wb.m_nLine = b->m_nLine;
            wb.m_nColumn = b->m_nColumn;
            wb.m_nLen = b->m_nLength;
            // A bookmark whose window has closed belongs to no view.
            wb.m_nViewId = b->m_nViewId && views.count(b->m_nViewId) ? b->m_nViewId : 0;
            wb.m_nFlag = b->m_nFlags;
            text += WorkspaceBookmarkLine(wb);
        }
        if (!out.Put(text)) {
            bOk = false;
            break;
        }
    }
    if (bOk && m_pMainFrame)
        if (CTervikView* pView = m_pMainFrame->ActiveView())
            bOk = out.Put(WorkspaceActiveLine(pView->m_nViewId));
    if (!bOk || !out.Commit()) {
        ReportWorkspaceError(out.LastError(), &out);
        return false;
    }
    m_bWorkspaceModified = false;
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

} // namespace

void CTervikApp::LoadWorkspace() {
    if (m_workspace.empty()) return;
    // The path is kept: removing a document that failed to open must not forget
    // the workspace the rest of the file is resolved against.
    const std::string workspace = m_workspace;
    // A file that fails or is no workspace does not stay the open one: saving would
    // write over it.
    auto forget = [this] {
        m_workspace.clear();
        m_bWorkspaceModified = false;
    };
    CWorkspaceReader in;
    uint32_t nError = 0;
    if (!in.Open(workspace, nError)) {
        ReportWorkspaceError(nError);
        forget();
        return;
    }
    m_bLoadingWorkspace = true;
    BeginLoadingFrames();
    CViewIndex index;
    for (const auto& [pDoc, frames] : m_frames)
        for (CChildFrame* pFrame : frames)
            for (int k = 0; k < pFrame->PaneCount(); ++k)
                if (CTervikView* pPane = pFrame->Pane(k)) index.Add(pPane);
    // Documents whose views get their stored state at the end, each once.
    std::vector<CTervikDoc*> touched;
    std::unordered_set<CTervikDoc*> touchedSet;
    CTervikDoc* pDoc = nullptr;
    CChildFrame* pFrame = nullptr;
    int nWindow = 0;
    int nSplit = 0;
    int nUpper = 0;
    bool bKeyword = false;
    bool bStopped = false;
    auto placement = [](CChildFrame& frame, const WsWindow& w) {
        const std::optional<WorkspaceState> state = w.State();
        if (!state || *state == WorkspaceState::kOther) return;
        QRect rc;
        if (w.m_position) {
            const WsRect& r = *w.m_position;
            rc = QRect(r.m_nLeft, r.m_nTop, r.m_nRight - r.m_nLeft, r.m_nBottom - r.m_nTop);
        }
        frame.ApplyPlacement(rc, *state == WorkspaceState::kMaximized   ? 3
                                 : *state == WorkspaceState::kMinimized ? 2
                                                                        : 1);
    };
    auto viewFields = [](CTervikView& view, const WsWindow& w) {
        if (w.m_nId) view.m_nViewId = *w.m_nId;
        const DisplayMode eMode = w.m_nMode ? static_cast<DisplayMode>(*w.m_nMode) : view.Mode();
        view.RestoreState(eMode, w.m_nLine.value_or(view.TopLine()),
                          w.m_nRow ? static_cast<int>(std::min<uint32_t>(*w.m_nRow, INT32_MAX))
                                   : view.LeftColumn(),
                          w.m_nDump ? static_cast<uint64_t>(std::max<int64_t>(0, *w.m_nDump))
                                    : view.DumpTop(),
                          w.m_bHide || view.OnlySelected());
    };

    std::string line;
    CWorkspaceReader::Result r;
    {
        // Progress over the file's bytes; Escape stops, and what was rebuilt stays.
        CBusyProgress progress(*this);
        // The document area is painted once at the end: with thousands of windows
        // every paint in between would cost a pass over all of them.
        QWidget* pArea = m_pMainFrame ? m_pMainFrame->MdiArea() : nullptr;
        const bool bUpdates = pArea && pArea->updatesEnabled();
        if (bUpdates) pArea->setUpdatesEnabled(false);
        const auto restoreUpdates = qScopeGuard([pArea, bUpdates] {
            if (bUpdates) pArea->setUpdatesEnabled(true);
        });
        while ((r = in.NextLine(line, nError)) == CWorkspaceReader::kLine) {
            if (!progress.Step(in.BytesRead(), in.FileSize())) {
                bStopped = true;
                break;
            }
            const WorkspaceLine cmd = ParseWorkspaceLine(line);
            bKeyword = bKeyword || cmd.m_bKeyword;
            switch (cmd.m_eKind) {
            case WorkspaceLine::kFileOpen: {
                pDoc = nullptr;
                pFrame = nullptr;
                nWindow = 0;
                if (!cmd.m_bHasPath) break;
                const std::string path = ResolveRelativePath(workspace, cmd.m_fileOpen.m_path);
                pDoc = OpenDocumentFile(path);
                // Opening showed a bar of its own.
                progress.ShowAgain();
                if (!pDoc) break;
                // A document met for the first time brings its views into the index.
                if (touchedSet.insert(pDoc).second) {
                    touched.push_back(pDoc);
                    for (IDocumentView* p : pDoc->Views())
                        if (auto* pView = dynamic_cast<CTervikView*>(p)) index.Add(pView);
                }
                if (cmd.m_fileOpen.m_md5.empty()) break;
                // The digest of a large file may still be in the making: it is compared
                // when it is ready, so that loading does not wait for it.
                m_pendingDigests.emplace_back(pDoc, cmd.m_fileOpen.m_md5);
                break;
            }
            case WorkspaceLine::kWindows: {
                if (!pDoc) break;
                const WsWindow& w = cmd.m_window;
                CTervikView* pView = nullptr;
                if (nWindow == 0) {
                    // The window that opening made (the first one of the document).
                    for (IDocumentView* p : pDoc->Views())
                        if ((pView = dynamic_cast<CTervikView*>(p))) break;
                    pFrame = pView ? FrameOf(pView) : nullptr;
                    if (pFrame) placement(*pFrame, w);
                    if (w.m_nSplitter) {
                        ++nSplit;
                        nUpper =
                            static_cast<int>(std::clamp<int64_t>(*w.m_nSplitter, 0, 100000)) + 2;
                    }
                } else {
                    bool bNewWindow = true;
                    if (w.m_nSplitter) {
                        ++nSplit;
                        if (nSplit == 2) {
                            if (pFrame) pFrame->SplitRows(nUpper);
                            nSplit = 0;
                            pView = pFrame ? pFrame->ActiveView() : nullptr;
                            bNewWindow = false;
                        } else {
                            nUpper =
                                static_cast<int>(std::clamp<int64_t>(*w.m_nSplitter, 0, 100000)) +
                                2;
                        }
                    }
                    if (bNewWindow) {
                        pFrame = CreateFrame(*pDoc);
                        pView = pFrame ? pFrame->ActiveView() : nullptr;
                        if (pFrame) placement(*pFrame, w);
                    }
                }
                if (pView) {
                    viewFields(*pView, w);
                    index.Add(pView);
                }
                ++nWindow;
                break;
            }
            case WorkspaceLine::kSelectRecord:
                if (pDoc) ApplySelectRecord(*pDoc, cmd.m_select);
                break;
            case WorkspaceLine::kBookmark: {
                if (!pDoc || !cmd.m_bookmark.IsComplete()) break;
                const WsBookmark& b = cmd.m_bookmark;
                const uint64_t nViewId = b.m_nViewId && index.Find(b.m_nViewId) ? b.m_nViewId : 0;
                m_bookmarks.Add(pDoc, nViewId, *b.m_text, *b.m_nLine, *b.m_nColumn, *b.m_nLen,
                                b.m_nFlag);
                break;
            }
            case WorkspaceLine::kActiveView:
                // A view of any document: the last FILE_OPEN may have failed.
                if (cmd.m_nActiveId)
                    if (CTervikView* pView = index.Find(*cmd.m_nActiveId))
                        if (CChildFrame* pActive = FrameOf(pView)) SetLoadedActive(*pActive, pView);
                break;
            default:
                break;
            }
        }
    }
    for (CTervikDoc* p : touched)
        if (IsOpenDocument(p)) p->UpdateAllViews(nullptr, HINT_RECORDS_APPENDED);
    FinishLoadingFrames();
    m_bLoadingWorkspace = false;
    m_pSettings->WriteRecentFiles(m_recentFiles);
    m_workspace = workspace;
    if (r == CWorkspaceReader::kError) {
        ReportWorkspaceError(nError);
        forget(); // what was rebuilt stays
    } else if (bStopped) {
        forget();
        SetStatusText(LoadString(IDS_WORKSPACE_STOPPED));
    } else if (IsForeignToWorkspace(in.BytesRead(), bKeyword)) {
        forget();
        MessageBox(FormatString(IDS_NOT_A_WORKSPACE, PathToAnsi(workspace).c_str()),
                   MB_OK | MB_ICONHAND);
    } else {
        m_bWorkspaceModified = false;
    }
    CheckDigestsLater();
}

void CTervikApp::CheckDigestsLater() {
    // In file order, each looked at once; documents closed meanwhile are not asked.
    while (!m_pendingDigests.empty()) {
        auto& [pDoc, md5] = m_pendingDigests.front();
        if (IsOpenDocument(pDoc)) {
            if (!pDoc->IsDigestReady()) break;
            const std::string digest = pDoc->GetDigest();
            if (!digest.empty() &&
                !std::equal(digest.begin(), digest.end(), md5.begin(), md5.end(),
                            [](char a, char b) {
                                return std::tolower(static_cast<unsigned char>(a)) ==
                                       std::tolower(static_cast<unsigned char>(b));
                            })) {
                const std::string text =
                    FormatString(IDS_FILE_CHANGED, pDoc->GetPathName().c_str());
                m_pendingDigests.pop_front();
                MessageBox(text, MB_OK | MB_ICONINFORMATION);
                continue;
            }
        }
        m_pendingDigests.pop_front();
    }
    if (!m_pendingDigests.empty()) QTimer::singleShot(50, this, [this] { CheckDigestsLater(); });
}

} // namespace tervik
