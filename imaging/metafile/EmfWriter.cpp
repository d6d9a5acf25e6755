#include "imaging/metafile/EmfWriter.h"

#include "document/stream/ValueGrammar.h"
#include "imaging/codecs/Bmp.h"

#include <cmath>
#include <cstring>

namespace metafile {

namespace {

void put32(QByteArray& b, std::uint32_t v) {
    putLE(b, v, 4);
}
void putI(QByteArray& b, int v) {
    put32(b, std::uint32_t(v));
}
void put16(QByteArray& b, std::uint16_t v) {
    putLE(b, v, 2);
}
void putF(QByteArray& b, double v) {
    const float f = float(v);
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    put32(b, u);
}
void putRect(QByteArray& b, QRect r) {  // RECTL: right and bottom one past the last pixel
    putI(b, r.left()), putI(b, r.top()), putI(b, r.left() + r.width()),
        putI(b, r.top() + r.height());
}
void putBounds(QByteArray& b) {  // bounds of drawing records are not consulted on playback
    putI(b, 0), putI(b, 0), putI(b, -1), putI(b, -1);
}

// A DIB's information block and bits, split from the BMP the codec writes.
struct DibParts {
    QByteArray info, bits;
};
DibParts dibOf(const QImage& image) {
    const QByteArray bmp = codecs::WriteBmp(image);
    const codecs::BmpLayout l = codecs::ReadBmpLayout(bmp);
    return {bmp.mid(14, l.headerAndTable), bmp.mid(14 + l.headerAndTable, l.pixelBytes)};
}

// 96 pixels per inch as device pixels and millimetres.
constexpr int kDevicePixels = 960, kDeviceMm = 254;

}  // namespace

EmfWriter::EmfWriter(QSize size) : size_(size) {}

void EmfWriter::record(std::uint32_t type, const QByteArray& params) {
    QByteArray p = params;
    while (p.size() % 4) p.append('\0');
    put32(body_, type);
    put32(body_, std::uint32_t(p.size() + 8));
    body_.append(p);
    ++records_;
}

void EmfWriter::setMapMode(int mode) {
    QByteArray b;
    putI(b, mode);
    record(17, b);
}
void EmfWriter::setWindowOrg(QPoint p) {
    QByteArray b;
    putI(b, p.x()), putI(b, p.y());
    record(10, b);
}
void EmfWriter::setWindowExt(QSize s) {
    QByteArray b;
    putI(b, s.width()), putI(b, s.height());
    record(9, b);
}
void EmfWriter::setViewportOrg(QPoint p) {
    QByteArray b;
    putI(b, p.x()), putI(b, p.y());
    record(12, b);
}
void EmfWriter::setViewportExt(QSize s) {
    QByteArray b;
    putI(b, s.width()), putI(b, s.height());
    record(11, b);
}
void EmfWriter::setWorldTransform(const QTransform& t) {
    QByteArray b;
    putF(b, t.m11()), putF(b, t.m12()), putF(b, t.m21()), putF(b, t.m22()), putF(b, t.dx()),
        putF(b, t.dy());
    record(35, b);
}
void EmfWriter::setTextColor(TColor c) {
    QByteArray b;
    put32(b, std::uint32_t(c));
    record(24, b);
}
void EmfWriter::setBkColor(TColor c) {
    QByteArray b;
    put32(b, std::uint32_t(c));
    record(25, b);
}
void EmfWriter::setBkMode(int mode) {
    QByteArray b;
    putI(b, mode);
    record(18, b);
}
void EmfWriter::setTextAlign(int align) {
    QByteArray b;
    putI(b, align);
    record(22, b);
}
void EmfWriter::setPolyFillMode(int mode) {
    QByteArray b;
    putI(b, mode);
    record(19, b);
}
void EmfWriter::setRop2(int rop) {
    QByteArray b;
    putI(b, rop);
    record(20, b);
}
void EmfWriter::saveDC() {
    record(33);
}
void EmfWriter::restoreDC(int relative) {
    QByteArray b;
    putI(b, relative);
    record(34, b);
}
void EmfWriter::intersectClipRect(QRect r) {
    QByteArray b;
    putI(b, r.left()), putI(b, r.top()), putI(b, r.left() + r.width()),
        putI(b, r.top() + r.height());
    record(30, b);
}
void EmfWriter::excludeClipRect(QRect r) {
    QByteArray b;
    putI(b, r.left()), putI(b, r.top()), putI(b, r.left() + r.width()),
        putI(b, r.top() + r.height());
    record(29, b);
}
void EmfWriter::setMetaRegion() {
    record(28);
}

std::uint32_t EmfWriter::newHandle() {
    if (!freed_.empty()) {
        const std::uint32_t h = *freed_.begin();
        freed_.erase(freed_.begin());
        return h;
    }
    return handles_++;
}

std::uint32_t EmfWriter::createPen(int style, int width, TColor color) {
    const std::uint32_t h = newHandle();
    QByteArray b;
    put32(b, h), putI(b, style), putI(b, width), putI(b, 0), put32(b, std::uint32_t(color));
    record(38, b);
    return h;
}
std::uint32_t EmfWriter::createBrush(int style, TColor color, int hatch) {
    const std::uint32_t h = newHandle();
    QByteArray b;
    put32(b, h), putI(b, style), put32(b, std::uint32_t(color)), putI(b, hatch);
    record(39, b);
    return h;
}
std::uint32_t EmfWriter::createPatternBrush(const QImage& pattern) {
    const std::uint32_t h = newHandle();
    const DibParts dib = dibOf(pattern);
    QByteArray b;
    const std::uint32_t offBmi = 32, offBits = offBmi + std::uint32_t(dib.info.size());
    put32(b, h), put32(b, 0), put32(b, offBmi), put32(b, std::uint32_t(dib.info.size())),
        put32(b, offBits), put32(b, std::uint32_t(dib.bits.size()));
    b.append(dib.info).append(dib.bits);
    record(94, b);
    return h;
}
std::uint32_t EmfWriter::createFont(int height, const QString& face, int weight, int escapement) {
    const std::uint32_t h = newHandle();
    QByteArray b;
    put32(b, h), putI(b, height), putI(b, 0), putI(b, escapement), putI(b, escapement),
        putI(b, weight);
    b.append(4, '\0');  // italic, underline, strike-out, character set
    b[b.size() - 1] = char(128);
    b.append(4, '\0');  // precisions, quality, pitch
    for (int i = 0; i < 32; ++i) put16(b, i < face.size() ? face[i].unicode() : 0);
    record(82, b);
    return h;
}
void EmfWriter::selectObject(std::uint32_t handle) {
    QByteArray b;
    put32(b, handle);
    record(37, b);
}
void EmfWriter::deleteObject(std::uint32_t handle) {
    QByteArray b;
    put32(b, handle);
    record(40, b);
    if (handle > 0 && handle < handles_) freed_.insert(handle);
}

void EmfWriter::moveTo(QPoint p) {
    QByteArray b;
    putI(b, p.x()), putI(b, p.y());
    record(27, b);
}
void EmfWriter::lineTo(QPoint p) {
    QByteArray b;
    putI(b, p.x()), putI(b, p.y());
    record(54, b);
}
void EmfWriter::rectangle(QRect r) {
    QByteArray b;
    putRect(b, r);
    record(43, b);
}
void EmfWriter::ellipse(QRect r) {
    QByteArray b;
    putRect(b, r);
    record(42, b);
}
void EmfWriter::roundRect(QRect r, QSize corner) {
    QByteArray b;
    putRect(b, r);
    putI(b, corner.width()), putI(b, corner.height());
    record(44, b);
}
void EmfWriter::arc(int type, QRect box, QPoint start, QPoint end) {
    QByteArray b;
    putRect(b, box);
    putI(b, start.x()), putI(b, start.y()), putI(b, end.x()), putI(b, end.y());
    record(std::uint32_t(type), b);
}

void EmfWriter::points(std::uint32_t type, const std::vector<QPoint>& pts, bool small) {
    QByteArray b;
    putBounds(b);
    put32(b, std::uint32_t(pts.size()));
    for (QPoint p : pts) {
        if (small)
            put16(b, std::uint16_t(p.x())), put16(b, std::uint16_t(p.y()));
        else
            putI(b, p.x()), putI(b, p.y());
    }
    record(type, b);
}
void EmfWriter::polygon(const std::vector<QPoint>& pts, bool small) {
    points(small ? 86 : 3, pts, small);
}
void EmfWriter::polyline(const std::vector<QPoint>& pts, bool small) {
    points(small ? 87 : 4, pts, small);
}
void EmfWriter::polyBezier(const std::vector<QPoint>& pts) {
    points(2, pts, false);
}
void EmfWriter::polyPolygon(const std::vector<std::vector<QPoint>>& polys, bool small) {
    QByteArray b;
    putBounds(b);
    std::uint32_t total = 0;
    for (const auto& p : polys) total += std::uint32_t(p.size());
    put32(b, std::uint32_t(polys.size())), put32(b, total);
    for (const auto& p : polys) put32(b, std::uint32_t(p.size()));
    for (const auto& poly : polys)
        for (QPoint p : poly) {
            if (small)
                put16(b, std::uint16_t(p.x())), put16(b, std::uint16_t(p.y()));
            else
                putI(b, p.x()), putI(b, p.y());
        }
    record(small ? 91 : 8, b);
}
void EmfWriter::beginPath() {
    record(59);
}
void EmfWriter::endPath() {
    record(60);
}
void EmfWriter::closeFigure() {
    record(61);
}
void EmfWriter::fillPath() {
    QByteArray b;
    putBounds(b);
    record(62, b);
}
void EmfWriter::strokePath() {
    QByteArray b;
    putBounds(b);
    record(64, b);
}
void EmfWriter::selectClipPath(int mode) {
    QByteArray b;
    putI(b, mode);
    record(67, b);
}

void EmfWriter::textOut(QPoint p, const QString& text, const std::vector<int>& dx) {
    // Bounds, graphics mode, scales, then EMRTEXT; the string and the advances follow.
    QByteArray b;
    putBounds(b);
    putI(b, 1), putF(b, 1), putF(b, 1);
    const std::uint32_t n = std::uint32_t(text.size());
    const std::uint32_t offString = 76;
    const std::uint32_t stringBytes = (n * 2 + 3) / 4 * 4;
    putI(b, p.x()), putI(b, p.y()), put32(b, n), put32(b, offString), put32(b, 0);
    putI(b, 0), putI(b, 0), putI(b, -1), putI(b, -1);
    put32(b, dx.empty() ? 0 : offString + stringBytes);
    for (QChar ch : text) put16(b, ch.unicode());
    while (b.size() % 4) b.append('\0');
    for (int a : dx) putI(b, a);
    record(84, b);
}

void EmfWriter::stretchDIBits(QRect dest, const QImage& image, std::uint32_t rop) {
    const DibParts dib =
        dibOf(image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                      : image.convertToFormat(QImage::Format_BGR888));
    QByteArray b;
    putBounds(b);
    const std::uint32_t offBmi = 80, offBits = offBmi + std::uint32_t(dib.info.size());
    putI(b, dest.x()), putI(b, dest.y()), putI(b, 0), putI(b, 0), putI(b, image.width()),
        putI(b, image.height());
    put32(b, offBmi), put32(b, std::uint32_t(dib.info.size())), put32(b, offBits),
        put32(b, std::uint32_t(dib.bits.size()));
    put32(b, 0), put32(b, rop), putI(b, dest.width()), putI(b, dest.height());
    b.append(dib.info).append(dib.bits);
    record(81, b);
}

void EmfWriter::alphaBlend(QRect dest, const QImage& image, int constantAlpha) {
    // The premultiplied pixels' bytes written as a plain 32-bit bitmap.
    QImage pre = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    pre.reinterpretAsFormat(QImage::Format_ARGB32);
    const DibParts dib = dibOf(pre);
    QByteArray b;
    putBounds(b);
    putI(b, dest.x()), putI(b, dest.y()), putI(b, dest.width()), putI(b, dest.height());
    put32(b, std::uint32_t(constantAlpha & 0xFF) << 16 | (1u << 24));
    putI(b, 0), putI(b, 0);
    putF(b, 1), putF(b, 0), putF(b, 0), putF(b, 1), putF(b, 0), putF(b, 0);
    put32(b, 0), put32(b, 0);
    const std::uint32_t offBmi = 108, offBits = offBmi + std::uint32_t(dib.info.size());
    put32(b, offBmi), put32(b, std::uint32_t(dib.info.size())), put32(b, offBits),
        put32(b, std::uint32_t(dib.bits.size()));
    putI(b, image.width()), putI(b, image.height());
    b.append(dib.info).append(dib.bits);
    record(114, b);
}

QByteArray EmfWriter::finish() const {
    QByteArray eof;
    put32(eof, 14), put32(eof, 20), put32(eof, 0), put32(eof, 16), put32(eof, 20);
    const std::uint32_t headerSize = 108;
    const std::uint32_t total = headerSize + std::uint32_t(body_.size() + eof.size());
    QByteArray h;
    put32(h, 1), put32(h, headerSize);
    putI(h, 0), putI(h, 0), putI(h, size_.width() - 1), putI(h, size_.height() - 1);
    // The frame in 0.01 mm at 96 pixels per inch.
    putI(h, 0), putI(h, 0), putI(h, int(std::lround(size_.width() * 2540.0 / 96))),
        putI(h, int(std::lround(size_.height() * 2540.0 / 96)));
    put32(h, 0x464D4520), put32(h, 0x10000), put32(h, total), put32(h, records_ + 2);
    put16(h, std::uint16_t(handles_)), put16(h, 0);
    put32(h, 0), put32(h, 0), put32(h, 0);
    putI(h, kDevicePixels), putI(h, kDevicePixels), putI(h, kDeviceMm), putI(h, kDeviceMm);
    put32(h, 0), put32(h, 0), put32(h, 0);
    putI(h, kDeviceMm * 1000), putI(h, kDeviceMm * 1000);
    return h + body_ + eof;
}

QByteArray emfFromImage(const QImage& image) {
    EmfWriter w(image.size());
    w.stretchDIBits(QRect(QPoint(0, 0), image.size()), image);
    return w.finish();
}

}  // namespace metafile
