#pragma once
// The mode numbers that storage operations take, translated to how the compound file
// is opened.
//
//   0   read          1   write (a root opened with 1 is opened read/write)
//   2   read/write   -1   create or truncate, read/write (also 0xFFFF as a 16-bit value)
//
// Bits 4 to 7 select sharing: 0x00 and 0x10 exclusive, 0x20 deny write; 0x30 (deny
// read) and 0x40 (deny none) are taken as deny write, the closest sharing that
// compound files offer here (see platform/cfb/OpenMode.h).

#include "platform/cfb/OpenMode.h"

namespace storagemode {

constexpr int Read = 0;
constexpr int Write = 1;
constexpr int ReadWrite = 2;
constexpr int Create = -1;
constexpr int ShareDenyWrite = 0x20;

inline bool IsCreate(int mode) {
    return mode == -1 || (mode & 0xFFFF) == 0xFFFF;
}
inline bool IsReadOnly(int mode) {
    return !IsCreate(mode) && (mode & 3) == Read;
}
inline platform::cfb::Access AccessOf(int mode) {
    return IsReadOnly(mode) ? platform::cfb::Access::Read : platform::cfb::Access::ReadWrite;
}
inline platform::cfb::Share ShareOf(int mode) {
    if (IsCreate(mode)) return platform::cfb::Share::Exclusive;
    return (mode & 0xF0) >= 0x20 ? platform::cfb::Share::DenyWrite
                                 : platform::cfb::Share::Exclusive;
}

}  // namespace storagemode
