// The metafile decoder: the record walk, libwmf's player behind our recorder, and the recorded
// drawing played back onto a picture.

#include "FuzzSupport.h"
#include "WmfDecoder.h"

#include <QImage>
#include <QPainter>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Wmf::Result result = Wmf::decode(Fuzz::bytes(data, size));
    if (!result.drawing) {
        FUZZ_CHECK(!result.error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(!result.naturalSize.isEmpty());
    FUZZ_CHECK(result.naturalSize.width() <= 16384 && result.naturalSize.height() <= 16384);
    // Drawn small, as a preview is, and slightly larger; enough to run every recorded step.
    for (const QSize area : {QSize(32, 24), QSize(160, 120)}) {
        QImage canvas(area, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        result.drawing->play(painter, QRectF(QPointF(0, 0), QSizeF(area)));
    }
    return 0;
}
