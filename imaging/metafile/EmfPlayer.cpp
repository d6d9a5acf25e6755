// Enhanced metafile records: a header record, then records of a 32-bit type and a 32-bit
// size (a multiple of 4, header included) up to the end-of-file record.
#include "imaging/Messages.h"
#include "imaging/metafile/Dib.h"
#include "imaging/metafile/GdiContext.h"
#include "imaging/metafile/Players.h"
#include "platform/ByteCursor.h"
#include "platform/ShiftJis.h"

#include <QtEndian>
#include <cmath>
#include <unordered_map>

namespace metafile {

namespace {

using platform::ByteCursor;

const char* emfName(unsigned type) {
    static const char* const names[] = {nullptr,
                                        "HEADER",
                                        "POLYBEZIER",
                                        "POLYGON",
                                        "POLYLINE",
                                        "POLYBEZIERTO",
                                        "POLYLINETO",
                                        "POLYPOLYLINE",
                                        "POLYPOLYGON",
                                        "SETWINDOWEXTEX",
                                        "SETWINDOWORGEX",
                                        "SETVIEWPORTEXTEX",
                                        "SETVIEWPORTORGEX",
                                        "SETBRUSHORGEX",
                                        "EOF",
                                        "SETPIXELV",
                                        "SETMAPPERFLAGS",
                                        "SETMAPMODE",
                                        "SETBKMODE",
                                        "SETPOLYFILLMODE",
                                        "SETROP2",
                                        "SETSTRETCHBLTMODE",
                                        "SETTEXTALIGN",
                                        "SETCOLORADJUSTMENT",
                                        "SETTEXTCOLOR",
                                        "SETBKCOLOR",
                                        "OFFSETCLIPRGN",
                                        "MOVETOEX",
                                        "SETMETARGN",
                                        "EXCLUDECLIPRECT",
                                        "INTERSECTCLIPRECT",
                                        "SCALEVIEWPORTEXTEX",
                                        "SCALEWINDOWEXTEX",
                                        "SAVEDC",
                                        "RESTOREDC",
                                        "SETWORLDTRANSFORM",
                                        "MODIFYWORLDTRANSFORM",
                                        "SELECTOBJECT",
                                        "CREATEPEN",
                                        "CREATEBRUSHINDIRECT",
                                        "DELETEOBJECT",
                                        "ANGLEARC",
                                        "ELLIPSE",
                                        "RECTANGLE",
                                        "ROUNDRECT",
                                        "ARC",
                                        "CHORD",
                                        "PIE",
                                        "SELECTPALETTE",
                                        "CREATEPALETTE",
                                        "SETPALETTEENTRIES",
                                        "RESIZEPALETTE",
                                        "REALIZEPALETTE",
                                        "EXTFLOODFILL",
                                        "LINETO",
                                        "ARCTO",
                                        "POLYDRAW",
                                        "SETARCDIRECTION",
                                        "SETMITERLIMIT",
                                        "BEGINPATH",
                                        "ENDPATH",
                                        "CLOSEFIGURE",
                                        "FILLPATH",
                                        "STROKEANDFILLPATH",
                                        "STROKEPATH",
                                        "FLATTENPATH",
                                        "WIDENPATH",
                                        "SELECTCLIPPATH",
                                        "ABORTPATH",
                                        nullptr,
                                        "GDICOMMENT",
                                        "FILLRGN",
                                        "FRAMERGN",
                                        "INVERTRGN",
                                        "PAINTRGN",
                                        "EXTSELECTCLIPRGN",
                                        "BITBLT",
                                        "STRETCHBLT",
                                        "MASKBLT",
                                        "PLGBLT",
                                        "SETDIBITSTODEVICE",
                                        "STRETCHDIBITS",
                                        "EXTCREATEFONTINDIRECTW",
                                        "EXTTEXTOUTA",
                                        "EXTTEXTOUTW",
                                        "POLYBEZIER16",
                                        "POLYGON16",
                                        "POLYLINE16",
                                        "POLYBEZIERTO16",
                                        "POLYLINETO16",
                                        "POLYPOLYLINE16",
                                        "POLYPOLYGON16",
                                        "POLYDRAW16",
                                        "CREATEMONOBRUSH",
                                        "CREATEDIBPATTERNBRUSHPT",
                                        "EXTCREATEPEN",
                                        "POLYTEXTOUTA",
                                        "POLYTEXTOUTW",
                                        "SETICMMODE",
                                        "CREATECOLORSPACE",
                                        "SETCOLORSPACE",
                                        "DELETECOLORSPACE",
                                        "GLSRECORD",
                                        "GLSBOUNDEDRECORD",
                                        "PIXELFORMAT",
                                        "DRAWESCAPE",
                                        "EXTESCAPE",
                                        nullptr,
                                        "SMALLTEXTOUT",
                                        "FORCEUFIMAPPING",
                                        "NAMEDESCAPE",
                                        "COLORCORRECTPALETTE",
                                        "SETICMPROFILEA",
                                        "SETICMPROFILEW",
                                        "ALPHABLEND",
                                        "SETLAYOUT",
                                        "TRANSPARENTBLT",
                                        nullptr,
                                        "GRADIENTFILL",
                                        "SETLINKEDUFIS",
                                        "SETTEXTJUSTIFICATION",
                                        "COLORMATCHTOTARGETW",
                                        "CREATECOLORSPACEW"};
    return type < std::size(names) ? names[type] : nullptr;
}

// Reading one record; running out of its bytes raises, and the record is skipped.
class Record {
public:
    explicit Record(QByteArrayView bytes) : c_(bytes, msg::invalidMetafile()) {}
    qsizetype size() const { return c_.size(); }
    std::int32_t i32(qsizetype at) const { return c_.i32leAt(at); }
    std::uint32_t u32(qsizetype at) const { return c_.u32leAt(at); }
    std::int16_t i16(qsizetype at) const { return c_.i16leAt(at); }
    std::uint8_t u8(qsizetype at) const { return c_.u8At(at); }
    float f32(qsizetype at) const {
        const std::uint32_t u = u32(at);
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    }
    QPointF point(qsizetype at) const { return QPointF(i32(at), i32(at + 4)); }
    QSizeF size(qsizetype at) const { return QSizeF(i32(at), i32(at + 4)); }
    // RECTL, both corners inclusive as GDI gives them to shape calls.
    QRectF rect(qsizetype at) const {
        return QRectF(QPointF(i32(at), i32(at + 4)), QPointF(i32(at + 8), i32(at + 12)));
    }
    QByteArrayView view(qsizetype at, qsizetype n) const { return c_.viewAt(at, n); }
    bool has(qsizetype at, qsizetype n) const { return c_.hasAt(at, n); }
    // `count` points from `at`, 16 or 32 bits each coordinate.
    std::vector<QPointF> points(qsizetype at, std::uint32_t count, bool small) const {
        const qsizetype each = small ? 4 : 8;
        (void)view(at, qsizetype(count) * each);  // raises when they are not all there
        std::vector<QPointF> pts;
        pts.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const qsizetype p = at + qsizetype(i) * each;
            pts.emplace_back(small ? QPointF(i16(p), i16(p + 2)) : point(p));
        }
        return pts;
    }
    QTransform xform(qsizetype at) const {
        return QTransform(f32(at), f32(at + 4), f32(at + 8), f32(at + 12), f32(at + 16),
                          f32(at + 20));
    }

private:
    ByteCursor c_;
};

bool finite(const QTransform& t) {
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy()) &&
           std::abs(t.m11()) < 1e9 && std::abs(t.m12()) < 1e9 && std::abs(t.m21()) < 1e9 &&
           std::abs(t.m22()) < 1e9;
}

