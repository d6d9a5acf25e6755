#include "paper/PaperSite.h"

#include "document/stream/PropertyBuilder.h"

VELLUMO_DEFINE_PERSISTENT(TPaperSite)

TPaperSite::TPaperSite(TComponent* owner) : TDrawSite(owner) {
    Scaler().SetUnitDPI(254);
}

TPaperSite::~TPaperSite() = default;

void CreatePaperFaces(TDrawSite& site, const TPaperInfo& paper, bool singlePick) {
    for (int i = 0; i < paper.GetFaceCount(); ++i) {
        TFaceInfo info;
        paper.GetFaceInfo(i, info);
        auto face = std::make_unique<TLOFace>();
        face->SetSinglePick(singlePick);
        face->SetFaceInfo(info);
        site.InsertObject(std::move(face));
    }
}

void TPaperSite::SetPaper(const TPaperInfo* paper, QSize parentClient) {
    paper_ = paper ? paper->Clone() : nullptr;
    if (paper_) {
        SetLogSize(paper_->Width(), paper_->Height());
        if (parentClient.isValid() && !parentClient.isEmpty()) {
            const TRect client{0, 0, parentClient.width(), parentClient.height()};
            int scale = ComputeFitScale(Canvas(), client, true, true);
            Scaler().SetScale(std::max(scale, 1));
            if ((Width() > parentClient.width() || Height() > parentClient.height()) && scale > 1)
                Scaler().SetScale(scale - 1);
            SetPosition(
                {(parentClient.width() - Width()) / 2, (parentClient.height() - Height()) / 2});
        }
    }
    rebuildFaces();
}

void TPaperSite::rebuildFaces() {
    DestroyOwnedComponents();
    if (paper_) CreatePaperFaces(*this, *paper_, !multiSelect_);
    for (int i = 0, n = FaceCount(*this); i < n; ++i) {
        TLOFace* face = FaceAt(*this, i);
        face->SetMovable(false);
        face->OnPick = [this](TLOFace*) { faceClicked_ = true; };
        face->SetPickColor(faceColor_);
        face->SetShowLabel(drawInfo_);
    }
    SetModified(false);
    InvalidateRect(TRect{0, 0, Width(), Height()});
}

void TPaperSite::SetMultiSelect(bool value) {
    if (value == multiSelect_) return;
    multiSelect_ = value;
    rebuildFaces();
}

void TPaperSite::SetDrawInfo(bool value) {
    drawInfo_ = value;
    for (int i = 0, n = FaceCount(*this); i < n; ++i) FaceAt(*this, i)->SetShowLabel(value);
}

void TPaperSite::SetFaceColor(TColor value) {
    faceColor_ = value;
    for (int i = 0, n = FaceCount(*this); i < n; ++i) FaceAt(*this, i)->SetPickColor(value);
}

void TPaperSite::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                           bool doubleClick) {
    faceClicked_ = false;
    TDrawSite::MouseDown(button, shift, pos, doubleClick);
    CancelMode();
}

void TPaperSite::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
    TDrawSite::MouseUp(button, shift, pos);
    if (faceClicked_ && OnFaceClick) OnFaceClick(this);
    faceClicked_ = false;
}
