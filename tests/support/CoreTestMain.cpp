// Main for test programs of logic that must run without any window: only a QCoreApplication
// exists, so code under test that creates a widget aborts the program and fails the run.

#include "QuietQtMessages.h"

#include <QCoreApplication>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    quietenQtSessionWarnings();
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
