#include "views/ui/TervikView.h"

#include "base/Settings.h"
#include "base/Strings.h"
#include "framework/CommandIds.h"
#include "framework/ui/MessageBox.h"
#include "framework/ui/QtText.h"
#include "search/RawScan.h"
#include "views/HexDump.h"
#include "views/ui/GotoPosition.h"
#include "views/ui/ViewFont.h"
#include "views/ui/ViewHost.h"

#include "platform/CodePage.h"
#include <QFontDialog>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <chrono>
#include <vector>

namespace tervik {

namespace {

// FILETIME of 1 January 2006, in 100-nanosecond units since 1601.
constexpr uint64_t kFiletime2006 = 127805472000000000ull;
constexpr uint64_t kFiletimeUnixEpoch = 116444736000000000ull;

uint64_t NewViewId() {
    static uint64_t s_nLast = 0;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    uint64_t n = kFiletimeUnixEpoch +
                 static_cast<uint64_t>(
                     std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100) -
                 kFiletime2006;
    // Two views made in the same tick still differ.
    if (n <= s_nLast) n = s_nLast + 1;
    s_nLast = n;
    return n;
}

} // namespace

CTervikView::CTervikView(CTervikDoc& doc, IViewHost* pHost, QWidget* pParent)
    : QAbstractScrollArea(pParent), m_nViewId(NewViewId()), m_doc(doc), m_pHost(pHost) {
    CSettings& settings = doc.Host().Settings();
    m_fontName = FromAnsi(settings.FontName());
    m_nFontSize10 = settings.FontSize() * 10;
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setTracking(true);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int a) { OnBarAction(false, a); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int a) { OnBarAction(true, a); });
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, [this] {
        OnVScroll(ScrollCode::ThumbPosition, verticalScrollBar()->sliderPosition(), true);
    });
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->installEventFilter(this);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ApplyFont();
    m_doc.AddView(this);
    connect(&m_markTimer, &QTimer::timeout, this, &CTervikView::OnMarkTimer);
    m_nTrackTop = kNoTrackTop;
    m_nKnownRecords = m_doc.m_nRecords;
    m_nKnownSize = DocumentSize();
}

CTervikView::~CTervikView() {
    m_doc.RemoveView(this);
}

// The setting keeps its face name until the user chooses a font, even when the
// family drawn with is another (the default "Courier" is missing on most desktops).
void CTervikView::ApplyFont() {
    QFont font(DisplayFamily(m_fontName));
    font.setPointSizeF(m_nFontSize10 / 10.0);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    const QFontMetrics fm(font);
    m_nLineHeight = std::max(1, fm.height() + fm.leading());
    m_nAscent = fm.ascent();
    const FontPitch pitch = MeasurePitch(font);
    m_bFixedPitch = pitch.bFixed;
    m_nCharWidth = pitch.nColumnWidth;
    m_rawFont = QRawFont::fromFont(font);
    m_dAdvance =
        pitch.bFixed ? pitch.dAdvance : QFontMetricsF(font).horizontalAdvance(QLatin1Char('M'));
    // Longer than any line drawn (511 columns, dump rows of 32 bytes).
    m_runPositions.resize(1024);
    for (size_t i = 0; i < m_runPositions.size(); ++i)
        m_runPositions[i] = QPointF(static_cast<qreal>(i) * m_dAdvance, 0);
    if (m_rawFont.isValid()) {
        QString all;
        for (int c = 0; c < 256; ++c)
            all.append(QChar(Cp1252ToUnicode(static_cast<uint8_t>(c))));
        const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(all);
        for (int c = 0; c < 256 && c < glyphs.size(); ++c)
            m_glyphs[c] = glyphs[c];
    }
    m_st.m_nVisibleLines = std::max(1, (viewport()->height() + m_nLineHeight - 1) / m_nLineHeight);
    UpdateScrollRanges();
}

ScrollDocument CTervikView::DocumentForScroll() const {
    ScrollDocument d;
    d.nRecords = m_doc.m_nRecords;
    d.nMaxLength = m_doc.m_nMaxLength;
    d.nFileSize = static_cast<uint64_t>(std::max<int64_t>(0, m_doc.m_nFileSize));
    CTervikDoc* pDoc = &m_doc;
    d.next = [pDoc](uint32_t& n) { return pDoc->NextSelected(n); };
    d.prev = [pDoc](uint32_t& n) { return pDoc->PrevSelected(n); };
    // The index of selected lines answers "the i-th selected line" directly.
    d.nth = [pDoc](uint32_t nIndex, uint32_t& nRecord) {
        return pDoc->NthSelected(nIndex, nRecord);
    };
    return d;
}

