// Windows metafile records after the placeable header (22 bytes) and the metafile header
// (18 bytes): a 32-bit size in 16-bit words, a 16-bit function, then the parameters, most
// of them in reverse order (y before x, bottom before top).
#include "imaging/Messages.h"
#include "imaging/metafile/Dib.h"
#include "imaging/metafile/GdiContext.h"
#include "imaging/metafile/Players.h"
#include "platform/ByteCursor.h"
#include "platform/ShiftJis.h"

#include <QtEndian>
#include <set>
#include <unordered_map>

namespace metafile {

namespace {

const char* wmfName(unsigned f) {
    switch (f) {
        case 0x0201:
            return "SETBKCOLOR";
        case 0x0102:
            return "SETBKMODE";
        case 0x0103:
            return "SETMAPMODE";
        case 0x0104:
            return "SETROP2";
        case 0x0106:
            return "SETPOLYFILLMODE";
        case 0x0107:
            return "SETSTRETCHBLTMODE";
        case 0x0108:
            return "SETTEXTCHAREXTRA";
        case 0x0209:
            return "SETTEXTCOLOR";
        case 0x020A:
            return "SETTEXTJUSTIFICATION";
        case 0x020B:
            return "SETWINDOWORG";
        case 0x020C:
            return "SETWINDOWEXT";
        case 0x020D:
            return "SETVIEWPORTORG";
        case 0x020E:
            return "SETVIEWPORTEXT";
        case 0x020F:
            return "OFFSETWINDOWORG";
        case 0x0410:
            return "SCALEWINDOWEXT";
        case 0x0211:
            return "OFFSETVIEWPORTORG";
        case 0x0412:
            return "SCALEVIEWPORTEXT";
        case 0x0213:
            return "LINETO";
        case 0x0214:
            return "MOVETO";
        case 0x0415:
            return "EXCLUDECLIPRECT";
        case 0x0416:
            return "INTERSECTCLIPRECT";
        case 0x0817:
            return "ARC";
        case 0x0418:
            return "ELLIPSE";
        case 0x0419:
            return "FLOODFILL";
        case 0x081A:
            return "PIE";
        case 0x041B:
            return "RECTANGLE";
        case 0x061C:
            return "ROUNDRECT";
        case 0x061D:
            return "PATBLT";
        case 0x001E:
            return "SAVEDC";
        case 0x041F:
            return "SETPIXEL";
        case 0x0220:
            return "OFFSETCLIPRGN";
        case 0x0521:
            return "TEXTOUT";
        case 0x0922:
            return "BITBLT";
        case 0x0B23:
            return "STRETCHBLT";
        case 0x0324:
            return "POLYGON";
        case 0x0325:
            return "POLYLINE";
        case 0x0626:
            return "ESCAPE";
        case 0x0127:
            return "RESTOREDC";
        case 0x0228:
            return "FILLREGION";
        case 0x0429:
            return "FRAMEREGION";
        case 0x012A:
            return "INVERTREGION";
        case 0x012B:
            return "PAINTREGION";
        case 0x012C:
            return "SELECTCLIPREGION";
        case 0x012D:
            return "SELECTOBJECT";
        case 0x012E:
            return "SETTEXTALIGN";
        case 0x0830:
            return "CHORD";
        case 0x0231:
            return "SETMAPPERFLAGS";
        case 0x0A32:
            return "EXTTEXTOUT";
        case 0x0D33:
            return "SETDIBTODEV";
        case 0x0234:
            return "SELECTPALETTE";
        case 0x0035:
            return "REALIZEPALETTE";
        case 0x0436:
            return "ANIMATEPALETTE";
        case 0x0037:
            return "SETPALENTRIES";
        case 0x0538:
            return "POLYPOLYGON";
        case 0x0139:
            return "RESIZEPALETTE";
        case 0x0940:
            return "DIBBITBLT";
        case 0x0B41:
            return "DIBSTRETCHBLT";
        case 0x0142:
            return "DIBCREATEPATTERNBRUSH";
        case 0x0F43:
            return "STRETCHDIB";
        case 0x0548:
            return "EXTFLOODFILL";
        case 0x0149:
            return "SETLAYOUT";
        case 0x01F0:
            return "DELETEOBJECT";
        case 0x00F7:
            return "CREATEPALETTE";
        case 0x01F9:
            return "CREATEPATTERNBRUSH";
        case 0x02FA:
            return "CREATEPENINDIRECT";
        case 0x02FB:
            return "CREATEFONTINDIRECT";
        case 0x02FC:
            return "CREATEBRUSHINDIRECT";
        case 0x06FF:
            return "CREATEREGION";
        default:
            return nullptr;
    }
}

// The parameters of one record, as 16-bit words from the record's start (word 3 is the
// first parameter).
class Params {
public:
    explicit Params(QByteArrayView bytes) : c_(bytes, msg::invalidMetafile()) {}
    qsizetype words() const { return c_.size() / 2; }
    std::int16_t i(qsizetype word) const { return c_.i16leAt(6 + 2 * word); }
    std::uint16_t u(qsizetype word) const { return c_.u16leAt(6 + 2 * word); }
    std::uint32_t u32(qsizetype word) const { return c_.u32leAt(6 + 2 * word); }
    QByteArrayView bytes(qsizetype word, qsizetype n) const { return c_.viewAt(6 + 2 * word, n); }
    QByteArrayView rest(qsizetype word) const {
        const qsizetype at = 6 + 2 * word;
        return at <= c_.size() ? c_.viewAt(at, c_.size() - at) : c_.viewAt(at, 0);
    }
    std::vector<QPointF> points(qsizetype word, qsizetype count) const {
        (void)bytes(word, count * 4);
        std::vector<QPointF> pts;
        pts.reserve(size_t(count));
        for (qsizetype k = 0; k < count; ++k)
            pts.emplace_back(i(word + 2 * k), i(word + 2 * k + 1));
        return pts;
    }
    // A rectangle stored bottom, right, top, left from `word`.
    QRectF reversedRect(qsizetype word) const {
        return QRectF(QPointF(i(word + 3), i(word + 2)), QPointF(i(word + 1), i(word)));
    }

private:
    platform::ByteCursor c_;
};

// A region object: an object header, the scan count at word 5 and the bounds, then scans of (count,
// top, bottom, left/right pairs, count again).
QRegion readRegion(const Params& p) {
    const int scans = p.u(5);
    QRegion out;
    qsizetype w = 11;
    for (int s = 0; s < scans; ++s) {
        const int count = p.u(w);
        const int top = p.i(w + 1), bottom = p.i(w + 2);
        for (int k = 0; k + 1 < count; k += 2) {
            const int left = p.i(w + 3 + k), right = p.i(w + 4 + k);
            if (right > left && bottom > top) out += QRect(left, top, right - left, bottom - top);
        }
        w += 4 + count;
    }
    return out;
}

class WmfPlayer {
public:
    WmfPlayer(QByteArrayView bytes, platform::Canvas& canvas, const QRect& dest)
        : bytes_(bytes), canvas_(canvas), dest_(dest) {}
    PlayReport run();

private:
    void record(unsigned f, const Params& p);
    void create(GdiObject o);
    void select(int index);
    void text(const Params& p, bool extended);
    void dib(unsigned f, const Params& p);

