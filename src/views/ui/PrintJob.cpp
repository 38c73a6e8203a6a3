#include "views/ui/PrintJob.h"

#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "framework/MessageBoxTypes.h"
#include "framework/ui/QtColour.h"
#include "framework/ui/QtText.h"
#include "platform/ReplacingFile.h"
#include "platform/SysError.h"
#include "platform/SysPaths.h"
#include "search/BusyProgress.h"
#include "search/RawScan.h"
#include "views/DisplayText.h"
#include "views/HexDump.h"
#include "views/ui/ViewFont.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace tervik {

namespace {

// 15 mm and 10 mm, the left and top margins.
constexpr double kMarginXmm = 15.0;
constexpr double kMarginYmm = 10.0;
// Width of the rule and the wrap marks in printer units.
constexpr int kPenWidth = 6;

QString CannotWriteText(const QString& path) {
    return QStringLiteral("Die Datei '%1' kann nicht geschrieben werden.").arg(path);
}

// Widths with the printer's font, for fonts whose characters differ in width.
class CFontMeasure : public IPrintMeasure {
public:
    explicit CFontMeasure(const QFontMetricsF& fm) : m_fm(fm) {}
    int64_t TextWidth(std::string_view text) const override {
        return static_cast<int64_t>(std::ceil(m_fm.horizontalAdvance(FromAnsi(text))));
    }

private:
    QFontMetricsF m_fm;
};

} // namespace

CPrintJob::CPrintJob(CTervikDoc& doc, const PrintRequest& request)
    : m_doc(doc), m_request(request), m_title(FromPath(NamePart(doc.GetPathName()))) {}

CPrintJob::~CPrintJob() = default;

void CPrintJob::Begin(QPrinter& printer, QPainter& painter) {
    Begin(printer);
    painter.setFont(*m_pPrintFont);
}

void CPrintJob::Begin(QPrinter& printer) {
    // The layout measures with the font and measure replaced here.
    m_pPager.reset();
    m_pPrintFont = std::make_unique<QFont>(DisplayFamily(m_request.m_fontName));
    m_pPrintFont->setPointSizeF(std::max(1, m_request.m_nFontSize10) / 10.0);
    m_pPrintFont->setStyleHint(QFont::TypeWriter);
    m_pPrintPen = std::make_unique<QPen>(Qt::black, kPenWidth, Qt::SolidLine);
    const QFontMetrics fm(*m_pPrintFont, &printer);
    m_nLineHeight = std::max(1, fm.height() + std::max(0, fm.leading()));
    m_nAscent = fm.ascent();
    // For a fixed-pitch font its column, not the widest glyph it has: the indent
    // of a continuation stays under a character.
    const FontPitch pitch = MeasurePitch(*m_pPrintFont, &printer);
    m_nMaxCharWidth = pitch.nColumnWidth;
    if (pitch.bFixed)
        m_pMeasure = std::make_unique<CFixedPitchMeasure>(pitch.dAdvance);
    else
        m_pMeasure = std::make_unique<CFontMeasure>(QFontMetricsF(*m_pPrintFont, &printer));

    // The margins are measured from the paper's edge; the painter starts at the
    // printable area, so the printer's own offset is taken off.
    const double dDpi = printer.resolution();
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    const int nOffsetX = page.left() - paper.left();
    const int nOffsetY = page.top() - paper.top();
    m_nMarginX = std::max(0, static_cast<int>(kMarginXmm / 25.4 * dDpi + 0.5) - nOffsetX);
    m_nMarginY = std::max(0, static_cast<int>(kMarginYmm / 25.4 * dDpi + 0.5) - nOffsetY);
    m_nRight = printer.width();
    m_nHeight = printer.height();
    m_nLines = PrintLinesPerPage(m_nHeight, m_nMarginY, m_nLineHeight);
    // The printer and its width do not change within a job: one row width for all pages.
    m_nPrintDumpColumns = ChoosePrintDumpGroups(
        *m_pMeasure, m_nRight, static_cast<uint64_t>(std::max<int64_t>(0, m_doc.m_nFileSize)));
    if (m_request.m_eMode != DisplayMode::Dump)
        m_pPager = std::make_unique<CPrintPager>(
            DocumentPrintSource(m_doc, m_request.m_bOnlySelected),
            static_cast<int64_t>(m_nRight) - 2 * m_nMarginX, *m_pMeasure,
            PrintSlotsPerPage(m_nLines, m_request.m_eMode));
}

