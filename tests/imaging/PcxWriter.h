#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>

#include <vector>

// Writes PCX files byte by byte for the tests, independently of the decoder: a picture is given as
// one value per pixel (a palette index, or 0xAARRGGBB for 3 and 4 planes).
struct PcxPicture {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 8;
    int planes = 1;
    std::vector<quint32> pixels;
    QList<QRgb> palette; // 16 entries go to the header; 256 to the trailer
    bool compressed = true;
    bool runsAcrossLines = false; // one RLE stream for the whole picture instead of one per line
    int extraBytesPerLine = 0;    // padding beyond what the width needs
};

inline QByteArray pcxScanLine(const PcxPicture& p, int y) {
    const int bpl = (p.width * p.bitsPerPixel + 7) / 8 + p.extraBytesPerLine;
    QByteArray line(bpl * p.planes, '\0');
    for (int x = 0; x < p.width; ++x) {
        const quint32 v = p.pixels[size_t(y) * p.width + x];
        if (p.planes == 1) {
            const int perByte = 8 / p.bitsPerPixel;
            const int shift = 8 - p.bitsPerPixel * (x % perByte + 1);
            line[x / perByte] = char(uchar(line[x / perByte]) | (v << shift));
        } else if (p.bitsPerPixel == 1) {
            for (int plane = 0; plane < p.planes; ++plane)
                if (v & (1u << plane))
                    line[plane * bpl + x / 8] = char(uchar(line[plane * bpl + x / 8]) | (0x80 >> (x % 8)));
        } else {
            line[x] = char(qRed(v));
            line[bpl + x] = char(qGreen(v));
            line[2 * bpl + x] = char(qBlue(v));
            if (p.planes == 4)
                line[3 * bpl + x] = char(qAlpha(v));
        }
    }
    return line;
}

inline QByteArray pcxEncode(const QByteArray& raw) {
    QByteArray out;
    for (qsizetype i = 0; i < raw.size();) {
        const char c = raw[i];
        qsizetype run = 1;
        while (i + run < raw.size() && raw[i + run] == c && run < 63)
            ++run;
        if (run > 1 || (uchar(c) & 0xC0) == 0xC0) {
            out.append(char(0xC0 | run));
            out.append(c);
        } else {
            out.append(c);
        }
        i += run;
    }
    return out;
}

inline QByteArray writePcx(const PcxPicture& p) {
    QByteArray header(128, '\0');
    auto put16 = [&](int at, int v) {
        header[at] = char(v & 0xFF);
        header[at + 1] = char((v >> 8) & 0xFF);
    };
    header[0] = 0x0A;
    header[1] = 5;
    header[2] = p.compressed ? 1 : 0;
    header[3] = char(p.bitsPerPixel);
    put16(4, 0);
    put16(6, 0);
    put16(8, p.width - 1);
    put16(10, p.height - 1);
    put16(12, 72);
    put16(14, 72);
    for (int i = 0; i < 16 && i < p.palette.size(); ++i) {
        header[16 + 3 * i] = char(qRed(p.palette[i]));
        header[17 + 3 * i] = char(qGreen(p.palette[i]));
        header[18 + 3 * i] = char(qBlue(p.palette[i]));
    }
    header[65] = char(p.planes);
    put16(66, (p.width * p.bitsPerPixel + 7) / 8 + p.extraBytesPerLine);
    put16(68, 1);

    QByteArray body;
    QByteArray whole;
    for (int y = 0; y < p.height; ++y) {
        const QByteArray line = pcxScanLine(p, y);
        if (!p.compressed)
            body += line;
        else if (p.runsAcrossLines)
            whole += line;
        else
            body += pcxEncode(line);
    }
    if (p.runsAcrossLines)
        body = pcxEncode(whole);
    QByteArray file = header + body;
    if (p.bitsPerPixel == 8 && p.planes == 1) {
        file.append(char(0x0C));
        for (int i = 0; i < 256; ++i) {
            const QRgb c = i < p.palette.size() ? p.palette[i] : qRgb(0, 0, 0);
            file.append(char(qRed(c)));
            file.append(char(qGreen(c)));
            file.append(char(qBlue(c)));
        }
    }
    return file;
}