void CTervikView::UpdateScrollRanges() {
    const ScrollDocument d = DocumentForScroll();
    const BarRange v = VerticalRange(m_st, d);
    const BarRange h = HorizontalRange(m_st, d, viewport()->width(), m_nCharWidth);
    m_bUpdatingBars = true;
    verticalScrollBar()->setRange(v.nMin, std::max(v.nMin, v.nMax - std::max(0, v.nPage - 1)));
    verticalScrollBar()->setPageStep(std::max(1, v.nPage));
    verticalScrollBar()->setValue(v.nPos);
    horizontalScrollBar()->setRange(h.nMin, std::max(h.nMin, h.nMax - std::max(0, h.nPage - 1)));
    horizontalScrollBar()->setPageStep(std::max(1, h.nPage));
    horizontalScrollBar()->setValue(h.nPos);
    m_bUpdatingBars = false;
}

void CTervikView::OnBarAction(bool bHorizontal, int nAction) {
    if (m_bUpdatingBars) return;
    QScrollBar* pBar = bHorizontal ? horizontalScrollBar() : verticalScrollBar();
    ScrollCode code;
    switch (nAction) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = ScrollCode::LineDown;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = ScrollCode::LineUp;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = ScrollCode::PageDown;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = ScrollCode::PageUp;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = ScrollCode::Top;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = ScrollCode::Bottom;
        break;
    case QAbstractSlider::SliderMove:
        code = ScrollCode::ThumbTrack;
        break;
    default:
        return;
    }
    const int nPos = pBar->sliderPosition();
    if (bHorizontal)
        OnHScroll(code == ScrollCode::ThumbTrack ? ScrollCode::ThumbPosition : code, nPos, true);
    else
        OnVScroll(code, nPos, true);
    if (code != ScrollCode::ThumbTrack) {
        // The bar shows the view's position, not Qt's own step.
        const ScrollDocument d = DocumentForScroll();
        const BarRange r = bHorizontal ? HorizontalRange(m_st, d, viewport()->width(), m_nCharWidth)
                                       : VerticalRange(m_st, d);
        pBar->setSliderPosition(r.nPos);
    }
}

void CTervikView::OnVScroll(ScrollCode code, int nThumbPos, bool bPropagate) {
    const ScrollDocument d = DocumentForScroll();
    const ScrollResult r = VerticalScroll(m_st, d, code, nThumbPos, m_nTrackTop);
    if (r.trackLine) {
        const uint32_t nTotal =
            m_st.m_eMode == DisplayMode::Dump
                ? static_cast<uint32_t>((d.nFileSize + DumpRowBytes(m_st) - 1) / DumpRowBytes(m_st))
                : d.nRecords;
        m_doc.Host().SetPositionIndicator(static_cast<uint32_t>(*r.trackLine),
                                          static_cast<uint32_t>(nTotal),
                                          static_cast<uint32_t>(m_st.m_nLeftColumn) + 1, 0);
    }
    if (r.bChanged || r.bRepaint || r.nShiftLines) {
        viewport()->update();
        if (code != ScrollCode::ThumbTrack) {
            m_bUpdatingBars = true;
            verticalScrollBar()->setValue(VerticalRange(m_st, d).nPos);
            m_bUpdatingBars = false;
        }
        if (!r.trackLine) ReportPosition();
    }
    if (bPropagate && r.bPropagate)
        if (m_pHost)
            m_pHost->BroadcastScroll(&m_doc, this, static_cast<int>(code), nThumbPos, false);
}

void CTervikView::OnHScroll(ScrollCode code, int nThumbPos, bool bPropagate) {
    const ScrollDocument d = DocumentForScroll();
    const ScrollResult r = HorizontalScroll(m_st, d, code, nThumbPos, viewport()->width(),
                                            m_nCharWidth, m_bFixedPitch);
    if (r.bChanged || r.bRepaint || r.nShiftColumns) {
        viewport()->update();
        m_bUpdatingBars = true;
        horizontalScrollBar()->setValue(
            HorizontalRange(m_st, d, viewport()->width(), m_nCharWidth).nPos);
        m_bUpdatingBars = false;
        ReportPosition();
    }
    if (bPropagate && r.bPropagate)
        if (m_pHost)
            m_pHost->BroadcastScroll(&m_doc, this, static_cast<int>(code), nThumbPos, true);
}

void CTervikView::scrollContentsBy(int, int) {
    // The view paints from its own position; Qt's pixel scrolling does not apply.
}

