#include "PcxImagePlugin.h"

#include "PcxDecoder.h"

#include <QIODevice>
#include <QVariant>
#include <QtPlugin>

#include <algorithm>

// Registers the plugin with Qt's static plugin list when this object file is linked. The imaging
// library's link interface forces that (see orvanne_imaging_pcx_anchor and CMakeLists.txt), so
// every program linking orvanne_imaging can read PCX through QImageReader.
Q_IMPORT_PLUGIN(PcxImagePlugin)

extern "C" void orvanne_imaging_pcx_anchor() {}

namespace {

// Files larger than this are not PCX pictures we are prepared to read into memory.
constexpr qint64 MaxFileBytes = 512LL * 1024 * 1024;

thread_local QString lastDecodeError;

} // namespace

QString PcxImageHandler::lastError() {
    return lastDecodeError;
}

void PcxImageHandler::clearLastError() {
    lastDecodeError.clear();
}

bool PcxImageHandler::canRead(QIODevice* device) {
    if (!device)
        return false;
    return Pcx::parseHeader(device->peek(Pcx::HeaderSize)).has_value();
}

bool PcxImageHandler::canRead() const {
    if (!canRead(device()))
        return false;
    setFormat("pcx");
    return true;
}

bool PcxImageHandler::read(QImage* image) {
    QIODevice* dev = device();
    if (!dev)
        return false;
    // QIODevice::read(n) sets aside n bytes before it reads any, so it is asked for what the file
    // holds, never for the most a PCX file may be; a stream of unknown length is read piecewise.
    QByteArray data;
    if (!dev->isSequential()) {
        const qint64 left = dev->size() - dev->pos();
        if (left > MaxFileBytes) {
            lastDecodeError = QStringLiteral("The PCX file is too large");
            return false;
        }
        data = dev->read(std::max<qint64>(left, 0));
    } else {
        constexpr qint64 Piece = 1024 * 1024;
        while (data.size() <= MaxFileBytes) {
            const QByteArray piece = dev->read(Piece);
            if (piece.isEmpty())
                break;
            data += piece;
        }
        if (data.size() > MaxFileBytes) {
            lastDecodeError = QStringLiteral("The PCX file is too large");
            return false;
        }
    }
    QString error;
    if (Pcx::decode(data, image, &error))
        return true;
    lastDecodeError = error;
    return false;
}

bool PcxImageHandler::supportsOption(ImageOption option) const {
    return option == Size;
}

QVariant PcxImageHandler::option(ImageOption option) const {
    if (option != Size || !device())
        return QVariant();
    // Only the header is looked at, so asking for the size of a large picture stays cheap.
    const std::optional<Pcx::Header> header = Pcx::parseHeader(device()->peek(Pcx::HeaderSize));
    if (!header)
        return QVariant();
    return QSize(header->width, header->height);
}

QImageIOPlugin::Capabilities PcxImagePlugin::capabilities(QIODevice* device, const QByteArray& format) const {
    if (format == "pcx")
        return CanRead;
    if (!format.isEmpty() || !device || !device->isOpen())
        return {};
    return PcxImageHandler::canRead(device) ? CanRead : Capabilities();
}

QImageIOHandler* PcxImagePlugin::create(QIODevice* device, const QByteArray& format) const {
    auto* handler = new PcxImageHandler;
    handler->setDevice(device);
    handler->setFormat(format.isEmpty() ? QByteArray("pcx") : format);
    return handler;
}
