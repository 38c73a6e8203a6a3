// The main window's document windows: new windows, cascading, tiling and arranging
// them, their place and titles, and the main window's own place.

#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "base/Strings.h"
#include "framework/ui/QtText.h"
#include "framework/ui/WindowPlacement.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>

namespace tervik {

void CMainFrame::OnWindowNew() {
    if (CChildFrame* pFrame = ActiveFrame())
        m_app.DocumentManager().CreateFrame(pFrame->GetDocument());
}

void CMainFrame::OnWindowCascade() {
    // Qt's own cascade shrinks the windows to their smallest size. Here each window
    // keeps most of the area, one title bar further down and right than the one
    // before, the active one on top.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* pSub : m_pMdiArea->subWindowList(QMdiArea::CreationOrder))
        if (pSub->isVisible() && !pSub->isMinimized()) windows.append(pSub);
    QMdiSubWindow* pActive = m_pMdiArea->currentSubWindow();
    if (windows.removeOne(pActive)) windows.append(pActive);
    if (windows.isEmpty()) return;
    const QSize area = m_pMdiArea->viewport()->size();
    const int nStep = std::max(8, windows.front()->style()->pixelMetric(QStyle::PM_TitleBarHeight,
                                                                        nullptr, windows.front()));
    const int nSteps = static_cast<int>(windows.size()) - 1;
    const int nWidth = std::max(area.width() * 2 / 3, area.width() - nSteps * nStep);
    const int nHeight = std::max(area.height() * 2 / 3, area.height() - nSteps * nStep);
    // Positions start over at the corner when the next step would leave the area.
    const int nFit = std::max(
        1, std::min((area.width() - nWidth) / nStep, (area.height() - nHeight) / nStep) + 1);
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* pSub = windows[i];
        if (pSub->isMaximized()) pSub->showNormal();
        const int nOffset = (i % nFit) * nStep;
        pSub->setGeometry(nOffset, nOffset, nWidth, nHeight);
        pSub->raise();
    }
    m_pMdiArea->setActiveSubWindow(pActive ? pActive : windows.back());
}

void CMainFrame::OnWindowTile() {
    m_pMdiArea->tileSubWindows();
}

void CMainFrame::OnWindowArrange() {
    // Only the minimized windows: side by side along the bottom, from the left, further
    // rows above. Open windows keep their places.
    const QSize area = m_pMdiArea->viewport()->size();
    int x = 0, nRowBottom = area.height(), nRowHeight = 0;
    for (QMdiSubWindow* pSub : m_pMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!pSub->isMinimized() || pSub->isHidden()) continue;
        const QSize size = pSub->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            nRowBottom -= nRowHeight;
            nRowHeight = 0;
        }
        pSub->move(x, nRowBottom - size.height());
        x += size.width();
        nRowHeight = std::max(nRowHeight, size.height());
    }
}

void CMainFrame::PlaceNewWindow(CChildFrame* pFrame, QMdiSubWindow* pPrevious) {
    const QSize area = m_pMdiArea->viewport()->size();
    if (area.isEmpty()) return;
    const int nStep =
        std::max(8, pFrame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, pFrame));
    const int nWidth = std::max(area.width() * 3 / 4, area.width() - 4 * nStep);
    const int nHeight = std::max(area.height() * 3 / 4, area.height() - 4 * nStep);
    QPoint pos(0, 0);
    if (pPrevious && pPrevious != pFrame && !pPrevious->isMinimized()) {
        const QRect rc = pPrevious->isMaximized() ? QRect() : pPrevious->geometry();
        pos = rc.topLeft() + QPoint(nStep, nStep);
        if (rc.isNull() || pos.x() + nWidth > area.width() || pos.y() + nHeight > area.height())
            pos = QPoint(0, 0);
    }
    pFrame->setGeometry(QRect(pos, QSize(nWidth, nHeight)));
}

void CMainFrame::NumberWindows(const std::vector<CChildFrame*>& frames, size_t nFrom) {
    for (size_t i = nFrom; i < frames.size(); ++i) {
        const QString name = frames[i]->DocumentName();
        frames[i]->setWindowTitle(frames.size() == 1 ? name
                                                     : QString("%1:%2").arg(name).arg(i + 1));
    }
    UpdateFrameTitle();
}

void CMainFrame::UpdateFrameTitle() {
    const QString app = FromAnsi(LoadString(IDS_MAIN_TITLE));
    QString title = app;
    QString shown = app;
    if (auto* pFrame = qobject_cast<CChildFrame*>(m_pMdiArea->currentSubWindow())) {
        if (pFrame->maximizedButtonsWidget()) {
            // A maximized window whose buttons sit in the menu bar adds its own
            // title in brackets, as multiple-document frames do.
            shown = QMdiSubWindow::tr("%1 - [%2]").arg(app, pFrame->windowTitle());
        } else {
            title = app + " - " + pFrame->DocumentName();
            shown = title;
        }
    }
    if (windowTitle() == shown) return;
    m_bSettingTitle = true;
    setWindowTitle(title);
    m_bSettingTitle = false;
}

void CMainFrame::changeEvent(QEvent* pEvent) {
    QMainWindow::changeEvent(pEvent);
    // A document window maximized or restored by the user changes our title.
    if (pEvent->type() == QEvent::WindowTitleChange && !m_bSettingTitle)
        QMetaObject::invokeMethod(this, &CMainFrame::UpdateFrameTitle, Qt::QueuedConnection);
}

void CMainFrame::RestoreWindowPosition() {
    const auto rc = m_settings.WindowPosition();
    // A position above or left of the screen is not taken; one beyond the screens is
    // brought onto one.
    if (rc && rc->m_nTop >= 0 && rc->m_nLeft >= 0) {
        const QRect stored(rc->m_nLeft, rc->m_nTop, rc->m_nRight - rc->m_nLeft,
                           rc->m_nBottom - rc->m_nTop);
        const QRect screen = ScreenAreaFor(stored);
        // The window's frame lies around this rectangle: room for a title bar above it
        // and borders beside it.
        setGeometry(screen.contains(stored) ? stored
                                            : KeepInside(stored, screen.adjusted(8, 32, -8, -8)));
    }
}

void CMainFrame::SaveWindowPosition() {
    const QRect rc = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (rc.isValid())
        m_settings.WriteWindowPosition({rc.top(), rc.left(), rc.bottom() + 1, rc.right() + 1});
    m_settings.WriteWindowState(isMinimized() ? 2 : isMaximized() ? 3 : 1);
}

} // namespace tervik
