#pragma once

// The viewer's options that end before any window: "--help" and "--print-pdf".

#include <QStringList>

namespace tervik {

// Whether the arguments (after the program name) ask for one of them; main then
// starts no window, no second-copy hand-over, no update check and no add-ons.
bool IsPrintPdfCall(const QStringList& args);
bool IsHelpCall(const QStringList& args);

// The options of the viewer on stdout; exit code 0.
int PrintViewerHelp();

// tervik --print-pdf OUT.pdf FILE [--mode text|hex|dump] [--color]
//        [--only-selected SCRIPT] [--ini PATH]
// Prints FILE into a PDF (A4 portrait, 600 dpi) with the view's printing. Messages
// go to stderr; no message box, no settings written. Exit code 0 or 1.
int RunPrintPdf(const QStringList& args);

} // namespace tervik
