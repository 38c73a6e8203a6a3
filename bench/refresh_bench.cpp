// The refresh (F5) of a large open log after another program appended to it: opens
// FILE as the viewer does, then RUNS times appends APPEND bytes of log lines and
// times the refresh alone. The file gets its old size back at the end.
//   tervik-bench-refresh FILE [APPEND_BYTES] [RUNS]
// Prints per run "refresh-ms: X append-bytes: N records: +R", then the median, the
// slowest run and the sum.
#include "BenchHost.h"
#include "document/TervikDoc.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace tervik;

using bench::CBenchHost;

// Log lines of about 60 to 120 bytes, LF-terminated, n bytes in all.
std::string LogLines(size_t n, unsigned nSeed) {
    std::string s;
    s.reserve(n + 128);
    unsigned x = nSeed * 2654435761u + 1;
    for (unsigned i = 0; s.size() < n; ++i) {
        x = x * 1103515245u + 12345u;
        s += "2026-12-07 09:15:" + std::to_string(10 + i % 50) + " INFO  Nachlauf Zeile " +
             std::to_string(i) + std::string(10 + (x >> 16) % 60, 'x') + "\n";
    }
    s.resize(n);
    s.back() = '\n';
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tervik-bench-refresh FILE [APPEND_BYTES] [RUNS]\n");
        return 2;
    }
    const std::string path = argv[1];
    const size_t nAppend = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1048576;
    const int nRuns = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

    CBenchHost host(true);
    CTervikDoc doc(host);
    if (!doc.OnOpenDocument(path)) return 1;
    const int64_t nOriginal = doc.m_nFileSize;
    // The digest of the open runs on its own thread; it must not share the timings.
    doc.GetDigest();
    std::fprintf(stderr, "open: %lld bytes, %u records\n", static_cast<long long>(nOriginal),
                 doc.m_nRecords);

    std::FILE* pOut = std::fopen(path.c_str(), "ab");
    if (!pOut) return 1;
    std::vector<double> times;
    int nExit = 0;
    for (int i = 0; i < nRuns; ++i) {
        const std::string data = LogLines(nAppend, static_cast<unsigned>(i));
        if (std::fwrite(data.data(), 1, data.size(), pOut) != data.size() || std::fflush(pOut)) {
            nExit = 1;
            break;
        }
        const uint32_t nBefore = doc.m_nRecords;
        const auto t0 = std::chrono::steady_clock::now();
        doc.Extend();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count();
        times.push_back(ms);
        std::printf("refresh-ms: %.2f append-bytes: %zu records: +%u\n", ms, nAppend,
                    doc.m_nRecords - nBefore);
    }
    std::fclose(pOut);
    doc.OnCloseDocument();
    // The generated file is shared by all benchmarks: its size must stay.
    if (truncate(path.c_str(), nOriginal) != 0) nExit = 1;
    if (!times.empty()) {
        std::sort(times.begin(), times.end());
        double dTotal = 0;
        for (double t : times)
            dTotal += t;
        std::printf("median-ms: %.2f\nmax-ms: %.2f\ntotal-ms: %.1f\n", times[times.size() / 2],
                    times.back(), dTotal);
    }
    return nExit;
}
