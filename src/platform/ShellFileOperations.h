#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the music library does to files on the user's behalf: new folders, renaming a folder,
// moving files to the desktop's trash, and moving or copying files between folders. The real
// implementation asks what the user must decide (replace a file that is there?), shows progress
// when the work takes a while, and says what failed in a sentence that names the file; tests put a
// double in its place that records the calls and fails where told.
class ShellFileOperations {
public:
    // What became of one file of a batch.
    enum class Outcome {
        Done,      // the file is at its target (or in the trash)
        Skipped,   // the user said no (keep the file there, do not trash it)
        Failed,    // the operation failed; the user has been told why
        Cancelled  // the user stopped the batch before this file
    };

    virtual ~ShellFileOperations() = default;

    // Creates the folder path (its parent exists). 0 on success, else the errno value
    // (EEXIST when something of that name is there). Says nothing to the user: the caller does.
    virtual int makeFolder(const QString& path) = 0;

    // Renames the folder path to newName in the same parent. False when it was not renamed; the
    // user has been told why, except for an empty name or the same name, which change nothing.
    virtual bool renameFolder(const QString& path, const QString& newName) = 0;

    // Moves each file to the trash after the user has agreed; one outcome per path, in order.
    virtual QList<Outcome> trash(const QStringList& paths) = 0;

    // Moves or copies sources[i] to targets[i] (full paths, same count). An existing target is
    // replaced only when the user agrees. A failed or cancelled copy leaves no partial target, and
    // the source stays where it was until its target is complete.
    virtual QList<Outcome> move(const QStringList& sources, const QStringList& targets) = 0;
    virtual QList<Outcome> copy(const QStringList& sources, const QStringList& targets) = 0;
};
