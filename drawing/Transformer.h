#pragma once
// Point transformers for outlines: TTransformer maps points one at a time; TRotator turns
// them about a centre.

#include "document/stream/Persistent.h"
#include "imaging/Stroke.h"

class TTransformer : public TPersistent {
    VELLUMO_PERSISTENT(TTransformer, TPersistent)
public:
    virtual void TransformPoint(QPoint& p) const = 0;
    // Every point of the stroke, in order; the point types stay.
    void TransformStroke(TStroke& stroke) const;
};

// Turns by whole degrees, clockwise on a page whose y axis points down, rounding the
// results half away from zero.
class TRotator : public TTransformer {
    VELLUMO_PERSISTENT(TRotator, TTransformer)
public:
    TRotator() = default;

    int Angle() const { return angle_; }
    void SetAngle(int degrees);
    QPoint Center() const { return center_; }
    void SetCenter(QPoint center) { center_ = center; }
    long double Sin() const { return sin_; }
    long double Cos() const { return cos_; }

    void TransformPoint(QPoint& p) const override;
    void Assign(const TPersistent& source) override;

private:
    int angle_ = 0;
    QPoint center_;
    long double sin_ = 0;
    long double cos_ = 1;
};
