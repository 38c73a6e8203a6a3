#pragma once

// The application object: start-up and shutdown, the settings, the open options,
// the application's commands, the bookmarks, and the host the documents talk to. Its
// parts: the documents, the add-ons, the start-up services and the workspace.

#include "app/ui/AddOnManager.h"
#include "app/ui/DocumentManager.h"
#include "app/ui/StartUp.h"
#include "app/ui/WorkspaceManager.h"
#include "base/Colour.h"
#include "base/Settings.h"
#include "document/DocumentHost.h"
#include "document/OpenDialogRules.h"
#include "framework/CommandTarget.h"
#include "platform/Profile.h"
#include "platform/SysFile.h"
#include "search/BookmarkList.h"

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QPrinter;

namespace tervik {

class CMainFrame;
class CTervikDoc;
class CTervikView;

class CTervikApp : public QObject, public IDocumentHost, public CCommandTarget {
    Q_OBJECT
public:
    CTervikApp();
    ~CTervikApp() override;
    static CTervikApp* Instance() { return s_pInstance; }

    // The start-up sequence; false ends the program. args are the arguments after
    // the program name; "--ini PATH" chooses the settings file.
    bool InitInstance(const QStringList& args);
    // Shutdown after the main window has closed.
    void ExitInstance();

    // --- parts ---
    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    CDocumentManager& DocumentManager() { return m_docs; }
    CAddOnManager& AddOnManager() { return m_addOns; }
    CStartUp& StartUp() { return m_startUp; }
    CProfile& Profile() { return *m_pProfile; }
    // The program's way to open a file, and its open documents: the document manager's.
    CTervikDoc* OpenDocumentFile(const std::string& path, bool bRecent = true) {
        return m_docs.OpenDocumentFile(path, bRecent);
    }
    const std::vector<CTervikDoc*>& Documents() const { return m_docs.Documents(); }

    // --- bookmarks ---
    // All bookmarks of all open documents; workspaces read and refill it.
    CBookmarkList& Bookmarks() { return m_bookmarks; }
    // A bookmark on the open document whose path equals path exactly; line and
    // column 1-based. It belongs to pView when that document is pDoc, and becomes
    // the only active one. The new id, 0 when no open document has the path.
    uint32_t AddBookmark(CTervikDoc* pDoc, CTervikView* pView, const std::string& path,
                         const std::string& name, uint32_t nLine, uint32_t nColumn,
                         uint32_t nLength);
    bool RemoveBookmark(uint32_t nId);
    void RemoveBookmarksOf(CTervikDoc* pDoc);
    unsigned CountBookmarksOnLine(const CTervikDoc* pDoc, uint32_t nLine) const;
    const Bookmark* BookmarkOnLine(const CTervikDoc* pDoc, uint32_t nLine, unsigned n) const;
    // Shows the bookmark's line as the third row of its view (the document's first
    // view when its own is gone) and makes it the active bookmark.
    void GoToBookmark(uint32_t nId, CTervikDoc* pDoc, CTervikView* pView);
    void EditBookmarks(CTervikDoc& doc, CTervikView& view);
    // "Nächstes/Vorheriges Lesezeichen" in the active view; a beep at the end.
    void OnBookmarkStep(bool bForward);
    bool OnBookmarkCommand(unsigned nId, CCmdUI* pUI);
    // Repaints every view of the document.
    static void RepaintViews(CTervikDoc& doc);

    // --- commands ---
    void OnFileOpen();
    void OnAppAbout();
    // The help menu: the three feedback mails and the change history.
    void OnMailPraise();
    void OnMailSuggestion();
    void OnMailError();
    void OnChangeHistory();
    // Fills the machine's data into the body and hands subject and body to the
    // desktop's mail client as a mailto: address; without one nothing happens.
    void SendFeedbackMail(const std::string& subject, const std::string& body);
    // Tests receive the address instead of the mail client.
    using MailHook = std::function<void(const QUrl&)>;
    static void SetMailHook(MailHook hook);
    void OnFilePrintSetup();
    // The printer the setup chose; it stays chosen while the program runs.
    QPrinter& Printer();
    void OnOpenRecentFile(int nIndex);
    // Selection scripts: recording on and off, playback on the active view's document.
    void OnScriptRecord();
    void OnUpdateScriptRecord(CCmdUI& ui);
    // "Markieren im Blockmodus": one flag for all views, which repaint with the hint.
    void OnBlockMarking();
    void OnUpdateBlockMarking(CCmdUI& ui);
    void OnScriptPlay();
    void OnUpdateScriptPlay(CCmdUI& ui);
    // The workspace commands: open, save, save as, close.
    void OnWorkspaceOpen() { m_workspaceManager.OnOpen(); }
    void OnWorkspaceSave() { m_workspaceManager.OnSave(); }
    void OnWorkspaceSaveAs() { m_workspaceManager.OnSaveAs(); }
    void OnWorkspaceClose() { m_workspaceManager.OnClose(); }
    // Save and close need an open workspace.
    void OnUpdateWorkspaceCommand(CCmdUI& ui) { m_workspaceManager.OnUpdateCommand(ui); }