void CTervikView::resizeEvent(QResizeEvent* pEvent) {
    QAbstractScrollArea::resizeEvent(pEvent);
    m_st.m_nVisibleLines = std::max(1, (viewport()->height() + m_nLineHeight - 1) / m_nLineHeight);
    UpdateScrollRanges();
}

void CTervikView::focusInEvent(QFocusEvent* pEvent) {
    QAbstractScrollArea::focusInEvent(pEvent);
    m_pens.SyncPenColour();
    emit Activated(this);
    UpdateDumpBox();
    ReportPosition();
}

void CTervikView::keyPressEvent(QKeyEvent* pEvent) {
    // Shift marks before the key scrolls.
    MarkByKey(*pEvent);
    switch (pEvent->key()) {
    case Qt::Key_Up:
        OnVScroll(ScrollCode::LineUp, 0, true);
        break;
    case Qt::Key_Down:
        OnVScroll(ScrollCode::LineDown, 0, true);
        break;
    case Qt::Key_PageUp:
        OnVScroll(ScrollCode::PageUp, 0, true);
        break;
    case Qt::Key_PageDown:
        OnVScroll(ScrollCode::PageDown, 0, true);
        break;
    case Qt::Key_Home:
        OnVScroll(ScrollCode::Top, 0, true);
        break;
    case Qt::Key_End:
        // The end is the file's end, not that of the part known so far.
        if (!m_doc.CompleteCut()) break;
        OnVScroll(ScrollCode::Bottom, 0, true);
        break;
    case Qt::Key_Escape:
        if (!m_doc.IsCutting()) {
            QAbstractScrollArea::keyPressEvent(pEvent);
            return;
        }
        m_doc.StopCut();
        break;
    case Qt::Key_Left:
        OnHScroll(ScrollCode::LineUp, 0, true);
        break;
    case Qt::Key_Right:
        OnHScroll(ScrollCode::LineDown, 0, true);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(pEvent);
        return;
    }
    pEvent->accept();
}

bool CTervikView::eventFilter(QObject* pWatched, QEvent* pEvent) {
    // Qt turns the wheel over the bar into a thumb move, which only tracks: it
    // scrolls the text as the wheel over the text does.
    if (pWatched == verticalScrollBar() && pEvent->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(pEvent));
        return true;
    }
    return QAbstractScrollArea::eventFilter(pWatched, pEvent);
}

void CTervikView::wheelEvent(QWheelEvent* pEvent) {
    const int nDelta = pEvent->angleDelta().y();
    if (nDelta == 0) {
        pEvent->ignore();
        return;
    }
    const int nLines = WheelLines(m_st.m_nVisibleLines);
    for (int i = 0; i < nLines; ++i)
        OnVScroll(nDelta < 0 ? ScrollCode::LineDown : ScrollCode::LineUp, 0, true);
    pEvent->accept();
}

void CTervikView::ReportPosition() {
    // The pane describes the active view only, also while others scroll with it.
    if (m_pHost && m_pHost->ActiveView() && m_pHost->ActiveView() != this) return;
    const uint32_t nColumn = static_cast<uint32_t>(m_st.m_nLeftColumn) + 1;
    if (m_st.m_eMode == DisplayMode::Dump) {
        const uint64_t nRow = DumpRowBytes(m_st);
        const uint64_t nSize = static_cast<uint64_t>(std::max<int64_t>(0, m_doc.m_nFileSize));
        m_doc.Host().SetPositionIndicator(static_cast<uint32_t>(m_st.m_nDumpTop / nRow + 1),
                                          static_cast<uint32_t>((nSize + nRow - 1) / nRow), nColumn,
                                          0);
        return;
    }
    m_doc.Host().SetPositionIndicator(m_st.m_nTopLine + 1, m_doc.m_nRecords, nColumn,
                                      m_doc.SelectedCount());
}

void CTervikView::UpdateDumpBox() {
    if (!m_pHost) return;
    if (m_st.m_eMode == DisplayMode::Dump)
        m_pHost->ShowDumpBox(m_st.m_nDumpColumns, this);
    else
        m_pHost->HideDumpBox();
}

uint64_t CTervikView::DocumentSize() const {
    return static_cast<uint64_t>(std::max<int64_t>(0, m_doc.m_nFileSize));
}

