#include "paper/PapersV2.h"

#include "document/Strings.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "document/storage/TemporaryStorage.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/Encoding.h"
#include "paper/ExtraStores.h"
#include "paper/Messages.h"
#include "paper/PaperClasses.h"
#include "paper/PaperErrors.h"
#include "paper/ReplaceStream.h"

#include <optional>

const QString TPapersV2::ExtraInfos = QStringLiteral("ExtraInfos");
const QString TPapersV2::PaperImages = QStringLiteral("PaperImages");
const QString TPapersV2::ExtraAlbumInfo = QStringLiteral("ExtraAlbumInfo");
const QString TPapersV2::PrinterSetting = QStringLiteral("PrinterSetting");
const QString TPapersV2::PhotoSizeInfo = QStringLiteral("PhotoSizeInfo");
const QString TPapersV2::SearchExtKeyInfo = QStringLiteral("SearchExtKeyInfo");
const QString TPapersV2::GenreInfo = QStringLiteral("GenreInfo");
const QString TPapersV2::V1ToV2PaperInfo = QStringLiteral("V1ToV2PaperInfo");
const QString TPapersV2::V2ToV3PaperInfo = QStringLiteral("V2ToV3PaperInfo");
const QString TPapersV2::V2ToV3GroupInfo = QStringLiteral("V2ToV3GroupInfo");

namespace {

const QString kUpdateInfo = QStringLiteral("UpdateInfo\\UpdateInfo");
const QString kCompanyList = QStringLiteral("CompanyList\\CompanyList");
const QString kGroupList = QStringLiteral("GroupList\\GroupList");
const QString kGlobalInfo = QStringLiteral("GlobalInfo");

QString GlobalPath(const QString& name) {
    return kGlobalInfo + u'\\' + name;
}

void AddOnce(QStringList& list, const QString& value) {
    if (!value.isEmpty() && !list.contains(value)) list << value;
}

// The name after its first blank (ASCII or ideographic space); the name itself without one.
QString AfterFirstBlank(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i)
        if (name[i] == u' ' || name[i] == QChar(0x3000)) return name.mid(i + 1);
    return name;
}

}  // namespace

QByteArray EncodeTextLines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) bytes += encodeStored(line) + "\r\n";
    return bytes;
}

QStringList DecodeTextLines(const QByteArray& bytes) {
    const QString text = decodeStored(bytes);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        lines << text.mid(start, i - start);
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines << text.mid(start);
    return lines;
}

TPapersV2::TPapersV2() : update_(std::make_unique<TPaperUpdate>()) {
    RegisterPaperClasses();
}

TPapersV2::~TPapersV2() = default;

void TPapersV2::Open(const QString& fileName, bool readOnly) {
    if (IsOpen()) Close();
    TPapers::Open(fileName, readOnly);
    try {
        ReadRecords();
        RegisterExtras(std::make_unique<TExInfoBase>(ExtraInfos));
        RegisterExtras(std::make_unique<TImageInfoBase>(PaperImages));
        RegisterExtras(std::make_unique<TExInfoBase>(ExtraAlbumInfo));
    } catch (...) {
        // Nothing of a catalogue that did not open may reach its file.
        stores_.clear();
        WorkingStorage().TakeSnapshot();
        TPapers::Close();
        throw;
    }
}

void TPapersV2::Close() {
    TPapers::Close();
    stores_.clear();
    update_ = std::make_unique<TPaperUpdate>();
    companies_.clear();
    groups_.clear();
}

void TPapersV2::ReadRecords() {
    TTemporaryStorage& storage = WorkingStorage();
    auto update = std::make_unique<TPaperUpdate>();
    if (storage.StreamExists(kUpdateInfo)) {
        TDocStream s(storage, storagemode::Read, kUpdateInfo);
        std::unique_ptr<TComponent> read(ReadComponentStream(s));
        auto* record = dynamic_cast<TPaperUpdate*>(read.get());
        if (!record) throw EInvalidCast(msg::invalidCast());
        update->Assign(*record);
    } else {
        WriteUpdateRecord(*update);
    }
    update_ = std::move(update);

    auto list = [&](const QString& path, QStringList& into) {
        if (storage.StreamExists(path))
            into = ReadList(path);
        else
            WriteList(path, into = {});
    };
    list(kGroupList, groups_);
    list(kCompanyList, companies_);
}

