#include "imaging/picture/SafetyBitmap.h"

#include "imaging/Messages.h"
#include "imaging/codecs/Bmp.h"
#include "imaging/codecs/Container.h"
#include "imaging/picture/StreamBytes.h"
#include "platform/Exception.h"

#include <QtEndian>

using picturebytes::InvalidBitmapMessage;

namespace {

[[noreturn]] void invalid() {
    throw Exception(InvalidBitmapMessage());
}
[[noreturn]] void invalid(const QString& reason) {
    throw Exception(msg::invalidBitmap(reason));
}

QImage readBmpBytes(QByteArrayView data, qsizetype* consumed) {
    if (data.size() < 2 || data[0] != 'B' || data[1] != 'M') invalid();
    return codecs::ReadBmp(data, consumed);
}

}  // namespace

QImage ReadBmpFromStream(TStream& stream) {
    const std::int64_t start = stream.Position();
    char signature[codecs::kContainerSignatureSize];
    const std::int64_t got = stream.Read(signature, sizeof signature);
    if (got == std::int64_t(sizeof signature) &&
        codecs::HasContainerSignature(QByteArrayView(signature, got))) {
        // Unwrap into memory; the output grows with the data, not with the declared length.
        stream.SetPosition(start);
        const QByteArray rest = picturebytes::ReadRest(stream);
        qsizetype used = 0;
        // A bitmap's header must come first and declare what the container does.
        const QByteArray plain =
            codecs::Decompress(rest, &used, [](QByteArrayView head, qsizetype declared) {
                if (head.size() < 2 || head[0] != 'B' || head[1] != 'M') invalid();
                const qsizetype total = codecs::ReadBmpLayout(head).total();
                if (total > declared) invalid(msg::fileShorterThanDeclared(total, declared));
            });
        stream.SetPosition(start + used);
        return readBmpBytes(plain, nullptr);
    }
    stream.SetPosition(start);
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
        // In place, without a copy.
        const QByteArray& all = memory->Data();
        if (start < 0 || start > all.size()) invalid();
        const QByteArrayView here(all.constData() + start, all.size() - start);
        qsizetype used = 0;
        QImage img = readBmpBytes(here, &used);
        stream.SetPosition(start + used);
        return img;
    }
    // Any other stream: the file and information headers first, then what they declare.
    const std::int64_t available = stream.Remaining();
    if (available < 18) invalid(msg::dataEndsAt(std::max<std::int64_t>(0, available)));
    QByteArray head = picturebytes::ReadExactly(stream, 18, InvalidBitmapMessage());
    if (head[0] != 'B' || head[1] != 'M') invalid();
    const std::int64_t headerSize = qFromLittleEndian<std::uint32_t>(head.constData() + 14);
    const std::int64_t headBytes =
        14 + (headerSize == 12 ? 12 : std::max<std::int64_t>(headerSize, 40));
    if (headerSize < 12)
        invalid(msg::fieldValueInvalid(QStringLiteral("biSize"), QString::number(headerSize)));
    if (headBytes > available) invalid(msg::fileShorterThanDeclared(headBytes, available));
    head += picturebytes::ReadExactly(stream, headBytes - 18, InvalidBitmapMessage());
    const codecs::BmpLayout layout = codecs::ReadBmpLayout(head);
    const std::int64_t total = std::int64_t(layout.total());
    if (total < headBytes || total > available)
        invalid(msg::fileShorterThanDeclared(total, available));
    head += picturebytes::ReadExactly(stream, total - headBytes, InvalidBitmapMessage());
    return readBmpBytes(head, nullptr);
}

std::unique_ptr<TGraphic> TSafetyBitmap::Clone() const {
    auto copy = std::make_unique<TSafetyBitmap>();
    copy->AssignFrom(*this);
    return copy;
}

void TSafetyBitmap::LoadFromStream(TStream& stream) {
    SetImage(ReadBmpFromStream(stream));
}

void TSafetyBitmap::SaveToStream(TStream& stream) const {
    if (!image_.isNull()) stream.WriteBytes(codecs::WriteBmp(image_));
}

void TSafetyBitmap::ReadData(TStream& stream) {
    const std::int32_t length = picturebytes::ReadInt32(stream, InvalidBitmapMessage());
    if (length == 0) {
        SetImage(QImage());
        return;
    }
    LoadFromStream(stream);
}

void TSafetyBitmap::WriteData(TStream& stream) const {
    if (image_.isNull()) {
        picturebytes::WriteInt32(stream, 0);
        return;
    }
    const QByteArray bmp = codecs::WriteBmp(image_);
    picturebytes::WriteInt32(stream, std::int32_t(bmp.size()));
    stream.WriteBytes(bmp);
}

void TSafetyBitmap::LoadFromDib(QByteArrayView dib) {
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    file.append(dib.data(), dib.size());
    SetImage(readBmpBytes(file, nullptr));
}

void TSafetyBitmap::Draw(platform::Canvas& canvas, const TRect& rect) const {
    if (image_.isNull()) return;
    if (transparent_)
        DrawImage(canvas, rect, Whitened(), &Mask());
    else
        DrawImage(canvas, rect, image_);
}

void TSafetyBitmap::SetTransparent(bool on) {
    if (on == transparent_) return;
    transparent_ = on;
    changed();
}

bool TSafetyBitmap::AssignFrom(const TGraphic& source) {
    if (const auto* other = dynamic_cast<const TSafetyBitmap*>(&source)) {
        if (other == this) return true;
        // The mask cache comes with the pixels.
        image_ = other->image_;
        transparent_ = other->transparent_;
        transparentColor_ = other->transparentColor_;
        masks_ = other->masks_;
        Changed();
        return true;
    }
    if (source.Empty()) {
        SetImage(QImage());
        return true;
    }
    // Anything else (JPEG, PNG, metafile, icon) at its own size in 24 bits.
    QImage img = source.ToImage();
    if (img.isNull()) return false;
    SetImage(img.hasAlphaChannel() ? img.convertToFormat(QImage::Format_ARGB32)
                                   : img.convertToFormat(QImage::Format_BGR888));
    return true;
}

void TSafetyBitmap::SetImage(QImage image) {
    image_ = std::move(image);
    changed();
}

TColor TSafetyBitmap::TransparentColor() const {
    if (transparentColor_) return *transparentColor_;
    if (image_.isNull()) return clWhite;
    return platform::rgbToColor(image_.pixel(0, image_.height() - 1));
}

void TSafetyBitmap::SetTransparentColor(TColor colour) {
    if (transparentColor_ == colour) return;
    transparentColor_ = colour;
    changed();
}

const QImage& TSafetyBitmap::Mask() const {
    return masks_.Mask(image_, TransparentColor());
}
const QImage& TSafetyBitmap::Whitened() const {
    return masks_.Whitened(image_, TransparentColor());
}

void TSafetyBitmap::changed() {
    masks_.Invalidate();
    Changed();
}
