#include "AudioEngine.h"

#include <QDir>
#include <QFileInfo>

#include "SoundFile.h"

#include <SDL.h>
#include <fluidsynth.h>

namespace {
// FluidSynth writes its complaints to stderr; we report our own, readable errors instead.
void quietFluid() {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
}
} // namespace

AudioEngine::AudioEngine(Output output, int sampleRate)
    : mixer_(sampleRate), output_(output), soundFontPlaces_(SoundFile::defaultSoundFontPlaces()) {
    quietFluid();
    if (output_ == Output::Manual) {
        driver_ = QStringLiteral("manual");
        return;
    }
    // Without this SDL installs its own SIGINT/SIGTERM handlers and the program stops obeying them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Asking SDL for a device on a machine without any makes the sound libraries print pages
    // of errors; with no sound server and no sound card in sight, go straight to the silent
    // driver, which still paces the music.
    const bool tryDevice = !qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER") || soundOutputLikely();
    if (!(tryDevice && openDevice(nullptr)) && !openDevice("dummy"))
        driver_.clear();
}

bool AudioEngine::soundOutputLikely() {
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && (QFileInfo::exists(runtime + QStringLiteral("/pulse/native")) ||
                               QFileInfo::exists(runtime + QStringLiteral("/pipewire-0"))))
        return true;
    const QStringList cards =
        QDir(QStringLiteral("/dev/snd")).entryList({QStringLiteral("pcmC*p")}, QDir::System);
    return !cards.isEmpty();
}

AudioEngine::~AudioEngine() {
    if (device_)
        SDL_CloseAudioDevice(device_);
    if (sdlStarted_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool AudioEngine::openDevice(const char* driver) {
    if (sdlStarted_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdlStarted_ = false;
    }
    if (driver)
        SDL_SetHint(SDL_HINT_AUDIODRIVER, driver);
    const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (driver)
        SDL_SetHint(SDL_HINT_AUDIODRIVER, nullptr);
    if (!started) {
        outputError_ = QString::fromUtf8(SDL_GetError());
        return false;
    }
    sdlStarted_ = true;
    if (!openOutput())
        return false;
    driver_ = QString::fromUtf8(SDL_GetCurrentAudioDriver());
    outputError_.clear();
    return true;
}

bool AudioEngine::openOutput() {
    SDL_AudioSpec want{};
    want.freq = mixer_.sampleRate();
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kDeviceBufferFrames;
    want.callback = &AudioEngine::deviceCallback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the device wants, so the mixer's rate holds.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device_) {
        outputError_ = QString::fromUtf8(SDL_GetError());
        return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    if (!idleTimer_) {
        idleTimer_ = std::make_unique<QTimer>();
        QObject::connect(idleTimer_.get(), &QTimer::timeout, [this] { closeWhenIdle(); });
    }
    idleChecks_ = 0;
    idleTimer_->start(idleCheckMs_);
    return true;
}

void AudioEngine::setIdleCheckInterval(int ms) {
    idleCheckMs_ = ms;
    if (idleTimer_ && idleTimer_->isActive())
        idleTimer_->start(ms);
}

void AudioEngine::wake() {
    if (output_ != Output::Device || device_ || !sdlStarted_)
        return;
    openOutput();
}

void AudioEngine::closeWhenIdle() {
    if (!device_ || !mixer_.isIdle()) {
        idleChecks_ = 0;
        return;
    }
    // Two checks in a row, so that a gap between two sounds does not close and open the output.
    if (++idleChecks_ < 2)
        return;
    idleTimer_->stop();
    SDL_CloseAudioDevice(device_);
    device_ = 0;
}

void AudioEngine::deviceCallback(void* engine, unsigned char* stream, int bytes) {
    auto* self = static_cast<AudioEngine*>(engine);
    self->mixer_.render(reinterpret_cast<float*>(stream), bytes / int(2 * sizeof(float)));
}

void AudioEngine::pull(float* out, int frames) {
    mixer_.render(out, frames);
}

std::vector<float> AudioEngine::pull(int frames) {
    std::vector<float> out(size_t(frames) * 2);
    mixer_.render(out.data(), frames);
    return out;
}

QString AudioEngine::soundFont() const {
    return SoundFile::findSoundFont(soundFontPlaces_);
}