QStringList TPapersV2::ReadList(const QString& path) const {
    TDocStream s(WorkingStorage(), storagemode::Read, path);
    return DecodeTextLines(s.ReadToEnd());
}

void TPapersV2::WriteList(const QString& path, const QStringList& list) {
    const QByteArray bytes = EncodeTextLines(list);
    ReplaceStream(WorkingStorage(), path, [&](TStream& s) { s.WriteBytes(bytes); });
}

void TPapersV2::WriteUpdateRecord(const TPaperUpdate& record) {
    TPaperUpdate copy;
    copy.Assign(record);
    ReplaceStream(WorkingStorage(), kUpdateInfo,
                  [&](TStream& s) { WriteComponentStream(s, copy); });
}

void TPapersV2::SetUpdateRecord(const TPaperUpdate& record) {
    if (!IsOpen()) throw EPaperError(msg::papersNotOpen());
    WriteUpdateRecord(record);
    update_->Assign(record);
}

void TPapersV2::SetCompanyList(const QStringList& list) {
    if (!IsOpen()) throw EPaperError(msg::papersNotOpen());
    WriteList(kCompanyList, list);
    companies_ = list;
}

void TPapersV2::SetGroupList(const QStringList& list) {
    if (!IsOpen()) throw EPaperError(msg::papersNotOpen());
    WriteList(kGroupList, list);
    groups_ = list;
}

bool TPapersV2::ReadGlobalText(const QString& name, QStringList& strings) const {
    if (!IsOpen() || !WorkingStorage().StreamExists(GlobalPath(name))) return false;
    strings = ReadList(GlobalPath(name));
    return true;
}

void TPapersV2::WriteGlobalText(const QString& name, const QStringList& strings) {
    if (!IsOpen()) throw EPaperError(msg::papersNotOpen());
    WriteList(GlobalPath(name), strings);
}

QStringList TPapersV2::GlobalTextNames() const {
    QStringList out;
    if (!IsOpen() || !WorkingStorage().StorageExists(kGlobalInfo)) return out;
    TStringList names;
    TDocStorage(WorkingStorage(), false, kGlobalInfo).ListStreams(names);
    for (int i = 0; i < names.Count(); ++i) out << names.Get(i);
    return out;
}

void TPapersV2::RegisterExtras(std::unique_ptr<TExtraInfoBase> store) {
    if (!IsOpen()) throw EPaperError(msg::papersNotOpen());
    store->AttachStorage(std::make_unique<TDocStorage>(WorkingStorage(), true, store->Name()));
    stores_.push_back(std::move(store));
}

TExtraInfoBase* TPapersV2::ExtrasByName(const QString& name) const {
    for (const auto& s : stores_)
        if (s->Name().compare(name, Qt::CaseInsensitive) == 0) return s.get();
    return nullptr;
}

std::unique_ptr<TExtraPaperInfo> TPapersV2::LoadPaperExtra(const QString& storeName,
                                                           const QString& paperName) const {
    TExtraInfoBase* store = ExtrasByName(storeName);
    if (!store || paperName.isEmpty()) return nullptr;
    return store->LoadExtra(paperName);
}

void TPapersV2::StorePaperExtra(const QString& storeName, const TExtraPaperInfo& extra) {
    TExtraInfoBase* store = ExtrasByName(storeName);
    if (!store || extra.PaperName().isEmpty()) return;
    store->StoreExtra(extra);
}

void TPapersV2::DeletePaper(int i) {
    const QString name = Papers(i)->PaperName();
    for (const auto& s : stores_) s->DeleteExtra(name);
    TPapers::DeletePaper(i);
}

QString TPapersV2::FreeNameFrom(const QString& name) const {
    QString free = name + u'$';
    while (IndexOfPaper(free) >= 0) free += u'$';
    return free;
}

