#include "app/ui/TervikApp.h"

#include "app/AddOnHost.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/ColorBox.h"
#include "app/ui/MainFrame.h"
#include "app/ui/QtSystemColors.h"
#include "base/SettingKeys.h"
#include "base/Strings.h"
#include "base/TempFolder.h"
#include "document/TervikDoc.h"
#include "document/ui/FollowWatcher.h"
#include "document/ui/ViewerFileDialog.h"
#include "framework/CommandIds.h"
#include "framework/ui/BusyPump.h"
#include "framework/ui/FileDialogs.h"
#include "framework/ui/MessageBox.h"
#include "framework/ui/QtText.h"
#include "platform/CodePage.h"
#include "platform/SysPaths.h"
#include "search/BookmarkDialogRules.h"
#include "search/ScriptPlayback.h"
#include "search/ui/BookmarkDialog.h"
#include "views/ui/TervikView.h"

#include <QMdiArea>
#include <QPrinter>
#include <QStatusBar>
#include <algorithm>
#include <map>

namespace tervik {

CTervikApp* CTervikApp::s_pInstance = nullptr;

namespace {
constexpr size_t kRecentFiles = 8;
} // namespace

CTervikApp::CTervikApp() {
    s_pInstance = this;
}

CTervikApp::~CTervikApp() {
    m_pMainFrame.reset();
    m_follow.clear();
    for (CTervikDoc* pDoc : std::vector<CTervikDoc*>(m_documents))
        delete pDoc;
    if (s_pInstance == this) s_pInstance = nullptr;
}

bool CTervikApp::InitInstance(const QStringList& args) {
    // 1. Clear the state.
    m_documents.clear();
    m_workspace.clear();
    m_bWorkspaceModified = false;

    // Arguments: "--ini PATH", then the first file name.
    std::string iniOverride, file;
    m_arguments.clear();
    for (const QString& arg : args)
        m_arguments.push_back(arg.toStdString());
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--ini" && i + 1 < args.size())
            iniOverride = args[++i].toStdString();
        else if (file.empty() && !args[i].startsWith("--"))
            file = args[i].toStdString();
    }

    // 2./3. The settings file, the recent-file list.
    m_szIniPath = SettingsFilePath(ProgramPath(), iniOverride);
    if (iniOverride.empty()) {
        // The configuration folder of a first start; its absence would lose every setting.
        const std::string_view folder = FolderPart(m_szIniPath);
        if (folder.size() > 1) MakeDirectories(std::string(folder.substr(0, folder.size() - 1)));
    }
    m_pProfile = std::make_unique<CProfile>(m_szIniPath);
    m_pSettings = std::make_unique<CSettings>(*m_pProfile);
    m_recentFiles = m_pSettings->ReadRecentFiles();
    if (m_recentFiles.size() > kRecentFiles) m_recentFiles.resize(kRecentFiles);

    // 4. A newer program version waiting in the update folder ends this start.
    if (CheckUpdateFolder()) {
        m_bEndedOnPurpose = true;
        return false;
    }

    // 5. The fixed length the open dialog offers, the colours.
    const int nLastFix = m_pSettings->FixRecSize();
    m_colours = ReadColorSettings(*m_pProfile, CQtSystemColors());

    // 6./7. A workspace never goes to a running copy.
    const bool bWorkspace = !file.empty() && IsWorkspaceFile(file);
    if (!bWorkspace && m_pSettings->SingleMode() != 0 && HandOverToFirstCopy(file)) {
        m_bEndedOnPurpose = true;
        return false;
    }

    // 9. The main window.
    m_pMainFrame = std::make_unique<CMainFrame>(*m_pSettings);
    m_pMainFrame->RestoreWindowPosition();

    // 10. Second copies may reach this one from now on.
    StartReceivingFiles();

    // 11. Shown as it was left, except minimized.
    const int nState = m_pSettings->WindowState(1);
    if (nState == 3)
        m_pMainFrame->showMaximized();
    else
        m_pMainFrame->show();

    // 12. The bars as they were.
    m_pMainFrame->LoadBarState();
    // A settings file that could not be read, or is no single-byte text, is never
    // written over: say so once.
    if (const std::string notSaved = SettingsNotSavedText(*m_pProfile); !notSaved.empty())
        SetStatusText(notSaved);

