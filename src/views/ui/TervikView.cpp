#include "views/ui/TervikView.h"

#include "app/Settings.h"
#include "framework/ui/QtText.h"
#include "views/DisplayText.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>
#include <atomic>
#include <vector>

namespace tervik {

namespace {
std::atomic<uint64_t> g_nNextViewId{1};
// A line shows at most this many characters.
constexpr uint32_t kMaxColumns = 511;
} // namespace

CTervikView::CTervikView(CTervikDoc& doc, QWidget* pParent)
    : QAbstractScrollArea(pParent), m_nViewId(g_nNextViewId++), m_doc(doc) {
    CSettings& settings = doc.Host().Settings();
    QFont font(FromAnsi(settings.FontName()), settings.FontSize());
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    setFont(font);
    const QFontMetrics fm(font);
    m_nLineHeight = std::max(1, fm.height());
    m_nCharWidth = std::max(1, fm.horizontalAdvance(QLatin1Char('M')));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    const COLORREF bg = doc.Host().Colours().m_crTextBackground;
    pal.setColor(QPalette::Base, QColor(RedOf(bg), GreenOf(bg), BlueOf(bg)));
    viewport()->setPalette(pal);
    m_doc.AddView(this);
    UpdateScrollRanges();
}

CTervikView::~CTervikView() {
    m_doc.RemoveView(this);
}

int CTervikView::RowsOnScreen() const {
    return std::max(1, viewport()->height() / m_nLineHeight);
}

void CTervikView::UpdateScrollRanges() {
    const int nRows = RowsOnScreen();
    const int64_t nMax = std::max<int64_t>(0, static_cast<int64_t>(m_doc.m_nRecords) - nRows);
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<int64_t>(nMax, INT32_MAX)));
    verticalScrollBar()->setPageStep(nRows);
    const int nCols = std::max(1, viewport()->width() / m_nCharWidth);
    const int nMaxCol = static_cast<int>(std::min<uint32_t>(m_doc.m_nMaxLength, kMaxColumns));
    horizontalScrollBar()->setRange(0, std::max(0, nMaxCol - nCols + 1));
    horizontalScrollBar()->setPageStep(nCols);
}

void CTervikView::OnUpdate(IDocumentView*, unsigned) {
    UpdateScrollRanges();
    viewport()->update();
}

bool CTervikView::OnCmdMsg(unsigned, CCmdUI*) {
    return false;
}

void CTervikView::scrollContentsBy(int, int) {
    m_nTopLine = static_cast<uint32_t>(verticalScrollBar()->value());
    m_nLeftColumn = horizontalScrollBar()->value();
    viewport()->update();
    ReportPosition();
}

void CTervikView::resizeEvent(QResizeEvent* pEvent) {
    QAbstractScrollArea::resizeEvent(pEvent);
    UpdateScrollRanges();
}

void CTervikView::focusInEvent(QFocusEvent* pEvent) {
    QAbstractScrollArea::focusInEvent(pEvent);
    emit Activated(this);
    ReportPosition();
}

void CTervikView::ReportPosition() {
    if (m_doc.m_nRecords == 0) return;
    m_doc.Host().SetPositionIndicator(m_nTopLine + 1, m_doc.m_nRecords,
                                      static_cast<uint32_t>(m_nLeftColumn) + 1, m_doc.m_nSelected);
}

void CTervikView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QFontMetrics fm(font());
    std::vector<char> text(kMaxColumns);
    const int nRows = RowsOnScreen() + 1;
    for (int row = 0; row < nRows; ++row) {
        const uint64_t nRecord = uint64_t{m_nTopLine} + static_cast<uint64_t>(row);
        if (nRecord >= m_doc.m_nRecords) break;
        const uint32_t n =
            m_doc.GetRecordText(static_cast<uint32_t>(nRecord), text.data(), kMaxColumns,
                                static_cast<uint32_t>(m_nLeftColumn), true, false);
        auto* p = reinterpret_cast<uint8_t*>(text.data());
        ConvertForDisplay(p, n, m_doc.m_bEbcdic != 0, m_doc.m_bOem != 0);
        MakePrintable(p, n);
        COLORREF crText = 0, crBack = 0;
        if (m_doc.IsLineSelected(static_cast<uint32_t>(nRecord), &crText, &crBack)) {
            const QRect band(0, row * m_nLineHeight, viewport()->width(), m_nLineHeight);
            painter.fillRect(band, QColor(RedOf(crBack), GreenOf(crBack), BlueOf(crBack)));
            painter.setPen(QColor(RedOf(crText), GreenOf(crText), BlueOf(crText)));
        } else {
            painter.setPen(palette().color(QPalette::Text));
        }
        painter.drawText(0, row * m_nLineHeight + fm.ascent(),
                         FromAnsi(std::string_view(text.data(), n)));
    }
}

} // namespace tervik
