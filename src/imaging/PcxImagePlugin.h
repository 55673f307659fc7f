#pragma once

#include <QImageIOHandler>
#include <QImageIOPlugin>

// Makes our PCX reader available to QImageReader under the format name "pcx". Debian's Qt 6 has no
// PCX plugin, so this one is compiled into the imaging library and registered as a static plugin.
class PcxImageHandler : public QImageIOHandler {
public:
    bool canRead() const override;
    bool read(QImage* image) override;
    bool supportsOption(ImageOption option) const override;
    QVariant option(ImageOption option) const override;

    static bool canRead(QIODevice* device);

    // QImageReader only knows that a read failed; the reason our decoder gave is kept here, per
    // thread, for the message the user sees.
    static QString lastError();
    static void clearLastError();
};

class PcxImagePlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "pcx.json")
public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
    QImageIOHandler* create(QIODevice* device, const QByteArray& format = QByteArray()) const override;
};
