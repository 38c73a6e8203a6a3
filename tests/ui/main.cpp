#include "framework/ui/GermanUi.h"

#include <QApplication>
#include <gtest/gtest.h>

// Widget tests need one application object for the whole run.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The buttons of standard boxes read as the user sees them.
    tervik::UseGermanUi();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
