#include "imaging/metafile/WmfWriter.h"

#include "document/stream/ValueGrammar.h"
#include "imaging/codecs/Bmp.h"
#include "platform/ShiftJis.h"

namespace metafile {

namespace {

void put16(QByteArray& b, std::uint16_t v) {
    putLE(b, v, 2);
}
void put32(QByteArray& b, std::uint32_t v) {
    putLE(b, v, 4);
}
std::uint16_t w(int v) {
    return std::uint16_t(v);
}
std::vector<std::uint16_t> words(const QByteArray& bytes) {
    std::vector<std::uint16_t> out;
    for (qsizetype i = 0; i < bytes.size(); i += 2)
        out.push_back(std::uint16_t(std::uint8_t(bytes[i]) |
                                    (i + 1 < bytes.size() ? std::uint8_t(bytes[i + 1]) << 8 : 0)));
    return out;
}
void append(std::vector<std::uint16_t>& to, const std::vector<std::uint16_t>& more) {
    to.insert(to.end(), more.begin(), more.end());
}
// A rectangle as bottom, right, top, left.
std::vector<std::uint16_t> reversed(QRect r) {
    return {w(r.top() + r.height()), w(r.left() + r.width()), w(r.top()), w(r.left())};
}

}  // namespace

WmfWriter::WmfWriter(QRect box, int unitsPerInch) : box_(box), inch_(unitsPerInch) {}

void WmfWriter::record(std::uint16_t function, const std::vector<std::uint16_t>& params) {
    const std::uint32_t size = std::uint32_t(3 + params.size());
    put32(body_, size);
    put16(body_, function);
    for (std::uint16_t p : params) put16(body_, p);
    maxRecord_ = std::max(maxRecord_, size);
}

void WmfWriter::setMapMode(int mode) {
    record(0x0103, {w(mode)});
}
void WmfWriter::setWindowOrg(QPoint p) {
    record(0x020B, {w(p.y()), w(p.x())});
}
void WmfWriter::setWindowExt(QSize s) {
    record(0x020C, {w(s.height()), w(s.width())});
}
void WmfWriter::setTextColor(TColor c) {
    record(0x0209, {w(c & 0xFFFF), w(c >> 16)});
}
void WmfWriter::setBkColor(TColor c) {
    record(0x0201, {w(c & 0xFFFF), w(c >> 16)});
}
void WmfWriter::setBkMode(int mode) {
    record(0x0102, {w(mode)});
}
void WmfWriter::setTextAlign(int align) {
    record(0x012E, {w(align)});
}
void WmfWriter::saveDC() {
    record(0x001E);
}
void WmfWriter::restoreDC(int relative) {
    record(0x0127, {w(relative)});
}
void WmfWriter::intersectClipRect(QRect r) {
    record(0x0416, reversed(r));
}

int WmfWriter::newSlot() {
    if (!freed_.empty()) {
        const int s = *freed_.begin();
        freed_.erase(freed_.begin());
        return s;
    }
    return objects_++;
}

int WmfWriter::createPen(int style, int width, TColor color) {
    record(0x02FA, {w(style), w(width), 0, w(color & 0xFFFF), w(color >> 16)});
    return newSlot();
}
int WmfWriter::createBrush(int style, TColor color, int hatch) {
    record(0x02FC, {w(style), w(color & 0xFFFF), w(color >> 16), w(hatch)});
    return newSlot();
}
int WmfWriter::createFont(int height, const QString& face, int weight, int escapement) {
    std::vector<std::uint16_t> p{w(height), 0, w(escapement), w(escapement), w(weight)};
    QByteArray flags(8, '\0');
    flags[3] = char(128);  // character set
    append(p, words(flags));
    QByteArray name = platform::toCp932(face).left(31);
    name.append('\0');
    append(p, words(name));
    record(0x02FB, p);
    return newSlot();
}
int WmfWriter::createPalette() {
    record(0x00F7, {0x300, 1, 0, 0});
    return newSlot();
}
void WmfWriter::selectObject(int slot) {
    record(0x012D, {w(slot)});
}
void WmfWriter::deleteObject(int slot) {
    record(0x01F0, {w(slot)});
    freed_.insert(slot);
}

void WmfWriter::moveTo(QPoint p) {
    record(0x0214, {w(p.y()), w(p.x())});
}
void WmfWriter::lineTo(QPoint p) {
    record(0x0213, {w(p.y()), w(p.x())});
}
void WmfWriter::rectangle(QRect r) {
    record(0x041B, reversed(r));
}
void WmfWriter::ellipse(QRect r) {
    record(0x0418, reversed(r));
}
void WmfWriter::roundRect(QRect r, QSize corner) {
    std::vector<std::uint16_t> p{w(corner.height()), w(corner.width())};
    append(p, reversed(r));
    record(0x061C, p);
}
void WmfWriter::arc(std::uint16_t function, QRect box, QPoint start, QPoint end) {
    std::vector<std::uint16_t> p{w(end.y()), w(end.x()), w(start.y()), w(start.x())};
    append(p, reversed(box));
    record(function, p);
}
void WmfWriter::polygon(const std::vector<QPoint>& pts) {
    std::vector<std::uint16_t> p{w(int(pts.size()))};
    for (QPoint q : pts) p.push_back(w(q.x())), p.push_back(w(q.y()));
    record(0x0324, p);
}
void WmfWriter::polyline(const std::vector<QPoint>& pts) {
    std::vector<std::uint16_t> p{w(int(pts.size()))};
    for (QPoint q : pts) p.push_back(w(q.x())), p.push_back(w(q.y()));
    record(0x0325, p);
}
void WmfWriter::polyPolygon(const std::vector<std::vector<QPoint>>& polys) {
    std::vector<std::uint16_t> p{w(int(polys.size()))};
    for (const auto& poly : polys) p.push_back(w(int(poly.size())));
    for (const auto& poly : polys)
        for (QPoint q : poly) p.push_back(w(q.x())), p.push_back(w(q.y()));
    record(0x0538, p);
}
void WmfWriter::textOut(QPoint pt, const QString& text, const std::vector<int>& dx) {
    const QByteArray bytes = platform::toCp932(text);
    std::vector<std::uint16_t> p{w(pt.y()), w(pt.x()), w(int(bytes.size())), 0};
    append(p, words(bytes));
    for (int a : dx) p.push_back(w(a));
    record(0x0A32, p);
}
void WmfWriter::stretchDib(QRect dest, const QImage& image) {
    const QByteArray dib = codecs::WriteBmp(image.convertToFormat(QImage::Format_BGR888)).mid(14);
    std::vector<std::uint16_t> p{0x0020,           0x00CC,      0,          w(image.height()),
                                 w(image.width()), 0,           0,          w(dest.height()),
                                 w(dest.width()),  w(dest.y()), w(dest.x())};
    append(p, words(dib));
    record(0x0F43, p);
}
void WmfWriter::escape(std::uint16_t function, const QByteArray& data) {
    std::vector<std::uint16_t> p{function, w(int(data.size()))};
    append(p, words(data));
    record(0x0626, p);
}

QByteArray WmfWriter::finish() const {
    QByteArray out;
    put32(out, 0x9AC6CDD7);
    put16(out, 0);
    put16(out, w(box_.left())), put16(out, w(box_.top()));
    put16(out, w(box_.left() + box_.width())), put16(out, w(box_.top() + box_.height()));
    put16(out, w(inch_));
    put32(out, 0);
    std::uint16_t sum = 0;
    for (qsizetype i = 0; i < out.size(); i += 2)
        sum ^= std::uint16_t(std::uint8_t(out[i]) | std::uint8_t(out[i + 1]) << 8);
    put16(out, sum);
    const std::uint32_t totalWords = std::uint32_t(9 + body_.size() / 2 + 3);
    put16(out, 1), put16(out, 9), put16(out, 0x300);
    put32(out, totalWords);
    put16(out, w(objects_));
    put32(out, maxRecord_);
    put16(out, 0);
    out.append(body_);
    put32(out, 3), put16(out, 0);
    return out;
}

}  // namespace metafile
