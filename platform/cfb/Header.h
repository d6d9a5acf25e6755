#pragma once
// Internal: the 512-byte file header.

#include <array>
#include <cstdint>

namespace platform::cfb {

struct Header {
    uint16_t majorVersion = 3;  // 3: 512-byte sectors, 4: 4096-byte sectors
    uint16_t minorVersion = 0x3E;
    uint16_t sectorShift = 9;
    uint32_t directorySectorCount = 0;  // kept in version 4 only
    uint32_t fatSectorCount = 0;
    uint32_t firstDirectorySector = 0;
    uint32_t transactionSignature = 0;
    uint32_t firstMiniFatSector = 0;
    uint32_t miniFatSectorCount = 0;
    uint32_t firstDifatSector = 0;
    uint32_t difatSectorCount = 0;
    std::array<uint32_t, 109> difat{};

    uint32_t sectorSize() const { return 1u << sectorShift; }

    // Reads and checks the header fields that do not depend on the rest of the file:
    // signature, byte order, version and sector shift, mini sector shift and cutoff.
    // Raises CfbCorrupt.
    static Header parse(const uint8_t* bytes);
    void serialize(uint8_t* bytes) const;
};

}  // namespace platform::cfb
