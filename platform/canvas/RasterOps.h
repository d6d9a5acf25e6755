#pragma once
// Raster operations as the platform defines them: the 16 binary operations that combine a
// pen or brush with the destination, and the 256 ternary operations of block transfers
// that combine pattern (brush), source and destination. A ternary code's bits 16-23 are
// the truth table: bit (P << 2 | S << 1 | D) gives the result for those input bits.

#include <cstdint>

namespace platform {

// Binary raster operations (pen and brush mix modes), with the platform's numbering.
enum class Rop2 : std::uint8_t {
    Black = 1, NotMergePen, MaskNotPen, NotCopyPen, MaskPenNot, Not, XorPen, NotMaskPen,
    MaskPen, NotXorPen, Nop, MergeNotPen, CopyPen, MergePenNot, MergePen, White,
};

using Rop3 = std::uint32_t;
constexpr Rop3 SRCCOPY = 0x00CC0020;
constexpr Rop3 SRCPAINT = 0x00EE0086;
constexpr Rop3 SRCAND = 0x008800C6;
constexpr Rop3 SRCINVERT = 0x00660046;
constexpr Rop3 SRCERASE = 0x00440328;
constexpr Rop3 NOTSRCCOPY = 0x00330008;
constexpr Rop3 NOTSRCERASE = 0x001100A6;
constexpr Rop3 MERGECOPY = 0x00C000CA;
constexpr Rop3 MERGEPAINT = 0x00BB0226;
constexpr Rop3 PATCOPY = 0x00F00021;
constexpr Rop3 PATPAINT = 0x00FB0A09;
constexpr Rop3 PATINVERT = 0x005A0049;
constexpr Rop3 DSTINVERT = 0x00550009;
constexpr Rop3 BLACKNESS = 0x00000042;
constexpr Rop3 WHITENESS = 0x00FF0062;

// Applies a binary operation to 24-bit colour values (the top byte of the result is 0xFF).
std::uint32_t applyRop2(Rop2 op, std::uint32_t pen, std::uint32_t dest);

// Applies a ternary operation bit by bit to pattern, source and destination words.
constexpr std::uint32_t applyRop3(std::uint8_t table, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    std::uint32_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (table & (1u << i))
            r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    return r;
}
constexpr std::uint8_t rop3Table(Rop3 rop) { return std::uint8_t(rop >> 16); }

// Whether the operation reads the source / the pattern at all.
constexpr bool rop3UsesSource(Rop3 rop) {
    const std::uint8_t t = rop3Table(rop);
    return ((t >> 2) & 0x33) != (t & 0x33);
}
constexpr bool rop3UsesPattern(Rop3 rop) {
    const std::uint8_t t = rop3Table(rop);
    return ((t >> 4) & 0x0F) != (t & 0x0F);
}

}  // namespace platform
