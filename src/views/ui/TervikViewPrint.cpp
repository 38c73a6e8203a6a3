// The view's print commands: the print dialog, printing at once, and the preview.

#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "views/ui/TervikView.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace tervik {

namespace {

CTervikView::PrintDialogHook& PrintDialogHookSlot() {
    static CTervikView::PrintDialogHook s_hook;
    return s_hook;
}

// The application's printer; a view without the application prints on its own.
QPrinter& PrinterOf() {
    if (CTervikApp* pApp = CTervikApp::Instance()) return pApp->Printer();
    static QPrinter s_printer(QPrinter::HighResolution);
    return s_printer;
}

int RunDialog(QDialog& dialog) {
    if (PrintDialogHookSlot()) {
        PrintDialogHookSlot()(dialog);
        return dialog.result();
    }
    return dialog.exec();
}

} // namespace

void CTervikView::SetPrintDialogHook(PrintDialogHook hook) {
    PrintDialogHookSlot() = std::move(hook);
}

PrintRequest CTervikView::PrintRequestOf() const {
    PrintRequest request;
    request.m_eMode = m_st.m_eMode;
    request.m_bOnlySelected = m_st.m_bOnlySelected;
    const CTervikApp* pApp = CTervikApp::Instance();
    request.m_bColour = pApp && pApp->MainFrame() && pApp->MainFrame()->m_bPrintColour;
    request.m_fontName = m_fontName;
    request.m_nFontSize10 = m_nFontSize10;
    return request;
}

void CTervikView::OnFilePrint() {
    QPrinter& printer = PrinterOf();
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (RunDialog(dialog) != QDialog::Accepted) return;
    CPrintJob job(m_doc, PrintRequestOf());
    job.Run(printer);
}

void CTervikView::OnFilePrintDirect() {
    QPrinter& printer = PrinterOf();
    // Everything, whatever range the last dialog chose.
    printer.setPrintRange(QPrinter::AllPages);
    CPrintJob job(m_doc, PrintRequestOf());
    job.Run(printer);
}

void CTervikView::OnFilePrintPreview() {
    QPrinter& printer = PrinterOf();
    printer.setPrintRange(QPrinter::AllPages);
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle(QString::fromUtf8("Seitenansicht"));
    const PrintRequest request = PrintRequestOf();
    // Each rendering of the preview is a whole job: every page is drawn, so the
    // page counter is right from the first page on.
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this, request, &dialog](QPrinter* p) {
                CPrintJob job(m_doc, request);
                // Stopped with Escape (or failed): the preview closes once it has taken
                // the pages; closing it right here would happen while it is being shown.
                if (!job.Run(*p, nullptr, true))
                    QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
            });
    RunDialog(dialog);
}

} // namespace tervik
