#pragma once
// Editing a version 3 compound file's bytes by hand, for tests that build damaged files.

#include <QByteArray>

#include <cstdint>

namespace cfbtest {

inline uint32_t get32(const QByteArray& b, qsizetype at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(b[at + i]);
    return v;
}
inline void put32(QByteArray& b, qsizetype at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
}
inline void put16(QByteArray& b, qsizetype at, uint16_t v) {
    b[at] = char(v);
    b[at + 1] = char(v >> 8);
}

// Where things are in a version 3 file, read from its header (sectors are 512 bytes,
// sector s starts at (s + 1) * 512).
struct Layout {
    QByteArray& bytes;
    static qsizetype sector(uint32_t s) { return (qsizetype(s) + 1) * 512; }
    uint32_t fatSector() const { return get32(bytes, 0x4C); }
    // FAT entry i is in the (i / 128)th FAT sector, listed in the header.
    qsizetype fatEntry(uint32_t i) const {
        return sector(get32(bytes, 0x4C + 4 * (i / 128))) + 4 * (i % 128);
    }
    uint32_t fat(uint32_t i) const { return get32(bytes, fatEntry(i)); }
    void setFat(uint32_t i, uint32_t v) { put32(bytes, fatEntry(i), v); }
    qsizetype entry(uint32_t i) const {
        // Entries 0-3 are in the first directory sector, 4-7 in the next one.
        uint32_t s = get32(bytes, 0x30);
        for (uint32_t k = 0; k < i / 4; ++k) s = fat(s);
        return sector(s) + 128 * (i % 4);
    }
    uint32_t miniFatSector() const { return get32(bytes, 0x3C); }
};

}  // namespace cfbtest
