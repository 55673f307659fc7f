#pragma once

#include "MediaPlayer.h"

#include <QObject>
#include <QString>

#include <memory>

class AudioEngine;
class ShowHost;

// The show's sound: the music tracks played round and round on the music player, and each
// slide's own sound on the sound player, which halts the music until it ends or is cut off; the
// music then continues from the sample where it stopped.
//
// Everything runs on the user-interface thread. The document, the messages and whether music is
// enabled are read from the ShowHost at the moment they are needed.
class ShowAudio : public QObject {
    Q_OBJECT
public:
    ShowAudio(ShowHost& host, AudioEngine& engine, QObject* parent = nullptr);
    ~ShowAudio() override;

    MediaPlayer& musicPlayer() { return *music_; }
    MediaPlayer& soundPlayer() { return *sound_; }

    // Index of the current music track.
    int trackIndex() const { return trackIndex_; }
    void setTrackIndex(int index) { trackIndex_ = index; }

    // The start of a show: when there are tracks and music is enabled, plays the first one. A
    // track that cannot be opened is reported with unableToPlayText() and the show goes on
    // without music. True when music is playing.
    bool startMusic();

    // Plays a slide's sound when entry names an existing file, stopping the music (its position
    // kept) until the sound completes. A blank entry or a missing file plays nothing and leaves
    // the music alone; a sound that cannot be opened is dropped without a message.
    void playSlideSound(const QString& entry);

    // Switches music on or off, as the user's own change of the option. Off closes the music
    // (and later slides play no sounds); on restarts the current track from its beginning.
    void setMusicOn(bool on);

    // Before anything else of a new slide: a slide sound still playing (or open) is stopped and
    // closed; its aborted notice then continues the music.
    void cutSlideSound();
    void closeMusic();
    void closeBoth();

    // "Unable to play audio file: " + file + ". The file may be damaged or corrupted."
    static QString unableToPlayText(const QString& file);

signals:
    // A sound the show needs was lost in unpacking the show file (see ShowHost::unpacking).
    void fileLost();

private:
    // After a track played to its end: the next one (round and round). A track that cannot be
    // opened is reported once and the music stays off.
    void onMusicFinished(MediaPlayer::NotifyResult result, quint64 playId);
    // After the slide sound ended or was cut off: closes it and continues the music it halted.
    void onSoundFinished(MediaPlayer::NotifyResult result, quint64 playId);
    // Opens and plays file; a file still being unpacked is asked for first and played when it
    // arrives (true meanwhile).
    bool openAndPlay(MediaPlayer& player, const QString& file);
    // A file of the show has been unpacked: a player waiting for it plays it now.
    void fileArrived(const QString& path);

    ShowHost& host_;
    std::unique_ptr<MediaPlayer> music_;
    std::unique_ptr<MediaPlayer> sound_;
    int trackIndex_ = 0;
    // The file the music player waits for, until it is unpacked; empty when it waits for none.
    QString musicWaitsFor_;
};