PieceBuild CPrintJob::BuildPieces() {
    if (!m_pPager || m_pPager->Done()) return PieceBuild::Ok;
    CBusyProgress progress(m_doc);
    return BuildPieces(progress, 1000);
}

PieceBuild CPrintJob::BuildPieces(CBusyProgress& progress, int nShare) {
    if (!m_pPager || m_pPager->Done()) return PieceBuild::Ok;
    PrintSource& source = m_pPager->Source();
    source.progress = [&progress, nShare](int nPermille) {
        return progress.Step(nPermille * nShare / 1000);
    };
    const PieceBuild result = m_pPager->Advance(UINT32_MAX);
    source.progress = nullptr;
    return result;
}

PieceBuild CPrintJob::LayoutSome(uint32_t nRecords) {
    return m_pPager ? m_pPager->Advance(nRecords) : PieceBuild::Ok;
}

bool CPrintJob::LayoutDone() const {
    return !m_pPager || m_pPager->Done();
}

uint32_t CPrintJob::PageCount() const {
    const int nSlots = PrintSlotsPerPage(m_nLines, m_request.m_eMode);
    if (m_request.m_eMode == DisplayMode::Dump)
        return PrintPageCount(
            PrintDumpRows(static_cast<uint64_t>(std::max<int64_t>(0, m_doc.m_nFileSize)),
                          m_nPrintDumpColumns),
            nSlots);
    return m_pPager ? m_pPager->PagesKnown() : 1;
}

void CPrintJob::PrintPage(QPainter& painter, uint32_t nPage) {
    painter.save();
    painter.setFont(*m_pPrintFont);
    painter.setPen(Qt::black);
    // Header: the title on the left, the page number ending a margin before the edge.
    painter.drawText(m_nMarginX, m_nMarginY + m_nAscent, m_title);
    const QString page = FromAnsi(FormatString(IDS_PAGE, static_cast<int>(nPage)));
    const int nPageWidth = painter.fontMetrics().horizontalAdvance(page);
    painter.drawText(m_nRight - m_nMarginX - nPageWidth, m_nMarginY + m_nAscent, page);
    painter.setPen(*m_pPrintPen);
    const int yRule = m_nMarginY + m_nLineHeight + m_nLineHeight / 2;
    painter.drawLine(m_nMarginX * 9 / 10, yRule, m_nRight - m_nMarginX * 9 / 10, yRule);
    painter.setPen(Qt::black);
    const int y = m_nMarginY + 3 * m_nLineHeight;
    if (m_request.m_eMode == DisplayMode::Dump)
        PrintDumpSlots(painter, nPage, y);
    else
        PrintTextSlots(painter, nPage, y);
    painter.restore();
}

