#include "paper/Papers.h"

#include "document/Messages.h"
#include "document/Strings.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "document/storage/TemporaryStorage.h"
#include "document/stream/ComponentStream.h"
#include "paper/Messages.h"
#include "paper/PaperClasses.h"
#include "paper/PaperErrors.h"
#include "paper/ReplaceStream.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <functional>

namespace {

const QString kPapers = QStringLiteral("Papers");
const QString kPurposeList = QStringLiteral("PurposeList\\PurposeList");

QByteArray ReadAll(TStream& s) {
    QByteArray bytes(qsizetype(s.Size()), '\0');
    s.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace

TPapers::TPapers() : purposes_(std::make_unique<TPurposeList>()) {
    RegisterPaperClasses();
}

TPapers::~TPapers() = default;

QString TPapers::StreamNameOf(qint64 number) {
    return u'$' + QStringLiteral("%1").arg(number, 8, 16, QLatin1Char('0')).toUpper();
}

TTemporaryStorage& TPapers::WorkingStorage() const {
    return *storage_;
}

void TPapers::Open(const QString& fileName, bool readOnly) {
    if (IsOpen()) Close();
    auto storage = std::make_unique<TTemporaryStorage>();
    if (QFileInfo::exists(fileName)) storage->LoadFrom(fileName);

    auto purposes = std::make_unique<TPurposeList>();
    if (storage->StreamExists(kPurposeList)) {
        TDocStream s(*storage, storagemode::Read, kPurposeList);
        purposes->LoadPurposes(s);
    } else {
        purposes->SetDefaultPurposes();
    }

    auto node = std::make_unique<TDocStorage>(*storage, true, kPapers);
    TStringList names;
    node->ListStreams(names);
    std::vector<Entry> entries;
    std::vector<DamagedPaper> damaged;
    for (int i = 0; i < names.Count(); ++i) {
        const QString name = names.Get(i);
        // One damaged paper must not cost the others: it is reported and left as it is.
        try {
            entries.push_back({name, ReadPaper(*node, name, *purposes)});
        } catch (const Exception& e) {
            damaged.push_back({name, msg::damagedPaperStream(name, e.message())});
        }
    }
    std::stable_sort(damaged.begin(), damaged.end(),
                     [](const DamagedPaper& a, const DamagedPaper& b) {
                         return a.streamName.compare(b.streamName, Qt::CaseInsensitive) < 0;
                     });

    // Nothing of the previous state is left (Close ran), so the new one moves in whole.
    fileName_ = fileName;
    readOnly_ = readOnly;
    storage_ = std::move(storage);
    papersNode_ = std::move(node);
    entries_ = std::move(entries);
    damaged_ = std::move(damaged);
    purposes_ = std::move(purposes);
    SortEntries();
}

std::unique_ptr<TPaperInfo> TPapers::ReadPaper(TDocStorage& node, const QString& name,
                                               const TPurposeList& purposes) {
    TDocStream s(node, storagemode::Read, name);
    std::unique_ptr<TComponent> read(ReadComponentStream(s));
    auto* paper = dynamic_cast<TPaperInfo*>(read.get());
    if (!paper) throw EInvalidCast(msg::invalidCast());
    read.release();
    std::unique_ptr<TPaperInfo> result(paper);
    result->PurposeList().MergePurposes(purposes);
    return result;
}

QString TPapers::DamageReport() const {
    if (damaged_.empty()) return {};
    QStringList lines{msg::damagedPapersIn(fileName_)};
    for (const DamagedPaper& d : damaged_) lines << d.message;
    return lines.join(u'\n');
}

void TPapers::Close() {
    if (!IsOpen()) return;
    if (!readOnly_ && storage_->ChangedSinceSnapshot()) storage_->SaveTo(fileName_);
    entries_.clear();
    damaged_.clear();
    purposes_ = std::make_unique<TPurposeList>();
    papersNode_.reset();
    storage_.reset();
}

void TPapers::CheckIndex(int i) const {
    if (i < 0 || i >= Count()) throw EListError(msg::listIndexOutOfRange(i));
}

TPaperInfo* TPapers::Papers(int i) const {
    CheckIndex(i);
    return entries_[size_t(i)].paper.get();
}

const QString& TPapers::StreamName(int i) const {
    CheckIndex(i);
    return entries_[size_t(i)].streamName;
}

int TPapers::IndexOfPaper(const QString& name) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].paper->PaperName() == name) return int(i);
    return -1;
}

