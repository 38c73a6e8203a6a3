#pragma once

// A document window: a vertical splitter with one or two views of the document.

#include "framework/CommandTarget.h"

#include <QMdiSubWindow>

class QSplitter;

namespace tervik {

class CTervikDoc;
class CTervikView;

class CChildFrame : public QMdiSubWindow, public CCommandTarget {
    Q_OBJECT
public:
    CChildFrame(CTervikDoc& doc, QWidget* pParent = nullptr);
    ~CChildFrame() override;

    CTervikDoc& GetDocument() const { return m_doc; }
    // The document's file name without its folder, as titles show it.
    QString DocumentName() const;
    // The pane the user works in (the last one focused).
    CTervikView* ActiveView() const;
    int PaneCount() const;
    CTervikView* Pane(int nIndex) const;
    QSplitter* Splitter() const { return m_pSplitter; }

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

private:
    CTervikView* AddPane();

    CTervikDoc& m_doc;
    QSplitter* m_pSplitter = nullptr;
    CTervikView* m_pActive = nullptr;
};

} // namespace tervik
