// The MIDI reader: every chunk and event bounds-checked, the length worked out through the tempo
// map, and type 2 files rewritten for the synthesizer.

#include "FuzzSupport.h"
#include "audio/MidiFile.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MidiFile midi;
    QString error;
    if (!midi.parse(Fuzz::bytes(data, size), &error)) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(midi.lengthMicroseconds() >= 0);
    FUZZ_CHECK(midi.lengthMicroseconds() <= double(MidiFile::kMaxLengthMicroseconds));
    // What the synthesizer is handed is itself a MIDI file this reader accepts, as long as the
    // original (a type 2 rewrite adds the status bytes that running status left out).
    const QByteArray playable = midi.playable();
    if (playable.size() <= MidiFile::kMaxFileBytes) {
        MidiFile again;
        FUZZ_CHECK(again.parse(playable, &error));
        FUZZ_CHECK(again.format() == (midi.format() == 2 ? 0 : midi.format()));
        // The rewrite rounds each track's end to a microsecond.
        const double slack = 1.0 + midi.trackCount();
        FUZZ_CHECK(std::abs(again.lengthMicroseconds() - midi.lengthMicroseconds()) <= slack);
    }
    return 0;
}