    // 13. The resting open options.
    m_openOptions = COpenOptionsState(m_pSettings->OpenModeShareWrite(), nLastFix);

    // 14. The file of the command line; a file that cannot be opened ends the program.
    if (!file.empty()) {
        file = NormalizeFileName(file);
        if (bWorkspace) {
            // Messages name it in full, and it stays the same file if the folder changes.
            m_workspace = AbsolutePath(file);
            m_bWorkspaceModified = false;
            LoadWorkspace();
        } else if (!OpenDocumentFile(file)) {
            return false;
        }
    }

    // 15. Add-ons marked for loading.
    for (const std::string& message : AddOns().LoadExtensionList(*m_pProfile, m_szIniPath))
        TervikMessageBox(message, MB_OK, m_pMainFrame.get());
    return true;
}

void CTervikApp::ExitInstance() {
    m_pSettings->WriteRecentFiles(m_recentFiles);
    CloseInstanceBlock();
    UnloadAddOns();
    DeleteTempFiles();
}

std::string CTervikApp::GetTempFolder() {
    return tervik::GetTempFolder(*m_pProfile);
}

std::string CTervikApp::GeneratedFolder() {
    std::string folder, message;
    if (!tervik::GetGeneratedFolder(*m_pProfile, folder, message))
        TervikMessageBox(message, MB_OK | MB_ICONHAND, m_pMainFrame.get());
    return folder;
}

COLORREF CTervikApp::ReadColorSetting(const char* pszKey, std::string_view defaultText) {
    return tervik::ReadColorSetting(*m_pProfile, CQtSystemColors(), pszKey, defaultText);
}

std::string CTervikApp::NormalizeFileName(const std::string& path) {
    // Looked up, never matched as a pattern: '[', '*' and '?' are ordinary characters
    // of a name, and a name differing only in case is another file.
    return FileExists(path) ? ExactFileName(path) : path;
}

bool CTervikApp::IsWorkspaceFile(const std::string& path) {
    const std::string_view name = NamePart(path);
    const size_t dot = name.rfind('.');
    const std::string_view ext = dot == std::string_view::npos ? name : name.substr(dot + 1);
    return EqualNoCase(ext, "Tervik");
}

// ------------------------------------------------------------------ documents

CTervikDoc* CTervikApp::OpenDocumentFile(const std::string& path, bool bRecent) {
    // The name as the user gave it stays for titles and the recent list (a link such
    // as current.log keeps its name); the resolved form tells whether it is open.
    const std::string full = AbsolutePath(path);
    std::string key = ResolvedPath(full);
    if (key.empty()) key = full;
    if (CTervikDoc* pOpen = FindOpenDocument(key)) {
        ActivateDocument(*pOpen);
        return pOpen;
    }
    // What the open says belongs to the new window, not to the one active before.
    QMdiSubWindow* pBefore = m_pMainFrame ? m_pMainFrame->MdiArea()->currentSubWindow() : nullptr;
    const std::string before = GetStatusText();
    auto* pDoc = new CTervikDoc(*this);
    if (!pDoc->OnOpenDocument(full)) {
        delete pDoc;
        return nullptr;
    }
    const std::string said = GetStatusText();
    CMainFrame::RememberMessage(pBefore, before);
    m_openKeys[pDoc] = key;
    m_docsByKey.emplace(key, pDoc);
    if (bRecent) AddToRecentFileList(full);
    CreateFrame(*pDoc);
    // A new window beside others starts ready unless its open had something to say;
    // the first one keeps what the program said at its start.
    if (pBefore && said == before && m_pMainFrame) SetStatusText(LoadString(IDS_READY));
    return pDoc;
}

CTervikDoc* CTervikApp::FindOpenDocument(const std::string& resolvedPath) const {
    const auto it = m_docsByKey.find(resolvedPath);
    return it == m_docsByKey.end() ? nullptr : it->second;
}

bool CTervikApp::IsOpenDocument(const CTervikDoc* pDoc) const {
    return m_frames.count(pDoc) != 0;
}

const std::vector<CChildFrame*>& CTervikApp::FramesOf(const CTervikDoc& doc) const {
    static const std::vector<CChildFrame*> none;
    const auto it = m_frames.find(&doc);
    return it == m_frames.end() ? none : it->second;
}

