#pragma once
// Blending a picture into a 24- or 32-bit destination through an 8-bit alpha map, one
// to one, with one table lookup per channel (no division or floating point per pixel).
// 32-bit pictures are Format_RGB32/ARGB32 (bytes B G R x), 24-bit ones Format_BGR888
// (bytes B G R), alpha maps Format_Grayscale8 or Format_Indexed8 (index = alpha).

#include <QImage>
#include <QRect>
#include <cstdint>

class TPhasedProgressBase;

// k * d / 255 truncated towards zero, for alpha k 0..255 and difference d -255..255.
std::int8_t BlendTableEntry(int alpha, int difference);

class TGRBlender {
public:
    virtual ~TGRBlender() = default;

    QImage* Dest = nullptr;
    QRect DestRect;
    const QImage* Source = nullptr;
    QRect SourceRect;
    TPhasedProgressBase* Progress = nullptr;

    // The formats fit: source and destination share a 24- or 32-bit format.
    virtual bool CanExecute() const;
    virtual void Execute() = 0;
};

class TGRBlendAlphaMap : public TGRBlender {
public:
    const QImage* AlphaMap = nullptr;
    QRect AlphaRect;

    bool CanExecute() const override;
    void Execute() override;

protected:
    // Alpha transform applied to each alpha byte (identity here).
    virtual void blend(int ratio);
};

class TGRBlendAlphaMapRatio : public TGRBlendAlphaMap {
public:
    int Ratio = 100;  // percent, clamped to 0..100
    void Execute() override;
};
