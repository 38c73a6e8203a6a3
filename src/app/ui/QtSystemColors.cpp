#include "app/ui/QtSystemColors.h"

#include <QApplication>
#include <QColor>
#include <QPalette>

namespace tervik {

namespace {
COLORREF FromQColor(const QColor& c) {
    return MakeRgb(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                   static_cast<uint8_t>(c.blue()));
}
} // namespace

COLORREF CQtSystemColors::WindowColor() const {
    return FromQColor(QApplication::palette().color(QPalette::Base));
}

COLORREF CQtSystemColors::AppWorkspaceColor() const {
    return FromQColor(QApplication::palette().color(QPalette::Dark));
}

// Desktops have no "desktop colour" Qt could tell; the classic one stands in.
COLORREF CQtSystemColors::DesktopColor() const {
    return CDefaultSystemColors().DesktopColor();
}

COLORREF CQtSystemColors::InfoBkColor() const {
    return FromQColor(QApplication::palette().color(QPalette::ToolTipBase));
}

} // namespace tervik
