// orvanne-cjf probe: what the program's players make of sound files, one JSON line per file.

#include "CjfCommands.h"
#include "audio/SoundFile.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace CjfCommands {

int probe(const QStringList& args) {
    if (wantsHelp(args)) {
        std::fputs("usage: orvanne-cjf probe FILE...\n"
                   "\n"
                   "For each sound file, prints one JSON line: {\"file\", \"type\", \"length_ms\"} when\n"
                   "the program can play it, {\"file\", \"error\"} when it cannot. The kind is judged by\n"
                   "content (MIDI, also RIFF-wrapped, or anything libsndfile reads); MIDI files are\n"
                   "fully validated and timed through their tempo map.\n"
                   "Exit status: 0 all files playable, 1 at least one is not, 2 no files given.\n",
                   stdout);
        return 0;
    }
    if (args.isEmpty())
        return usageError(QStringLiteral("probe: name at least one sound file (try --help)"));
    bool allOk = true;
    for (const QString& file : args) {
        const SoundInfo info = SoundFile::inspect(file);
        QJsonObject line{{QStringLiteral("file"), file}};
        if (info.ok()) {
            line[QStringLiteral("type")] = info.type;
            line[QStringLiteral("length_ms")] = double(info.lengthMs);
        } else {
            line[QStringLiteral("error")] = info.error;
            allOk = false;
        }
        const QByteArray out = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    }
    std::fflush(stdout);
    return allOk ? 0 : 1;
}

} // namespace CjfCommands
