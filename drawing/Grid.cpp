#include "drawing/Grid.h"

#include "document/stream/PropertyBuilder.h"
#include "platform/IntMath.h"

VELLUMO_DEFINE_PERSISTENT(TGrid)

void TGrid::DeclareProperties(PropertyBuilder<TGrid>& p) {
    // Stored line shape first, as documents have it.
    p.boolean("LineShape", &TGrid::LineShape, &TGrid::LineShape);
    p.boolean("Visible", &TGrid::Visible, &TGrid::Visible);
    p.integer("Size", &TGrid::Size, &TGrid::Size);
    p.boolean("Enabled", &TGrid::Enabled, &TGrid::Enabled);
}

void TGrid::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TGrid*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    Visible = other->Visible;
    LineShape = other->LineShape;
    Size = other->Size;
    Enabled = other->Enabled;
}

QPoint TGrid::SnapOffset(QPoint p) const {
    // A size of 0 or less has no grid lines to snap to (and would divide by zero).
    if (!Enabled || Size <= 0) return {kNoSnap, kNoSnap};
    const auto axis = [this](int v) {
        const std::int64_t s = Size;
        return int(s * platform::floorDiv(v + s / 2, s) - v);
    };
    return {axis(p.x()), axis(p.y())};
}

void TGrid::Draw(TCanvas& canvas, const TRect& rect) const {
    // A size of 0 or less would never advance: draw nothing.
    if (!Visible || Size <= 0) return;
    if (LineShape) {
        for (std::int64_t x = rect.Left; x < rect.Right; x += Size) {
            canvas.moveTo({int(x), rect.Top});
            canvas.lineTo({int(x), rect.Bottom});
        }
        for (std::int64_t y = rect.Top; y < rect.Bottom; y += Size) {
            canvas.moveTo({rect.Left, int(y)});
            canvas.lineTo({rect.Right, int(y)});
        }
        return;
    }
    for (std::int64_t y = rect.Top; y < rect.Bottom; y += Size)
        for (std::int64_t x = rect.Left; x < rect.Right; x += Size)
            canvas.setPixel({int(x), int(y)}, canvas.tools().pen.color);
}
