// The main window's bars: the toolbar with its boxes, the four search bars, showing
// and hiding them, and their places kept in the settings.

#include "app/ui/ColorBox.h"
#include "app/ui/MainFrame.h"
#include "app/ui/ToolbarIcons.h"
#include "base/Strings.h"
#include "framework/CommandIds.h"
#include "framework/MenuLayout.h"
#include "framework/ui/QtText.h"
#include "search/ui/SearchBox.h"
#include "views/ui/TervikView.h"

#include <QComboBox>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <tuple>

namespace tervik {

namespace {

constexpr int kSearchBoxWidth = 200;
constexpr int kColorBoxWidth = 70;
constexpr int kDumpBoxWidth = 35;

int DockBarOf(Qt::ToolBarArea area) {
    switch (area) {
    case Qt::LeftToolBarArea:
        return kDockLeft;
    case Qt::RightToolBarArea:
        return kDockRight;
    case Qt::BottomToolBarArea:
        return kDockBottom;
    default:
        return kDockTop;
    }
}

Qt::ToolBarArea AreaOf(int nDockBar) {
    switch (nDockBar) {
    case kDockLeft:
        return Qt::LeftToolBarArea;
    case kDockRight:
        return Qt::RightToolBarArea;
    case kDockBottom:
        return Qt::BottomToolBarArea;
    default:
        return Qt::TopToolBarArea;
    }
}

} // namespace

QComboBox* CMainFrame::InsertBox(QToolBar* pBar, QAction* pBefore, int nWidth, bool bEditable,
                                 const char* pszName, QComboBox* pBox) {
    // Editable boxes are search boxes with the shared history.
    if (!pBox) pBox = bEditable ? new CSearchBox(m_searchHistory, pBar) : new QComboBox(pBar);
    pBox->setObjectName(pszName);
    pBox->setFixedWidth(nWidth);
    if (pBefore)
        pBar->insertWidget(pBefore, pBox);
    else
        pBar->addWidget(pBox);
    return pBox;
}

void CMainFrame::CreateToolBars() {
    m_pToolBar = new QToolBar(QString::fromUtf8("Symbolleiste"), this);
    m_pToolBar->setObjectName("toolbar");
    m_pToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (unsigned nId : MainToolbarButtons()) {
        QAction* pAction = nId ? Action(nId) : nullptr;
        if (nId == 0) {
            m_pToolBar->addSeparator();
        } else if (pAction && (nId == ID_HAND_SELECT || nId == ID_HAND_SELECT_GREEN ||
                               nId == ID_HAND_SELECT_RED)) {
            // The pens come and go with the colour; the menu item stays.
            auto* pButton = new QAction(pAction->text(), m_pToolBar);
            pButton->setData(nId);
            pButton->setObjectName(QString("button%1").arg(nId));
            pButton->setToolTip(pAction->toolTip());
            pButton->setStatusTip(pAction->statusTip());
            pButton->setIconText(pAction->iconText());
            connect(pButton, &QAction::triggered, this, [this, nId] { ExecuteCommand(nId); });
            m_penButtons[nId] = pButton;
            m_pToolBar->addAction(pButton);
        } else if (pAction) {
            m_pToolBar->addAction(pAction);
        }
    }
    // Only the current colour's pen is shown.
    for (unsigned nId : {ID_HAND_SELECT_GREEN, ID_HAND_SELECT_RED})
        m_penButtons[nId]->setVisible(false);
    // The colour box after the deselection pen, the search box before the search
    // buttons, the dump box (disabled until a dump is shown) after them.
    const QList<QAction*> actions = m_pToolBar->actions();
    auto after = [&](unsigned nId) -> QAction* {
        for (int i = 0; i < actions.size(); ++i)
            if (actions[i]->data().toUInt() == nId && actions[i]->data().isValid())
                return i + 1 < actions.size() ? actions[i + 1] : nullptr;
        return nullptr;
    };
    // 70 pixels fit the entries in the classic toolbar font; larger fonts get room.
    auto* pColorBox = new CColorBox(*this, m_pToolBar);
    m_pColorBox = InsertBox(m_pToolBar, after(ID_HAND_DESELECT),
                            std::max(kColorBoxWidth, pColorBox->sizeHint().width()), false,
                            "colorBox", pColorBox);
    m_pToolBar->insertSeparator(Action(ID_SEARCH_FORWARD));
    m_pSearchBox =
        InsertBox(m_pToolBar, Action(ID_SEARCH_FORWARD), kSearchBoxWidth, true, "searchBox");
    QAction* pAfterBackward = after(ID_SEARCH_BACKWARD);
    m_pToolBar->insertSeparator(pAfterBackward);
    m_pDumpBox = InsertBox(m_pToolBar, pAfterBackward, kDumpBoxWidth, false, "dumpBox");
    for (const char* psz : {"2", "4", "6", "8"})
        m_pDumpBox->addItem(psz);
    m_pDumpBox->setCurrentIndex(-1);
    m_pDumpBox->setEnabled(false);
    m_pDumpBox->setToolTip(FromAnsi(LoadString(IDS_DUMP_COLUMNS_PROMPT)).section('\n', 1));
    m_pDumpBox->setStatusTip(FromAnsi(LoadString(IDS_DUMP_COLUMNS_PROMPT)).section('\n', 0, 0));
    connect(m_pDumpBox, &QComboBox::activated, this, [this](int nIndex) {
        // The view goes away with its window; only one still open is served.
        if (m_pDumpView && ActiveView() == m_pDumpView)
            m_pDumpView->SetDumpColumns(m_pDumpBox->itemText(nIndex).toInt());
    });

    // The toolbar on top; each search bar in a row of its own below it, so that
    // showing one never squeezes the toolbar's boxes into its overflow menu.
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
    for (int n = 1; n <= 4; ++n) {
        auto* pBar = new QToolBar(QString::fromUtf8("%1. Suchleiste").arg(n), this);
        pBar->setObjectName(QString("searchbar%1").arg(n));
        pBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        m_pBarSearchBoxes[n - 1] = InsertBox(pBar, nullptr, kSearchBoxWidth, true, "barSearchBox");
        const auto [nForward, nBackward] = SearchBarButtons(n);
        for (unsigned nId : {nForward, nBackward})
            if (QAction* pAction = Action(nId)) pBar->addAction(pAction);
        m_pSearchBars[n - 1] = pBar;
        addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, pBar);
        pBar->hide();
    }
    // Pictures on the buttons; the words stay as tool tip and status text. Menus
    // keep their check boxes and plain texts.
    CCommandIcons icons;
    for (QToolBar* pBar :
         {m_pToolBar, m_pSearchBars[0], m_pSearchBars[1], m_pSearchBars[2], m_pSearchBars[3]}) {
        for (QAction* pAction : pBar->actions()) {
            bool bOk = false;
            const unsigned nId = pAction->data().toUInt(&bOk);
            if (!bOk || nId == 0) continue;
            pAction->setIcon(icons.Icon(nId));
            pAction->setIconVisibleInMenu(false);
        }
    }
}

