#include "platform/cfb/CompoundFile.h"

#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/cfb/Constants.h"
#include "platform/cfb/Engine.h"
#include "platform/cfb/Names.h"

namespace platform::cfb {

namespace {

ElementInfo infoOf(const DirectoryEntry& e) {
    ElementInfo info;
    info.name = e.name;
    info.type = e.type == EntryType::Root      ? ElementType::Root
                : e.type == EntryType::Storage ? ElementType::Storage
                                               : ElementType::Stream;
    info.size = e.type == EntryType::Stream ? e.size : 0;
    info.clsid = e.clsid;
    info.stateBits = e.stateBits;
    info.createdTime = e.createdTime;
    info.modifiedTime = e.modifiedTime;
    return info;
}

[[noreturn]] void throwGone() {
    throwInvalidOperation(QStringLiteral("要素は削除されています"));
}

}  // namespace

// ---- Stream

Stream::Stream(std::shared_ptr<Engine> engine, uint32_t index)
    : engine_(std::move(engine)),
      index_(index),
      generation_(engine_->directory().node(index).generation) {}

uint32_t Stream::checked(bool forWriting) const {
    engine_->check(forWriting);
    const DirectoryNode& node = engine_->directory().node(index_);
    if (node.generation != generation_ || node.entry.type != EntryType::Stream) throwGone();
    return index_;
}

ElementInfo Stream::stat() const {
    return infoOf(engine_->directory().node(checked(false)).entry);
}
QString Stream::name() const {
    return engine_->directory().node(checked(false)).entry.name;
}
uint64_t Stream::size() const {
    return engine_->streamSize(checked(false));
}

size_t Stream::read(uint64_t offset, void* buf, size_t n) const {
    return engine_->read(checked(false), offset, buf, n);
}

QByteArray Stream::readAll() const {
    const uint64_t n = size();
    if (n > uint64_t(std::numeric_limits<qsizetype>::max()))
        throwInvalidOperation(msg::streamTooLarge());
    QByteArray bytes(qsizetype(n), Qt::Uninitialized);
    const size_t got = read(0, bytes.data(), size_t(n));
    bytes.resize(qsizetype(got));
    return bytes;
}

void Stream::write(uint64_t offset, const void* buf, size_t n) {
    engine_->write(checked(true), offset, buf, n);
}

void Stream::setSize(uint64_t size) {
    engine_->resize(checked(true), size);
}

// ---- Storage

Storage::Storage(std::shared_ptr<Engine> engine, uint32_t index)
    : engine_(std::move(engine)),
      index_(index),
      generation_(engine_->directory().node(index).generation) {}

uint32_t Storage::checked(bool forWriting) const {
    engine_->check(forWriting);
    const DirectoryNode& node = engine_->directory().node(index_);
    if (node.generation != generation_ || !node.entry.isStorage()) throwGone();
    return index_;
}

ElementInfo Storage::stat() const {
    return infoOf(engine_->directory().node(checked(false)).entry);
}
QString Storage::name() const {
    return engine_->directory().node(checked(false)).entry.name;
}

std::vector<ElementInfo> Storage::children() const {
    const Directory& dir = engine_->directory();
    const DirectoryNode& node = dir.node(checked(false));
    std::vector<ElementInfo> list;
    list.reserve(node.children.size());
    for (const auto& [key, child] : node.children) list.push_back(infoOf(dir.node(child).entry));
    return list;
}

std::optional<ElementInfo> Storage::find(const QString& name) const {
    const uint32_t i = engine_->directory().find(checked(false), name);
    if (i == kNoStream) return std::nullopt;
    return infoOf(engine_->directory().node(i).entry);
}

bool Storage::containsStream(const QString& name) const {
    const auto info = find(name);
    return info && info->type == ElementType::Stream;
}

bool Storage::containsStorage(const QString& name) const {
    const auto info = find(name);
    return info && info->type == ElementType::Storage;
}

uint32_t Storage::childIndex(const QString& name, bool storage) const {
    const Directory& dir = engine_->directory();
    const uint32_t i = dir.find(checked(false), name);
    if (i == kNoStream || dir.node(i).entry.isStorage() != storage) {
        if (storage) throwStorageNotFound(name);
        throwStreamNotFound(name);
    }
    return i;
}

Stream Storage::openStream(const QString& name) const {
    return Stream(engine_, childIndex(name, false));
}

Storage Storage::openStorage(const QString& name) const {
    return Storage(engine_, childIndex(name, true));
}

Stream Storage::createStream(const QString& name) {
    const uint32_t self = checked(true);
    checkName(name);
    const uint32_t i = engine_->directory().find(self, name);
    if (i != kNoStream) {
        if (engine_->directory().node(i).entry.isStorage()) throwExists(name);
        engine_->resize(i, 0);
        return Stream(engine_, i);
    }
    return Stream(engine_, engine_->addElement(self, name, EntryType::Stream));
}

Storage Storage::createStorage(const QString& name) {
    const uint32_t self = checked(true);
    checkName(name);
    if (engine_->directory().find(self, name) != kNoStream) throwExists(name);
    return Storage(engine_, engine_->addElement(self, name, EntryType::Storage));
}

Storage Storage::openOrCreateStorage(const QString& name) {
    if (containsStorage(name)) return openStorage(name);
    return createStorage(name);
}

void Storage::remove(const QString& name) {
    const uint32_t self = checked(true);
    const uint32_t i = engine_->directory().find(self, name);
    if (i == kNoStream) throwElementNotFound(name);
    engine_->removeElement(i);
}

void Storage::rename(const QString& oldName, const QString& newName) {
    moveTo(oldName, *this, newName);
}

void Storage::moveTo(const QString& name, const Storage& target, const QString& newName) {
    const uint32_t self = checked(true);
    if (target.engine_ != engine_)
        throwInvalidOperation(QStringLiteral("別の複合ファイルへは移動できません"));
    const uint32_t dest = target.checked(true);
    Directory& dir = engine_->directory();
    const uint32_t i = dir.find(self, name);
    if (i == kNoStream) throwElementNotFound(name);
    const QString finalName = newName.isEmpty() ? dir.node(i).entry.name : newName;
    checkName(finalName);
    const uint32_t clash = dir.find(dest, finalName);
    if (clash != kNoStream && clash != i) throwExists(finalName);
    // A storage cannot go below itself.
    for (uint32_t up = dest; up != kNoStream; up = dir.node(up).parent) {
        if (up == i)
            throwInvalidOperation(format(QStringLiteral("「%s」をその中へは移動できません"), name));
    }
    engine_->moveElement(i, dest, finalName);
}

void Storage::setClsid(const Clsid& clsid) {
    engine_->directory().node(checked(true)).entry.clsid = clsid;
    engine_->markDirty();
    engine_->noteChange();
}

void Storage::setStateBits(uint32_t bits) {
    engine_->directory().node(checked(true)).entry.stateBits = bits;
    engine_->markDirty();
    engine_->noteChange();
}

// ---- CompoundFile

CompoundFile::CompoundFile(std::shared_ptr<Engine> engine) : engine_(std::move(engine)) {}

std::unique_ptr<CompoundFile> CompoundFile::open(const QString& path, Access access, Share share) {
    return std::unique_ptr<CompoundFile>(new CompoundFile(Engine::open(path, access, share)));
}

std::unique_ptr<CompoundFile> CompoundFile::create(const QString& path, int version) {
    return std::unique_ptr<CompoundFile>(new CompoundFile(Engine::create(path, version)));
}

CompoundFile::~CompoundFile() {
    try {
        engine_->close(true);
    } catch (...) {
        // Reported by close() for callers that ask.
    }
}

Storage CompoundFile::root() const {
    engine_->check(false);
    return Storage(engine_, 0);
}

bool CompoundFile::writable() const {
    return engine_->writable();
}
uint64_t CompoundFile::changeCount() const {
    return engine_->changeCount();
}
int CompoundFile::version() const {
    return engine_->version();
}
const QString& CompoundFile::path() const {
    return engine_->path();
}
void CompoundFile::flush() {
    engine_->flush();
}
void CompoundFile::sync() {
    engine_->check(true);
    engine_->sync();
}
void CompoundFile::close() {
    engine_->close(true);
}

}  // namespace platform::cfb
