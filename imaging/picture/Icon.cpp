#include "imaging/picture/Icon.h"

#include "imaging/codecs/Bmp.h"
#include "imaging/codecs/Png.h"
#include "imaging/picture/MaskedImage.h"
#include "imaging/picture/StreamBytes.h"
#include "platform/Exception.h"

#include <cstring>

namespace {

QString invalidIcon() {
    return QStringLiteral("アイコンイメージが不正です");
}
[[noreturn]] void invalid() {
    throw Exception(invalidIcon());
}

std::uint32_t u32(const uchar* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t u16(const uchar* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

struct DirEntry {
    std::int64_t size = 0, offset = 0;
    int pixels = 0;
};

// The directory: six bytes, then 16 per image. Returns the length of the whole file.
std::int64_t directoryLength(const uchar* p, std::int64_t available,
                             std::vector<DirEntry>* entries) {
    if (available < 6 || u16(p) != 0 || u16(p + 2) != 1) invalid();
    const int count = u16(p + 4);
    const std::int64_t tableEnd = 6 + 16 * std::int64_t(count);
    if (count == 0 || tableEnd > available) invalid();
    std::int64_t end = tableEnd;
    for (int i = 0; i < count; ++i) {
        const uchar* e = p + 6 + 16 * i;
        DirEntry d;
        d.size = u32(e + 8);
        d.offset = u32(e + 12);
        d.pixels = (e[0] ? e[0] : 256) * (e[1] ? e[1] : 256);
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
    if (data.size() < 40) invalid();
    const auto* p = reinterpret_cast<const uchar*>(data.data());
    const std::uint32_t headerSize = u32(p);
    const std::int32_t width = std::int32_t(u32(p + 4)), doubled = std::int32_t(u32(p + 8));
    if (headerSize < 40 || width <= 0 || doubled <= 1 || doubled > 2 * 4096 || width > 4096)
        invalid();
    const int height = doubled / 2;
    // A BMP file of the colour part: the header with the real height, the same bytes after.
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    file.append(data.data(), data.size());
    for (int i = 0; i < 4; ++i) file[14 + 8 + i] = char((std::uint32_t(height) >> (8 * i)) & 0xFF);
    const codecs::BmpLayout layout = codecs::ReadBmpLayout(file);
    image = codecs::ReadBmp(file);
    const int bits = u16(p + 14);
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
        directoryLength(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size(), &entries);
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
    const int count = u16(reinterpret_cast<const uchar*>(head.constData()) + 4);
    QByteArray dir =
        head + picturebytes::ReadExactly(stream, 16 * std::int64_t(count), invalidIcon());
    const std::int64_t length =
        directoryLength(reinterpret_cast<const uchar*>(dir.constData()), available, nullptr);
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