// A region's rectangles (RGNDATA: a 32-byte header, then RECTLs), picture device units.
QRegion regionData(const Record& r, qsizetype at, std::uint32_t size) {
    if (size < 32) return {};
    const std::uint32_t count = r.u32(at + 8);
    (void)r.view(at + 32, qsizetype(count) * 16);
    QRegion out;
    for (std::uint32_t i = 0; i < count; ++i) {
        const qsizetype p = at + 32 + qsizetype(i) * 16;
        out += QRect(QPoint(r.i32(p), r.i32(p + 4)), QPoint(r.i32(p + 8) - 1, r.i32(p + 12) - 1));
    }
    return out;
}

// A region of picture device units as canvas device pixels.
QRegion toCanvas(const GdiContext& dc, const QRegion& picture) {
    QRegion out;
    for (const QRect& r : picture) {
        const QPointF a = dc.reference().map(QPointF(r.left(), r.top()));
        const QPointF b = dc.reference().map(QPointF(r.right() + 1, r.bottom() + 1));
        out +=
            QRect(QPoint(clampDevice(std::min(a.x(), b.x())), clampDevice(std::min(a.y(), b.y()))),
                  QPoint(clampDevice(std::max(a.x(), b.x())) - 1,
                         clampDevice(std::max(a.y(), b.y())) - 1));
    }
    return out;
}

