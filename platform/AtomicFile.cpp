#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmpl.constData());
        return fail(err);
    }
    if (::rename(tmpl.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(tmpl.constData());
        return fail(err);
    }
    return true;
}

}  // namespace platform
