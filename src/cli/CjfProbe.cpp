// orvanne-cjf probe: what the program's players make of sound files, one JSON line per file.

#include "CjfCommands.h"
#include "audio/SoundFile.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

namespace {

// A JSON string literal for text, escaped as JSON requires.
QByteArray quoted(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

namespace CjfCommands {

int probe(const QStringList& args) {
    QCommandLineParser parser;
    if (const auto done =
            parse(parser, QStringLiteral("probe"), args,
                  "usage: orvanne-cjf probe FILE...\n"
                  "\n"
                  "For each sound file, prints one JSON line: {\"file\", \"type\", \"length_ms\"} when\n"
                  "the program can play it, {\"file\", \"error\"} when it cannot. The kind is judged by\n"
                  "content (MIDI, also RIFF-wrapped, or anything libsndfile reads); MIDI files are\n"
                  "fully validated and timed through their tempo map.\n"
                  "Exit status: 0 all files playable, 1 at least one is not, 2 no files given.\n"))
        return *done;
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return usageError(QStringLiteral("probe: name at least one sound file (try --help)"));
    bool allOk = true;
    for (const QString& file : files) {
        const SoundInfo info = SoundFile::inspect(file);
        // Written by hand so the keys keep the order a reader expects: file first.
        QByteArray out = "{\"file\":" + quoted(file);
        if (info.ok()) {
            out += ",\"type\":" + quoted(info.type) + ",\"length_ms\":" + QByteArray::number(info.lengthMs);
        } else {
            out += ",\"error\":" + quoted(info.error);
            allOk = false;
        }
        out += "}\n";
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    }
    std::fflush(stdout);
    return allOk ? 0 : 1;
}

} // namespace CjfCommands
