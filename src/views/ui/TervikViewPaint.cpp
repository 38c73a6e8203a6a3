// How a view paints: the text and hex rows with their selection colours, bookmarks,
// hit and marking, and the dump rows.

#include "views/ui/TervikView.h"

#include "base/Settings.h"
#include "framework/ui/FirstPaint.h"
#include "framework/ui/QtColour.h"
#include "framework/ui/QtText.h"
#include "search/BookmarkList.h"
#include "views/DisplayText.h"
#include "views/HexDump.h"
#include "views/ui/ViewHost.h"

#include <QGlyphRun>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <vector>

namespace tervik {


void CTervikView::DrawCells(QPainter& painter, int y, std::string_view line, int nFrom, int nCount,
                            const QColor& back, const QColor& fore) {
    if (nCount <= 0 || nFrom < 0 || static_cast<size_t>(nFrom) >= line.size()) return;
    nCount = std::min(nCount, static_cast<int>(line.size()) - nFrom);
    const std::string_view part =
        line.substr(static_cast<size_t>(nFrom), static_cast<size_t>(nCount));
    if (m_bFixedPitch && m_rawFont.isValid()) {
        const qreal x = nFrom * m_dAdvance;
        // The window is already in the window colour; cells of that colour need no fill.
        if (back != m_windowColour)
            painter.fillRect(QRectF(x, y, nCount * m_dAdvance, m_nLineHeight), back);
        // Glyphs by table and positions computed once: no allocation per line.
        const size_t nGlyphs = std::min(part.size(), m_runPositions.size());
        m_runGlyphs.resize(nGlyphs);
        for (size_t i = 0; i < nGlyphs; ++i)
            m_runGlyphs[i] = m_glyphs[static_cast<uint8_t>(part[i])];
        QGlyphRun run;
        run.setRawFont(m_rawFont);
        run.setRawData(m_runGlyphs.data(), m_runPositions.data(), static_cast<int>(nGlyphs));
        painter.setPen(fore);
        painter.drawGlyphRun(QPointF(x, y + m_nAscent), run);
        return;
    }
    const QFontMetrics fm = painter.fontMetrics();
    const QString whole = FromAnsi(line);
    const int x = nFrom > 0 ? fm.horizontalAdvance(whole.left(nFrom)) : 0;
    const QString text = whole.mid(nFrom, nCount);
    painter.fillRect(QRect(x, y, fm.horizontalAdvance(text), m_nLineHeight), back);
    painter.setPen(fore);
    painter.drawText(x, y + m_nAscent, text);
}

bool CTervikView::DrawSpan(QPainter& painter, int y, std::string_view line, uint32_t nColumn,
                           uint32_t nLength, const QColor& back) {
    // Column c, length n, left column L: the part of the span at or right of L,
    // never beyond the characters present.
    const int64_t c = nColumn, n = nLength, L = m_st.m_nLeftColumn;
    if (n <= 0 || c + n <= L) return false;
    const int64_t nFrom = std::max<int64_t>(c, L) - L;
    const int64_t nCount = c + n - L - nFrom;
    if (nFrom < static_cast<int64_t>(line.size()))
        DrawCells(painter, y, line, static_cast<int>(nFrom),
                  static_cast<int>(std::min<int64_t>(nCount, INT32_MAX)), back, Qt::black);
    return true;
}

std::vector<SpanOverlay> CTervikView::BookmarkSpans(uint32_t nRecord) const {
    std::vector<SpanOverlay> spans;
    if (!m_pHost) return spans;
    const unsigned nCount = m_pHost->CountBookmarksOnLine(&m_doc, nRecord);
    for (unsigned n = 0; n < nCount; ++n)
        if (const Bookmark* p = m_pHost->BookmarkOnLine(&m_doc, nRecord, n))
            spans.push_back({p->m_nColumn, p->m_nLength, p->IsActive()});
    return spans;
}

void CTervikView::InvertCells(QPainter& painter, int y, std::string_view line, int64_t nFrom,
                              int64_t nCount) {
    nCount = std::min<int64_t>(nCount, static_cast<int64_t>(line.size()) - nFrom);
    if (nFrom < 0 || nCount <= 0) return;
    qreal x, w;
    if (m_bFixedPitch && m_rawFont.isValid()) {
        x = static_cast<qreal>(nFrom) * m_dAdvance;
        w = static_cast<qreal>(nCount) * m_dAdvance;
    } else {
        const QFontMetricsF fm(font());
        const QString whole = FromAnsi(line);
        x = fm.horizontalAdvance(whole.left(static_cast<int>(nFrom)));
        w = fm.horizontalAdvance(whole.mid(static_cast<int>(nFrom), static_cast<int>(nCount)));
    }
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(QRectF(x, y, w, m_nLineHeight), Qt::white);
    painter.restore();
    m_mark.m_bMarkingShown = true;
}

void CTervikView::PaintTextRows(QPainter& painter) {
    const ColorSettings& colours = m_doc.Host().Colours();
    const QColor textBack = ToQColor(colours.m_crTextBackground);
    const QColor defaultText = Qt::black;
    const bool bHex = m_st.m_eMode == DisplayMode::Hex;
    const int nRows = bHex ? m_st.m_nVisibleLines / 3 + 1 : m_st.m_nVisibleLines;
    const int nRowHeight = bHex ? 3 * m_nLineHeight : m_nLineHeight;
    char raw[kMaxColumns];
    uint8_t shown[kMaxColumns];
    std::string high, low;
    m_textHit.m_bShown = false;
    m_mark.m_bMarkingShown = false;
    uint32_t r = m_st.m_nTopLine;
    int y = 0;
    for (int row = 0; row < nRows; ++row, y += nRowHeight) {
        if (r >= m_doc.m_nRecords) break;
        if (m_st.m_bOnlySelected) {
            if (row == 0) {
                if (!m_doc.IsLineSelected(r, nullptr, nullptr)) {
                    uint32_t n = r;
                    if (!m_doc.NextSelected(n)) break;
                    r = n;
                    m_st.m_nTopLine = r; // the top moves to the next selected line
                    m_bUpdatingBars = true;
                    verticalScrollBar()->setValue(VerticalRange(m_st, DocumentForScroll()).nPos);
                    m_bUpdatingBars = false;
                    ReportPosition();
                }
            } else {
                uint32_t n = r - 1;
                if (!m_doc.NextSelected(n)) break;
                r = n;
            }
        }
        const uint32_t n = m_doc.GetRecordText(
            r, raw, kMaxColumns, static_cast<uint32_t>(m_st.m_nLeftColumn), true, false);
        if (n > 0) {
            std::memcpy(shown, raw, n);
            ConvertForDisplay(shown, n, m_doc.m_bEbcdic != 0, m_doc.m_bOem != 0);
            std::string hexBase(reinterpret_cast<const char*>(shown),
                                n); // converted, tabs still tabs
            MakePrintable(shown, n);
            const std::string_view line(reinterpret_cast<const char*>(shown), n);
            COLORREF crText = 0, crBack = 0;
            const bool bSelected = m_doc.IsLineSelected(r, &crText, &crBack);
            DrawCells(painter, y, line, 0, static_cast<int>(line.size()),
                      bSelected ? ToQColor(crBack) : textBack,
                      bSelected ? ToQColor(crText) : defaultText);
            // Over the line's own colours: bookmark spans, then the search hit,
            // then the marking inverted over everything.
            for (const SpanOverlay& b : BookmarkSpans(r))
                DrawSpan(painter, y, line, b.m_nColumn, b.m_nLength,
                         ToQColor(b.m_bActive ? colours.m_crActiveBookmarkBackground
                                              : colours.m_crBookmarkBackground));
            if (m_textHit.m_bValid && m_textHit.m_nLine == r &&
                DrawSpan(painter, y, line, m_textHit.m_nColumn, m_textHit.m_nLength,
                         ToQColor(colours.m_crSearchBackground)))
                m_textHit.m_bShown = true;
            // A line read to the limit may be longer; only its shown part matters.
            const int64_t nLength = n < kMaxColumns ? m_st.m_nLeftColumn + int64_t{n} : INT32_MAX;
            if (const auto marked = MarkedColumns(r, nLength))
                if (const auto part = ShownPart(*marked, m_st.m_nLeftColumn))
                    InvertCells(painter, y, line, part->first, part->second);
            if (bHex) {
                BuildHexRows(reinterpret_cast<const uint8_t*>(raw),
                             reinterpret_cast<const uint8_t*>(hexBase.data()), n,
                             static_cast<uint32_t>(m_st.m_nLeftColumn),
                             static_cast<uint32_t>(std::max(1, m_doc.m_nTabSize)), high, low);
                const QColor hexBack = ToQColor(colours.m_crHexBackground);
                DrawCells(painter, y + m_nLineHeight, high, 0, static_cast<int>(high.size()),
                          hexBack, defaultText);
                DrawCells(painter, y + 2 * m_nLineHeight, low, 0, static_cast<int>(low.size()),
                          hexBack, defaultText);
            }
        }
        ++r;
    }
}

void CTervikView::PaintDumpRows(QPainter& painter) {
    const ColorSettings& colours = m_doc.Host().Colours();
    const QColor textBack = ToQColor(colours.m_crTextBackground);
    const uint64_t nRow = DumpRowBytes(m_st);
    std::vector<uint8_t> bytes(nRow);
    std::string row;
    m_dumpHit.m_bShown = false;
    const int nDigits = DumpOffsetDigits(static_cast<uint64_t>(std::max<int64_t>(0, m_doc.m_nFileSize)));
    for (int k = 0; k < m_st.m_nVisibleLines; ++k) {
        const uint64_t o = m_st.m_nDumpTop + static_cast<uint64_t>(k) * nRow;
        const uint32_t n = m_doc.ReadBytes(bytes.data(), static_cast<uint32_t>(nRow), o);
        if (n == 0) break;
        BuildDumpRow(row, o, bytes.data(), n, m_st.m_nDumpColumns, m_doc.m_bEbcdic != 0,
                     m_doc.m_bOem != 0, static_cast<uint32_t>(m_st.m_nLeftColumn), nDigits);
        MakePrintable(reinterpret_cast<uint8_t*>(row.data()), row.size());
        const std::string_view line(row);
        const int y = k * m_nLineHeight;
        DrawCells(painter, y, line, 0, static_cast<int>(line.size()), textBack, Qt::black);
        if (m_dumpHit.m_bValid &&
            DumpHitTouchesRow(o, m_st.m_nDumpColumns, static_cast<uint64_t>(m_dumpHit.m_nOffset),
                              m_dumpHit.m_nLength)) {
            m_dumpHit.m_bShown = true;
            if (auto span =
                    DumpHitInRow(o, m_st.m_nDumpColumns, static_cast<uint32_t>(m_st.m_nLeftColumn),
                                 static_cast<uint64_t>(m_dumpHit.m_nOffset), m_dumpHit.m_nLength,
                                 nDigits))
                DrawCells(painter, y, line, span->m_nStart, span->m_nCount,
                          ToQColor(colours.m_crSearchBackground), Qt::black);
        }
    }
}

void CTervikView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    m_windowColour = palette().color(QPalette::Base);
    painter.fillRect(viewport()->rect(), m_windowColour);
    painter.setFont(font());
    if (m_st.m_eMode == DisplayMode::Dump)
        PaintDumpRows(painter);
    else
        PaintTextRows(painter);
    if (m_doc.m_nRecords > 0) NoteTextPainted();
}

} // namespace tervik
