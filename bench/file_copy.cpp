// Copies one big file from the root file system to /dev/shm (another file system) with the music
// library's copy and with cp, in the same run, and prints the median times, their ratio, and how
// far our copy raised the process's peak resident memory (it streams, so it should stay flat).
//
//   build/bin/file_copy [--mb N] [--rounds R]
//
// The rounds alternate between the two; the page cache holds the source for both, so the figures
// compare the copying, not the disk.

#include "BenchStats.h"
#include "SystemFileOperations.h"
#include "UserMessages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace {

class AnswerYes : public UserMessages {
public:
    MessageAnswer ask(MessageKind, MessageButtons, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return MessageAnswer::Yes;
    }
};

long statusKb(const char* field) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Lets VmHWM start again from the current resident size, so that it shows one copy's peak.
bool resetPeak() {
    QFile clear("/proc/self/clear_refs");
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

dev_t deviceOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_dev;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int mb = 200;
    int rounds = 5;
    const QStringList a = app.arguments();
    for (int i = 1; i + 1 < a.size(); i += 2) {
        if (a[i] == "--mb")
            mb = a[i + 1].toInt();
        else if (a[i] == "--rounds")
            rounds = a[i + 1].toInt();
    }

    QDir().mkpath(QDir::homePath() + "/.cache");
    QTemporaryDir from(QDir::homePath() + "/.cache/file-copy-bench-XXXXXX");
    QTemporaryDir to("/dev/shm/file-copy-bench-XXXXXX");
    if (!from.isValid() || !to.isValid()) {
        std::fprintf(stderr, "file_copy: cannot make the scratch folders\n");
        return 1;
    }
    if (deviceOf(from.path()) == deviceOf(to.path()))
        std::fprintf(stderr, "file_copy: warning: %s and /dev/shm are one file system here\n",
                     qPrintable(from.path()));
    const QString source = from.path() + "/album.flac";
    {
        QFile out(source);
        out.open(QIODevice::WriteOnly);
        QByteArray block(1024 * 1024, '\0');
        for (int m = 0; m < mb; ++m) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
            out.write(block);
        }
    }
    const QString ours = to.path() + "/ours.flac";
    const QString theirs = to.path() + "/cp.flac";

    AnswerYes messages;
    SystemFileOperations ops(messages);
    std::vector<double> oursSeconds, cpSeconds;
    std::vector<long> peakGrowthKb;
    const bool peakResets = resetPeak();
    for (int r = 0; r < rounds; ++r) {
        QFile::remove(ours);
        QFile::remove(theirs);

        if (peakResets)
            resetPeak();
        const long rssBefore = peakResets ? statusKb("VmRSS:") : statusKb("VmHWM:");
        QElapsedTimer timer;
        timer.start();
        const auto outcomes = ops.copy({source}, {ours});
        oursSeconds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        peakGrowthKb.push_back(statusKb("VmHWM:") - rssBefore);
        if (outcomes != QList<ShellFileOperations::Outcome>{ShellFileOperations::Outcome::Done}) {
            std::fprintf(stderr, "file_copy: our copy failed\n");
            return 1;
        }

        timer.start();
        const int status = QProcess::execute("cp", {source, theirs});
        cpSeconds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (status != 0 || QFileInfo(theirs).size() != QFileInfo(ours).size()) {
            std::fprintf(stderr, "file_copy: cp failed (%d)\n", status);
            return 1;
        }
    }

    const double oursMedian = median(oursSeconds), cpMedian = median(cpSeconds);
    std::printf("%d MB from %s to %s, median of %d rounds\n", mb, qPrintable(from.path()),
                qPrintable(to.path()), rounds);
    std::printf("ours %.3f s (%.0f MB/s)  cp %.3f s (%.0f MB/s)  time ratio ours/cp %.2f\n", oursMedian,
                mb / oursMedian, cpMedian, mb / cpMedian, oursMedian / cpMedian);
    // The first round also pays for the progress dialog's first construction (style, fonts).
    QStringList growth;
    for (long kb : peakGrowthKb)
        growth << QString::number(kb);
    std::printf("peak resident memory growth during our copy, KB per round: %s (%s)\n",
                qPrintable(growth.join(' ')),
                peakResets ? "VmHWM reset before each copy" : "VmHWM over the whole run");
    return 0;
}
