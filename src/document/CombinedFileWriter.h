#pragma once

#include "CombinedFormat.h"

#include <QString>
#include <QStringList>

class ProgressReport;

// Packs files into a combined show file. The file is written beside the target under a
// temporary name and renamed over it only when complete, so a failed save never spoils the
// show that was there before.
class CombinedFileWriter {
public:
    explicit CombinedFileWriter(ProgressReport& progress) : progress_(progress) {}

    // Writes header (its count must equal paths.size()) and the files of paths in order. Record
    // i carries captions[i], or " " past the end of captions, and the name names[i], or the
    // file-name part of paths[i] when names is shorter. False on any failure; error() says why.
    bool write(const QStringList& paths, const QString& target, const CombinedHeader& header,
               const QStringList& captions, const QStringList& names = {});

    const QString& error() const { return error_; }

private:
    bool fail(const QString& text);

    ProgressReport& progress_;
    QString error_;
};
