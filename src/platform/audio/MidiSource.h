#pragma once

#include "SoundSource.h"

#include <QByteArray>
#include <QString>

#include <memory>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

// A Standard MIDI File played by FluidSynth at the engine's rate. Each source has its own synth
// and loads its own copy of the soundfont (about 17 MB with the 6 MB font): made on open, freed
// with the source. The player is timed by the samples rendered, so stopping the pull pauses the
// music exactly and resuming continues it from the same sample. The sound ends at the length the
// tempo map gives (the synth's own "done" comes seconds late), with a short fade so the cut
// notes do not click.
class MidiSource : public SoundSource {
public:
    ~MidiSource() override;
    MidiSource(const MidiSource&) = delete;
    MidiSource& operator=(const MidiSource&) = delete;

    // playable: the bytes the player gets (see MidiFile::playable); lengthUs from the tempo map.
    static std::unique_ptr<MidiSource> create(const QByteArray& playable, double lengthUs, int sampleRate,
                                              const QString& soundFont, QString* error);

    int render(float* out, int frames) override;
    qint64 lengthFrames() const { return lengthFrames_; }

private:
    MidiSource() = default;

    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    _fluid_player_t* player_ = nullptr;
    QByteArray bytes_;
    qint64 lengthFrames_ = 0;
    qint64 produced_ = 0;
    int fadeFrames_ = 0;
};
