#include "document/storage/StoragePath.h"

#include "document/Messages.h"
#include "document/storage/StorageErrors.h"

#include <algorithm>

namespace storagepath {

QStringList Resolve(const QStringList& base, const QString& path) {
    QStringList out = path.startsWith(u'\\') ? QStringList{} : base;
    for (const QString& seg : path.split(u'\\', Qt::SkipEmptyParts)) {
        if (seg == u".") continue;
        if (seg == u"..") {
            if (out.isEmpty()) throw EDocStorage(msg::tooManyParents());
            out.removeLast();
            continue;
        }
        out.append(seg);
    }
    return out;
}

QString Join(const QStringList& segments) {
    return segments.join(u'\\');
}

QString JoinName(const QString& folder, const QString& name) {
    if (folder.isEmpty() || folder.endsWith(u'\\')) return folder + name;
    return folder + u'\\' + name;
}

QString FolderOf(const QString& path) {
    const qsizetype cut = path.lastIndexOf(u'\\');
    return cut < 0 ? QString() : path.left(cut);
}

QString LastName(const QString& path) {
    return path.mid(path.lastIndexOf(u'\\') + 1);
}

int SharedPrefix(const QStringList& a, const QStringList& b) {
    const qsizetype n = std::min(a.size(), b.size());
    int k = 0;
    while (k < n && a[k].compare(b[k], Qt::CaseInsensitive) == 0) ++k;
    return k;
}

}  // namespace storagepath
