// The right-button menu of a view and the pens that select and deselect lines by
// hand; also the marking's select and deselect commands and the marker points.

#include "views/ui/ViewPens.h"

#include "base/Colour.h"
#include "base/Settings.h"
#include "framework/CommandIds.h"
#include "framework/MenuLayout.h"
#include "search/BusyProgress.h"
#include "views/ui/TervikView.h"
#include "views/ui/ViewHost.h"

#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <algorithm>
#include <map>
#include <optional>

namespace tervik {

CViewPens::CViewPens(CTervikView& view) : m_view(view) {}

bool CViewPens::OnCmdMsg(unsigned nId, CCmdUI* pUI) {
    static const CommandEntry<CViewPens> kCommands[] = {
        {ID_CONTEXT_SELECT_BLUE, &CViewPens::OnContextSelectBlue, nullptr},
        {ID_CONTEXT_SELECT_RED, &CViewPens::OnContextSelectRed, nullptr},
        {ID_CONTEXT_SELECT_GREEN, &CViewPens::OnContextSelectGreen, nullptr},
        {ID_CONTEXT_DESELECT, &CViewPens::OnContextDeselect, nullptr},
        {ID_HAND_SELECT, &CViewPens::OnHandSelect, &CViewPens::OnUpdateHandSelect},
        {ID_HAND_SELECT_GREEN, &CViewPens::OnHandSelect, &CViewPens::OnUpdateHandSelect},
        {ID_HAND_SELECT_RED, &CViewPens::OnHandSelect, &CViewPens::OnUpdateHandSelect},
        {ID_HAND_DESELECT, &CViewPens::OnHandDeselect, &CViewPens::OnUpdateHandDeselect},
        {ID_MARKED_SELECT, &CViewPens::OnMarkedSelect, &CViewPens::OnUpdateMarkedRange},
        {ID_MARKED_DESELECT, &CViewPens::OnMarkedDeselect, &CViewPens::OnUpdateMarkedRange},
        {ID_MARK_POINT_FIRST, &CViewPens::OnMarkPointFirst, nullptr},
        {ID_MARK_POINT_SECOND, &CViewPens::OnMarkPointSecond, nullptr},
    };
    return DispatchCommand(*this, kCommands, nId, pUI);
}

namespace {

CViewPens::ContextMenuHook& ContextMenuHookSlot() {
    static CViewPens::ContextMenuHook s_hook;
    return s_hook;
}

// The pen cursors: blue, red, green by colour index, and the deselect pen. The
// pen's tip is the hot spot.
QCursor PenCursor(CViewPens::Pen ePen, int nColour) {
    const char* psz = ePen == CViewPens::Pen::Deselect ? ":/cursors/pen-deselect.png"
                      : nColour == 1                     ? ":/cursors/pen-red.png"
                      : nColour == 2                     ? ":/cursors/pen-green.png"
                                                         : ":/cursors/pen-blue.png";
    return QCursor(QPixmap(QString::fromLatin1(psz)), 1, 30);
}

int CurrentSelectColour(CTervikDoc& doc) {
    const int n = doc.Host().SelectColour();
    return n >= 0 && n <= 2 ? n : 0;
}

// The marker colour of colour index nColour, as the document stores it.
COLORREF MarkerColour(const ColorSettings& c, int nColour) {
    return nColour == 1 ? c.m_crRedMarker : nColour == 2 ? c.m_crGreenMarker : c.m_crBlueMarker;
}

// A menu text holding printf directives for 32-bit numbers, filled with numbers
// of any size ("%d" and "%u" become 64-bit unsigned).
QString FormatMenuText(QString format, std::initializer_list<unsigned long long> values) {
    format.replace("%d", "%llu").replace("%u", "%llu");
    const QByteArray f = format.toUtf8();
    auto v = values.begin();
    auto next = [&] { return v != values.end() ? *v++ : 0ull; };
    const unsigned long long a = next(), b = next(), c = next();
    return QString::asprintf(f.constData(), a, b, c);
}

// A 0-based line or column as the user counts it.
unsigned long long Shown(int64_t n) {
    return static_cast<unsigned long long>(std::max<int64_t>(-1, n) + 1);
}

constexpr const char* kPointReplace = "Markierpunkt (Z%d, S%d) ersetzen";
constexpr const char* kPointClear = "Markierpunkt löschen";
constexpr const char* kOneByteMarked = "1 Byte ist markiert";

} // namespace

void CViewPens::SetContextMenuHook(ContextMenuHook hook) {
    ContextMenuHookSlot() = std::move(hook);
}

int CViewPens::LineColourIndex(int64_t nRecord) const {
    COLORREF crText = 0;
    if (nRecord < 0 || nRecord >= m_view.m_doc.m_nRecords ||
        !m_view.m_doc.IsLineSelected(static_cast<uint32_t>(nRecord), &crText, nullptr))
        return -1;
    const ColorSettings& c = m_view.m_doc.Host().Colours();
    return crText == c.m_crGreenMarker ? 2 : crText == c.m_crRedMarker ? 1 : 0;
}

void CViewPens::OpenContextMenu(const QPoint& pt) {
    const std::optional<MarkPos> hit = ContextHit(pt);
    if (!hit) return;
    m_nContextLine = hit->m_nLine;
    m_nContextColumn = hit->m_nColumn;
    m_ptContext = pt;

    QMenu menu(&m_view);
    std::map<unsigned, QAction*> items;
    for (const MenuEntry& e : ContextMenu()) {
        if (e.m_eKind == MenuEntry::Separator) {
            menu.addSeparator();
            continue;
        }
        if (e.m_eKind != MenuEntry::Command) continue;
        QAction* pAction = menu.addAction(QString::fromUtf8(e.m_pszText));
        pAction->setData(e.m_nId);
        items[e.m_nId] = pAction;
    }
    auto remove = [&](unsigned nId) {
        if (const auto it = items.find(nId); it != items.end()) {
            menu.removeAction(it->second);
            delete it->second;
            items.erase(it);
        }
    };

    // Where the pointer is; a line past the end has no bytes.
    const uint32_t nBytes =
        m_nContextLine < m_view.m_doc.m_nRecords
            ? m_view.m_doc.GetRecordLength(static_cast<uint32_t>(m_nContextLine), false)
            : 0;
    QAction* pHeader = items[ID_CONTEXT_POSITION];
    // The item's text is its format.
    pHeader->setText(
        FormatMenuText(pHeader->text(), {Shown(m_nContextLine), nBytes, Shown(m_nContextColumn)}));
    pHeader->setEnabled(false);

    // A line is offered the colours it does not have, and deselection when selected.
    const int nColour = LineColourIndex(m_nContextLine);
    if (nColour < 0) {
        remove(ID_CONTEXT_DESELECT);
    } else {
        remove(nColour == 2   ? ID_CONTEXT_SELECT_GREEN
               : nColour == 1 ? ID_CONTEXT_SELECT_RED
                              : ID_CONTEXT_SELECT_BLUE);
        menu.insertSeparator(items[ID_CONTEXT_DESELECT]);
    }

    // How much is marked, and the two marker points.
    const MarkState& mark = m_view.Marking();
    if (!mark.m_bMarking) {
        remove(ID_EDIT_COPY);
        remove(ID_CONTEXT_MARKED_BYTES);
        if (!mark.m_bMarkPoint) {
            remove(ID_MARK_CLEAR);
            remove(ID_MARK_POINT_SECOND);
        } else {
            items[ID_MARK_CLEAR]->setText(QString::fromUtf8(kPointClear));
            items[ID_MARK_POINT_FIRST]->setText(
                FormatMenuText(QString::fromUtf8(kPointReplace),
                               {Shown(mark.m_point.m_nLine), Shown(mark.m_point.m_nColumn)}));
        }
    } else {
        // The copy's size without its terminating NUL.
        const uint64_t nSize = m_view.MarkedTextSize();
        const uint64_t nMarked = nSize > 0 ? nSize - 1 : 0;
        QAction* pCount = items[ID_CONTEXT_MARKED_BYTES];
        pCount->setText(nMarked == 1 ? QString::fromUtf8(kOneByteMarked)
                                     : FormatMenuText(pCount->text(), {nMarked}));
        pCount->setEnabled(false);
        items[ID_MARK_POINT_FIRST]->setText(
            FormatMenuText(QString::fromUtf8(kPointReplace),
                           {Shown(mark.m_mark1.m_nLine), Shown(mark.m_mark1.m_nColumn)}));
        items[ID_MARK_POINT_SECOND]->setText(
            FormatMenuText(QString::fromUtf8(kPointReplace),
                           {Shown(mark.m_mark2.m_nLine), Shown(mark.m_mark2.m_nColumn)}));
    }
    if (m_view.m_pHost) m_view.m_pHost->AppendAddOnItems(menu);

    // The view that was right-clicked runs the command; what it does not know goes
    // the frame's way.
    QPointer<CTervikView> pSelf = &m_view;
    QObject::connect(&menu, &QMenu::triggered, &m_view, [pSelf](QAction* pAction) {
        bool bOk = false;
        const unsigned nId = pAction->data().toUInt(&bOk);
        if (!pSelf || !bOk || !pAction->isEnabled()) return;
        if (pSelf->OnCmdMsg(nId, nullptr)) return;
        if (pSelf->m_pHost) pSelf->m_pHost->ExecuteCommand(nId);
    });
    if (ContextMenuHookSlot())
        ContextMenuHookSlot()(menu);
    else
        menu.exec(m_view.viewport()->mapToGlobal(pt));
}

void CViewPens::SelectContextLine(int nColour) {
    // A line past the end stays as it is.
    if (m_nContextLine < 0 || m_nContextLine >= m_view.m_doc.m_nRecords) return;
    const auto r = static_cast<uint32_t>(m_nContextLine);
    const int nHas = LineColourIndex(r);
    if (nHas == nColour) return;
    const COLORREF colour = MarkerColour(m_view.m_doc.Host().Colours(), nColour);
    if (nHas < 0) {
        if (!m_view.m_doc.SetLineSelected(r, true, &colour)) return;
    } else if (!m_view.m_doc.ChangeLineColour(r, colour)) {
        return;
    }
    RepaintLineBand(m_ptContext.y());
    m_view.m_doc.UpdateAllViews(&m_view, HINT_SELECTION);
    m_view.ReportPosition();
}

void CViewPens::OnContextSelectBlue() {
    SelectContextLine(0);
}
void CViewPens::OnContextSelectRed() {
    SelectContextLine(1);
}
void CViewPens::OnContextSelectGreen() {
    SelectContextLine(2);
}

void CViewPens::OnContextDeselect() {
    if (m_nContextLine < 0 || m_nContextLine >= m_view.m_doc.m_nRecords) return;
    if (!DeselectLine(static_cast<uint32_t>(m_nContextLine), m_ptContext.y())) return;
    m_view.m_doc.UpdateAllViews(&m_view, HINT_SELECTION);
    m_view.ReportPosition();
}

bool CViewPens::DeselectLine(uint32_t r, int y) {
    if (!m_view.m_doc.IsLineSelected(r, nullptr, nullptr)) return false;
    m_view.m_doc.SetLineSelected(r, false, nullptr);
    if (!m_view.m_st.m_bOnlySelected) {
        RepaintLineBand(y);
        return true;
    }
    // The lines below move up; without any selected line all lines show again.
    if (m_view.m_doc.SelectedCount() == 0) {
        m_view.m_st.m_bOnlySelected = false;
    } else if (!m_view.m_doc.IsLineSelected(m_view.m_st.m_nTopLine, nullptr, nullptr)) {
        // The top was this line: the next selected one takes its place, or the one
        // before at the end.
        uint32_t n = m_view.m_st.m_nTopLine;
        if (m_view.m_doc.NextSelected(n) || m_view.m_doc.PrevSelected(n)) m_view.m_st.m_nTopLine = n;
    }
    m_view.UpdateScrollRanges();
    m_view.viewport()->update();
    return true;
}

void CViewPens::RepaintLineBand(int y) {
    // In the hex display a record's band is its text row and its two hex rows.
    const int nBand = m_view.m_st.m_eMode == DisplayMode::Hex ? 3 * m_view.m_nLineHeight : m_view.m_nLineHeight;
    m_view.viewport()->update(QRect(0, std::max(0, y) / nBand * nBand, m_view.viewport()->width(), nBand));
}

void CViewPens::SetPen(Pen ePen) {
    m_ePen = ePen;
    if (ePen == Pen::None)
        m_view.viewport()->unsetCursor();
    else
        m_view.viewport()->setCursor(PenCursor(ePen, m_nPenColour));
}

void CViewPens::SyncPenColour() {
    if (m_ePen != Pen::Select) return;
    const int nColour = CurrentSelectColour(m_view.m_doc);
    if (nColour == m_nPenColour) return;
    m_nPenColour = nColour;
    SetPen(Pen::Select);
}

void CViewPens::OnHandSelect() {
    if (m_ePen == Pen::Select) {
        SetPen(Pen::None);
        return;
    }
    m_nPenColour = CurrentSelectColour(m_view.m_doc);
    SetPen(Pen::Select);
}

void CViewPens::OnUpdateHandSelect(CCmdUI& ui) {
    if (m_view.m_st.m_eMode == DisplayMode::Dump) {
        if (m_ePen == Pen::Select) SetPen(Pen::None);
        ui.Enable(false);
        return;
    }
    ui.SetCheck(m_ePen == Pen::Select ? 1 : 0);
}

void CViewPens::OnHandDeselect() {
    SetPen(m_ePen == Pen::Deselect ? Pen::None : Pen::Deselect);
}

void CViewPens::OnUpdateHandDeselect(CCmdUI& ui) {
    if (m_view.m_st.m_eMode == DisplayMode::Dump || m_view.m_doc.SelectedCount() == 0) {
        if (m_ePen == Pen::Deselect) SetPen(Pen::None);
        ui.Enable(false);
        return;
    }
    ui.SetCheck(m_ePen == Pen::Deselect ? 1 : 0);
}

void CViewPens::PenAt(const QPoint& pt, bool bButtonDown) {
    const std::optional<MarkPos> hit = m_view.HitTestPoint(pt);
    if (!hit || hit->m_nLine < 0 || hit->m_nLine >= m_view.m_doc.m_nRecords) return;
    const auto r = static_cast<uint32_t>(hit->m_nLine);
    if (m_ePen == Pen::Select) {
        const int nHas = LineColourIndex(r);
        if (nHas == m_nPenColour) return;
        if (nHas >= 0) {
            m_view.m_doc.ChangeLineColour(r, MarkerColour(m_view.m_doc.Host().Colours(), m_nPenColour));
        } else {
            if (!m_view.m_doc.SetLineSelected(r, true, nullptr)) return;
        }
        RepaintLineBand(pt.y());
    } else {
        // Dragging the deselect pen over the selected lines alone would pull the
        // next ones under the pointer; there it takes a click per line.
        if (!bButtonDown && m_view.m_st.m_bOnlySelected) return;
        if (!DeselectLine(r, pt.y())) return;
    }
    m_view.m_doc.UpdateAllViews(&m_view, HINT_SELECTION);
    m_view.ReportPosition();
}

void CViewPens::SetMarkedRangeSelected(bool bSelect) {
    const MarkState& mark = m_view.Marking();
    if (!mark.m_bMarking || m_view.m_doc.m_nRecords == 0) return;
    const int64_t nLastRecord = m_view.m_doc.m_nRecords - 1;
    const auto nFirst = static_cast<uint32_t>(
        std::clamp<int64_t>(std::min(mark.m_mark1.m_nLine, mark.m_mark2.m_nLine), 0, nLastRecord));
    const auto nLast = static_cast<uint32_t>(
        std::clamp<int64_t>(std::max(mark.m_mark1.m_nLine, mark.m_mark2.m_nLine), 0, nLastRecord));
    // A marking over millions of lines ("Alles Markieren") rebuilds the index once
    // instead of inserting line by line.
    constexpr uint32_t kBulkFrom = 4096;
    const bool bBulk = nLast - nFirst >= kBulkFrom;
    std::optional<CBusyGuard> busy;
    if (bBulk) {
        busy.emplace(m_view.m_doc.Host());
        m_view.m_doc.BeginBulkSelect();
    }
    uint32_t nChanged = 0;
    for (uint32_t r = nFirst;; ++r) {
        if (bBulk && (r & 0xFFFF) == 0) m_view.m_doc.Host().ServeBusy();
        if (m_view.m_doc.IsLineSelected(r, nullptr, nullptr) != bSelect) {
            m_view.m_doc.SetLineSelected(r, bSelect, nullptr);
            ++nChanged;
        }
        if (r == nLast) break;
    }
    if (bBulk) m_view.m_doc.EndBulkSelect();
    if (nChanged == 0) return;
    if (m_view.m_st.m_bOnlySelected && m_view.m_doc.SelectedCount() == 0) m_view.m_st.m_bOnlySelected = false;
    m_view.UpdateScrollRanges();
    m_view.viewport()->update();
    m_view.ReportPosition();
    // The other views show the new colours too.
    m_view.m_doc.UpdateAllViews(&m_view, HINT_SELECTION);
}

void CViewPens::OnMarkedSelect() {
    SetMarkedRangeSelected(true);
}
void CViewPens::OnMarkedDeselect() {
    SetMarkedRangeSelected(false);
}
void CViewPens::OnUpdateMarkedRange(CCmdUI& ui) {
    ui.Enable(m_view.Marking().m_bMarking);
}

void CViewPens::OnMarkPointFirst() {
    m_view.SetMarkPoint(false, {m_nContextLine, m_nContextColumn});
}

void CViewPens::OnMarkPointSecond() {
    m_view.SetMarkPoint(true, {m_nContextLine, m_nContextColumn});
}

std::optional<MarkPos> CViewPens::ContextHit(const QPoint& pt) const {
    if (m_view.m_st.m_eMode != DisplayMode::Dump) return m_view.HitTestPoint(pt);
    // The dump has no lines of its own: the rows count from the top line.
    const HitGeometry g{m_view.viewport()->width(),
                        m_view.viewport()->height(),
                        m_view.m_nLineHeight,
                        m_view.m_nCharWidth,
                        true,
                        m_view.m_rawFont.isValid() ? m_view.m_dAdvance : 0.0};
    return HitTest(m_view.m_st, g, m_view.DocumentForMark(), pt.x(), pt.y());
}

bool CViewPens::ViewportEvent(QEvent* pEvent) {
    switch (pEvent->type()) {
    case QEvent::MouseButtonRelease: {
        auto* pMouse = static_cast<QMouseEvent*>(pEvent);
        if (pMouse->button() != Qt::RightButton) break;
        OpenContextMenu(pMouse->position().toPoint());
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // With a pen on, a press and a double-click are each one more pen stroke;
        // the pens never mark text.
        auto* pMouse = static_cast<QMouseEvent*>(pEvent);
        if (m_ePen == Pen::None || pMouse->button() != Qt::LeftButton) break;
        m_view.setFocus(Qt::MouseFocusReason);
        PenAt(pMouse->position().toPoint(), true);
        return true;
    }
    case QEvent::MouseMove: {
        auto* pMouse = static_cast<QMouseEvent*>(pEvent);
        if (m_ePen == Pen::None || !(pMouse->buttons() & Qt::LeftButton)) break;
        PenAt(pMouse->position().toPoint(), false);
        return true;
    }
    default:
        break;
    }
    return false;
}

} // namespace tervik