// A DIB referred to by offsets and sizes from the record's start.
QImage recordDib(const Record& r, qsizetype offBmi, qsizetype cbBmi, qsizetype offBits,
                 qsizetype cbBits, bool* bottomUp = nullptr, bool alpha = false) {
    if (cbBmi == 0 || !r.has(offBmi, cbBmi) || !r.has(offBits, cbBits)) return {};
    return decodeDib(r.view(offBmi, cbBmi), r.view(offBits, cbBits), bottomUp, alpha);
}

GdiObject stockObject(std::uint32_t n) {
    GdiObject o;
    const auto brush = [&](int style, TColor c) {
        o.type = GdiObject::Type::Brush;
        o.brush.style = style;
        o.brush.color = c;
    };
    const auto pen = [&](int style, TColor c) {
        o.type = GdiObject::Type::Pen;
        o.pen.style = style;
        o.pen.color = c;
    };
    switch (n) {
        case 0:
            brush(0, 0xFFFFFF);
            break;
        case 1:
            brush(0, 0xC0C0C0);
            break;
        case 2:
            brush(0, 0x808080);
            break;
        case 3:
            brush(0, 0x404040);
            break;
        case 4:
            brush(0, 0x000000);
            break;
        case 5:
            brush(1, 0);
            break;
        case 6:
            pen(0, 0xFFFFFF);
            break;
        case 7:
            pen(0, 0x000000);
            break;
        case 8:
            pen(5, 0);
            break;
        case 18:
            brush(0, 0xFFFFFF);
            break;
        case 19:
            pen(0, 0x000000);
            break;
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
        case 16:
        case 17:
            o.type = GdiObject::Type::Font;
            break;
        default:
            o.type = GdiObject::Type::Other;
            break;
    }
    return o;
}

class EmfPlayer {
public:
    EmfPlayer(QByteArrayView bytes, platform::Canvas& canvas, const QRect& dest)
        : bytes_(bytes), canvas_(canvas), dest_(dest) {}

    PlayReport run();

private:
    void record(unsigned type, const Record& r);
    void select(std::uint32_t index);
    void text(const Record& r, bool wide);
    void blit(unsigned type, const Record& r);
    void stretchDib(unsigned type, const Record& r);

    QByteArrayView bytes_;
    platform::Canvas& canvas_;
    QRect dest_;
    std::unique_ptr<GdiContext> dc_;
    std::unordered_map<std::uint32_t, GdiObject> objects_;
    std::uint32_t handles_ = 0;
    PlayReport report_;
};

