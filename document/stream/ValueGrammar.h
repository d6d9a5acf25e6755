#pragma once
// What follows each value code in a component stream, stated once for the typed
// reader and writer, the generic tree and its text form.

#include "document/stream/ValueCodes.h"

#include <cstdint>

class QByteArray;

// The layout of the bytes after a value code.
enum class Payload : uint8_t {
    None,        // the code is the whole value
    Integer,     // a signed little-endian integer of `size` bytes
    Raw,         // `size` bytes kept as they are (floating-point and date bits)
    ShortBytes,  // a length byte, then that many bytes
    LongBytes,   // a 32-bit length, then that many bytes
    Utf16,       // a 32-bit count, then that many little-endian UTF-16 units
    List,        // values up to an End
    Names,       // short strings up to an empty one
    Collection,  // items up to an End: an optional integer, then a List of properties
};

struct PayloadShape {
    Payload kind = Payload::None;
    uint8_t size = 0;  // Integer and Raw: the byte count
};

namespace valuegrammar {
inline constexpr PayloadShape kShapes[] = {
    {Payload::None, 0},        // End
    {Payload::List, 0},        // List
    {Payload::Integer, 1},     // Int8
    {Payload::Integer, 2},     // Int16
    {Payload::Integer, 4},     // Int32
    {Payload::Raw, 10},        // Extended
    {Payload::ShortBytes, 0},  // String
    {Payload::ShortBytes, 0},  // Ident
    {Payload::None, 0},        // False
    {Payload::None, 0},        // True
    {Payload::LongBytes, 0},   // Binary
    {Payload::Names, 0},       // Set
    {Payload::LongBytes, 0},   // LString
    {Payload::None, 0},        // Nil
    {Payload::Collection, 0},  // Collection
    {Payload::Raw, 4},         // Single
    {Payload::Integer, 8},     // Currency (amount x 10000)
    {Payload::Raw, 8},         // Date
    {Payload::Utf16, 0},       // WString
    {Payload::Integer, 8},     // Int64
};
static_assert(sizeof kShapes / sizeof kShapes[0] == kMaxValueCode + 1);
}  // namespace valuegrammar

// Whether a byte read where a value starts is a value code.
constexpr bool isValueCode(uint8_t byte) {
    return byte <= kMaxValueCode;
}

// The payload of `code`; None for a byte that is not a value code.
constexpr PayloadShape payloadOf(ValueCode code) {
    return isValueCode(uint8_t(code)) ? valuegrammar::kShapes[uint8_t(code)] : PayloadShape{};
}

// The codes of a 32-bit integer: what an integer property, a collection item's index
// and a child's position are stored as.
constexpr bool isIntegerCode(ValueCode code) {
    return code == ValueCode::Int8 || code == ValueCode::Int16 || code == ValueCode::Int32;
}

// The code the writer gives `v`: Int8, Int16 or Int32, the smallest that holds it, and
// Int64 beyond 32 bits.
constexpr ValueCode smallestIntegerCode(int64_t v) {
    if (v >= INT8_MIN && v <= INT8_MAX) return ValueCode::Int8;
    if (v >= INT16_MIN && v <= INT16_MAX) return ValueCode::Int16;
    if (v >= INT32_MIN && v <= INT32_MAX) return ValueCode::Int32;
    return ValueCode::Int64;
}

// A short string (String, Ident, names) holds at most this many bytes.
inline constexpr int kMaxShortBytes = 255;

// String for encoded text that fits a short string, LString beyond.
constexpr ValueCode narrowStringCode(int64_t byteCount) {
    return byteCount <= kMaxShortBytes ? ValueCode::String : ValueCode::LString;
}

// Appends the low `bytes` (1 to 8) bytes of `value`, least significant first.
void putLE(QByteArray& out, uint64_t value, int bytes);
