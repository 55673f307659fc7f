// What playing costs: CPU while a MIDI track plays (rendered faster than real time through the
// manual output, and in real time on an SDL device), how fast play() and stop() reach the mixed
// output, and the memory a MIDI player holds between open and close.
//
// usage: audio_cpu [seconds of real-time playback, default 5]

#include "MediaPlayer.h"
#include "audio/AudioEngine.h"
#include "audio/SoundWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double rssMegabytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A busy type 1 file of about two minutes: piano chords, a bass line and drums at 120 bpm, so
// that several voices sound at once as in real music.
QByteArray busyTune() {
    auto track = [](int channel, int program, const std::vector<int>& keys, int ticksPerNote) {
        SoundWriter::MidiTrack t;
        t.program(channel, program);
        for (int bar = 0; bar < 240; ++bar) {
            for (int k : keys)
                t.noteOn(channel, k + (bar % 4) * 2, 90);
            // hold, then release every key of the chord
            t.wait(quint32(ticksPerNote));
            for (int k : keys)
                t.noteOff(channel, k + (bar % 4) * 2, 0);
        }
        return t.end();
    };
    return SoundWriter::midi(
        1, 480, {track(0, 0, {60, 64, 67, 72}, 480), track(1, 33, {36}, 480), track(9, 0, {36, 42}, 480)});
}

// Notes the time of every mixed block that is loud or silent, as the output thread sees them.
struct EdgeTap : MixTap {
    void mixed(const float* frames, int count) override {
        float peak = 0;
        for (int i = 0; i < 2 * count; ++i)
            peak = std::max(peak, std::abs(frames[i]));
        const bool loud = peak > 1e-4f;
        if (loud && !heardSound.load())
            soundAt = Clock::now(), heardSound = true;
        if (!loud && !heardSilence.load())
            silenceAt = Clock::now(), heardSilence = true;
    }
    std::atomic<bool> heardSound{false}, heardSilence{false};
    Clock::time_point soundAt, silenceAt;
};

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int realSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString tune = dir.filePath(QStringLiteral("busy.mid"));
    const QString tone = dir.filePath(QStringLiteral("tone.wav"));
    {
        QFile f(tune);
        f.open(QIODevice::WriteOnly);
        f.write(busyTune());
    }

    // 1. Rendering cost, independent of any device: a minute of audio pulled as fast as it goes.
    {
        AudioEngine engine(AudioEngine::Output::Manual);
        MediaPlayer player(engine);
        player.setFileName(tune);
        if (!player.open()) {
            std::fprintf(stderr, "%s\n", qPrintable(player.errorText()));
            return 1;
        }
        player.play();
        const int seconds = 60;
        std::vector<float> block(2 * 512);
        const double cpu0 = cpuSeconds();
        const auto wall0 = Clock::now();
        double energy = 0;
        for (int i = 0; i < seconds * engine.sampleRate() / 512; ++i) {
            engine.pull(block.data(), 512);
            for (float v : block)
                energy += double(v) * v;
        }
        const double cpu = cpuSeconds() - cpu0;
        std::printf("render: %d s of MIDI (%lld ms long, 3 tracks, chords) in %.3f s CPU, %.3f s wall: "
                    "%.2f %% of a core per second of audio (RMS %.3f)\n",
                    seconds, static_cast<long long>(player.length()), cpu, ms(Clock::now() - wall0) / 1000,
                    100.0 * cpu / seconds, std::sqrt(energy / double(seconds * engine.sampleRate() * 2)));
    }

    // 2. Real-time playback on SDL (the dummy driver when there is no sound card).
    AudioEngine engine(AudioEngine::Output::Device);
    std::printf("output driver: %s\n", qPrintable(engine.driverName()));
    {
        MediaPlayer player(engine);
        player.setFileName(tune);
        player.open();
        const double cpu0 = cpuSeconds();
        const auto wall0 = Clock::now();
        player.play();
        std::this_thread::sleep_for(std::chrono::seconds(realSeconds));
        const double cpu = cpuSeconds() - cpu0;
        const double wall = ms(Clock::now() - wall0) / 1000;
        std::printf("real time: %.2f s of playback used %.3f s CPU: %.2f %% of a core\n", wall, cpu,
                    100.0 * cpu / wall);
        player.close();
    }

    // 3. Latency from play() / stop() to the mixed output changing, over 20 tries each.
    {
        QFile f(tone);
        f.open(QIODevice::WriteOnly);
        const int rate = engine.sampleRate();
        f.write(SoundWriter::wav(rate, 1, 16, rate * 5, [rate](qint64 i, int) {
            return 12000.0 / 32767.0 * std::sin(2 * M_PI * 440 * double(i) / rate);
        }));
    }
    {
        MediaPlayer player(engine);
        player.setFileName(tone);
        player.open();
        EdgeTap tap;
        engine.setTap(&tap);
        std::vector<double> playMs, stopMs;
        for (int i = 0; i < 20; ++i) {
            tap.heardSound = false;
            const auto t0 = Clock::now();
            player.play();
            while (!tap.heardSound)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            playMs.push_back(ms(tap.soundAt - t0));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            tap.heardSilence = false;
            const auto t1 = Clock::now();
            player.stop();
            while (!tap.heardSilence)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            stopMs.push_back(ms(tap.silenceAt - t1));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        engine.setTap(nullptr);
        std::sort(playMs.begin(), playMs.end());
        std::sort(stopMs.begin(), stopMs.end());
        std::printf("latency: play() to sound median %.1f ms, max %.1f ms; stop() to silence median %.1f ms, "
                    "max %.1f ms (device buffer %d frames)\n",
                    playMs[10], playMs.back(), stopMs[10], stopMs.back(), AudioEngine::kDeviceBufferFrames);
    }

    // 4. Memory held by a MIDI player: the soundfont comes with open and goes with close.
    {
        AudioEngine manual(AudioEngine::Output::Manual);
        MediaPlayer player(manual);
        player.setFileName(tune);
        malloc_trim(0);
        const double before = rssMegabytes();
        for (int round = 1; round <= 3; ++round) {
            player.open();
            player.play();
            manual.pull(4096);
            const double open = rssMegabytes();
            player.stop();
            manual.pull(4096);
            player.close();
            malloc_trim(0);
            std::printf(
                "memory round %d: RSS %.1f MB before open, %.1f MB open and playing, %.1f MB after close\n",
                round, before, open, rssMegabytes());
        }
    }
    return 0;
}
