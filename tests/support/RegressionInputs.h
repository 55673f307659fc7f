#pragma once

// Inputs that once broke a parser, kept in fuzz/regressions/<target>/ where the fuzz targets
// replay them too; the unit tests read them from there, so every test run covers them.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

inline QString regressionPath(const QString& target, const QString& name) {
    return QStringLiteral(ORVANNE_SOURCE_DIR "/fuzz/regressions/") + target + QLatin1Char('/') + name;
}

inline QByteArray regressionInput(const QString& target, const QString& name) {
    QFile file(regressionPath(target, name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly))
        << "missing regression input " << target.toStdString() << "/" << name.toStdString();
    return file.readAll();
}