PlayReport EmfPlayer::run() {
    report_.kind = Kind::Emf;
    const Record h(bytes_.first(std::min<qsizetype>(bytes_.size(), 108)));
    const std::uint32_t headerSize = h.u32(4);
    handles_ = h.u32(56) & 0xFFFF;
    Reference ref;
    const double devX = h.i32(72), devY = h.i32(76), mmX = h.i32(80), mmY = h.i32(84);
    if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
        ref.pixelsPerMmX = devX / mmX;
        ref.pixelsPerMmY = devY / mmY;
    }
    // The frame (0.01 mm, corners inclusive) in picture device units, fitted into the
    // destination; a frame without area falls back to the bounds.
    QRectF frame(
        QPointF(h.i32(24) / 100.0 * ref.pixelsPerMmX, h.i32(28) / 100.0 * ref.pixelsPerMmY),
        QPointF(h.i32(32) / 100.0 * ref.pixelsPerMmX, h.i32(36) / 100.0 * ref.pixelsPerMmY));
    if (frame.width() <= 0 || frame.height() <= 0)
        frame = QRectF(QPointF(h.i32(8), h.i32(12)), QPointF(h.i32(16) + 1.0, h.i32(20) + 1.0));
    if (frame.width() <= 0 || frame.height() <= 0) frame = QRectF(0, 0, 1, 1);
    ref.base =
        QTransform::fromTranslate(-frame.left(), -frame.top()) *
        QTransform::fromScale(dest_.width() / frame.width(), dest_.height() / frame.height()) *
        QTransform::fromTranslate(dest_.left(), dest_.top());
    dc_ = std::make_unique<GdiContext>(canvas_, ref);
    dc_->state().meta &= QRegion(dest_);
    dc_->resetClip();

    qsizetype pos = std::max<qsizetype>(headerSize, 8) & ~qsizetype(3);
    report_.records = 1;
    report_.truncated = true;
    while (pos + 8 <= bytes_.size()) {
        const std::uint32_t type = qFromLittleEndian<std::uint32_t>(bytes_.data() + pos);
        const std::uint32_t size = qFromLittleEndian<std::uint32_t>(bytes_.data() + pos + 4);
        if (size < 8 || size % 4 != 0 || size > std::uint64_t(bytes_.size() - pos)) break;
        ++report_.records;
        if (type == 14) {
            report_.truncated = false;
            break;
        }
        try {
            record(type, Record(bytes_.sliced(pos, size)));
        } catch (const Exception&) {
            countSkipped(report_, emfName(type), type);  // a record cut short
        }
        pos += size;
    }
    if (canvas_.inPath()) canvas_.abortPath();
    return report_;
}

void EmfPlayer::select(std::uint32_t index) {
    GdiObject o;
    if (index & 0x80000000u) {
        o = stockObject(index & 0x7FFFFFFFu);
    } else {
        const auto it = objects_.find(index);
        if (it == objects_.end()) return;
        o = it->second;
    }
    auto& s = dc_->state();
    switch (o.type) {
        case GdiObject::Type::Pen:
            s.pen = o.pen;
            break;
        case GdiObject::Type::Brush:
            s.brush = o.brush;
            break;
        case GdiObject::Type::Font:
            s.font = o.font;
            break;
        default:
            break;
    }
}

