#pragma once

#include "ShellFileOperations.h"

#include <functional>

class QWidget;
class UserMessages;

// The file operations done on this machine's file systems. Questions and failures go through
// UserMessages; a batch that runs longer than half a second shows a cancellable progress dialog
// (object name "progress", a child of the dialog parent when there is one).
//
// A copy is written into a hidden file in the target folder and takes the target's name only
// when all of it is there, so a failed or cancelled copy never leaves a partial file behind and
// an existing target is replaced in one step. A move within one file system is a rename; across
// file systems it is such a copy, and the source is removed only after the copy is complete.
class SystemFileOperations : public ShellFileOperations {
public:
    // Copies count bytes from in's offset to out's offset; false with a reason on failure.
    using CopyPiece = std::function<bool(int in, int out, qint64 count, QString* error)>;
    // The piece copier in use unless a test puts its own: the kernel's copy, reason in words.
    static bool copySystemPiece(int in, int out, qint64 count, QString* error);

    explicit SystemFileOperations(UserMessages& messages, QWidget* dialogParent = nullptr);
    // The window the progress dialog belongs to (the one the user works in).
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }

    int makeFolder(const QString& path) override;
    bool renameFolder(const QString& path, const QString& newName) override;
    QList<Outcome> trash(const QStringList& paths) override;
    QList<Outcome> move(const QStringList& sources, const QStringList& targets) override;
    QList<Outcome> copy(const QStringList& sources, const QStringList& targets) override;

    // A file's bytes are copied pieceSize at a time, so that the progress moves and Cancel is
    // honoured within a big file. Tests put a piece copier in that fails or cancels on cue.
    void setCopyPiece(CopyPiece copyPiece, qint64 pieceSize);
    // How long a batch works before its progress dialog appears (half a second).
    void setProgressDelay(int ms) { progressDelayMs_ = ms; }

private:
    enum class Transfer { Move, Copy };
    class Progress;
    struct Result;

    QList<Outcome> transfer(Transfer kind, const QStringList& sources, const QStringList& targets);
    Outcome transferOne(Transfer kind, const QString& source, const QString& target, Progress& progress);
    Result copyContents(const QString& source, const QString& target, bool replace, bool asMove,
                        Progress& progress);
    static bool moveToTrash(const QString& path, QString* reason);

    UserMessages& messages_;
    QWidget* dialogParent_;
    CopyPiece copyPiece_;
    qint64 pieceSize_;
    int progressDelayMs_;
};