    // --- workspace ---
    // Reads the workspace m_workspace names and rebuilds what it holds.
    void LoadWorkspace() { m_workspaceManager.Load(); }
    // Writes the open documents and windows to m_workspace; false when the file
    // could not be written (the user has been told).
    bool SaveWorkspace() { return m_workspaceManager.Save(); }
    // Asks to save a changed workspace, closes every document and forgets it.
    void CloseWorkspace() { m_workspaceManager.Close(); }
    bool OnCmdMsg(unsigned nId, CCmdUI* pUI) override;

    // This user's folder for generated files (made when missing); empty after
    // showing why it cannot be used.
    std::string GeneratedFolder();
    // The file name as the system knows it, the folder part as given; a name that
    // does not exist stays as it is.
    static std::string NormalizeFileName(const std::string& path);
    // A name whose extension is "tervik" (any case) is a workspace.
    static bool IsWorkspaceFile(const std::string& path);

    // The start ended on purpose: the file went to the running copy, or the updater
    // was started. The program then ends without an error.
    bool EndedOnPurpose() const { return m_bEndedOnPurpose; }

    // --- IDocumentHost ---
    CSettings& Settings() override { return *m_pSettings; }
    const ColorSettings& Colours() override { return m_colours; }
    OpenOptions CurrentOpenOptions() override { return m_openOptions.Current(); }
    void AddDocument(CTervikDoc* pDoc) override;
    void RemoveDocument(CTervikDoc* pDoc) override;
    bool IsWorkspaceOpen() override { return !m_workspace.empty(); }
    void SetWorkspaceModified() override { m_bWorkspaceModified = true; }
    int SelectColour() override;
    bool IsRecordingScript() override { return m_recording.IsOpen(); }
    void RecordScript(std::string_view statement) override;
    void AddOpenDocument(CTervikDoc* pDoc) override;
    void RemoveOpenDocument(CTervikDoc* pDoc) override;
    std::string GetStatusText() override;
    void SetStatusText(const std::string& text) override;
    void RepaintStatusBar() override;
    void SetPositionIndicator(uint32_t nLine, uint32_t nTotal, uint32_t nColumn,
                              uint32_t nCount) override;
    void ShowActivePosition() override;
    bool GetMessagePaneRect(PixelRect& rc) override;
    void ShowProgressBar(const PixelRect& rc, int nRange) override;
    void SetProgress(int nPos) override;
    void RemoveProgressBar() override;
    int MessageBox(const std::string& text, unsigned nType) override;
    const std::atomic<bool>* EscapeFlag() override;
    void BeginBusy() override;
    void EndBusy() override;
    void WaitBusy(CCompletion& done, int nMs) override;
    void ServeBusy() override;

    // Application state other parts share.
    std::string m_szIniPath;
    COpenOptionsState m_openOptions;
    std::string m_workspace; // m_pszWorkspace: empty = none open
    bool m_bWorkspaceModified = false;
    bool m_bLoadingWorkspace = false;
    bool m_bBlockMarking = false;

private:
    bool OnAddOnCommand(unsigned nId, CCmdUI* pUI);
    bool OnHelpCommand(unsigned nId, CCmdUI* pUI);

    static CTervikApp* s_pInstance;
    std::unique_ptr<CProfile> m_pProfile;
    std::unique_ptr<CSettings> m_pSettings;
    ColorSettings m_colours;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    CDocumentManager m_docs{*this};
    CAddOnManager m_addOns{*this};
    CStartUp m_startUp{*this};
    // The workspace commands, saving and loading.
    CWorkspaceManager m_workspaceManager{*this};
    // The open script recording; recording is on while it is open.
    CSysFile m_recording;
    std::string m_recordingPath;
    CBookmarkList m_bookmarks;
    std::unique_ptr<QPrinter> m_pPrinter;
    bool m_bEndedOnPurpose = false;
};

} // namespace tervik