void EmfPlayer::record(unsigned type, const Record& r) {
    GdiContext& dc = *dc_;
    auto& s = dc.state();
    const auto store = [&](std::uint32_t index, GdiObject o) {
        if (index == 0 || index >= std::max<std::uint32_t>(handles_, 1)) return;
        objects_[index] = std::move(o);
    };
    switch (type) {
        case 2:   // POLYBEZIER
        case 85:  // POLYBEZIER16
            dc.polyBezier(r.points(28, r.u32(24), type == 85), false);
            return;
        case 3:
        case 86:
            dc.polygons({r.points(28, r.u32(24), type == 86)});
            return;
        case 4:
        case 87:
            dc.polyline(r.points(28, r.u32(24), type == 87));
            return;
        case 5:
        case 88:
            dc.polyBezier(r.points(28, r.u32(24), type == 88), true);
            return;
        case 6:
        case 89:
            dc.polylineTo(r.points(28, r.u32(24), type == 89));
            return;
        case 7:
        case 8:
        case 90:
        case 91: {  // POLYPOLYLINE, POLYPOLYGON (16)
            const bool small = type >= 90;
            const std::uint32_t polys = r.u32(24), total = r.u32(28);
            (void)r.view(32, qsizetype(polys) * 4);
            const std::vector<QPointF> all = r.points(32 + qsizetype(polys) * 4, total, small);
            std::vector<std::vector<QPointF>> parts;
            size_t at = 0;
            for (std::uint32_t i = 0; i < polys; ++i) {
                const std::uint32_t n = r.u32(32 + qsizetype(i) * 4);
                if (n > all.size() - at) break;
                parts.emplace_back(all.begin() + long(at), all.begin() + long(at + n));
                at += n;
            }
            if (type == 7 || type == 90)
                dc.polylines(parts);
            else
                dc.polygons(parts);
            return;
        }
        case 9:
        case 11: {
            const QSizeF e = r.size(8);
            if (e.width() == 0 || e.height() == 0) return;
            (type == 9 ? s.windowExt : s.viewportExt) = e;
            dc.changedMapping();
            return;
        }
        case 10:
        case 12:
            (type == 10 ? s.windowOrg : s.viewportOrg) = r.point(8);
            dc.changedMapping();
            return;
        case 13:  // SETBRUSHORGEX: patterns stay tiled from the device origin
        case 16:  // SETMAPPERFLAGS
        case 23:  // SETCOLORADJUSTMENT
        case 48:  // SELECTPALETTE
        case 50:
        case 51:
        case 52:
        case 58:   // SETMITERLIMIT
        case 65:   // FLATTENPATH: paths are flattened when used
        case 98:   // SETICMMODE
        case 115:  // SETLAYOUT
            return;
        case 15:
            dc.setPixel(r.point(8), colorRef(r.u32(16)));
            return;
        case 17:
            dc.setMapMode(r.i32(8));
            return;
        case 18:
            s.bkMode = r.i32(8);
            return;
        case 19:
            s.polyFill = r.i32(8);
            return;
        case 20:
            s.rop2 = r.i32(8);
            return;
        case 21:
            s.stretchMode = r.i32(8);
            return;
        case 22:
            s.textAlign = r.i32(8);
            return;
        case 24:
            s.textColor = colorRef(r.u32(8));
            return;
        case 25:
            s.bkColor = colorRef(r.u32(8));
            return;
        case 26:
            dc.offsetClip(r.point(8));
            return;
        case 27:
            dc.moveTo(r.point(8));
            return;
        case 28:
            dc.setMetaRegion();
            return;
        case 29:
        case 30: {
            const QRectF box = r.rect(8);
            const QRegion rgn = dc.deviceRect(QRectF(box.topLeft(), box.bottomRight()));
            dc.combineClip(rgn, type == 30 ? 1 : 4);
            return;
        }
        case 31:
        case 32: {  // SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX
            const double xn = r.i32(8), xd = r.i32(12), yn = r.i32(16), yd = r.i32(20);
            if (xd == 0 || yd == 0 || xn == 0 || yn == 0) return;
            QSizeF& e = type == 31 ? s.viewportExt : s.windowExt;
            e = QSizeF(e.width() * xn / xd, e.height() * yn / yd);
            dc.changedMapping();
            return;
        }
        case 33:
            dc.save();
            return;
        case 34:
            dc.restore(r.i32(8));
            return;
        case 35: {
            const QTransform t = r.xform(8);
            if (finite(t)) s.world = t;
            dc.changedMapping();
            return;
        }
        case 36: {
            const QTransform t = r.xform(8);
            const std::uint32_t mode = r.u32(32);
            QTransform w = s.world;
            if (mode == 1)
                w = QTransform();
            else if (mode == 2)
                w = t * w;
            else if (mode == 3)
                w = w * t;
            else if (mode == 4)
                w = t;
            if (finite(w)) s.world = w;
            dc.changedMapping();
            return;
        }
        case 37:
            select(r.u32(8));
            return;
        case 38: {  // CREATEPEN: LOGPEN
            GdiObject o;
            o.type = GdiObject::Type::Pen;
            o.pen.style = int(r.u32(12));
            o.pen.width = r.i32(16);
            o.pen.cosmetic = o.pen.width <= 1;
            o.pen.color = colorRef(r.u32(24));
            store(r.u32(8), o);
            return;
        }
        case 95: {  // EXTCREATEPEN: LOGPEN_EX after the DIB offsets
            GdiObject o;
            o.type = GdiObject::Type::Pen;
            const std::uint32_t style = r.u32(28);
            o.pen.style = int(style & 0xF);
            o.pen.width = r.u32(32);
            o.pen.cosmetic = (style & 0x000F0000u) == 0 || o.pen.width <= 1;
            o.pen.color = colorRef(r.u32(40));
            if (r.u32(36) == 1) o.pen.style = 5;  // a hollow brush draws nothing
            store(r.u32(8), o);
            return;
        }
        case 39: {  // CREATEBRUSHINDIRECT: LOGBRUSH32
            GdiObject o;
            o.type = GdiObject::Type::Brush;
            const std::uint32_t style = r.u32(12);
            o.brush.style = style == 1 ? 1 : style == 2 ? 2 : 0;
            o.brush.color = colorRef(r.u32(16));
            o.brush.hatch = int(r.u32(20));
            store(r.u32(8), o);
            return;
        }
        case 93:
        case 94: {  // CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
            GdiObject o;
            o.type = GdiObject::Type::Brush;
            o.brush.style = 3;
            QImage pattern = recordDib(r, r.u32(16), r.u32(20), r.u32(24), r.u32(28));
            if (pattern.format() == QImage::Format_Mono) {
                // Monochrome patterns take the colours when they are created.
                pattern.setColor(0, platform::colorToRgb(s.textColor));
                pattern.setColor(1, platform::colorToRgb(s.bkColor));
            }
            o.brush.pattern = pattern.convertToFormat(QImage::Format_RGB32);
            if (o.brush.pattern.isNull()) o.brush.style = 0;
            store(r.u32(8), o);
            return;
        }
        case 40:
            objects_.erase(r.u32(8));
            return;
        case 41:
            dc.angleArc(r.point(8), r.u32(16), r.f32(20), r.f32(24));
            return;
        case 42:
            dc.ellipse(r.rect(8));
            return;
        case 43:
            dc.rectangle(r.rect(8));
            return;
        case 44:
            dc.roundRect(r.rect(8), r.size(24));
            return;
        case 45:
        case 46:
        case 47:
        case 55: {
            const int kind = type == 45 ? 0 : type == 55 ? 1 : type == 47 ? 2 : 3;
            dc.arc(kind, r.rect(8), r.point(24), r.point(32));
            return;
        }
        case 49: {  // CREATEPALETTE: keeps its slot
            GdiObject o;
            o.type = GdiObject::Type::Other;
            store(r.u32(8), o);
            return;
        }
        case 54:
            dc.lineTo(r.point(8));
            return;
        case 56:
        case 92: {  // POLYDRAW(16): points, then one type byte each
            const std::uint32_t n = r.u32(24);
            const bool small = type == 92;
            const std::vector<QPointF> pts = r.points(28, n, small);
            const QByteArrayView t = r.view(28 + qsizetype(n) * (small ? 4 : 8), n);
            dc.polyDraw(pts, std::vector<std::uint8_t>(t.begin(), t.end()));
            return;
        }
        case 57:
            s.clockwise = r.i32(8) == 2;
            return;
        case 59:
            dc.beginPath();
            return;
        case 60:
            dc.endPath();
            return;
        case 61:
            dc.closeFigure();
            return;
        case 62:
            dc.fillPath();
            return;
        case 63:
            dc.strokeAndFillPath();
            return;
        case 64:
            dc.strokePath();
            return;
        case 66:
            dc.widenPath();
            return;
        case 67:
            dc.selectClipPath(r.i32(8));
            return;
        case 68:
            dc.abortPath();
            return;
        case 70:  // GDICOMMENT, EMF+ ones included: the EMF records that follow draw
            return;
        case 71: {  // FILLRGN
            const auto it = objects_.find(r.u32(28));
            const std::uint32_t n = r.u32(24);
            const QRegion rgn = toCanvas(dc, regionData(r, 32, n));
            if (it != objects_.end() && it->second.type == GdiObject::Type::Brush)
                dc.fillRegion(rgn, it->second.brush);
            return;
        }
        case 72: {  // FRAMERGN
            const auto it = objects_.find(r.u32(28));
            const QRegion rgn = toCanvas(dc, regionData(r, 40, r.u32(24)));
            if (it != objects_.end() && it->second.type == GdiObject::Type::Brush)
                dc.frameRegion(rgn, it->second.brush, QSizeF(r.i32(32), r.i32(36)));
            return;
        }
        case 73:
            dc.invertRegion(toCanvas(dc, regionData(r, 28, r.u32(24))));
            return;
        case 74:
            dc.fillRegion(toCanvas(dc, regionData(r, 28, r.u32(24))), s.brush);
            return;
        case 75: {  // EXTSELECTCLIPRGN
            const std::uint32_t n = r.u32(8);
            const int mode = r.i32(12);
            if (mode == 5 && n == 0)
                dc.resetClip();
            else
                dc.combineClip(toCanvas(dc, regionData(r, 16, n)), mode);
            return;
        }
        case 76:
        case 77:
        case 114:
        case 116:
            blit(type, r);
            return;
        case 80:
        case 81:
            stretchDib(type, r);
            return;
        case 82: {  // EXTCREATEFONTINDIRECTW: LOGFONTW at 12
            GdiObject o;
            o.type = GdiObject::Type::Font;
            FontSpec& f = o.font;
            f.height = r.i32(12);
            f.width = r.i32(16);
            f.escapement = r.i32(20);
            f.weight = r.i32(28);
            f.italic = r.u8(32), f.underline = r.u8(33), f.strikeOut = r.u8(34);
            f.charset = r.u8(35);
            const QByteArrayView face = r.view(40, 64);
            QString name;
            for (int i = 0; i < 32; ++i) {
                const char16_t ch = qFromLittleEndian<char16_t>(face.data() + 2 * i);
                if (ch == 0) break;
                name += QChar(ch);
            }
            f.face = name;
            store(r.u32(8), o);
            return;
        }
        case 83:
        case 84:
            text(r, type == 84);
            return;
        default:
            countSkipped(report_, emfName(type), type);
            return;
    }
}

