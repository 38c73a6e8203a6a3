#pragma once

// The window that shows a document. For now it draws the records as plain text
// lines; the full text, hex and dump display builds on it.

#include "document/TervikDoc.h"
#include "framework/CommandTarget.h"

#include <QAbstractScrollArea>
#include <cstdint>

namespace tervik {

class CTervikView : public QAbstractScrollArea, public IDocumentView, public CCommandTarget {
    Q_OBJECT
public:
    explicit CTervikView(CTervikDoc& doc, QWidget* pParent = nullptr);
    ~CTervikView() override;

    CTervikDoc& GetDocument() const { return m_doc; }
    void OnUpdate(IDocumentView* pSender, unsigned nHint) override;
    bool OnCmdMsg(unsigned nId, CCmdUI* pUI) override;

    uint32_t TopLine() const { return m_nTopLine; }
    int LineHeight() const { return m_nLineHeight; }
    int RowsOnScreen() const;
    // The view's identity in workspaces and bookmarks.
    uint64_t m_nViewId;

signals:
    // The view became the one the user works with.
    void Activated(CTervikView* pView);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* pEvent) override;

private:
    void UpdateScrollRanges();
    void ReportPosition();

    CTervikDoc& m_doc;
    uint32_t m_nTopLine = 0;
    int m_nLeftColumn = 0;
    int m_nLineHeight = 16;
    int m_nCharWidth = 8;
};

} // namespace tervik