void CTervikApp::ActivateDocument(CTervikDoc& doc) {
    if (!m_pMainFrame) return;
    QMdiArea* pArea = m_pMainFrame->MdiArea();
    // The active window when it shows the document, else its first one.
    auto shows = [&doc](QMdiSubWindow* pSub) {
        auto* pFrame = qobject_cast<CChildFrame*>(pSub);
        return pFrame && &pFrame->GetDocument() == &doc ? pFrame : nullptr;
    };
    CChildFrame* pFound =
        shows(m_bLoadingWorkspace ? m_pLoadActive.data() : pArea->activeSubWindow());
    if (!pFound && !FramesOf(doc).empty()) pFound = FramesOf(doc).front();
    if (!pFound) return;
    if (pFound->isMinimized()) pFound->showNormal();
    if (m_bLoadingWorkspace) {
        m_pLoadActive = pFound;
        m_pLoadActiveView = nullptr;
        return;
    }
    pArea->setActiveSubWindow(pFound);
    if (CTervikView* pView = pFound->ActiveView()) pView->setFocus();
}

CChildFrame* CTervikApp::CreateFrame(CTervikDoc& doc) {
    QMdiArea* pArea = m_pMainFrame->MdiArea();
    // Placed before it joins the area, which would otherwise look for a free place
    // among all other windows first.
    auto* pFrame = new CChildFrame(doc, m_pMainFrame.get(), pArea->viewport());
    QMdiSubWindow* pPrevious =
        m_bLoadingWorkspace ? m_pLoadActive.data() : pArea->currentSubWindow();
    m_pMainFrame->PlaceNewWindow(pFrame, pPrevious);
    // Joining the area, a window that does not stay on top is stacked below those
    // that do, found by a scan that grows with the square of the windows. While a
    // workspace loads and none stays on top, the new window, the newest, is on top
    // anyway: the scan is skipped.
    const bool bSkipScan = m_bLoadingWorkspace && !m_bLoadOnTop;
    if (bSkipScan) pFrame->setWindowFlags(pFrame->windowFlags() | Qt::WindowStaysOnTopHint);
    pArea->addSubWindow(pFrame);
    if (bSkipScan) pFrame->setWindowFlags(pFrame->windowFlags() & ~Qt::WindowStaysOnTopHint);
    // Only the new window is numbered, and the first one when there are two now.
    const std::vector<CChildFrame*>& frames = FramesOf(doc);
    m_pMainFrame->NumberWindows(frames, frames.size() == 2 ? 0 : frames.size() - 1);
    if (m_bLoadingWorkspace) {
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

void CTervikApp::BeginLoadingFrames() {
    m_loadFrames.clear();
    m_pLoadActive = m_pMainFrame
                        ? qobject_cast<CChildFrame*>(m_pMainFrame->MdiArea()->currentSubWindow())
                        : nullptr;
    m_pLoadActiveView = nullptr;
    m_bLoadActivates = false;
    m_bLoadOnTop = false;
    if (m_pMainFrame)
        for (QMdiSubWindow* pSub : m_pMainFrame->MdiArea()->subWindowList())
            m_bLoadOnTop = m_bLoadOnTop || (pSub->windowFlags() & Qt::WindowStaysOnTopHint);
}

void CTervikApp::SetLoadedActive(CChildFrame& frame, CTervikView* pView) {
    m_pLoadActive = &frame;
    m_pLoadActiveView = pView;
    m_bLoadActivates = true;
}

void CTervikApp::FinishLoadingFrames() {
    const bool bActivate = m_bLoadActivates || !m_loadFrames.empty();
    for (const QPointer<CChildFrame>& p : m_loadFrames)
        if (p) p->setEnabled(true);
    m_loadFrames.clear();
    CChildFrame* pActive = m_pLoadActive;
    QPointer<CTervikView> pView = m_pLoadActiveView;
    m_pLoadActive = nullptr;
    m_pLoadActiveView = nullptr;
    if (!bActivate || !pActive || !m_pMainFrame) return;
    m_pMainFrame->MdiArea()->setActiveSubWindow(pActive);
    pActive->ActivatePane(pView ? pView.data() : pActive->ActiveView());
}

void CTervikApp::FrameCreated(CChildFrame* pFrame) {
    m_frames[&pFrame->GetDocument()].push_back(pFrame);
}

void CTervikApp::FrameDestroyed(CChildFrame* pFrame) {
    CTervikDoc* pDoc = &pFrame->GetDocument();
    std::vector<CChildFrame*>& frames = m_frames[pDoc];
    // Searched from the end: closing all windows goes from the newest back.
    const auto it = std::find(frames.rbegin(), frames.rend(), pFrame);
    if (it != frames.rend()) {
        const size_t nAt = static_cast<size_t>(frames.rend() - it) - 1;
        frames.erase(frames.begin() + static_cast<ptrdiff_t>(nAt));
        // The windows after it are numbered anew, the last one left loses its number.
        if (!frames.empty() && m_pMainFrame)
            m_pMainFrame->NumberWindows(frames, frames.size() == 1 ? 0 : nAt);
    }
    if (!frames.empty()) return;
    m_frames.erase(pDoc);
    m_follow.erase(pDoc);
    pDoc->OnCloseDocument();
    delete pDoc;
}

void CTervikApp::ToggleFollow(CTervikDoc& doc) {
    if (m_follow.erase(&doc) != 0) return;
    auto pWatcher = std::make_unique<CFollowWatcher>(doc);
    // Bookmarks point into the old content; a file read again from the start drops them.
    connect(pWatcher.get(), &CFollowWatcher::Reloaded, this, [this, pDoc = &doc] {
        RemoveBookmarksOf(pDoc);
        RepaintViews(*pDoc);
    });
    m_follow.emplace(&doc, std::move(pWatcher));
}

CTervikView* CTervikApp::FindViewById(uint64_t nId) const {
    if (!m_pMainFrame) return nullptr;
    for (QMdiSubWindow* pSub : m_pMainFrame->MdiArea()->subWindowList())
        if (auto* pFrame = qobject_cast<CChildFrame*>(pSub))
            for (int i = 0; i < pFrame->PaneCount(); ++i)
                if (pFrame->Pane(i) && pFrame->Pane(i)->m_nViewId == nId) return pFrame->Pane(i);
    return nullptr;
}

void CTervikApp::AddDocument(CTervikDoc* pDoc) {
    m_documents.push_back(pDoc);
    if (m_pMainFrame) m_pMainFrame->SetDocumentMenus(true);
}

void CTervikApp::RemoveDocument(CTervikDoc* pDoc) {
    RemoveBookmarksOf(pDoc);
    std::erase(m_documents, pDoc);
    if (const auto it = m_openKeys.find(pDoc); it != m_openKeys.end()) {
        m_docsByKey.erase(it->second);
        m_openKeys.erase(it);
    }
    if (m_documents.empty()) {
        if (m_pMainFrame) {
            m_pMainFrame->ClearPositionIndicator();
            m_pMainFrame->SetDocumentMenus(false);
        }
        // A file of a workspace being loaded that cannot be opened leaves the
        // workspace open for the rest of the file.
        if (!m_bLoadingWorkspace) {
            m_workspace.clear();
            m_bWorkspaceModified = false;
        }
    }
}

void CTervikApp::AddToRecentFileList(const std::string& path) {
    // Generated files never appear in the list.
    if (IsGeneratedFile(*m_pProfile, path)) return;
    std::erase(m_recentFiles, path);
    m_recentFiles.insert(m_recentFiles.begin(), path);
    if (m_recentFiles.size() > kRecentFiles) m_recentFiles.resize(kRecentFiles);
    // A workspace writes the list once when it is loaded, not once per file.
    if (!m_bLoadingWorkspace) m_pSettings->WriteRecentFiles(m_recentFiles);
}

void CTervikApp::OnOpenRecentFile(int nIndex) {
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_recentFiles.size()) return;
    const std::string path = m_recentFiles[static_cast<size_t>(nIndex)];
    if (!OpenDocumentFile(path)) {
        // A file that is gone leaves the list, as users expect.
        std::erase(m_recentFiles, path);
        m_pSettings->WriteRecentFiles(m_recentFiles);
    }
}

// ------------------------------------------------------------------ commands

bool CTervikApp::OnCmdMsg(unsigned nId, CCmdUI* pUI) {
    static const CommandEntry<CTervikApp> kCommands[] = {
        {ID_FILE_OPEN, &CTervikApp::OnFileOpen, nullptr},
        {ID_APP_ABOUT, &CTervikApp::OnAppAbout, nullptr},
        {ID_FILE_PRINT_SETUP, &CTervikApp::OnFilePrintSetup, nullptr},
        {ID_SCRIPT_RECORD, &CTervikApp::OnScriptRecord, &CTervikApp::OnUpdateScriptRecord},
        {ID_SCRIPT_PLAY, &CTervikApp::OnScriptPlay, &CTervikApp::OnUpdateScriptPlay},
        {ID_BLOCK_MARKING, &CTervikApp::OnBlockMarking, &CTervikApp::OnUpdateBlockMarking},
        {ID_WORKSPACE_OPEN, &CTervikApp::OnWorkspaceOpen, nullptr},
        {ID_WORKSPACE_SAVE, &CTervikApp::OnWorkspaceSave, &CTervikApp::OnUpdateWorkspaceCommand},
        {ID_WORKSPACE_SAVE_AS, &CTervikApp::OnWorkspaceSaveAs, nullptr},
        {ID_WORKSPACE_CLOSE, &CTervikApp::OnWorkspaceClose, &CTervikApp::OnUpdateWorkspaceCommand},
    };
    if (nId == ID_BOOKMARK_EDIT || nId == ID_BOOKMARK_NEXT || nId == ID_BOOKMARK_PREV ||
        (nId >= ID_BOOKMARK_LIST_FIRST && nId <= ID_BOOKMARK_LIST_LAST))
        return OnBookmarkCommand(nId, pUI);
    if (nId >= ID_FILE_MRU_FILE1 && nId <= ID_FILE_MRU_FILE8) {
        const int nIndex = static_cast<int>(nId - ID_FILE_MRU_FILE1);
        if (pUI)
            pUI->Enable(static_cast<size_t>(nIndex) < m_recentFiles.size());
        else
            OnOpenRecentFile(nIndex);
        return true;
    }
    if (OnAddOnCommand(nId, pUI)) return true;
    if (OnHelpCommand(nId, pUI)) return true;
    return DispatchCommand(*this, kCommands, nId, pUI);
}

void CTervikApp::OnFileOpen() {
    m_openOptions.BeforeDialog();
    CViewerFileDialog dialog(m_pMainFrame.get(), m_openOptions.ShareWrite(),
                             m_openOptions.LastFixRecSize(), m_openOptions.FilterIndex(),
                             *m_pSettings);
    const bool bOk = dialog.exec() == QDialog::Accepted;
    const OpenDialogValues values = dialog.Values();
    if (bOk) {
        m_openOptions.OnOk(values);
        m_openOptions.SetFilterIndex(dialog.SelectedFilterIndex());
        for (const std::string& path : dialog.SelectedFiles())
            OpenDocumentFile(path);
    }
    m_openOptions.AfterDialog(bOk, values);
}

void CTervikApp::OnScriptRecord() {
    if (m_recording.IsOpen()) {
        m_recording.Close();
        return;
    }
    FileDialogRequest request;
    request.m_bSave = true;
    request.m_filter = LoadString(IDS_SCRIPT_FILTER);
    request.m_defaultExt = "terviks";
    const std::optional<std::string> path = AskFileName(request, m_pMainFrame.get());
    if (!path) return;
    if (!m_recording.Create(*path)) {
        TervikMessageBox(ProcessingErrorText(*path, m_recording.LastError()), MB_OK | MB_ICONHAND,
                         m_pMainFrame.get());
        return;
    }
    m_recordingPath = *path;
}

void CTervikApp::OnUpdateScriptRecord(CCmdUI& ui) {
    const bool bOn = m_recording.IsOpen();
    ui.SetCheck(bOn ? 1 : 0);
    ui.SetText(bOn ? "Aufnehmen beenden" : "Aufnehmen starten...");
}

void CTervikApp::OnBlockMarking() {
    m_bBlockMarking = !m_bBlockMarking;
    for (CTervikDoc* pDoc : m_documents)
        pDoc->UpdateAllViews(nullptr, HINT_BLOCK_MARKING);
}

void CTervikApp::OnUpdateBlockMarking(CCmdUI& ui) {
    ui.SetCheck(m_bBlockMarking ? 1 : 0);
}

void CTervikApp::RecordScript(std::string_view statement) {
    if (!m_recording.IsOpen()) return;
    if (m_recording.Write(statement.data(), statement.size())) return;
    // A recording that lost a step would replay wrongly: it ends here.
    const uint32_t nCode = m_recording.LastError();
    m_recording.Close();
    TervikMessageBox(ProcessingErrorText(m_recordingPath, nCode), MB_OK | MB_ICONHAND,
                     m_pMainFrame.get());
}

void CTervikApp::OnScriptPlay() {
    if (m_recording.IsOpen() || !m_pMainFrame) return;
    FileDialogRequest request;
    request.m_filter = LoadString(IDS_SCRIPT_FILTER);
    request.m_defaultExt = "terviks";
    const std::optional<std::string> path = AskFileName(request, m_pMainFrame.get());
    if (!path) return;
    CTervikView* pView = m_pMainFrame->ActiveView();
    if (!pView) return;
    CMainFrame* pFrame = m_pMainFrame.get();
    const uint32_t nError = PlayScript(
        *path, pView->GetDocument(),
        [pFrame](int nColour) { pFrame->ExecuteCommand(CColorBox::CommandOf(nColour)); },
        &pFrame->m_selectTextHistory);
    if (nError != 0)
        TervikMessageBox(ProcessingErrorText(*path, nError), MB_OK | MB_ICONHAND, pFrame);
}

void CTervikApp::OnUpdateScriptPlay(CCmdUI& ui) {
    ui.Enable(!m_recording.IsOpen());
}

void CTervikApp::OnFilePrintSetup() {
    CTervikView::PrinterSetup(Printer(), m_pMainFrame.get());
}

QPrinter& CTervikApp::Printer() {
    if (!m_pPrinter) m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_pPrinter;
}

// ------------------------------------------------------------------ host

int CTervikApp::SelectColour() {
    return m_pMainFrame ? m_pMainFrame->m_nSelectColour : 0;
}

void CTervikApp::AddOpenDocument(CTervikDoc* pDoc) {
    if (m_pMainFrame) m_pMainFrame->AddOpenDocument(pDoc);
}

void CTervikApp::RemoveOpenDocument(CTervikDoc* pDoc) {
    if (m_pMainFrame) m_pMainFrame->RemoveOpenDocument(pDoc);
}

std::string CTervikApp::GetStatusText() {
    return m_pMainFrame ? m_pMainFrame->GetMessageText() : std::string();
}

void CTervikApp::SetStatusText(const std::string& text) {
    if (m_pMainFrame) m_pMainFrame->SetMessageText(text);
}

void CTervikApp::RepaintStatusBar() {
    if (m_pMainFrame) m_pMainFrame->RepaintStatusBar();
}

void CTervikApp::SetPositionIndicator(uint32_t nLine, uint32_t nTotal, uint32_t nColumn,
                                      uint32_t nCount) {
    if (m_pMainFrame) m_pMainFrame->SetPositionIndicator(nLine, nTotal, nColumn, nCount);
}

void CTervikApp::ShowActivePosition() {
    if (!m_pMainFrame) return;
    if (CTervikView* pView = m_pMainFrame->ActiveView())
        pView->ReportPosition();
    else
        m_pMainFrame->ClearPositionIndicator();
}

bool CTervikApp::GetMessagePaneRect(PixelRect& rc) {
    return m_pMainFrame && m_pMainFrame->GetMessagePaneRect(rc);
}

void CTervikApp::ShowProgressBar(const PixelRect& rc, int nRange) {
    if (m_pMainFrame) m_pMainFrame->ShowProgressBar(rc, nRange);
}

void CTervikApp::SetProgress(int nPos) {
    if (m_pMainFrame) m_pMainFrame->SetProgress(nPos);
}

void CTervikApp::RemoveProgressBar() {
    if (m_pMainFrame) m_pMainFrame->RemoveProgressBar();
}

int CTervikApp::MessageBox(const std::string& text, unsigned nType) {
    CBusyPump::CInputAllowed input;
    return TervikMessageBox(text, nType, m_pMainFrame.get());
}

const std::atomic<bool>* CTervikApp::EscapeFlag() {
    return &CBusyPump::Instance().EscapeFlag();
}
void CTervikApp::BeginBusy() {
    CBusyPump::Instance().Begin();
}
void CTervikApp::EndBusy() {
    CBusyPump::Instance().End();
}
void CTervikApp::ServeBusy() {
    CBusyPump::Instance().ServeIfDue();
}
void CTervikApp::WaitBusy(CCompletion& done, int nMs) {
    CBusyPump::Instance().Wait(done, nMs);
}

} // namespace tervik

