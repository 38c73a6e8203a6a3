#pragma once

// Where each printed page of a text or hex printout starts, found in one pass that
// only measures. A big log costs 8 bytes a page instead of 12 bytes a printed line,
// the pass can run in slices while a preview already shows its first page, and a
// page's lines are cut again from its start when it is drawn.

#include "views/PrintLayout.h"

#include <cstdint>
#include <vector>

namespace tervik {

// The first printed line of a page: the nIndex-th printed record (of all records,
// or of the selected ones) from column nStart.
struct PrintPageStart {
    uint32_t m_nIndex = 0;
    uint32_t m_nStart = 0;
};

class CPrintPager {
public:
    // measure must outlive the pager.
    CPrintPager(PrintSource source, int64_t nWidth, const IPrintMeasure& measure,
                int nSlotsPerPage);

    // Measures at most nRecords more records; the source's progress is asked every
    // few thousand records and may stop the pass (Cancelled). Ok also when done.
    PieceBuild Advance(uint32_t nRecords);
    bool Done() const { return m_bDone; }
    // Pages whose first line is known: every page once the pass is done, and never
    // less than one.
    uint32_t PagesKnown() const { return static_cast<uint32_t>(m_starts.size()); }
    // The source the pass reads; its progress may be set between slices.
    PrintSource& Source() { return m_source; }

    // The printed lines of page nPage (from 1), cut from its start; none for a page
    // not known yet. Shorter when a record can no longer be read.
    PieceBuild PagePieces(uint32_t nPage, std::vector<PrintPiece>& pieces);

private:
    uint32_t Total() const;
    // The text of the nIndex-th printed record in m_buf: its length, -1 for a
    // record the file no longer holds, -2 past the selected ones.
    int64_t ReadPrinted(uint32_t nIndex, uint32_t& nRecord);

    PrintSource m_source;
    int64_t m_nWidth;
    const IPrintMeasure& m_measure;
    uint32_t m_nSlots;
    std::vector<PrintPageStart> m_starts;
    std::vector<char> m_buf;
    // The pass: the next record to measure and the lines on the last known page.
    uint32_t m_nNext = 0;
    uint32_t m_nOnPage = 0;
    bool m_bDone = false;
};

} // namespace tervik
