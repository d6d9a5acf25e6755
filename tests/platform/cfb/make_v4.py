# Writes a small version 4 compound file (4096-byte sectors) byte by byte, as an
# independent writer for the version 4 reading test:
#   small          stream, 100 bytes of b"s" (mini stream)
#   Folder/Big     stream, 10000 bytes: i % 251 for byte i (regular sectors)
import struct
import sys

SS = 4096
FREE, EOC, FATSECT, NOSTREAM = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFF

small = b"s" * 100
big = bytes(i % 251 for i in range(10000))


def header():
    h = bytearray(SS)
    h[0:8] = bytes.fromhex("D0CF11E0A1B11AE1")
    struct.pack_into("<HHHHH", h, 0x18, 0x3E, 4, 0xFFFE, 12, 6)
    struct.pack_into("<IIIIIIIII", h, 0x28, 1, 1, 1, 0, 4096, 2, 1, EOC, 0)
    difat = [0] + [FREE] * 108
    struct.pack_into("<109I", h, 0x4C, *difat)
    return h


def entry(name, kind, color, left, right, child, start, size):
    e = bytearray(128)
    raw = name.encode("utf-16-le") + b"\0\0"
    e[0:len(raw)] = raw
    struct.pack_into("<HBBIII", e, 0x40, len(raw), kind, color, left, right, child)
    struct.pack_into("<IQ", e, 0x74, start, size)
    return e


def table(values):
    return struct.pack("<1024I", *(values + [FREE] * (1024 - len(values))))


# Sectors: 0 FAT, 1 directory, 2 mini FAT, 3 mini stream, 4-6 "Big".
fat = table([FATSECT, EOC, EOC, EOC, 5, 6, EOC])
directory = bytearray(SS)
for i, e in enumerate([
    entry("Root Entry", 5, 1, NOSTREAM, NOSTREAM, 1, 3, 128),
    entry("Folder", 1, 1, 2, NOSTREAM, 3, 0, 0),
    entry("small", 2, 0, NOSTREAM, NOSTREAM, NOSTREAM, 0, len(small)),
    entry("Big", 2, 1, NOSTREAM, NOSTREAM, NOSTREAM, 4, len(big)),
]):
    directory[128 * i:128 * (i + 1)] = e
minifat = table([1, EOC])
ministream = small.ljust(SS, b"\0")
bigdata = big.ljust(3 * SS, b"\0")

with open(sys.argv[1], "wb") as f:
    f.write(header() + fat + directory + minifat + ministream + bigdata)
