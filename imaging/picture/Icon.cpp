#include "imaging/picture/Icon.h"

#include "imaging/codecs/Bmp.h"
#include "imaging/codecs/Png.h"
#include "imaging/picture/MaskedImage.h"
#include "imaging/picture/StreamBytes.h"
#include "platform/ByteCursor.h"
#include "platform/Exception.h"

#include <QtEndian>
#include <cstring>

namespace {

QString invalidIcon() {
    return QStringLiteral("アイコンイメージが不正です");
}
[[noreturn]] void invalid() {
    throw Exception(invalidIcon());
}

platform::ByteCursor cursor(QByteArrayView data) {
    return platform::ByteCursor(data, [](qsizetype) { invalid(); });
}

struct DirEntry {
    std::int64_t size = 0, offset = 0;
    int pixels = 0;
};

// The directory: six bytes, then 16 per image. Returns the length of the whole file, of
// which `available` bytes may be read (`dir` holds at least the directory).
std::int64_t directoryLength(QByteArrayView dir, std::int64_t available,
                             std::vector<DirEntry>* entries) {
    platform::ByteCursor c = cursor(dir);
    if (available < 6 || c.u16le() != 0 || c.u16le() != 1) invalid();
    const int count = c.u16le();
    const std::int64_t tableEnd = 6 + 16 * std::int64_t(count);
    if (count == 0 || tableEnd > available) invalid();
    std::int64_t end = tableEnd;
    for (int i = 0; i < count; ++i) {
        platform::ByteCursor e = c.sub(16);
        const int width = e.u8(), height = e.u8();
        e.skip(6);
        DirEntry d;
        d.size = e.u32le();
        d.offset = e.u32le();
        d.pixels = (width ? width : 256) * (height ? height : 256);
        if (d.offset < tableEnd || d.size <= 0 || d.offset + d.size > available) invalid();
        end = std::max(end, d.offset + d.size);
        if (entries) entries->push_back(d);
    }
    return end;
}

void setBit(uchar* line, int x) {
    line[x >> 3] |= uchar(0x80 >> (x & 7));
}

// One image of the directory: a PNG, or a bitmap of twice the height (colours, then mask).
void decodeEntry(QByteArrayView data, QImage& image, QImage& mask) {
    if (data.size() >= 8 && std::memcmp(data.data(), "\x89PNG", 4) == 0) {
        image = codecs::DecodePng(data).image.convertToFormat(QImage::Format_ARGB32);
        mask = QImage(image.size(), QImage::Format_Mono);
        mask.fill(0);
        for (int y = 0; y < image.height(); ++y) {
            const auto* s = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(s[x]) < 128) setBit(mask.scanLine(y), x);
        }
        return;
    }
    platform::ByteCursor info = cursor(data).sub(40);  // the information header
    const std::uint32_t headerSize = info.u32le();
    const std::int32_t width = info.i32le(), doubled = info.i32le();
    info.skip(2);  // planes
    const int bits = info.u16le();
    if (headerSize < 40 || width <= 0 || doubled <= 1 || doubled > 2 * 4096 || width > 4096)
        invalid();
    const int height = doubled / 2;
    // A BMP file of the colour part: the header with the real height, the same bytes after.
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    file.append(data.data(), data.size());
    qToLittleEndian<std::int32_t>(height, file.data() + 14 + 8);
    const codecs::BmpLayout layout = codecs::ReadBmpLayout(file);
    image = codecs::ReadBmp(file);
    const auto* p = reinterpret_cast<const uchar*>(data.data());
    if (bits == 32) {
        // The fourth byte of each pixel is its alpha.
        image = image.convertToFormat(QImage::Format_ARGB32);
        const qsizetype stride = qsizetype(width) * 4;
        const uchar* colour = p + (layout.headerAndTable);
        for (int y = 0; y < height; ++y) {
            const uchar* s = colour + stride * (height - 1 - y);
            auto* d = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                d[x] = (d[x] & 0xFFFFFFu) | std::uint32_t(s[4 * x + 3]) << 24;
        }
    }
    mask = QImage(width, height, QImage::Format_Mono);
    mask.fill(0);
    const qsizetype maskStride = (qsizetype(width) + 31) / 32 * 4;
    const qsizetype maskAt = layout.headerAndTable + layout.pixelBytes;
    const bool haveMask = maskAt + maskStride * height <= data.size();
    for (int y = 0; y < height; ++y) {
        uchar* d = mask.scanLine(y);
        if (haveMask)
            std::memcpy(d, p + maskAt + maskStride * (height - 1 - y), size_t((width + 7) / 8));
        if (bits == 32) {
            const auto* s = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < width; ++x)
                if (qAlpha(s[x]) < 128) setBit(d, x);
        }
    }
}

}  // namespace

std::unique_ptr<TGraphic> TIcon::Clone() const {
    auto copy = std::make_unique<TIcon>();
    copy->AssignFrom(*this);
    return copy;
}

void TIcon::SetBytes(QByteArray bytes) {
    QImage image, mask;
    if (!bytes.isEmpty()) {
        std::vector<DirEntry> entries;
        directoryLength(bytes, bytes.size(), &entries);
        const DirEntry* best = &entries.front();
        for (const DirEntry& e : entries)
            if (e.pixels > best->pixels) best = &e;
        decodeEntry(QByteArrayView(bytes.constData() + best->offset, best->size), image, mask);
        mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    }
    bytes_ = std::move(bytes);
    image_ = image;
    mask_ = mask;
    whitened_ = image.isNull() ? QImage() : WhitenedCopy(image, mask);
    Changed();
}

void TIcon::LoadFromStream(TStream& stream) {
    const std::int64_t start = stream.Position();
    const std::int64_t available = stream.Remaining();
    const QByteArray head = picturebytes::ReadExactly(stream, 6, invalidIcon());
    const int count = qFromLittleEndian<std::uint16_t>(head.constData() + 4);
    QByteArray dir =
        head + picturebytes::ReadExactly(stream, 16 * std::int64_t(count), invalidIcon());
    const std::int64_t length = directoryLength(dir, available, nullptr);
    stream.SetPosition(start);
    SetBytes(picturebytes::ReadExactly(stream, length, invalidIcon()));
}

void TIcon::SaveToStream(TStream& stream) const {
    stream.WriteBytes(bytes_);
}

void TIcon::Draw(platform::Canvas& canvas, const TRect& rect) const {
    if (!image_.isNull()) DrawImage(canvas, rect, whitened_, &mask_);
}

QImage TIcon::ToImage() const {
    return whitened_;
}

bool TIcon::AssignFrom(const TGraphic& source) {
    const auto* other = dynamic_cast<const TIcon*>(&source);
    if (!other) return false;
    if (other != this) {
        bytes_ = other->bytes_;
        image_ = other->image_, mask_ = other->mask_, whitened_ = other->whitened_;
        Changed();
    }
    return true;
}
