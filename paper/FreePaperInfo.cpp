#include "paper/FreePaperInfo.h"

#include "document/stream/PropertyBuilder.h"
#include "platform/IntMath.h"

VELLUMO_DEFINE_PERSISTENT(TFaceItem)
VELLUMO_DEFINE_PERSISTENT(TFreePaperInfo)

// Stored values are untrusted: edges are computed in 64 bits and wrap to 32.
using platform::wrapSum;

void TFaceItem::DeclareProperties(PropertyBuilder<TFaceItem>& p) {
    using F = TFaceItem;
    p.integer("Left", &F::Left, &F::SetLeft);
    p.integer("Top", &F::Top, &F::SetTop);
    p.integer("Width", &F::Width, &F::SetWidth);
    p.integer("Height", &F::Height, &F::SetHeight);
    p.integer(
        "FaceMargin", [](const F& f) { return f.Face.margin; },
        [](F& f, int32_t v) { f.Face.margin = v; });
    p.enumeration(
        "FaceShape", [](const F& f) { return f.Face.shape; },
        [](F& f, int32_t v) { f.Face.shape = TFaceShape(v); }, faceShapeType());
    p.string(
        "FacePurpose", [](const F& f) { return f.Face.purpose; },
        [](F& f, const QString& v) { f.Face.purpose = v; });
    p.integer(
         "RoundSize", [](const F& f) { return f.Face.roundSize; },
         [](F& f, int32_t v) { f.Face.roundSize = v; })
        .defaultValue(FaceSettings::kDefaultRoundSize);
    p.enumeration(
         "CenterShape", [](const F& f) { return f.Face.centerShape; },
         [](F& f, int32_t v) { f.Face.centerShape = TCenterShape(v); }, centerShapeType())
        .defaultValue(csEllipse);
    p.integer(
         "CutCenterWidth", [](const F& f) { return f.Face.cutCenterWidth; },
         [](F& f, int32_t v) { f.Face.cutCenterWidth = v; })
        .defaultValue(FaceSettings::kDefaultCutCenter)
        .storedIf([](const F& f) { return f.Face.CutCenterSizesStored(); });
    p.integer(
         "CutCenterHeight", [](const F& f) { return f.Face.cutCenterHeight; },
         [](F& f, int32_t v) { f.Face.cutCenterHeight = v; })
        .defaultValue(FaceSettings::kDefaultCutCenter)
        .storedIf([](const F& f) { return f.Face.CutCenterSizesStored(); });
}

void TFaceItem::DefineCustomProperties(TFiler& filer) {
    TCollectionItem::DefineCustomProperties(filer);
    Face.DefineCustomProperties(filer);
}

void TFaceItem::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TFaceItem*>(&source);
    if (!o) return TCollectionItem::Assign(source);
    Rect = o->Rect;
    Face = o->Face;
}

void TFaceItem::SetLeft(int v) {
    const int w = Width();
    Rect.Left = v;
    Rect.Right = wrapSum(v, w);
}

void TFaceItem::SetTop(int v) {
    const int h = Height();
    Rect.Top = v;
    Rect.Bottom = wrapSum(v, h);
}

void TFaceItem::SetWidth(int v) {
    Rect.Right = wrapSum(Rect.Left, v);
}
void TFaceItem::SetHeight(int v) {
    Rect.Bottom = wrapSum(Rect.Top, v);
}

// ---- TFreePaperInfo

TFreePaperInfo::TFreePaperInfo() : faces_(std::make_unique<TFaces>()) {}
TFreePaperInfo::~TFreePaperInfo() = default;

void TFreePaperInfo::DeclareProperties(PropertyBuilder<TFreePaperInfo>& p) {
    p.collection("Faces", &TFreePaperInfo::FacesPtr);
}

TFaceItem& TFreePaperInfo::AddFace(const TRect& rect, const FaceSettings& settings) {
    TFaceItem* f = faces_->Add();
    f->Rect = rect;
    f->Face = settings;
    return *f;
}

const TFaceItem& TFreePaperInfo::item(int i) const {
    CheckFaceIndex(i);
    return *faces_->Items(i);
}

QSize TFreePaperInfo::GetCutCenter(int i) const {
    const FaceSettings& f = item(i).Face;
    return {f.cutCenterWidth, f.cutCenterHeight};
}

void TFreePaperInfo::AssignFaces(const TPaperInfo& source) {
    faces_->Assign(static_cast<const TFreePaperInfo&>(source).Faces());
}
