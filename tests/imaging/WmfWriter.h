#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QString>

#include <initializer_list>

// Builds metafiles record by record for the tests. Parameters are 16-bit words in file order.
class WmfWriter {
public:
    void placeable(qint16 left, qint16 top, qint16 right, qint16 bottom, quint16 unitsPerInch) {
        placeable_ = QByteArray();
        auto w16 = [&](quint16 v) {
            placeable_.append(char(v & 0xFF));
            placeable_.append(char(v >> 8));
        };
        w16(0xCDD7);
        w16(0x9AC6);
        w16(0);
        w16(quint16(left));
        w16(quint16(top));
        w16(quint16(right));
        w16(quint16(bottom));
        w16(unitsPerInch);
        w16(0);
        w16(0);
        quint16 sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= quint16(uchar(placeable_[2 * i]) | (uchar(placeable_[2 * i + 1]) << 8));
        w16(sum);
    }

    void record(quint16 function, const QList<quint16>& params) {
        const quint32 size = 3 + quint32(params.size());
        append32(records_, size);
        append16(records_, function);
        for (quint16 p : params)
            append16(records_, p);
        maxRecord_ = std::max(maxRecord_, size);
        if (function == 0x02FA || function == 0x02FB || function == 0x02FC)
            ++objects_;
    }
    // A record whose size field says something other than what follows it.
    void rawRecord(quint32 claimedSize, quint16 function, const QList<quint16>& params) {
        append32(records_, claimedSize);
        append16(records_, function);
        for (quint16 p : params)
            append16(records_, p);
    }

    void setWindowOrg(qint16 x, qint16 y) { record(0x020B, {quint16(y), quint16(x)}); }
    void setWindowExt(qint16 x, qint16 y) { record(0x020C, {quint16(y), quint16(x)}); }
    void setMapMode(quint16 mode) { record(0x0103, {mode}); }
    void setBkMode(quint16 mode) { record(0x0102, {mode}); }
    void setBkColor(QRgb c) { record(0x0201, colorWords(c)); }
    void setTextColor(QRgb c) { record(0x0209, colorWords(c)); }
    void setPolyFillMode(quint16 mode) { record(0x0106, {mode}); }
    void setTextAlign(quint16 align) { record(0x012E, {align}); }
    void saveDC() { record(0x001E, {}); }
    // A negative level counts back from the current one; a positive one names a saved level.
    void restoreDC(qint16 level) { record(0x0127, {quint16(level)}); }
    void createPen(quint16 style, qint16 width, QRgb c) {
        const QList<quint16> cw = colorWords(c);
        record(0x02FA, {style, quint16(width), 0, cw[0], cw[1]});
    }
    void createBrush(quint16 style, QRgb c, quint16 hatch = 0) {
        const QList<quint16> cw = colorWords(c);
        record(0x02FC, {style, cw[0], cw[1], hatch});
    }
    void createFont(qint16 height, const QByteArray& face, quint16 weight = 400) {
        QList<quint16> p = {quint16(height), 0, 0, 0, weight, 0, 0, 0, 0};
        QByteArray name = face;
        name.append('\0');
        if (name.size() % 2)
            name.append('\0');
        for (qsizetype i = 0; i < name.size(); i += 2)
            p.append(quint16(uchar(name[i]) | (uchar(name[i + 1]) << 8)));
        record(0x02FB, p);
    }
    void selectObject(quint16 index) { record(0x012D, {index}); }
    void deleteObject(quint16 index) { record(0x01F0, {index}); }
    void moveTo(qint16 x, qint16 y) { record(0x0214, {quint16(y), quint16(x)}); }
    void lineTo(qint16 x, qint16 y) { record(0x0213, {quint16(y), quint16(x)}); }
    void rectangle(qint16 l, qint16 t, qint16 r, qint16 b) {
        record(0x041B, {quint16(b), quint16(r), quint16(t), quint16(l)});
    }
    void roundRect(qint16 l, qint16 t, qint16 r, qint16 b, qint16 w, qint16 h) {
        record(0x061C, {quint16(h), quint16(w), quint16(b), quint16(r), quint16(t), quint16(l)});
    }
    void ellipse(qint16 l, qint16 t, qint16 r, qint16 b) {
        record(0x0418, {quint16(b), quint16(r), quint16(t), quint16(l)});
    }
    // Pie, chord and arc share one layout: bounding box, then the start and end radial points.
    void arcLike(quint16 function, qint16 l, qint16 t, qint16 r, qint16 b, qint16 xs, qint16 ys, qint16 xe,
                 qint16 ye) {
        record(function, {quint16(ye), quint16(xe), quint16(ys), quint16(xs), quint16(b), quint16(r),
                          quint16(t), quint16(l)});
    }
    void polygon(std::initializer_list<QPoint> points, quint16 function = 0x0324) {
        QList<quint16> p = {quint16(points.size())};
        for (const QPoint& pt : points)
            p << quint16(pt.x()) << quint16(pt.y());
        record(function, p);
    }
    void polyline(std::initializer_list<QPoint> points) { polygon(points, 0x0325); }
    void polyPolygon(const QList<QList<QPoint>>& polygons) {
        QList<quint16> p = {quint16(polygons.size())};
        for (const auto& poly : polygons)
            p << quint16(poly.size());
        for (const auto& poly : polygons)
            for (const QPoint& pt : poly)
                p << quint16(pt.x()) << quint16(pt.y());
        record(0x0538, p);
    }
    void textOut(qint16 x, qint16 y, const QByteArray& text) {
        QList<quint16> p = {quint16(text.size())};
        QByteArray t = text;
        if (t.size() % 2)
            t.append('\0');
        for (qsizetype i = 0; i < t.size(); i += 2)
            p.append(quint16(uchar(t[i]) | (uchar(t[i + 1]) << 8)));
        p << quint16(y) << quint16(x);
        record(0x0521, p);
    }
    // StretchDIB of a whole bitmap into the destination rectangle.
    void stretchDib(const QImage& image, qint16 x, qint16 y, qint16 w, qint16 h) {
        QList<quint16> p = {0x0020,
                            0x00CC,
                            0 /* DIB_RGB_COLORS */,
                            quint16(image.height()),
                            quint16(image.width()),
                            0,
                            0,
                            quint16(h),
                            quint16(w),
                            quint16(y),
                            quint16(x)};
        appendDib(p, image);
        record(0x0F43, p);
    }
    void dibStretchBlt(const QImage& image, qint16 x, qint16 y, qint16 w, qint16 h) {
        QList<quint16> p = {0x0020,
                            0x00CC,
                            quint16(image.height()),
                            quint16(image.width()),
                            0,
                            0,
                            quint16(h),
                            quint16(w),
                            quint16(y),
                            quint16(x)};
        appendDib(p, image);
        record(0x0B41, p);
    }

