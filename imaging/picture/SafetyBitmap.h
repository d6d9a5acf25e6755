#pragma once
// TSafetyBitmap: the program's bitmap graphic. It reads BMP files with our own reader
// (plain or inside a compressed container), writes BMP files, and draws through its
// transparency mask cache when it is transparent. Pixels are a QImage in the formats the
// BMP reader gives (1, 8, 16, 24 or 32 bits).

#include "imaging/picture/Graphic.h"
#include "imaging/picture/MaskedImage.h"

#include <QByteArrayView>
#include <optional>

class TSafetyBitmap : public TGraphic {
public:
    TSafetyBitmap() = default;
    explicit TSafetyBitmap(QImage image) : image_(std::move(image)) {}

    const char* ClassTag() const override { return "TSafetyBitmap"; }
    std::unique_ptr<TGraphic> Clone() const override;

    // A BMP file, or a compressed container holding one; raises "ビットマップイメージが
    // 不正です" for anything else. The stream is left after what was read.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;  // a BMP file
    // The int32 length, then the BMP reader; a length of 0 is an empty bitmap.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;
    // A device-independent bitmap as the clipboard holds it (no file header).
    void LoadFromDib(QByteArrayView dib);

    void Draw(platform::Canvas& canvas, const TRect& rect) const override;
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    bool IsBitmapLike() const override { return true; }
    bool Transparent() const override { return transparent_; }
    void SetTransparent(bool on) override;
    QImage ToImage() const override { return image_; }
    bool AssignFrom(const TGraphic& source) override;

    const QImage& Image() const { return image_; }
    void SetImage(QImage image);
    // The colour that is transparent: the one set, else the bottom-left pixel's.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor colour);

    // The transparency mask, brought up to date, and the whitened copy.
    const QImage& Mask() const;
    const QImage& Whitened() const;
    // Installs a mask computed elsewhere (the processed picture keeps the mask taken
    // before its colour filters).
    void InstallMask(const QImage& mask) { masks_.InstallMask(mask); }
    const TMaskedImage& MaskCache() const { return masks_; }

private:
    void changed();

    QImage image_;
    bool transparent_ = false;
    std::optional<TColor> transparentColor_;
    mutable TMaskedImage masks_;
};

// Reads a BMP (plain or in a container) from `stream`, leaving it after what was read.
// A memory stream is read in place.
QImage ReadBmpFromStream(TStream& stream);
