#include "PictureWidget.h"

#include "ImageCache.h"
#include "ImageDecoder.h"
#include "UserMessages.h"

#include <QImageWriter>
#include <QPaintEvent>
#include <QPainter>
#include <QSaveFile>

PictureWidget::PictureWidget(UserMessages& messages, QWidget* parent)
    : QWidget(parent), messages_(messages), color_(palette().color(QPalette::Window)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool PictureWidget::loadFile(const QString& path, QString* error) {
    fileName_ = path;
    picture_ = Picture();
    placed_ = false;
    const DecodeResult result = cache_ ? cache_->take(path, decodeSize_) : decodeImageFile(path, decodeSize_);
    if (result.reportedByCaller) {
        if (error)
            *error = result.errorText;
    } else {
        if (!result.errorText.isEmpty())
            messages_.error(result.errorText);
        if (!result.failedMessage.isEmpty())
            messages_.information(result.failedMessage);
    }
    if (!result.failed())
        picture_ = result.picture;
    pictureChanged();
    return !picture_.isEmpty();
}

void PictureWidget::setPicture(const Picture& picture) {
    picture_ = picture;
    placed_ = false;
    pictureChanged();
}

void PictureWidget::setPlacedPicture(const Picture& picture, const QPoint& offset) {
    picture_ = picture;
    placed_ = true;
    placedOffset_ = offset;
    update();
}

void PictureWidget::setImage(const QImage& bitmap) {
    setPicture(Picture::fromImage(bitmap));
}

void PictureWidget::clearPicture() {
    setPicture(Picture());
}

void PictureWidget::setStretch(bool on) {
    stretch_ = on;
    if (on)
        stretchRatio_ = false;
    update();
}

void PictureWidget::setStretchRatio(bool on) {
    stretchRatio_ = on;
    if (on)
        stretch_ = false;
    update();
}

void PictureWidget::setCenter(bool on) {
    center_ = on;
    update();
}

void PictureWidget::setAutoSize(bool on) {
    autoSize_ = on;
    if (on && !picture_.isEmpty())
        resize(picture_.size());
    update();
}

void PictureWidget::setColor(const QColor& color) {
    color_ = color;
    update();
}

void PictureWidget::pictureChanged() {
    if (autoSize_ && !picture_.isEmpty())
        resize(picture_.size());
    updateGeometry();
    update();
}

QSize PictureWidget::sizeHint() const {
    return picture_.isEmpty() ? QWidget::sizeHint() : picture_.size();
}

QRectF PictureWidget::pictureRect() const {
    if (picture_.isEmpty())
        return QRectF();
    if (placed_)
        return QRectF(placedOffset_, QSizeF(picture_.size()));
    const QSizeF area(size());
    QSizeF drawn(picture_.size());
    if (stretch_)
        drawn = area;
    else if (stretchRatio_)
        drawn = drawn.scaled(area, Qt::KeepAspectRatio);
    QPointF topLeft(0, 0);
    if (center_ && !stretch_)
        topLeft = QPointF((area.width() - drawn.width()) / 2, (area.height() - drawn.height()) / 2);
    return QRectF(topLeft, drawn);
}

void PictureWidget::paintEvent(QPaintEvent* event) {
    // What the paint asks for is all that is drawn: the widget may be far larger than the window.
    QPainter painter(this);
    painter.fillRect(event->rect(), color_);
    if (!picture_.isEmpty())
        picture_.draw(painter, pictureRect());
}

bool PictureWidget::saveBmp(const QString& path) {
    bool ok = !picture_.isEmpty();
    if (ok) {
        // BMP has no transparency: whatever is transparent is written over white.
        QImage out(picture_.size(), QImage::Format_RGB888);
        ok = !out.isNull();
        if (ok) {
            out.fill(Qt::white);
            QPainter painter(&out);
            picture_.draw(painter, QRectF(out.rect()));
            painter.end();
            QSaveFile file(path);
            QImageWriter writer(&file, "bmp");
            ok = file.open(QIODevice::WriteOnly) && writer.write(out) && file.commit();
        }
    }
    if (!ok)
        messages_.information(QStringLiteral("Writing bmp file failed"));
    return ok;
}
