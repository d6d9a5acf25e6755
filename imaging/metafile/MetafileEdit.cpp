#include "imaging/metafile/MetafileEdit.h"

#include "document/stream/ValueGrammar.h"
#include "imaging/Messages.h"
#include "imaging/metafile/EmfWriter.h"
#include "imaging/metafile/MetafilePlayer.h"
#include "platform/ByteCursor.h"
#include "platform/Exception.h"
#include "platform/canvas/Canvas.h"

#include <QtEndian>
#include <cmath>

namespace metafile {

namespace {

void set32(QByteArray& b, qsizetype at, std::uint32_t v) {
    qToLittleEndian(v, b.data() + at);
}
void append32(QByteArray& b, std::uint32_t v) {
    putLE(b, v, 4);
}
void append16(QByteArray& b, std::uint16_t v) {
    putLE(b, v, 2);
}

QByteArray clippedEmf(QByteArrayView bytes, QSize pictureSize, QRect rect) {
    const platform::ByteCursor c(bytes, msg::invalidMetafile());
    const std::uint32_t headerSize = c.u32leAt(4);
    if (headerSize < 88 || headerSize % 4 || headerSize > std::uint64_t(bytes.size()))
        throw Exception(msg::invalidMetafile());
    double ppmX = 96 / 25.4, ppmY = 96 / 25.4;
    if (c.i32leAt(72) > 0 && c.i32leAt(76) > 0 && c.i32leAt(80) > 0 && c.i32leAt(84) > 0) {
        ppmX = double(c.i32leAt(72)) / c.i32leAt(80);
        ppmY = double(c.i32leAt(76)) / c.i32leAt(84);
    }
    const double fl = c.i32leAt(24), ft = c.i32leAt(28), fr = c.i32leAt(32), fb = c.i32leAt(36);
    // 0.01 mm per picture pixel along each side.
    const double ux = (fr - fl) / std::max(1, pictureSize.width());
    const double uy = (fb - ft) / std::max(1, pictureSize.height());
    const auto frameX = [&](int x) { return fl + x * ux; };
    const auto frameY = [&](int y) { return ft + y * uy; };
    const auto device = [](double units, double ppm) {
        return int(std::lround(units / 100 * ppm));
    };

    QByteArray out = bytes.first(headerSize).toByteArray();
    const int cl = device(frameX(rect.left()), ppmX), ct = device(frameY(rect.top()), ppmY);
    const int cr = device(frameX(rect.left() + rect.width()), ppmX);
    const int cb = device(frameY(rect.top() + rect.height()), ppmY);
    set32(out, 8, std::uint32_t(cl)), set32(out, 12, std::uint32_t(ct));
    set32(out, 16, std::uint32_t(cr - 1)), set32(out, 20, std::uint32_t(cb - 1));
    set32(out, 24, std::uint32_t(std::lround(frameX(rect.left()))));
    set32(out, 28, std::uint32_t(std::lround(frameY(rect.top()))));
    set32(out, 32, std::uint32_t(std::lround(frameX(rect.left() + rect.width()))));
    set32(out, 36, std::uint32_t(std::lround(frameY(rect.top() + rect.height()))));
    // The clip, made the meta region so that the source's own clipping stays inside it.
    append32(out, 30), append32(out, 24);
    append32(out, std::uint32_t(cl)), append32(out, std::uint32_t(ct));
    append32(out, std::uint32_t(cr)), append32(out, std::uint32_t(cb));
    append32(out, 28), append32(out, 8);
    std::uint32_t records = 3;
    qsizetype pos = headerSize;
    bool ended = false;
    while (pos + 8 <= bytes.size() && !ended) {
        const std::uint32_t type = c.u32leAt(pos), size = c.u32leAt(pos + 4);
        if (size < 8 || size % 4 || size > std::uint64_t(bytes.size() - pos)) break;
        out.append(bytes.sliced(pos, size).toByteArray());
        ++records;
        ended = type == 14;
        pos += size;
    }
    if (!ended)
        append32(out, 14), append32(out, 20), append32(out, 0), append32(out, 16),
            append32(out, 20), ++records;
    set32(out, 48, std::uint32_t(out.size()));
    set32(out, 52, records);
    return out;
}

}  // namespace

QByteArray clippedMetafile(QByteArrayView bytes, QSize pictureSize, QRect rect) {
    const Kind kind = kindOf(bytes);
    if (kind == Kind::None) throw Exception(msg::invalidMetafile());
    if (rect.isEmpty() || std::int64_t(rect.width()) * rect.height() > kMaxBitmapPixels)
        throw Exception(msg::pictureLoadFailed());
    if (kind == Kind::Emf) return clippedEmf(bytes, pictureSize, rect);
    QImage image(rect.size(), QImage::Format_RGB32);
    if (image.isNull()) throw Exception(msg::pictureLoadFailed());
    image.fill(Qt::white);
    platform::Canvas canvas(image);
    play(bytes, canvas,
         {-rect.left(), -rect.top(), pictureSize.width() - rect.left(),
          pictureSize.height() - rect.top()});
    return emfFromImage(image);
}

QByteArray placeableFromPlain(QByteArrayView bytes) {
    const platform::ByteCursor c(bytes);
    if (!c.hasAt(0, 18)) return {};
    const int type = c.u16leAt(0), headerWords = c.u16leAt(2);
    if ((type != 1 && type != 2) || headerWords != 9) return {};
    int ox = 0, oy = 0, ex = 0, ey = 0;
    for (qsizetype pos = 18; c.hasAt(pos, 6);) {
        const std::uint32_t words = c.u32leAt(pos);
        const int f = c.u16leAt(pos + 4);
        if (words < 3 || words > std::uint64_t(bytes.size() - pos) / 2 || f == 0) break;
        if ((f == 0x020B || f == 0x020C) && words >= 5) {
            const int y = c.i16leAt(pos + 6), x = c.i16leAt(pos + 8);
            (f == 0x020B ? oy : ey) = y;
            (f == 0x020B ? ox : ex) = x;
        }
        pos += qsizetype(words) * 2;
    }
    if (ex == 0 || ey == 0) return {};
    QByteArray out;
    append32(out, 0x9AC6CDD7);
    append16(out, 0);
    append16(out, std::uint16_t(std::min(ox, ox + ex))),
        append16(out, std::uint16_t(std::min(oy, oy + ey)));
    append16(out, std::uint16_t(std::max(ox, ox + ex))),
        append16(out, std::uint16_t(std::max(oy, oy + ey)));
    append16(out, 1440);
    append32(out, 0);
    std::uint16_t sum = 0;
    for (qsizetype i = 0; i < out.size(); i += 2)
        sum ^= std::uint16_t(std::uint8_t(out[i]) | std::uint8_t(out[i + 1]) << 8);
    append16(out, sum);
    return out + bytes.toByteArray();
}

}  // namespace metafile
