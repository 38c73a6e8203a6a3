#pragma once

// A colour of the settings as Qt paints it.

#include "base/Colour.h"

#include <QColor>

namespace tervik {

inline QColor ToQColor(COLORREF c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

} // namespace tervik
