#include "paper/PaperInfo.h"

#include "document/Messages.h"
#include "document/stream/PropertyBuilder.h"
#include "paper/PaperErrors.h"

VELLUMO_DEFINE_PERSISTENT(TPaperInfo)

TPaperInfo::TPaperInfo() : purposes_(std::make_unique<TPurposeList>()) {}

TPaperInfo::~TPaperInfo() = default;

void TPaperInfo::DeclareProperties(PropertyBuilder<TPaperInfo>& p) {
    // Landscape comes first, so Width and Height read back into the same portrait fields.
    p.boolean("Landscape", &TPaperInfo::Landscape, &TPaperInfo::SetLandscape);
    p.integer("Width", &TPaperInfo::Width, &TPaperInfo::SetWidth);
    p.integer("Height", &TPaperInfo::Height, &TPaperInfo::SetHeight);
    p.string("PaperName", &TPaperInfo::PaperName, &TPaperInfo::SetPaperName);
    p.string("GroupName", &TPaperInfo::GroupName, &TPaperInfo::SetGroupName);
    p.boolean("ReadOnly", &TPaperInfo::ReadOnly, &TPaperInfo::SetReadOnly);
    p.collection("PurposeList", &TPaperInfo::PurposeListPtr).storedIf(&TPaperInfo::StorePurposes);
}

void TPaperInfo::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TPaperInfo*>(&source);
    if (!o) return TComponent::Assign(source);
    if (o == this) return;
    portraitWidth_ = o->portraitWidth_;
    portraitHeight_ = o->portraitHeight_;
    paperName_ = o->paperName_;
    groupName_ = o->groupName_;
    readOnly_ = o->readOnly_;
    landscape_ = o->landscape_;
    purposes_->Assign(*o->purposes_);
    if (&o->ClassType() == &ClassType()) AssignFaces(*o);
}

std::unique_ptr<TPaperInfo> TPaperInfo::Clone() const {
    std::unique_ptr<TPaperInfo> copy(static_cast<TPaperInfo*>(ClassType().create()));
    copy->Assign(*this);
    return copy;
}

void TPaperInfo::EnumStreamChildren(const std::function<void(TComponent&)>& proc) {
    for (int i = 0; i < ComponentCount(); ++i) proc(*Components(i));
}

QString TPaperInfo::GetFacePurpose(int i) const {
    return MapPurpose(GetStoredFacePurpose(i));
}

void TPaperInfo::CheckFaceIndex(int i) const {
    if (i < 0 || i >= GetFaceCount()) throw EListError(msg::listIndexOutOfRange(i));
}

TRect TPaperInfo::ToLandscape(const TRect& r) const {
    const int w = portraitWidth_;
    return {r.Top, w - r.Right, r.Bottom, w - r.Left};
}

TRect TPaperInfo::GetFaceBounds(int i) const {
    const TRect f = GetFaceRect(i);
    const int m = GetFaceMargin(i);
    const TRect b{f.Left - m, f.Top - m, f.Right + m, f.Bottom + m};
    return Landscape() ? ToLandscape(b) : b;
}

void TPaperInfo::GetFaceInfo(int i, TFaceInfo& info) const {
    info.FaceMargin = GetFaceMargin(i);
    info.FaceRect = GetFaceRect(i);
    info.FaceShape = GetFaceShape(i);
    info.FacePurpose = GetFacePurpose(i);
    info.CenterShape = GetCenterShape(i);
    info.RoundSize = GetRoundSize(i);
    const QSize cut = GetCutCenter(i);
    info.CutCenterWidth = cut.width();
    info.CutCenterHeight = cut.height();
    if (Landscape()) {
        info.FaceRect = ToLandscape(info.FaceRect);
        std::swap(info.CutCenterWidth, info.CutCenterHeight);
    }
}
