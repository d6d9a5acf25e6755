#include "drawing/LightControl.h"

#include "document/stream/PropertyBuilder.h"

#include <QRegion>
#include <algorithm>

VELLUMO_DEFINE_PERSISTENT(TLightControl)

TLightControl::TLightControl(TComponent* owner) : TComponent(owner) {}

TLightControl::~TLightControl() {
    LeaveParent();
}

void TLightControl::LeaveParent() {
    SetParent(nullptr);
}

void TLightControl::SetParent(TControlContainer* parent) {
    if (parent == parent_) return;
    if (TControlContainer* old = parent_) {
        old->ControlRemoving(*this);
        if (visible_) old->InvalidateRect(bounds_);
        auto& list = old->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        parent_ = nullptr;
    }
    if (parent) {
        parent->controls_.push_back(this);
        parent_ = parent;
        parent->ControlInserted(*this);
        Invalidate();
    }
    ParentChanged();
}

void TLightControl::SetBounds(const TRect& rect) {
    if (rect == bounds_) return;
    Invalidate();
    bounds_ = rect;
    Invalidate();
}

void TLightControl::SetVisible(bool value) {
    if (value == visible_) return;
    if (parent_) parent_->InvalidateRect(bounds_);
    visible_ = value;
}

void TLightControl::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    Invalidate();
}

void TLightControl::Invalidate() {
    if (parent_ && visible_) parent_->InvalidateRect(bounds_);
}

void TLightControl::BringToFront() {
    if (parent_) parent_->MoveControl(this, parent_->ControlCount() - 1);
}

void TLightControl::SendToBack() {
    if (parent_) parent_->MoveControl(this, 0);
}

std::optional<QString> TLightControl::PaintControl(TCanvas&) {
    return std::nullopt;
}

int TLightControl::ControlHitTest(QPoint) {
    return 1;
}

void TLightControl::MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPoint, bool) {}
void TLightControl::MouseMove(Qt::KeyboardModifiers, QPoint) {}
void TLightControl::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {}

void TLightControl::Click() {
    if (OnClick) OnClick(this);
}

void TLightControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TLightControl::SetParentComponent(TComponent* parent) {
    SetParent(dynamic_cast<TControlContainer*>(parent));
}

TControlContainer::~TControlContainer() {
    // Controls that outlive their container (owned elsewhere) must not point back at it.
    for (TLightControl* c : controls_) c->parent_ = nullptr;
}

int TControlContainer::IndexOfControl(const TLightControl* control) const {
    const auto it = std::find(controls_.begin(), controls_.end(), control);
    return it == controls_.end() ? -1 : int(it - controls_.begin());
}

void TControlContainer::MoveControl(TLightControl* control, int index) {
    const int from = IndexOfControl(control);
    if (from < 0) return;
    index = std::clamp(index, 0, ControlCount() - 1);
    if (index == from) return;
    controls_.erase(controls_.begin() + from);
    controls_.insert(controls_.begin() + index, control);
    control->Invalidate();
    ControlMoved(*control);
}

void TControlContainer::PaintControls(TCanvas& canvas) {
    // Painting may change the list (a control that hides or removes itself): walk a copy
    // and skip what has left.
    const std::vector<TLightControl*> order = controls_;
    std::vector<std::pair<TLightControl*, QString>> errors;
    const QRegion area = canvas.clipRegion().value_or(QRegion(canvas.image().rect()));
    for (size_t i = 0; i < order.size(); ++i) {
        TLightControl* c = order[i];
        if (IndexOfControl(c) < 0 || !c->Visible() || c->BoundsRect().IsEmpty()) continue;
        QRegion clip = area.intersected(canvas.toDevice(c->BoundsRect()).toQRect());
        for (size_t j = i + 1; j < order.size() && !clip.isEmpty(); ++j) {
            const TLightControl* above = order[j];
            if (IndexOfControl(above) >= 0 && above->Visible() && above->Opaque())
                clip -= canvas.toDevice(above->BoundsRect()).toQRect();
        }
        if (clip.isEmpty()) continue;
        TCanvasSaver saver(canvas, true);
        canvas.selectClip(clip);
        if (std::optional<QString> error = c->PaintControl(canvas)) errors.emplace_back(c, *error);
    }
    if (!errors.empty()) ReportPaintErrors(errors);
}

TLightControl* TControlContainer::ControlAt(QPoint pos, bool allowDisabled) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TLightControl* c = *it;
        if (!c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
        const TRect& r = c->BoundsRect();
        if (pos.x() < r.Left || pos.x() >= r.Right || pos.y() < r.Top || pos.y() >= r.Bottom)
            continue;
        if (c->ControlHitTest(pos) != 0) return c;
    }
    return nullptr;
}
