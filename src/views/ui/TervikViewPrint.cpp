// The view's print commands: the print dialog, printing at once, the preview, and
// the printer setup the application keeps.

#include "views/ui/PrintPreview.h"
#include "views/ui/PrinterSetup.h"
#include "views/ui/TervikView.h"
#include "views/ui/ViewHost.h"

#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <climits>

namespace tervik {

namespace {

CTervikView::PrintDialogHook& PrintDialogHookSlot() {
    static CTervikView::PrintDialogHook s_hook;
    return s_hook;
}

// The host's printer; a view without a host prints on its own.
QPrinter& PrinterOf(IViewHost* pHost) {
    if (pHost) return pHost->Printer();
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

// The print dialog on the printer; nPages, when known, bounds its page range.
bool ChoosePrinter(QPrinter& printer, QWidget* pParent, uint32_t nPages) {
    QPrintDialog dialog(&printer, pParent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (nPages > 0) dialog.setMinMax(1, static_cast<int>(std::min<uint32_t>(nPages, INT_MAX)));
    return RunDialog(dialog) == QDialog::Accepted;
}

} // namespace

void CTervikView::SetPrintDialogHook(PrintDialogHook hook) {
    PrintDialogHookSlot() = std::move(hook);
}

PrintRequest CTervikView::PrintRequestOf() const {
    PrintRequest request;
    request.m_eMode = m_st.m_eMode;
    request.m_bOnlySelected = m_st.m_bOnlySelected;
    request.m_bColour = m_pHost && m_pHost->PrintInColour();
    request.m_fontName = m_fontName;
    request.m_nFontSize10 = m_nFontSize10;
    return request;
}

void CTervikView::PrinterSetup(QPrinter& printer, QWidget* pParent) {
    CPrinterSetup dialog(printer, pParent);
    if (RunDialog(dialog) == QDialog::Accepted) dialog.Apply(printer);
}

void CTervikView::OnFilePrint() {
    QPrinter& printer = PrinterOf(m_pHost);
    if (!ChoosePrinter(printer, this, 0)) return;
    CPrintJob job(m_doc, PrintRequestOf());
    job.Run(printer);
}

void CTervikView::OnFilePrintDirect() {
    QPrinter& printer = PrinterOf(m_pHost);
    // Everything, whatever range the last dialog chose.
    printer.setPrintRange(QPrinter::AllPages);
    CPrintJob job(m_doc, PrintRequestOf());
    job.Run(printer);
}

void CTervikView::OnFilePrintPreview() {
    QPrinter& printer = PrinterOf(m_pHost);
    printer.setPrintRange(QPrinter::AllPages);
    CPrintPreview preview(m_doc, PrintRequestOf(), printer, this);
    preview.SetPrintHandler([&printer](QWidget* pParent, uint32_t nPages) {
        return ChoosePrinter(printer, pParent, nPages);
    });
    // The printout runs once the preview has gone: its progress shows in the status bar.
    if (RunDialog(preview) != QDialog::Accepted) return;
    CPrintJob job(m_doc, PrintRequestOf());
    job.Run(printer);
}

} // namespace tervik
