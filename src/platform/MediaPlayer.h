#pragma once

#include <QObject>
#include <QString>

class AudioEngine;

// The invisible media player every window uses: music, slide sounds and sound previews. One
// player is one channel of the engine's mixer and holds one open sound at a time.
//
// Every command runs on the user-interface thread and returns when done. The device is chosen
// from the file's content (a Standard MIDI File, also RIFF-wrapped, plays through the
// synthesizer; WAV, AIFF, FLAC, Ogg through the sampled-sound path), never from its name.
//
// Completion notices: every play() that returns true ends in exactly one notified() signal,
// posted to the user-interface thread and so delivered after the command that caused it has
// returned (never from inside play(), stop(), open() or close()). A player that is destroyed
// receives no further notice.
//   Successful  the sound played to its end (mode() is then Stopped, at the end)
//   Superseded  play() was called again while it played; the new play carries on
//   Aborted     stop(), close() or open() ended it
//   Failure     the sound could not be read on
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    enum class Mode { NotReady, Stopped, Playing, Paused, Open };
    Q_ENUM(Mode)
    enum class NotifyResult { Successful, Superseded, Aborted, Failure };
    Q_ENUM(NotifyResult)

    explicit MediaPlayer(AudioEngine& engine, QObject* parent = nullptr);
    ~MediaPlayer() override;

    // Names the file for the next open().
    void setFileName(const QString& fileName) { fileName_ = fileName; }
    QString fileName() const { return fileName_; }

    // Closes whatever was open, then opens fileName(). False when the file is missing, of an
    // unknown kind or damaged, or when MIDI has no soundfont; errorText() then says why in a
    // sentence that names the file.
    bool open();
    // Plays from the current position and returns at once. False (and no notice) when nothing
    // is open.
    bool play();
    // Stops playing and keeps the position: the next play() continues from the very next
    // sample. False when nothing was playing.
    bool stop();
    // Closes the sound; does nothing when nothing is open. A play in progress ends as aborted.
    void close();

    Mode mode() const;
    // Length of the open sound and the current position, in milliseconds;
    // 0 when nothing is open.
    qint64 length() const { return lengthMs_; }
    qint64 position() const;
    // The position in frames of the engine's output rate, for exact comparisons.
    qint64 positionFrames() const;
    // What the open file is: "midi", "wav", ...; empty when nothing is open.
    QString deviceType() const { return deviceType_; }
    QString errorText() const { return errorText_; }

    // Which play a notice belongs to: play() numbers each play; notified() carries that number.
    // A notice whose number differs from lastPlayId() belongs to an earlier play.
    quint64 lastPlayId() const { return lastPlayId_; }
    // The mixer channel this player plays on (for taps in tests).
    int channel() const { return channel_; }

signals:
    void notified(MediaPlayer::NotifyResult result, quint64 playId);

private:
    AudioEngine& engine_;
    int channel_;
    QString fileName_;
    QString deviceType_;
    QString errorText_;
    qint64 lengthMs_ = 0;
    quint64 lastPlayId_ = 0;
};
