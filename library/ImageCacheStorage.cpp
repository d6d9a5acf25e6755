#include "library/ImageCacheStorage.h"

#include "document/storage/DocStorage.h"
#include "library/CacheElementName.h"
#include "library/ImageCacheItem.h"

#include <sys/stat.h>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstdio>

using namespace platform::cfb;

TImageCacheStorage::TImageCacheStorage() = default;
TImageCacheStorage::~TImageCacheStorage() = default;

void TImageCacheStorage::Open(const QString& fileName, bool readOnly) {
    Close();
    fileName_ = fileName;
    readOnly_ = readOnly;
    openRoot();
}

void TImageCacheStorage::openRoot() {
    if (readOnly_) {
        root_ = CompoundFile::open(fileName_, Access::Read, Share::DenyWrite);
        return;
    }
    if (!QFileInfo::exists(fileName_)) {
        root_ = CompoundFile::create(fileName_);
        return;
    }
    try {
        root_ = CompoundFile::open(fileName_, Access::ReadWrite, Share::Exclusive);
    } catch (const CfbCorrupt&) {
        SetAsideAndRecreate();
    }
}

void TImageCacheStorage::SetAsideAndRecreate() {
    if (readOnly_) return;
    // The lock stays with us until the new file is in place.
    std::unique_ptr<CompoundFile> old = std::move(root_);
    const QString aside = fileName_ + QStringLiteral(".damaged");
    QFile::remove(aside);
    if (std::rename(QFile::encodeName(fileName_).constData(),
                    QFile::encodeName(aside).constData()) == 0)
        setAside_ = aside;
    root_ = CompoundFile::create(fileName_);
    if (old) {
        try {
            old->close();
        } catch (const CfbError&) {
        }  // the damaged file is no longer ours to fix
    }
}

void TImageCacheStorage::Close() {
    if (!root_) return;
    std::unique_ptr<CompoundFile> root = std::move(root_);
    root->close();
}

namespace {

// The storage holding the element and the element's name; creates missing storages.
std::optional<std::pair<Storage, QString>> parentOf(const Storage& root, const QString& element,
                                                    bool create) {
    QStringList names = element.split(u'\\');
    const QString leaf = names.takeLast();
    Storage at = root;
    for (const QString& name : names) {
        if (create) {
            // A stream left from a file that has since become a folder gives way.
            if (at.containsStream(name)) at.remove(name);
            at = at.openOrCreateStorage(name);
        } else if (at.containsStorage(name))
            at = at.openStorage(name);
        else
            return std::nullopt;
    }
    return std::make_pair(at, leaf);
}

}  // namespace

bool TImageCacheStorage::Load(const QString& path, TImageCacheItem& item) {
    return LoadElement(CacheElementName(path), item);
}

bool TImageCacheStorage::LoadElement(const QString& element, TImageCacheItem& item) {
    if (!root_ || element.isEmpty()) return false;
    auto parent = parentOf(root_->root(), element, false);
    if (!parent || !parent->first.containsStream(parent->second)) return false;
    try {
        item.ReadFrom(parent->first.openStream(parent->second).readAll());
    } catch (const CfbCorrupt&) {
        throw;  // the file itself: the caller sets it aside
    } catch (...) {
        if (root_->writable()) {
            parent->first.remove(parent->second);
            root_->flush();
        }
        throw;
    }
    return true;
}

bool TImageCacheStorage::Store(const QString& path, TImageCacheItem& item) {
    if (!root_ || readOnly_) return false;
    if (FileSize() / 1048576 >= int64_t(maxSize_)) return false;
    const QString element = CacheElementName(path);
    if (element.isEmpty()) return false;
    const QByteArray bytes = item.Write();
    auto parent = parentOf(root_->root(), element, true);
    if (parent->first.containsStorage(parent->second)) parent->first.remove(parent->second);
    Stream stream = parent->first.createStream(parent->second);
    stream.write(0, bytes);
    root_->flush();
    return true;
}

int64_t TImageCacheStorage::FileSize() const {
    struct stat st {};
    if (::stat(QFile::encodeName(fileName_).constData(), &st) != 0) return 0;
    return int64_t(st.st_size);
}

void TImageCacheStorage::SetMaxSize(int mib) {
    maxSize_ = mib;
    if (readOnly_ || !root_) return;
    int64_t excess = FileSize() - int64_t(mib) * 1048576;
    if (excess <= 0) return;
    PruneRoot(excess);
    Compact();
}

bool TImageCacheStorage::Prune(Storage storage, int64_t& excess) {
    if (excess <= 0) return false;
    for (const ElementInfo& child : storage.children()) {
        if (excess <= 0) break;
        if (!child.isStorage()) continue;
        if (Prune(storage.openStorage(child.name), excess)) storage.remove(child.name);
    }
    for (const ElementInfo& child : storage.children()) {
        if (excess <= 0) break;
        if (child.isStorage()) continue;
        excess -= int64_t(child.size);
        storage.remove(child.name);
    }
    return storage.children().empty();
}

int64_t TImageCacheStorage::PruneRoot(int64_t excess) {
    if (!root_ || readOnly_) return excess;
    Prune(root_->root(), excess);
    root_->flush();
    return excess;
}

void TImageCacheStorage::Compact() {
    if (readOnly_ || !root_) return;
    const QString temp = fileName_ + u'$';
    const QByteArray tempName = QFile::encodeName(temp);
    try {
        std::unique_ptr<CompoundFile> fresh = CompoundFile::create(temp);
        CopyStorageTree(root_->root(), fresh->root());
        fresh->sync();
        if (OnCompactCopied) OnCompactCopied();
        // Atomic: the cache file is the old one or the new one, never missing.
        if (std::rename(tempName.constData(), QFile::encodeName(fileName_).constData()) != 0)
            throwIo(fileName_, errno);
        std::unique_ptr<CompoundFile> old = std::move(root_);
        root_ = std::move(fresh);
        old->close();
    } catch (...) {
        std::remove(tempName.constData());
        throw;
    }
    std::remove(tempName.constData());
}

std::vector<TImageCacheStorage::Entry> TImageCacheStorage::List() const {
    std::vector<Entry> out;
    if (!root_) return out;
    std::function<void(const Storage&, const QString&)> walk = [&](const Storage& s,
                                                                   const QString& prefix) {
        for (const ElementInfo& child : s.children()) {
            const QString path = prefix.isEmpty() ? child.name : prefix + u'\\' + child.name;
            if (child.isStorage())
                walk(s.openStorage(child.name), path);
            else
                out.push_back({path, child.size});
        }
    };
    walk(root_->root(), {});
    return out;
}
