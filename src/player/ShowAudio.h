#pragma once

#include "MediaPlayer.h"

#include <QObject>
#include <QString>

#include <memory>

class AudioEngine;
class ShowHost;

// The show's sound: background music from SongList played round and round on the music player
// (MediaPlayer1), and each slide's own sound on the slide-sound player (MediaPlayer2), which
// halts the music until it ends or is cut off; the music then continues from the sample where
// it stopped.
//
// The show window either lets this object own both players (first constructor) or passes in
// the two it owns (second constructor; they must outlive this object). Either way the players'
// notices are connected here and arrive as MediaPlayer1Notify / MediaPlayer2Notify. Everything
// runs on the user-interface thread. The document, the messages and the "&Enable Music Tracks"
// check box are reached through the ShowHost at the moment they are needed.
//
// What the show window calls, and when:
//   startMusic()          the start of a show, after the window is shown, before the first slide
//   cutSlideSound()       advance step 2, before anything else of the new slide
//   PlaySlideAudio(entry) advance step 9, with the slide's SlideAudio entry, only while
//                         host.musicEnabled() (chkSEnable) is true
//   MusicOn1Click(caption) the pop-up item MusicOn1; pass its caption, set the one returned
//   closeMusic()          the show runs out (the slide sound is already closed by the step)
//   closeBoth()           stop button, Esc, closing the window
class ShowAudio : public QObject {
    Q_OBJECT
public:
    ShowAudio(ShowHost& host, AudioEngine& engine, QObject* parent = nullptr);
    ShowAudio(ShowHost& host, MediaPlayer& music, MediaPlayer& sound, QObject* parent = nullptr);
    ~ShowAudio() override;

    MediaPlayer& MediaPlayer1() { return *music_; }
    MediaPlayer& MediaPlayer2() { return *sound_; }

    // Index into SongList of the current track.
    int TrackIndex() const { return trackIndex_; }
    void setTrackIndex(int index) { trackIndex_ = index; }

    // The start of a show: when SongList has tracks and musicEnabled (the show window's
    // MusicEnabled, which mirrors chkSEnable; the overload without it asks the host), sets
    // TrackIndex to 0 and plays the first track. A track that cannot be opened is reported with
    // unableToPlayText() and the show goes on without music. True when music is playing.
    bool startMusic(bool musicEnabled);
    bool startMusic();

    // Plays the slide's sound when entry names an existing file, stopping the music (its
    // position kept) until the sound completes. A blank entry or a missing file plays nothing
    // and leaves the music alone; a sound that cannot be opened is dropped without a message.
    void PlaySlideAudio(const QString& entry);

    // Completion of the music player: after a successful end, the next track (round and
    // round). A track that cannot be opened is reported once and the music stays off.
    void MediaPlayer1Notify(MediaPlayer::NotifyResult result, quint64 playId = 0);
    // Completion of the slide-sound player: after the sound ended or was cut off, closes it and
    // continues the music that it halted.
    void MediaPlayer2Notify(MediaPlayer::NotifyResult result, quint64 playId = 0);

    // The music command. caption is MusicOn1's current caption; returns its new one.
    // "&Music Off" switches the music off (chkSEnable unchecked, so later slides are silent too);
    // anything else switches it on and restarts the current track from its beginning.
    QString MusicOn1Click(const QString& caption);

    // Advance step 2: a slide sound still playing (or open) is stopped and closed; its aborted
    // notice then continues the music.
    void cutSlideSound();
    void closeMusic();
    void closeBoth();

    static QString musicOffCaption() { return QStringLiteral("&Music Off"); }
    static QString musicOnCaption() { return QStringLiteral("&Music On"); }
    // "Unable to play audio file: " + file + ". The file may be damaged or corrupted."
    static QString unableToPlayText(const QString& file);

private:
    void connectPlayers();
    bool openAndPlay(MediaPlayer& player, const QString& file);

    ShowHost& host_;
    std::unique_ptr<MediaPlayer> ownMusic_;
    std::unique_ptr<MediaPlayer> ownSound_;
    MediaPlayer* music_;
    MediaPlayer* sound_;
    int trackIndex_ = 0;
};
