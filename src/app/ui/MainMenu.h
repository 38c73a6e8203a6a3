#pragma once

// The main window's menu bar, built from the menu layout, with or without an open
// document, and the entries that change while the program runs: the recent files,
// the bookmarks, the add-ons and the document windows of "&Fenster".

#include <QObject>
#include <vector>

class QAction;
class QMdiSubWindow;
class QMenu;

namespace tervik {

class CMainFrame;
class CTervikApp;

class CMainMenu : public QObject {
public:
    CMainMenu(CMainFrame& frame, CTervikApp& app);

    // The bar for an open document, or the smaller one without.
    void SetDocumentMenus(bool bDocument);
    QMenu* Menu(int nIndex) const;

private:
    void CreateMenus();
    // Update handlers decide what the user may choose when a menu opens.
    void OnAboutToShow(QMenu* pMenu);
    void RefreshRecentFiles();
    // One entry per bookmark, at most eight: the list's commands come and go as needed.
    void RefreshBookmarkList();
    void RefreshWindowList();
    // "Weitere Fenster...": every document window in a list to choose from.
    void ChooseWindow();
    void ActivateWindow(QMdiSubWindow* pWindow);

    CMainFrame& m_frame;
    CTervikApp& m_app;
    std::vector<QMenu*> m_menus;
    bool m_bDocumentMenus = false;
    QMenu* m_pRecentMenu = nullptr;
    QAction* m_pRecentAnchor = nullptr;
    QMenu* m_pWindowMenu = nullptr;
    QMenu* m_pBookmarkMenu = nullptr;
};

} // namespace tervik
