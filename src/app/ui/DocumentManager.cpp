#include "app/ui/DocumentManager.h"

#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "base/Strings.h"
#include "base/TempFolder.h"
#include "document/TervikDoc.h"
#include "document/ui/FollowWatcher.h"
#include "platform/SysPaths.h"
#include "views/ui/TervikView.h"

#include <QMdiArea>
#include <algorithm>

namespace tervik {

namespace {
constexpr size_t kRecentFiles = 8;
// A new window appears once this many records are cut (more than a screen holds).
constexpr uint32_t kFirstScreenRecords = 512;
// How often the windows take up what the cut found.
constexpr int kCutPollMs = 250;
} // namespace

CDocumentManager::CDocumentManager(CTervikApp& app) : m_app(app) {
    m_cutTimer.setInterval(kCutPollMs);
    connect(&m_cutTimer, &QTimer::timeout, this, &CDocumentManager::PollCuts);
}

CDocumentManager::~CDocumentManager() = default;

bool CDocumentManager::LoadingWorkspace() const {
    return m_app.m_bLoadingWorkspace;
}

// ------------------------------------------------------------------ documents

CTervikDoc* CDocumentManager::OpenDocumentFile(const std::string& path, bool bRecent) {
    // The name as the user gave it stays for titles and the recent list (a link such
    // as current.log keeps its name); the resolved form tells whether it is open.
    const std::string full = AbsolutePath(path);
    std::string key = ResolvedPath(full);
    if (key.empty()) key = full;
    if (CTervikDoc* pOpen = FindOpenDocument(key)) {
        ActivateDocument(*pOpen);
        return pOpen;
    }
    // One cut at a time: the status bar has one progress bar.
    if (!AllDocumentsWhole()) return nullptr;
    CMainFrame* pMain = m_app.MainFrame();
    // What the open says belongs to the new window, not to the one active before.
    QMdiSubWindow* pBefore = pMain ? pMain->MdiArea()->currentSubWindow() : nullptr;
    const std::string before = m_app.GetStatusText();
    auto* pDoc = new CTervikDoc(m_app);
    // A window shows the first records while the rest is cut; a workspace applies its
    // records, bookmarks and lines to whole documents only.
    const bool bAtOnce = pMain && !LoadingWorkspace();
    if (!pDoc->BeginOpen(full, bAtOnce ? kFirstScreenRecords : kMaxRecords)) {
        delete pDoc;
        return nullptr;
    }
    if (pDoc->IsCutting()) {
        m_cutting.push_back(pDoc);
        m_cutTimer.start();
    }
    const std::string said = m_app.GetStatusText();
    CMainFrame::RememberMessage(pBefore, before);
    m_openKeys[pDoc] = key;
    m_docsByKey.emplace(key, pDoc);
    if (bRecent) AddToRecentFileList(full);
    CreateFrame(*pDoc);
    // A new window beside others starts ready unless its open had something to say;
    // the first one keeps what the program said at its start.
    if (pBefore && said == before && pMain) m_app.SetStatusText(LoadString(IDS_READY));
    return pDoc;
}

CTervikDoc* CDocumentManager::FindOpenDocument(const std::string& resolvedPath) const {
    const auto it = m_docsByKey.find(resolvedPath);
    return it == m_docsByKey.end() ? nullptr : it->second;
}

bool CDocumentManager::IsOpenDocument(const CTervikDoc* pDoc) const {
    return m_frames.count(pDoc) != 0;
}

const std::vector<CChildFrame*>& CDocumentManager::FramesOf(const CTervikDoc& doc) const {
    static const std::vector<CChildFrame*> none;
    const auto it = m_frames.find(&doc);
    return it == m_frames.end() ? none : it->second;
}

void CDocumentManager::ActivateDocument(CTervikDoc& doc) {
    CMainFrame* pMain = m_app.MainFrame();
    if (!pMain) return;
    QMdiArea* pArea = pMain->MdiArea();
    // The active window when it shows the document, else its first one.
    auto shows = [&doc](QMdiSubWindow* pSub) {
        auto* pFrame = qobject_cast<CChildFrame*>(pSub);
        return pFrame && &pFrame->GetDocument() == &doc ? pFrame : nullptr;
    };
    CChildFrame* pFound =
        shows(LoadingWorkspace() ? m_pLoadActive.data() : pArea->activeSubWindow());
    if (!pFound && !FramesOf(doc).empty()) pFound = FramesOf(doc).front();
    if (!pFound) return;
    if (pFound->isMinimized()) pFound->showNormal();
    if (LoadingWorkspace()) {
        m_pLoadActive = pFound;
        m_pLoadActiveView = nullptr;
        return;
    }
    pArea->setActiveSubWindow(pFound);
    if (CTervikView* pView = pFound->ActiveView()) pView->setFocus();
}

CChildFrame* CDocumentManager::CreateFrame(CTervikDoc& doc) {
    CMainFrame* pMain = m_app.MainFrame();
    QMdiArea* pArea = pMain->MdiArea();
    // Placed before it joins the area, which would otherwise look for a free place
    // among all other windows first.
    auto* pFrame = new CChildFrame(doc, m_app, pMain, pArea->viewport());
    const bool bLoading = LoadingWorkspace();
    QMdiSubWindow* pPrevious = bLoading ? m_pLoadActive.data() : pArea->currentSubWindow();
    pMain->PlaceNewWindow(pFrame, pPrevious);
    // Joining the area, a window that does not stay on top is stacked below those
    // that do, found by a scan that grows with the square of the windows. While a
    // workspace loads and none stays on top, the new window, the newest, is on top
    // anyway: the scan is skipped.
    const bool bSkipScan = bLoading && !m_bLoadOnTop;
    if (bSkipScan) pFrame->setWindowFlags(pFrame->windowFlags() | Qt::WindowStaysOnTopHint);
    pArea->addSubWindow(pFrame);
    if (bSkipScan) pFrame->setWindowFlags(pFrame->windowFlags() & ~Qt::WindowStaysOnTopHint);
    // Only the new window is numbered, and the first one when there are two now.
    const std::vector<CChildFrame*>& frames = FramesOf(doc);
    pMain->NumberWindows(frames, frames.size() == 2 ? 0 : frames.size() - 1);
    if (bLoading) {
        // Every activation makes Qt visit every window, so a workspace's windows are
        // shown disabled (which keeps them from being activated) and only one is
        // activated at the end. A maximized window hands its state on, as
        // activating the new one would have done.
        pFrame->setEnabled(false);
        m_loadFrames.emplace_back(pFrame);
        const bool bMaximized = pPrevious && pPrevious->isMaximized() && pPrevious->isVisible();
        if (bMaximized) pPrevious->showNormal();
        if (bMaximized)
            pFrame->showMaximized();
        else
            pFrame->show();
        m_pLoadActive = pFrame;
        m_pLoadActiveView = nullptr;
        return pFrame;
    }
    pFrame->show();
    if (CTervikView* pView = pFrame->ActiveView()) pView->setFocus();
    return pFrame;
}

bool CDocumentManager::WholeDocument(CTervikDoc& doc) {
    if (!doc.IsCutting()) return true;
    const bool bWhole = doc.CompleteCut();
    if (!doc.IsCutting()) PollCuts();
    return bWhole;
}

bool CDocumentManager::AllDocumentsWhole() {
    for (CTervikDoc* pDoc : std::vector<CTervikDoc*>(m_cutting))
        if (std::find(m_cutting.begin(), m_cutting.end(), pDoc) != m_cutting.end() &&
            !WholeDocument(*pDoc))
            return false;
    return true;
}

void CDocumentManager::PollCuts() {
    for (CTervikDoc* pDoc : std::vector<CTervikDoc*>(m_cutting)) {
        if (std::find(m_cutting.begin(), m_cutting.end(), pDoc) == m_cutting.end()) continue;
        if (pDoc->IsCutting()) pDoc->PollCut();
        if (pDoc->IsCutting()) continue;
        std::erase(m_cutting, pDoc);
        // The cut failed (the message was shown): the windows have nothing to show.
        if (!pDoc->m_pRecords)
            for (CChildFrame* pFrame : std::vector<CChildFrame*>(FramesOf(*pDoc)))
                pFrame->close();
    }
    if (m_cutting.empty()) m_cutTimer.stop();
}

void CDocumentManager::FrameCreated(CChildFrame* pFrame) {
    m_frames[&pFrame->GetDocument()].push_back(pFrame);
}

void CDocumentManager::FrameDestroyed(CChildFrame* pFrame) {
    CTervikDoc* pDoc = &pFrame->GetDocument();
    std::vector<CChildFrame*>& frames = m_frames[pDoc];
    // Searched from the end: closing all windows goes from the newest back.
    const auto it = std::find(frames.rbegin(), frames.rend(), pFrame);
    if (it != frames.rend()) {
        const size_t nAt = static_cast<size_t>(frames.rend() - it) - 1;
        frames.erase(frames.begin() + static_cast<ptrdiff_t>(nAt));
        // The windows after it are numbered anew, the last one left loses its number.
        if (!frames.empty() && m_app.MainFrame())
            m_app.MainFrame()->NumberWindows(frames, frames.size() == 1 ? 0 : nAt);
    }
    if (!frames.empty()) return;
    m_frames.erase(pDoc);
    m_follow.erase(pDoc);
    pDoc->OnCloseDocument();
    delete pDoc;
}

void CDocumentManager::AddDocument(CTervikDoc* pDoc) {
    m_documents.push_back(pDoc);
}

void CDocumentManager::RemoveDocument(CTervikDoc* pDoc) {
    std::erase(m_documents, pDoc);
    std::erase(m_cutting, pDoc);
    if (const auto it = m_openKeys.find(pDoc); it != m_openKeys.end()) {
        m_docsByKey.erase(it->second);
        m_openKeys.erase(it);
    }
}

void CDocumentManager::DeleteAll() {
    m_follow.clear();
    for (CTervikDoc* pDoc : std::vector<CTervikDoc*>(m_documents))
        delete pDoc;
}

void CDocumentManager::ToggleFollow(CTervikDoc& doc) {
    if (m_follow.erase(&doc) != 0) return;
    auto pWatcher = std::make_unique<CFollowWatcher>(doc);
    // Bookmarks point into the old content; a file read again from the start drops them.
    connect(pWatcher.get(), &CFollowWatcher::Reloaded, this, [this, pDoc = &doc] {
        m_app.RemoveBookmarksOf(pDoc);
        CTervikApp::RepaintViews(*pDoc);
    });
    m_follow.emplace(&doc, std::move(pWatcher));
}

// ------------------------------------------------------------------ many windows

void CDocumentManager::BeginLoadingFrames() {
    CMainFrame* pMain = m_app.MainFrame();
    m_loadFrames.clear();
    m_pLoadActive =
        pMain ? qobject_cast<CChildFrame*>(pMain->MdiArea()->currentSubWindow()) : nullptr;
    m_pLoadActiveView = nullptr;
    m_bLoadActivates = false;
    m_bLoadOnTop = false;
    if (pMain)
        for (QMdiSubWindow* pSub : pMain->MdiArea()->subWindowList())
            m_bLoadOnTop = m_bLoadOnTop || (pSub->windowFlags() & Qt::WindowStaysOnTopHint);
}

void CDocumentManager::SetLoadedActive(CChildFrame& frame, CTervikView* pView) {
    m_pLoadActive = &frame;
    m_pLoadActiveView = pView;
    m_bLoadActivates = true;
}

void CDocumentManager::FinishLoadingFrames() {
    const bool bActivate = m_bLoadActivates || !m_loadFrames.empty();
    for (const QPointer<CChildFrame>& p : m_loadFrames)
        if (p) p->setEnabled(true);
    m_loadFrames.clear();
    CChildFrame* pActive = m_pLoadActive;
    QPointer<CTervikView> pView = m_pLoadActiveView;
    m_pLoadActive = nullptr;
    m_pLoadActiveView = nullptr;
    CMainFrame* pMain = m_app.MainFrame();
    if (!bActivate || !pActive || !pMain) return;
    pMain->MdiArea()->setActiveSubWindow(pActive);
    pActive->ActivatePane(pView ? pView.data() : pActive->ActiveView());
}

// ------------------------------------------------------------------ recent files

void CDocumentManager::ReadRecentFiles() {
    m_recentFiles = m_app.Settings().ReadRecentFiles();
    if (m_recentFiles.size() > kRecentFiles) m_recentFiles.resize(kRecentFiles);
}

void CDocumentManager::WriteRecentFiles() {
    m_app.Settings().WriteRecentFiles(m_recentFiles);
}

void CDocumentManager::AddToRecentFileList(const std::string& path) {
    // Generated files never appear in the list.
    if (IsGeneratedFile(m_app.Profile(), path)) return;
    std::erase(m_recentFiles, path);
    m_recentFiles.insert(m_recentFiles.begin(), path);
    if (m_recentFiles.size() > kRecentFiles) m_recentFiles.resize(kRecentFiles);
    // A workspace writes the list once when it is loaded, not once per file.
    if (!LoadingWorkspace()) WriteRecentFiles();
}

void CDocumentManager::OpenRecentFile(int nIndex) {
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_recentFiles.size()) return;
    const std::string path = m_recentFiles[static_cast<size_t>(nIndex)];
    if (!OpenDocumentFile(path)) {
        // A file that is gone leaves the list, as users expect.
        std::erase(m_recentFiles, path);
        WriteRecentFiles();
    }
}

} // namespace tervik
