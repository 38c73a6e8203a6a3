#include "views/ui/PrintPreview.h"

#include "document/TervikDoc.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace tervik {

namespace {

// Grey around the sheet, in screen pixels.
constexpr int kSheetMargin = 12;
// Zoom limits as shares of the paper's real size on the screen.
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 4.0;
constexpr double kZoomStep = 1.25;
// One slice of the page count: short enough that the window keeps answering.
constexpr int kSliceMs = 20;
constexpr uint32_t kSliceRecords = 2048;

} // namespace

// The grey area with the sheet; it hands painting, resizing and the wheel to the
// preview.
class CPreviewArea : public QAbstractScrollArea {
public:
    CPreviewArea(CPrintPreview& preview, QWidget* pParent)
        : QAbstractScrollArea(pParent), m_preview(preview) {
        setObjectName("previewArea");
        setFocusPolicy(Qt::StrongFocus);
        viewport()->setAutoFillBackground(false);
        horizontalScrollBar()->setSingleStep(20);
        verticalScrollBar()->setSingleStep(20);
    }

protected:
    void paintEvent(QPaintEvent* pEvent) override {
        QPainter painter(viewport());
        m_preview.PaintArea(painter, pEvent->rect());
    }
    void resizeEvent(QResizeEvent* pEvent) override {
        QAbstractScrollArea::resizeEvent(pEvent);
        m_preview.ApplyFit();
        m_preview.UpdateScrollBars();
    }
    void scrollContentsBy(int, int) override { viewport()->update(); }
    // Pos1 and Ende turn to the first and last page here; in the page field they
    // stay the field's own.
    void keyPressEvent(QKeyEvent* pEvent) override {
        if (pEvent->modifiers() == Qt::NoModifier && pEvent->key() == Qt::Key_Home)
            m_preview.FirstPage();
        else if (pEvent->modifiers() == Qt::NoModifier && pEvent->key() == Qt::Key_End)
            m_preview.LastPage();
        else
            QAbstractScrollArea::keyPressEvent(pEvent);
    }
    void wheelEvent(QWheelEvent* pEvent) override {
        m_preview.Wheel(pEvent->angleDelta().y(),
                        pEvent->modifiers().testFlag(Qt::ControlModifier));
        pEvent->accept();
    }

private:
    CPrintPreview& m_preview;
};

