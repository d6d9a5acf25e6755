#include "objects/FaceObject.h"

#include "document/stream/PropertyBuilder.h"
#include "platform/Format.h"
#include "platform/canvas/TextOut.h"

VELLUMO_DEFINE_PERSISTENT(TLOFace)

TLOFace::TLOFace(TComponent* owner) : TLORectBase(owner) {}

bool TLOFace::SetFaceInfo(const TFaceInfo& face) {
    if (!editable_ && IsOnSite()) return false;
    face_ = face;
    const TRect outer = face.OuterRect();
    TLORectBase::SetLogBounds(outer);
    Invalidate();
    return true;
}

void TLOFace::SetLogBounds(const TRect& rect) {
    if (!editable_ && IsOnSite()) return;
    TLORectBase::SetLogBounds(rect);
    face_.SetFromOuterRect(LogBounds());
}

void TLOFace::SetPicked(bool value) {
    if (value == picked_) return;
    picked_ = value;
    Invalidate();
    if (picked_ && singlePick_) {
        if (const auto* site = dynamic_cast<const TDrawSite*>(Site())) {
            for (int i = 0, n = FaceCount(*site); i < n; ++i)
                if (TLOFace* other = FaceAt(*site, i); other != this) other->SetPicked(false);
        }
    }
}

void TLOFace::SetShowLabel(bool value) {
    if (value == showLabel_) return;
    showLabel_ = value;
    Invalidate();
}

void TLOFace::SetPickColor(TColor value) {
    if (value == pickColor_) return;
    pickColor_ = value;
    if (picked_) Invalidate();
}

int TLOFace::FaceIndex() const {
    const auto* site = dynamic_cast<const TDrawSite*>(Site());
    if (!site) return -1;
    for (int i = 0, n = FaceCount(*site); i < n; ++i)
        if (FaceAt(*site, i) == this) return i;
    return -1;
}

void TLOFace::Paint() {
    TCanvas& canvas = Canvas();
    canvas.tools().brush = platform::Brush{};
    canvas.tools().brush.color = picked_ ? pickColor_ : clWhite;
    canvas.tools().pen = platform::Pen{};
    face_.DrawOutline(canvas, false, false);
    canvas.tools().pen.style = platform::PenStyle::Dot;
    canvas.tools().pen.width = 0;
    canvas.tools().brush.style = platform::BrushStyle::Clear;
    if (face_.FaceMargin != 0) face_.DrawTrimLine(canvas, false);
    if (!showLabel_) return;
    const auto* site = dynamic_cast<const TDrawSite*>(Site());
    const int scale = site ? std::max(site->Scaler().Scale(), 1) : 100;
    platform::Font font = canvas.tools().font;
    font.pixelsPerInch = site ? site->Scaler().UnitDPI() : 254;
    font.setSize(std::max(1200 / scale, 1));
    font.color = 0xFF0000;
    canvas.tools().font = font;
    canvas.tools().backgroundMode = platform::BackgroundMode::Transparent;
    const TRect h = LogBounds();
    platform::textOut(canvas, QPointF(h.Left, h.Top),
                      platform::format(QStringLiteral("%d [%s]"), FaceIndex(), face_.FacePurpose));
}

int TLOFace::HitTest(QPoint logical) {
    return face_.Region(nullptr, true).contains(logical) ? 1 : 0;
}

void TLOFace::SetEnclosingSize(int width, int height) {
    const TRect r = LogBounds();
    SetLogBounds({r.Left, r.Top, r.Left + width, r.Top + height});
}

void TLOFace::DrawOutline(TCanvas& canvas) {
    face_.DrawOutline(canvas, false, false);
}

void TLOFace::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                        bool doubleClick) {
    if (button == Qt::LeftButton) {
        const bool was = picked_;
        SetPicked(singlePick_ ? true : !picked_);
        if (was != picked_ && OnPick) OnPick(this);
    }
    TLORectBase::MouseDown(button, shift, pos, doubleClick);
}

void TLOFace::AssignProperties(const TDrawObject& source) {
    TLORectBase::AssignProperties(source);
    if (const auto* other = dynamic_cast<const TLOFace*>(&source)) {
        face_ = other->face_;
        singlePick_ = other->singlePick_;
        editable_ = other->editable_;
    }
}

int FaceCount(const TDrawSite& site) {
    int n = 0;
    for (int i = 0; i < site.ControlCount(); ++i)
        if (dynamic_cast<TLOFace*>(site.Controls(i))) ++n;
    return n;
}

TLOFace* FaceAt(const TDrawSite& site, int index) {
    for (int i = 0; i < site.ControlCount(); ++i)
        if (auto* face = dynamic_cast<TLOFace*>(site.Controls(i)); face && index-- == 0)
            return face;
    return nullptr;
}

TLOFace* FirstPickedFace(const TDrawSite& site) {
    for (int i = 0, n = FaceCount(site); i < n; ++i)
        if (TLOFace* face = FaceAt(site, i); face->Picked()) return face;
    return nullptr;
}

void PickFace(const TDrawSite& site, int index) {
    if (TLOFace* face = FaceAt(site, index)) face->SetPicked(true);
}