namespace tervik {

// ------------------------------------------------------------------ bookmarks

void CTervikApp::RepaintViews(CTervikDoc& doc) {
    for (IDocumentView* p : doc.Views())
        if (auto* pView = dynamic_cast<CTervikView*>(p)) pView->viewport()->update();
}

uint32_t CTervikApp::AddBookmark(CTervikDoc* pDoc, CTervikView* pView, const std::string& path,
                                 const std::string& name, uint32_t nLine, uint32_t nColumn,
                                 uint32_t nLength) {
    const auto it = std::find_if(m_documents.begin(), m_documents.end(),
                                 [&](CTervikDoc* p) { return p->GetPathName() == path; });
    if (it == m_documents.end()) return 0;
    CTervikDoc* pTarget = *it;
    const uint64_t nViewId = pTarget == pDoc && pView ? pView->m_nViewId : 0;
    const uint32_t nId = m_bookmarks.Add(pTarget, nViewId, name, nLine ? nLine - 1 : 0,
                                         nColumn ? nColumn - 1 : 0, nLength);
    for (CTervikDoc* pLost : m_bookmarks.Activate(nId))
        RepaintViews(*pLost);
    RepaintViews(*pTarget);
    return nId;
}

bool CTervikApp::RemoveBookmark(uint32_t nId) {
    const Bookmark* p = m_bookmarks.Find(nId);
    if (!p) return false;
    CTervikDoc* pDoc = p->m_pDoc;
    m_bookmarks.Remove(nId);
    RepaintViews(*pDoc);
    return true;
}

void CTervikApp::RemoveBookmarksOf(CTervikDoc* pDoc) {
    m_bookmarks.RemoveOf(pDoc);
}

unsigned CTervikApp::CountBookmarksOnLine(const CTervikDoc* pDoc, uint32_t nLine) const {
    return m_bookmarks.CountOnLine(pDoc, nLine);
}

const Bookmark* CTervikApp::BookmarkOnLine(const CTervikDoc* pDoc, uint32_t nLine,
                                           unsigned n) const {
    return m_bookmarks.OnLine(pDoc, nLine, n);
}

void CTervikApp::GoToBookmark(uint32_t nId, CTervikDoc* pDoc, CTervikView* pView) {
    Bookmark* p = m_bookmarks.Find(nId);
    if (!p) return;
    if (!(pView && p->m_nViewId == pView->m_nViewId && p->m_pDoc == pDoc)) {
        // The bookmark's own view, or the document's first one when that is gone.
        CTervikView* pFirst = nullptr;
        CTervikView* pOwn = nullptr;
        for (IDocumentView* pv : p->m_pDoc->Views())
            if (auto* pv2 = dynamic_cast<CTervikView*>(pv)) {
                if (!pFirst) pFirst = pv2;
                if (p->m_nViewId != 0 && pv2->m_nViewId == p->m_nViewId) pOwn = pv2;
            }
        pView = pOwn ? pOwn : pFirst;
        if (!pView) return;
        p->m_nViewId = pView->m_nViewId;
        for (QWidget* w = pView; w; w = w->parentWidget())
            if (auto* pFrame = qobject_cast<CChildFrame*>(w)) {
                if (pFrame->isMinimized()) pFrame->showNormal();
                if (m_pMainFrame) m_pMainFrame->MdiArea()->setActiveSubWindow(pFrame);
                break;
            }
        pView->setFocus();
    }
    const uint32_t nLine = p->m_nLine;
    for (CTervikDoc* pLost : m_bookmarks.Activate(nId))
        RepaintViews(*pLost);
    pView->SetTopLine(nLine >= 2 ? nLine - 2 : 0);
    pView->viewport()->update();
}

void CTervikApp::EditBookmarks(CTervikDoc& doc, CTervikView& view) {
    BookmarkSource src;
    if (const auto range = view.MarkedRange();
        range && range->first.m_nLine == range->second.m_nLine && range->first.m_nLine >= 0) {
        src.m_bOneLineMarking = true;
        src.m_nMarkLine = static_cast<uint32_t>(range->first.m_nLine);
        src.m_nMarkColumn = static_cast<uint32_t>(std::max<int64_t>(0, range->first.m_nColumn));
        const int64_t nWidth = range->second.m_nColumn - range->first.m_nColumn + 1;
        src.m_nMarkWidth = static_cast<uint32_t>(std::max<int64_t>(0, nWidth));
    }
    if (view.m_textHit.m_bValid && view.m_textHit.m_bShown) {
        src.m_bHitShown = true;
        src.m_nHitLine = view.m_textHit.m_nLine;
        src.m_nHitColumn = view.m_textHit.m_nColumn;
        src.m_nHitLength = view.m_textHit.m_nLength;
    }
    src.m_nTopLine = view.TopLine();
    src.m_nLeftColumn = static_cast<uint32_t>(std::max(0, view.LeftColumn()));
    const BookmarkPreset preset = MakeBookmarkPreset(src, PathToAnsi(doc.GetPathName()));

    BookmarkDialogHost host;
    host.pList = &m_bookmarks;
    host.documents = m_documents;
    host.add = [&](const std::string& path, const std::string& name, uint32_t nLine,
                   uint32_t nColumn, uint32_t nLength) {
        return AddBookmark(&doc, &view, path, name, nLine, nColumn, nLength);
    };
    host.remove = [this](uint32_t nId) { return RemoveBookmark(nId); };
    host.change = [this](uint32_t nId, uint32_t nLine, uint32_t nColumn, uint32_t nLength) {
        if (Bookmark* p = m_bookmarks.Find(nId)) {
            p->m_nLine = nLine;
            p->m_nColumn = nColumn;
            p->m_nLength = nLength;
            RepaintViews(*p->m_pDoc);
        }
    };
    CBookmark dialog(std::move(host), doc, preset, m_pMainFrame.get());
    if (dialog.exec() == QDialog::Accepted && dialog.Chosen() != 0)
        GoToBookmark(dialog.Chosen(), &doc, &view);
}

void CTervikApp::OnBookmarkStep(bool bForward) {
    CTervikView* pView = m_pMainFrame ? m_pMainFrame->ActiveView() : nullptr;
    if (!pView) return;
    CTervikDoc& doc = pView->GetDocument();
    const Bookmark* p = bForward ? m_bookmarks.Next(&doc, pView->TopLine())
                                 : m_bookmarks.Previous(&doc, pView->TopLine());
    if (!p) {
        MessageBeep();
        return;
    }
    GoToBookmark(p->m_nId, &doc, pView);
}

bool CTervikApp::OnBookmarkCommand(unsigned nId, CCmdUI* pUI) {
    CTervikView* pView = m_pMainFrame ? m_pMainFrame->ActiveView() : nullptr;
    if (nId >= ID_BOOKMARK_LIST_FIRST && nId <= ID_BOOKMARK_LIST_LAST) {
        const size_t n = nId - ID_BOOKMARK_LIST_FIRST;
        const auto& all = m_bookmarks.All();
        if (pUI) {
            pUI->Enable(n < all.size());
            if (n < all.size()) {
                // A '&' in a name is shown, not taken as a mnemonic.
                std::string text;
                for (char c : all[n].m_name)
                    text += c == '&' ? std::string("&&") : std::string(1, c);
                pUI->SetText(text);
            } else if (n == 0) {
                pUI->SetText("Lesezeichen Liste");
            }
        } else if (n < all.size()) {
            GoToBookmark(all[n].m_nId, pView ? &pView->GetDocument() : nullptr, pView);
        }
        return true;
    }
    if (pUI) {
        pUI->Enable(pView != nullptr);
        return true;
    }
    if (!pView) return true;
    if (nId == ID_BOOKMARK_EDIT)
        EditBookmarks(pView->GetDocument(), *pView);
    else
        OnBookmarkStep(nId == ID_BOOKMARK_NEXT);
    return true;
}

} // namespace tervik
