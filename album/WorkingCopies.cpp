#include "album/WorkingCopies.h"

#include "document/storage/DocStorage.h"
#include "document/storage/StorageMode.h"
#include "platform/UserFolders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QDir>
#include <QFile>

namespace {

bool lockedElsewhere(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

bool isAlbum(const QString& path) {
    try {
        TFileStorage root(path, storagemode::Read | storagemode::ShareDenyWrite);
        return root.StorageExists(QStringLiteral("Sheets"));
    } catch (...) {
        return false;  // not a compound file, or one that never got its tree written
    }
}

}  // namespace

QStringList AbandonedWorkingCopies() {
    QDir folder(platform::tempFolder());
    const QFileInfoList files =
        folder.entryInfoList({QStringLiteral("mtf*")}, QDir::Files, QDir::Time | QDir::Reversed);
    QStringList found;
    for (const QFileInfo& f : files) {
        const QString path = f.absoluteFilePath();
        if (!lockedElsewhere(path) && isAlbum(path)) found << path;
    }
    return found;
}
