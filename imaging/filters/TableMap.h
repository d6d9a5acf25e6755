#pragma once
// Bytes through a 256-entry table, a row at a time. Where the processor has AVX-512 VBMI
// the row goes 64 bytes per step (two two-register byte permutes over the table's four
// quarters, chosen by each byte's top bit); otherwise byte by byte. Both give the same
// bytes; the choice is made once at run time.

#include <cstdint>

// d[i] = table[s[i]] for i < n. With `keepFourth` the bytes 3, 7, 11, ... are copied
// unchanged instead (32-bit pixels starting at s).
void MapBytesThroughTable(const std::uint8_t* s, std::uint8_t* d, int n, const std::uint8_t* table,
                          bool keepFourth);

// The vector path is used now.
bool TableMapUsesVectors();
// Forces the byte-by-byte path even where vectors are available (tests compare the two).
void ForceScalarTableMap(bool on);
