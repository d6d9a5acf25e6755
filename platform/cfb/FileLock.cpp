#include "platform/cfb/FileLock.h"

#include "platform/cfb/CfbError.h"

#include <sys/file.h>
#include <cerrno>

namespace platform::cfb {

void lockFile(int fd, const QString& path, Access access, Share share) {
    const bool shared = access == Access::Read && share == Share::DenyWrite;
    const int op = (shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    int rc;
    do {
        rc = ::flock(fd, op);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return;
    if (errno == EWOULDBLOCK) throwLocked(path);
    throwIo(path, errno);
}

}  // namespace platform::cfb
