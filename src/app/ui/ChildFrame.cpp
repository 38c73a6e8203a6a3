#include "app/ui/ChildFrame.h"

#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "framework/ui/QtText.h"
#include "framework/ui/WindowPlacement.h"
#include "views/ui/TervikView.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMdiArea>
#include <QSplitter>
#include <QStyle>
#include <algorithm>

namespace tervik {

CChildFrame::CChildFrame(CTervikDoc& doc, CTervikApp& app, IViewHost* pViewHost, QWidget* pParent)
    : QMdiSubWindow(pParent), m_doc(doc), m_app(app), m_pViewHost(pViewHost) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(style()->standardIcon(QStyle::SP_FileIcon));
    m_pSplitter = new QSplitter(Qt::Vertical, this);
    m_pSplitter->setChildrenCollapsible(false);
    setWidget(m_pSplitter);
    AddPane();
    setWindowTitle(DocumentName());
    ViewsChanged();
    m_app.DocumentManager().FrameCreated(this);
}

CChildFrame::~CChildFrame() {
    // The views leave their document before the last frame may delete it.
    ViewsChanged();
    delete m_pSplitter;
    m_pSplitter = nullptr;
    m_pActive = nullptr;
    // The other windows on the document are numbered anew there.
    m_app.DocumentManager().FrameDestroyed(this);
    if (CMainFrame* pMain = m_app.MainFrame()) pMain->UpdateFrameTitle();
}

QString CChildFrame::DocumentName() const {
    return FromPath(m_doc.GetPathName()).section('/', -1);
}

CTervikView* CChildFrame::AddPane() {
    auto* pView = new CTervikView(m_doc, m_pViewHost, m_pSplitter);
    pView->setMinimumSize(10, 10);
    m_pSplitter->addWidget(pView);
    connect(pView, &CTervikView::Activated, this, [this](CTervikView* p) {
        m_pActive = p;
        emit ViewActivated(p);
    });
    if (!m_pActive) m_pActive = pView;
    return pView;
}

int CChildFrame::PaneCount() const {
    return m_pSplitter->count();
}

CTervikView* CChildFrame::Pane(int nIndex) const {
    return qobject_cast<CTervikView*>(m_pSplitter->widget(nIndex));
}

CTervikView* CChildFrame::ActiveView() const {
    return m_pActive ? m_pActive : Pane(0);
}

void CChildFrame::OnFileClose() {
    // Closing the document closes every window on it.
    if (QMdiArea* pArea = mdiArea())
        for (QMdiSubWindow* pSub : pArea->subWindowList())
            if (auto* pFrame = qobject_cast<CChildFrame*>(pSub);
                pFrame && pFrame != this && &pFrame->m_doc == &m_doc)
                pFrame->close();
    close();
}

void CChildFrame::OnWindowSplit() {
    if (PaneCount() >= 2) {
        // Back to one pane: the lower one goes.
        CTervikView* pLower = Pane(1);
        if (m_pActive == pLower) m_pActive = Pane(0);
        delete pLower;
        ViewsChanged();
        return;
    }
    CTervikView* pView = AddPane();
    const int h = m_pSplitter->height();
    m_pSplitter->setSizes({h / 2, h - h / 2});
    pView->setFocus();
    ViewsChanged();
}

void CChildFrame::ViewsChanged() {
    // Windows on add-on output do not belong in a workspace.
    if (m_app.IsWorkspaceOpen() && !m_doc.m_bDeleteOnClose) m_app.SetWorkspaceModified();
}

void CChildFrame::ActivatePane(CTervikView* pView) {
    if (!pView) return;
    m_pActive = pView;
    pView->setFocus();
    emit ViewActivated(pView);
}

bool CChildFrame::SplitRows(int nUpperHeight) {
    if (PaneCount() >= 2) return false;
    // The splitter gets its size from a placement just applied.
    if (layout()) layout()->activate();
    CTervikView* pView = AddPane();
    // The rows share the height less the handle between them.
    const int h = m_pSplitter->height() - m_pSplitter->handleWidth();
    const int nUpper = std::clamp(nUpperHeight, 10, std::max(10, h - 10));
    m_pSplitter->setSizes({nUpper, std::max(10, h - nUpper)});
    ActivatePane(pView);
    ViewsChanged();
    return true;
}

int CChildFrame::RowHeight(int nRow) const {
    const QList<int> sizes = m_pSplitter->sizes();
    return nRow >= 0 && nRow < sizes.size() ? sizes[nRow] : 0;
}

void CChildFrame::RememberNormalRect() {
    if (!isMaximized() && !isMinimized() && isVisible()) m_rcNormal = geometry();
}

void CChildFrame::moveEvent(QMoveEvent* pEvent) {
    QMdiSubWindow::moveEvent(pEvent);
    RememberNormalRect();
}

void CChildFrame::resizeEvent(QResizeEvent* pEvent) {
    QMdiSubWindow::resizeEvent(pEvent);
    RememberNormalRect();
}

QRect CChildFrame::NormalRect() const {
    if (!isMaximized() && !isMinimized()) return geometry();
    return m_rcNormal.isNull() ? geometry() : m_rcNormal;
}

int CChildFrame::ShowState() const {
    return isMinimized() ? 2 : isMaximized() ? 3 : 1;
}

void CChildFrame::ApplyPlacement(const QRect& rcNormal, int nShowState) {
    if (isMaximized() || isMinimized()) showNormal();
    // A stored place beyond the area is brought into it, title bar and all.
    if (rcNormal.width() > 0 && rcNormal.height() > 0)
        setGeometry(mdiArea() ? KeepInside(rcNormal, QRect(QPoint(0, 0), mdiArea()->viewport()->size()))
                              : rcNormal);
    m_rcNormal = geometry();
    if (nShowState == 3)
        showMaximized();
    else if (nShowState == 2)
        showMinimized();
    else
        show();
}

void CChildFrame::OnViewFollow() {
    m_app.DocumentManager().ToggleFollow(m_doc);
}

void CChildFrame::OnUpdateViewFollow(CCmdUI& ui) {
    ui.SetCheck(m_app.DocumentManager().IsFollowing(m_doc) ? 1 : 0);
}

bool CChildFrame::OnCmdMsg(unsigned nId, CCmdUI* pUI) {
    static const CommandEntry<CChildFrame> kCommands[] = {
        {ID_WINDOW_SPLIT, &CChildFrame::OnWindowSplit, nullptr},
        {ID_FILE_CLOSE, &CChildFrame::OnFileClose, nullptr},
        {ID_VIEW_FOLLOW, &CChildFrame::OnViewFollow, &CChildFrame::OnUpdateViewFollow},
    };
    return DispatchCommand(*this, kCommands, nId, pUI);
}

void CChildFrame::closeEvent(QCloseEvent* pEvent) {
    // The state of the last closed document window comes back in the next run.
    m_app.Settings().WriteChildWindowState(isMaximized() ? 3 : isMinimized() ? 2 : 1);
    QMdiSubWindow::closeEvent(pEvent);
}

void CChildFrame::showEvent(QShowEvent* pEvent) {
    QMdiSubWindow::showEvent(pEvent);
    CMainFrame* pMain = m_app.MainFrame();
    if (!pMain) return;
    // Only the first document window of a run takes the stored state; a workspace
    // sets the states itself.
    if (m_app.m_bLoadingWorkspace) {
        pMain->m_bChildStateApplied = true;
        return;
    }
    if (!pMain->m_bChildStateApplied) {
        pMain->m_bChildStateApplied = true;
        if (m_app.Settings().ChildWindowState() == 3) showMaximized();
    }
}

} // namespace tervik
