#pragma once
// The pixel effects behind the correction filters. Each reads a rectangle of a 24-bit
// (Format_BGR888) or 32-bit (Format_RGB32/ARGB32) source and writes a destination of the
// source's format and the rectangle's size; any other source leaves the destination
// alone. Per-pixel work is integer arithmetic through tables built once per run; the
// fourth byte of 32-bit pixels is carried over unchanged. Progress steps every 64 rows.

#include "platform/canvas/Color.h"

#include <QImage>
#include <QRect>
#include <array>
#include <cstdint>

class TPhasedProgressBase;
class TPictureEx;

class TGREffector {
public:
    virtual ~TGREffector() = default;

    const QImage* Source = nullptr;
    QImage* Dest = nullptr;
    QRect SourceRect;  // within the source; a null rectangle means the whole source
    TPhasedProgressBase* Progress = nullptr;

    virtual void Execute() = 0;

protected:
    // The part of the source read, or an empty rectangle when the effect must do nothing.
    QRect effectiveRect() const;
    // Makes Dest an image of the source's format and the rectangle's size.
    void prepareDest(const QRect& rect) const;
};

// Tones to the hue and saturation of RefColor, with the brightness of each pixel.
class TGREffectMonoTone : public TGREffector {
public:
    TColor RefColor = clBlack;
    void Execute() override;
    // Entry j: blue, green, red of the tone at lightness j / 255.
    static std::array<std::array<std::uint8_t, 3>, 256> Table(TColor refColor);
};

class TGREffectBrightnessContrast : public TGREffector {
public:
    int Brightness = 0;  // percent
    int Contrast = 0;    // percent
    void Execute() override;
    static std::array<std::uint8_t, 256> Table(int brightness, int contrast);
};

// A 3 x 3 box blur repeated Passes times (0 and 1 make one pass), edges repeated.
class TGREffectBlur : public TGREffector {
public:
    int Passes = 1;
    void Execute() override;
};

// 2 x source - blur, the blur with Amount (rounded) passes.
class TGREffectUnsharpMask : public TGREffector {
public:
    long double Amount = 1.0L;
    void Execute() override;
};

// Stretches the brightness between a black and a white point found from the histogram,
// bends the midtones towards the middle, neutralises a colour cast seen in the darkest
// and lightest pixels, then sharpens once.
class TGREffectAutoNormalize : public TGREffector {
public:
    void Execute() override;
};

class TPictureBaseGREffector : public TGREffector {
public:
    const TPictureEx* SourcePicture = nullptr;
};

// Correction through the colour-matching engine (ColorCorrection.h): the corrected
// picture stretched into the rectangle's size, or the source picture when correction
// is not possible.
class TGREffectOrvexKVRNormalize : public TPictureBaseGREffector {
public:
    bool UseKVR = true;
    void Execute() override;
};
