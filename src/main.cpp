#include "app/ui/MainFrame.h"
#include "app/ui/PrintPdf.h"
#include "app/ui/TervikApp.h"
#include "framework/ui/GermanUi.h"

#include <QApplication>
#include <string_view>

int main(int argc, char** argv) {
    // --help and --print-pdf show no window: without a display they still run.
    bool bNoWindow = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        bNoWindow = bNoWindow || arg == "--help" || arg == "-h" || arg == "--print-pdf";
    }
    if (bNoWindow && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tervik");
    QApplication::setOrganizationName("Tervik");
    // Lets the desktop match the window to tervik.desktop and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tervik"));

    tervik::UseGermanUi();

    // They end here, before the application's start-up (second-copy hand-over,
    // update check, main window, add-ons, settings written at exit).
    const QStringList args = QApplication::arguments().mid(1);
    if (tervik::IsPrintPdfCall(args)) return tervik::RunPrintPdf(args);
    if (tervik::IsHelpCall(args)) return tervik::PrintViewerHelp();

    tervik::CTervikApp tervikApp;
    if (!tervikApp.InitInstance(args)) return tervikApp.EndedOnPurpose() ? 0 : 1;
    const int nResult = QApplication::exec();
    tervikApp.ExitInstance();
    return nResult;
}
