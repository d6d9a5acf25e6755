#include "paper/ImagePaperInfo.h"

#include "document/Messages.h"
#include "document/Strings.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawObject.h"
#include "paper/Messages.h"
#include "paper/PaperErrors.h"
#include "paper/Papers.h"

#include <algorithm>

VELLUMO_DEFINE_PERSISTENT(TImagePaperInfo)

namespace {

const QString kImageInfo = QStringLiteral("ImageInfo");
// No paper has this many faces; a stream number above it is damage, not a face.
constexpr qint64 kMaxFaceLists = 10000;

// The face index a face list stream name stands for, or -1.
int FaceIndexOf(const QString& name) {
    if (name.size() != 9 || !name.startsWith(u'$')) return -1;
    bool ok = false;
    const qint64 n = name.mid(1).toLongLong(&ok, 16);
    return ok && n >= 1 && n <= kMaxFaceLists ? int(n - 1) : -1;
}

}  // namespace

TImagePaperInfo::TImagePaperInfo() = default;
TImagePaperInfo::~TImagePaperInfo() = default;

void TImagePaperInfo::DeclareProperties(PropertyBuilder<TImagePaperInfo>& p) {
    p.boolean("SeparatelyDesign", &TImagePaperInfo::SeparatelyDesign,
              &TImagePaperInfo::SeparatelyDesign);
    p.integer("LabelCount", &TImagePaperInfo::LabelCount, &TImagePaperInfo::LabelCount);
}

QString TImagePaperInfo::FaceStreamName(int i) {
    return TPapers::StreamNameOf(qint64(i) + 1);
}

QString TImagePaperInfo::InfoStreamName() {
    return kImageInfo;
}

const TImagePaperInfo::ObjectList& TImagePaperInfo::FaceObjects(int i) const {
    if (i < 0 || i >= FaceListCount()) throw EListError(msg::listIndexOutOfRange(i));
    return faces_[size_t(i)];
}

void TImagePaperInfo::WriteFace(TStream& stream, int i) const {
    std::vector<TComponent*> objects;
    if (i < FaceListCount())
        for (const auto& o : faces_[size_t(i)]) objects.push_back(o.get());
    WriteObjectList(stream, objects);
}

void TImagePaperInfo::CopyFaceObjects(int i, TDOList& list) const {
    list.Clear();
    if (i < 0 || i >= FaceListCount()) return;
    TMemoryStream s;
    WriteFace(s, i);
    s.Seek(0, SeekOrigin::Begin);
    list.LoadFromStream(s);
}

void TImagePaperInfo::SetFaceObjects(int i, ObjectList objects) {
    if (i < 0) throw EListError(msg::listIndexOutOfRange(i));
    if (i >= FaceListCount()) faces_.resize(size_t(i) + 1);
    faces_[size_t(i)] = std::move(objects);
}

void TImagePaperInfo::ClearFaces() {
    faces_.clear();
}

void TImagePaperInfo::ImportDesign(bool separatelyDesign, std::vector<ObjectList> faces) {
    ClearFaces();
    SeparatelyDesign = separatelyDesign;
    LabelCount = int(faces.size());
    for (auto& list : faces)
        for (auto& o : list) {
            o->SetLayerGroup(-50);
            o->SetSelectable(false);
        }
    faces_ = std::move(faces);
}

bool TImagePaperInfo::IsEmpty() const {
    return std::all_of(faces_.begin(), faces_.end(),
                       [](const ObjectList& list) { return list.empty(); });
}

bool TImagePaperInfo::SameAs(TExtraPaperInfo& other) {
    if (!TExtraPaperInfo::SameAs(other)) return false;
    const auto* o = dynamic_cast<const TImagePaperInfo*>(&other);
    if (!o) return false;
    TMemoryStream mine, theirs;
    for (int i = 0; i < FaceListCount(); ++i) WriteFace(mine, i);
    for (int i = 0; i < o->FaceListCount(); ++i) o->WriteFace(theirs, i);
    return mine.Data() == theirs.Data();
}

void TImagePaperInfo::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TImagePaperInfo*>(&source);
    if (!o) return TExtraPaperInfo::Assign(source);
    if (o == this) return;
    TExtraPaperInfo::Assign(source);
    SeparatelyDesign = o->SeparatelyDesign;
    LabelCount = o->LabelCount;
    std::vector<ObjectList> faces(size_t(o->FaceListCount()));
    for (int i = 0; i < o->FaceListCount(); ++i) {
        TDOList copy;
        o->CopyFaceObjects(i, copy);
        faces[size_t(i)] = copy.TakeOwned();
    }
    faces_ = std::move(faces);
}

void TImagePaperInfo::SaveFaceLists(TDocStorage& storage) const {
    TStringList names;
    storage.ListStreams(names);
    for (int i = 0; i < names.Count(); ++i)
        if (names.Get(i).compare(kImageInfo, Qt::CaseInsensitive) != 0)
            storage.DeleteElement(names.Get(i));
    for (int i = 0; i < FaceListCount(); ++i) {
        TDocStream s(storage, storagemode::Create, FaceStreamName(i));
        WriteFace(s, i);
    }
}

void TImagePaperInfo::LoadFaceLists(const TDocStorage& storage) {
    ClearFaces();
    TStringList names;
    storage.ListStreams(names);
    std::vector<ObjectList> faces;
    for (int k = 0; k < names.Count(); ++k) {
        const QString name = names.Get(k);
        if (name.compare(kImageInfo, Qt::CaseInsensitive) == 0) continue;
        const int face = FaceIndexOf(name);
        if (face < 0) throw EPaperError(msg::badFaceListStream(name));
        if (face >= int(faces.size())) faces.resize(size_t(face) + 1);
        TDocStream s(storage, storagemode::Read, name);
        TDOList list;
        list.LoadFromStream(s);
        faces[size_t(face)] = list.TakeOwned();
    }
    faces_ = std::move(faces);
}
