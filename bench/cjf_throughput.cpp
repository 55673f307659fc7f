// Packs and unpacks about 200 MB in 40 files with orvanne-cjf and with tar, in the same run, and
// prints the time ratios and the peak resident memory of each.
//
//   build/bin/cjf_throughput [--files N] [--mb-per-file M] [--rounds R]
//
// Each command runs as a child process so that its peak memory can be read from wait4; the
// rounds alternate between the two tools and the median time of each is compared. Page cache is
// warm for both (the data was just written), so the figures compare the tools, not the disk.

#include "BenchStats.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Result {
    double seconds = 0;
    long peakKb = 0;
    int status = -1;
};

Result runChild(const QStringList& argv) {
    std::vector<QByteArray> bytes;
    for (const QString& a : argv)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> args;
    for (QByteArray& b : bytes)
        args.push_back(b.data());
    args.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    Result r;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return r;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    r.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    r.peakKb = usage.ru_maxrss;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int files = 40;
    int mbPerFile = 5;
    int rounds = 5;
    const QStringList a = app.arguments();
    for (int i = 1; i + 1 < a.size(); i += 2) {
        if (a[i] == "--files")
            files = a[i + 1].toInt();
        else if (a[i] == "--mb-per-file")
            mbPerFile = a[i + 1].toInt();
        else if (a[i] == "--rounds")
            rounds = a[i + 1].toInt();
    }
    const QString tool = QCoreApplication::applicationDirPath() + "/orvanne-cjf";
    if (!QFile::exists(tool)) {
        std::fprintf(stderr, "cjf_throughput: %s is missing; build orvanne-cjf first\n", qPrintable(tool));
        return 1;
    }

    QTemporaryDir scratch(QDir::homePath() + "/.cache/cjf-bench-XXXXXX");
    const QString src = scratch.path() + "/src";
    QDir().mkpath(src);
    QStringList names;
    QByteArray block(1024 * 1024, '\0');
    for (int f = 0; f < files; ++f) {
        const QString name = QString("picture%1.jpg").arg(f, 3, 10, QChar('0'));
        QFile out(src + "/" + name);
        out.open(QIODevice::WriteOnly);
        for (int m = 0; m < mbPerFile; ++m) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
            out.write(block);
        }
        names << name;
    }
    std::printf("data: %d files, %d MB in all, in %s\n", files, files * mbPerFile,
                qPrintable(scratch.path()));

    std::vector<double> cjfPack, tarPack, tarSyncPack, cjfUnpack, tarUnpack;
    long cjfPackKb = 0, tarPackKb = 0, cjfUnpackKb = 0, tarUnpackKb = 0;
    for (int r = 0; r < rounds; ++r) {
        QStringList create = {tool, "create", scratch.path() + "/show.cjf"};
        for (const QString& n : names)
            create << src + "/" + n;
        QStringList tarCreate = {"tar", "-cf", scratch.path() + "/show.tar", "-C", src};
        tarCreate << names;
        const Result p1 = runChild(create);
        const Result p2 = runChild(tarCreate);
        // orvanne-cjf flushes the show to disk before it renames it into place; tar does not.
        // tar followed by a flush of its archive is the like-for-like baseline.
        const Result p3 = runChild(tarCreate);
        const Result p3sync = runChild({"sync", "--data", scratch.path() + "/show.tar"});
        const QString outCjf = scratch.path() + "/out-cjf", outTar = scratch.path() + "/out-tar";
        QDir(outCjf).removeRecursively();
        QDir(outTar).removeRecursively();
        QDir().mkpath(outTar);
        const Result u1 = runChild({tool, "extract", scratch.path() + "/show.cjf", outCjf});
        const Result u2 = runChild({"tar", "-xf", scratch.path() + "/show.tar", "-C", outTar});
        if (p1.status || p2.status || u1.status || u2.status) {
            std::fprintf(stderr, "a command failed (%d %d %d %d)\n", p1.status, p2.status, u1.status,
                         u2.status);
            return 1;
        }
        cjfPack.push_back(p1.seconds);
        tarPack.push_back(p2.seconds);
        tarSyncPack.push_back(p3.seconds + p3sync.seconds);
        cjfUnpack.push_back(u1.seconds);
        tarUnpack.push_back(u2.seconds);
        cjfPackKb = std::max(cjfPackKb, p1.peakKb);
        tarPackKb = std::max(tarPackKb, p2.peakKb);
        cjfUnpackKb = std::max(cjfUnpackKb, u1.peakKb);
        tarUnpackKb = std::max(tarUnpackKb, u2.peakKb);
    }
    const double mb = files * mbPerFile;
    auto line = [&](const char* what, double ours, double tar, long oursKb, long tarKb) {
        std::printf("%-7s orvanne-cjf %.3f s (%.0f MB/s, peak %ld KB)  tar %.3f s (%.0f MB/s, peak %ld KB)  "
                    "speed ratio %.2fx\n",
                    what, ours, mb / ours, oursKb, tar, mb / tar, tarKb, tar / ours);
    };
    line("pack", median(cjfPack), median(tarPack), cjfPackKb, tarPackKb);
    line("pack*", median(cjfPack), median(tarSyncPack), cjfPackKb, tarPackKb);
    std::printf(
        "(pack* compares with tar followed by 'sync --data' of its archive, as orvanne-cjf flushes)\n");
    line("unpack", median(cjfUnpack), median(tarUnpack), cjfUnpackKb, tarUnpackKb);
    std::printf("(ratio = tar time / orvanne-cjf time, median of %d rounds; above 1 means faster than tar)\n",
                rounds);
    return 0;
}