void CPrintJob::PrintTextSlots(QPainter& painter, uint32_t nPage, int y) {
    if (!m_pPager) return;
    if (m_pPager->PagePieces(nPage, m_pagePieces) != PieceBuild::Ok) {
        m_bShorter = true;
        return;
    }
    const bool bHex = m_request.m_eMode == DisplayMode::Hex;
    const int nSlots = PrintSlotsPerPage(m_nLines, m_request.m_eMode);
    const int nSlotHeight = bHex ? 3 * m_nLineHeight : m_nLineHeight;
    std::vector<char> raw(kPrintMaxChars);
    std::vector<uint8_t> shown(kPrintMaxChars);
    std::string high, low;
    const size_t nOnPage = std::min(m_pagePieces.size(), static_cast<size_t>(nSlots));
    for (size_t i = 0; i < nOnPage; ++i, y += nSlotHeight) {
        const PrintPiece& piece = m_pagePieces[i];
        if (piece.m_nCount == 0) continue;
        const int64_t nRead = m_doc.ReadRecordText(piece.m_nRecord, raw.data(),
                                                   std::min(piece.m_nCount, kPrintMaxChars),
                                                   piece.m_nStart, true, false);
        if (nRead < 0) {
            m_bShorter = true;
            return;
        }
        const uint32_t n = std::min(static_cast<uint32_t>(nRead), piece.m_nCount);
        if (n == 0) continue;
        std::memcpy(shown.data(), raw.data(), n);
        ConvertForDisplay(shown.data(), n, m_doc.m_bEbcdic != 0, m_doc.m_bOem != 0);
        const std::string converted(reinterpret_cast<const char*>(shown.data()), n);
        MakePrintable(shown.data(), n);
        const QString text =
            FromAnsi(std::string_view(reinterpret_cast<const char*>(shown.data()), n));
        const int x = piece.m_nStart == 0 ? m_nMarginX : m_nMarginX + m_nMaxCharWidth / 4;
        COLORREF crText = 0, crBack = 0;
        if (m_request.m_bColour && m_doc.IsLineSelected(piece.m_nRecord, &crText, &crBack)) {
            const int nWidth = painter.fontMetrics().horizontalAdvance(text);
            painter.fillRect(QRect(x, y, nWidth, m_nLineHeight), ToQColor(crBack));
            painter.setPen(ToQColor(crText));
        }
        painter.drawText(x, y + m_nAscent, text);
        painter.setPen(Qt::black);
        if (piece.m_nStart != 0) {
            // The short mark under a continued line.
            painter.setPen(*m_pPrintPen);
            painter.drawLine(m_nMarginX, y + m_nLineHeight - 1, m_nMarginX + m_nMaxCharWidth / 2,
                             y + m_nLineHeight - 1);
            painter.setPen(Qt::black);
        }
        if (bHex) {
            BuildHexRows(reinterpret_cast<const uint8_t*>(raw.data()),
                         reinterpret_cast<const uint8_t*>(converted.data()), n, piece.m_nStart,
                         static_cast<uint32_t>(std::max(1, m_doc.m_nTabSize)), high, low);
            painter.drawText(x, y + m_nLineHeight + m_nAscent, FromAnsi(high));
            painter.drawText(x, y + 2 * m_nLineHeight + m_nAscent, FromAnsi(low));
        }
    }
}

void CPrintJob::PrintDumpSlots(QPainter& painter, uint32_t nPage, int y) {
    const uint64_t nRowBytes = static_cast<uint64_t>(DumpRowBytes(m_nPrintDumpColumns));
    const uint64_t nRows = PrintDumpRows(
        static_cast<uint64_t>(std::max<int64_t>(0, m_doc.m_nFileSize)), m_nPrintDumpColumns);
    std::vector<uint8_t> bytes(nRowBytes);
    const uint64_t nFirst = static_cast<uint64_t>(nPage - 1) * static_cast<uint64_t>(m_nLines);
    for (int i = 0; i < m_nLines; ++i, y += m_nLineHeight) {
        const uint64_t k = nFirst + static_cast<uint64_t>(i);
        if (k >= nRows) break;
        const uint32_t n =
            m_doc.ReadBytes(bytes.data(), static_cast<uint32_t>(nRowBytes), k * nRowBytes);
        const uint64_t nWant =
            std::min(nRowBytes, static_cast<uint64_t>(m_doc.m_nFileSize) - k * nRowBytes);
        if (n < nWant) {
            m_bShorter = true;
            return;
        }
        const std::string row =
            BuildPrintDumpRow(k * nRowBytes, bytes.data(), n, m_nPrintDumpColumns);
        const QString text = FromAnsi(row);
        const int nWidth = painter.fontMetrics().horizontalAdvance(text);
        painter.drawText(m_nRight / 2 - nWidth / 2, y + m_nAscent, text);
    }
}

void CPrintJob::End() {
    m_pPager.reset();
    m_pagePieces.clear();
    m_pMeasure.reset();
    m_pPrintPen.reset();
    m_pPrintFont.reset();
}

void CPrintJob::TellFailure(IDocumentHost& host, PieceBuild why) {
    if (why == PieceBuild::NoMemory)
        host.MessageBox(ToAnsi(QStringLiteral("Für die Druckzeilen reicht der Speicher nicht.")),
                        MB_OK | MB_ICONHAND);
    if (why == PieceBuild::Shorter)
        host.MessageBox(LoadString(IDS_FILE_SHORTER), MB_OK | MB_ICONEXCLAMATION);
}

