#include "WmfDecoder.h"

#include "BitmapHeader.h"
#include "TextCodec.h"
#include "WmfDrawing.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <unordered_set>
#include <vector>

#include <libwmf/api.h>
#include <libwmf/defs.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>

namespace Wmf {
namespace {

constexpr quint32 PlaceableKey = 0x9AC6CDD7u;
constexpr int PlaceableSize = 22;
constexpr int HeaderSize = 18;
// Embedded bitmaps beyond this many pixels (in one bitmap, or all together) are not decoded: a
// metafile is a drawing, and a record claiming a gigapixel bitmap is lying.
constexpr qint64 MaxBitmapPixels = 40LL * 1000 * 1000;
// The natural size a metafile may claim, in pixels on each side.
constexpr int MaxNaturalSide = 16384;

quint16 u16(const uchar* p) {
    return qFromLittleEndian<quint16>(p);
}
qint16 s16(const uchar* p) {
    return qFromLittleEndian<qint16>(p);
}
quint32 u32(const uchar* p) {
    return qFromLittleEndian<quint32>(p);
}

// ---------------------------------------------------------------------------------------------
// The record walk. libwmf trusts the header's object count and largest-record size and reads
// parameters by index; we walk every record first, reject records that run past the end or are too
// short for what the player will read from them, and rewrite the header counts from what the file
// really holds. Only then does the player see the bytes.

// The fewest parameter words each record the player interprets reads from.
int minimumParameters(quint16 function) {
    switch (function) {
    case 0x0102:
    case 0x0103:
    case 0x0104:
    case 0x0106:
    case 0x0107:
    case 0x0108:
    case 0x012E:
    case 0x012D:
    case 0x01F0:
    case 0x0234:
    case 0x0127:
    case 0x012A:
    case 0x012B:
    case 0x012C:
        return 1;
    case 0x0201:
    case 0x0209:
    case 0x020A:
    case 0x020B:
    case 0x020C:
    case 0x020D:
    case 0x020E:
    case 0x020F:
    case 0x0211:
    case 0x0213:
    case 0x0214:
    case 0x0220:
    case 0x0231:
    case 0x0228:
        return 2;
    case 0x02FC:
    case 0x0410:
    case 0x0412:
    case 0x0415:
    case 0x0416:
    case 0x0418:
    case 0x041B:
    case 0x041F:
    case 0x0429:
        return 4;
    case 0x02FA:
    case 0x0419:
    case 0x0548:
        return 5;
    case 0x061C:
    case 0x061D:
        return 6;
    case 0x0817:
    case 0x081A:
    case 0x0830:
        return 8;
    case 0x02FB:
        return 9;
    case 0x0940:
        return 8;
    case 0x0D33:
        return 9;
    case 0x0B41:
        return 10;
    case 0x0F43:
        return 11;
    case 0x0142:
        return 2;
    default:
        return 0;
    }
}

bool isObjectCreation(quint16 function) {
    switch (function) {
    case 0x02FA:
    case 0x02FB:
    case 0x02FC:
    case 0x00F7:
    case 0x01F9:
    case 0x0142:
    case 0x06FF:
        return true;
    default:
        return false;
    }
}

// Checks the parameters of records whose length depends on their content.
bool variableRecordFits(quint16 function, const uchar* par, quint32 words) {
    auto word = [&](quint32 i) { return u16(par + 2 * i); };
    switch (function) {
    case 0x0324: // polygon
    case 0x0325: // polyline
        return words >= 1 && 1 + 2 * quint64(word(0)) <= words;
    case 0x0538: { // poly-polygon: count, the point count of each polygon, then all points
        if (words < 1)
            return false;
        const quint32 polygons = word(0);
        if (1 + quint64(polygons) > words)
            return false;
        quint64 points = 0;
        for (quint32 i = 0; i < polygons; ++i)
            points += word(1 + i);
        return 1 + polygons + 2 * points <= words;
    }
    case 0x0521: // text out: length, the string, y, x
        return words >= 1 && 1 + (quint64(word(0)) + 1) / 2 + 2 <= words;
    case 0x0A32: { // extended text out: y, x, length, options, [rectangle], the string
        if (words < 4)
            return false;
        const quint64 rect = (word(3) & 0x0006) ? 4 : 0;
        return 4 + rect + (quint64(word(2)) + 1) / 2 <= words;
    }
    case 0x00F7: // palette: start, count, entries
        return words >= 2 && 2 + 2 * quint64(word(1)) <= words;
    default:
        return words >= quint32(minimumParameters(function));
    }
}

// What the record walk learnt about the picture's frame, in logical units: the placeable
// header's bounding box, or else the last window the records set up.
struct Frame {
    bool known = false;
    qint16 left = 0, top = 0, right = 0, bottom = 0;
};

// Two SetPixel records at the frame's corners, played last. The player maps them like everything
// else, so their device positions tell where the frame lies in the drawing's coordinates; the
// recorder takes them out again afterwards.
QByteArray frameProbes(const Frame& frame) {
    QByteArray probes;
    auto pixel = [&](qint16 x, qint16 y) {
        const quint16 words[] = {7, 0, 0x041F, 0, 0, quint16(y), quint16(x)};
        for (quint16 w : words) {
            probes.append(char(w & 0xFF));
            probes.append(char(w >> 8));
        }
    };
    pixel(frame.left, frame.top);
    pixel(frame.right, frame.bottom);
    return probes;
}

// ---------------------------------------------------------------------------------------------
// The drawing state a SaveDC keeps and a RestoreDC brings back. The player's SaveDC starts the new
// level from its own defaults (opaque white background, black text, top-left alignment, alternate
// filling) instead of from the state it saves, and its RestoreDC always goes back exactly one
// level, whatever the record asks. Office suites set the background mode and text alignment once
// and then wrap every shape and text in SaveDC/RestoreDC, so the player alone would draw each text
// in an opaque white box, a whole font height below its baseline. The record walk therefore keeps
// its own stack and rewrites the stream so that the player's state is always the true one: after
// each SaveDC it repeats whatever differs from the player's defaults, and each RestoreDC becomes
// as many one-level restores as it really undoes (none when it names a level that was never
// saved).

struct DrawingState {
    quint16 backgroundMode = 2;                     // OPAQUE
    quint16 backgroundColour[2] = {0xFFFF, 0x00FF}; // white, as a COLORREF's two words
    quint16 textColour[2] = {0, 0};                 // black
    quint16 textAlign = 0;                          // top left
    quint16 polyFillMode = 1;                       // ALTERNATE
};

// libwmf gives up beyond this many saved levels; so does the walk, before handing it the file.
constexpr std::size_t MaxSavedStates = 1024;

void appendRecord(QByteArray& out, quint16 function, std::initializer_list<quint16> params) {
    const auto append16 = [&](quint16 w) {
        out.append(char(w & 0xFF));
        out.append(char(w >> 8));
    };
    const quint32 words = 3 + quint32(params.size());
    append16(quint16(words & 0xFFFF));
    append16(quint16(words >> 16));
    append16(function);
    for (quint16 p : params)
        append16(p);
}

// The records that set state differing from what the player's SaveDC starts a level with.
void repeatState(QByteArray& out, const DrawingState& state) {
    const DrawingState fresh;
    if (state.backgroundMode != fresh.backgroundMode)
        appendRecord(out, 0x0102, {state.backgroundMode});
    if (state.backgroundColour[0] != fresh.backgroundColour[0] ||
        state.backgroundColour[1] != fresh.backgroundColour[1])
        appendRecord(out, 0x0201, {state.backgroundColour[0], state.backgroundColour[1]});
    if (state.textColour[0] != fresh.textColour[0] || state.textColour[1] != fresh.textColour[1])
        appendRecord(out, 0x0209, {state.textColour[0], state.textColour[1]});
    if (state.textAlign != fresh.textAlign)
        appendRecord(out, 0x012E, {state.textAlign});
    if (state.polyFillMode != fresh.polyFillMode)
        appendRecord(out, 0x0106, {state.polyFillMode});
}

// How many levels a RestoreDC with this argument goes back from depth: a negative argument counts
// back from the current level, a positive one names the level a SaveDC created (the first is 1).
// Zero when the level does not exist, which restores nothing.
std::size_t levelsRestored(qint16 argument, std::size_t depth) {
    if (argument < 0)
        return std::size_t(-qint32(argument)) <= depth ? std::size_t(-qint32(argument)) : 0;
    if (argument > 0 && std::size_t(argument) <= depth)
        return depth - std::size_t(argument) + 1;
    return 0;
}

bool sanitize(QByteArray& data, Frame* frame, QString* error) {
    const qsizetype n = data.size();
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    qsizetype offset = 0;
    if (n >= 4 && u32(bytes) == PlaceableKey) {
        if (n < PlaceableSize + HeaderSize) {
            *error = QStringLiteral("The metafile header is incomplete");
            return false;
        }
        offset = PlaceableSize;
        frame->left = s16(bytes + 6);
        frame->top = s16(bytes + 8);
        frame->right = s16(bytes + 10);
        frame->bottom = s16(bytes + 12);
        frame->known = frame->left != frame->right && frame->top != frame->bottom;
    }
    const bool placeable = offset != 0;
    qint16 windowX = 0, windowY = 0, windowW = 0, windowH = 0;
    if (n - offset < HeaderSize) {
        *error = QStringLiteral("The metafile header is incomplete");
        return false;
    }
    const uchar* header = bytes + offset;
    const quint16 type = u16(header);
    const quint16 headerWords = u16(header + 2);
    if ((type != 1 && type != 2) || headerWords != 9) {
        *error = QStringLiteral("Not a Windows metafile");
        return false;
    }
    QByteArray out;
    out.reserve(n + 64);
    out.append(data.constData(), offset + HeaderSize);
    qsizetype pos = offset + HeaderSize;
    quint32 largest = 3;
    quint32 objects = 0;
    DrawingState state;
    std::vector<DrawingState> saved;
    while (pos < n) {
        if (n - pos < 6) {
            *error = QStringLiteral("The metafile ends in the middle of a record");
            return false;
        }
        const quint32 words = u32(bytes + pos);
        const quint16 function = u16(bytes + pos + 4);
        if (words < 3 || quint64(words) * 2 > quint64(n - pos)) {
            *error = QStringLiteral("A metafile record claims a size it does not have");
            return false;
        }
        const uchar* par = bytes + pos + 6;
        if (!variableRecordFits(function, par, words - 3)) {
            *error = QStringLiteral("A metafile record is too short for its contents");
            return false;
        }
        if (function == 0)
            break; // the closing record, added back below (some writers leave it out anyway)
        largest = std::max(largest, words);
        if (isObjectCreation(function))
            ++objects;
        bool copy = true;
        switch (function) {
        case 0x020B: // window origin: y, x
            windowY = s16(par);
            windowX = s16(par + 2);
            break;
        case 0x020C: // window extent: y, x
            windowH = s16(par);
            windowW = s16(par + 2);
            break;
        case 0x0102:
            state.backgroundMode = u16(par);
            break;
        case 0x0201:
            state.backgroundColour[0] = u16(par);
            state.backgroundColour[1] = u16(par + 2);
            break;
        case 0x0209:
            state.textColour[0] = u16(par);
            state.textColour[1] = u16(par + 2);
            break;
        case 0x012E:
            state.textAlign = u16(par);
            break;
        case 0x0106:
            state.polyFillMode = u16(par);
            break;
        case 0x001E: // SaveDC
            if (saved.size() >= MaxSavedStates) {
                *error = QStringLiteral("The metafile saves its drawing state too many times");
                return false;
            }
            saved.push_back(state);
            out.append(reinterpret_cast<const char*>(bytes + pos), qsizetype(words) * 2);
            repeatState(out, state);
            copy = false;
            break;
        case 0x0127: { // RestoreDC
            const std::size_t levels = levelsRestored(s16(par), saved.size());
            if (levels > 0) {
                state = saved[saved.size() - levels];
                saved.resize(saved.size() - levels);
            }
            for (std::size_t i = 0; i < levels; ++i)
                appendRecord(out, 0x0127, {0xFFFF});
            copy = false;
            break;
        }
        default:
            break;
        }
        if (copy)
            out.append(reinterpret_cast<const char*>(bytes + pos), qsizetype(words) * 2);
        pos += qsizetype(words) * 2;
    }
    if (!placeable && windowW != 0 && windowH != 0) {
        frame->known = true;
        frame->left = windowX;
        frame->top = windowY;
        frame->right = qint16(qBound(-32768, int(windowX) + windowW, 32767));
        frame->bottom = qint16(qBound(-32768, int(windowY) + windowH, 32767));
    }
    // The frame probes, then the closing record.
    if (frame->known)
        out.append(frameProbes(*frame));
    const char closing[6] = {3, 0, 0, 0, 0, 0};
    out.append(closing, 6);
    // Rewrite the header counts from what the stream now really holds.
    auto* head = reinterpret_cast<uchar*>(out.data()) + offset;
    largest = std::max<quint32>(largest, 7);
    const quint16 claimedObjects = u16(head + 10);
    const quint16 objectCount = quint16(std::min<quint32>(65535, std::max<quint32>(claimedObjects, objects)));
    qToLittleEndian<quint32>(quint32((out.size() - offset) / 2), head + 6);
    qToLittleEndian<quint16>(objectCount, head + 10);
    qToLittleEndian<quint32>(largest, head + 12);
    data = std::move(out);
    return true;
}

// ---------------------------------------------------------------------------------------------
// The recorder behind libwmf's device-layer callbacks.

struct Recorder {
    std::vector<WmfDrawing::Step> steps;
    std::vector<QPointF> pixels;                  // where each SetPixel landed, the frame probes last
    std::vector<std::unique_ptr<QImage>> bitmaps; // owned here; libwmf only holds pointers
    qint64 bitmapPixels = 0;
    std::shared_ptr<const QPainterPath> clip;

