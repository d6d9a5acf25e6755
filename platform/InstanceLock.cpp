#include "platform/InstanceLock.h"

#include "platform/UserFolders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QFile>

namespace platform {

QString InstanceLock::lockFilePath(const QString& name) {
    QString safe;
    for (QChar c : name) safe += (c == u'/' || c == u'\\' || c.unicode() < 0x20) ? QChar(u'_') : c;
    // Without a runtime folder of its own the lock lies in the shared temporary folder:
    // the user's id in its name keeps one user's program from blocking another's.
    if (!runtimeFolderIsOwn()) safe += u'.' + QString::number(::geteuid());
    return runtimeFolder() + u'/' + safe + QStringLiteral(".lock");
}

std::unique_ptr<InstanceLock> InstanceLock::tryAcquire(const QString& name) {
    const QString path = lockFilePath(name);
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd, path));
}

InstanceLock::~InstanceLock() {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

}  // namespace platform