bool CPrintJob::Run(QPrinter& printer, uint32_t* pPages) {
    IDocumentHost& host = m_doc.Host();
    // A PDF is written into a new file beside its name and renamed over it at the
    // end: a stopped or failed job leaves no torso that looks like a printout, and
    // the file shown is never the one written.
    const QString target =
        printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    CReplacingFile pdf;
    if (!target.isEmpty()) {
        const std::string path = ToPath(target);
        if (m_doc.IsOwnFile(path)) {
            host.MessageBox(LoadString(IDS_EXPORT_OWN_FILE), MB_OK | MB_ICONHAND);
            return false;
        }
        if (!pdf.Begin(path)) {
            host.MessageBox(ToAnsi(CannotWriteText(target)) + CauseText(pdf.LastError()),
                            MB_OK | MB_ICONHAND);
            return false;
        }
        printer.setOutputFileName(FromPath(pdf.TempPath()));
    }
    // The printer keeps the name the user chose for the next dialog.
    struct CRestoreName {
        QPrinter& printer;
        const QString& name;
        ~CRestoreName() {
            if (!name.isEmpty()) printer.setOutputFileName(name);
        }
    } restoreName{printer, target};

    QPainter painter;
    if (!painter.begin(&printer)) {
        // A PDF fails for its file; a printer for itself.
        const QString text = !target.isEmpty()
                                 ? CannotWriteText(target)
                                 : QStringLiteral("Der Drucker kann nicht benutzt werden.");
        host.MessageBox(ToAnsi(text), MB_OK | MB_ICONHAND);
        return false;
    }
    // The bar goes after the text shown while the job runs, which also takes away
    // a menu's hint that would otherwise stand under it.
    const std::string before = host.GetStatusText();
    host.SetStatusText(ToAnsi(QStringLiteral("Es wird gedruckt...")));
    host.RepaintStatusBar();
    Begin(printer, painter);
    m_bShorter = false;
    bool bStopped = false;
    bool bOk = true;
    {
        // One busy stretch for the whole job: an Escape while the lines are being
        // laid out stops it as well as one while the pages are drawn, and no other
        // input slips in.
        CBusyProgress progress(m_doc);
        // The layout takes the first half of the bar, the pages the rest.
        const int nLayoutShare = m_pPager && !m_pPager->Done() ? 500 : 0;
        const PieceBuild built = BuildPieces(progress, nLayoutShare);
        if (built != PieceBuild::Ok) {
            TellFailure(host, built);
            bStopped = built == PieceBuild::Cancelled;
            bOk = false;
        }
        const uint32_t nPages = PageCount();
        if (bOk && pPages) *pPages = nPages;
        uint32_t nFrom = 1, nTo = nPages;
        if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
            nFrom = static_cast<uint32_t>(printer.fromPage());
            nTo = std::min(nPages,
                           static_cast<uint32_t>(std::max(printer.toPage(), printer.fromPage())));
        }
        for (uint32_t p = nFrom; bOk && p <= nTo; ++p) {
            if (!progress.Step(nLayoutShare +
                               static_cast<int>(uint64_t{p - nFrom} * (1000 - nLayoutShare) /
                                                (uint64_t{nTo - nFrom} + 1)))) {
                bStopped = true;
                bOk = false;
                break;
            }
            if (p > nFrom) printer.newPage();
            PrintPage(painter, p);
            if (m_bShorter) bOk = false;
        }
    }
    if (m_bShorter) TellFailure(host, PieceBuild::Shorter);
    if (bOk) {
        painter.end();
        if (!target.isEmpty() && !pdf.Commit()) {
            host.MessageBox(ToAnsi(CannotWriteText(target)) + CauseText(pdf.LastError()),
                            MB_OK | MB_ICONHAND);
            bOk = false;
        }
    } else {
        printer.abort();
        painter.end();
    }
    End();
    host.SetStatusText(bStopped ? ToAnsi(QStringLiteral("Der Druck wurde abgebrochen.")) : before);
    return bOk;
}

} // namespace tervik
