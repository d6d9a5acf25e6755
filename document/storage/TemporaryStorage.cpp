#include "document/storage/TemporaryStorage.h"

#include "document/storage/StorageMode.h"
#include "platform/UserFolders.h"
#include "platform/cfb/CfbError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <cstdio>

using platform::cfb::CompoundFile;

namespace {

// Creates a new empty file from a mkstemp() pattern and returns its name.
QString makeUniqueFile(const QString& pattern) {
    QByteArray name = QFile::encodeName(pattern);
    const int fd = ::mkstemp(name.data());
    if (fd < 0) platform::cfb::throwIo(pattern, errno);
    ::close(fd);
    return QFile::decodeName(name);
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

TTemporaryStorage::TTemporaryStorage() {
    CreateFresh();
    TakeSnapshot();
}

void TTemporaryStorage::CreateFresh() {
    const QString folder = platform::tempFolder();
    platform::makePrivateFolder(folder);
    const QString name = makeUniqueFile(folder + QStringLiteral("/mtfXXXXXX"));
    auto removeOnFailure = qScopeGuard([&name] { QFile::remove(name); });
    std::unique_ptr<CompoundFile> file = CompoundFile::create(name);
    removeOnFailure.dismiss();
    Attach(std::move(file), storagemode::ReadWrite, name);
}

void TTemporaryStorage::LoadFrom(const QString& fileName) {
    // Readers may share the file while it is copied; writers are kept out.
    auto source =
        CompoundFile::open(fileName, platform::cfb::Access::Read, platform::cfb::Share::DenyWrite);
    auto previous = state_;
    auto restoreOnFailure = qScopeGuard([&] { state_ = std::move(previous); });
    CreateFresh();
    auto root = state_->file->root();
    const auto info = source->root().stat();
    root.setClsid(info.clsid);
    root.setStateBits(info.stateBits);
    CopyStorageTree(source->root(), root);
    restoreOnFailure.dismiss();
    source->close();
    TakeSnapshot();
}

void TTemporaryStorage::SaveTo(const QString& fileName) {
    const QFileInfo target(fileName);
    const QString pattern = target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                            QStringLiteral(".XXXXXX");
    const QString temp = makeUniqueFile(pattern);
    auto removeOnFailure = qScopeGuard([&temp] { QFile::remove(temp); });
    {
        auto out = CompoundFile::create(temp);
        auto root = out->root();
        const auto info = state_->file->root().stat();
        root.setClsid(info.clsid);
        root.setStateBits(info.stateBits);
        CopyStorageTree(state_->file->root(), root);
        out->sync();
        out->close();
    }
    // The new file takes the old one's permissions, or the usual ones for a new file.
    struct stat st {};
    const QByteArray targetName = QFile::encodeName(fileName);
    const mode_t mode =
        ::stat(targetName.constData(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~currentUmask());
    ::chmod(QFile::encodeName(temp).constData(), mode);
    if (::rename(QFile::encodeName(temp).constData(), targetName.constData()) != 0)
        platform::cfb::throwIo(fileName, errno);
    removeOnFailure.dismiss();
    TakeSnapshot();
}
