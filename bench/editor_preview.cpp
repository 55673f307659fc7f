// What the editor's window costs the user-interface thread: previewing a 24-megapixel JPEG (the
// decode runs on a worker) against decoding it right there, in full and at preview size; and
// listing a folder of 10,000 pictures against the bare directory read.
//
//   build/bin/editor_preview

#include "BenchStats.h"
#include "EditorWindow.h"
#include "FileDialogs.h"
#include "HelpViewer.h"
#include "ImageDecoder.h"
#include "PreviewLoader.h"
#include "UserMessages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class NoDialogs : public FileDialogs {
public:
    QColor chooseColour(const QColor& initial) override { return initial; }
    QString openFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
};

class NoHelp : public HelpViewer {
public:
    bool showTopic(const QString&, const QString&) override { return false; }
};

double ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("HOME", QFile::encodeName(dir.path()));

    // A photograph-like 6000 x 4000 JPEG.
    const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
    {
        QImage image(6000, 4000, QImage::Format_RGB32);
        quint32 x = 12345;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int i = 0; i < image.width(); ++i) {
                x = x * 1664525u + 1013904223u;
                line[i] = qRgb((i / 20) % 256, (y / 16) % 256, int((x >> 26) & 0x3F) + 100);
            }
        }
        image.save(photo, "JPG", 88);
    }
    SilentMessages quiet;
    NoDialogs dialogs;
    NoHelp help;
    EditorWindow window(quiet, dialogs, help, QString());
    window.show();

    const double full = median(3, [&] {
        QElapsedTimer t;
        t.start();
        decodeImageFile(photo);
        return ms(t);
    });
    const double small = median(3, [&] {
        QElapsedTimer t;
        t.start();
        decodeImageFile(photo, QSize(167, 140));
        return ms(t);
    });
    const double preview = median(5, [&] {
        QSignalSpy done(&window.previewLoader(), &PreviewLoader::loaded);
        QElapsedTimer t;
        t.start();
        window.showPreview(photo, 0);
        const double onUiThread = ms(t);
        done.wait(10000);
        return onUiThread;
    });
    std::printf("24 MP JPEG: full decode on the UI thread %.1f ms, at preview size %.1f ms; "
                "showPreview holds the UI thread %.3f ms (%.0fx less than the full decode)\n",
                full, small, preview, full / preview);

    // 10,000 pictures in one folder: the window lists them and decodes none of them.
    const QString many = dir.filePath(QStringLiteral("many"));
    QDir().mkpath(many);
    for (int i = 0; i < 10000; ++i) {
        QFile f(QStringLiteral("%1/IMG_%2.jpg").arg(many).arg(i, 5, 10, QLatin1Char('0')));
        f.open(QIODevice::WriteOnly);
    }
    const double bare = median(3, [&] {
        QElapsedTimer t;
        t.start();
        QDir(many).entryList(QDir::Files);
        return ms(t);
    });
    const double listed = median(3, [&] {
        QElapsedTimer t;
        t.start();
        window.showFolder(dir.path());
        window.showFolder(many);
        return ms(t);
    });
    auto* sources = window.findChild<QListWidget*>(QStringLiteral("sourceList"));
    std::printf("10,000 pictures: listed in %.1f ms (%d items) against a bare directory read of %.1f ms "
                "(%.1fx)\n",
                listed, sources ? sources->count() : -1, bare, listed / bare);
    return 0;
}
