// The sound inspector and opener: a file of any content judged as MIDI (also RIFF-wrapped) or as
// anything libsndfile reads, and a sampled sound opened and pulled as the mixer pulls it.

#include "FuzzSupport.h"
#include "audio/SoundFile.h"
#include "audio/SoundSource.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // No extension: the kind is judged by content alone.
    const QString path = Fuzz::writeFile(QStringLiteral("sound"), Fuzz::bytes(data, size));
    const SoundInfo inspected = SoundFile::inspect(path);
    FUZZ_CHECK(inspected.ok() == (inspected.kind != SoundInfo::Kind::Unknown && inspected.error.isEmpty()));
    // A MIDI file that lasts no time at all is refused; a sampled one of a few frames is not.
    if (inspected.ok())
        FUZZ_CHECK(inspected.kind == SoundInfo::Kind::Midi ? inspected.lengthMs > 0
                                                           : inspected.lengthMs >= 0);

    // MIDI would need the soundfont loaded for every input; without one it must fail cleanly.
    SoundInfo opened;
    const std::unique_ptr<SoundSource> source = SoundFile::open(path, 44100, QString(), opened);
    FUZZ_CHECK(opened.kind == inspected.kind);
    if (!source) {
        FUZZ_CHECK(!opened.ok());
        return 0;
    }
    FUZZ_CHECK(opened.kind == SoundInfo::Kind::Sampled);
    // A few blocks, as the mixer asks for them.
    std::vector<float> out(2 * 1024);
    for (int i = 0; i < 8; ++i) {
        const int got = source->render(out.data(), 1024);
        FUZZ_CHECK(got >= -1 && got <= 1024);
        if (got < 1024)
            break;
    }
    return 0;
}
