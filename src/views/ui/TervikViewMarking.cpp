// Marking in a view: the mouse, Shift with the navigation keys, double-click,
// the marking commands and the copy to the clipboard.

#include "base/Strings.h"
#include "framework/MessageBoxTypes.h"
#include "framework/ui/QtText.h"
#include "search/BusyProgress.h"
#include "search/RawScan.h"
#include "views/DisplayText.h"
#include "views/ui/TervikView.h"
#include "views/ui/ViewHost.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <chrono>
#include <cstring>
#include <new>

namespace tervik {

namespace {

// Distances from the client edges at which a drag scrolls (top, bottom, left, right).
constexpr int kEdgeTop = 6;
constexpr int kEdgeBottom = 7;
constexpr int kEdgeLeft = 4;
constexpr int kEdgeRight = 5;

// Widths of line text as the painter draws it, for proportional fonts.
class CViewMeasure : public ITextMeasure {
public:
    CViewMeasure(const QFont& font, CTervikDoc& doc) : m_fm(font), m_doc(doc) {}
    int TextWidth(std::string_view text) override {
        std::string shown(text);
        auto* p = reinterpret_cast<uint8_t*>(shown.data());
        ConvertForDisplay(p, shown.size(), m_doc.m_bEbcdic != 0, m_doc.m_bOem != 0);
        MakePrintable(p, shown.size());
        return m_fm.horizontalAdvance(FromAnsi(shown));
    }

private:
    QFontMetrics m_fm;
    CTervikDoc& m_doc;
};

bool IsNavigationKey(int nKey) {
    switch (nKey) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return true;
    default:
        return false;
    }
}

} // namespace

bool CTervikView::BlockMarking() const {
    return m_pHost && m_pHost->BlockMarking();
}

MarkDocument CTervikView::DocumentForMark() const {
    MarkDocument d;
    CTervikDoc* pDoc = &m_doc;
    d.nRecords = m_doc.m_nRecords;
    // A record is read through a 64 KB window; every tab may grow to a tab stop.
    d.nMaxText = static_cast<uint32_t>(std::max(1, m_doc.m_nTabSize)) * 65536u + 1;
    d.length = [pDoc](uint32_t r) { return pDoc->GetRecordLength(r, true); };
    d.text = [pDoc](uint32_t r, char* p, uint32_t nMax, uint32_t nSkip) {
        return pDoc->ReadRecordText(r, p, nMax, nSkip, true, false);
    };
    d.chars = [pDoc](uint32_t r, char32_t* p, uint32_t nMax, uint32_t nSkip) {
        return pDoc->ReadRecordChars(r, p, nMax, nSkip, true);
    };
    d.selected = [pDoc](uint32_t r) { return pDoc->IsLineSelected(r, nullptr, nullptr); };
    d.next = [pDoc](uint32_t& r) { return pDoc->NextSelected(r); };
    return d;
}

std::optional<MarkPos> CTervikView::HitTestPoint(const QPoint& pt) const {
    if (m_st.m_eMode == DisplayMode::Dump) return std::nullopt;
    // Glyphs are placed by the font's exact advance; the hit test follows them.
    const HitGeometry g{
        viewport()->width(), viewport()->height(),
        m_nLineHeight,       m_nCharWidth,
        m_bFixedPitch,       m_bFixedPitch && m_rawFont.isValid() ? m_dAdvance : 0.0};
    CViewMeasure measure(font(), m_doc);
    return HitTest(m_st, g, DocumentForMark(), pt.x(), pt.y(), &measure);
}

std::optional<std::pair<MarkPos, MarkPos>> CTervikView::MarkedRange() const {
    if (!m_mark.m_bMarking) return std::nullopt;
    return OrderedMarks(m_mark.m_mark1, m_mark.m_mark2);
}

std::string CTervikView::MarkedText() const {
    std::string text;
    const MarkDocument d = DocumentForMark();
    const auto nSize = tervik::MarkedTextSize(m_mark, BlockMarking(), m_st.m_bOnlySelected, d);
    if (BuildMarkedText(m_mark, BlockMarking(), m_st.m_bOnlySelected, d, text, nSize.value_or(0)) !=
        BuildResult::Done)
        return {};
    return text;
}

uint64_t CTervikView::MarkedTextSize() const {
    return tervik::MarkedTextSize(m_mark, BlockMarking(), m_st.m_bOnlySelected, DocumentForMark())
        .value_or(0);
}

