#include "drawing/Transformer.h"

#include "document/stream/PropertyBuilder.h"

#include <cmath>
#include <numbers>

VELLUMO_DEFINE_PERSISTENT(TTransformer)
VELLUMO_DEFINE_PERSISTENT(TRotator)

namespace {

int roundAway(long double v) {
    return int(std::lround(v));
}  // halves away from zero

}  // namespace

void TTransformer::TransformStroke(TStroke& stroke) const {
    for (int i = 0; i < stroke.Count(); ++i) {
        QPoint p = stroke.Point(i);
        TransformPoint(p);
        stroke.SetPoint(i, p);
    }
}

void TRotator::SetAngle(int degrees) {
    angle_ = degrees;
    // Quarter turns are exact, so that turned rectangles stay on whole units.
    switch (((degrees % 360) + 360) % 360) {
        case 0:
            sin_ = 0, cos_ = 1;
            return;
        case 90:
            sin_ = 1, cos_ = 0;
            return;
        case 180:
            sin_ = 0, cos_ = -1;
            return;
        case 270:
            sin_ = -1, cos_ = 0;
            return;
        default:
            break;
    }
    const long double rad = (long double)degrees * std::numbers::pi_v<long double> / 180;
    sin_ = std::sin(rad);
    cos_ = std::cos(rad);
}

void TRotator::TransformPoint(QPoint& p) const {
    const long double dx = p.x() - center_.x(), dy = p.y() - center_.y();
    p = QPoint(roundAway(dx * cos_ - dy * sin_) + center_.x(),
               roundAway(dx * sin_ + dy * cos_) + center_.y());
}

void TRotator::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TRotator*>(&source);
    if (!other) return TTransformer::Assign(source);
    angle_ = other->angle_;
    center_ = other->center_;
    sin_ = other->sin_;
    cos_ = other->cos_;
}
