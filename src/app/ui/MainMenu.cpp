#include "app/ui/MainMenu.h"

#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "base/Strings.h"
#include "framework/CommandIds.h"
#include "framework/MenuLayout.h"
#include "framework/ui/QtText.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace tervik {

CMainMenu::CMainMenu(CMainFrame& frame, CTervikApp& app) : m_frame(frame), m_app(app) {
    CreateMenus();
}

void CMainMenu::SetDocumentMenus(bool bDocument) {
    if (bDocument == m_bDocumentMenus && !m_menus.empty()) return;
    m_bDocumentMenus = bDocument;
    m_frame.menuBar()->clear();
    for (QMenu* pMenu : m_menus)
        pMenu->deleteLater();
    m_menus.clear();
    m_pRecentMenu = nullptr;
    m_pRecentAnchor = nullptr;
    m_pWindowMenu = nullptr;
    m_pBookmarkMenu = nullptr;
    CreateMenus();
}

void CMainMenu::CreateMenus() {
    std::function<void(QMenu*, const std::vector<MenuEntry>&)> fill =
        [&](QMenu* pMenu, const std::vector<MenuEntry>& entries) {
            for (const MenuEntry& e : entries) {
                switch (e.m_eKind) {
                case MenuEntry::Separator:
                    pMenu->addSeparator();
                    break;
                case MenuEntry::Popup: {
                    QMenu* pSub = pMenu->addMenu(QString::fromUtf8(e.m_pszText));
                    fill(pSub, e.m_children);
                    break;
                }
                case MenuEntry::RecentFiles:
                    m_pRecentMenu = pMenu;
                    m_pRecentAnchor = pMenu->addAction(FromAnsi(LoadString(IDS_RECENT_FILES_MENU)));
                    m_pRecentAnchor->setEnabled(false);
                    break;
                case MenuEntry::Command:
                    if (QAction* pAction = m_frame.Action(e.m_nId)) pMenu->addAction(pAction);
                    // The menu with "Neues Fenster" lists the document windows.
                    if (e.m_nId == ID_WINDOW_NEW) m_pWindowMenu = pMenu;
                    if (e.m_nId == ID_BOOKMARK_LIST_FIRST) m_pBookmarkMenu = pMenu;
                    break;
                }
            }
            connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] { OnAboutToShow(pMenu); });
        };
    // Without a document window the bar offers only what works without one.
    for (const MenuEntry& top : m_bDocumentMenus ? MainMenuBar() : NoDocumentMenuBar()) {
        QMenu* pMenu = m_frame.menuBar()->addMenu(QString::fromUtf8(top.m_pszText));
        m_menus.push_back(pMenu);
        fill(pMenu, top.m_children);
    }
}

void CMainMenu::OnAboutToShow(QMenu* pMenu) {
    if (pMenu == m_pBookmarkMenu) RefreshBookmarkList();
    // The update of "AddOn registrieren..." builds the add-on entries.
    if (QAction* pRegister = m_frame.Action(ID_ADDON_REGISTER);
        pRegister && pMenu->actions().contains(pRegister))
        m_app.AddOnManager().BuildAddOnMenu(*pMenu);
    for (QAction* pAction : pMenu->actions()) {
        bool bOk = false;
        const unsigned nId = pAction->data().toUInt(&bOk);
        if (!bOk || nId == 0 || pAction->menu()) continue;
        const CCmdUI ui = m_frame.UpdateCommand(nId);
        pAction->setEnabled(ui.m_bEnabled);
        pAction->setCheckable(ui.m_bCheckable || pAction->isCheckable());
        pAction->setChecked(ui.m_nCheck != 0);
        if (ui.m_text) pAction->setText(FromAnsi(*ui.m_text));
    }
    if (pMenu == m_pRecentMenu) RefreshRecentFiles();
    if (pMenu == m_pWindowMenu) RefreshWindowList();
}

QMenu* CMainMenu::Menu(int nIndex) const {
    return nIndex >= 0 && nIndex < static_cast<int>(m_menus.size())
               ? m_menus[static_cast<size_t>(nIndex)]
               : nullptr;
}

void CMainMenu::RefreshRecentFiles() {
    if (!m_pRecentMenu || !m_pRecentAnchor) return;
    for (QAction* pAction : m_pRecentMenu->actions())
        if (pAction->property("recent").toBool())
            m_pRecentMenu->removeAction(pAction), pAction->deleteLater();
    const auto& files = m_app.DocumentManager().RecentFiles();
    m_pRecentAnchor->setVisible(files.empty());
    for (size_t i = 0; i < files.size(); ++i) {
        auto* pAction =
            new QAction(QString("&%1 %2").arg(i + 1).arg(FromPath(files[i])),
                        m_pRecentMenu);
        pAction->setProperty("recent", true);
        connect(pAction, &QAction::triggered, this,
                [this, i] { m_app.OnOpenRecentFile(static_cast<int>(i)); });
        m_pRecentMenu->insertAction(m_pRecentAnchor, pAction);
    }
}

void CMainMenu::RefreshBookmarkList() {
    if (!m_pBookmarkMenu) return;
    // The entries' texts and states come from the update handler that runs next.
    const size_t nCount = m_app.Bookmarks().Size();
    for (unsigned nId = ID_BOOKMARK_LIST_FIRST + 1; nId <= ID_BOOKMARK_LIST_LAST; ++nId) {
        QAction* pAction = m_frame.Action(nId);
        if (!pAction) continue;
        const bool bWanted = nId - ID_BOOKMARK_LIST_FIRST < nCount;
        const bool bThere = m_pBookmarkMenu->actions().contains(pAction);
        if (bWanted && !bThere) m_pBookmarkMenu->addAction(pAction);
        if (!bWanted && bThere) m_pBookmarkMenu->removeAction(pAction);
    }
}

// ------------------------------------------------------------------ "Fenster"

void CMainMenu::RefreshWindowList() {
    if (!m_pWindowMenu) return;
    for (QAction* pAction : m_pWindowMenu->actions())
        if (pAction->property("window").toBool())
            m_pWindowMenu->removeAction(pAction), pAction->deleteLater();
    QMdiArea* pArea = m_frame.MdiArea();
    const QList<QMdiSubWindow*> windows = pArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) return;
    m_pWindowMenu->addSeparator()->setProperty("window", true);
    QMdiSubWindow* pCurrent = pArea->currentSubWindow();
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
        connect(pMore, &QAction::triggered, this, &CMainMenu::ChooseWindow);
    }
}

void CMainMenu::ActivateWindow(QMdiSubWindow* pWindow) {
    if (!pWindow) return;
    if (pWindow->isMinimized()) pWindow->showNormal();
    m_frame.MdiArea()->setActiveSubWindow(pWindow);
}

void CMainMenu::ChooseWindow() {
    const QList<QMdiSubWindow*> windows = m_frame.MdiArea()->subWindowList(QMdiArea::CreationOrder);
    QDialog dialog(&m_frame);
    dialog.setObjectName("chooseWindow");
    dialog.setWindowTitle(FromAnsi(LoadString(IDS_CHOOSE_WINDOW_TITLE)));
    auto* pLayout = new QVBoxLayout(&dialog);
    auto* pLabel = new QLabel(FromAnsi(LoadString(IDS_CHOOSE_WINDOW_PROMPT)), &dialog);
    pLayout->addWidget(pLabel);
    auto* pList = new QListWidget(&dialog);
    pList->setObjectName("windowList");
    pLabel->setBuddy(pList);
    pList->setUniformItemSizes(true);
    QMdiSubWindow* pCurrent = m_frame.MdiArea()->currentSubWindow();
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

} // namespace tervik
