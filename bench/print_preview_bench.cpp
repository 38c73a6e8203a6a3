// The print preview of a large log as the viewer shows it: the time until page 1 is
// on the screen, until the page count is known and for a jump to the last page, and
// how much memory the preview adds at its peak. With --qt, Qt's own preview widget
// instead, which draws every page before it shows one.
//   tervik-bench-print-preview FILE [--qt]
// Prints "key: value" lines for bench/print_preview.sh.
#include "BenchHost.h"
#include "base/Settings.h"
#include "document/TervikDoc.h"
#include "platform/CodePage.h"
#include "views/ui/PrintPreview.h"

#include <QApplication>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

namespace {

using namespace tervik;
using Clock = std::chrono::steady_clock;

long Ms(Clock::time_point t) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

// A line of /proc/self/status in kB.
long StatusKb(const char* pszKey) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(pszKey);
    while (std::getline(in, line))
        if (line.compare(0, n, pszKey) == 0) return std::atol(line.c_str() + n + 1);
    return -1;
}

// The peak so far becomes the present size.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void WaitFor(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "Aufruf: tervik-bench-print-preview DATEI [--qt]\n");
        return 2;
    }
    const bool bQt = argc > 2 && std::strcmp(argv[2], "--qt") == 0;
    bench::CBenchHost host;
    CTervikDoc doc(host);
    if (!doc.OnOpenDocument(argv[1])) return 1;
    // The viewer's printer and the font of its settings.
    QPrinter printer(QPrinter::HighResolution);
    PrintRequest request;
    request.m_fontName = QString::fromStdString(Cp1252ToUtf8(host.Settings().FontName()));
    request.m_nFontSize10 = host.Settings().FontSize() * 10;
    std::printf("records: %u\n", doc.m_nRecords);

    ResetPeak();
    const long nRss0 = StatusKb("VmRSS:");
    const auto t0 = Clock::now();
    if (bQt) {
        QPrintPreviewWidget widget(&printer);
        QObject::connect(&widget, &QPrintPreviewWidget::paintRequested, [&](QPrinter* p) {
            CPrintJob job(doc, request);
            job.Run(*p);
        });
        widget.resize(1200, 900);
        widget.show();
        widget.updatePreview();
        QCoreApplication::processEvents();
        std::printf("qt-page1-ms: %ld\n", Ms(t0));
        std::printf("pages: %d\n", widget.pageCount());
    } else {
        CPrintPreview preview(doc, request, printer);
        preview.resize(1200, 900);
        preview.show();
        WaitFor([&] { return preview.PagesDrawn() > 0; });
        std::printf("page1-ms: %ld\n", Ms(t0));
        WaitFor([&] { return preview.CountDone(); });
        std::printf("count-ms: %ld\n", Ms(t0));
        std::printf("pages: %u\n", preview.PageCount());
        const int nDrawn = preview.PagesDrawn();
        const auto t1 = Clock::now();
        preview.LastPage();
        WaitFor([&] { return preview.PagesDrawn() > nDrawn; });
        std::printf("last-page-ms: %ld\n", Ms(t1));
    }
    std::printf("growth-kb: %ld\n", StatusKb("VmHWM:") - nRss0);
    doc.OnCloseDocument();
    return 0;
}
