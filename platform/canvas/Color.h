#pragma once
// Colours as stored records hold them: 0x00BBGGRR (red in the low byte); clNone means
// no colour; values 0x80000000 + n name system colours, resolved here to fixed values.
// Canvas pixels are QRgb (0xAARRGGBB, Format_RGB32).

#include <QColor>
#include <cstdint>

using TColor = std::int32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

namespace platform {

// The RGB value of a colour; system colours get the program's fixed theme values and
// clNone gives white. The alpha byte is 0xFF.
QRgb colorToRgb(TColor c);
constexpr TColor rgbToColor(QRgb rgb) {
    return TColor(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16));
}
constexpr TColor makeColor(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

}  // namespace platform
