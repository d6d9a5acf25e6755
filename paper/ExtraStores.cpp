#include "paper/ExtraStores.h"

#include "document/Messages.h"
#include "document/Strings.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "document/stream/ComponentStream.h"
#include "paper/ImagePaperInfo.h"
#include "paper/Messages.h"
#include "paper/PaperErrors.h"
#include "paper/Papers.h"

namespace {

// Reads the component stream `name` below `node` as an extra.
std::unique_ptr<TExtraPaperInfo> ReadExtraStream(const TDocStorage& node, const QString& name) {
    TDocStream s(node, storagemode::Read, name);
    std::unique_ptr<TComponent> read(ReadComponentStream(s));
    auto* extra = dynamic_cast<TExtraPaperInfo*>(read.get());
    if (!extra) throw EInvalidCast(msg::invalidCast());
    read.release();
    return std::unique_ptr<TExtraPaperInfo>(extra);
}

void WriteExtraStream(const TDocStorage& node, const QString& name, TExtraPaperInfo& extra) {
    TDocStream s(node, storagemode::Create, name);
    WriteComponentStream(s, extra);
}

}  // namespace

// --- TExtraInfoBase ---

TExtraInfoBase::~TExtraInfoBase() = default;

TDocStorage& TExtraInfoBase::Storage() const {
    if (!storage_) throw EPaperError(msg::papersNotOpen());
    return *storage_;
}

QString TExtraInfoBase::NewElementName(const QStringList& names, const QString& paperName) const {
    qint64 highest = 0;
    for (const QString& n : names) {
        if (!n.startsWith(u'$')) continue;
        bool ok = false;
        const qint64 number = n.mid(1).toLongLong(&ok, 16);
        if (ok) highest = std::max(highest, number);
    }
    // Eight hexadecimal digits: a ninth would make a name other readers do not expect.
    if (highest >= 0xFFFFFFFFLL) throw EPaperError(msg::paperInfoUpdateError(paperName));
    return TPapers::StreamNameOf(highest + 1);
}

// --- TExInfoBase ---

TExInfoBase::~TExInfoBase() = default;

void TExInfoBase::AttachStorage(std::unique_ptr<TDocStorage> storage) {
    TStringList names;
    storage->ListStreams(names);
    storage_ = std::move(storage);
    names_.clear();
    for (int i = 0; i < names.Count(); ++i) names_ << names.Get(i);
    cache_.clear();
}

std::unique_ptr<TExtraPaperInfo> TExInfoBase::ReadStream(const QString& streamName) const {
    return ReadExtraStream(Storage(), streamName);
}

QString TExInfoBase::FindStream(const QString& paperName) {
    if (const auto it = cache_.find(paperName); it != cache_.end()) return it->second.streamName;
    while (cache_.size() < size_t(names_.size())) {
        const QString streamName = names_[qsizetype(cache_.size())];
        std::unique_ptr<TExtraPaperInfo> extra = ReadStream(streamName);
        const QString name = extra->PaperName();
        if (cache_.count(name)) throw EPaperError(msg::paperInfoUpdateError(name));
        cache_.emplace(name, TExtraPaperInfoCache{streamName, std::move(extra)});
        if (name == paperName) return streamName;
    }
    return {};
}

void TExInfoBase::RemoveStream(const QString& paperName, const QString& streamName) {
    Storage().DeleteElement(streamName);
    names_.removeOne(streamName);
    cache_.erase(paperName);
}

void TExInfoBase::DeleteExtra(const QString& paperName) {
    const QString streamName = FindStream(paperName);
    if (!streamName.isEmpty()) RemoveStream(paperName, streamName);
}

