#include "document/ProductInfo.h"

#include "document/Messages.h"
#include "document/stream/ClassRegistry.h"
#include "document/stream/Filer.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "document/stream/StreamErrors.h"

#include <QUuid>
#include <QtEndian>
#include <mutex>

VELLUMO_DEFINE_PERSISTENT(TProductItem)
VELLUMO_DEFINE_PERSISTENT(TProductItemCollection)
VELLUMO_DEFINE_PERSISTENT(TProductInfo)

namespace {

constexpr int kGuidSize = 16;
constexpr int kProductItems = 10;
constexpr int kFixedProductNames = 7;

const QStringList& FreeFieldNames() {
    static const QStringList names{QStringLiteral("自由項目1"), QStringLiteral("自由項目2"),
                                   QStringLiteral("自由項目3"), QStringLiteral("自由項目4")};
    return names;
}

// A GUID in its stored layout: the first three fields little-endian, then eight bytes.
QByteArray GuidBytes(const QUuid& id) {
    QByteArray bytes(kGuidSize, '\0');
    qToLittleEndian<quint32>(id.data1, bytes.data());
    qToLittleEndian<quint16>(id.data2, bytes.data() + 4);
    qToLittleEndian<quint16>(id.data3, bytes.data() + 6);
    for (int i = 0; i < 8; ++i) bytes[8 + i] = char(id.data4[i]);
    return bytes;
}

}  // namespace

void TProductItem::DeclareProperties(PropertyBuilder<TProductItem>& p) {
    p.persistent("Info", &TProductItem::InfoPtr);
    p.string("FieldName", &TProductItem::FieldName, &TProductItem::SetFieldName);
}

void TProductItem::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TProductItem*>(&source);
    if (!o) return TCollectionItem::Assign(source);
    info_.Assign(o->info_);
    fieldName_ = o->fieldName_;
}

const QStringList& TProductInfo::ProductFieldNames() {
    static const QStringList names =
        QStringList{QStringLiteral("メインタイトル"), QStringLiteral("サブタイトル"),
                    QStringLiteral("担当者"),         QStringLiteral("コピーライト"),
                    QStringLiteral("バージョン"),     QStringLiteral("日付")} +
        FreeFieldNames();
    return names;
}

const QStringList& TProductInfo::CreatorFieldNames() {
    static const QStringList names =
        QStringList{QStringLiteral("会社名"),   QStringLiteral("部署名"),
                    QStringLiteral("TEL"),      QStringLiteral("FAX"),
                    QStringLiteral("郵便番号"), QStringLiteral("住所1"),
                    QStringLiteral("住所2"),    QStringLiteral("ホームページ")} +
        FreeFieldNames().mid(0, 3);
    return names;
}

TProductInfo::TProductInfo() : items_(std::make_unique<TProductItemCollection>()) {
    NewGUID();
    CompleteAsProduct();
}

TProductInfo::~TProductInfo() = default;

void TProductInfo::DeclareProperties(PropertyBuilder<TProductInfo>& p) {
    p.collection("Items", &TProductInfo::ItemsPtr);
}

void TProductInfo::SetGUID(const QByteArray& guid) {
    if (guid.size() != kGuidSize) throw EReadError(msg::invalidPropertyValue());
    guid_ = guid;
}

void TProductInfo::NewGUID() {
    guid_ = GuidBytes(QUuid::createUuid());
}

void TProductInfo::CompleteAsProduct() {
    while (items_->Count() < kProductItems) items_->Add();
    const QStringList& names = ProductFieldNames();
    for (int i = 0; i < kFixedProductNames; ++i) items_->Items(i)->SetFieldName(names[i]);
    for (int i = kFixedProductNames; i < kProductItems; ++i)
        if (items_->Items(i)->FieldName().isEmpty()) items_->Items(i)->SetFieldName(names[i]);
}

void TProductInfo::MakeCreatorDefaults() {
    items_->Clear();
    for (const QString& name : CreatorFieldNames()) items_->Add()->SetFieldName(name);
}

QStringList TProductInfo::FieldNames() const {
    QStringList out;
    for (int i = 0; i < items_->Count(); ++i) out << items_->Items(i)->FieldName();
    return out;
}

void TProductInfo::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TProductInfo*>(&source);
    if (!o) return TComponent::Assign(source);
    if (o == this) return;
    items_->Assign(*o->items_);
    guid_ = o->guid_;
}

void TProductInfo::DefineCustomProperties(TFiler& filer) {
    TComponent::DefineCustomProperties(filer);
    filer.DefineBlobProperty(
        QStringLiteral("GUID"), [this](TStream& s) { SetGUID(s.ReadToEnd()); },
        [this](TStream& s) { s.WriteBytes(guid_); }, true);
}

void RegisterProductClasses() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterPersistentClass<TProductInfo>(); });
}