    // A brush that fills with the bitmap, repeated (a DIB pattern brush).
    void dibPatternBrush(const QImage& image) {
        QList<quint16> p = {5 /* BS_DIBPATTERN */, 0 /* DIB_RGB_COLORS */};
        appendDib(p, image);
        record(0x0142, p);
        ++objects_;
    }

    QByteArray bytes(bool withEnd = true) const {
        QByteArray body = records_;
        if (withEnd) {
            append32(body, 3);
            append16(body, 0);
        }
        QByteArray header;
        append16(header, 1);
        append16(header, 9);
        append16(header, 0x0300);
        append32(header, quint32((18 + body.size()) / 2));
        append16(header, objectsOverride_ >= 0 ? quint16(objectsOverride_) : objects_);
        append32(header, maxRecordOverride_ >= 0 ? quint32(maxRecordOverride_) : maxRecord_);
        append16(header, 0);
        return placeable_ + header + body;
    }

    int objectsOverride_ = -1;
    int maxRecordOverride_ = -1;

private:
    static void append16(QByteArray& b, quint16 v) {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    }
    static void append32(QByteArray& b, quint32 v) {
        append16(b, quint16(v & 0xFFFF));
        append16(b, quint16(v >> 16));
    }
    static QList<quint16> colorWords(QRgb c) {
        return {quint16(qRed(c) | (qGreen(c) << 8)), quint16(qBlue(c))};
    }
    static void appendDib(QList<quint16>& p, const QImage& image) {
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "bmp").write(image.convertToFormat(QImage::Format_RGB888));
        QByteArray dib = bmp.mid(14); // a DIB is a BMP file without its 14-byte file header
        if (dib.size() % 2)
            dib.append('\0');
        for (qsizetype i = 0; i < dib.size(); i += 2)
            p.append(quint16(uchar(dib[i]) | (uchar(dib[i + 1]) << 8)));
    }

    QByteArray placeable_;
    QByteArray records_;
    quint32 maxRecord_ = 3;
    quint16 objects_ = 0;
};
