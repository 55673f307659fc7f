#include "ShowAudio.h"

#include "ShowDocument.h"
#include "ShowHost.h"
#include "ShowUnpack.h"
#include "UserMessages.h"

#include <QFileInfo>

ShowAudio::ShowAudio(ShowHost& host, AudioEngine& engine, QObject* parent)
    : QObject(parent), host_(host), music_(std::make_unique<MediaPlayer>(engine)),
      sound_(std::make_unique<MediaPlayer>(engine)) {
    connect(music_.get(), &MediaPlayer::notified, this, &ShowAudio::onMusicFinished);
    connect(sound_.get(), &MediaPlayer::notified, this, &ShowAudio::onSoundFinished);
}

ShowAudio::~ShowAudio() = default;

QString ShowAudio::unableToPlayText(const QString& file) {
    return QStringLiteral("Unable to play audio file: ") + file +
           QStringLiteral(". The file may be damaged or corrupted.");
}

bool ShowAudio::openAndPlay(MediaPlayer& player, const QString& file) {
    player.setFileName(file);
    if (&player == music_.get())
        musicWaitsFor_.clear();
    if (ShowUnpack* files = host_.unpacking()) {
        switch (files->state(file)) {
        case ShowUnpack::State::Present:
            break;
        case ShowUnpack::State::Lost:
            // The show stops for it; a second message about the same file would be one too many.
            emit fileLost();
            return true;
        case ShowUnpack::State::Coming:
            // Slide sounds are waited for before their slide is shown; the music waits here.
            if (&player == music_.get()) {
                musicWaitsFor_ = file;
                connect(files, &ShowUnpack::arrived, this, &ShowAudio::fileArrived, Qt::UniqueConnection);
                connect(files, &ShowUnpack::lost, this, &ShowAudio::fileArrived, Qt::UniqueConnection);
                files->hurry(file);
                return true;
            }
            break;
        }
    }
    return player.open() && player.play();
}

void ShowAudio::fileArrived(const QString& path) {
    if (musicWaitsFor_.isEmpty() || path != musicWaitsFor_ || music_->fileName() != path)
        return;
    if (!openAndPlay(*music_, path)) {
        host_.messages().error(unableToPlayText(music_->fileName()));
        music_->close();
    }
}

bool ShowAudio::startMusic() {
    const QStringList& tracks = host_.document().musicTracks();
    if (tracks.isEmpty() || !host_.musicEnabled())
        return false;
    trackIndex_ = 0;
    if (openAndPlay(*music_, tracks.first()))
        return true;
    // A first track that will not open must not keep the show from starting: say so, go on
    // without music.
    host_.messages().error(unableToPlayText(music_->fileName()));
    music_->close();
    return false;
}

void ShowAudio::playSlideSound(const QString& entry) {
    if (entry.trimmed().isEmpty() || !QFileInfo(entry).isFile()) {
        sound_->setFileName(QString());
        return;
    }
    if (music_->mode() == MediaPlayer::Mode::Playing)
        music_->stop();
    if (!openAndPlay(*sound_, entry))
        sound_->close(); // no sound for this slide; the music waits for the next one to finish
}

void ShowAudio::onMusicFinished(MediaPlayer::NotifyResult result, quint64 playId) {
    if (result != MediaPlayer::NotifyResult::Successful)
        return;
    // A track that ended just before the music was switched off and on again: the new play
    // is the current one.
    if (playId != music_->lastPlayId())
        return;
    // A track that ended just before the music was closed (the show stopped or the music
    // switched off): its notice was already on its way, but the music is over.
    if (music_->mode() == MediaPlayer::Mode::NotReady)
        return;
    const QStringList& tracks = host_.document().musicTracks();
    music_->close();
    if (tracks.isEmpty())
        return;
    ++trackIndex_;
    if (trackIndex_ >= tracks.size() || trackIndex_ < 0)
        trackIndex_ = 0;
    if (!openAndPlay(*music_, tracks[trackIndex_])) {
        host_.messages().error(unableToPlayText(music_->fileName()));
        music_->close();
    }
}

void ShowAudio::onSoundFinished(MediaPlayer::NotifyResult result, quint64 playId) {
    if (result != MediaPlayer::NotifyResult::Successful && result != MediaPlayer::NotifyResult::Aborted)
        return;
    // The notice of a sound cut off by the next slide can arrive after that slide's sound has
    // started; it must not close that one, whose own notice resumes the music.
    if (playId != sound_->lastPlayId())
        return;
    sound_->close();
    if (music_->mode() == MediaPlayer::Mode::Stopped)
        music_->play();
}

void ShowAudio::setMusicOn(bool on) {
    host_.setMusicEnabled(on);
    musicWaitsFor_.clear();
    music_->close();
    if (!on)
        return;
    const QStringList& tracks = host_.document().musicTracks();
    if (trackIndex_ < 0 || trackIndex_ >= tracks.size() || !openAndPlay(*music_, tracks[trackIndex_]))
        music_->close();
}

void ShowAudio::cutSlideSound() {
    const MediaPlayer::Mode mode = sound_->mode();
    if (mode == MediaPlayer::Mode::Playing || mode == MediaPlayer::Mode::Open) {
        sound_->stop();
        sound_->close();
    }
}

void ShowAudio::closeMusic() {
    musicWaitsFor_.clear();
    music_->close();
}

void ShowAudio::closeBoth() {
    musicWaitsFor_.clear();
    music_->close();
    sound_->close();
}
