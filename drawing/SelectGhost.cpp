#include "drawing/SelectGhost.h"

#include "drawing/DrawSite.h"

#include <algorithm>

void TSelectGhost::Start(QPoint logical) {
    start_ = far_ = logical;
}

void TSelectGhost::Draw(TCanvas& canvas) {
    canvas.rectangle({std::min(start_.x(), far_.x()), std::min(start_.y(), far_.y()),
                      std::max(start_.x(), far_.x()), std::max(start_.y(), far_.y())});
}

void TSelectGhost::Move(Qt::KeyboardModifiers, QPoint delta) {
    const QPoint p = start_ + delta;
    far_ = {std::clamp(p.x(), LimitRect.Left, std::max(LimitRect.Left, LimitRect.Right)),
            std::clamp(p.y(), LimitRect.Top, std::max(LimitRect.Top, LimitRect.Bottom))};
}

void TSelectGhost::Apply(Qt::KeyboardModifiers) {
    if (!Site) return;
    const QPoint a = Site->LogToDev(start_), b = Site->LogToDev(far_);
    Site->SelectInRect({std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()) + 1,
                        std::max(a.y(), b.y()) + 1});
}