    QByteArrayView bytes_;
    platform::Canvas& canvas_;
    QRect dest_;
    std::unique_ptr<GdiContext> dc_;
    std::unordered_map<int, GdiObject> objects_;
    std::set<int> free_;  // object slots not in use; new objects take the lowest
    PlayReport report_;
};

PlayReport WmfPlayer::run() {
    report_.kind = Kind::Wmf;
    const platform::ByteCursor h(bytes_, msg::invalidMetafile());
    const QRectF box(QPointF(h.i16leAt(6), h.i16leAt(8)), QPointF(h.i16leAt(10), h.i16leAt(12)));
    const int inch = h.u16leAt(14);
    const int headerWords = h.u16leAt(22 + 2);
    const int objects = h.u16leAt(22 + 12);
    for (int i = 0; i < objects; ++i) free_.insert(free_.end(), i);

    Reference ref;
    QRectF frame = box.normalized();
    if (frame.width() <= 0 || frame.height() <= 0) frame = QRectF(0, 0, 1, 1);
    if (inch > 0) ref.pixelsPerMmX = ref.pixelsPerMmY = inch / 25.4;
    // The picture's units are its logical units: window and viewport begin at the box,
    // so records that only set the window fit it into the box.
    ref.origin = box.topLeft();
    ref.extent = box.size();
    if (ref.extent.width() == 0 || ref.extent.height() == 0) ref.extent = QSizeF(1, 1);
    ref.base = QTransform::fromTranslate(-box.left(), -box.top()) *
               QTransform::fromScale(dest_.width() / box.width(), dest_.height() / box.height()) *
               QTransform::fromTranslate(dest_.left(), dest_.top());
    if (box.width() == 0 || box.height() == 0)
        ref.base = QTransform::fromTranslate(dest_.left(), dest_.top());
    dc_ = std::make_unique<GdiContext>(canvas_, ref);
    dc_->state().meta &= QRegion(dest_);
    dc_->resetClip();

    qsizetype pos = 22 + qsizetype(std::max(headerWords, 9)) * 2;
    report_.records = 1;
    report_.truncated = true;
    while (pos + 6 <= bytes_.size()) {
        const std::uint32_t words = qFromLittleEndian<std::uint32_t>(bytes_.data() + pos);
        const unsigned f = qFromLittleEndian<std::uint16_t>(bytes_.data() + pos + 4);
        if (words < 3 || words > std::uint64_t(bytes_.size() - pos) / 2) break;
        ++report_.records;
        if (f == 0) {
            report_.truncated = false;
            break;
        }
        try {
            record(f, Params(bytes_.sliced(pos, qsizetype(words) * 2)));
        } catch (const Exception&) {
            countSkipped(report_, wmfName(f), f);
        }
        pos += qsizetype(words) * 2;
    }
    if (canvas_.inPath()) canvas_.abortPath();
    return report_;
}

void WmfPlayer::create(GdiObject o) {
    // Every creating record takes a slot, drawn or not, so later indexes stay right.
    if (free_.empty()) return;
    const int slot = *free_.begin();
    free_.erase(free_.begin());
    objects_[slot] = std::move(o);
}

void WmfPlayer::select(int index) {
    const auto it = objects_.find(index);
    if (it == objects_.end()) return;
    auto& s = dc_->state();
    const GdiObject& o = it->second;
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
        case GdiObject::Type::Region:
            dc_->combineClip(dc_->deviceRegion(o.region), 5);
            break;
        default:
            break;
    }
}

void WmfPlayer::record(unsigned f, const Params& p) {
    GdiContext& dc = *dc_;
    auto& s = dc.state();
    const auto point = [&](qsizetype word) { return QPointF(p.i(word + 1), p.i(word)); };
    switch (f) {
        case 0x0201:
            s.bkColor = colorRef(p.u32(0));
            return;
        case 0x0102:
            s.bkMode = p.u(0);
            return;
        case 0x0103:
            dc.setMapMode(p.u(0));
            return;
        case 0x0104:
            s.rop2 = p.u(0);
            return;
        case 0x0106:
            s.polyFill = p.u(0);
            return;
        case 0x0107:
            s.stretchMode = p.u(0);
            return;
        case 0x0209:
            s.textColor = colorRef(p.u32(0));
            return;
        case 0x020B:
            s.windowOrg = point(0);
            dc.changedMapping();
            return;
        case 0x020C:
        case 0x020E: {
            const QSizeF e(p.i(1), p.i(0));
            if (e.width() == 0 || e.height() == 0) return;
            (f == 0x020C ? s.windowExt : s.viewportExt) = e;
            dc.changedMapping();
            return;
        }
        case 0x020D:
            s.viewportOrg = point(0);
            dc.changedMapping();
            return;
        case 0x020F:
        case 0x0211:
            (f == 0x020F ? s.windowOrg : s.viewportOrg) += point(0);
            dc.changedMapping();
            return;
        case 0x0410:
        case 0x0412: {  // yDenom, yNum, xDenom, xNum
            const double yd = p.i(0), yn = p.i(1), xd = p.i(2), xn = p.i(3);
            if (xd == 0 || yd == 0 || xn == 0 || yn == 0) return;
            QSizeF& e = f == 0x0410 ? s.windowExt : s.viewportExt;
            e = QSizeF(e.width() * xn / xd, e.height() * yn / yd);
            dc.changedMapping();
            return;
        }
        case 0x0213:
            dc.lineTo(point(0));
            return;
        case 0x0214:
            dc.moveTo(point(0));
            return;
        case 0x0415:
        case 0x0416:
            dc.combineClip(dc.deviceRect(p.reversedRect(0)), f == 0x0416 ? 1 : 4);
            return;
        case 0x0817:
        case 0x081A:
        case 0x0830:
            dc.arc(f == 0x0817 ? 0 : f == 0x081A ? 2 : 3, p.reversedRect(4), point(2), point(0));
            return;
        case 0x0418:
            dc.ellipse(p.reversedRect(0));
            return;
        case 0x041B:
            dc.rectangle(p.reversedRect(0));
            return;
        case 0x061C:
            dc.roundRect(p.reversedRect(2), QSizeF(p.i(1), p.i(0)));
            return;
        case 0x061D:  // PATBLT: rop, height, width, y, x
            dc.patBlt(QRectF(p.i(5), p.i(4), p.i(3), p.i(2)), p.u32(0));
            return;
        case 0x001E:
            dc.save();
            return;
        case 0x0127:
            dc.restore(p.i(0));
            return;
        case 0x041F:
            dc.setPixel(point(2), colorRef(p.u32(0)));
            return;
        case 0x0220:
            dc.offsetClip(point(0));
            return;
        case 0x0521:
            text(p, false);
            return;
        case 0x0A32:
            text(p, true);
            return;
        case 0x0324:
        case 0x0325: {
            const std::vector<QPointF> pts = p.points(1, p.u(0));
            if (f == 0x0324)
                dc.polygons({pts});
            else
                dc.polyline(pts);
            return;
        }
        case 0x0538: {
            const int polys = p.u(0);
            (void)p.bytes(1, qsizetype(polys) * 2);
            std::vector<std::vector<QPointF>> parts;
            qsizetype at = 1 + polys;
            for (int k = 0; k < polys; ++k) {
                const int n = p.u(1 + k);
                parts.push_back(p.points(at, n));
                at += 2 * qsizetype(n);
            }
            dc.polygons(parts);
            return;
        }
        case 0x0228:
        case 0x0429: {  // FILLREGION: region, brush; FRAMEREGION: region, brush, height, width
            const auto rgn = objects_.find(p.u(0));
            const auto brush = objects_.find(p.u(1));
            if (rgn == objects_.end() || brush == objects_.end() ||
                brush->second.type != GdiObject::Type::Brush)
                return;
            const QRegion d = dc.deviceRegion(rgn->second.region);
            if (f == 0x0228)
                dc.fillRegion(d, brush->second.brush);
            else
                dc.frameRegion(d, brush->second.brush, QSizeF(p.i(3), p.i(2)));
            return;
        }
        case 0x012A:
        case 0x012B: {
            const auto rgn = objects_.find(p.u(0));
            if (rgn == objects_.end()) return;
            const QRegion d = dc.deviceRegion(rgn->second.region);
            if (f == 0x012A)
                dc.invertRegion(d);
            else
                dc.fillRegion(d, s.brush);
            return;
        }
        case 0x012C: {
            const auto rgn = objects_.find(p.u(0));
            if (p.u(0) == 0 && rgn == objects_.end())
                dc.resetClip();
            else if (rgn != objects_.end() && rgn->second.type == GdiObject::Type::Region)
                dc.combineClip(dc.deviceRegion(rgn->second.region), 5);
            return;
        }
        case 0x012D:
            select(p.u(0));
            return;
        case 0x012E:
            s.textAlign = p.u(0);
            return;
        case 0x0231:  // SETMAPPERFLAGS
        case 0x0234:  // SELECTPALETTE
        case 0x0035:  // REALIZEPALETTE
        case 0x0037:
        case 0x0139:
        case 0x0436:
        case 0x0149:  // SETLAYOUT
            return;
        case 0x01F0: {
            const int index = p.u(0);
            if (objects_.erase(index)) free_.insert(index);
            return;
        }
        case 0x02FA: {  // CREATEPENINDIRECT: style, width (x, y), colour
            GdiObject o;
            o.type = GdiObject::Type::Pen;
            o.pen.style = p.u(0) & 0xF;
            o.pen.width = p.i(1);
            o.pen.cosmetic = o.pen.width <= 1;
            o.pen.color = colorRef(p.u32(3));
            create(o);
            return;
        }
        case 0x02FC: {  // CREATEBRUSHINDIRECT: style, colour, hatch
            GdiObject o;
            o.type = GdiObject::Type::Brush;
            const int style = p.u(0);
            o.brush.style = style == 1 ? 1 : style == 2 ? 2 : 0;
            o.brush.color = colorRef(p.u32(1));
            o.brush.hatch = p.u(3);
            create(o);
            return;
        }
        case 0x02FB: {  // CREATEFONTINDIRECT
            GdiObject o;
            o.type = GdiObject::Type::Font;
            FontSpec& ft = o.font;
            ft.height = p.i(0);
            ft.width = p.i(1);
            ft.escapement = p.i(2);
            ft.weight = p.i(4);
            const QByteArrayView flags = p.bytes(5, 8);
            ft.italic = flags[0], ft.underline = flags[1], ft.strikeOut = flags[2];
            ft.charset = std::uint8_t(flags[3]);
            QByteArrayView face = p.rest(9).first(std::min<qsizetype>(32, p.rest(9).size()));
            const qsizetype end = face.indexOf('\0');
            if (end >= 0) face = face.first(end);
            ft.face = platform::fromCp932(face.data(), face.size());
            create(o);
            return;
        }
        case 0x0142: {  // DIBCREATEPATTERNBRUSH: style, usage, packed DIB
            GdiObject o;
            o.type = GdiObject::Type::Brush;
            o.brush.style = 3;
            o.brush.pattern = decodePackedDib(p.rest(2)).convertToFormat(QImage::Format_RGB32);
            if (o.brush.pattern.isNull()) o.brush.style = 0;
            create(o);
            return;
        }
        case 0x06FF: {
            GdiObject o;
            o.type = GdiObject::Type::Region;
            o.region = readRegion(p);
            create(o);
            return;
        }
        case 0x00F7:  // CREATEPALETTE
        case 0x01F9:  // CREATEPATTERNBRUSH (a device-dependent bitmap)
        {
            GdiObject o;
            o.type = f == 0x01F9 ? GdiObject::Type::Brush : GdiObject::Type::Other;
            o.brush.color = 0x808080;
            create(o);
            if (f == 0x01F9) countSkipped(report_, wmfName(f), f);
            return;
        }
        case 0x0940:
        case 0x0B41:
        case 0x0F43:
        case 0x0D33:
            dib(f, p);
            return;
        default:
            countSkipped(report_, wmfName(f), f);
            return;
    }
}

void WmfPlayer::text(const Params& p, bool extended) {
    QPointF ref;
    QByteArrayView str;
    std::optional<QRectF> box;
    unsigned options = 0;
    qsizetype dxWord = -1;
    int count = 0;
    if (!extended) {  // TEXTOUT: count, string (even length), y, x
        count = p.u(0);
        const qsizetype words = (count + 1) / 2;
        str = p.bytes(1, count);
        ref = QPointF(p.i(2 + words), p.i(1 + words));
    } else {  // EXTTEXTOUT: y, x, count, options, [rectangle], string, [dx]
        ref = QPointF(p.i(1), p.i(0));
        count = p.u(2);
        options = p.u(3);
        qsizetype at = 4;
        if (options & 6) {
            box = QRectF(QPointF(p.i(4), p.i(5)), QPointF(p.i(6), p.i(7)));
            at = 8;
        }
        str = p.bytes(at, count);
        dxWord = at + (count + 1) / 2;
        if (p.words() - 3 < dxWord + count) dxWord = -1;
    }
    const QString text = platform::fromCp932(str.data(), str.size());
    std::vector<double> dx;
    if (dxWord >= 0) {
        // One advance per byte: a double-byte character takes the sum of its two.
        qsizetype b = 0;
        for (QChar ch : text) {
            const qsizetype len = platform::toCp932(QString(ch)).size();
            double a = 0;
            for (qsizetype k = 0; k < len && b < count; ++k) a += p.i(dxWord + b++);
            dx.push_back(a);
        }
    }
    dc_->text(ref, text, dx, options & 2 ? box : std::nullopt, options & 4 ? box : std::nullopt);
}

void WmfPlayer::dib(unsigned f, const Params& p) {
    bool bottomUp = false;
    QImage img;
    QRectF dest, src;
    std::uint32_t rop = platform::SRCCOPY;
    const auto srcTop = [&](double y, double h) { return bottomUp ? img.height() - y - h : y; };
    if (f == 0x0940) {  // DIBBITBLT: rop, ySrc, xSrc, height, width, yDest, xDest, DIB
        rop = p.u32(0);
        const bool noBitmap = p.words() == 12;
        const qsizetype k = noBitmap ? 1 : 0;
        dest = QRectF(p.i(7 + k), p.i(6 + k), p.i(5 + k), p.i(4 + k));
        if (!noBitmap) {
            img = decodePackedDib(p.rest(8), &bottomUp);
            src = QRectF(p.i(3), srcTop(p.i(2), dest.height()), dest.width(), dest.height());
        }
    } else if (f == 0x0B41) {  // DIBSTRETCHBLT: rop, srcH, srcW, ySrc, xSrc, h, w, y, x, DIB
        rop = p.u32(0);
        const bool noBitmap = p.words() == 14;
        const qsizetype k = noBitmap ? 1 : 0;
        dest = QRectF(p.i(9 + k), p.i(8 + k), p.i(7 + k), p.i(6 + k));
        if (!noBitmap) {
            img = decodePackedDib(p.rest(10), &bottomUp);
            src = QRectF(p.i(5), srcTop(p.i(4), p.i(2)), p.i(3), p.i(2));
        }
    } else if (f == 0x0F43) {  // STRETCHDIB: rop, usage, srcH, srcW, ySrc, xSrc, h, w, y, x, DIB
        rop = p.u32(0);
        img = decodePackedDib(p.rest(11), &bottomUp);
        dest = QRectF(p.i(10), p.i(9), p.i(8), p.i(7));
        src = QRectF(p.i(6), srcTop(p.i(5), p.i(3)), p.i(4), p.i(3));
    } else {  // SETDIBTODEV: usage, scans, start, ySrc, xSrc, h, w, yDest, xDest, DIB
        img = decodePackedDib(p.rest(9), &bottomUp);
        dest = QRectF(p.i(8), p.i(7), p.i(6), p.i(5));
        src = QRectF(p.i(4), srcTop(p.i(3), p.i(5)), p.i(6), p.i(5));
    }
    if (img.isNull() && platform::rop3UsesSource(rop)) {
        countSkipped(report_, wmfName(f), f);
        return;
    }
    dc_->drawImage(dest, img, src, rop);
}

}  // namespace

PlayReport playWmf(QByteArrayView bytes, platform::Canvas& canvas, const QRect& dest) {
    return WmfPlayer(bytes, canvas, dest).run();
}

}  // namespace metafile
