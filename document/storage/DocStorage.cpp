#include "document/storage/DocStorage.h"

#include "document/Messages.h"
#include "document/Strings.h"
#include "document/storage/StorageErrors.h"
#include "document/storage/StorageMode.h"
#include "document/storage/StoragePath.h"

#include <sys/stat.h>
#include <QFile>
#include <algorithm>

using platform::cfb::CompoundFile;
using platform::cfb::ElementInfo;
using platform::cfb::Storage;

namespace storagedetail {
RootState::~RootState() {
    file.reset();  // flushes and closes
    if (!deleteOnRelease.isEmpty()) QFile::remove(deleteOnRelease);
}
}  // namespace storagedetail

// ---- TDocStorage

TDocStorage::TDocStorage(const TDocStorage& parent, bool createMissing, const QString& path)
    : state_(parent.state_), segments_(parent.Resolve(path)) {
    OpenAt(segments_, createMissing, &chain_);
    state_->nodes.push_back(this);
}

TDocStorage::~TDocStorage() {
    if (!state_) return;
    auto& nodes = state_->nodes;
    nodes.erase(std::remove(nodes.begin(), nodes.end(), this), nodes.end());
}

QString TDocStorage::Path() const {
    return storagepath::Join(segments_);
}

QStringList TDocStorage::Resolve(const QString& path) const {
    return storagepath::Resolve(segments_, path);
}

bool TDocStorage::Writable() const {
    return state_->file->writable();
}

Storage TDocStorage::Handle() const {
    return chain_.empty() ? state_->file->root() : chain_.back();
}

Storage TDocStorage::OpenAt(const QStringList& segments, bool createMissing,
                            std::vector<Storage>* chain) const {
    // Start from the open node that shares the longest leading part of the path.
    std::vector<Storage> opened;
    int shared = 0;
    for (const TDocStorage* node : state_->nodes) {
        const int k = storagepath::SharedPrefix(node->segments_, segments);
        if (k > shared) {
            shared = k;
            opened.assign(node->chain_.begin(), node->chain_.begin() + k);
        }
    }
    Storage current = opened.empty() ? state_->file->root() : opened.back();
    for (qsizetype i = shared; i < segments.size(); ++i) {
        const QString& name = segments[i];
        current = (createMissing && !current.containsStorage(name)) ? current.createStorage(name)
                                                                    : current.openStorage(name);
        opened.push_back(current);
    }
    if (chain) *chain = std::move(opened);
    return current;
}

std::pair<Storage, QString> TDocStorage::ParentOf(const QString& path, bool createMissing) const {
    QStringList segs = Resolve(path);
    if (segs.isEmpty()) throw EDocStorage(msg::noElementName());
    const QString name = segs.takeLast();
    return {OpenAt(segs, createMissing), name};
}

void TDocStorage::CopyAllTo(TDocStorage& other) const {
    CopyStorageTree(Handle(), other.Handle());
}

bool TDocStorage::DeleteElement(const QString& path) {
    const QStringList segs = Resolve(path);
    if (segs.isEmpty()) throw EDocStorage(msg::noElementName());
    std::optional<Storage> parent;
    try {
        parent = OpenAt(segs.first(segs.size() - 1), false);
    } catch (const platform::cfb::CfbNotFound&) {
        return false;
    }
    if (!parent->find(segs.last())) return false;
    parent->remove(segs.last());
    return true;
}

bool TDocStorage::StreamExists(const QString& path) const noexcept {
    try {
        auto [parent, name] = ParentOf(path, false);
        return parent.containsStream(name);
    } catch (...) {
        return false;
    }
}

bool TDocStorage::StorageExists(const QString& path) const noexcept {
    try {
        const QStringList segs = Resolve(path);
        if (segs.isEmpty()) return true;  // the root
        auto [parent, name] = ParentOf(path, false);
        return parent.containsStorage(name);
    } catch (...) {
        return false;
    }
}

void TDocStorage::ListStorages(TStrings& list) const {
    for (const ElementInfo& e : Handle().children())
        if (e.isStorage()) list.Add(e.name);
}

void TDocStorage::ListStreams(TStrings& list) const {
    for (const ElementInfo& e : Handle().children())
        if (!e.isStorage()) list.Add(e.name);
}

void TDocStorage::MoveElement(const QString& fromPath, const QString& toPath) {
    auto [from, name] = ParentOf(fromPath, false);
    auto [to, newName] = ParentOf(toPath, false);
    from.moveTo(name, to, newName);
}

void CopyStorageTree(const Storage& from, Storage to) {
    constexpr size_t kChunk = size_t(1) << 20;
    std::vector<char> buffer;
    for (const ElementInfo& e : from.children()) {
        if (e.isStorage()) {
            Storage sub = to.openOrCreateStorage(e.name);
            sub.setClsid(e.clsid);
            sub.setStateBits(e.stateBits);
            CopyStorageTree(from.openStorage(e.name), sub);
            continue;
        }
        const platform::cfb::Stream src = from.openStream(e.name);
        platform::cfb::Stream dst = to.createStream(e.name);
        buffer.resize(size_t(std::min<uint64_t>(e.size, kChunk)));
        for (uint64_t at = 0; at < e.size;) {
            const size_t got = src.read(at, buffer.data(), buffer.size());
            if (got == 0) break;
            dst.write(at, buffer.data(), got);
            at += got;
        }
    }
}

// ---- TRootStorage

TRootStorage::~TRootStorage() = default;

void TRootStorage::Attach(std::unique_ptr<CompoundFile> file, int mode, QString deleteOnRelease) {
    auto state = std::make_shared<storagedetail::RootState>();
    state->file = std::move(file);
    state->mode = mode;
    state->deleteOnRelease = std::move(deleteOnRelease);
    state_ = std::move(state);
}

void TRootStorage::Commit() {
    if (state_->file->writable()) state_->file->flush();
}

TRootStorage::FileStamp TRootStorage::StampOf(const QString& path) {
    struct stat st {};
    FileStamp s;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return s;
    s.device = uint64_t(st.st_dev);
    s.inode = uint64_t(st.st_ino);
    s.size = uint64_t(st.st_size);
    s.mtimeSec = int64_t(st.st_mtim.tv_sec);
    s.mtimeNsec = int64_t(st.st_mtim.tv_nsec);
    return s;
}

void TRootStorage::TakeSnapshot() {
    Commit();
    snapshotValid_ = true;
    snapshotChanges_ = state_->file->changeCount();
    snapshotStamp_ = StampOf(state_->file->path());
}

void TRootStorage::ClearSnapshot() {
    snapshotValid_ = false;
}

bool TRootStorage::ChangedSinceSnapshot() const {
    return !snapshotValid_ || snapshotChanges_ != state_->file->changeCount() ||
           !(snapshotStamp_ == StampOf(state_->file->path()));
}

// ---- TFileStorage

TFileStorage::TFileStorage(const QString& fileName, int mode) : fileName_(fileName) {
    if (storagemode::IsCreate(mode)) {
        Attach(CompoundFile::create(fileName), storagemode::ReadWrite);
    } else {
        const int m =
            (mode & 3) == storagemode::Write ? (mode & ~3) | storagemode::ReadWrite : mode;
        Attach(CompoundFile::open(fileName, storagemode::AccessOf(m), storagemode::ShareOf(m)), m);
    }
    TakeSnapshot();
}
