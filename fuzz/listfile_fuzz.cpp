// List files: lines ended by CR, LF or CR LF, texts in the show files' codec; written back with
// CR LF and read again, the entries must come back unchanged.

#include "FuzzSupport.h"
#include "ListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList entries = ListFile::parse(Fuzz::bytes(data, size));
    for (const QString& entry : entries)
        FUZZ_CHECK(!entry.contains(QLatin1Char('\r')) && !entry.contains(QLatin1Char('\n')));
    // Formatting chooses each entry's encoding again; whichever it takes, the entry reads back as
    // it was.
    const QStringList written = ListFile::parse(ListFile::format(entries));
    FUZZ_CHECK(written == entries);

    const QString path = Fuzz::scratch() + QStringLiteral("/List.lst");
    FUZZ_CHECK(ListFile::write(path, entries));
    QStringList read;
    FUZZ_CHECK(ListFile::read(path, read));
    FUZZ_CHECK(read == written);
    return 0;
}
