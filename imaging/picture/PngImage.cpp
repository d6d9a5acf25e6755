#include "imaging/picture/PngImage.h"

#include "imaging/Messages.h"
#include "imaging/codecs/Png.h"
#include "imaging/picture/SafetyBitmap.h"
#include "imaging/picture/StreamBytes.h"
#include "platform/Exception.h"

#include <QtEndian>
#include <cstring>

namespace {
constexpr char kSignature[8] = {char(0x89), 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
}  // namespace

QByteArray ReadPngStreamBytes(TStream& stream) {
    const QString noSignature = msg::invalidPng(msg::signatureMissing());
    QByteArray bytes = picturebytes::ReadExactly(stream, 8, noSignature);
    if (std::memcmp(bytes.constData(), kSignature, 8) != 0) throw Exception(noSignature);
    for (;;) {
        const std::int64_t at = stream.Position();
        const QByteArray head =
            picturebytes::ReadExactly(stream, 8, msg::invalidPng(msg::dataEndsAt(stream.Size())));
        const std::int64_t length = qFromBigEndian<std::uint32_t>(head.constData());
        if (length > 0x7FFFFFFF)
            throw Exception(msg::invalidPng(msg::fieldValueInvalid(
                QStringLiteral("chunk length at %1").arg(at), QString::number(length))));
        bytes += head;
        bytes += picturebytes::ReadExactly(
            stream, length + 4,
            msg::invalidPng(msg::fileShorterThanDeclared(at + 12 + length, stream.Size())));
        if (std::memcmp(head.constData() + 4, "IEND", 4) == 0) return bytes;
    }
}

std::unique_ptr<TGraphic> TPNGImage::Clone() const {
    auto copy = std::make_unique<TPNGImage>();
    copy->bytes_ = bytes_;
    copy->image_ = image_;
    copy->transparentColor_ = transparentColor_;
    return copy;
}

void TPNGImage::SetBytes(QByteArray bytes) {
    codecs::PngPicture decoded;
    if (!bytes.isEmpty()) decoded = codecs::DecodePng(bytes);
    bytes_ = std::move(bytes);
    image_ = decoded.image;
    transparentColor_ = decoded.transparentColor;
    mask_ = whitened_ = QImage();
    Changed();
}

void TPNGImage::LoadFromStream(TStream& stream) {
    SetBytes(ReadPngStreamBytes(stream));
}

void TPNGImage::SaveToStream(TStream& stream) const {
    stream.WriteBytes(bytes_);
}

void TPNGImage::ReadData(TStream& stream) {
    SetBytes(ReadPngStreamBytes(stream));
}

void TPNGImage::Draw(platform::Canvas& canvas, const TRect& rect) const {
    if (image_.isNull()) return;
    if (!Transparent()) return DrawImage(canvas, rect, image_);
    if (mask_.isNull()) {
        if (transparentColor_) {
            mask_ = BuildTransparencyMask(image_, platform::rgbToColor(*transparentColor_));
        } else {
            const QImage argb = image_.convertToFormat(QImage::Format_ARGB32);
            mask_ = QImage(argb.size(), QImage::Format_Mono);
            mask_.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
            mask_.fill(0);
            for (int y = 0; y < argb.height(); ++y) {
                const auto* s = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
                uchar* d = mask_.scanLine(y);
                for (int x = 0; x < argb.width(); ++x)
                    if (qAlpha(s[x]) < 128) d[x >> 3] |= uchar(0x80 >> (x & 7));
            }
        }
        whitened_ = WhitenedCopy(image_, mask_);
    }
    DrawImage(canvas, rect, whitened_, &mask_);
}

bool TPNGImage::AssignFrom(const TGraphic& source) {
    if (const auto* other = dynamic_cast<const TPNGImage*>(&source)) {
        if (other == this) return true;
        bytes_ = other->bytes_;
        image_ = other->image_;
        transparentColor_ = other->transparentColor_;
        mask_ = other->mask_, whitened_ = other->whitened_;
        Changed();
        return true;
    }
    if (source.Empty()) {
        SetBytes(QByteArray());
        return true;
    }
    if (!source.IsBitmapLike()) return false;
    std::optional<QRgb> colour;
    if (const auto* bitmap = dynamic_cast<const TSafetyBitmap*>(&source);
        bitmap && bitmap->Transparent())
        colour = platform::colorToRgb(bitmap->TransparentColor());
    SetBytes(codecs::EncodePng(source.ToImage(), colour));
    return true;
}