CPrintPreview::CPrintPreview(CTervikDoc& doc, const PrintRequest& request, QPrinter& printer,
                             QWidget* pParent)
    : QDialog(pParent), m_doc(doc), m_printer(printer), m_job(doc, request) {
    setObjectName("printPreview");
    setWindowTitle(QStringLiteral("Seitenansicht"));
    m_job.Begin(printer);
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    m_paper = paper.size().expandedTo(QSizeF(1, 1));
    m_printableCorner = printable.topLeft() - paper.topLeft();

    auto* pBar = new QToolBar(this);
    pBar->setObjectName("previewBar");
    pBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Turning pages has pictures (the names are their tips); the rest reads as words.
    const auto add = [&](const char* pszName, const QString& text, QList<QKeySequence> keys,
                         void (CPrintPreview::*pFn)(), QStyle::StandardPixmap ePicture = {}) {
        QAction* pAction = pBar->addAction(text);
        pAction->setObjectName(pszName);
        pAction->setShortcuts(keys);
        if (ePicture != QStyle::StandardPixmap{}) pAction->setIcon(style()->standardIcon(ePicture));
        QString tip = text;
        if (!keys.isEmpty()) tip += " (" + keys[0].toString(QKeySequence::NativeText) + ")";
        pAction->setToolTip(tip);
        connect(pAction, &QAction::triggered, this, [this, pFn] { (this->*pFn)(); });
        if (ePicture != QStyle::StandardPixmap{})
            if (auto* pButton = qobject_cast<QToolButton*>(pBar->widgetForAction(pAction)))
                pButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
        return pAction;
    };
    add("firstPage", QStringLiteral("Erste Seite"), {Qt::CTRL | Qt::Key_Home},
        &CPrintPreview::FirstPage, QStyle::SP_MediaSkipBackward);
    add("previousPage", QStringLiteral("Vorherige Seite"), {Qt::Key_PageUp},
        &CPrintPreview::PreviousPage, QStyle::SP_ArrowLeft);
    // "Seite [N] von M" as one piece of the bar.
    auto* pPageBox = new QWidget(pBar);
    auto* pPageLayout = new QHBoxLayout(pPageBox);
    pPageLayout->setContentsMargins(6, 0, 6, 0);
    pPageLayout->setSpacing(4);
    pPageLayout->addWidget(new QLabel(QStringLiteral("Seite"), pPageBox));
    m_pPageField = new QLineEdit(pPageBox);
    m_pPageField->setObjectName("pageField");
    m_pPageField->setValidator(new QIntValidator(1, INT_MAX, m_pPageField));
    m_pPageField->setAlignment(Qt::AlignRight);
    m_pPageField->setFixedWidth(m_pPageField->fontMetrics().horizontalAdvance("0000000") + 12);
    connect(m_pPageField, &QLineEdit::returnPressed, this,
            [this] { GoToPage(m_pPageField->text().toUInt()); });
    pPageLayout->addWidget(m_pPageField);
    m_pPageCount = new QLabel(pPageBox);
    m_pPageCount->setObjectName("pageCount");
    m_pPageCount->setMinimumWidth(m_pPageCount->fontMetrics().horizontalAdvance("von 0000000"));
    pPageLayout->addWidget(m_pPageCount);
    pPageBox->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    pBar->addWidget(pPageBox);
    add("nextPage", QStringLiteral("Nächste Seite"), {Qt::Key_PageDown}, &CPrintPreview::NextPage,
        QStyle::SP_ArrowRight);
    add("lastPage", QStringLiteral("Letzte Seite"), {Qt::CTRL | Qt::Key_End},
        &CPrintPreview::LastPage, QStyle::SP_MediaSkipForward);
    pBar->addSeparator();
    add("zoomIn", QStringLiteral("Vergrößern"), {QKeySequence::ZoomIn, Qt::Key_Plus},
        &CPrintPreview::ZoomIn);
    add("zoomOut", QStringLiteral("Verkleinern"), {QKeySequence::ZoomOut, Qt::Key_Minus},
        &CPrintPreview::ZoomOut);
    m_pZoomLabel = new QLabel(pBar);
    m_pZoomLabel->setObjectName("zoomLabel");
    m_pZoomLabel->setMinimumWidth(m_pZoomLabel->fontMetrics().horizontalAdvance(" 000 % "));
    m_pZoomLabel->setAlignment(Qt::AlignCenter);
    pBar->addWidget(m_pZoomLabel);
    add("fitWidth", QStringLiteral("Seitenbreite"), {}, &CPrintPreview::FitWidth);
    add("fitPage", QStringLiteral("Ganze Seite"), {}, &CPrintPreview::FitPage);
    pBar->addSeparator();
    add("print", QStringLiteral("Drucken..."), {QKeySequence::Print}, &CPrintPreview::Print);
    // Escape closes the dialog as any dialog; the button says so.
    QAction* pClose = pBar->addAction(QStringLiteral("Schließen"));
    pClose->setObjectName("close");
    pClose->setToolTip(QStringLiteral("Schließen (Esc)"));
    connect(pClose, &QAction::triggered, this, &QDialog::reject);

    m_pArea = new CPreviewArea(*this, this);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addWidget(pBar);
    pLayout->addWidget(m_pArea, 1);

    if (const QScreen* pScreen = QGuiApplication::primaryScreen()) {
        const QSize avail = pScreen->availableGeometry().size();
        resize(std::max(400, avail.width() * 3 / 4), std::max(300, avail.height() * 9 / 10));
    }
    m_pArea->setFocus();

    connect(&m_layoutTimer, &QTimer::timeout, this, &CPrintPreview::LayoutSlice);
    if (!m_job.LayoutDone()) m_layoutTimer.start(0);
    ShowPage(1);
    ApplyFit();
}

CPrintPreview::~CPrintPreview() {
    m_layoutTimer.stop();
    m_job.End();
}

uint32_t CPrintPreview::PageCount() const {
    return m_job.PageCount();
}

bool CPrintPreview::CountDone() const {
    return m_job.LayoutDone();
}

QString CPrintPreview::PageText() const {
    return QStringLiteral("Seite %1 %2").arg(m_nPage).arg(m_pPageCount->text().trimmed());
}

void CPrintPreview::GoToPage(uint32_t nPage) {
    nPage = std::max<uint32_t>(1, nPage);
    if (nPage > PageCount() && !CountDone()) {
        // Shown as soon as the count reaches it.
        m_nWanted = nPage;
        return;
    }
    m_nWanted = 0;
    ShowPage(std::min(nPage, PageCount()));
}

