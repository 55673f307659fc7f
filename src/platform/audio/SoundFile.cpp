#include "SoundFile.h"

#include "MidiFile.h"
#include "MidiSource.h"
#include "WavSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <sndfile.h>

namespace {

// Sample rates and channel counts beyond these come from a damaged or lying header.
constexpr int kMaxSampleRate = 768000;
constexpr int kMaxChannels = 64;

QString sampledType(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
        return QStringLiteral("wav");
    case SF_FORMAT_AIFF:
        return QStringLiteral("aiff");
    case SF_FORMAT_FLAC:
        return QStringLiteral("flac");
    case SF_FORMAT_OGG:
        return QStringLiteral("ogg");
    case SF_FORMAT_AU:
        return QStringLiteral("au");
    case SF_FORMAT_W64:
        return QStringLiteral("w64");
    case SF_FORMAT_RF64:
        return QStringLiteral("rf64");
    default:
        break;
    }
    SF_FORMAT_INFO fi{};
    fi.format = format & SF_FORMAT_TYPEMASK;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &fi, sizeof fi) == 0 && fi.extension)
        return QString::fromLatin1(fi.extension);
    return QStringLiteral("audio");
}

// Looks at path and, for MIDI, parses all of it into midi. Opens sampled files into *sampled
// when asked (the caller owns the handle).
SoundInfo examine(const QString& path, MidiFile& midi, SNDFILE** sampled, SF_INFO* sampledInfo) {
    SoundInfo info;
    const QFileInfo fi(path);
    if (path.trimmed().isEmpty()) {
        info.error = QStringLiteral("no file is named");
        return info;
    }
    if (!fi.exists()) {
        info.error = QStringLiteral("the file does not exist");
        return info;
    }
    if (!fi.isFile()) {
        info.error = QStringLiteral("it is not a file");
        return info;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        info.error = QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
        return info;
    }
    if (file.size() == 0) {
        info.error = QStringLiteral("the file is empty");
        return info;
    }
    const QByteArray head = file.peek(12);
    if (MidiFile::looksLikeMidi(head)) {
        info.kind = SoundInfo::Kind::Midi;
        info.type = QStringLiteral("midi");
        if (file.size() > MidiFile::kMaxFileBytes) {
            info.error = QStringLiteral("the file is too large to be a MIDI file");
            return info;
        }
        const QByteArray bytes = file.readAll();
        if (bytes.size() != file.size()) {
            info.error = QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
            return info;
        }
        if (!midi.parse(bytes, &info.error))
            return info;
        info.lengthMs = midi.lengthMilliseconds();
        // A sound that ends as it starts would finish, and start the next track, as fast as the
        // output asks for samples.
        if (midi.lengthMilliseconds() <= 0)
            info.error = QStringLiteral("the file holds no sound (it lasts 0 ms)");
        return info;
    }
    file.close();

    SF_INFO sf{};
    SNDFILE* handle = sf_open(QFile::encodeName(path).constData(), SFM_READ, &sf);
    if (!handle) {
        info.error = QStringLiteral("it is not a sound file this program can play (%1)")
                         .arg(QString::fromLocal8Bit(sf_strerror(nullptr)).trimmed());
        return info;
    }
    info.kind = SoundInfo::Kind::Sampled;
    info.type = sampledType(sf.format);
    if (sf.samplerate <= 0 || sf.samplerate > kMaxSampleRate || sf.channels <= 0 ||
        sf.channels > kMaxChannels || sf.frames < 0) {
        info.error = QStringLiteral("the sound file's header is damaged (%1 channels at %2 Hz)")
                         .arg(sf.channels)
                         .arg(sf.samplerate);
        sf_close(handle);
        return info;
    }
    info.lengthMs = std::llround(double(sf.frames) * 1000.0 / sf.samplerate);
    if (sf.frames == 0) {
        info.error = QStringLiteral("the file holds no sound (it lasts 0 ms)");
        sf_close(handle);
        return info;
    }
    if (sampled) {
        *sampled = handle;
        *sampledInfo = sf;
    } else {
        sf_close(handle);
    }
    return info;
}

} // namespace

namespace SoundFile {

SoundInfo inspect(const QString& path) {
    MidiFile midi;
    return examine(path, midi, nullptr, nullptr);
}

std::unique_ptr<SoundSource> open(const QString& path, int sampleRate, const QString& soundFont,
                                  SoundInfo& info) {
    MidiFile midi;
    SNDFILE* handle = nullptr;
    SF_INFO sf{};
    info = examine(path, midi, &handle, &sf);
    if (!info.ok())
        return nullptr;
    if (info.kind == SoundInfo::Kind::Sampled)
        return std::make_unique<WavSource>(handle, sf, sampleRate);
    if (soundFont.isEmpty() || !QFileInfo::exists(soundFont)) {
        info.error = missingSoundFontText();
        return nullptr;
    }
    auto source =
        MidiSource::create(midi.playable(), midi.lengthMicroseconds(), sampleRate, soundFont, &info.error);
    return source;
}

QString findSoundFont(const QStringList& places) {
    for (const QString& place : places) {
        const QFileInfo fi(place);
        if (fi.isFile())
            return fi.absoluteFilePath();
        if (fi.isDir()) {
            const QFileInfoList fonts = QDir(place).entryInfoList({QStringLiteral("*.sf2")},
                                                                  QDir::Files | QDir::Readable, QDir::Name);
            if (!fonts.isEmpty())
                return fonts.first().absoluteFilePath();
        }
    }
    return {};
}

QStringList defaultSoundFontPlaces() {
    return {QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2"), QStringLiteral("/usr/share/sounds/sf2"),
            QStringLiteral("/usr/share/soundfonts")};
}

QString missingSoundFontText() {
    return QStringLiteral("no General MIDI soundfont is installed, so MIDI files cannot be played; "
                          "install one with 'apt install timgm6mb-soundfont'");
}

} // namespace SoundFile
