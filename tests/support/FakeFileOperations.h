#pragma once

#include "ShellFileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>

// File operations that do their work with plain calls on real (temporary) folders, without
// asking anyone, and fail where a test tells them to: a path in failing fails, as a full disk or
// a folder the user may not write would. Every call is recorded.
class FakeFileOperations : public ShellFileOperations {
public:
    struct Call {
        QString operation;
        QStringList sources;
        QStringList targets;
    };

    int makeFolder(const QString& path) override {
        calls.append({QStringLiteral("makeFolder"), {path}, {}});
        if (makeFolderError)
            return makeFolderError;
        if (QFileInfo::exists(path))
            return EEXIST;
        return QDir().mkdir(path) ? 0 : EACCES;
    }

    bool renameFolder(const QString& path, const QString& newName) override {
        calls.append({QStringLiteral("renameFolder"), {path}, {newName}});
        if (failing.contains(path) || newName.isEmpty())
            return false;
        const QString target = QFileInfo(path).path() + QLatin1Char('/') + newName;
        return !QFileInfo::exists(target) && QDir().rename(path, target);
    }

    QList<Outcome> trash(const QStringList& paths) override {
        calls.append({QStringLiteral("trash"), paths, {}});
        QList<Outcome> outcomes;
        for (const QString& path : paths)
            outcomes << (failing.contains(path) ? Outcome::Failed
                         : QFile::remove(path)  ? Outcome::Done
                                                : Outcome::Failed);
        return outcomes;
    }

    QList<Outcome> move(const QStringList& sources, const QStringList& targets) override {
        calls.append({QStringLiteral("move"), sources, targets});
        return transfer(sources, targets, true);
    }

    QList<Outcome> copy(const QStringList& sources, const QStringList& targets) override {
        calls.append({QStringLiteral("copy"), sources, targets});
        return transfer(sources, targets, false);
    }

    QSet<QString> failing;
    int makeFolderError = 0;
    QList<Call> calls;

private:
    QList<Outcome> transfer(const QStringList& sources, const QStringList& targets, bool move) {
        QList<Outcome> outcomes;
        for (qsizetype i = 0; i < sources.size(); ++i) {
            if (failing.contains(sources[i]) || QFileInfo::exists(targets[i])) {
                outcomes << Outcome::Failed;
                continue;
            }
            const bool ok =
                move ? QFile::rename(sources[i], targets[i]) : QFile::copy(sources[i], targets[i]);
            outcomes << (ok ? Outcome::Done : Outcome::Failed);
        }
        return outcomes;
    }
};