void CPrintPreview::LastPage() {
    if (!CountDone()) {
        m_nWanted = UINT32_MAX;
        return;
    }
    GoToPage(PageCount());
}

void CPrintPreview::ShowPage(uint32_t nPage) {
    m_pPageField->setText(QString::number(nPage));
    UpdatePageText();
    if (nPage == m_nPage && !m_image.isNull()) return;
    m_nPage = nPage;
    m_image = QImage();
    m_pArea->verticalScrollBar()->setValue(0);
    m_pArea->viewport()->update();
}

void CPrintPreview::UpdatePageText() {
    m_pPageCount->setText(CountDone() ? QStringLiteral("von %1").arg(PageCount())
                                      : QStringLiteral("von \u2026"));
}

void CPrintPreview::LayoutSlice() {
    QElapsedTimer slice;
    slice.start();
    do {
        const PieceBuild result = m_job.LayoutSome(kSliceRecords);
        if (result != PieceBuild::Ok) {
            Fail(result);
            return;
        }
    } while (!m_job.LayoutDone() && slice.elapsed() < kSliceMs);
    const bool bDone = m_job.LayoutDone();
    if (bDone) m_layoutTimer.stop();
    if (m_nWanted != 0) {
        if (m_nWanted == UINT32_MAX) {
            if (bDone) GoToPage(PageCount());
        } else if (m_nWanted <= PageCount() || bDone) {
            GoToPage(m_nWanted);
        }
    }
    if (bDone) UpdatePageText();
}

void CPrintPreview::Fail(PieceBuild why) {
    if (m_bFailed) return;
    m_bFailed = true;
    m_layoutTimer.stop();
    CPrintJob::TellFailure(m_doc.Host(), why);
    reject();
}

QRect CPrintPreview::SheetRect() const {
    const QSize vp = m_pArea->viewport()->size();
    const int w = std::max(1, static_cast<int>(std::lround(m_paper.width() * m_dScale)));
    const int h = std::max(1, static_cast<int>(std::lround(m_paper.height() * m_dScale)));
    const int x = w + 2 * kSheetMargin <= vp.width()
                      ? (vp.width() - w) / 2
                      : kSheetMargin - m_pArea->horizontalScrollBar()->value();
    const int y = h + 2 * kSheetMargin <= vp.height()
                      ? (vp.height() - h) / 2
                      : kSheetMargin - m_pArea->verticalScrollBar()->value();
    return QRect(x, y, w, h);
}

void CPrintPreview::UpdateScrollBars() {
    // Measured against the area without bars: a bar shown once must not keep itself
    // (and the other one) shown when the sheet fits without them.
    const QSize avail = m_pArea->maximumViewportSize();
    const int nBar = m_pArea->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int w = static_cast<int>(std::lround(m_paper.width() * m_dScale)) + 2 * kSheetMargin;
    const int h = static_cast<int>(std::lround(m_paper.height() * m_dScale)) + 2 * kSheetMargin;
    bool bH = w > avail.width();
    bool bV = h > avail.height();
    if (bH && !bV) bV = h > avail.height() - nBar;
    if (bV && !bH) bH = w > avail.width() - nBar;
    const QSize vp(avail.width() - (bV ? nBar : 0), avail.height() - (bH ? nBar : 0));
    QScrollBar* pH = m_pArea->horizontalScrollBar();
    QScrollBar* pV = m_pArea->verticalScrollBar();
    pH->setRange(0, std::max(0, w - vp.width()));
    pH->setPageStep(vp.width());
    pV->setRange(0, std::max(0, h - vp.height()));
    pV->setPageStep(vp.height());
}

void CPrintPreview::PaintArea(QPainter& painter, const QRect& exposed) {
    painter.fillRect(exposed, palette().color(QPalette::Dark));
    const QRect sheet = SheetRect();
    painter.fillRect(sheet.translated(3, 3), palette().color(QPalette::Shadow));
    const QRect visible = sheet & m_pArea->viewport()->rect();
    if (visible.isEmpty()) return;
    if (m_image.isNull() || m_nImagePage != m_nPage || m_dImageScale != m_dScale ||
        m_imageRect != visible.translated(-sheet.topLeft()))
        RenderVisible(sheet, visible);
    painter.drawImage(visible.topLeft(), m_image);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(sheet.adjusted(0, 0, -1, -1));
}