QByteArray TPapers::PaperStream(int i) const {
    TDocStream s(*papersNode_, storagemode::Read, StreamName(i));
    return ReadAll(s);
}

void TPapers::SortEntries() {
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.streamName.compare(b.streamName, Qt::CaseInsensitive) < 0;
    });
}

qint64 TPapers::NextStreamNumber() const {
    // The highest number plus one, damaged streams included so that none is overwritten.
    // Names that are not "$" and a hexadecimal number do not take part, so a stray element
    // cannot stop papers from being stored.
    qint64 highest = 0;
    auto consider = [&highest](const QString& streamName) {
        if (!streamName.startsWith(u'$')) return;
        bool ok = false;
        const qint64 n = streamName.mid(1).toLongLong(&ok, 16);
        if (ok) highest = std::max(highest, n);
    };
    for (const Entry& e : entries_) consider(e.streamName);
    for (const DamagedPaper& d : damaged_) consider(d.streamName);
    return highest + 1;
}

void TPapers::WritePurposeList() {
    ReplaceStream(*storage_, kPurposeList, [this](TStream& s) { purposes_->SavePurposes(s); });
}

void TPapers::WritePaper(const QString& streamName, TPaperInfo& copy, bool replacing) {
    // A catalogue stores papers in portrait orientation and with their purpose list.
    const bool landscape = copy.Landscape();
    copy.SetLandscape(false);
    copy.SetStorePurposes(true);
    const auto restore = qScopeGuard([&] {
        copy.SetLandscape(landscape);
        copy.SetStorePurposes(false);
    });
    auto write = [&](TStream& s) { WriteComponentStream(s, copy); };
    if (replacing) {
        ReplaceStream(*papersNode_, streamName, write);
    } else {
        TDocStream s(*papersNode_, storagemode::Create, streamName);
        write(s);
    }
}

void TPapers::StorePaper(const TPaperInfo& paper) {
    if (!IsOpen()) throw EPaperError(msg::papersNotOpen());
    if (purposes_->MergePurposes(paper.PurposeList())) WritePurposeList();

    std::unique_ptr<TPaperInfo> copy = paper.Clone();
    const int index = IndexOfPaper(paper.PaperName());
    if (index >= 0) {
        Entry& e = entries_[size_t(index)];
        WritePaper(e.streamName, *copy, true);
        e.paper = std::move(copy);
        return;
    }
    const QString name = StreamNameOf(NextStreamNumber());
    try {
        WritePaper(name, *copy, false);
    } catch (...) {
        // No half-written stream may stay behind: the next Open would fail on it.
        papersNode_->DeleteElement(name);
        throw;
    }
    entries_.push_back({name, std::move(copy)});
    SortEntries();
}

void TPapers::DeletePaper(int i) {
    CheckIndex(i);
    papersNode_->DeleteElement(entries_[size_t(i)].streamName);
    entries_.erase(entries_.begin() + i);
}

void TPapers::ReorderPapers(const QStringList& names) {
    qint64 next = NextStreamNumber();
    const auto sort = qScopeGuard([this] { SortEntries(); });
    for (int k = 0; k < Count(); ++k) {
        const int index = k < names.size() ? IndexOfPaper(names[k]) : -1;
        if (index < 0) throw EPaperError(msg::badPaperName());
        const QString newName = StreamNameOf(next++);
        papersNode_->MoveElement(entries_[size_t(index)].streamName, newName);
        entries_[size_t(index)].streamName = newName;
    }
}

void TPapers::GetGroupNames(TStrings& strings) const {
    for (const Entry& e : entries_) {
        const QString& group = e.paper->GroupName();
        bool present = false;
        for (int i = 0; i < strings.Count() && !present; ++i)
            present = strings.Get(i).compare(group, Qt::CaseInsensitive) == 0;
        if (!present) strings.Add(group);
    }
}

void TPapers::SetPurposeList(const TPurposeList& list) {
    if (!IsOpen()) throw EPaperError(msg::papersNotOpen());
    purposes_->Assign(list);
    WritePurposeList();
}
