#include "ShowAudio.h"

#include "ShowDocument.h"
#include "ShowHost.h"
#include "UserMessages.h"

#include <QFileInfo>

ShowAudio::ShowAudio(ShowHost& host, AudioEngine& engine, QObject* parent)
    : QObject(parent), host_(host), ownMusic_(std::make_unique<MediaPlayer>(engine)),
      ownSound_(std::make_unique<MediaPlayer>(engine)), music_(ownMusic_.get()), sound_(ownSound_.get()) {
    connectPlayers();
}

ShowAudio::ShowAudio(ShowHost& host, MediaPlayer& music, MediaPlayer& sound, QObject* parent)
    : QObject(parent), host_(host), music_(&music), sound_(&sound) {
    connectPlayers();
}

ShowAudio::~ShowAudio() = default;

void ShowAudio::connectPlayers() {
    connect(music_, &MediaPlayer::notified, this, &ShowAudio::MediaPlayer1Notify);
    connect(sound_, &MediaPlayer::notified, this, &ShowAudio::MediaPlayer2Notify);
}

QString ShowAudio::unableToPlayText(const QString& file) {
    return QStringLiteral("Unable to play audio file: ") + file + QStringLiteral(". The file may be") +
           QStringLiteral(" damaged or corrupted.");
}

bool ShowAudio::openAndPlay(MediaPlayer& player, const QString& file) {
    player.setFileName(file);
    return player.open() && player.play();
}

bool ShowAudio::startMusic() {
    return startMusic(host_.musicEnabled());
}

bool ShowAudio::startMusic(bool musicEnabled) {
    const QStringList& songs = host_.document().musicTracks;
    if (songs.isEmpty() || !musicEnabled)
        return false;
    trackIndex_ = 0;
    if (openAndPlay(*music_, songs.first()))
        return true;
    // A first track that will not open must not keep the show from starting: say so, go on
    // without music.
    host_.messages().error(unableToPlayText(music_->fileName()));
    music_->close();
    return false;
}

void ShowAudio::PlaySlideAudio(const QString& entry) {
    if (entry.trimmed().isEmpty() || !QFileInfo(entry).isFile()) {
        sound_->setFileName(QString());
        return;
    }
    if (music_->mode() == MediaPlayer::Mode::Playing)
        music_->stop();
    if (!openAndPlay(*sound_, entry))
        sound_->close(); // no sound for this slide; the music waits for the next one to finish
}

void ShowAudio::MediaPlayer1Notify(MediaPlayer::NotifyResult result, quint64 playId) {
    if (result != MediaPlayer::NotifyResult::Successful)
        return;
    // A track that ended just before the music was switched off and on again: the new play
    // is the current one.
    if (playId && playId != music_->lastPlayId())
        return;
    // A track that ended just before the music was closed (Esc, stop, the end of the show,
    // "&Music Off"): its notice was already on its way, but the music is over.
    if (music_->mode() == MediaPlayer::Mode::NotReady)
        return;
    const QStringList& songs = host_.document().musicTracks;
    music_->close();
    if (songs.isEmpty())
        return;
    ++trackIndex_;
    if (trackIndex_ >= songs.size() || trackIndex_ < 0)
        trackIndex_ = 0;
    if (!openAndPlay(*music_, songs[trackIndex_])) {
        host_.messages().error(unableToPlayText(music_->fileName()));
        music_->close();
    }
}

void ShowAudio::MediaPlayer2Notify(MediaPlayer::NotifyResult result, quint64 playId) {
    if (result != MediaPlayer::NotifyResult::Successful && result != MediaPlayer::NotifyResult::Aborted)
        return;
    // The notice of a sound cut off by the advance step can arrive after the next slide's sound
    // has started; it must not close that one, whose own notice resumes the music.
    if (playId && playId != sound_->lastPlayId())
        return;
    sound_->close();
    if (music_->mode() == MediaPlayer::Mode::Stopped)
        music_->play();
}

QString ShowAudio::MusicOn1Click(const QString& caption) {
    if (caption != musicOffCaption()) {
        host_.setMusicEnabled(true);
        music_->close();
        const QStringList& songs = host_.document().musicTracks;
        if (trackIndex_ < 0 || trackIndex_ >= songs.size() || !openAndPlay(*music_, songs[trackIndex_]))
            music_->close();
        return musicOffCaption();
    }
    host_.setMusicEnabled(false);
    music_->close();
    return musicOnCaption();
}

void ShowAudio::cutSlideSound() {
    const MediaPlayer::Mode mode = sound_->mode();
    if (mode == MediaPlayer::Mode::Playing || mode == MediaPlayer::Mode::Open) {
        sound_->stop();
        sound_->close();
    }
}

void ShowAudio::closeMusic() {
    music_->close();
}

void ShowAudio::closeBoth() {
    music_->close();
    sound_->close();
}