void CPrintPreview::RenderVisible(const QRect& sheet, const QRect& visible) {
    // The image has the printer's resolution as its own: the print font gets the
    // printer's sizes and the scale brings the page down to the screen.
    const qreal dRatio = m_pArea->devicePixelRatioF();
    QImage image((QSizeF(visible.size()) * dRatio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(dRatio);
    const int nDotsPerMeter = static_cast<int>(std::lround(m_printer.resolution() / 0.0254));
    image.setDotsPerMeterX(nDotsPerMeter);
    image.setDotsPerMeterY(nDotsPerMeter);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.translate(sheet.topLeft() - visible.topLeft());
        painter.scale(m_dScale, m_dScale);
        painter.translate(m_printableCorner);
        m_job.PrintPage(painter, m_nPage);
    }
    ++m_nPagesDrawn;
    m_image = image;
    m_nImagePage = m_nPage;
    m_dImageScale = m_dScale;
    m_imageRect = visible.translated(-sheet.topLeft());
    // The message box waits until the paint event is over.
    if (m_job.Shorter()) QTimer::singleShot(0, this, [this] { Fail(PieceBuild::Shorter); });
}

void CPrintPreview::SetFit(Fit eFit) {
    m_eFit = eFit;
    ApplyFit();
}

void CPrintPreview::ApplyFit() {
    if (m_eFit == Fit::None) return;
    const QSize avail = m_pArea->maximumViewportSize();
    const double dWidth = std::max(1, avail.width() - 2 * kSheetMargin);
    const double dHeight = std::max(1, avail.height() - 2 * kSheetMargin);
    double dScale = dWidth / m_paper.width();
    if (m_eFit == Fit::Page)
        dScale = std::min(dScale, dHeight / m_paper.height());
    else if (m_paper.height() * dScale > dHeight)
        // The page is taller than the window: the scroll bar takes its width.
        dScale = std::max(1.0, dWidth - m_pArea->style()->pixelMetric(QStyle::PM_ScrollBarExtent)) /
                 m_paper.width();
    SetScale(dScale);
}

void CPrintPreview::SetScale(double dScale) {
    const double dReal =
        static_cast<double>(m_pArea->logicalDpiX()) / std::max(1, m_printer.resolution());
    dScale = std::clamp(dScale, dReal * kMinZoom, dReal * kMaxZoom);
    // The point in the middle of the window stays there.
    QScrollBar* pH = m_pArea->horizontalScrollBar();
    QScrollBar* pV = m_pArea->verticalScrollBar();
    const QSize vp = m_pArea->viewport()->size();
    const double dFactor = dScale / m_dScale;
    const int nH =
        static_cast<int>(std::lround((pH->value() + vp.width() / 2) * dFactor)) - vp.width() / 2;
    const int nV =
        static_cast<int>(std::lround((pV->value() + vp.height() / 2) * dFactor)) - vp.height() / 2;
    m_dScale = dScale;
    m_image = QImage();
    UpdateScrollBars();
    pH->setValue(nH);
    pV->setValue(nV);
    m_pZoomLabel->setText(QStringLiteral("%1 %").arg(std::lround(dScale / dReal * 100)));
    m_pArea->viewport()->update();
}

void CPrintPreview::ZoomIn() {
    m_eFit = Fit::None;
    SetScale(m_dScale * kZoomStep);
}

void CPrintPreview::ZoomOut() {
    m_eFit = Fit::None;
    SetScale(m_dScale / kZoomStep);
}

void CPrintPreview::Wheel(int nDelta, bool bZoom) {
    if (nDelta == 0) return;
    if (bZoom) {
        nDelta > 0 ? ZoomIn() : ZoomOut();
        return;
    }
    QScrollBar* pV = m_pArea->verticalScrollBar();
    const bool bDown = nDelta < 0;
    if (bDown ? pV->value() < pV->maximum() : pV->value() > pV->minimum()) {
        m_nWheel = 0;
        pV->setValue(pV->value() - nDelta * 3 * pV->singleStep() / 120);
        return;
    }
    // At the end of the page a full notch turns it.
    m_nWheel += nDelta;
    if (std::abs(m_nWheel) < 120) return;
    m_nWheel = 0;
    const uint32_t nBefore = m_nPage;
    if (bDown) {
        NextPage();
    } else {
        PreviousPage();
        if (m_nPage != nBefore) pV->setValue(pV->maximum());
    }
}

void CPrintPreview::Print() {
    if (m_printHandler && m_printHandler(this, CountDone() ? PageCount() : 0)) accept();
}

} // namespace tervik
