#pragma once

// The main window: the multiple-document area, the menu bar, the main toolbar with
// its boxes, four search bars and the status bar with the position pane. Its parts
// live in MainFrameBars.cpp, MainFrameStatusBar.cpp, MainFrameWindows.cpp and
// MainFrameCommands.cpp; the menu bar is CMainMenu's.

#include "base/Settings.h"
#include "document/BlockList.h"
#include "document/DocumentHost.h"
#include "framework/CommandTarget.h"
#include "search/SearchHistory.h"
#include "search/SelectCriteria.h"

#include <QMainWindow>
#include <QPointer>

#include "views/ui/TervikView.h"
#include "views/ui/ViewHost.h"
#include <map>
#include <memory>
#include <vector>

class QComboBox;
class QMdiSubWindow;
class QLabel;
class QMdiArea;
class QMenu;
class QProgressBar;
class QTimer;
class QToolBar;

namespace tervik {

class CChildFrame;
class CMainMenu;
class CTervikApp;
class CTervikDoc;
class CTervikView;

class CMainFrame : public QMainWindow, public CCommandTarget, public IViewHost {
    Q_OBJECT
public:
    explicit CMainFrame(CTervikApp& app, QWidget* pParent = nullptr);
    ~CMainFrame() override;

    QMdiArea* MdiArea() const { return m_pMdiArea; }
    CChildFrame* ActiveFrame() const;
    CTervikView* ActiveView() const override;
    // Runs a command the way a menu item does; false when nobody handles it.
    bool ExecuteCommand(unsigned nId) override;
    // The state a menu item would show.
    CCmdUI UpdateCommand(unsigned nId);
    QAction* Action(unsigned nId) const;
    QMenu* Menu(int nIndex) const;

    // --- what documents and views call ---
    void SetPositionIndicator(uint32_t nLine, uint32_t nTotal, uint32_t nColumn, uint32_t nCount);
    QString PositionText() const;
    void ClearPositionIndicator();
    std::string GetMessageText() const;
    void SetMessageText(const std::string& text);
    // The message a window shows when it becomes active again (its last one).
    static void RememberMessage(QMdiSubWindow* pWindow, const std::string& text);
    void RepaintStatusBar();
    bool GetMessagePaneRect(PixelRect& rc) const;
    void ShowProgressBar(const PixelRect& rc, int nRange);
    void SetProgress(int nPos);
    void RemoveProgressBar();
    QProgressBar* ProgressBar() const { return m_pProgress; }
    void AddOpenDocument(CTervikDoc* pDoc);
    void RemoveOpenDocument(CTervikDoc* pDoc);
    // The dump box shows the row width of the dump view it serves; outside the
    // dump it is cleared and disabled.
    void ShowDumpBox(int nColumns, CTervikView* pView) override;
    void HideDumpBox() override;
    // Synchronous scrolling: every other view follows the caller.
    void BroadcastScroll(CTervikDoc* pDoc, CTervikView* pView, int nScrollCode, int nPos,
                         bool bHorizontal) override;

    // --- bars ---
    void LoadBarState();
    void SaveBarState();
    QToolBar* MainToolBar() const { return m_pToolBar; }
    QToolBar* SearchBar(int n) const { return m_pSearchBars[n - 1]; }
    QComboBox* SearchBox() const { return m_pSearchBox; }
    QComboBox* BarSearchBox(int n) const { return m_pBarSearchBoxes[n - 1]; }
    QComboBox* DumpBox() const { return m_pDumpBox; }
    QComboBox* ColorBox() const { return m_pColorBox; }
    // The toolbar's own button for a command: the pens have actions of their own,
    // so that hiding a pen leaves the menu alone.
    QAction* ToolBarAction(unsigned nId) const;
    // Places the window where it was at the last close (before it is shown).
    void RestoreWindowPosition();
    // The menu bar for an open document, or the smaller one without.
    void SetDocumentMenus(bool bDocument);

    // --- document windows ---
    // Size and place of a new document window: most of the area, cascaded from
    // pPrevious (the active one).
    void PlaceNewWindow(CChildFrame* pFrame, QMdiSubWindow* pPrevious);
    // Titles "name", or "name:1", "name:2" while a document has several windows:
    // frames are the document's windows, oldest first; those from nFrom on change.
    void NumberWindows(const std::vector<CChildFrame*>& frames, size_t nFrom);
    // "Orv's File-Viewer - name" of the active document.
    void UpdateFrameTitle();

