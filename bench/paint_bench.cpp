// Paints one screen of 50 rows at 1,000 random positions of a large record table,
// in text and hex display and in text with everything marked, and prints the median and worst time
// per paint, for a table of 1 M and one of 100 M records (sparse files of 80-byte records).
//   tervik-bench-paint [FOLDER]
#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "document/TervikDoc.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMdiArea>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tervik;

namespace {

constexpr uint32_t kRecordBytes = 80;

std::string SparseFile(const std::string& folder, uint64_t nRecords) {
    const std::string path = folder + "/paint-" + std::to_string(nRecords) + ".dat";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(nRecords * kRecordBytes)) != 0)
        std::perror(path.c_str());
    // Some text at the start and the end, the rest is holes.
    const char text[] = "2026-12-07 08:00:00 INFO  Zeile mit Text\tund Tab";
    ::pwrite(fd, text, sizeof text - 1, 0);
    ::pwrite(fd, text, sizeof text - 1, static_cast<off_t>((nRecords - 1) * kRecordBytes));
    ::close(fd);
    return path;
}

// Record counts to measure; TERVIK_PAINT_SIZES="1000000 5000000" overrides.
std::vector<uint64_t> Sizes() {
    std::vector<uint64_t> sizes;
    if (const char* psz = std::getenv("TERVIK_PAINT_SIZES"))
        for (const QString& part : QString(psz).split(' ', Qt::SkipEmptyParts))
            sizes.push_back(part.toULongLong());
    if (sizes.empty()) sizes = {1'000'000, 100'000'000};
    return sizes;
}

void Measure(CTervikApp& app, const std::string& path, uint64_t nRecords) {
    OpenDialogValues values{false, kRecordBytes, 0, 0};
    app.m_openOptions.BeforeDialog();
    app.m_openOptions.OnOk(values);
    QElapsedTimer openTimer;
    openTimer.start();
    CTervikDoc* pDoc = app.OpenDocumentFile(path);
    app.m_openOptions.AfterDialog(true, values);
    if (!pDoc) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return;
    }
    // The window shows the first records at once; the paints below go anywhere.
    if (!app.DocumentManager().WholeDocument(*pDoc)) return;
    const double openSeconds = static_cast<double>(openTimer.elapsed()) / 1000.0;
    auto* pFrame = qobject_cast<CChildFrame*>(app.MainFrame()->MdiArea()->activeSubWindow());
    pFrame->showNormal();
    CTervikView* pView = pFrame->ActiveView();
    pFrame->resize(900, pView->LineHeight() * 50 + 60);
    QApplication::processEvents();
    std::mt19937_64 rng(42);
    QImage image(pView->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    // The third case paints with every line on screen marked.
    for (int nCase = 0; nCase < 3; ++nCase) {
        const DisplayMode mode = nCase == 1 ? DisplayMode::Hex : DisplayMode::Text;
        pView->SetMode(mode);
        if (nCase == 2) pView->OnMarkAll();
        std::vector<double> ms;
        for (int i = 0; i < 1000; ++i) {
            pView->SetTopLine(static_cast<uint32_t>(rng() % nRecords));
            // Into an image of the view's size: the painting itself, not the window
            // system's copy to the screen.
            QElapsedTimer t;
            t.start();
            pView->viewport()->render(&image);
            ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%11llu Datensätze, %-4s: Median %.3f ms, schlechtester %.3f ms (Öffnen %.1f "
                    "s, %d Zeilen sichtbar)\n",
                    static_cast<unsigned long long>(nRecords),
                    nCase == 2                  ? "mark"
                    : mode == DisplayMode::Text ? "Text"
                                                : "Hex",
                    ms[ms.size() / 2], ms.back(), openSeconds, pView->VisibleLines());
    }
    pFrame->close();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    CTervikApp app;
    if (!app.InitInstance({"--ini", QString::fromStdString(folder + "/paint-bench.ini")})) return 1;
    for (uint64_t n : Sizes()) {
        const std::string path = SparseFile(folder, n);
        Measure(app, path, n);
        ::unlink(path.c_str());
    }
    std::printf("Ziel: Median <= 1 ms, schlechtester <= 5 ms, unabhängig von der Dateigröße\n");
    app.MainFrame()->close();
    app.ExitInstance();
    return 0;
}
