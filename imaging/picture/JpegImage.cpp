#include "imaging/picture/JpegImage.h"

#include "imaging/Messages.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/picture/StreamBytes.h"

std::unique_ptr<TGraphic> TSafetyJPEGImage::Clone() const {
    auto copy = std::make_unique<TSafetyJPEGImage>();
    copy->bytes_ = bytes_;
    copy->width_ = width_, copy->height_ = height_, copy->scale_ = scale_;
    copy->hasExif_ = hasExif_;
    copy->decoded_ = decoded_;
    return copy;
}

void TSafetyJPEGImage::SetBytes(QByteArray bytes) {
    codecs::JpegInfo info;
    if (!bytes.isEmpty()) info = codecs::ReadJpegInfo(bytes);
    bytes_ = std::move(bytes);
    width_ = info.width, height_ = info.height, hasExif_ = info.hasExif;
    scale_ = 1;
    decoded_ = QImage();
    Changed();
}

void TSafetyJPEGImage::LoadFromStream(TStream& stream) {
    SetBytes(picturebytes::ReadRest(stream));
}

void TSafetyJPEGImage::SaveToStream(TStream& stream) const {
    stream.WriteBytes(bytes_);
}

void TSafetyJPEGImage::ReadData(TStream& stream) {
    const std::int64_t at = stream.Position();
    const std::int32_t length =
        picturebytes::ReadInt32(stream, msg::invalidJpeg(msg::dataEndsAt(at)));
    const std::int64_t present = stream.Remaining();
    SetBytes(picturebytes::ReadExactly(
        stream, length, msg::invalidJpeg(msg::fileShorterThanDeclared(length, present))));
}

void TSafetyJPEGImage::WriteData(TStream& stream) const {
    picturebytes::WriteInt32(stream, std::int32_t(bytes_.size()));
    stream.WriteBytes(bytes_);
}

void TSafetyJPEGImage::SetScale(int scale) {
    if (scale != 2 && scale != 4 && scale != 8) scale = 1;
    if (scale == scale_) return;
    scale_ = scale;
    decoded_ = QImage();
    Changed();
}

const QImage& TSafetyJPEGImage::Decoded() const {
    if (decoded_.isNull() && !bytes_.isEmpty()) decoded_ = codecs::DecodeJpeg(bytes_, scale_);
    return decoded_;
}

void TSafetyJPEGImage::Draw(platform::Canvas& canvas, const TRect& rect) const {
    if (!Empty()) DrawImage(canvas, rect, Decoded());
}

bool TSafetyJPEGImage::AssignFrom(const TGraphic& source) {
    if (const auto* other = dynamic_cast<const TSafetyJPEGImage*>(&source)) {
        if (other == this) return true;
        bytes_ = other->bytes_;
        width_ = other->width_, height_ = other->height_, scale_ = other->scale_;
        hasExif_ = other->hasExif_;
        decoded_ = other->decoded_;
        Changed();
        return true;
    }
    if (source.Empty()) {
        SetBytes(QByteArray());
        return true;
    }
    if (!source.IsBitmapLike()) return false;
    SetBytes(codecs::EncodeJpeg(source.ToImage()));
    return true;
}
