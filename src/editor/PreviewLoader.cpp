#include "PreviewLoader.h"

#include <QMetaObject>

PreviewLoader::PreviewLoader(DecodeFunction decode, QObject* parent)
    : QObject(parent), decode_(decode ? std::move(decode) : DecodeFunction(&decodeImageFile)) {
    // One decode at a time: a newer request waits for the worker rather than racing it, and the
    // other core stays with the user-interface thread.
    pool_.setMaxThreadCount(1);
}

PreviewLoader::~PreviewLoader() {
    pool_.clear();
    pool_.waitForDone();
}

void PreviewLoader::load(const QString& path, const QSize& fitArea) {
    const quint64 request = ++request_;
    pending_ = true;
    // Requests still queued behind the one being decoded are of no interest any more.
    pool_.clear();
    pool_.start([this, request, path, fitArea, decode = decode_] {
        const DecodeResult result = decode(path, fitArea);
        QMetaObject::invokeMethod(
            this, [this, request, path, result] { deliver(request, path, result); }, Qt::QueuedConnection);
    });
}

void PreviewLoader::cancel() {
    ++request_;
    pending_ = false;
    pool_.clear();
}

void PreviewLoader::deliver(quint64 request, const QString& path, const DecodeResult& result) {
    if (request != request_)
        return;
    pending_ = false;
    emit loaded(path, result);
}