QAction* CMainFrame::ToolBarAction(unsigned nId) const {
    const auto it = m_penButtons.find(nId);
    return it != m_penButtons.end() ? it->second : Action(nId);
}

void CMainFrame::UpdateToolBarButtons() {
    for (QToolBar* pBar :
         {m_pToolBar, m_pSearchBars[0], m_pSearchBars[1], m_pSearchBars[2], m_pSearchBars[3]}) {
        if (!pBar || !pBar->isVisible()) continue;
        for (QAction* pAction : pBar->actions()) {
            bool bOk = false;
            const unsigned nId = pAction->data().toUInt(&bOk);
            if (!bOk || nId == 0) continue;
            const CCmdUI ui = UpdateCommand(nId);
            pAction->setEnabled(ui.m_bEnabled);
            if (ui.m_bCheckable) pAction->setCheckable(true);
            if (pAction->isCheckable()) pAction->setChecked(ui.m_nCheck != 0);
        }
    }
}

// Bars by index: 0 toolbar, 1..4 search bars, 5 status bar.
QToolBar* CMainFrame::BarByIndex(int nBar) const {
    return nBar == 0 ? m_pToolBar : nBar >= 1 && nBar <= 4 ? m_pSearchBars[nBar - 1] : nullptr;
}

void CMainFrame::ToggleBar(int nBar) {
    if (nBar == 5) {
        statusBar()->setVisible(!statusBar()->isVisible());
        return;
    }
    if (QToolBar* pBar = BarByIndex(nBar)) pBar->setVisible(!pBar->isVisible());
}