    // The image behind a bitmap the player hands back, when it is one of ours. The player keeps
    // brushes and bitmaps in object slots that a later record can reuse for a pen or a font, and
    // the bitmap field of a reused slot holds whatever lay there: only a pointer this recorder
    // gave out is ever taken for an image.
    const QImage* image(const void* data) const {
        return data && ownBitmaps.contains(data) ? static_cast<const QImage*>(data) : nullptr;
    }
    std::unordered_set<const void*> ownBitmaps;

    // The same holds for fonts, whose face name is a pointer: each font is given a copy of its
    // name when the player makes it, and only a copy this recorder gave is read.
    std::vector<std::unique_ptr<QString>> faces;
    std::unordered_set<const void*> ownFaces;
    const QString* face(const wmfFont* font) const {
        return font && ownFaces.contains(font->user_data) ? static_cast<const QString*>(font->user_data)
                                                          : nullptr;
    }
};

Recorder* recorder(wmfAPI* api) {
    return static_cast<Recorder*>(api->device_data);
}

QColor colour(const wmfRGB& c) {
    return QColor(c.r, c.g, c.b);
}
QPointF point(const wmfD_Coord& c) {
    return QPointF(c.x, c.y);
}
QRectF rect(const wmfD_Coord& tl, const wmfD_Coord& br) {
    return QRectF(point(tl), point(br)).normalized();
}

struct Style {
    bool drawPen = false;
    Qt::PenStyle penStyle = Qt::SolidLine;
    double penWidth = 0;
    QColor penColour;
    QBrush brush;           // Qt::NoBrush when the shape is not filled
    QColor hatchBackground; // valid when a hatch is drawn over an opaque background
    Qt::FillRule fillRule = Qt::OddEvenFill;
    std::shared_ptr<const QPainterPath> clip;

