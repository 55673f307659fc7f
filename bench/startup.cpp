// From launching `orvanne --play` on a show of 40 photographs (about 185 MB) to its first slide
// fully on screen, against feh showing the same pictures, already unpacked, in the same run.
// Median of five launches of each after one unmeasured launch of each (so that both read from a
// warm page cache), without and with transition effects.
//
// Run on an X display of 1920 x 1080, for example:
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bin/startup [path/to/orvanne [path/to/other/orvanne]]
// With a second program (another build, say the one before a change) it is timed in the same runs.
//
// A slide counts as on screen when four patches of it, one in each quarter of the picture, show
// the picture's colours there: each photograph has four quarters of its own colour under heavy
// grain (the grain is what makes the files as large as real photographs). The same watcher, grabbing
// the screen every few milliseconds, times both programs.

#include "BenchStats.h"
#include "DiskSpace.h"
#include "ProgressReport.h"
#include "ShowDocument.h"
#include "ShowFiles.h"
#include "UserMessages.h"
#include "WorkFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kPhotos = 40;
constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kRuns = 5;

using Colour = std::array<int, 3>;

// The colours of a photograph's four quarters: top left, top right, bottom left, bottom right.
std::array<Colour, 4> quarterColours(int seed) {
    const int s = seed * 37;
    return {Colour{200, (40 + s) % 120, 40}, Colour{40, 190, (60 + s) % 140}, Colour{(30 + s) % 100, 50, 210},
            Colour{210, 200, (20 + s) % 90}};
}

QImage photograph(int seed) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    const auto colours = quarterColours(seed);
    quint32 x = quint32(seed + 1) * 2654435761u;
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int col = 0; col < kWidth; ++col) {
            const Colour& c = colours[(y >= kHeight / 2 ? 2 : 0) + (col >= kWidth / 2 ? 1 : 0)];
            x = x * 1664525u + 1013904223u;
            const int grain = int((x >> 24) % 41) - 20;
            line[col] = qRgb(std::clamp(c[0] + grain, 0, 255), std::clamp(c[1] + grain, 0, 255),
                             std::clamp(c[2] + grain, 0, 255));
        }
    }
    return image;
}

// The watcher's view: whether the screen shows photograph seed, judged by 12 x 12 patches a
// quarter of the picture's displayed height from its centre, wherever the program centred it.
bool showsPhotograph(QScreen* screen, int seed) {
    const QRect area = screen->geometry();
    const int dx = 160;
    const int dy = 120;
    const int patch = 12;
    const QPoint centre = area.center();
    const QImage grab = screen
                            ->grabWindow(0, centre.x() - dx - patch, centre.y() - dy - patch,
                                         2 * (dx + patch), 2 * (dy + patch))
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
    if (grab.isNull())
        return false;
    const auto colours = quarterColours(seed);
    const QPoint corners[4] = {{0, 0}, {2 * dx, 0}, {0, 2 * dy}, {2 * dx, 2 * dy}};
    for (int q = 0; q < 4; ++q) {
        long sum[3] = {0, 0, 0};
        for (int y = 0; y < patch; ++y)
            for (int xx = 0; xx < patch; ++xx) {
                const QRgb p = grab.pixel(corners[q].x() + patch / 2 + xx, corners[q].y() + patch / 2 + y);
                sum[0] += qRed(p);
                sum[1] += qGreen(p);
                sum[2] += qBlue(p);
            }
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(sum[c] / (patch * patch)) - colours[q][c]) > 24)
                return false;
    }
    return true;
}

QByteArray environmentEntry(const char* name, const QString& value) {
    return QByteArray(name) + '=' + QFile::encodeName(value);
}

// Starts argv with HOME (and the cache) in home; returns the child's process id.
pid_t launch(const QStringList& argv, const QString& home) {
    std::vector<QByteArray> own{environmentEntry("HOME", home),
                                environmentEntry("XDG_CACHE_HOME", home + QStringLiteral("/.cache")),
                                environmentEntry("XDG_CONFIG_HOME", home + QStringLiteral("/.config"))};
    std::vector<char*> env;
    for (QByteArray& e : own)
        env.push_back(e.data());
    for (char** e = environ; *e; ++e) {
        const QByteArray entry(*e);
        if (!entry.startsWith("HOME=") && !entry.startsWith("XDG_CACHE_HOME=") &&
            !entry.startsWith("XDG_CONFIG_HOME="))
            env.push_back(*e);
    }
    env.push_back(nullptr);
    std::vector<QByteArray> args;
    for (const QString& a : argv)
        args.push_back(QFile::encodeName(a));
    std::vector<char*> argp;
    for (QByteArray& a : args)
        argp.push_back(a.data());
    argp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argp[0], nullptr, nullptr, argp.data(), env.data()) != 0)
        return -1;
    return pid;
}

