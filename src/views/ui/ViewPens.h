#pragma once

// The right-button menu of a view and the pens that select and deselect lines by hand.
// A part of CTervikView: it works on the view's document, position and marking.

#include "framework/CommandTarget.h"
#include "views/MarkModel.h"

#include <QPoint>
#include <cstdint>
#include <functional>
#include <optional>

class QEvent;
class QMenu;

namespace tervik {

class CTervikView;

class CViewPens : public CCommandTarget {
public:
    explicit CViewPens(CTervikView& view);
    bool OnCmdMsg(unsigned nId, CCmdUI* pUI) override;

    enum class Pen { None, Select, Deselect };
    Pen ActivePen() const { return m_ePen; }
    // The colour index the select pen was loaded for.
    int PenColour() const { return m_nPenColour; }
    // The select pen takes the current selection colour when that changed.
    void SyncPenColour();
    // The position of the last right-click; the line may lie past the end.
    int64_t ContextLine() const { return m_nContextLine; }
    // While set, the hook gets the right-button menu instead of it being shown
    // (tests read and choose its items there).
    using ContextMenuHook = std::function<void(QMenu&)>;
    static void SetContextMenuHook(ContextMenuHook hook);
    // The right button and the pens are served before the marking sees the mouse:
    // true when the event was the pens' or the menu's.
    bool ViewportEvent(QEvent* pEvent);

private:
    void OnContextSelectBlue();
    void OnContextSelectRed();
    void OnContextSelectGreen();
    void OnContextDeselect();
    void OnHandSelect();
    void OnUpdateHandSelect(CCmdUI& ui);
    void OnHandDeselect();
    void OnUpdateHandDeselect(CCmdUI& ui);
    void OnMarkedSelect();
    void OnMarkedDeselect();
    void OnUpdateMarkedRange(CCmdUI& ui);
    void OnMarkPointFirst();
    void OnMarkPointSecond();

    void OpenContextMenu(const QPoint& pt);
    // Selects the right-clicked line in colour index nColour.
    void SelectContextLine(int nColour);
    // The pen acts on the line under pt; bButtonDown for a press, false for a drag.
    void PenAt(const QPoint& pt, bool bButtonDown);
    void SetPen(Pen ePen);
    // Deselects a line shown at client height y and repaints; false when it was
    // not selected.
    bool DeselectLine(uint32_t nRecord, int y);
    // The colour index of a selected line, -1 when it is not selected.
    int LineColourIndex(int64_t nRecord) const;
    // Repaints the band of the record shown at client height y.
    void RepaintLineBand(int y);
    void SetMarkedRangeSelected(bool bSelect);
    // The line and column of a right-click, in the dump too (from the top line).
    std::optional<MarkPos> ContextHit(const QPoint& pt) const;

    CTervikView& m_view;
    int64_t m_nContextLine = 0;
    int64_t m_nContextColumn = 0;
    QPoint m_ptContext;
    Pen m_ePen = Pen::None;
    int m_nPenColour = 0;
};

} // namespace tervik
