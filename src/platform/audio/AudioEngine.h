#pragma once

#include "AudioMixer.h"

#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

// The sound output of the program: our mixer, driven either by an SDL audio device or, for tests
// and tools, by whoever calls pull(). Players are made on an engine passed to them; there is no
// global one. With no sound card the SDL "dummy" driver takes over, so a machine without audio
// still runs shows at the right pace.
class AudioEngine {
public:
    enum class Output {
        Device, // SDL, falling back to its dummy driver when no device opens
        Manual  // nothing plays by itself; pull() mixes frames on demand
    };
    static constexpr int kDefaultSampleRate = 44100;
    static constexpr int kDeviceBufferFrames = 512; // about 12 ms at 44.1 kHz

    explicit AudioEngine(Output output = Output::Device, int sampleRate = kDefaultSampleRate);
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    AudioMixer& mixer() { return mixer_; }
    int sampleRate() const { return mixer_.sampleRate(); }
    Output output() const { return output_; }
    // The SDL driver in use ("pulseaudio", "alsa", "dummy", ...), "manual", or empty when no
    // output could be opened at all (outputError() says why).
    QString driverName() const { return driver_; }
    QString outputError() const { return outputError_; }

    // Manual output: mixes the next frames (interleaved stereo) into out.
    void pull(float* out, int frames);
    std::vector<float> pull(int frames);

    // Lets a test see every mixed block; nullptr removes it.
    void setTap(MixTap* tap) { mixer_.setTap(tap); }

    // Where MIDI players look for a General MIDI soundfont (see SoundFile::findSoundFont).
    void setSoundFontPlaces(const QStringList& places) { soundFontPlaces_ = places; }
    QStringList soundFontPlaces() const { return soundFontPlaces_; }
    QString soundFont() const;

    // Whether a sound server or a sound card is there to be opened.
    static bool soundOutputLikely();

    // Before something plays: opens the output again if it was closed for being idle. An output
    // that stays silent for a couple of seconds is closed, so that a resting program costs no
    // processor time (a paused device still wakes its thread about ninety times a second).
    void wake();
    bool isOutputOpen() const { return device_ != 0; }
    // How often the output is checked for silence (1 s); two silent checks in a row close it.
    void setIdleCheckInterval(int ms);

private:
    bool openDevice(const char* driver);
    bool openOutput();
    void closeWhenIdle();
    static void deviceCallback(void* engine, unsigned char* stream, int bytes);

    AudioMixer mixer_;
    Output output_;
    QString driver_;
    QString outputError_;
    QStringList soundFontPlaces_;
    unsigned int device_ = 0;
    bool sdlStarted_ = false;
    std::unique_ptr<QTimer> idleTimer_;
    int idleChecks_ = 0;
    int idleCheckMs_ = 1000;
};
