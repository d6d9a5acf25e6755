#include "drawing/LabelObject.h"

#include "document/stream/PropertyBuilder.h"
#include "drawing/DrawObjectRef.h"
#include "drawing/ObjectSite.h"

VELLUMO_DEFINE_PERSISTENT(TLabelObject)

TLabelObject::TLabelObject(TComponent* owner) : TDrawObject(owner) {}

void TLabelObject::DeclareProperties(PropertyBuilder<TLabelObject>& p) {
    p.boolean("DontPrint", &TLabelObject::DontPrint, &TLabelObject::SetDontPrint);
    p.integer("BlendRatio", &TLabelObject::BlendRatio, &TLabelObject::SetBlendRatio)
        .defaultValue(100);
    p.boolean("BlendShade", &TLabelObject::BlendShade, &TLabelObject::SetBlendShade)
        .defaultValue(false);
}

void TLabelObject::SetDontPrint(bool value) {
    if (value == dontPrint_) return;
    dontPrint_ = value;
    Changed();
    Notifier().Broadcast(this, asDontPrint);
}

void TLabelObject::SetBlendRatio(int value) {
    if (value == blendRatio_) return;
    blendRatio_ = value;
    Invalidate();
    Changed();
}

void TLabelObject::SetBlendShade(bool value) {
    if (value == blendShade_) return;
    blendShade_ = value;
    Invalidate();
    Changed();
}

void TLabelObject::SetMovable(bool value) {
    if (value != Movable()) Changed();
    TDrawObject::SetMovable(value);
}

void TLabelObject::PaintTo(TCanvas& canvas) {
    if (dontPrint_ && IsPrinterCanvas(canvas)) return;
    TDrawObject::PaintTo(canvas);
}

void TLabelObject::CreatePivots() {
    if (TObjectSite* site = Site()) site->DesignerCreatePivots(*this);
}

void TLabelObject::BeginDrag(int hitCode) {
    if (TObjectSite* site = Site()) site->DesignerBeginDrag(*this, hitCode);
}

int TLabelObject::ControlHitTest(QPoint pos) {
    if (const TObjectSite* site = Site(); site && site->GhostsActive()) return 0;
    return TDrawObject::ControlHitTest(pos);
}

void TLabelObject::MouseMove(Qt::KeyboardModifiers shift, QPoint pos) {
    if (TObjectSite* site = Site())
        site->ObjectMouseMove(shift, pos + QPoint(ControlLeft(), ControlTop()));
}

void TLabelObject::DblClick() {
    TDrawObject::DblClick();
    TObjectSite* site = Site();
    if (!site) return;
    // The edit may replace or free the object: look at it again only through a weak reference.
    const TDrawObjectRef<> self(this);
    if (site->DesignerEditObject(*this) && self && self->Site()) self->Site()->ClearGhost();
}

void TLabelObject::AssignProperties(const TDrawObject& source) {
    TDrawObject::AssignProperties(source);
    const auto* other = dynamic_cast<const TLabelObject*>(&source);
    if (!other) return;
    SetPopupMenu(other->PopupMenu());
    SetSelectable(other->Selectable());
    SetEnabled(other->Enabled());
    SetMovable(other->Movable());
    SetTag(other->Tag());
    SetHint(other->Hint());
    SetCursor(other->Cursor());
    SetDontPrint(other->dontPrint_);
    SetBlendShade(other->blendShade_);
    SetBlendRatio(other->blendRatio_);
}
