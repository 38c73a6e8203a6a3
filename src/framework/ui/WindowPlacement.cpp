#include "framework/ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <algorithm>

namespace tervik {

namespace {
// Smaller areas are not laid out yet; nothing is fitted into them.
constexpr int kLeastWidth = 200;
constexpr int kLeastHeight = 100;
} // namespace

QRect KeepInside(const QRect& rc, const QRect& bounds) {
    if (bounds.width() < kLeastWidth || bounds.height() < kLeastHeight || !rc.isValid()) return rc;
    const int nWidth = std::min(rc.width(), bounds.width());
    const int nHeight = std::min(rc.height(), bounds.height());
    const int x = std::clamp(rc.x(), bounds.left(), bounds.left() + bounds.width() - nWidth);
    const int y = std::clamp(rc.y(), bounds.top(), bounds.top() + bounds.height() - nHeight);
    return {x, y, nWidth, nHeight};
}

QRect ScreenAreaFor(const QRect& rc) {
    QRect best;
    qint64 nBest = 0;
    for (const QScreen* pScreen : QGuiApplication::screens()) {
        const QRect common = pScreen->availableGeometry().intersected(rc);
        const qint64 n = qint64{common.width()} * common.height();
        if (n > nBest) {
            nBest = n;
            best = pScreen->availableGeometry();
        }
    }
    if (best.isNull())
        if (const QScreen* pPrimary = QGuiApplication::primaryScreen())
            best = pPrimary->availableGeometry();
    return best;
}

void KeepWindowsInside(QMdiArea& area) {
    const QRect bounds(QPoint(0, 0), area.viewport()->size());
    for (QMdiSubWindow* pSub : area.subWindowList()) {
        if (pSub->isMinimized() || pSub->isMaximized() || pSub->isHidden()) continue;
        const QRect rc = pSub->geometry();
        if (!bounds.contains(rc)) pSub->setGeometry(KeepInside(rc, bounds));
    }
}

} // namespace tervik
