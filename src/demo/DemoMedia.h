#pragma once

// The built-in demo show: pictures drawn here with QPainter, a tone and two short tunes written
// byte by byte, so that the program can be tried and tested without any media from outside.

#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>

namespace DemoMedia {

struct Note {
    int key;   // MIDI key number
    int ticks; // length at 480 ticks per quarter note
};

// A mono 16-bit PCM WAV file with a sine tone of the given frequency, faded in and out.
bool writeTone(const QString& path, double frequency, int milliseconds, int sampleRate = 44100,
               int channels = 1);
// A type 0 Standard MIDI File playing notes one after another on the given program.
bool writeTune(const QString& path, const QVector<Note>& notes, int program,
               int microsecondsPerQuarter = 500000);

QImage drawSunrise(int width, int height);
QImage drawShapes(int width, int height);
QImage drawWaves(int width, int height);

struct DemoShow {
    QStringList images;   // slides in order
    QStringList captions; // one per slide
    QStringList timings;  // milliseconds text per slide
    QStringList sounds;   // one per slide, blank for none
    QStringList tracks;   // music
};

// Writes the demo media into folder and returns the show they make.
bool writeMedia(const QString& folder, DemoShow& show);
// Writes the media and folder/demo.cjf. False with a reason in error when something failed.
bool writeShow(const QString& folder, QString* error = nullptr);

} // namespace DemoMedia
