#pragma once
// Row kernels of the box blur, the unsharp mask and the automatic normalisation, for 24-bit
// (3 bytes a pixel, blue green red) and 32-bit (4 bytes, the fourth carried over) rows.
// Each has a plain loop and, on processors with AVX-512 VBMI, a vector version giving the
// same bytes; the vector versions can be switched off to compare the two.

#include <array>
#include <cstdint>

// ---- 3 x 3 box ----

// Horizontal sums of a row of w pixels: each channel value plus its left and right
// neighbours, the edge pixels repeated; laid out like the pixels (bpp values per pixel).
void BoxRowSums(const std::uint8_t* p, int w, int bpp, std::uint16_t* out);

// One output row of the box from the sums of the rows above, at and below: each value the
// sum over 9 rounded, min(255, (2 s + 9) / 18). The fourth byte of 32-bit pixels comes
// from `centre` (the row the sums were centred on).
void BoxRowOut(const std::uint16_t* above, const std::uint16_t* at, const std::uint16_t* below,
               const std::uint8_t* centre, std::uint8_t* d, int w, int bpp);

// The same box, sharpened: 2 x sharp - box per channel, clamped to 0..255; the fourth byte
// of 32-bit pixels comes from `centre`.
void SharpenRowOut(const std::uint16_t* above, const std::uint16_t* at, const std::uint16_t* below,
                   const std::uint8_t* sharp, const std::uint8_t* centre, std::uint8_t* d, int w,
                   int bpp);

// ---- Automatic normalisation (12-bit YCbCr) ----

// The 12-bit Y of each pixel; dy the parity of the row counted from the bottom, the
// column parity taken from x. Y = (19595 R + 38470 G + 7471 B + 19235 dx + 9798 dy) >> 12.
// Gives the smallest and the largest Y of the row.
struct LumaRange {
    int smallest, largest;
};
LumaRange LumaRow(const std::uint8_t* p, int w, int bpp, int dy, std::uint16_t* ys);

// The tone curve of the normalisation: Y' x 4096 for each 12-bit Y, and the shifts of Cb
// and Cr (the shifted values clamped to 0..4095).
struct NormalizeCurve {
    std::array<std::int32_t, 4096> yScaled{};
    int cbShift = 0, crShift = 0;
};

// Each pixel to 12-bit YCbCr, through the curve and back to 8 bits.
void NormalizeRow(const std::uint8_t* p, std::uint8_t* d, int w, int bpp, int dy,
                  const NormalizeCurve& curve);

// ---- Choice of kernels ----

bool EffectRowsUseVectors();
void ForceScalarEffectRows(bool on);
