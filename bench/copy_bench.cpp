// Builds the copy text of a stream marking over a whole log file of about 100 MB
// (log lines, every fourth with a tab), as the copy command does: the size first,
// then the text. Prints the times and MB/s.
//   tervik-bench-copy [FOLDER] [MEGABYTES]
#include "BenchHost.h"
#include "document/TervikDoc.h"
#include "views/MarkModel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace tervik;
using Clock = std::chrono::steady_clock;

using bench::CBenchHost;

std::string WriteLog(const std::string& folder, size_t nBytes) {
    const std::string path = folder + "/copy-bench.log";
    std::ofstream out(path, std::ios::binary);
    std::string line;
    size_t n = 0;
    for (unsigned i = 0; n < nBytes; ++i) {
        line = "2026-12-07 09:15:" + std::to_string(10 + i % 50) +
               (i % 4 == 0 ? "\tINFO  " : " INFO  ") + "Zeile " + std::to_string(i) +
               std::string(20 + i % 40, 'x') + "\r\n";
        out << line;
        n += line.size();
    }
    return path;
}

double Seconds(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const size_t nMegabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 100;
    const std::string path = WriteLog(folder, nMegabytes << 20);
    CBenchHost host;
    CTervikDoc doc(host);
    if (!doc.OnOpenDocument(path)) return 1;
    doc.GetDigest(); // the digest thread must not share the timings

    MarkDocument d;
    d.nRecords = doc.m_nRecords;
    d.nMaxText = static_cast<uint32_t>(doc.m_nTabSize) * 65536u + 1;
    d.length = [&](uint32_t r) { return doc.GetRecordLength(r, true); };
    d.text = [&](uint32_t r, char* p, uint32_t nMax, uint32_t nSkip) {
        return doc.GetRecordText(r, p, nMax, nSkip, true, false);
    };
    MarkState m;
    MarkAll(m, d);

    const auto t0 = Clock::now();
    const uint64_t nSize = MarkedTextSize(m, false, false, d).value_or(0);
    const double dSize = Seconds(t0);
    const auto t1 = Clock::now();
    std::string text;
    const BuildResult r = BuildMarkedText(m, false, false, d, text, nSize);
    const double dBuild = Seconds(t1);
    const double dAll = dSize + dBuild;
    std::printf(
        "%u Zeilen, %.1f MB Text: Größe %.3f s, Text %.3f s, zusammen %.3f s = %.0f MB/s%s\n",
        doc.m_nRecords, static_cast<double>(text.size()) / 1048576.0, dSize, dBuild, dAll,
        static_cast<double>(text.size()) / 1048576.0 / dAll,
        r == BuildResult::Done && text.size() + 1 == nSize ? "" : "  FEHLER");
    std::printf("Ziel: <= 1 s für 100 MB\n");
    doc.OnCloseDocument();
    ::unlink(path.c_str());
    return 0;
}
