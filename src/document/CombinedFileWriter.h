#pragma once

#include "CombinedFormat.h"
#include "DiskWrites.h"

#include <QString>
#include <QStringList>

class ProgressReport;

// Packs files into a combined show file. The file is written as an unnamed file in the target's
// folder and takes the target's name only when it is complete and on disk (see ReplacingFile), so
// neither a failed save nor a killed program spoils the show that was there before or leaves a
// half-written file beside it.
class CombinedFileWriter {
public:
    explicit CombinedFileWriter(ProgressReport& progress, const DiskWrites& writes = DiskWrites::system())
        : progress_(progress), writes_(writes) {}

    // Writes header (its count must equal paths.size()) and the files of paths in order. Record
    // i carries captions[i], or " " past the end of captions, and the name names[i], or the
    // file-name part of paths[i] when names is shorter. False on any failure; error() says why.
    bool write(const QStringList& paths, const QString& target, const CombinedHeader& header,
               const QStringList& captions, const QStringList& names = {});

    const QString& error() const { return error_; }

private:
    bool fail(const QString& text);

    ProgressReport& progress_;
    const DiskWrites& writes_;
    QString error_;
};
