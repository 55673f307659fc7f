// Main for the program-level tests: the program's own application object, with its error handler.

#include "OrvanneApplication.h"
#include "QuietQtMessages.h"

#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    quietenQtSessionWarnings();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    OrvanneApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
