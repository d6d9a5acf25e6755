#pragma once
// Integer types whose values are stored by name: colours and font character sets.
// A value with no name is stored as a plain integer.

#include "platform/canvas/Color.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

struct IdentEntry {
    const char* name;
    int32_t value;
};

class IdentMap {
public:
    explicit constexpr IdentMap(std::span<const IdentEntry> entries) : entries_(entries) {}

    // The first name of `value`, if any.
    std::optional<QString> nameOf(int32_t value) const;
    // The value of `name` (compared without regard to case), if any.
    std::optional<int32_t> valueOf(QStringView name) const;
    std::span<const IdentEntry> entries() const { return entries_; }

private:
    std::span<const IdentEntry> entries_;
};

const IdentMap& colorIdents();    // TColor: 42 names
const IdentMap& charsetIdents();  // font character sets: 18 names

// Common colour values (0x00BBGGRR; system colours are 0x80000000 + index).
constexpr int32_t clBtnFace = int32_t(0x8000000F);
constexpr int32_t SHIFTJIS_CHARSET = 128;
constexpr int32_t DEFAULT_CHARSET = 1;
