#include "framework/ui/BusyPump.h"

#include "framework/Completion.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

namespace tervik {

CBusyPump& CBusyPump::Instance() {
    static CBusyPump* s_pPump = new CBusyPump();
    return *s_pPump;
}

void CBusyPump::Begin() {
    if (m_nDepth++ == 0) {
        m_bEscape.store(false);
        m_served.invalidate();
        qApp->installEventFilter(this);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

void CBusyPump::End() {
    if (m_nDepth > 0 && --m_nDepth == 0) {
        qApp->removeEventFilter(this);
        QApplication::restoreOverrideCursor();
    }
}

CBusyPump::CInputAllowed::CInputAllowed() {
    CBusyPump& pump = Instance();
    if (!pump.IsBusy()) return;
    m_bPaused = true;
    qApp->removeEventFilter(&pump);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
}

CBusyPump::CInputAllowed::~CInputAllowed() {
    if (!m_bPaused) return;
    QApplication::restoreOverrideCursor();
    if (Instance().IsBusy()) qApp->installEventFilter(&Instance());
}

void CBusyPump::Pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void CBusyPump::ServeIfDue() {
    constexpr qint64 kServeMs = 50;
    if (m_served.isValid() && m_served.elapsed() < kServeMs) return;
    Pump();
    m_served.start();
}

void CBusyPump::Wait(CCompletion& done, int nMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done.IsSet()) {
        Pump();
        const qint64 nLeft = nMs - timer.elapsed();
        if (nLeft <= 0) break;
        done.WaitFor(static_cast<int>(std::min<qint64>(nLeft, 50)));
    }
}

bool CBusyPump::eventFilter(QObject* pWatched, QEvent* pEvent) {
    switch (pEvent->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Escape) m_bEscape.store(true);
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close:
        return true;
    default:
        return QObject::eventFilter(pWatched, pEvent);
    }
}

} // namespace tervik
