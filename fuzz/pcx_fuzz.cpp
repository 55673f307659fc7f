// The PCX decoder, on its own and as Qt's image readers reach it through the plugin.

#include "FuzzSupport.h"
#include "PcxDecoder.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes = Fuzz::bytes(data, size);
    QImage direct;
    QString error;
    const bool decoded = Pcx::decode(bytes, &direct, &error);
    FUZZ_CHECK(decoded ? !direct.isNull() : !error.isEmpty());
    if (decoded) {
        const std::optional<Pcx::Header> header = Pcx::parseHeader(bytes);
        FUZZ_CHECK(header && direct.size() == QSize(header->width, header->height));
    }

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "pcx");
    reader.setAutoDetectImageFormat(false); // the plugin's answer, not another format's
    const QImage throughPlugin = reader.read();
    FUZZ_CHECK(throughPlugin.isNull() != decoded);
    FUZZ_CHECK(throughPlugin.size() == direct.size());
    return 0;
}
