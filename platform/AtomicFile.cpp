#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace platform {

bool writeFileAtomically(const QString& path, const QByteArray& content, QString* error,
                         unsigned mode) {
    const QByteArray target = QFile::encodeName(path);
    QByteArray tmpl = target + ".tmp-XXXXXX";
    auto fail = [&](int err) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(err));
        return false;
    };
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return fail(errno);
    struct stat st {};
    ::fchmod(fd, ::stat(target.constData(), &st) == 0 ? (st.st_mode & 07777) : mode);
    const char* p = content.constData();
    size_t left = size_t(content.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            ::unlink(tmpl.constData());
            return fail(err);
        }
        p += n;
        left -= size_t(n);
    }
    // The descriptor is closed whether or not the flush worked.
    const int syncErr = ::fsync(fd) != 0 ? errno : 0;
    const int closeErr = ::close(fd) != 0 ? errno : 0;
    if (syncErr || closeErr) {
        ::unlink(tmpl.constData());
        return fail(syncErr ? syncErr : closeErr);
    }
    if (::rename(tmpl.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(tmpl.constData());
        return fail(err);
    }
    return true;
}

}  // namespace platform
