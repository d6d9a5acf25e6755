#pragma once
// TPNGImage: a PNG picture. The file bytes are kept for storage; the pixels are decoded
// when the bytes are set. A tRNS colour makes the picture transparent in that colour;
// pixels with an alpha channel count as transparent below half opacity when drawn.

#include "imaging/picture/Graphic.h"
#include "imaging/picture/MaskedImage.h"

#include <QByteArray>
#include <optional>

class TPNGImage : public TGraphic {
public:
    const char* ClassTag() const override { return "TPNGImage"; }
    std::unique_ptr<TGraphic> Clone() const override;

    void LoadFromStream(TStream& stream) override;  // up to and including IEND
    void SaveToStream(TStream& stream) const override;
    // A complete PNG stream without a length prefix; reading stops after IEND.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override { SaveToStream(stream); }

    void Draw(platform::Canvas& canvas, const TRect& rect) const override;
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    bool IsBitmapLike() const override { return true; }
    bool Transparent() const override {
        return transparentColor_.has_value() || image_.hasAlphaChannel();
    }
    QImage ToImage() const override { return image_; }
    // From a bitmap-like graphic: encodes its pixels (keeping a transparent colour).
    bool AssignFrom(const TGraphic& source) override;

    // Raises the codec's message for data libpng rejects.
    void SetBytes(QByteArray bytes);
    const QByteArray& Bytes() const { return bytes_; }
    const QImage& Image() const { return image_; }
    std::optional<QRgb> TransparentRgb() const { return transparentColor_; }

private:
    QByteArray bytes_;
    QImage image_;
    std::optional<QRgb> transparentColor_;
    mutable QImage mask_, whitened_;
};

// The bytes of one PNG stream at the stream's position: the signature and every chunk up
// to and including IEND, each declared length checked against what is there.
QByteArray ReadPngStreamBytes(TStream& stream);
