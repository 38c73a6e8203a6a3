// Build tool: renders the program's SVG icon into the PNG sizes of the hicolor theme,
// so the desktop shows the same picture as the window and the about box.
// Usage: tervik-render-icon ICON.svg OUTDIR SIZE... -> OUTDIR/SIZExSIZE/apps/NAME.png

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "Aufruf: %s ICON.svg AUSGABEORDNER GRÖSSE...\n", argv[0]);
        return 2;
    }
    const QString svg = QString::fromLocal8Bit(argv[1]);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "Das Bild %s ist nicht lesbar.\n", argv[1]);
        return 1;
    }
    const QString name = QFileInfo(svg).completeBaseName() + QStringLiteral(".png");
    for (int i = 3; i < argc; ++i) {
        bool bOk = false;
        const int nSize = QString::fromLatin1(argv[i]).toInt(&bOk);
        if (!bOk || nSize < 1 || nSize > 1024) {
            std::fprintf(stderr, "Ungültige Größe: %s\n", argv[i]);
            return 2;
        }
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(nSize);
        QImage image(nSize, nSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            renderer.render(&painter, QRectF(0, 0, nSize, nSize));
        }
        if (!QDir().mkpath(folder) || !image.save(folder + QLatin1Char('/') + name, "PNG")) {
            std::fprintf(stderr, "%s/%s kann nicht geschrieben werden.\n", qPrintable(folder),
                         qPrintable(name));
            return 1;
        }
    }
    return 0;
}