void CMainFrame::OnViewToolBar() {
    ToggleBar(0);
}

void CMainFrame::OnViewStatusBar() {
    ToggleBar(5);
}

void CMainFrame::OnViewSearchBar1() {
    ToggleBar(1);
}

void CMainFrame::OnViewSearchBar2() {
    ToggleBar(2);
}

void CMainFrame::OnViewSearchBar3() {
    ToggleBar(3);
}

void CMainFrame::OnViewSearchBar4() {
    ToggleBar(4);
}

void CMainFrame::OnUpdateBar(CCmdUI& ui) {
    bool bVisible = false;
    switch (ui.m_nID) {
    case ID_VIEW_TOOLBAR:
        bVisible = !m_pToolBar->isHidden();
        break;
    case ID_VIEW_STATUS_BAR:
        bVisible = !statusBar()->isHidden();
        break;
    default:
        bVisible = !m_pSearchBars[ui.m_nID - ID_VIEW_SEARCHBAR1]->isHidden();
        break;
    }
    ui.SetCheck(bVisible ? 1 : 0);
}

// ------------------------------------------------------------------ bar state

std::string CMainFrame::BarName(int nBar) const {
    return nBar == 0 ? std::string("Toolbar") : "Searchbar" + std::to_string(nBar);
}

void CMainFrame::LoadBarState() {
    struct Placed {
        QToolBar* pBar;
        BarSettings s;
    };
    std::vector<Placed> docked;
    for (int nBar = 0; nBar <= 4; ++nBar) {
        QToolBar* pBar = BarByIndex(nBar);
        const BarSettings s = m_settings.ReadBar(BarName(nBar));
        if (s.m_bFloating) {
            // A floating bar stays in the window's layout, as one the user tore
            // off, so that it can be dragged back onto a side.
            pBar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
            pBar->move(s.m_nFloatingLeft, s.m_nFloatingTop);
        } else if (s.m_rcDocking != SettingsRect{}) {
            docked.push_back({pBar, s});
        }
        pBar->setVisible(s.m_bVisible);
    }
    // Bars of one side in the order of their stored positions, each in a row (or,
    // on the left and right, a column) of its own: a bar sharing a row squeezes
    // its neighbour's boxes into the overflow menu. Hidden bars follow the shown
    // ones: a bar never shown has no real position.
    std::stable_sort(docked.begin(), docked.end(), [](const Placed& a, const Placed& b) {
        return std::make_tuple(a.s.m_nDockingBar, !a.s.m_bVisible, a.s.m_rcDocking.m_nTop,
                               a.s.m_rcDocking.m_nLeft) <
               std::make_tuple(b.s.m_nDockingBar, !b.s.m_bVisible, b.s.m_rcDocking.m_nTop,
                               b.s.m_rcDocking.m_nLeft);
    });
    for (const Placed& p : docked) {
        const Qt::ToolBarArea area = AreaOf(p.s.m_nDockingBar);
        removeToolBar(p.pBar);
        addToolBarBreak(area);
        addToolBar(area, p.pBar);
        p.pBar->setVisible(p.s.m_bVisible);
    }
    statusBar()->setVisible(m_settings.StatusbarVisible());
}

void CMainFrame::SaveBarState() {
    for (int nBar = 0; nBar <= 4; ++nBar) {
        QToolBar* pBar = BarByIndex(nBar);
        BarSettings s;
        s.m_bVisible = !pBar->isHidden();
        s.m_bFloating = pBar->isFloating() || pBar->isWindow();
        const QRect rc(pBar->mapToGlobal(QPoint(0, 0)), pBar->size());
        if (s.m_bFloating) {
            s.m_nFloatingTop = rc.top();
            s.m_nFloatingLeft = rc.left();
        } else {
            s.m_rcDocking = SettingsRect{rc.top(), rc.left(), rc.bottom() + 1, rc.right() + 1};
            s.m_nDockingBar = DockBarOf(toolBarArea(pBar));
        }
        m_settings.WriteBar(BarName(nBar), s);
    }
    m_settings.WriteStatusbarVisible(!statusBar()->isHidden());
}

} // namespace tervik
