// Follow mode under load.
//   tervik-bench-follow --write FILE MB_PER_S SECONDS
//       appends log lines to FILE at that rate, in blocks every 10 ms; each line
//       carries the monotonic clock of its write ("t=<ns>").
//   tervik-bench-follow FILE SECONDS
//       the viewer on FILE with "Datei verfolgen" on; measures, over SECONDS, the
//       process's processor time and how long a written line takes to be painted.
// bench/follow.sh runs both.
#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "document/TervikDoc.h"
#include "framework/CommandIds.h"
#include "views/ui/TervikView.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

double CpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

int Write(const char* pszFile, double dMbPerSecond, double dSeconds) {
    std::FILE* pOut = std::fopen(pszFile, "ab");
    if (!pOut) return 1;
    const auto nBlock = static_cast<size_t>(dMbPerSecond * 1048576 / 100); // every 10 ms
    const int64_t nStart = MonotonicNs();
    const auto nEnd = nStart + static_cast<int64_t>(dSeconds * 1e9);
    uint64_t nLine = 0;
    std::string block;
    for (int64_t nNext = nStart; nNext < nEnd; nNext += 10000000) {
        while (MonotonicNs() < nNext)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        block.clear();
        const std::string stamp = " t=" + std::to_string(MonotonicNs()) + " ";
        while (block.size() < nBlock) {
            block += "2026-12-07 09:15:42 INFO  Auftrag Zeile " + std::to_string(nLine) + stamp +
                     std::string(20 + nLine % 40, 'x') + "\n";
            ++nLine;
        }
        if (std::fwrite(block.data(), 1, block.size(), pOut) != block.size()) return 1;
        std::fflush(pOut);
    }
    std::fclose(pOut);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--write") == 0)
        return Write(argv[2], std::atof(argv[3]), std::atof(argv[4]));
    if (argc < 3) {
        std::fprintf(stderr, "usage: tervik-bench-follow FILE SECONDS | --write FILE MB_PER_S "
                             "SECONDS\n");
        return 2;
    }
    using namespace tervik;
    QApplication qapp(argc, argv);
    CTervikApp app;
    const std::string ini = std::string(argv[1]) + ".ini";
    if (!app.InitInstance({QString::fromLocal8Bit(argv[1]), "--ini", QString::fromStdString(ini)}))
        return 1;
    CMainFrame& frame = *app.MainFrame();
    CTervikView* pView = frame.ActiveView();
    if (!pView) return 1;
    CTervikDoc& doc = pView->GetDocument();
    pView->setFocus();
    // At the end, as a user following a log sits.
    pView->OnVScroll(ScrollCode::Bottom, 0, false);

    // Each paint shows lines that came since the last one: how old is the oldest of
    // them, the line that waited longest?
    std::vector<double> latencies;
    struct PaintProbe : QObject {
        CTervikDoc* pDoc;
        std::vector<double>* pOut;
        uint32_t nShown = 0;
        bool eventFilter(QObject*, QEvent* pEvent) override {
            if (pEvent->type() != QEvent::Paint || pDoc->m_nRecords == 0) return false;
            // The last line may still grow: only complete ones count.
            const uint32_t nComplete = pDoc->m_nRecords - 1;
            if (nComplete <= nShown) return false;
            char buf[512];
            const uint32_t n = pDoc->GetRecordText(nShown, buf, sizeof buf - 1, 0, false, false);
            buf[n] = '\0';
            nShown = nComplete;
            if (const char* p = std::strstr(buf, " t="))
                pOut->push_back(static_cast<double>(MonotonicNs() - std::atoll(p + 3)) / 1e6);
            return false;
        }
    } probe;
    probe.pDoc = &doc;
    probe.pOut = &latencies;
    probe.nShown = doc.m_nRecords ? doc.m_nRecords - 1 : 0; // the lines of the start are old
    pView->viewport()->installEventFilter(&probe);

    const double dSeconds = std::atof(argv[2]);
    const int64_t nBytesBefore = doc.m_nFileSize;
    const double dCpu0 = CpuSeconds();
    const int64_t nT0 = MonotonicNs();
    frame.ExecuteCommand(ID_VIEW_FOLLOW);
    QTimer::singleShot(static_cast<int>(dSeconds * 1000), &qapp, [&] {
        const double dCpu = CpuSeconds() - dCpu0;
        const double dWall = static_cast<double>(MonotonicNs() - nT0) / 1e9;
        std::sort(latencies.begin(), latencies.end());
        const auto at = [&](double q) {
            return latencies.empty()
                       ? 0.0
                       : latencies[std::min(
                             latencies.size() - 1,
                             static_cast<size_t>(q * static_cast<double>(latencies.size())))];
        };
        std::printf("follow-seconds: %.2f\n", dWall);
        std::printf("follow-cpu-s: %.3f\n", dCpu);
        std::printf("follow-bytes: %lld\n", static_cast<long long>(doc.m_nFileSize - nBytesBefore));
        std::printf("follow-records: %u\n", doc.m_nRecords);
        std::printf("paints: %zu\n", latencies.size());
        std::printf("latency-ms-median: %.1f\nlatency-ms-p95: %.1f\nlatency-ms-max: %.1f\n",
                    at(0.5), at(0.95), latencies.empty() ? 0.0 : latencies.back());
        std::fflush(stdout);
        frame.close();
        QApplication::quit();
    });
    const int nExit = QApplication::exec();
    app.ExitInstance();
    return nExit;
}
