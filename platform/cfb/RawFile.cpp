#include "platform/cfb/RawFile.h"

#include "platform/cfb/CfbError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace platform::cfb {

RawFile::RawFile(const QString& path, bool writable, bool create) : path_(path) {
    int flags = (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    if (create) flags |= O_CREAT;
    const QByteArray native = path.toLocal8Bit();
    do {
        fd_ = ::open(native.constData(), flags, 0666);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) throwIo(path, errno);
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throwIo(path, EINVAL);
    }
}

RawFile::~RawFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool RawFile::readAt(uint64_t offset, void* buf, size_t n) const {
    auto* p = static_cast<char*>(buf);
    while (n > 0) {
        const ssize_t got = ::pread(fd_, p, n, off_t(offset));
        if (got < 0) {
            if (errno == EINTR) continue;
            throwIo(path_, errno);
        }
        if (got == 0) return false;
        p += got;
        n -= size_t(got);
        offset += uint64_t(got);
    }
    return true;
}

void RawFile::writeAt(uint64_t offset, const void* buf, size_t n) {
    const auto* p = static_cast<const char*>(buf);
    while (n > 0) {
        const ssize_t put = ::pwrite(fd_, p, n, off_t(offset));
        if (put < 0) {
            if (errno == EINTR) continue;
            throwIo(path_, errno);
        }
        p += put;
        n -= size_t(put);
        offset += uint64_t(put);
    }
}

uint64_t RawFile::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throwIo(path_, errno);
    return uint64_t(st.st_size);
}

void RawFile::truncate(uint64_t size) {
    int rc;
    do {
        rc = ::ftruncate(fd_, off_t(size));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) throwIo(path_, errno);
}

void RawFile::sync() {
    if (::fdatasync(fd_) != 0 && errno != EINVAL) throwIo(path_, errno);
}

}  // namespace platform::cfb
