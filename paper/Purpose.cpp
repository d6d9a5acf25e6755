#include "paper/Purpose.h"

#include "document/Strings.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"

VELLUMO_DEFINE_PERSISTENT(TPurposeInfo)
VELLUMO_DEFINE_PERSISTENT(TPLStreamer)

void TPurposeInfo::DeclareProperties(PropertyBuilder<TPurposeInfo>& p) {
    p.string("ID", &TPurposeInfo::ID, &TPurposeInfo::ID);
    p.string("DisplayName", &TPurposeInfo::DisplayName, &TPurposeInfo::DisplayName);
    p.set("ShapeMask", &TPurposeInfo::ShapeMask, &TPurposeInfo::ShapeMask, faceShapeType());
}

void TPurposeInfo::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TPurposeInfo*>(&source);
    if (!o) return TCollectionItem::Assign(source);
    ID = o->ID;
    DisplayName = o->DisplayName;
    ShapeMask = o->ShapeMask;
}

// ---- TPurposeList

TPurposeInfo& TPurposeList::Add(const QString& id, const QString& displayName, TFaceShapes mask) {
    TPurposeInfo* item = Add();
    item->ID = id;
    item->DisplayName = displayName;
    item->ShapeMask = mask;
    return *item;
}

bool TPurposeList::AddPurpose(const TPurposeInfo& item) {
    if (IndexOfPurpose(item.ID) >= 0) return false;
    Add()->Assign(item);
    return true;
}

bool TPurposeList::MergePurposes(const TPurposeList& other) {
    bool added = false;
    for (int i = 0; i < other.Count(); ++i) added = AddPurpose(*other.Items(i)) || added;
    FilterPurposes();
    return added;
}

int TPurposeList::IndexOfPurpose(const QString& id) const {
    for (int i = Count() - 1; i >= 0; --i)
        if (Items(i)->ID.compare(id, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TPurposeList::GetDisplayNames(TStrings& strings) const {
    for (int i = 0; i < Count(); ++i) strings.Add(Items(i)->DisplayName);
}

void TPurposeList::Assign(const TPersistent& source) {
    TCollection::Assign(source);
    FilterPurposes();
}

void TPurposeList::SetDefaultPurposes() {
    Clear();
    Add(QStringLiteral("CD"), QStringLiteral("CD"), faceShapes({fsDoughnut, fsEllipse}));
    Add(QStringLiteral("CDCover"), QStringLiteral("CDCover"), faceShapes({fsRect, fsRoundRect}));
    Add(QStringLiteral("CDCaseTray"), QStringLiteral("CDCaseTray"),
        faceShapes({fsRect, fsRoundRect}));
    Add(QStringLiteral("MOSquare"), QStringLiteral("MOSquare"), faceShapes({fsRect, fsRoundRect}));
    Add(QString(), QString(), 0);
}

void TPurposeList::LoadPurposes(TStream& stream) {
    // A stored empty list does not clear the collection, so clear it first.
    Clear();
    TPLStreamer streamer(this);
    ReadComponentStream(stream, &streamer);
    FilterPurposes();
}

void TPurposeList::SavePurposes(TStream& stream) const {
    TPLStreamer streamer(const_cast<TPurposeList*>(this));
    WriteComponentStream(stream, streamer);
}

void TPurposeList::FilterPurposes() {
    if (const TPurposeValidator* v = PurposeValidator()) v->FilterPurposes(*this);
}

// ---- validators

namespace {
std::unique_ptr<TPurposeValidator>& installedValidator() {
    static std::unique_ptr<TPurposeValidator> v;
    return v;
}
}  // namespace

void InstallPurposeValidator(std::unique_ptr<TPurposeValidator> validator) {
    installedValidator() = std::move(validator);
}

const TPurposeValidator* PurposeValidator() {
    return installedValidator().get();
}

QString MapPurpose(const QString& id) {
    const TPurposeValidator* v = PurposeValidator();
    return v ? v->MapPurpose(id) : id;
}

bool TCDLabelPurposeValidator::IsObsoletePurpose(const QString& id) const {
    return id == u"MO" || id == u"FD" || id == u"CDCase";
}

QString TCDLabelPurposeValidator::MapPurpose(const QString& id) const {
    if (id == u"MO" || id == u"FD") return QStringLiteral("MOSquare");
    if (id == u"CDCase") return QStringLiteral("CDCaseTray");
    return id;
}

void TCDLabelPurposeValidator::FilterPurposes(TPurposeList& list) const {
    for (int i = list.Count() - 1; i >= 0; --i)
        if (IsObsoletePurpose(list.Items(i)->ID)) list.Delete(i);
}

// ---- TPLStreamer

void TPLStreamer::DeclareProperties(PropertyBuilder<TPLStreamer>& p) {
    p.collection("List", &TPLStreamer::List);
}
