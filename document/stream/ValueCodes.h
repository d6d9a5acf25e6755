#pragma once
// The one-byte codes that introduce every value in a component stream.

#include <cstdint>

enum class ValueCode : uint8_t {
    End = 0,
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,
    String = 6,
    Ident = 7,
    False = 8,
    True = 9,
    Binary = 10,
    Set = 11,
    LString = 12,
    Nil = 13,
    Collection = 14,
    Single = 15,
    Currency = 16,
    Date = 17,
    WString = 18,
    Int64 = 19,
};

constexpr uint8_t kMaxValueCode = 19;

// The signature that opens every component stream.
inline constexpr char kStreamSignature[4] = {'T', 'P', 'F', '0'};