    QPen pen(double scale) const {
        if (!drawPen)
            return Qt::NoPen;
        // A pen thinner than one output pixel is drawn one pixel wide, as a display would.
        QPen p(penColour, penWidth * scale < 1.0 ? 0.0 : penWidth);
        p.setStyle(penStyle);
        p.setCapStyle(Qt::RoundCap);
        p.setJoinStyle(Qt::RoundJoin);
        return p;
    }

    void apply(QPainter& painter) const {
        if (clip)
            painter.setClipPath(*clip, Qt::IntersectClip);
    }

    // Fills (background first for an opaque hatch) and outlines a shape.
    template <typename Shape> void draw(QPainter& painter, double scale, Shape shape) const {
        apply(painter);
        if (brush.style() != Qt::NoBrush) {
            painter.setPen(Qt::NoPen);
            if (hatchBackground.isValid()) {
                painter.setBrush(hatchBackground);
                shape(painter);
            }
            painter.setBrush(brush);
            shape(painter);
        }
        if (drawPen) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(pen(scale));
            shape(painter);
        }
    }
};

Qt::PenStyle penStyle(unsigned style) {
    switch (style) {
    case PS_DASH:
        return Qt::DashLine;
    case PS_DOT:
    case PS_ALTERNATE:
        return Qt::DotLine;
    case PS_DASHDOT:
        return Qt::DashDotLine;
    case PS_DASHDOTDOT:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

QBrush brushOf(wmfAPI* api, const wmfBrush* b) {
    if (!b)
        return Qt::NoBrush;
    switch (WMF_BRUSH_STYLE(b)) {
    case BS_NULL:
        return Qt::NoBrush;
    case BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        const unsigned h = WMF_BRUSH_HATCH(b);
        return QBrush(colour(b->lbColor), h < 6 ? hatches[h] : Qt::SolidPattern);
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
        if (const QImage* pattern = recorder(api)->image(b->bmp.data))
            return QBrush(*pattern);
        return QBrush(colour(b->lbColor));
    default:
        return QBrush(colour(b->lbColor));
    }
}

Style styleOf(wmfAPI* api, const wmfDC* dc, bool filled) {
    Style s;
    s.clip = recorder(api)->clip;
    if (dc->pen && WMF_PEN_STYLE(dc->pen) != PS_NULL) {
        s.drawPen = true;
        s.penStyle = penStyle(WMF_PEN_STYLE(dc->pen));
        s.penWidth = std::abs(WMF_PEN_WIDTH(dc->pen));
        s.penColour = colour(dc->pen->lopnColor);
    }
    if (filled) {
        s.brush = brushOf(api, dc->brush);
        if (dc->brush && WMF_BRUSH_STYLE(dc->brush) == BS_HATCHED && dc->bgmode == OPAQUE)
            s.hatchBackground = colour(dc->bgcolor);
    }
    s.fillRule = dc->polyfillmode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
    return s;
}

void add(wmfAPI* api, WmfDrawing::Step step) {
    recorder(api)->steps.push_back(std::move(step));
}

void drawLine(wmfAPI* api, wmfDrawLine_t* d) {
    const Style s = styleOf(api, d->dc, false);
    const QLineF line(point(d->from), point(d->to));
    add(api,
        [s, line](QPainter& p, double scale) { s.draw(p, scale, [&](QPainter& q) { q.drawLine(line); }); });
}

QPolygonF polygonOf(const wmfD_Coord* pts, unsigned count) {
    QPolygonF poly;
    poly.reserve(count);
    for (unsigned i = 0; i < count; ++i)
        poly.append(point(pts[i]));
    return poly;
}

void polyLine(wmfAPI* api, wmfPolyLine_t* d) {
    if (!d->pt || d->count < 2)
        return;
    const Style s = styleOf(api, d->dc, false);
    const QPolygonF poly = polygonOf(d->pt, d->count);
    add(api, [s, poly](QPainter& p, double scale) {
        s.draw(p, scale, [&](QPainter& q) { q.drawPolyline(poly); });
    });
}

void drawPolygon(wmfAPI* api, wmfPolyLine_t* d) {
    if (!d->pt || d->count < 2)
        return;
    const Style s = styleOf(api, d->dc, true);
    const QPolygonF poly = polygonOf(d->pt, d->count);
    add(api, [s, poly](QPainter& p, double scale) {
        s.draw(p, scale, [&](QPainter& q) { q.drawPolygon(poly, s.fillRule); });
    });
}

void drawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* d) {
    if (!d->pt || !d->count)
        return;
    const Style s = styleOf(api, d->dc, true);
    QPainterPath path;
    path.setFillRule(s.fillRule);
    for (unsigned i = 0; i < d->npoly; ++i) {
        if (!d->pt[i] || d->count[i] < 2)
            continue;
        path.addPolygon(polygonOf(d->pt[i], d->count[i]));
        path.closeSubpath();
    }
    add(api,
        [s, path](QPainter& p, double scale) { s.draw(p, scale, [&](QPainter& q) { q.drawPath(path); }); });
}

void drawRectangle(wmfAPI* api, wmfDrawRectangle_t* d) {
    const Style s = styleOf(api, d->dc, true);
    const QRectF r = rect(d->TL, d->BR);
    const double rx = std::abs(d->width) / 2, ry = std::abs(d->height) / 2;
    add(api, [s, r, rx, ry](QPainter& p, double scale) {
        s.draw(p, scale, [&](QPainter& q) {
            if (rx > 0 && ry > 0)
                q.drawRoundedRect(r, rx, ry);
            else
                q.drawRect(r);
        });
    });
}

void drawEllipse(wmfAPI* api, wmfDrawArc_t* d) {
    const Style s = styleOf(api, d->dc, true);
    const QRectF r = rect(d->TL, d->BR);
    add(api, [s, r](QPainter& p, double scale) { s.draw(p, scale, [&](QPainter& q) { q.drawEllipse(r); }); });
}

enum class ArcKind { Arc, Pie, Chord };

// The radial points arrive relative to the ellipse centre. The player hands the record's first
// radial point over as "end" and its second as "start"; the arc runs from the first to the second,
// counter-clockwise on the page, as Qt's positive angles do on screen (y grows downwards in both).
void drawArcKind(wmfAPI* api, wmfDrawArc_t* d, ArcKind kind) {
    const Style s = styleOf(api, d->dc, kind != ArcKind::Arc);
    const QRectF r = rect(d->TL, d->BR);
    const double rx = std::max(r.width() / 2, 1e-9), ry = std::max(r.height() / 2, 1e-9);
    const double a0 = std::atan2(-d->end.y / ry, d->end.x / rx) * 180.0 / M_PI;
    const double a1 = std::atan2(-d->start.y / ry, d->start.x / rx) * 180.0 / M_PI;
    double span = a1 - a0;
    while (span <= 0)
        span += 360.0;
    QPainterPath path;
    if (kind == ArcKind::Pie)
        path.moveTo(r.center());
    else
        path.arcMoveTo(r, a0);
    path.arcTo(r, a0, span);
    if (kind != ArcKind::Arc)
        path.closeSubpath();
    add(api,
        [s, path](QPainter& p, double scale) { s.draw(p, scale, [&](QPainter& q) { q.drawPath(path); }); });
}

void drawArc(wmfAPI* api, wmfDrawArc_t* d) {
    drawArcKind(api, d, ArcKind::Arc);
}
void drawPie(wmfAPI* api, wmfDrawArc_t* d) {
    drawArcKind(api, d, ArcKind::Pie);
}
void drawChord(wmfAPI* api, wmfDrawArc_t* d) {
    drawArcKind(api, d, ArcKind::Chord);
}

void drawPixel(wmfAPI* api, wmfDrawPixel_t* d) {
    const QRectF r(point(d->pt), QSizeF(std::abs(d->pixel_width), std::abs(d->pixel_height)));
    const QColor c = colour(d->color);
    const auto clip = recorder(api)->clip;
    recorder(api)->pixels.push_back(point(d->pt));
    add(api, [r, c, clip](QPainter& p, double) {
        if (clip)
            p.setClipPath(*clip, Qt::IntersectClip);
        p.fillRect(r, c);
    });
}

// Pattern fills of a rectangle: the current brush, or plain white or black.
void ropDraw(wmfAPI* api, wmfROP_Draw_t* d) {
    QBrush brush;
    switch (d->ROP) {
    case 0x00FF0062:
        brush = Qt::white;
        break;
    case 0x00000042:
        brush = Qt::black;
        break;
    default:
        brush = brushOf(api, d->dc->brush);
        break;
    }
    const QRectF r = rect(d->TL, d->BR);
    const auto clip = recorder(api)->clip;
    add(api, [r, brush, clip](QPainter& p, double) {
        if (clip)
            p.setClipPath(*clip, Qt::IntersectClip);
        p.fillRect(r, brush);
    });
}

// Fills a path with a brush, under the clip in force when the record was met.
void fillUnderClip(wmfAPI* api, const QPainterPath& path, const QBrush& brush) {
    const auto clip = recorder(api)->clip;
    add(api, [path, brush, clip](QPainter& p, double) {
        if (clip)
            p.setClipPath(*clip, Qt::IntersectClip);
        p.fillPath(path, brush);
    });
}

void regionPaint(wmfAPI* api, wmfPolyRectangle_t* d) {
    if (!d->TL || !d->BR)
        return;
    QPainterPath area;
    for (unsigned i = 0; i < d->count; ++i)
        area.addRect(rect(d->TL[i], d->BR[i]));
    fillUnderClip(api, area, brushOf(api, d->dc->brush));
}

void regionFrame(wmfAPI* api, wmfPolyRectangle_t* d) {
    if (!d->TL || !d->BR)
        return;
    const QBrush brush = brushOf(api, d->dc->brush);
    const double w = std::max(0.0f, d->width), h = std::max(0.0f, d->height);
    QPainterPath frame;
    frame.setFillRule(Qt::OddEvenFill);
    for (unsigned i = 0; i < d->count; ++i) {
        const QRectF r = rect(d->TL[i], d->BR[i]);
        frame.addRect(r);
        frame.addRect(r.adjusted(w, h, -w, -h));
    }
    fillUnderClip(api, frame, brush);
}

void regionClip(wmfAPI* api, wmfPolyRectangle_t* d) {
    Recorder* rec = recorder(api);
    if (!d->TL || !d->BR || d->count == 0) {
        rec->clip.reset();
        return;
    }
    auto path = std::make_shared<QPainterPath>();
    for (unsigned i = 0; i < d->count; ++i)
        path->addRect(rect(d->TL[i], d->BR[i]));
    rec->clip = std::move(path);
}

// Glyphs are laid out at a fixed reference size and scaled, because device units may be far
// smaller than a pixel (a metafile in inches) and font pixel sizes are whole numbers.
constexpr int ReferencePixels = 100;
// Beyond this many pixels on its longer side a glyph is drawn as an outline.
constexpr double MaxCachedGlyphPixels = 256;

QFont fontOf(const wmfFont* f, const QString& face) {
    QFont font(face);
    font.setPixelSize(ReferencePixels);
    font.setWeight(f->lfWeight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(f->lfItalic);
    font.setUnderline(f->lfUnderline);
    font.setStrikeOut(f->lfStrikeOut);
    return font;
}

// How far below the point the player placed the text its baseline really lies, in reference
// pixels along the text's own down direction. The player moves a top-aligned point down by a
// whole font height and leaves every other one alone (its test for "baseline" also matches
// bottom alignment); the font's own ascent and descent say where the baseline is.
double baselineCorrection(unsigned align, const QFontMetricsF& metrics) {
    const double placedBelow = (align & TA_BASELINE) ? 0.0 : double(ReferencePixels);
    double wanted = 0.0;
    switch (align & TA_BASELINE) {
    case TA_TOP:
        wanted = metrics.ascent();
        break;
    case TA_BOTTOM:
        wanted = -metrics.descent();
        break;
    default:
        break;
    }
    return wanted - placedBelow;
}

// Background mode, colours and alignment come from the player's state, which the record walk
// keeps true across SaveDC and RestoreDC.
void drawText(wmfAPI* api, wmfDrawText_t* d) {
    if (!d->str || !d->dc || !d->dc->font)
        return;
    const QString text = TextCodec::decode(d->str, qsizetype(std::strlen(d->str)));
    if (text.isEmpty() || !(d->font_height > 0))
        return;
    const QString* face = recorder(api)->face(d->dc->font);
    if (!face)
        return; // the font's slot holds something else now
    const QFont font = fontOf(d->dc->font, *face);
    const double factor = d->font_height / ReferencePixels;
    const double angle = -double(d->dc->font->lfEscapement) / 10.0;
    const QPointF origin = point(d->pt);
    const QColor ink = colour(d->dc->textcolor);
    const QColor background = d->dc->bgmode == OPAQUE ? colour(d->dc->bgcolor) : QColor();
    const double baseline = baselineCorrection(d->dc->textalign, QFontMetricsF(font));
    const auto clip = recorder(api)->clip;
    add(api, [=](QPainter& p, double) {
        if (clip)
            p.setClipPath(*clip, Qt::IntersectClip);
        p.translate(origin);
        p.rotate(angle);
        p.scale(factor, factor);
        p.setFont(font);
        if (background.isValid()) {
            const QFontMetricsF m(font);
            p.fillRect(QRectF(0, baseline - m.ascent(), m.horizontalAdvance(text), m.height()), background);
        }
        // Qt keeps small glyphs as bitmaps in a cache, judging "small" by area. Under a mapping
        // that squeezes one way and stretches the other (a window a few units wide and thousands
        // high), a glyph of small area is thousands of pixels long, its bitmap is never made and
        // Qt copies from nothing. Text that large on either side is drawn as outlines, as Qt
        // itself draws large text.
        const QTransform& device = p.combinedTransform();
        const double longest =
            std::max(std::hypot(device.m11(), device.m12()), std::hypot(device.m21(), device.m22())) *
            ReferencePixels;
        if (!std::isfinite(longest))
            return;
        if (longest > MaxCachedGlyphPixels) {
            QPainterPath outline;
            outline.addText(QPointF(0, baseline), font, text);
            p.fillPath(outline, ink);
            return;
        }
        p.setPen(ink);
        p.drawText(QPointF(0, baseline), text);
    });
}

// Embedded device-independent bitmaps: given a BMP file header, Qt's own BMP reader decodes them.
void bmpRead(wmfAPI* api, wmfBMP_Read_t* r) {
    r->bmp.data = nullptr;
    if (!r->buffer || r->length < 12)
        return;
    const quint64 length = quint64(r->length);
    const std::optional<BitmapHeader> header = BitmapHeader::fromInfo(r->buffer, qint64(length));
    if (!header || header->headerSize > length)
        return;
    const qint64 width = header->width;
    const qint64 height = header->height;
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535)
        return;
    Recorder* rec = recorder(api);
    if (width * height > MaxBitmapPixels || rec->bitmapPixels + width * height > MaxBitmapPixels)
        return;
    const quint64 bitsOffset = 14 + quint64(header->headerSize) + quint64(header->paletteBytes());
    if (bitsOffset > 14 + length)
        return;
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<quint32>(quint32(14 + length), file.data() + 2);
    qToLittleEndian<quint32>(quint32(bitsOffset), file.data() + 10);
    file.append(reinterpret_cast<const char*>(r->buffer), qsizetype(length));
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage image = reader.read();
    if (image.isNull())
        return;
    rec->bitmapPixels += width * height;
    rec->bitmaps.push_back(std::make_unique<QImage>(std::move(image)));
    const QImage* stored = rec->bitmaps.back().get();
    rec->ownBitmaps.insert(stored);
    r->bmp.width = static_cast<U16>(stored->width());
    r->bmp.height = static_cast<U16>(stored->height());
    r->bmp.data = const_cast<QImage*>(stored);
}

// Bitmaps belong to the recorder and are released with it.
void bmpFree(wmfAPI*, wmfBMP*) {}

void bmpDraw(wmfAPI* api, wmfBMP_Draw_t* d) {
    const QImage* bitmap = recorder(api)->image(d->bmp.data);
    if (!bitmap)
        return;
    const QImage& image = *bitmap;
    const QRect source(d->crop.x, d->crop.y, d->crop.w, d->crop.h);
    const QRect part = source.intersected(image.rect());
    if (part.isEmpty())
        return;
    const QImage piece = image.copy(part);
    const QRectF target(point(d->pt), QSizeF(part.width() * std::abs(d->pixel_width),
                                             part.height() * std::abs(d->pixel_height)));
    const auto clip = recorder(api)->clip;
    add(api, [piece, target, clip](QPainter& p, double) {
        if (clip)
            p.setClipPath(*clip, Qt::IntersectClip);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, piece);
    });
}

// Called as the player makes each font, while its face name is still its own.
void fontMap(wmfAPI* api, wmfFont* font) {
    Recorder* rec = recorder(api);
    if (!rec || !font)
        return;
    const char* name = font->lfFaceName;
    rec->faces.push_back(std::make_unique<QString>(
        name ? TextCodec::decode(name, qsizetype(::strnlen(name, 256))) : QString()));
    font->user_data = rec->faces.back().get();
    rec->ownFaces.insert(font->user_data);
}

// Used only to estimate text extents for the bounding box; roughly half an em per character.
float stringWidth(wmfAPI*, wmfFont*, char* text) {
    return text ? 0.5f * float(std::strlen(text)) : 0.0f;
}

void setUpDevice(wmfAPI* api) {
    auto* fr = static_cast<wmfFunctionReference*>(api->function_reference);
    fr->draw_line = drawLine;
    fr->poly_line = polyLine;
    fr->draw_polygon = drawPolygon;
    fr->draw_polypolygon = drawPolyPolygon;
    fr->draw_rectangle = drawRectangle;
    fr->draw_ellipse = drawEllipse;
    fr->draw_arc = drawArc;
    fr->draw_pie = drawPie;
    fr->draw_chord = drawChord;
    fr->draw_pixel = drawPixel;
    fr->rop_draw = ropDraw;
    fr->region_paint = regionPaint;
    fr->region_frame = regionFrame;
    fr->region_clip = regionClip;
    fr->draw_text = drawText;
    fr->bmp_read = bmpRead;
    fr->bmp_free = bmpFree;
    fr->bmp_draw = bmpDraw;
    auto* fonts = static_cast<wmfFontData*>(wmf_malloc(api, sizeof(wmfFontData)));
    if (!fonts)
        return;
    fonts->map = fontMap;
    fonts->stringwidth = stringWidth;
    fonts->user_data = nullptr;
    api->font_data = fonts;
}

QString describe(wmf_error_t error) {
    switch (error) {
    case wmf_E_InsMem:
        return QStringLiteral("Not enough memory to read the metafile");
    case wmf_E_EOF:
        return QStringLiteral("The metafile ends unexpectedly");
    case wmf_E_BadFile:
        return QStringLiteral("The metafile cannot be read");
    default:
        return QStringLiteral("The metafile is damaged");
    }
}

// libwmf keeps some state in globals of its own; one metafile at a time is plenty.
std::mutex playerMutex;

} // namespace

