#pragma once

// What the fuzz targets share: an input as Qt bytes, a check that ends the run the way a sanitizer
// finding does, a Qt application for the parts that need one (fonts, image plugins), and a
// scratch folder in memory for the targets that read files.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// Leaks of the system's libraries are theirs to fix; fontconfig keeps a few patterns Qt hands it
// for good. Each target includes this header once, so the leak checker finds these in every one.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace Fuzz {

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Where broken properties are told: standard error as it was when the program started, kept even
// when a run silences the target's own output (-close_fd_mask=2).
inline const int reportFd = ::dup(2);

// A property that must hold for every input; a broken one is a finding like a crash.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            ::dprintf(Fuzz::reportFd, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);                \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

// A QGuiApplication on the offscreen platform, made once and kept for the whole run. Qt gets
// arguments of its own: libFuzzer's options are none of its business.
inline void startApplication() {
    static QGuiApplication* app = nullptr;
    if (app)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    app = new QGuiApplication(argc, argv);
}

// A folder for the files of one run, in memory when the system has /dev/shm, removed at exit.
inline const QString& scratch() {
    static QTemporaryDir* dir = [] {
        const QString base =
            QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        auto* made = new QTemporaryDir(base + QStringLiteral("/orvanne-fuzz-XXXXXX"));
        std::atexit([] { delete dir; });
        return made;
    }();
    static const QString path = dir->path();
    return path;
}

// Writes bytes to name in the scratch folder and returns its path.
inline QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = scratch() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

} // namespace Fuzz