    bool OnCmdMsg(unsigned nId, CCmdUI* pUI) override;

    // --- the rest of what views ask (MainFrameViewHost.cpp) ---
    CSearchBox* SearchBoxOfBar(int nBar) const override;
    std::vector<TextHistoryEntry>* SelectTextHistory() override;
    void AppendAddOnItems(QMenu& menu) override;
    unsigned CountBookmarksOnLine(const CTervikDoc* pDoc, uint32_t nLine) const override;
    const Bookmark* BookmarkOnLine(const CTervikDoc* pDoc, uint32_t nLine,
                                   unsigned n) const override;
    bool BlockMarking() const override;
    std::string GeneratedFolder() override;
    void ClaimTempFile(const std::string& path) override;
    QPrinter& Printer() override;
    bool PrintInColour() const override;

    // Program-wide switches.
    bool m_bSyncScroll = false;
    int m_nSelectColour = 0;
    bool m_bPrintColour = false;
    bool m_bChildStateApplied = false;
    // The texts of line selections, oldest first.
    std::vector<TextHistoryEntry> m_selectTextHistory;
    // The patterns of all search boxes, most recent first.
    CSearchHistory m_searchHistory;

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    void CreateActions();
    void CreateToolBars();
    void CreateStatusBar();
    void UpdateToolBarButtons();
    void OnSubWindowActivated();
    QComboBox* InsertBox(QToolBar* pBar, QAction* pBefore, int nWidth, bool bEditable,
                         const char* pszName, QComboBox* pBox = nullptr);
    void SaveWindowPosition();
    std::string BarName(int nBar) const;
    QToolBar* BarByIndex(int nBar) const;

    // Commands of the main frame.
    void OnFocusSearchBox();
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    void OnUpdateEditCopy(CCmdUI& ui);
    void OnSyncScroll();
    void OnUpdateSyncScroll(CCmdUI& ui);
    void OnColourBlue();
    void OnColourRed();
    void OnColourGreen();
    void OnUpdateColour(CCmdUI& ui);
    // The colour command: current colour, script line, pen button and colour box.
    void SetSelectColour(int nColour);
    void OnPrintColour();
    void OnUpdatePrintColour(CCmdUI& ui);
    void OnViewToolBar();
    void OnViewStatusBar();
    void OnViewSearchBar1();
    void OnViewSearchBar2();
    void OnViewSearchBar3();
    void OnViewSearchBar4();
    void OnUpdateBar(CCmdUI& ui);
    void ToggleBar(int nBar);
    void OnWindowNew();
    void OnWindowCascade();
    void OnWindowTile();
    void OnWindowArrange();
    void OnNextPane();
    void OnAppExit();
    // The search box that has the focus: the main one, or one of the bars'.
    QComboBox* FocusedSearchBox() const;

    CTervikApp& m_app;
    CSettings& m_settings;
    QMdiArea* m_pMdiArea = nullptr;
    std::unique_ptr<CCommandRouter> m_pRouter;
    std::map<unsigned, QAction*> m_actions;
    // The commands behind each key of the accelerator table.
    std::map<int, std::vector<unsigned>> m_shortcutIds;
    std::unique_ptr<CMainMenu> m_pMainMenu;
    QToolBar* m_pToolBar = nullptr;
    std::map<unsigned, QAction*> m_penButtons;
    bool m_bSettingTitle = false;
    QToolBar* m_pSearchBars[4] = {};
    QComboBox* m_pSearchBox = nullptr;
    QComboBox* m_pBarSearchBoxes[4] = {};
    QComboBox* m_pDumpBox = nullptr;
    QComboBox* m_pColorBox = nullptr;
    QLabel* m_pMessagePane = nullptr;
    QLabel* m_pPositionPane = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QTimer* m_pIdleTimer = nullptr;
    std::string m_messageText;
    std::unique_ptr<CBlockList> m_pOpenDocuments;
    QPointer<CTervikView> m_pDumpView;
};

} // namespace tervik
