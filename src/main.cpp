#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tervik");
    QApplication::setOrganizationName("Tervik");

    // Standard dialogs and buttons speak German like the rest of the program.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    tervik::CTervikApp tervikApp;
    if (!tervikApp.InitInstance(QApplication::arguments().mid(1)))
        return tervikApp.EndedOnPurpose() ? 0 : 1;
    const int nResult = QApplication::exec();
    tervikApp.ExitInstance();
    return nResult;
}
