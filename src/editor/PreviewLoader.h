#pragma once

// Decodes the picture the editor's preview asks for on a worker thread and hands the result
// back on the user-interface thread, so that a large photograph never holds the window up.
// Every request supersedes the one before: only the newest result is delivered.

#include "ImageDecoder.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <functional>

class PreviewLoader : public QObject {
    Q_OBJECT
public:
    using DecodeFunction = std::function<DecodeResult(const QString& path, const QSize& fitArea)>;

    // decode: how a file is decoded (decodeImageFile unless a test gives its own).
    explicit PreviewLoader(DecodeFunction decode = {}, QObject* parent = nullptr);
    ~PreviewLoader() override; // waits for a decode under way

    // Starts decoding path for a box of fitArea pixels; the result of any earlier request will
    // not be delivered.
    void load(const QString& path, const QSize& fitArea);
    void setDecodeFunction(DecodeFunction decode) { decode_ = std::move(decode); }
    // Drops the request under way: its result will not be delivered.
    void cancel();
    bool isBusy() const { return pending_; }

signals:
    void loaded(const QString& path, const DecodeResult& result);

private:
    void deliver(quint64 request, const QString& path, const DecodeResult& result);

    DecodeFunction decode_;
    QThreadPool pool_;
    quint64 request_ = 0;
    bool pending_ = false;
};
