#pragma once

#include "SoundSource.h"

#include <QString>
#include <QStringList>

#include <memory>

// What a sound file is, judged by its content and never by its name: a Standard MIDI File (also
// RIFF-wrapped), or anything libsndfile reads (WAV, AIFF, FLAC, Ogg Vorbis, ...).
struct SoundInfo {
    enum class Kind { Unknown, Sampled, Midi };
    Kind kind = Kind::Unknown;
    QString type; // "midi", "wav", "flac", ...
    qint64 lengthMs = 0;
    QString error; // why the file cannot be played; empty when it can
    bool ok() const { return error.isEmpty(); }
};

namespace SoundFile {

// Reads as much of path as it takes to name its kind and exact length; MIDI files are fully
// validated. Loads no soundfont.
SoundInfo inspect(const QString& path);

// Opens path for playing at sampleRate (stereo). MIDI needs soundFont, a General MIDI soundfont
// file; an empty soundFont means none is installed. On failure returns nullptr and info.error
// says why.
std::unique_ptr<SoundSource> open(const QString& path, int sampleRate, const QString& soundFont,
                                  SoundInfo& info);

// The soundfont a MIDI file is played with: the first file of places that exists, where a
// folder stands for its *.sf2 files in name order. Empty when there is none.
QString findSoundFont(const QStringList& places);
// Where Debian puts General MIDI soundfonts; the alternatives link first.
QStringList defaultSoundFontPlaces();
// The text of a failed MIDI open when no soundfont is installed.
QString missingSoundFontText();

} // namespace SoundFile
