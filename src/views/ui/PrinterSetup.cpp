#include "views/ui/PrinterSetup.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tervik {

namespace {

// The entry for printing into a PDF file; printers have their names.
const QString kPdfEntry = QStringLiteral("\x01pdf");

// What a PDF file offers: the sizes in common use here.
QList<QPageSize> PdfPageSizes() {
    QList<QPageSize> sizes;
    for (QPageSize::PageSizeId id : {QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::B5,
                                     QPageSize::Letter, QPageSize::Legal})
        sizes.append(QPageSize(id));
    return sizes;
}

} // namespace

CPrinterSetup::CPrinterSetup(const QPrinter& printer, QWidget* pParent) : QDialog(pParent) {
    setObjectName("printerSetup");
    setWindowTitle(QStringLiteral("Druckereinrichtung"));

    auto* pPrinterGroup = new QGroupBox(QStringLiteral("Drucker"), this);
    auto* pPrinterForm = new QFormLayout(pPrinterGroup);
    m_pPrinter = new QComboBox(pPrinterGroup);
    m_pPrinter->setObjectName("printerBox");
    const QStringList names = QPrinterInfo::availablePrinterNames();
    const QString defaultName = QPrinterInfo::defaultPrinterName();
    for (const QString& name : names)
        m_pPrinter->addItem(name == defaultName ? name + QStringLiteral(" (Standard)") : name,
                            name);
    m_pPrinter->addItem(QStringLiteral("PDF-Datei"), kPdfEntry);
    const bool bPdf = printer.outputFormat() == QPrinter::PdfFormat || names.isEmpty();
    const int nCurrent = m_pPrinter->findData(bPdf ? kPdfEntry : printer.printerName());
    m_pPrinter->setCurrentIndex(std::max(0, nCurrent));
    pPrinterForm->addRow(QStringLiteral("&Name:"), m_pPrinter);
    m_pNote = new QLabel(pPrinterGroup);
    m_pNote->setObjectName("printerNote");
    m_pNote->setWordWrap(true);
    if (names.isEmpty())
        m_pNote->setText(QStringLiteral("Auf diesem Rechner ist kein Drucker eingerichtet; "
                                        "gedruckt wird in eine PDF-Datei."));
    m_pNote->setVisible(names.isEmpty());
    pPrinterForm->addRow(m_pNote);

    auto* pPaperGroup = new QGroupBox(QStringLiteral("Papier"), this);
    auto* pPaperForm = new QFormLayout(pPaperGroup);
    m_pPaper = new QComboBox(pPaperGroup);
    m_pPaper->setObjectName("paperBox");
    pPaperForm->addRow(QStringLiteral("&Größe:"), m_pPaper);
    const QPageLayout layout = printer.pageLayout();
    // The current size is kept as the choice while the list is filled.
    m_pPaper->addItem(layout.pageSize().name(), static_cast<int>(layout.pageSize().id()));
    FillPapers();

    auto* pOrientationGroup = new QGroupBox(QStringLiteral("Ausrichtung"), this);
    auto* pOrientation = new QVBoxLayout(pOrientationGroup);
    m_pPortrait = new QRadioButton(QStringLiteral("&Hochformat"), pOrientationGroup);
    m_pLandscape = new QRadioButton(QStringLiteral("&Querformat"), pOrientationGroup);
    m_pLandscape->setObjectName("landscape");
    (layout.orientation() == QPageLayout::Landscape ? m_pLandscape : m_pPortrait)->setChecked(true);
    pOrientation->addWidget(m_pPortrait);
    pOrientation->addWidget(m_pLandscape);

    auto* pMargins = new QLabel(
        QStringLiteral("Die Ränder sind fest: 15 mm links und rechts, 10 mm oben und unten."),
        this);
    pMargins->setWordWrap(true);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pPrinter, &QComboBox::currentIndexChanged, this, [this] { FillPapers(); });

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pPrinterGroup);
    pLayout->addWidget(pPaperGroup);
    pLayout->addWidget(pOrientationGroup);
    pLayout->addWidget(pMargins);
    pLayout->addWidget(pButtons);
    setMinimumWidth(360);
}

void CPrinterSetup::FillPapers() {
    const QVariant chosen = m_pPaper->currentData();
    const QString name = m_pPrinter->currentData().toString();
    QList<QPageSize> sizes;
    if (name != kPdfEntry) sizes = QPrinterInfo::printerInfo(name).supportedPageSizes();
    // A printer that names no sizes gets those of a PDF file.
    if (sizes.isEmpty()) sizes = PdfPageSizes();
    m_pPaper->clear();
    for (const QPageSize& size : sizes)
        m_pPaper->addItem(size.name(), static_cast<int>(size.id()));
    int nIndex = m_pPaper->findData(chosen);
    if (nIndex < 0) nIndex = m_pPaper->findData(static_cast<int>(QPageSize::A4));
    m_pPaper->setCurrentIndex(std::max(0, nIndex));
}

void CPrinterSetup::Apply(QPrinter& printer) const {
    const QString name = m_pPrinter->currentData().toString();
    if (name == kPdfEntry) {
        printer.setOutputFormat(QPrinter::PdfFormat);
    } else {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(name);
    }
    const auto id = static_cast<QPageSize::PageSizeId>(m_pPaper->currentData().toInt());
    if (id != QPageSize::Custom) printer.setPageSize(QPageSize(id));
    printer.setPageOrientation(m_pLandscape->isChecked() ? QPageLayout::Landscape
                                                         : QPageLayout::Portrait);
}

} // namespace tervik
