#include "document/storage/DocStream.h"

#include "document/Messages.h"
#include "document/storage/StorageErrors.h"
#include "document/storage/StorageMode.h"
#include "document/storage/StoragePath.h"

#include <algorithm>
#include <limits>

TDocStream::TDocStream(const TDocStorage& node, int mode, const QString& path)
    : readOnly_(storagemode::IsReadOnly(mode)) {
    const bool create = storagemode::IsCreate(mode);
    QStringList segs = node.Resolve(path);
    if (segs.isEmpty()) throw EDocStorage(msg::noElementName());
    name_ = segs.takeLast();
    parent_ = std::make_unique<TDocStorage>(node, create, u'\\' + storagepath::Join(segs));
    auto storage = parent_->Handle();
    stream_ = create ? storage.createStream(name_) : storage.openStream(name_);
}

TDocStream::~TDocStream() = default;

int64_t TDocStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const size_t got = stream_->read(uint64_t(pos_), buffer, size_t(count));
    pos_ += int64_t(got);
    return int64_t(got);
}

int64_t TDocStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (readOnly_) throw EDocStorage(msg::streamReadOnly(name_));
    stream_->write(uint64_t(pos_), buffer, size_t(count));
    pos_ += count;
    return count;
}

int64_t TDocStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = 0;
    if (origin == SeekOrigin::Current) base = pos_;
    if (origin == SeekOrigin::End) base = Size();
    pos_ = std::max<int64_t>(0, base + offset);
    return pos_;
}

int64_t TDocStream::Size() {
    return int64_t(stream_->size());
}

void TDocStream::SetSize(int64_t size) {
    if (readOnly_) throw EDocStorage(msg::streamReadOnly(name_));
    stream_->setSize(uint64_t(std::max<int64_t>(0, size)));
}
