#pragma once

// The font a view and its printouts draw with: the family, whether all its
// characters are equally wide, and the width of one column.

#include <QFont>
#include <QString>

class QPaintDevice;

namespace tervik {

struct FontPitch {
    // Measured, not read from the font's flag: fontconfig leaves monospaced
    // fonts such as Noto Sans Mono unflagged, and a flag can be wrong either way.
    bool bFixed = false;
    // The exact advance of one character of a fixed-pitch font (device units).
    qreal dAdvance = 0;
    // Whole device units of one column: a character's advance for a fixed-pitch
    // font, the widest character otherwise.
    int nColumnWidth = 1;
};

// Widths on pDevice (the screen when null).
FontPitch MeasurePitch(const QFont& font, const QPaintDevice* pDevice = nullptr);

// The family drawn with for a face name: the name when it is installed, else the
// system's fixed-pitch font, or an installed family that measures fixed-pitch
// when the system's does not.
QString DisplayFamily(const QString& name);

// What the font dialog opens on: the family at the size, upright and of normal
// weight, with a style name the family lists.
QFont DialogFont(const QString& family, qreal dPointSize);

} // namespace tervik
