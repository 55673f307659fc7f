#pragma once

#include "Picture.h"

#include <QColor>
#include <QSize>
#include <QString>
#include <QWidget>

class ImageCache;
class UserMessages;

// A widget that shows one picture: loadFile() decodes a file into its picture before it returns,
// and the widget paints that picture stretched, stretched keeping proportions, centred or at its
// natural size from the top-left corner.
class PictureWidget : public QWidget {
    Q_OBJECT
public:
    explicit PictureWidget(UserMessages& messages, QWidget* parent = nullptr);

    // The file last loaded (also when it could not be decoded).
    QString fileName() const { return fileName_; }
    // Decodes path into the picture; false when no picture came of it (a missing file included).
    // A failed decode is reported through UserMessages (the decoder's reason in an error box, then
    // the "Reading ... failed" notice), except for metafiles and icons, whose failure is for the
    // caller to report: their reason comes back in error and nothing is shown.
    bool loadFile(const QString& path, QString* error = nullptr);

    const Picture& picture() const { return picture_; }
    void setPicture(const Picture& picture);
    // An image assigned as the picture, shown from the top-left corner.
    void setImage(const QImage& bitmap);
    void clearPicture();
    // The picture at its natural size with its top-left corner at offset, over the widget's colour
    // everywhere else, whatever the widget's size and paint modes. Only the part a paint asks for
    // is drawn, so a picture larger than the window scrolls without a frame of its whole size ever
    // being made. Any picture or image set afterwards ends this.
    void setPlacedPicture(const Picture& picture, const QPoint& offset);
    bool isPlaced() const { return placed_; }

    bool stretch() const { return stretch_; }
    void setStretch(bool on);
    bool stretchRatio() const { return stretchRatio_; }
    void setStretchRatio(bool on);
    bool center() const { return center_; }
    void setCenter(bool on);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on);

    // The area the following pictures will be fitted into (an empty size: they are drawn at their
    // natural size), so that rasters are decoded at the size they will be drawn at.
    void setDecodeSize(const QSize& size) { decodeSize_ = size; }
    QSize decodeSize() const { return decodeSize_; }

    // Where prefetched decodes are taken from; null decodes every file when it is named.
    void setCache(ImageCache* cache) { cache_ = cache; }
    ImageCache* cache() const { return cache_; }

    QColor color() const { return color_; }
    void setColor(const QColor& color);

    // Writes the picture as a 24-bit BMP at its natural size. On failure shows "Writing bmp file
    // failed" and returns false.
    bool saveBmp(const QString& path);

    // Where the picture lands in the client area under the current paint modes.
    QRectF pictureRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void pictureChanged();

    UserMessages& messages_;
    QString fileName_;
    Picture picture_;
    bool stretch_ = false;
    bool stretchRatio_ = false;
    bool center_ = false;
    bool autoSize_ = false;
    bool placed_ = false;
    QPoint placedOffset_;
    QSize decodeSize_;
    ImageCache* cache_ = nullptr;
    QColor color_;
};
