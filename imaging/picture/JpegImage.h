#pragma once
// TSafetyJPEGImage: a JPEG picture. The file bytes are kept exactly as they were loaded
// and are what is saved and stored; the pixels are decoded on demand (at 1/1, 1/2, 1/4
// or 1/8 scale) and decoding never counts as a change.

#include "imaging/picture/Graphic.h"

#include <QByteArray>

class TSafetyJPEGImage : public TGraphic {
public:
    const char* ClassTag() const override { return "TSafetyJPEGImage"; }
    std::unique_ptr<TGraphic> Clone() const override;

    // The whole rest of the stream is the file; its header must be a JPEG's.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    // An int32 length, then the file bytes.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;

    void Draw(platform::Canvas& canvas, const TRect& rect) const override;
    int Width() const override { return width_ / scale_ + (width_ % scale_ != 0); }
    int Height() const override { return height_ / scale_ + (height_ % scale_ != 0); }
    bool IsBitmapLike() const override { return true; }
    QImage ToImage() const override { return Decoded(); }
    // From a bitmap-like graphic: encodes its pixels.
    bool AssignFrom(const TGraphic& source) override;

    // Raises the codec's message when `bytes` do not begin with a readable JPEG header.
    void SetBytes(QByteArray bytes);
    const QByteArray& Bytes() const { return bytes_; }
    bool HasExif() const { return hasExif_; }
    int FullWidth() const { return width_; }
    int FullHeight() const { return height_; }
    // The decode scale: 1, 2, 4 or 8 (the size then shrinks by that factor).
    int Scale() const { return scale_; }
    void SetScale(int scale);
    // The decoded pixels (24 bits) at the current scale.
    const QImage& Decoded() const;
    void Decode() const { Decoded(); }

private:
    QByteArray bytes_;
    int width_ = 0, height_ = 0, scale_ = 1;
    bool hasExif_ = false;
    mutable QImage decoded_;
};
