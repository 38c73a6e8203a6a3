#include "framework/ui/GermanUi.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tervik {

void UseGermanUi() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // Owned by the application, so it lives as long as the texts are used.
    auto* pTranslator = new QTranslator(QCoreApplication::instance());
    if (pTranslator->load(QLocale(QLocale::German), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(pTranslator);
}

} // namespace tervik
