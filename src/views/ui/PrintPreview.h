#pragma once

// "Seitenansicht": the printed pages of a document on screen, one at a time. Only
// the page shown is drawn, and only the part of it in the window; the page count
// follows from a measuring pass that runs in slices while page 1 is already shown.

#include "views/ui/PrintJob.h"

#include <QDialog>
#include <QImage>
#include <QTimer>
#include <cstdint>
#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QPrinter;
class QScrollBar;

namespace tervik {

class CPreviewArea;

class CPrintPreview : public QDialog {
    Q_OBJECT
public:
    CPrintPreview(CTervikDoc& doc, const PrintRequest& request, QPrinter& printer,
                  QWidget* pParent = nullptr);
    ~CPrintPreview() override;

    // The print button asks it (the print dialog, with the page count once it is
    // known, else 0); true closes the preview accepted, and its owner prints.
    using PrintHandler = std::function<bool(QWidget* pParent, uint32_t nPages)>;
    void SetPrintHandler(PrintHandler handler) { m_printHandler = std::move(handler); }

    uint32_t CurrentPage() const { return m_nPage; }
    // The pages known so far; all of them once CountDone.
    uint32_t PageCount() const;
    bool CountDone() const;
    // How often a page has been drawn since the preview opened.
    int PagesDrawn() const { return m_nPagesDrawn; }
    // Screen pixels per printer pixel.
    double Scale() const { return m_dScale; }
    QString PageText() const;

    enum class Fit { None, Width, Page };
    Fit FitMode() const { return m_eFit; }

    void GoToPage(uint32_t nPage);
    void FirstPage() { GoToPage(1); }
    void PreviousPage() { GoToPage(m_nPage > 1 ? m_nPage - 1 : 1); }
    void NextPage() { GoToPage(m_nPage + 1); }
    void LastPage();
    void ZoomIn();
    void ZoomOut();
    void FitWidth() { SetFit(Fit::Width); }
    void FitPage() { SetFit(Fit::Page); }
    void Print();

private:
    friend class CPreviewArea;
    // The page's sheet in the area's viewport coordinates.
    QRect SheetRect() const;
    void PaintArea(QPainter& painter, const QRect& exposed);
    void RenderVisible(const QRect& sheet, const QRect& visible);
    void UpdateScrollBars();
    void SetFit(Fit eFit);
    void SetScale(double dScale);
    void ApplyFit();
    void LayoutSlice();
    void UpdatePageText();
    void ShowPage(uint32_t nPage);
    // A page or the pass met a record the file no longer holds, or memory ran out:
    // the user is told and the preview closes (never from a paint event).
    void Fail(PieceBuild why);
    // Mouse wheel on the page: scrolls, and turns the page at either end.
    void Wheel(int nDelta, bool bZoom);

    CTervikDoc& m_doc;
    QPrinter& m_printer;
    CPrintJob m_job;
    PrintHandler m_printHandler;
    CPreviewArea* m_pArea = nullptr;
    QLineEdit* m_pPageField = nullptr;
    QLabel* m_pPageCount = nullptr;
    QLabel* m_pZoomLabel = nullptr;
    QTimer m_layoutTimer;
    // Paper and the printable area's corner on it, in printer pixels.
    QSizeF m_paper;
    QPointF m_printableCorner;
    uint32_t m_nPage = 1;
    // A page asked for before the pass reached it (UINT32_MAX: the last one).
    uint32_t m_nWanted = 0;
    double m_dScale = 0.1;
    Fit m_eFit = Fit::Page;
    int m_nWheel = 0;
    int m_nPagesDrawn = 0;
    bool m_bFailed = false;
    // The part of the page last drawn, kept while neither page nor view changes.
    QImage m_image;
    uint32_t m_nImagePage = 0;
    double m_dImageScale = 0;
    QRect m_imageRect;
};

} // namespace tervik
