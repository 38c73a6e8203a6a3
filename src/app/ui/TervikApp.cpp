#include "app/ui/TervikApp.h"

#include "app/ui/ColorBox.h"
#include "app/ui/MainFrame.h"
#include "app/ui/QtSystemColors.h"
#include "base/SettingKeys.h"
#include "base/Strings.h"
#include "base/TempFolder.h"
#include "document/TervikDoc.h"
#include "document/ui/ViewerFileDialog.h"
#include "framework/CommandIds.h"
#include "framework/ui/BusyPump.h"
#include "framework/ui/FileDialogs.h"
#include "framework/ui/MessageBox.h"
#include "framework/ui/QtText.h"
#include "platform/CodePage.h"
#include "platform/SysPaths.h"
#include "search/ScriptPlayback.h"
#include "views/ui/TervikView.h"

#include <QPrinter>
#include <optional>

namespace tervik {

CTervikApp* CTervikApp::s_pInstance = nullptr;

CTervikApp::CTervikApp() {
    s_pInstance = this;
}

CTervikApp::~CTervikApp() {
    // The windows go first and close their documents; what is left goes after them.
    m_pMainFrame.reset();
    m_docs.DeleteAll();
    if (s_pInstance == this) s_pInstance = nullptr;
}

bool CTervikApp::InitInstance(const QStringList& args) {
    // 1. Clear the state.
    m_workspace.clear();
    m_bWorkspaceModified = false;

    // Arguments: "--ini PATH", then the first file name.
    std::string iniOverride, file;
    m_startUp.SetArguments(args);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--ini" && i + 1 < args.size())
            iniOverride = ToPath(args[++i]);
        else if (file.empty() && !args[i].startsWith("--"))
            file = ToPath(args[i]);
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
    m_docs.ReadRecentFiles();

    // 4. A newer program version waiting in the update folder ends this start.
    if (m_startUp.CheckUpdateFolder()) {
        m_bEndedOnPurpose = true;
        return false;
    }

    // Defaults written from here to the opened file reach the disk in one go, not one
    // replacement of the settings file each before the first text shows.
    std::optional<CProfileBatch> settingsBatch(std::in_place, *m_pProfile);

    // 5. The fixed length the open dialog offers, the colours.
    const int nLastFix = m_pSettings->FixRecSize();
    m_colours = ReadColorSettings(*m_pProfile, CQtSystemColors());

    // 6./7. A workspace never goes to a running copy.
    const bool bWorkspace = !file.empty() && IsWorkspaceFile(file);
    if (!bWorkspace && m_pSettings->SingleMode() != 0 && m_startUp.HandOverToFirstCopy(file)) {
        m_bEndedOnPurpose = true;
        return false;
    }

    // 9. The main window.
    m_pMainFrame = std::make_unique<CMainFrame>(*this);
    m_pMainFrame->RestoreWindowPosition();

    // 10. Second copies may reach this one from now on.
    m_startUp.StartReceivingFiles();

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

    settingsBatch.reset();

    // 15. Add-ons marked for loading.
    m_addOns.LoadRegistered();
    return true;
}

void CTervikApp::ExitInstance() {
    m_docs.WriteRecentFiles();
    m_startUp.CloseInstanceBlock();
    m_addOns.Unload();
    m_startUp.DeleteTempFiles();
}

std::string CTervikApp::GeneratedFolder() {
    std::string folder, message;
    if (!tervik::GetGeneratedFolder(*m_pProfile, folder, message))
        TervikMessageBox(message, MB_OK | MB_ICONHAND, m_pMainFrame.get());
    return folder;
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

void CTervikApp::AddDocument(CTervikDoc* pDoc) {
    m_docs.AddDocument(pDoc);
    if (m_pMainFrame) m_pMainFrame->SetDocumentMenus(true);
}

void CTervikApp::RemoveDocument(CTervikDoc* pDoc) {
    RemoveBookmarksOf(pDoc);
    m_docs.RemoveDocument(pDoc);
    if (m_docs.Documents().empty()) {
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
            pUI->Enable(static_cast<size_t>(nIndex) < m_docs.RecentFiles().size());
        else
            OnOpenRecentFile(nIndex);
        return true;
    }
    if (OnAddOnCommand(nId, pUI)) return true;
    if (OnHelpCommand(nId, pUI)) return true;
    return DispatchCommand(*this, kCommands, nId, pUI);
}

void CTervikApp::OnOpenRecentFile(int nIndex) {
    m_docs.OpenRecentFile(nIndex);
}

bool CTervikApp::OnAddOnCommand(unsigned nId, CCmdUI* pUI) {
    if (nId == ID_ADDON_REGISTER) {
        if (pUI)
            pUI->Enable(true);
        else
            m_addOns.Register();
        return true;
    }
    if (nId < ID_ADDON_FIRST || nId > ID_ADDON_LAST) return false;
    if (pUI)
        m_addOns.UpdateAddOnCommand(*pUI, nId);
    else
        m_addOns.DispatchAddOnCommand(nId);
    return true;
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
    for (CTervikDoc* pDoc : m_docs.Documents())
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