// Milliseconds from launch to the first photograph on screen; -1 when it did not come in 20 s.
double timeToFirstSlide(QScreen* screen, const QStringList& argv, const QString& home) {
    while (showsPhotograph(screen, 0)) // the last program's window must be gone
        QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = launch(argv, home);
    if (pid < 0)
        return -1;
    double ms = -1;
    while (clock.elapsed() < 20000) {
        if (showsPhotograph(screen, 0)) {
            ms = double(clock.nsecsElapsed()) / 1e6;
            break;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return -1;
        // Grabbing without a pause would keep the X server and this process on both cores.
        const timespec pause{0, 2'000'000};
        nanosleep(&pause, nullptr);
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString orvanne = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                     : QCoreApplication::applicationDirPath() + QStringLiteral("/orvanne");
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "startup: needs an X display (run it under xvfb-run)\n");
        return 2;
    }
    QTemporaryDir tmp;
    const QString pictures = tmp.filePath(QStringLiteral("pictures"));
    QDir().mkpath(pictures);
    const QString home = tmp.filePath(QStringLiteral("home"));
    QDir().mkpath(home);

    std::fprintf(stderr, "making %d photographs of %d x %d...\n", kPhotos, kWidth, kHeight);
    ShowDocument doc;
    QStringList files;
    for (int i = 0; i < kPhotos; ++i) {
        const QString path = pictures + QStringLiteral("/photo%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0'));
        QImageWriter writer(path, "jpeg");
        writer.setQuality(90);
        if (!writer.write(photograph(i))) {
            std::fprintf(stderr, "startup: cannot write %s\n", qPrintable(path));
            return 1;
        }
        files << path;
        doc.addSlide(path, QString(), QString(), 0);
    }

    SilentMessages quiet;
    NoProgress progress;
    SystemDiskSpace disk;
    const OwnedWorkFolder work = WorkFolder::createNumbered(tmp.filePath(QStringLiteral("work")));
    const QString shows[2] = {tmp.filePath(QStringLiteral("plain.cjf")),
                              tmp.filePath(QStringLiteral("effects.cjf"))};
    for (int effects = 0; effects < 2; ++effects) {
        doc.setSettingsLine(1, QStringLiteral("clBlack"));
        doc.setSettingsLine(2, effects ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        const ShowSettings settings{30, false, true, true, true};
        if (ShowFiles::save(doc, settings, work.path(), shows[effects],
                            ShowFileServices{quiet, progress, disk}) != ShowFiles::SaveResult::Saved) {
            std::fprintf(stderr, "startup: cannot save the show\n");
            return 1;
        }
    }
    std::printf("show: %d photographs, %.1f MB\n", kPhotos, double(QFileInfo(shows[0]).size()) / 1e6);

    QStringList feh{QStringLiteral("feh"), QStringLiteral("--fullscreen"), QStringLiteral("--hide-pointer")};
    feh << files;
    const QStringList orvannePlain{orvanne, QStringLiteral("--play"), shows[0]};
    const QStringList orvanneEffects{orvanne, QStringLiteral("--play"), shows[1]};
    const QString other = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QStringList otherPlain{other, QStringLiteral("--play"), shows[0]};

    std::vector<double> fehTimes, plainTimes, effectTimes, otherTimes;
    for (int run = 0; run <= kRuns; ++run) {
        const double f = timeToFirstSlide(screen, feh, home);
        const double p = timeToFirstSlide(screen, orvannePlain, home);
        const double e = timeToFirstSlide(screen, orvanneEffects, home);
        const double o = other.isEmpty() ? 0 : timeToFirstSlide(screen, otherPlain, home);
        if (f < 0 || p < 0 || e < 0 || o < 0) {
            std::fprintf(stderr,
                         "startup: a program did not show the first slide (feh %.0f, orvanne %.0f / %.0f)\n",
                         f, p, e);
            return 1;
        }
        std::printf("%s  feh %6.0f ms   orvanne %6.0f ms   orvanne with effects %6.0f ms\n",
                    run == 0 ? "warm-up" : "run    ", f, p, e);
        if (!other.isEmpty())
            std::printf("         other orvanne %6.0f ms\n", o);
        if (run > 0) {
            otherTimes.push_back(o);
            fehTimes.push_back(f);
            plainTimes.push_back(p);
            effectTimes.push_back(e);
        }
    }
    const double fehMedian = median(fehTimes);
    std::printf(
        "median of %d: feh %.0f ms, orvanne %.0f ms (ratio %.2f), with effects %.0f ms (ratio %.2f)\n", kRuns,
        fehMedian, median(plainTimes), median(plainTimes) / fehMedian, median(effectTimes),
        median(effectTimes) / fehMedian);
    if (!other.isEmpty())
        std::printf("median of %d: other orvanne %.0f ms (ratio to feh %.2f); this one against it: %.2f\n",
                    kRuns, median(otherTimes), median(otherTimes) / fehMedian,
                    median(plainTimes) / median(otherTimes));
    return 0;
}