void EmfPlayer::text(const Record& r, bool wide) {
    // EMRTEXT at 36: reference, character count, string offset, options, rectangle, dx offset.
    const QPointF ref = r.point(36);
    const std::uint32_t n = r.u32(44);
    const std::uint32_t offString = r.u32(48), options = r.u32(52);
    const QRectF box = r.rect(56);
    const std::uint32_t offDx = r.u32(72);
    QString str;
    if (wide) {
        const QByteArrayView v = r.view(offString, qsizetype(n) * 2);
        str.resize(qsizetype(n));
        for (std::uint32_t i = 0; i < n; ++i)
            str[i] = QChar(qFromLittleEndian<char16_t>(v.data() + 2 * i));
    } else {
        const QByteArrayView v = r.view(offString, n);
        str = platform::fromCp932(v.data(), v.size());
    }
    std::vector<double> dx;
    if (offDx != 0 && r.has(offDx, qsizetype(n) * 4)) {
        // One advance per character of the record (ANSI: per byte, gathered below).
        std::vector<double> raw;
        for (std::uint32_t i = 0; i < n; ++i) raw.push_back(r.i32(offDx + 4 * qsizetype(i)));
        if (wide) {
            dx = std::move(raw);
        } else {
            const QByteArray bytes = r.view(offString, n).toByteArray();
            size_t b = 0;
            for (QChar ch : str) {
                const int len = platform::toCp932(QString(ch)).size();
                double a = 0;
                for (int k = 0; k < len && b < raw.size(); ++k) a += raw[b++];
                dx.push_back(a);
            }
        }
    }
    const std::optional<QRectF> opaque = options & 2 ? std::optional(box) : std::nullopt;
    const std::optional<QRectF> clip = options & 4 ? std::optional(box) : std::nullopt;
    dc_->text(ref, str, dx, opaque, clip);
}

