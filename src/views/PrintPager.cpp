#include "views/PrintPager.h"

#include <algorithm>
#include <new>
#include <string_view>

namespace tervik {

namespace {

// Records between two progress reports.
constexpr uint32_t kProgressStep = 4096;

} // namespace

CPrintPager::CPrintPager(PrintSource source, int64_t nWidth, const IPrintMeasure& measure,
                         int nSlotsPerPage)
    : m_source(std::move(source)), m_nWidth(nWidth), m_measure(measure),
      m_nSlots(static_cast<uint32_t>(std::max(1, nSlotsPerPage))), m_starts(1),
      m_buf(kPrintMaxChars) {}

uint32_t CPrintPager::Total() const {
    return m_source.bOnlySelected ? m_source.nSelected : m_source.nRecords;
}

int64_t CPrintPager::ReadPrinted(uint32_t nIndex, uint32_t& nRecord) {
    nRecord = nIndex;
    if (m_source.bOnlySelected && (!m_source.selected || !m_source.selected(nIndex, nRecord)))
        return -2;
    const int64_t n = m_source.text ? m_source.text(nRecord, m_buf.data(), kPrintMaxChars) : 0;
    return n < 0 ? -1 : std::min<int64_t>(n, kPrintMaxChars);
}

PieceBuild CPrintPager::Advance(uint32_t nRecords) {
    const uint32_t nTotal = Total();
    try {
        for (uint32_t nDone = 0; !m_bDone && nDone < nRecords; ++nDone) {
            if (m_nNext >= nTotal) break;
            if (m_source.progress && m_nNext % kProgressStep == 0 &&
                !m_source.progress(static_cast<int>(uint64_t{m_nNext} * 1000 / nTotal)))
                return PieceBuild::Cancelled;
            uint32_t r = 0;
            const int64_t n = ReadPrinted(m_nNext, r);
            // The selected index ended early: what it held is the printout.
            if (n == -2) {
                m_bDone = true;
                break;
            }
            if (n < 0) return PieceBuild::Shorter;
            const std::string_view text(m_buf.data(), static_cast<size_t>(n));
            size_t s = 0;
            do {
                if (m_nOnPage == m_nSlots) {
                    m_starts.push_back({m_nNext, static_cast<uint32_t>(s)});
                    m_nOnPage = 0;
                }
                ++m_nOnPage;
                s += PrintPieceLength(text.substr(s), m_nWidth, m_measure);
            } while (s < text.size());
            ++m_nNext;
        }
    } catch (const std::bad_alloc&) {
        return PieceBuild::NoMemory;
    }
    if (m_nNext >= nTotal) m_bDone = true;
    return PieceBuild::Ok;
}

PieceBuild CPrintPager::PagePieces(uint32_t nPage, std::vector<PrintPiece>& pieces) {
    pieces.clear();
    if (nPage == 0 || nPage > PagesKnown()) return PieceBuild::Ok;
    const PrintPageStart start = m_starts[nPage - 1];
    const uint32_t nTotal = Total();
    try {
        size_t s = start.m_nStart;
        for (uint32_t i = start.m_nIndex; i < nTotal && pieces.size() < m_nSlots; ++i, s = 0) {
            uint32_t r = 0;
            const int64_t n = ReadPrinted(i, r);
            if (n == -2) break;
            if (n < 0) return PieceBuild::Shorter;
            const std::string_view text(m_buf.data(), static_cast<size_t>(n));
            // A record that lost characters since the pass keeps its page start.
            s = std::min(s, text.size());
            do {
                const size_t nTake = PrintPieceLength(text.substr(s), m_nWidth, m_measure);
                pieces.push_back({r, static_cast<uint32_t>(s), static_cast<uint32_t>(nTake)});
                s += nTake;
            } while (s < text.size() && pieces.size() < m_nSlots);
        }
    } catch (const std::bad_alloc&) {
        return PieceBuild::NoMemory;
    }
    return PieceBuild::Ok;
}

} // namespace tervik