void CTervikView::OnUpdate(IDocumentView*, unsigned nHint) {
    if (nHint == HINT_CUT_GROWN) {
        // More of the file is known: the bars grow, the text stays where it is; only a
        // screen that was not full is drawn again.
        const bool bWasShort = m_nKnownRecords < m_st.m_nTopLine + uint64_t(m_st.m_nVisibleLines) + 1;
        m_nKnownRecords = m_doc.m_nRecords;
        m_nKnownSize = DocumentSize();
        UpdateScrollRanges();
        if (bWasShort || m_st.m_bOnlySelected) viewport()->update();
        if (m_pHost && m_pHost->ActiveView() == this) ReportPosition();
        return;
    }
    // Whether the end was on the screen is judged by the document as this view last
    // drew it: a view at the end follows a growing file, any other stays where it is.
    const bool bShowedEnd = ShowsLastLine(m_st, m_nKnownRecords, m_nKnownSize);
    if (nHint == HINT_RELOADED) {
        // Another file now: positions, hits and the line filter of the old one mean
        // nothing in it.
        m_st.m_nTopLine = 0;
        m_st.m_nDumpTop = 0;
        m_st.m_nLeftColumn = 0;
        m_st.m_bOnlySelected = false;
        m_nTrackTop = kNoTrackTop;
        m_textHit = {};
        m_dumpHit = {};
        ClearMarking(m_mark);
    }
    // Back in stream mode, marker columns beyond their line's end come back to it.
    if (nHint == HINT_BLOCK_MARKING && !BlockMarking())
        OnStreamModeSwitched(m_mark, DocumentForMark());
    if (nHint == HINT_RECORDS_APPENDED)
        FollowGrowth(m_st, m_nKnownRecords, m_nKnownSize, m_doc.m_nRecords, DocumentSize());
    else if (nHint == HINT_RELOADED && bShowedEnd)
        ScrollToLastLine(m_st, m_doc.m_nRecords, DocumentSize());
    m_nKnownRecords = m_doc.m_nRecords;
    m_nKnownSize = DocumentSize();
    if (m_st.m_bOnlySelected && m_doc.SelectedCount() == 0) m_st.m_bOnlySelected = false;
    if (nHint == HINT_RECORDS_APPENDED || nHint == HINT_RELOADED) UpdateScrollRanges();
    viewport()->update();
    // The position pane shows the active view, whether it has the focus or not.
    if (m_pHost && m_pHost->ActiveView() == this) ReportPosition();
}

// ------------------------------------------------------------------ modes, font

void CTervikView::SetMode(DisplayMode eMode) {
    if (eMode == m_st.m_eMode) return;
    if (eMode == DisplayMode::Dump) {
        uint64_t nOffset = 0;
        if (m_doc.GetRecordOffset(m_st.m_nTopLine, nOffset))
            m_st.m_nDumpTop = AlignDown(nOffset, 16);
    }
    m_st.m_eMode = eMode;
    UpdateScrollRanges();
    viewport()->update();
    ReportPosition();
    UpdateDumpBox();
}

void CTervikView::SetDumpColumns(int nGroups) {
    if (nGroups <= 0) return;
    m_st.m_nDumpColumns = nGroups;
    m_st.m_nDumpTop = AlignDown(m_st.m_nDumpTop, DumpRowBytes(m_st));
    UpdateScrollRanges();
    setFocus();
    viewport()->update();
    ReportPosition();
}

void CTervikView::SetTopLine(uint32_t nLine) {
    m_st.m_nTopLine = std::min(nLine, m_doc.m_nRecords ? m_doc.m_nRecords - 1 : 0);
    UpdateScrollRanges();
    viewport()->update();
    ReportPosition();
}

void CTervikView::RestoreState(DisplayMode eMode, uint32_t nTopLine, int nLeftColumn,
                               uint64_t nDumpTop, bool bOnlySelected) {
    m_st.m_eMode = eMode;
    m_st.m_nTopLine = std::min(nTopLine, m_doc.m_nRecords ? m_doc.m_nRecords - 1 : 0);
    m_st.m_nLeftColumn = std::max(0, nLeftColumn);
    const uint64_t nSize = DocumentSize();
    m_st.m_nDumpTop = AlignDown(std::min(nDumpTop, nSize), DumpRowBytes(m_st));
    // The selected lines may come after the window; the next update checks the filter.
    m_st.m_bOnlySelected = bOnlySelected;
    m_nTrackTop = kNoTrackTop;
}

void CTervikView::SetFontChoice(const QString& name, int nSize10) {
    m_fontName = name.left(31);
    m_nFontSize10 = std::max(10, nSize10);
    // The saved settings are the defaults of views opened later.
    m_doc.Host().Settings().WriteFont(ToAnsi(m_fontName), m_nFontSize10 / 10);
    ApplyFont();
    viewport()->update();
}

