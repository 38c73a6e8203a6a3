#pragma once

// A document window: a vertical splitter with one or two views of the document.

#include "framework/CommandTarget.h"

#include <QMdiSubWindow>
#include <QRect>

class QSplitter;

namespace tervik {

class CTervikApp;
class CTervikDoc;
class CTervikView;
class IViewHost;

class CChildFrame : public QMdiSubWindow, public CCommandTarget {
    Q_OBJECT
public:
    // Its views ask pViewHost (the main frame) what lies outside the window.
    CChildFrame(CTervikDoc& doc, CTervikApp& app, IViewHost* pViewHost, QWidget* pParent = nullptr);
    ~CChildFrame() override;

    CTervikDoc& GetDocument() const { return m_doc; }
    // The document's file name without its folder, as titles show it.
    QString DocumentName() const;
    // The pane the user works in (the last one focused).
    CTervikView* ActiveView() const;
    int PaneCount() const;
    CTervikView* Pane(int nIndex) const;
    QSplitter* Splitter() const { return m_pSplitter; }
    // Makes a pane the active one and gives it the keyboard focus.
    void ActivatePane(CTervikView* pView);
    // Splits into two rows, the upper nUpperHeight pixels high, and activates the
    // lower pane; false when the window is split already.
    bool SplitRows(int nUpperHeight);
    // Height of a splitter row in pixels.
    int RowHeight(int nRow) const;

    // The window's place for workspaces: the restored rectangle in the document
    // area's coordinates, the show state (1 normal, 2 minimized, 3 maximized) and,
    // when maximized or minimized, where it is.
    QRect NormalRect() const;
    int ShowState() const;
    // Applies a stored place: the restored rectangle, then the state.
    void ApplyPlacement(const QRect& rcNormal, int nShowState);

    // "&Teilen": a second pane below the first; again: back to one pane.
    void OnWindowSplit();
    void OnFileClose();
    // Follow mode belongs to the document: every window on it shows the same check.
    void OnViewFollow();
    void OnUpdateViewFollow(CCmdUI& ui);
    bool OnCmdMsg(unsigned nId, CCmdUI* pUI) override;

signals:
    void ViewActivated(CTervikView* pView);

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;
    void moveEvent(QMoveEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    CTervikView* AddPane();
    void RememberNormalRect();
    // A view opened or closed changes an open workspace.
    void ViewsChanged();

    CTervikDoc& m_doc;
    CTervikApp& m_app;
    IViewHost* m_pViewHost;
    QSplitter* m_pSplitter = nullptr;
    CTervikView* m_pActive = nullptr;
    // The last rectangle the window had while neither maximized nor minimized.
    QRect m_rcNormal;
};

} // namespace tervik
