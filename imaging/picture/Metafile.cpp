#include "imaging/picture/Metafile.h"

#include "imaging/Messages.h"
#include "imaging/metafile/MetafilePlayer.h"
#include "imaging/picture/ErrorPicture.h"
#include "imaging/picture/StreamBytes.h"
#include "platform/ByteCursor.h"
#include "platform/Exception.h"

#include <cmath>

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"

int scaled(std::int64_t units, std::int64_t perInch) {
    if (perInch <= 0) return 0;
    // Sides are kept within what 16-bit device coordinates can address.
    return int(std::clamp<std::int64_t>((std::abs(units) * 96 + perInch / 2) / perInch, 0, 32767));
}

}  // namespace

std::unique_ptr<TGraphic> TMetafile::Clone() const {
    auto copy = std::make_unique<TMetafile>();
    copy->bytes_ = bytes_;
    copy->enhanced_ = enhanced_;
    copy->width_ = width_, copy->height_ = height_;
    return copy;
}

void TMetafile::SetBytes(QByteArray bytes) {
    setBytes(std::move(bytes), true);
}

void TMetafile::setBytes(QByteArray bytes, bool strict) {
    bool enhanced = false;
    int w = 0, h = 0;
    if (!bytes.isEmpty()) {
        const platform::ByteCursor c(bytes, msg::invalidMetafile());
        if (c.has(88) && c.u32leAt(0) == 1 && c.u32leAt(40) == kEmfSignature) {
            // The frame rectangle is in 0.01 mm, both corners inclusive.
            enhanced = true;
            w = scaled(std::int64_t(c.i32leAt(32)) - c.i32leAt(24), 2540);
            h = scaled(std::int64_t(c.i32leAt(36)) - c.i32leAt(28), 2540);
        } else if (c.has(22 + 18) && c.u32leAt(0) == kPlaceableKey) {
            const int inch = c.u16leAt(14);
            w = scaled(std::int64_t(c.i16leAt(10)) - c.i16leAt(6), inch);
            h = scaled(std::int64_t(c.i16leAt(12)) - c.i16leAt(8), inch);
        } else if (strict) {
            throw Exception(msg::invalidMetafile());
        }
    }
    bytes_ = std::move(bytes);
    enhanced_ = enhanced;
    width_ = w, height_ = h;
    Changed();
}

void TMetafile::LoadFromStream(TStream& stream) {
    SetBytes(picturebytes::ReadRest(stream));
}

void TMetafile::SaveToStream(TStream& stream) const {
    stream.WriteBytes(bytes_);
}

void TMetafile::ReadData(TStream& stream) {
    const std::int32_t length = picturebytes::ReadInt32(stream, msg::invalidMetafile());
    if (length <= 4) {
        setBytes(QByteArray(), false);
        return;
    }
    // Stored bytes are kept even when their header is not understood, so that a document
    // never loses them.
    setBytes(picturebytes::ReadExactly(stream, std::int64_t(length) - 4, msg::invalidMetafile()),
             false);
}

void TMetafile::WriteData(TStream& stream) const {
    picturebytes::WriteInt32(stream, std::int32_t(bytes_.size() + 4));
    stream.WriteBytes(bytes_);
}

void TMetafile::Draw(platform::Canvas& canvas, const TRect& rect) const {
    if (Empty()) return;
    if (metafile::kindOf(bytes_) == metafile::Kind::None) {
        DrawErrorPicture(canvas, rect);
        return;
    }
    metafile::play(bytes_, canvas, rect);
}

QImage TMetafile::ToImage() const {
    if (Empty() || width_ <= 0 || height_ <= 0) return QImage();
    if (std::int64_t(width_) * height_ > metafile::kMaxBitmapPixels)
        throw Exception(msg::pictureLoadFailed());
    QImage image(width_, height_, QImage::Format_RGB32);
    if (image.isNull()) throw Exception(msg::pictureLoadFailed());
    image.fill(Qt::white);
    platform::Canvas canvas(image);
    Draw(canvas, {0, 0, width_, height_});
    return image;
}

bool TMetafile::AssignFrom(const TGraphic& source) {
    const auto* other = dynamic_cast<const TMetafile*>(&source);
    if (!other) return false;
    if (other != this) {
        bytes_ = other->bytes_;
        enhanced_ = other->enhanced_;
        width_ = other->width_, height_ = other->height_;
        Changed();
    }
    return true;
}
