#include "MidiSource.h"

#include <fluidsynth.h>

#include <QFile>

#include <algorithm>
#include <cmath>

MidiSource::~MidiSource() {
    if (player_)
        delete_fluid_player(player_);
    if (synth_)
        delete_fluid_synth(synth_);
    if (settings_)
        delete_fluid_settings(settings_);
}

std::unique_ptr<MidiSource> MidiSource::create(const QByteArray& playable, double lengthUs, int sampleRate,
                                               const QString& soundFont, QString* error) {
    std::unique_ptr<MidiSource> s(new MidiSource);
    s->bytes_ = playable;
    s->lengthFrames_ = std::llround(lengthUs * sampleRate / 1e6);
    s->fadeFrames_ = std::max(1, sampleRate / 100);

    s->settings_ = new_fluid_settings();
    fluid_settings_setnum(s->settings_, "synth.sample-rate", sampleRate);
    // Events are timed by the samples we render, not by the wall clock: the music is exactly
    // as long as its tempo map says and pauses when the mixer stops pulling.
    fluid_settings_setstr(s->settings_, "player.timing-source", "sample");
    // Only the mixer's thread touches the synth, under the mixer's lock.
    fluid_settings_setint(s->settings_, "synth.threadsafe-api", 0);
    fluid_settings_setint(s->settings_, "synth.cpu-cores", 1);
    // The synthesizer's own level is far below that of a recorded sound; bring a tune up to
    // about the loudness of the slide sounds it alternates with, with headroom for chords.
    fluid_settings_setnum(s->settings_, "synth.gain", 0.6);
    s->synth_ = new_fluid_synth(s->settings_);
    if (!s->synth_) {
        *error = QStringLiteral("the MIDI synthesizer could not be started");
        return nullptr;
    }
    if (fluid_synth_sfload(s->synth_, QFile::encodeName(soundFont).constData(), 1) == FLUID_FAILED) {
        *error = QStringLiteral("the General MIDI soundfont %1 could not be loaded").arg(soundFont);
        return nullptr;
    }
    s->player_ = new_fluid_player(s->synth_);
    if (!s->player_ ||
        fluid_player_add_mem(s->player_, s->bytes_.constData(), size_t(s->bytes_.size())) != FLUID_OK ||
        fluid_player_play(s->player_) != FLUID_OK) {
        *error = QStringLiteral("the MIDI player could not be started");
        return nullptr;
    }
    return s;
}

int MidiSource::render(float* out, int frames) {
    const int n = int(std::min<qint64>(frames, lengthFrames_ - produced_));
    if (n <= 0)
        return 0;
    if (fluid_synth_write_float(synth_, n, out, 0, 2, out, 1, 2) != FLUID_OK)
        return -1;
    // The last notes may still sound at the end of the tempo map: fade them instead of cutting.
    for (int i = 0; i < n; ++i) {
        const qint64 left = lengthFrames_ - produced_ - i;
        if (left < fadeFrames_) {
            const float g = float(left) / float(fadeFrames_);
            out[2 * i] *= g;
            out[2 * i + 1] *= g;
        }
    }
    produced_ += n;
    return n;
}
