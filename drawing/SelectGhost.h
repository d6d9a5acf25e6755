#pragma once
// The rubber band: selects the objects whose control rectangles lie inside the dragged
// rectangle.

#include "drawing/Ghost.h"

class TSelectGhost : public TGhost {
public:
    void Start(QPoint logical) override;
    void Draw(TCanvas& canvas) override;
    void Move(Qt::KeyboardModifiers shift, QPoint delta) override;
    void Apply(Qt::KeyboardModifiers shift) override;

    // The band in logical units (start corner, far corner).
    QPoint StartPoint() const { return start_; }
    QPoint FarPoint() const { return far_; }

private:
    QPoint start_, far_;
};
