#include "platform/canvas/Color.h"

namespace platform {

QRgb colorToRgb(TColor c) {
    if (c == clNone) return 0xFFFFFFFFu;
    if (std::uint32_t(c) & 0x80000000u) {
        // A fixed light theme for the system colours (clScrollBar .. clInfoBk).
        static const QRgb system[] = {
            0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000,
            0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
            0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xFFFFE1,
        };
        const std::uint32_t index = std::uint32_t(c) & 0xFF;
        return 0xFF000000u | (index < std::size(system) ? system[index] : 0);
    }
    const std::uint32_t v = std::uint32_t(c);
    return qRgb(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

}  // namespace platform
