#include "views/ui/ViewFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace tervik {

namespace {

// Narrow, wide and punctuation glyphs: a proportional font cannot give them one advance.
constexpr char16_t kProbe[] = u"iWM.0_";

QFont Probe(const QString& family) {
    QFont font(family);
    font.setPointSize(10);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

// The family's upright style nearest to normal weight; empty when it lists none.
QString UprightStyle(const QString& family) {
    QString best;
    int nBest = INT_MAX;
    for (const QString& style : QFontDatabase::styles(family)) {
        // italic() says no to an oblique face; the font made from it tells.
        if (QFontDatabase::font(family, style, 10).style() != QFont::StyleNormal) continue;
        const int nDistance = std::abs(QFontDatabase::weight(family, style) - QFont::Normal);
        if (nDistance < nBest) {
            nBest = nDistance;
            best = style;
        }
    }
    return best;
}

} // namespace

FontPitch MeasurePitch(const QFont& font, const QPaintDevice* pDevice) {
    const QFontMetricsF fmf = pDevice ? QFontMetricsF(font, pDevice) : QFontMetricsF(font);
    const QFontMetrics fm = pDevice ? QFontMetrics(font, pDevice) : QFontMetrics(font);
    FontPitch pitch;
    const qreal dFirst = fmf.horizontalAdvance(QChar(kProbe[0]));
    pitch.bFixed = dFirst > 0;
    for (const char16_t c : std::u16string_view(kProbe))
        if (std::abs(fmf.horizontalAdvance(QChar(c)) - dFirst) > dFirst / 256) pitch.bFixed = false;
    if (pitch.bFixed) {
        pitch.dAdvance = fmf.horizontalAdvance(QLatin1Char('0'));
        pitch.nColumnWidth = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    } else {
        pitch.nColumnWidth = std::max(1, fm.maxWidth());
    }
    return pitch;
}

QString DisplayFamily(const QString& name) {
    if (!name.isEmpty() && QFontDatabase::hasFamily(name)) return name;
    // The system font may be an alias such as "monospace"; the family it stands for.
    const QString system = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
    if (MeasurePitch(Probe(system)).bFixed) return system;
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(family) && MeasurePitch(Probe(family)).bFixed)
            return family;
    return system;
}

QFont DialogFont(const QString& family, qreal dPointSize) {
    QFont font(family);
    font.setPointSizeF(dPointSize);
    font.setStyle(QFont::StyleNormal);
    font.setWeight(QFont::Normal);
    if (const QString style = UprightStyle(family); !style.isEmpty()) font.setStyleName(style);
    return font;
}

} // namespace tervik
