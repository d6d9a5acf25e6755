#pragma once
// Internal: the file under a compound file. Positional reads and writes that loop
// over short transfers and EINTR, so callers move whole ranges with one call.

#include <QString>
#include <cstddef>
#include <cstdint>

namespace platform::cfb {

class RawFile {
public:
    // Opens `path` read-only or read-write; `create` makes the file when missing.
    // Raises CfbIoError when the file cannot be opened (a missing file included).
    RawFile(const QString& path, bool writable, bool create);
    ~RawFile();
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    int fd() const { return fd_; }
    const QString& path() const { return path_; }

    // Reads exactly `n` bytes at `offset`; returns false when the file ends first
    // (the bytes read so far are in `buf`). System errors raise CfbIoError.
    bool readAt(uint64_t offset, void* buf, size_t n) const;
    // Writes all `n` bytes at `offset`, extending the file if needed.
    void writeAt(uint64_t offset, const void* buf, size_t n);
    uint64_t size() const;
    void truncate(uint64_t size);
    void sync();

private:
    int fd_ = -1;
    QString path_;
};

}  // namespace platform::cfb
