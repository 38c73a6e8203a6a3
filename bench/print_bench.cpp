// Builds the print pieces of 1,000,000 records of 80 characters, as a print job does
// on its first page: the system's fixed-pitch font on an A4 PDF printer at 600 dpi,
// once with lines that fit and once with a smaller page width that wraps each in two.
//   tervik-bench-print [FOLDER] [RECORDS]
#include "BenchHost.h"
#include "document/TervikDoc.h"
#include "views/ui/PrintJob.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QPrinter>
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

std::string WriteRecords(const std::string& folder, unsigned nRecords) {
    const std::string path = folder + "/print-bench.log";
    std::ofstream out(path, std::ios::binary);
    std::string line;
    for (unsigned i = 0; i < nRecords; ++i) {
        line = "2026-12-07 09:15:" + std::to_string(10 + i % 50) + " INFO  Zeile " +
               std::to_string(i) + " ";
        line.resize(80, 'x');
        out << line << '\n';
    }
    return path;
}

double Seconds(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const unsigned nRecords =
        argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1000000u;
    const std::string path = WriteRecords(folder, nRecords);
    CBenchHost host;
    CTervikDoc doc(host);
    if (!doc.OnOpenDocument(path)) return 1;
    doc.GetDigest();

    PrintRequest request;
    request.m_fontName = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
    const std::string pdf = folder + "/print-bench.pdf";
    bool bAllOk = true;
    // 10 pt fits 80 characters on A4; 16 pt needs two lines for each.
    for (int nSize10 : {100, 160}) {
        request.m_nFontSize10 = nSize10;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setResolution(600);
        QPainter painter(&printer);
        CPrintJob job(doc, request);
        job.Begin(printer, painter);
        const auto t0 = Clock::now();
        const PieceBuild r = job.BuildPieces();
        const double d = Seconds(t0);
        const uint32_t nPages = job.PageCount();
        const bool bOk = r == PieceBuild::Ok;
        bAllOk = bAllOk && bOk;
        std::printf("%u Zeilen à 80 Zeichen, %.0f pt, %s: Druckzeilen in %.3f s, %u Seiten%s\n",
                    doc.m_nRecords, nSize10 / 10.0,
                    QFontInfo(painter.font()).fixedPitch() ? "feste Breite" : "PROPORTIONAL", d,
                    nPages, bOk ? "" : "  FEHLER");
        job.End();
        printer.abort();
    }
    std::printf("Ziel: <= 2 s\n");
    doc.OnCloseDocument();
    ::unlink(path.c_str());
    ::unlink(pdf.c_str());
    return bAllOk ? 0 : 1;
}
