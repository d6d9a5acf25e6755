#include "document/ProductDB.h"

#include "document/Messages.h"
#include "document/ProductInfo.h"
#include "document/storage/DocNameList.h"
#include "document/storage/StorageMode.h"
#include "document/storage/TemporaryStorage.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/StreamErrors.h"

#include <QFileInfo>

namespace {
const QString kList = QStringLiteral("Infos\\NameList");
const QString kResourceName = QStringLiteral("ProductInfo");
}  // namespace

TProductDB::TProductDB() {
    RegisterProductClasses();
}

TProductDB::~TProductDB() = default;

void TProductDB::OpenProductDB(const QString& fileName) {
    auto storage = std::make_unique<TTemporaryStorage>();
    const bool exists = QFileInfo::exists(fileName);
    if (exists) storage->LoadFrom(fileName);
    auto list = std::make_unique<TDocStreamList>(*storage, kList);
    list_.reset();
    storage_ = std::move(storage);
    list_ = std::move(list);
    fileName_ = fileName;
    if (!exists) {
        TProductInfo japanese, english;
        japanese.MakeCreatorDefaults();
        english.MakeCreatorDefaults();
        StoreRecord(japanese);
        StoreRecord(english);
        while (EntryCount() < kReservedEntries) {
            TProductInfo empty;
            StoreRecord(empty);
        }
    }
    changed_ = false;
}

int TProductDB::EntryCount() const {
    return list_ ? list_->Count() : 0;
}

int TProductDB::ProductCount() const {
    return std::max(0, EntryCount() - kReservedEntries);
}

void TProductDB::ReadEntry(int index, TProductInfo& record) const {
    if (index < 0 || index >= EntryCount()) throw EListError(msg::listIndexOutOfRange(index));
    const std::unique_ptr<TDocStream> s = list_->OpenElementStream(index, storagemode::Read);
    TProductInfo read;
    ReadComponentResource(*s, &read);
    record.Assign(read);
}

void TProductDB::ReadProduct(int k, TProductInfo& record) const {
    if (k < 0) throw EListError(msg::listIndexOutOfRange(k));
    ReadEntry(k + kReservedEntries, record);
}

void TProductDB::ReadCreatorJapanese(TProductInfo& record) const {
    ReadEntry(0, record);
}

void TProductDB::ReadCreatorEnglish(TProductInfo& record) const {
    ReadEntry(1, record);
}

void TProductDB::StoreRecord(TProductInfo& record) {
    int index = -1;
    for (int i = 0; i < EntryCount() && index < 0; ++i) {
        TProductInfo stored;
        ReadEntry(i, stored);
        if (stored.SameRecord(record)) index = i;
    }
    if (index < 0) index = list_->AddElement();
    const std::unique_ptr<TDocStream> s = list_->OpenElementStream(index, storagemode::Create);
    WriteComponentResource(*s, kResourceName, record);
    changed_ = true;
}

void TProductDB::Close() {
    if (storage_ && changed_) storage_->SaveTo(fileName_);
    changed_ = false;
    list_.reset();
    storage_.reset();
}

void TProductDB::FillNewDocument(TProductInfo& product, TProductInfo& japanese,
                                 TProductInfo& english) const {
    if (ProductCount() >= 1) {
        ReadProduct(0, product);
        product.CompleteAsProduct();
    }
    if (EntryCount() >= 1) ReadCreatorJapanese(japanese);
    if (EntryCount() >= 2) ReadCreatorEnglish(english);
}