void TPapersV2::MovePaperAside(int index) {
    const QString name = Papers(index)->PaperName();
    const QString aside = FreeNameFrom(name);
    std::unique_ptr<TPaperInfo> copy = Papers(index)->Clone();
    copy->SetPaperName(aside);
    StorePaper(*copy);
    for (const auto& s : stores_) {
        if (std::unique_ptr<TExtraPaperInfo> extra = s->LoadExtra(name)) {
            extra->SetPaperName(aside);
            s->StoreExtra(*extra);
            s->DeleteExtra(name);
        }
    }
}

void TPapersV2::MergeFrom(TPapersV2& source, bool userPapers, const Progress& progress,
                          bool system) {
    if (!IsOpen() || !source.IsOpen()) throw EPaperError(msg::papersNotOpen());
    const int count = source.Count();
    for (int i = 0; i < count; ++i) {
        if (progress) progress(i + 1, count);
        std::unique_ptr<TPaperInfo> copy = source.Papers(i)->Clone();
        if (!(copy->ReadOnly() ? system : userPapers)) continue;
        const QString sourceName = copy->PaperName();
        const int existing = IndexOfPaper(sourceName);
        if (existing >= 0) {
            const bool destReadOnly = Papers(existing)->ReadOnly();
            if (destReadOnly && !copy->ReadOnly())
                copy->SetPaperName(FreeNameFrom(sourceName));
            else if (!destReadOnly && copy->ReadOnly())
                MovePaperAside(existing);
        }
        StorePaper(*copy);
        for (const auto& from : source.stores_) {
            TExtraInfoBase* to = ExtrasByName(from->Name());
            if (!to) continue;
            if (std::unique_ptr<TExtraPaperInfo> extra = from->LoadExtra(sourceName)) {
                extra->SetPaperName(copy->PaperName());
                to->StoreExtra(*extra);
            }
        }
    }
    if (system) {
        SetCompanyList(source.CompanyList());
        SetGroupList(source.GroupList());
        if (source.WorkingStorage().StorageExists(kGlobalInfo)) {
            const TDocStorage from(source.WorkingStorage(), false, kGlobalInfo);
            TDocStorage to(WorkingStorage(), true, kGlobalInfo);
            from.CopyAllTo(to);
        }
        // Last: a catalogue carries a new update number only with everything it brings.
        TPaperUpdate record;
        record.Assign(*update_);
        record.PPRNo = source.UpdateRecord().PPRNo;
        record.SetLastUpdateTime(QDateTime::currentDateTime());
        SetUpdateRecord(record);
    }
    WorkingStorage().ClearSnapshot();
}

void TPapersV2::CollectCompaniesAndPurposes(QStringList& companies, QStringList& purposes) const {
    companies = companies_;
    for (int i = 0; i < Count(); ++i) {
        const std::unique_ptr<TExtraPaperInfo> extra =
            LoadPaperExtra(ExtraInfos, Papers(i)->PaperName());
        if (const auto* info = dynamic_cast<const TExPaperInfo*>(extra.get())) {
            AddOnce(companies, info->Company);
            AddOnce(purposes, info->Purpose);
        } else {
            AddOnce(companies, msg::unsetCompany());
        }
    }
}

QString TPapersV2::LookupTable(const QString& table, const QString& key) const {
    QStringList lines;
    if (!ReadGlobalText(table, lines)) return {};
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).compare(key, Qt::CaseInsensitive) == 0) return line.mid(eq + 1);
    }
    return {};
}

std::unique_ptr<TPaperInfo> TPapersV2::MatchPaper(const TPaperInfo& paper) const {
    if (IndexOfPaper(paper.PaperName()) >= 0) return paper.Clone();
    if (paper.ReadOnly()) {
        QString name = paper.PaperName();
        if (const QString v1 = LookupTable(V1ToV2PaperInfo, name); !v1.isEmpty()) name = v1;
        if (const QString v3 = LookupTable(V2ToV3PaperInfo, name); !v3.isEmpty())
            name = v3;
        else
            name = AfterFirstBlank(name);
        if (const int i = IndexOfPaper(name); i >= 0) return Papers(i)->Clone();
    }
    std::unique_ptr<TPaperInfo> copy = paper.Clone();
    if (const QString group = LookupTable(V2ToV3GroupInfo, copy->GroupName()); !group.isEmpty())
        copy->SetGroupName(group);
    return copy;
}