void EmfPlayer::blit(unsigned type, const Record& r) {
    const QRectF dest(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
    if (type == 114 || type == 116) {
        // ALPHABLEND, TRANSPARENTBLT: source origin at 44, DIB offsets at 84, source size at 100.
        const std::uint32_t blend = r.u32(40);
        const bool perPixel = type == 114 && ((blend >> 24) & 1);
        const QImage img =
            recordDib(r, r.u32(84), r.u32(88), r.u32(92), r.u32(96), nullptr, perPixel);
        if (img.isNull()) {
            countSkipped(report_, emfName(type), type);
            return;
        }
        const QRectF src(r.i32(44), r.i32(48), r.i32(100), r.i32(104));
        if (type == 114)
            dc_->blendImage(dest, img, src, int((blend >> 16) & 0xFF), perPixel);
        else
            dc_->transparentImage(dest, img, src, colorRef(blend));
        return;
    }
    // BITBLT, STRETCHBLT: a pattern-only operation carries no bitmap.
    const std::uint32_t rop = r.u32(40);
    const std::uint32_t cbBmi = r.u32(88);
    QImage img;
    if (cbBmi != 0) img = recordDib(r, r.u32(84), cbBmi, r.u32(92), r.u32(96));
    QRectF src(r.i32(44), r.i32(48), dest.width(), dest.height());
    if (type == 77) src.setSize(QSizeF(r.i32(100), r.i32(104)));
    if (cbBmi != 0 && img.isNull()) {
        countSkipped(report_, emfName(type), type);
        return;
    }
    dc_->drawImage(dest, img, src, rop);
}

void EmfPlayer::stretchDib(unsigned type, const Record& r) {
    bool bottomUp = false;
    const QImage img = recordDib(r, r.u32(48), r.u32(52), r.u32(56), r.u32(60), &bottomUp);
    const double xSrc = r.i32(32), ySrc = r.i32(36), cx = r.i32(40), cy = r.i32(44);
    if (img.isNull()) {
        countSkipped(report_, emfName(type), type);
        return;
    }
    // Source rows of a bottom-up bitmap count from its bottom.
    const double top = bottomUp ? img.height() - ySrc - cy : ySrc;
    if (type == 81) {
        const QRectF dest(r.i32(24), r.i32(28), r.i32(72), r.i32(76));
        dc_->drawImage(dest, img, QRectF(xSrc, top, cx, cy), r.u32(68));
    } else {
        // SETDIBITSTODEVICE: 1:1, the bits possibly a band of scan lines.
        dc_->drawImage(QRectF(r.i32(24), r.i32(28), cx, cy), img, QRectF(xSrc, top, cx, cy),
                       platform::SRCCOPY);
    }
}

}  // namespace

PlayReport playEmf(QByteArrayView bytes, platform::Canvas& canvas, const QRect& dest) {
    return EmfPlayer(bytes, canvas, dest).run();
}

}  // namespace metafile
