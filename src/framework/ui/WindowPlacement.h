#pragma once

// Where a window may stand: stored positions and shrinking areas never leave a window
// (or its title bar) where the user cannot reach it.

#include <QRect>

class QMdiArea;
class QWidget;

namespace tervik {

// rc moved (and, when larger, shrunk) into bounds; rc itself when bounds is too small
// to mean anything (a window not laid out yet).
QRect KeepInside(const QRect& rc, const QRect& bounds);

// The available area of the screen that holds most of rc, else of the primary screen.
QRect ScreenAreaFor(const QRect& rc);

// Every window of the area that is neither minimized nor maximized and no longer lies
// wholly inside it is moved and, if need be, shrunk into it.
void KeepWindowsInside(QMdiArea& area);

} // namespace tervik
