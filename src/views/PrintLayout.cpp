#include "views/PrintLayout.h"

#include "document/TervikDoc.h"
#include "views/DisplayText.h"
#include "views/HexDump.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tervik {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int32_t kPieceBlockSize = 32768;
// Records between two progress reports.
constexpr uint32_t kProgressStep = 4096;

} // namespace

size_t IPrintMeasure::FitCount(std::string_view text, int64_t nWidth) const {
    if (TextWidth(text) <= nWidth) return text.size();
    // The longest prefix that fits lies in [lo, hi).
    size_t lo = 0, hi = text.size();
    while (hi - lo > 1) {
        const size_t mid = lo + (hi - lo) / 2;
        if (TextWidth(text.substr(0, mid)) <= nWidth)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

int64_t CFixedPitchMeasure::TextWidth(std::string_view text) const {
    return static_cast<int64_t>(std::ceil(static_cast<double>(text.size()) * m_dAdvance));
}

size_t CFixedPitchMeasure::FitCount(std::string_view text, int64_t nWidth) const {
    if (nWidth <= 0) return 0;
    const double dFit = std::floor(static_cast<double>(nWidth) / m_dAdvance);
    return dFit >= static_cast<double>(text.size()) ? text.size() : static_cast<size_t>(dFit);
}

size_t PrintPieceLength(std::string_view rest, int64_t nWidth, const IPrintMeasure& measure) {
    // At least one character, or a page narrower than a character never ends.
    const size_t n = std::max<size_t>(1, measure.FitCount(rest, nWidth));
    return std::min(n, rest.size());
}

bool AppendRecordPieces(CBlockList& pieces, uint32_t nRecord, std::string_view text, int64_t nWidth,
                        const IPrintMeasure& measure) {
    size_t s = 0;
    do {
        const size_t nTake = PrintPieceLength(text.substr(s), nWidth, measure);
        const PrintPiece piece{nRecord, static_cast<uint32_t>(s), static_cast<uint32_t>(nTake)};
        if (pieces.Append(&piece) != kBlOk) return false;
        s += nTake;
    } while (s < text.size());
    return true;
}

PrintSource DocumentPrintSource(CTervikDoc& doc, bool bOnlySelected) {
    PrintSource source;
    source.nRecords = doc.m_nRecords;
    source.bOnlySelected = bOnlySelected;
    source.nSelected = doc.SelectedCount();
    CTervikDoc* pDoc = &doc;
    source.text = [pDoc](uint32_t r, char* p, uint32_t nMax) {
        const int64_t n = pDoc->ReadRecordText(r, p, nMax, 0, true, false);
        if (n <= 0) return n;
        // Measured as printed.
        auto* q = reinterpret_cast<uint8_t*>(p);
        ConvertForDisplay(q, static_cast<size_t>(n), pDoc->m_bEbcdic != 0, pDoc->m_bOem != 0);
        MakePrintable(q, static_cast<size_t>(n));
        return n;
    };
    // The index of selected lines: a big log with a few selected lines is quick.
    source.selected = [pDoc](uint32_t nIndex, uint32_t& nRecord) {
        return pDoc->NthSelected(nIndex, nRecord);
    };
    return source;
}

PieceBuild BuildPrintPieces(const PrintSource& source, int64_t nWidth, const IPrintMeasure& measure,
                            std::unique_ptr<CBlockList>& pPieces) {
    pPieces =
        std::make_unique<CBlockList>(static_cast<uint16_t>(sizeof(PrintPiece)), kPieceBlockSize);
    std::vector<char> buf(kPrintMaxChars);
    // Only the selected records are read when only they are printed: a big log
    // with a few selected lines prints at once.
    const uint32_t nTotal = source.bOnlySelected ? source.nSelected : source.nRecords;
    for (uint32_t i = 0; i < nTotal; ++i) {
        if (source.progress && i % kProgressStep == 0 &&
            !source.progress(static_cast<int>(uint64_t{i} * 1000 / nTotal)))
            return PieceBuild::Cancelled;
        uint32_t r = i;
        if (source.bOnlySelected && (!source.selected || !source.selected(i, r))) break;
        const int64_t n = source.text ? source.text(r, buf.data(), kPrintMaxChars) : 0;
        if (n < 0) return PieceBuild::Shorter;
        const std::string_view text(buf.data(),
                                    std::min<size_t>(static_cast<size_t>(n), kPrintMaxChars));
        if (!AppendRecordPieces(*pPieces, r, text, nWidth, measure)) return PieceBuild::NoMemory;
    }
    return PieceBuild::Ok;
}

int PrintLinesPerPage(int64_t nPrintableHeight, int64_t nMarginY, int64_t nLineHeight) {
    if (nLineHeight <= 0) return 1;
    const int64_t n = (nPrintableHeight - 2 * nMarginY) / nLineHeight - 3;
    // A page too small for its header still takes one line, or the job never ends.
    return static_cast<int>(std::clamp<int64_t>(n, 1, INT32_MAX));
}

int PrintSlotsPerPage(int nLinesPerPage, DisplayMode eMode) {
    const int n = eMode == DisplayMode::Hex ? nLinesPerPage / 3 : nLinesPerPage;
    return std::max(1, n);
}

uint32_t PrintPageCount(uint64_t nItems, int nSlotsPerPage) {
    const uint64_t nSlots = static_cast<uint64_t>(std::max(1, nSlotsPerPage));
    const uint64_t n = (nItems + nSlots - 1) / nSlots;
    return static_cast<uint32_t>(std::clamp<uint64_t>(n, 1, UINT32_MAX));
}

uint64_t PrintDumpRows(uint64_t nFileSize, int nGroups) {
    const uint64_t nRow = static_cast<uint64_t>(DumpRowBytes(std::max(1, nGroups)));
    return nFileSize / nRow + (nFileSize % nRow != 0 ? 1 : 0);
}

std::string BuildPrintDumpRow(uint64_t nOffset, const uint8_t* pBytes, size_t n, int nGroups) {
    const bool bWide = nGroups >= 8;
    const size_t nRow = static_cast<size_t>(DumpRowBytes(bWide ? 8 : 4));
    n = pBytes ? std::min(n, nRow) : 0;
    char head[48];
    std::snprintf(head, sizeof head,
                  bWide ? "%.8" PRIX64 " (%.8" PRIu64 ") " : "%.8" PRIX64 " (%.8" PRIu64 ")  ",
                  nOffset, nOffset);
    std::string row(head);
    for (size_t i = 0; i < nRow; ++i) {
        if (i % kDumpGroupBytes == 0) row += ' ';
        if (i < n) {
            row += kHexDigits[pBytes[i] >> 4];
            row += kHexDigits[pBytes[i] & 0xF];
        } else {
            row += "  ";
        }
    }
    row += bWide ? "  >" : "   >";
    for (size_t i = 0; i < n; ++i)
        row += pBytes[i] < 0x20 ? '.' : static_cast<char>(pBytes[i]);
    row += '<';
    row.append(nRow - n, ' ');
    return row;
}

int ChoosePrintDumpGroups(const IPrintMeasure& measure, int64_t nRight, uint64_t nFileSize) {
    // A full row of wide characters at the last offset stands for every row.
    const std::vector<uint8_t> sample(static_cast<size_t>(DumpRowBytes(8)), 'W');
    const std::string row = BuildPrintDumpRow(nFileSize, sample.data(), sample.size(), 8);
    return measure.TextWidth(row) > nRight ? 4 : 8;
}

} // namespace tervik