void TExInfoBase::StoreExtra(const TExtraPaperInfo& extra) {
    const QString paperName = extra.PaperName();
    const QString old = FindStream(paperName);
    if (extra.IsEmpty()) {
        if (!old.isEmpty()) RemoveStream(paperName, old);
        return;
    }
    const QString name = NewElementName(names_, paperName);
    std::unique_ptr<TExtraPaperInfo> copy = extra.Clone();
    try {
        WriteExtraStream(Storage(), name, *copy);
    } catch (...) {
        Storage().DeleteElement(name);
        throw;
    }
    if (!old.isEmpty()) RemoveStream(paperName, old);
    // Inserted right after the cached streams, so the cache still holds a prefix.
    names_.insert(qsizetype(cache_.size()), name);
    cache_.emplace(paperName, TExtraPaperInfoCache{name, std::move(copy)});
}

std::unique_ptr<TExtraPaperInfo> TExInfoBase::LoadExtra(const QString& paperName) {
    if (FindStream(paperName).isEmpty()) return nullptr;
    return cache_.at(paperName).extra->Clone();
}

std::unique_ptr<TExtraPaperInfo> TExInfoBase::LoadExtraAt(int index) {
    if (index < 0 || index >= ExtraCount()) throw EListError(msg::listIndexOutOfRange(index));
    return ReadStream(names_[index]);
}

// --- TImageInfoBase ---

TImageInfoBase::~TImageInfoBase() = default;

void TImageInfoBase::AttachStorage(std::unique_ptr<TDocStorage> storage) {
    TStringList names;
    storage->ListStorages(names);
    storage_ = std::move(storage);
    names_.clear();
    for (int i = 0; i < names.Count(); ++i) names_ << names.Get(i);
}

std::unique_ptr<TExtraPaperInfo> TImageInfoBase::Read(const QString& name, bool faces) const {
    const TDocStorage sub(Storage(), false, name);
    if (!sub.StreamExists(TImagePaperInfo::InfoStreamName())) return nullptr;
    std::unique_ptr<TExtraPaperInfo> extra =
        ReadExtraStream(sub, TImagePaperInfo::InfoStreamName());
    if (faces)
        if (auto* image = dynamic_cast<TImagePaperInfo*>(extra.get())) image->LoadFaceLists(sub);
    return extra;
}

int TImageInfoBase::Find(const QString& paperName) const {
    for (int i = 0; i < names_.size(); ++i) {
        const std::unique_ptr<TExtraPaperInfo> extra = Read(names_[i], false);
        if ((extra ? extra->PaperName() : QString()) == paperName) return i;
    }
    return -1;
}

void TImageInfoBase::DeleteExtra(const QString& paperName) {
    const int i = Find(paperName);
    if (i < 0) return;
    Storage().DeleteElement(names_[i]);
    names_.removeAt(i);
}

void TImageInfoBase::StoreExtra(const TExtraPaperInfo& extra) {
    const int old = Find(extra.PaperName());
    if (!extra.IsEmpty()) {
        const QString name = NewElementName(names_, extra.PaperName());
        std::unique_ptr<TExtraPaperInfo> copy = extra.Clone();
        try {
            TDocStorage sub(Storage(), true, name);
            WriteExtraStream(sub, TImagePaperInfo::InfoStreamName(), *copy);
            if (const auto* image = dynamic_cast<const TImagePaperInfo*>(copy.get()))
                image->SaveFaceLists(sub);
        } catch (...) {
            Storage().DeleteElement(name);
            throw;
        }
        names_ << name;
    }
    if (old >= 0) {
        Storage().DeleteElement(names_[old]);
        names_.removeAt(old);
    }
}

std::unique_ptr<TExtraPaperInfo> TImageInfoBase::LoadExtra(const QString& paperName) {
    const int i = Find(paperName);
    return i < 0 ? nullptr : Read(names_[i], true);
}

std::unique_ptr<TExtraPaperInfo> TImageInfoBase::LoadExtraAt(int index) {
    if (index < 0 || index >= ExtraCount()) throw EListError(msg::listIndexOutOfRange(index));
    std::unique_ptr<TExtraPaperInfo> extra = Read(names_[index], true);
    if (!extra) throw EInvalidCast(msg::invalidCast());
    return extra;
}
