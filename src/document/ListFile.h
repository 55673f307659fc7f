#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A list file: one entry per line, every line (the last included) ended by CR LF when written;
// lines ended by CR, LF or CR LF when read. An empty list is an empty file.
namespace ListFile {
QStringList parse(const QByteArray& bytes);
QByteArray format(const QStringList& entries);

// Reads path into entries; false when the file cannot be read or is larger than any list file
// could sensibly be (entries is then left untouched).
bool read(const QString& path, QStringList& entries);
// Replaces path with the entries; false when it cannot be written.
bool write(const QString& path, const QStringList& entries);
} // namespace ListFile
