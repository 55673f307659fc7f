#pragma once

#include "DiskWrites.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A list file: one entry per line, every line (the last included) ended by CR LF when written;
// lines ended by CR, LF or CR LF when read. An empty list is an empty file.
namespace ListFile {
// The six list files of a show, by name.
inline const QString kDisplayList = QStringLiteral("DisplayList.lst");
inline const QString kSlideTiming = QStringLiteral("SlideTiming.lst");
inline const QString kCaptions = QStringLiteral("Captions.lst");
inline const QString kSlideAudio = QStringLiteral("SlideAudio.lst");
inline const QString kSongList = QStringLiteral("SongList.lst");
inline const QString kCfgSet = QStringLiteral("CfgSet.lst");
// The order a save writes them in, the order they are packed in, and the order an open reads them.
inline const QStringList kWriteOrder = {kDisplayList, kSlideAudio, kSongList,
                                        kCaptions,    kCfgSet,     kSlideTiming};
inline const QStringList kPackOrder = {kDisplayList, kSlideTiming, kSlideAudio,
                                       kSongList,    kCaptions,    kCfgSet};
inline const QStringList kReadOrder = {kDisplayList, kSlideTiming, kCaptions,
                                       kSlideAudio,  kSongList,    kCfgSet};

QStringList parse(const QByteArray& bytes);
QByteArray format(const QStringList& entries);

// Reads path into entries; false when the file cannot be read or is larger than any list file
// could sensibly be (entries is then left untouched).
bool read(const QString& path, QStringList& entries);
// Replaces path with the entries, whole or not at all: false when any of it cannot be written
// (a full disk included), and then path is as it was.
bool write(const QString& path, const QStringList& entries, const DiskWrites& writes = DiskWrites::system());
} // namespace ListFile