std::optional<ColumnRange> CTervikView::MarkedColumns(uint32_t nRecord, int64_t nLength) const {
    if (!m_mark.m_bMarking || m_st.m_eMode == DisplayMode::Dump) return std::nullopt;
    const auto [first, second] = OrderedMarks(m_mark.m_mark1, m_mark.m_mark2);
    return tervik::MarkedColumns(first, second, BlockMarking(), nRecord, nLength);
}

void CTervikView::SetMarkPoint(bool bSecond, const MarkPos& pos) {
    if (bSecond)
        SetSecondMarkPoint(m_mark, pos);
    else
        SetFirstMarkPoint(m_mark, pos);
    viewport()->update();
}

void CTervikView::OnMarkAll() {
    MarkAll(m_mark, DocumentForMark());
    viewport()->update();
}

void CTervikView::OnMarkClear() {
    if (ClearMarking(m_mark)) viewport()->update();
}

void CTervikView::OnUpdateMarkClear(CCmdUI& ui) {
    ui.Enable(m_mark.m_bMarking || m_mark.m_bMarkPoint);
}

void CTervikView::CopyMarking() {
    if (!m_mark.m_bMarking) return;
    const MarkDocument d = DocumentForMark();
    const bool bBlock = BlockMarking();
    // Each long step on its own busy stretch: the question between them needs input.
    std::optional<uint64_t> nSize;
    {
        CBusyProgress progress(m_doc);
        nSize = tervik::MarkedTextSize(
            m_mark, bBlock, m_st.m_bOnlySelected, d,
            [&](uint64_t n, uint64_t nAll) { return progress.Step(n, nAll); });
    }
    if (!nSize || *nSize == 0) return;
    if (*nSize - 1 > kAskCopyAbove &&
        m_doc.Host().MessageBox(AskCopyText(*nSize - 1), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    std::string text;
    BuildResult built;
    {
        CBusyProgress progress(m_doc);
        // The file's own characters; Qt gives the lines the system's line end.
        built = BuildMarkedUtf8(m_mark, bBlock, m_st.m_bOnlySelected, d, text, *nSize,
                                [&](uint64_t n, uint64_t nAll) { return progress.Step(n, nAll); });
    }
    // Stopped with Escape, no memory, or lines gone from the file: nothing is copied.
    if (built == BuildResult::Shorter)
        m_doc.Host().MessageBox(LoadString(IDS_FILE_SHORTER), MB_OK | MB_ICONEXCLAMATION);
    if (built != BuildResult::Done) return;
    try {
        const QString unicode = QString::fromUtf8(text);
        std::string().swap(text);
        QApplication::clipboard()->setText(unicode);
    } catch (const std::bad_alloc&) {
        // No memory for the clipboard's copy: nothing is copied.
    }
}

// ------------------------------------------------------------------ mouse

void CTervikView::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton || m_st.m_eMode == DisplayMode::Dump) {
        QAbstractScrollArea::mousePressEvent(pEvent);
        return;
    }
    setFocus();
    const QPoint pt = pEvent->position().toPoint();
    m_lastMousePos = pt;
    const auto hit = HitTestPoint(pt);
    const int64_t nLength = hit && hit->m_nLine < m_doc.m_nRecords
                                ? m_doc.GetRecordLength(static_cast<uint32_t>(hit->m_nLine), true)
                                : 0;
    if (MouseDown(m_mark, hit, nLength)) viewport()->repaint();
    if (m_mark.m_mark1.IsSet())
        m_doc.Host().SetPositionIndicator(static_cast<uint32_t>(hit->m_nLine + 1), m_doc.m_nRecords,
                                          static_cast<uint32_t>(hit->m_nColumn + 1), 0);
    pEvent->accept();
}

void CTervikView::MarkMouseMove(QPoint pt) {
    // The pointer stays within the window while it drags (the cursor is held to it).
    pt.setX(std::clamp(pt.x(), 0, std::max(0, viewport()->width() - 1)));
    pt.setY(std::clamp(pt.y(), 0, std::max(0, viewport()->height() - 1)));
    const auto hit = HitTestPoint(pt);
    const int64_t nLength = hit && hit->m_nLine < m_doc.m_nRecords
                                ? m_doc.GetRecordLength(static_cast<uint32_t>(hit->m_nLine), true)
                                : 0;
    const MoveResult r = MouseMove(m_mark, hit, nLength, BlockMarking());
    if (r.shown)
        m_doc.Host().SetPositionIndicator(
            static_cast<uint32_t>(r.shown->m_nLine + 1), m_doc.m_nRecords,
            static_cast<uint32_t>(std::max<int64_t>(0, r.shown->m_nColumn) + 1), 0);
    if (r.eRepaint != MarkRepaint::None) viewport()->update();
}

