#include "drawing/LORectBase.h"

#include "document/stream/PropertyBuilder.h"
#include "drawing/ObjectSite.h"
#include "platform/IntMath.h"

#include <utility>

VELLUMO_DEFINE_PERSISTENT(TLORectBase)

TLORectBase::TLORectBase(TComponent* owner) : TLabelObject(owner) {}

void TLORectBase::DeclareProperties(PropertyBuilder<TLORectBase>& p) {
    // The logical rectangle replaces the control rectangle in the same places, stored.
    p.integer("Left", &TLORectBase::Left, &TLORectBase::SetLeft);
    p.integer("Top", &TLORectBase::Top, &TLORectBase::SetTop);
    p.integer("Width", &TLORectBase::Width, &TLORectBase::SetWidth);
    p.integer("Height", &TLORectBase::Height, &TLORectBase::SetHeight);
}

// Stored values are untrusted: edges and sizes wrap to 32 bits instead of overflowing.
using platform::wrapSum;

namespace {
int spanOf(int from, int to) {
    return platform::wrap32(std::int64_t(to) - from);
}
}  // namespace

int TLORectBase::width() const {
    return spanOf(rect_.Left, rect_.Right);
}
int TLORectBase::height() const {
    return spanOf(rect_.Top, rect_.Bottom);
}

void TLORectBase::SetLeft(int value) {
    if (value == rect_.Left) return;
    SetLogBounds({value, rect_.Top, wrapSum(value, width()), rect_.Bottom});
}

void TLORectBase::SetTop(int value) {
    if (value == rect_.Top) return;
    SetLogBounds({rect_.Left, value, rect_.Right, wrapSum(value, height())});
}

void TLORectBase::SetWidth(int value) {
    SetLogBounds({rect_.Left, rect_.Top, wrapSum(rect_.Left, value), rect_.Bottom});
}

void TLORectBase::SetHeight(int value) {
    SetLogBounds({rect_.Left, rect_.Top, rect_.Right, wrapSum(rect_.Top, value)});
}

void TLORectBase::SetLogBounds(const TRect& rect) {
    TRect r = rect;
    if (r.Left > r.Right) std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
    if (r == rect_) return;
    rect_ = r;
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
    Changed();
}

void TLORectBase::OffsetBy(int dx, int dy) {
    SetLeft(wrapSum(rect_.Left, dx));
    SetTop(wrapSum(rect_.Top, dy));
}

int TLORectBase::HitTest(QPoint p) {
    return p.x() >= rect_.Left && p.x() < rect_.Right && p.y() >= rect_.Top && p.y() < rect_.Bottom
               ? 1
               : 0;
}

void* TLORectBase::QueryFacet(const QUuid& id) {
    if (id == IDOBounds::FacetId()) return static_cast<IDOBounds*>(this);
    if (id == IDOEncloseBounds::FacetId()) return static_cast<IDOEncloseBounds*>(this);
    if (id == IDOLogicalRect::FacetId()) return static_cast<IDOLogicalRect*>(this);
    if (id == IDOPaint::FacetId()) return static_cast<IDOPaint*>(this);
    return TLabelObject::QueryFacet(id);
}

void TLORectBase::AssignProperties(const TDrawObject& source) {
    TLabelObject::AssignProperties(source);
    if (const auto* other = dynamic_cast<const TLORectBase*>(&source)) SetLogBounds(other->rect_);
}
