#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs one of the project's programs from the build's bin folder and keeps what it said.
struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// The test programs land in the same bin folder as the tools they run.
inline QString toolPath(const QString& name) {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

inline ToolRun runTool(const QString& name, const QStringList& args, int timeoutMs = 120000) {
    QProcess p;
    p.start(toolPath(name), args);
    ToolRun run;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        run.err = QStringLiteral("timed out");
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput();
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}
