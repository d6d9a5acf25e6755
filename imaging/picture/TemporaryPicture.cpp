#include "imaging/picture/TemporaryPicture.h"

#include "document/Messages.h"
#include "document/stream/ClassRegistry.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "imaging/Messages.h"
#include "platform/Exception.h"
#include "platform/UserFolders.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <mutex>

VELLUMO_DEFINE_PERSISTENT(TTemporaryPicture)

void TTemporaryPicture::DeclareProperties(PropertyBuilder<TTemporaryPicture>& p) {
    p.persistent("Picture", &TTemporaryPicture::Picture);
}

void RegisterTemporaryPicture() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!LookupClass(u"TTemporaryPicture")) RegisterPersistentClass<TTemporaryPicture>();
    });
}

QString TemporaryPictureFolder() {
    // One folder per user, so that users sharing the temporary folder do not lock each
    // other out.
    const QString folder =
        platform::tempFolder() + QStringLiteral("/vellumo-%1.tmp").arg(qulonglong(::geteuid()));
    const QByteArray name = QFile::encodeName(folder);
    auto unusable = [&] {
        return Exception(QStringLiteral("一時フォルダ %1 を使用できません").arg(folder));
    };
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) throw unusable();
    // The folder may be shared by every user of the machine: only a real folder that
    // belongs to us is used, and nobody else may look into it.
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        throw unusable();
    if ((st.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0) throw unusable();
    return folder;
}

QString TTemporaryPicture::Spill(const TPictureEx& picture) {
    RegisterTemporaryPicture();
    TTemporaryPicture holder;
    holder.Picture()->Assign(picture);
    TMemoryStream memory;
    WriteComponentResource(memory, QStringLiteral("ImageData"), holder);

    QByteArray path =
        QFile::encodeName(TemporaryPictureFolder() + QStringLiteral("/vlwXXXXXX.tmp"));
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0) throw Exception(msg::cannotCreateFile(QFile::decodeName(path)));
    const QByteArray& bytes = memory.Data();
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(path.constData());
            throw Exception(msg::streamWriteError());
        }
        done += n;
    }
    if (::close(fd) != 0) {
        ::unlink(path.constData());
        throw Exception(msg::streamWriteError());
    }
    return QFile::decodeName(path);
}

void TTemporaryPicture::ReadBack(const QString& fileName, TPictureEx& picture) {
    RegisterTemporaryPicture();
    TFileStream file(fileName, TFileStream::OpenRead);
    TTemporaryPicture holder;
    ReadComponentResource(file, &holder);
    picture.Assign(*holder.Picture());
}

void TTemporaryPicture::Delete(const QString& fileName) {
    if (!fileName.isEmpty()) QFile::remove(fileName);
}