void CTervikView::OnViewText() {
    SetMode(DisplayMode::Text);
}
void CTervikView::OnViewHex() {
    SetMode(DisplayMode::Hex);
}
void CTervikView::OnViewDump() {
    SetMode(DisplayMode::Dump);
}
void CTervikView::OnUpdateViewText(CCmdUI& ui) {
    ui.SetCheck(m_st.m_eMode == DisplayMode::Text);
}
void CTervikView::OnUpdateViewHex(CCmdUI& ui) {
    ui.SetCheck(m_st.m_eMode == DisplayMode::Hex);
}
void CTervikView::OnUpdateViewDump(CCmdUI& ui) {
    ui.SetCheck(m_st.m_eMode == DisplayMode::Dump);
}

void CTervikView::OnViewFont() {
    // The dialog opens on the family drawn with, upright, at the size set. It lists
    // every font: its monospaced filter trusts the flag that fontconfig leaves off
    // some monospaced fonts, and would open on another family.
    const QFont current = DialogFont(QFontInfo(font()).family(), m_nFontSize10 / 10.0);
    bool bOk = false;
    const QFont chosen = QFontDialog::getFont(&bOk, current, this, QString::fromUtf8("Schriftart"));
    if (bOk) SetFontChoice(chosen.family(), static_cast<int>(chosen.pointSizeF() * 10 + 0.5));
}

void CTervikView::OnOnlySelected() {
    m_st.m_bOnlySelected = !m_st.m_bOnlySelected && m_doc.SelectedCount() > 0;
    UpdateScrollRanges();
    viewport()->update();
}

void CTervikView::OnUpdateOnlySelected(CCmdUI& ui) {
    if (m_doc.SelectedCount() == 0) m_st.m_bOnlySelected = false;
    ui.Enable(m_st.m_eMode != DisplayMode::Dump && m_doc.SelectedCount() > 0);
    ui.SetCheck(m_st.m_bOnlySelected ? 1 : 0);
}

void CTervikView::OnGotoLine() {
    CGotoPosition dialog(m_doc.m_nGotoHistory, m_doc.SelectedCount() > 0, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const uint32_t n = dialog.Number();
    UpdateGotoHistory(m_doc.m_nGotoHistory, n);
    const ScrollDocument d = DocumentForScroll();
    uint32_t nTarget =
        GotoTarget(n, dialog.SelectedOnly(), d, m_doc.SelectedCount(), m_st.m_nVisibleLines);
    if (ApplyGotoTarget(m_st, d, nTarget)) {
        UpdateScrollRanges();
        viewport()->update();
        ReportPosition();
    }
}

bool CTervikView::OnCmdMsg(unsigned nId, CCmdUI* pUI) {
    if (m_search.OnCmdMsg(nId, pUI) || m_pens.OnCmdMsg(nId, pUI)) return true;
    static const CommandEntry<CTervikView> kCommands[] = {
        {ID_VIEW_TEXT, &CTervikView::OnViewText, &CTervikView::OnUpdateViewText},
        {ID_VIEW_HEX, &CTervikView::OnViewHex, &CTervikView::OnUpdateViewHex},
        {ID_VIEW_DUMP, &CTervikView::OnViewDump, &CTervikView::OnUpdateViewDump},
        {ID_VIEW_FONT, &CTervikView::OnViewFont, nullptr},
        {ID_VIEW_ONLY_SELECTED, &CTervikView::OnOnlySelected, &CTervikView::OnUpdateOnlySelected},
        {ID_VIEW_GOTO_LINE, &CTervikView::OnGotoLine, nullptr},
        {ID_CHAR_FREQUENCY, &CTervikView::OnCharFrequency, nullptr},
        {ID_EDIT_MARK_ALL, &CTervikView::OnMarkAll, nullptr},
        {ID_MARK_CLEAR, &CTervikView::OnMarkClear, &CTervikView::OnUpdateMarkClear},
        {ID_FILE_PRINT, &CTervikView::OnFilePrint, nullptr},
        {ID_FILE_PRINT_DIRECT, &CTervikView::OnFilePrintDirect, nullptr},
        {ID_FILE_PRINT_PREVIEW, &CTervikView::OnFilePrintPreview, nullptr},
    };
    return DispatchCommand(*this, kCommands, nId, pUI);
}

// The right button and the pens are served before the marking sees the mouse.
bool CTervikView::viewportEvent(QEvent* pEvent) {
    return m_pens.ViewportEvent(pEvent) || QAbstractScrollArea::viewportEvent(pEvent);
}

} // namespace tervik
