// The main window's own commands: the clipboard with the search boxes, the
// selection colour, synchronous scrolling, printing in colour, panes and exit.

#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "framework/CommandIds.h"
#include "search/SelectionScript.h"
#include "search/ui/SearchBox.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>

namespace tervik {

bool CMainFrame::OnCmdMsg(unsigned nId, CCmdUI* pUI) {
    static const CommandEntry<CMainFrame> kCommands[] = {
        {ID_FOCUS_SEARCH_BOX, &CMainFrame::OnFocusSearchBox, nullptr},
        {ID_EDIT_COPY, &CMainFrame::OnEditCopy, &CMainFrame::OnUpdateEditCopy},
        {ID_EDIT_CUT, &CMainFrame::OnEditCut, nullptr},
        {ID_EDIT_PASTE, &CMainFrame::OnEditPaste, nullptr},
        {ID_SYNC_SCROLL, &CMainFrame::OnSyncScroll, &CMainFrame::OnUpdateSyncScroll},
        {ID_COLOR_BLUE, &CMainFrame::OnColourBlue, &CMainFrame::OnUpdateColour},
        {ID_COLOR_RED, &CMainFrame::OnColourRed, &CMainFrame::OnUpdateColour},
        {ID_COLOR_GREEN, &CMainFrame::OnColourGreen, &CMainFrame::OnUpdateColour},
        {ID_PRINT_COLOR, &CMainFrame::OnPrintColour, &CMainFrame::OnUpdatePrintColour},
        {ID_VIEW_TOOLBAR, &CMainFrame::OnViewToolBar, &CMainFrame::OnUpdateBar},
        {ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar, &CMainFrame::OnUpdateBar},
        {ID_VIEW_SEARCHBAR1, &CMainFrame::OnViewSearchBar1, &CMainFrame::OnUpdateBar},
        {ID_VIEW_SEARCHBAR2, &CMainFrame::OnViewSearchBar2, &CMainFrame::OnUpdateBar},
        {ID_VIEW_SEARCHBAR3, &CMainFrame::OnViewSearchBar3, &CMainFrame::OnUpdateBar},
        {ID_VIEW_SEARCHBAR4, &CMainFrame::OnViewSearchBar4, &CMainFrame::OnUpdateBar},
        {ID_WINDOW_NEW, &CMainFrame::OnWindowNew, nullptr},
        {ID_WINDOW_CASCADE, &CMainFrame::OnWindowCascade, nullptr},
        {ID_WINDOW_TILE_HORZ, &CMainFrame::OnWindowTile, nullptr},
        {ID_WINDOW_ARRANGE, &CMainFrame::OnWindowArrange, nullptr},
        {ID_NEXT_PANE, &CMainFrame::OnNextPane, nullptr},
        {ID_PREV_PANE, &CMainFrame::OnNextPane, nullptr},
        {ID_APP_EXIT, &CMainFrame::OnAppExit, nullptr},
    };
    // Window commands need a window to act on.
    if (pUI && (nId == ID_WINDOW_NEW || nId == ID_WINDOW_CASCADE || nId == ID_WINDOW_TILE_HORZ ||
                nId == ID_WINDOW_ARRANGE || nId == ID_NEXT_PANE || nId == ID_PREV_PANE)) {
        pUI->Enable(ActiveFrame() != nullptr);
        return true;
    }
    return DispatchCommand(*this, kCommands, nId, pUI);
}

QComboBox* CMainFrame::FocusedSearchBox() const {
    QComboBox* pBox = nullptr;
    if (m_pSearchBox && m_pSearchBox->hasFocus()) pBox = m_pSearchBox;
    for (QComboBox* p : m_pBarSearchBoxes)
        if (p && p->hasFocus()) pBox = p;
    return pBox;
}

void CMainFrame::OnFocusSearchBox() {
    if (m_pSearchBox && !m_pSearchBox->hasFocus()) m_pSearchBox->setFocus();
}

void CMainFrame::OnEditCopy() {
    // A search field's own selection first, else the active view's marking.
    QComboBox* pBox = FocusedSearchBox();
    if (pBox && pBox->lineEdit() && pBox->lineEdit()->hasSelectedText())
        QApplication::clipboard()->setText(pBox->lineEdit()->selectedText());
    else if (CTervikView* pView = ActiveView())
        pView->CopyMarking();
}

void CMainFrame::OnUpdateEditCopy(CCmdUI& ui) {
    QComboBox* pBox = FocusedSearchBox();
    CTervikView* pView = ActiveView();
    ui.Enable((pBox && pBox->lineEdit() && pBox->lineEdit()->hasSelectedText()) ||
              (pView && pView->HasMarking()));
}

void CMainFrame::OnEditCut() {
    QComboBox* pBox = FocusedSearchBox();
    if (pBox && pBox->lineEdit() && pBox->lineEdit()->hasSelectedText()) pBox->lineEdit()->cut();
}

void CMainFrame::OnEditPaste() {
    if (auto* pBox = qobject_cast<CSearchBox*>(FocusedSearchBox()))
        pBox->Paste(QApplication::clipboard()->text());
}

void CMainFrame::OnSyncScroll() {
    m_bSyncScroll = !m_bSyncScroll;
}

void CMainFrame::OnUpdateSyncScroll(CCmdUI& ui) {
    ui.SetCheck(m_bSyncScroll ? 1 : 0);
}

void CMainFrame::OnColourBlue() {
    SetSelectColour(0);
}

void CMainFrame::OnColourRed() {
    SetSelectColour(1);
}

void CMainFrame::OnColourGreen() {
    SetSelectColour(2);
}

void CMainFrame::SetSelectColour(int nColour) {
    m_nSelectColour = nColour;
    if (m_app.IsRecordingScript()) m_app.RecordScript(ScriptColourLine(nColour));
    // Only the pen of the current colour stands in the toolbar.
    const std::pair<unsigned, int> pens[] = {
        {ID_HAND_SELECT, 0}, {ID_HAND_SELECT_RED, 1}, {ID_HAND_SELECT_GREEN, 2}};
    for (const auto& [nId, nPenColour] : pens)
        if (QAction* pButton = ToolBarAction(nId)) pButton->setVisible(nPenColour == nColour);
    // An active select pen takes the new colour at once.
    if (CTervikView* pView = ActiveView()) pView->Pens().SyncPenColour();
    if (m_pColorBox && m_pColorBox->currentIndex() != nColour)
        m_pColorBox->setCurrentIndex(nColour);
}

void CMainFrame::OnUpdateColour(CCmdUI& ui) {
    const unsigned nMine = m_nSelectColour == 1   ? ID_COLOR_RED
                           : m_nSelectColour == 2 ? ID_COLOR_GREEN
                                                  : ID_COLOR_BLUE;
    ui.SetCheck(ui.m_nID == nMine ? 1 : 0);
}

void CMainFrame::OnPrintColour() {
    m_bPrintColour = !m_bPrintColour;
}

void CMainFrame::OnUpdatePrintColour(CCmdUI& ui) {
    ui.SetCheck(m_bPrintColour ? 1 : 0);
}

void CMainFrame::OnNextPane() {
    CChildFrame* pFrame = ActiveFrame();
    if (!pFrame || pFrame->PaneCount() < 2) return;
    CTervikView* pNext = pFrame->Pane(pFrame->ActiveView() == pFrame->Pane(0) ? 1 : 0);
    if (pNext) pNext->setFocus();
}

void CMainFrame::OnAppExit() {
    close();
}

} // namespace tervik