void CTervikView::mouseMoveEvent(QMouseEvent* pEvent) {
    if (!m_mark.m_bMouseDown || !(pEvent->buttons() & Qt::LeftButton) ||
        m_st.m_eMode == DisplayMode::Dump) {
        QAbstractScrollArea::mouseMoveEvent(pEvent);
        return;
    }
    m_lastMousePos = pEvent->position().toPoint();
    if (!m_mark.m_bTracking) {
        // The first move starts the drag; Qt keeps the mouse for the view until release.
        m_mark.m_bTracking = true;
        m_markTimer.start(100);
    }
    MarkMouseMove(m_lastMousePos);
    pEvent->accept();
}

void CTervikView::mouseReleaseEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton || !m_mark.m_bMouseDown) {
        QAbstractScrollArea::mouseReleaseEvent(pEvent);
        return;
    }
    m_markTimer.stop();
    MouseUp(m_mark);
    ReportPosition();
    pEvent->accept();
}

void CTervikView::mouseDoubleClickEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton || m_st.m_eMode == DisplayMode::Dump) {
        QAbstractScrollArea::mouseDoubleClickEvent(pEvent);
        return;
    }
    // Qt's double-click is also the second press of the pair.
    m_mark.m_bMouseDown = true;
    const auto hit = HitTestPoint(pEvent->position().toPoint());
    if (!hit || hit->m_nLine >= m_doc.m_nRecords) return;
    const auto nLine = static_cast<uint32_t>(hit->m_nLine);
    const MarkDocument d = DocumentForMark();
    std::string line(d.nMaxText, '\0');
    line.resize(m_doc.GetRecordText(nLine, line.data(), d.nMaxText, 0, true, false));
    const auto word = WordAt(line, hit->m_nColumn);
    if (!word) return;
    m_mark.m_bMarking = true;
    m_mark.m_bMarkPoint = false;
    m_mark.m_point = MarkPos{};
    m_mark.m_mark1 = {hit->m_nLine, word->m_nFirst};
    m_mark.m_mark2 = {hit->m_nLine, word->m_nLast};
    viewport()->update();
    pEvent->accept();
}

void CTervikView::OnMarkTimer() {
    if (!m_mark.m_bTracking || !m_mark.m_bMouseDown) {
        m_markTimer.stop();
        return;
    }
    const QPoint pt = m_lastMousePos;
    if (pt.y() < kEdgeTop) {
        OnVScroll(ScrollCode::LineUp, 0, true);
        MarkMouseMove(pt);
    } else if (pt.y() >= viewport()->height() - kEdgeBottom &&
               m_mark.m_mark2.m_nLine <= static_cast<int64_t>(m_doc.m_nRecords)) {
        OnVScroll(ScrollCode::LineDown, 0, true);
        MarkMouseMove(pt);
    }
    if (pt.x() < kEdgeLeft) {
        OnHScroll(ScrollCode::LineUp, 0, true);
        MarkMouseMove(pt);
    } else if (pt.x() >= viewport()->width() - kEdgeRight) {
        OnHScroll(ScrollCode::LineDown, 0, true);
        MarkMouseMove(pt);
    }
}

// ------------------------------------------------------------------ keys

void CTervikView::MarkByKey(const QKeyEvent& event) {
    if (m_st.m_eMode == DisplayMode::Dump) return;
    if (!(event.modifiers() & Qt::ShiftModifier)) {
        // A key without Shift ends a Shift marking.
        if (!m_mark.m_bMouseDown) m_mark.m_bTracking = false;
        return;
    }
    if (!IsNavigationKey(event.key())) return;
    if (m_doc.m_nRecords == 0) return;
    const uint32_t nTop = std::min(m_st.m_nTopLine, m_doc.m_nRecords - 1);
    ShiftKeyMark(m_mark, nTop, m_doc.GetRecordLength(nTop, true));
    viewport()->update();
}

} // namespace tervik
