// The main window's status bar: the message pane, which each document window
// remembers, the position pane and the progress bar of long operations.

#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "base/Strings.h"
#include "framework/ui/QtText.h"
#include "views/ui/TervikView.h"

#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>
#include <cstdio>

namespace tervik {

namespace {
// The property holding a window's last message (cp1252).
constexpr char kMessageProperty[] = "tervikMessage";
} // namespace

void CMainFrame::CreateStatusBar() {
    QStatusBar* pBar = statusBar();
    pBar->setObjectName("statusBar");
    m_pMessagePane = new QLabel(pBar);
    m_pMessagePane->setObjectName("messagePane");
    pBar->addWidget(m_pMessagePane, 1);
    m_pPositionPane = new QLabel(pBar);
    m_pPositionPane->setObjectName("positionPane");
    pBar->addPermanentWidget(m_pPositionPane);
    for (const char* psz : {"UF", "NUM", "RF"}) {
        auto* pIndicator = new QLabel(psz, pBar);
        pIndicator->setObjectName(QString("indicator") + psz);
        pIndicator->setEnabled(false); // the lock keys' state is not known here
        pBar->addPermanentWidget(pIndicator);
    }
    SetMessageText(LoadString(IDS_READY));
}

void CMainFrame::SetPositionIndicator(uint32_t nLine, uint32_t nTotal, uint32_t nColumn,
                                      uint32_t nCount) {
    std::string format = LoadString(IDS_POSITION_INDICATOR);
    const size_t q = format.find('?');
    if (q != std::string::npos) {
        if (nCount != 0)
            format.replace(q, 2, "%d");
        else if (q > 0)
            format.erase(q - 1, 3);
    }
    char buf[128];
    if (nCount != 0)
        std::snprintf(buf, sizeof buf, format.c_str(), nLine, nTotal, nCount, nColumn);
    else
        std::snprintf(buf, sizeof buf, format.c_str(), nLine, nTotal, nColumn);
    const QString text = FromAnsi(buf);
    // 6 pixels a character less 15 fits the classic status-bar font; a wider font
    // must not cut the text.
    const int nRule = 6 * static_cast<int>(text.size()) - 15;
    const int nNeeded = m_pPositionPane->fontMetrics().horizontalAdvance(text) + 8;
    const int nWidth = std::max({0, nRule, nNeeded});
    m_pPositionPane->setText(text);
    if (nWidth != m_pPositionPane->width()) {
        m_pPositionPane->setFixedWidth(nWidth);
        // A long run repaints the bar without serving events: the panes beside a
        // wider position pane move now, not when the layout gets its turn.
        if (QLayout* pLayout = statusBar()->layout()) pLayout->activate();
    }
}

QString CMainFrame::PositionText() const {
    return m_pPositionPane->text();
}

void CMainFrame::ClearPositionIndicator() {
    m_pPositionPane->clear();
}

std::string CMainFrame::GetMessageText() const {
    return m_messageText;
}

void CMainFrame::RememberMessage(QMdiSubWindow* pWindow, const std::string& text) {
    if (pWindow) pWindow->setProperty(kMessageProperty, QByteArray::fromStdString(text));
}

void CMainFrame::SetMessageText(const std::string& text) {
    m_messageText = text;
    // Each window keeps its last message: switching back shows it again.
    RememberMessage(m_pMdiArea ? m_pMdiArea->currentSubWindow() : nullptr, text);
    // A hovered item's hint must not hide the result of a command.
    statusBar()->clearMessage();
    QString shown = FromAnsi(text);
    while (shown.endsWith('\n') || shown.endsWith('\r'))
        shown.chop(1);
    m_pMessagePane->setText(shown);
}

void CMainFrame::OnSubWindowActivated() {
    UpdateFrameTitle();
    // The message pane says what the active window did last; a new window takes what
    // is shown; with no window left the program is ready.
    if (QMdiSubWindow* pCurrent = m_pMdiArea->currentSubWindow()) {
        const QVariant said = pCurrent->property(kMessageProperty);
        SetMessageText(said.isValid() ? said.toByteArray().toStdString() : m_messageText);
    } else if (m_pMdiArea->subWindowList().isEmpty()) {
        SetMessageText(LoadString(IDS_READY));
    }
    // The dump box serves the active window's view only; without a window it is off.
    // (A deactivated application keeps its current window.)
    auto* pFrame = qobject_cast<CChildFrame*>(m_pMdiArea->currentSubWindow());
    if (CTervikView* pView = pFrame ? pFrame->ActiveView() : nullptr) {
        pView->UpdateDumpBox();
        pView->ReportPosition();
    } else
        HideDumpBox();
}

void CMainFrame::RepaintStatusBar() {
    statusBar()->repaint();
}

bool CMainFrame::GetMessagePaneRect(PixelRect& rc) const {
    if (statusBar()->isHidden()) return false;
    const QRect r = m_pMessagePane->geometry();
    rc = PixelRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    return true;
}

void CMainFrame::ShowProgressBar(const PixelRect& rc, int nRange) {
    if (!m_pProgress) {
        m_pProgress = new QProgressBar(statusBar());
        m_pProgress->setObjectName("progressBar");
        m_pProgress->setTextVisible(false);
    }
    m_pProgress->setRange(0, nRange);
    m_pProgress->setValue(0);
    m_pProgress->setGeometry(rc.m_nLeft, rc.m_nTop, rc.m_nRight - rc.m_nLeft,
                             rc.m_nBottom - rc.m_nTop);
    m_pProgress->show();
}

void CMainFrame::SetProgress(int nPos) {
    if (!m_pProgress) return;
    // The position pane beside it grows with a count that gets longer while a file is
    // cut: the bar stays within the message pane.
    QRect bar = m_pProgress->geometry();
    const int nRight = m_pMessagePane->geometry().right();
    if (bar.right() > nRight && nRight > bar.left()) {
        bar.setRight(nRight);
        m_pProgress->setGeometry(bar);
    }
    m_pProgress->setValue(nPos);
}

void CMainFrame::RemoveProgressBar() {
    delete m_pProgress;
    m_pProgress = nullptr;
}

} // namespace tervik