bool looksLikeMetafile(const QByteArray& head) {
    const auto* b = reinterpret_cast<const uchar*>(head.constData());
    if (head.size() >= 4 && u32(b) == PlaceableKey)
        return true;
    return head.size() >= 4 && (u16(b) == 1 || u16(b) == 2) && u16(b + 2) == 9;
}

Result decode(const QByteArray& original) {
    Result result;
    QByteArray data = original;
    Frame frame;
    if (!sanitize(data, &frame, &result.error))
        return result;

    std::lock_guard<std::mutex> lock(playerMutex);
    wmfAPI_Options options{};
    options.function = setUpDevice;
    wmfAPI* api = nullptr;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_lite_create(&api, flags, &options) != wmf_E_None || !api) {
        result.error = QStringLiteral("The metafile reader could not start");
        return result;
    }
    Recorder rec;
    api->device_data = &rec;
    wmfD_Rect box{};
    wmf_error_t err = wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), long(data.size()));
    if (err == wmf_E_None)
        err = wmf_scan(api, 0, &box);
    unsigned int width = 0, height = 0;
    if (err == wmf_E_None)
        err = wmf_display_size(api, &width, &height, 96.0, 96.0);
    if (err == wmf_E_None)
        err = wmf_play(api, 0, &box);
    api->device_data = nullptr;
    wmf_mem_close(api);
    wmf_lite_destroy(api);

    if (err != wmf_E_None) {
        result.error = describe(err);
        return result;
    }
    QRectF bounds = QRectF(QPointF(box.TL.x, box.TL.y), QPointF(box.BR.x, box.BR.y)).normalized();
    if (frame.known && rec.pixels.size() >= 2 && rec.steps.size() >= 2) {
        const QRectF framed = QRectF(rec.pixels[rec.pixels.size() - 2], rec.pixels.back()).normalized();
        rec.steps.resize(rec.steps.size() - 2);
        if (framed.width() > 0 && framed.height() > 0)
            bounds = framed;
    }
    if (!(bounds.width() > 0) || !(bounds.height() > 0) || !std::isfinite(bounds.width()) ||
        !std::isfinite(bounds.height())) {
        result.error = QStringLiteral("The metafile draws nothing");
        return result;
    }
    // Without a usable size in the header, fall back on the drawing's own extent.
    if (width == 0 || height == 0) {
        width = unsigned(std::ceil(bounds.width()));
        height = unsigned(std::ceil(bounds.height()));
    }
    QSize natural(int(std::min<unsigned>(width, 1u << 30)), int(std::min<unsigned>(height, 1u << 30)));
    if (natural.isEmpty()) {
        result.error = QStringLiteral("The metafile claims an impossible picture size");
        return result;
    }
    // A drawing can be shown at any size; one that claims to be enormous is shown at a size a
    // screen can hold, keeping its proportions.
    if (natural.width() > MaxNaturalSide || natural.height() > MaxNaturalSide)
        natural = natural.scaled(MaxNaturalSide, MaxNaturalSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    result.naturalSize = natural;
    result.drawing = std::make_shared<WmfDrawing>(bounds, std::move(rec.steps));
    return result;
}

} // namespace Wmf
