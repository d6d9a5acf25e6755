#pragma once
// TGrid: the grid the editor shows and snaps to, in logical units.

#include "document/stream/Persistent.h"
#include "drawing/CanvasUtils.h"

#include <climits>

// The offset that means "do not snap on this axis".
constexpr int kNoSnap = INT_MAX;

class TGrid : public TPersistent {
    VELLUMO_PERSISTENT(TGrid, TPersistent)
public:
    TGrid() = default;
    static void DeclareProperties(PropertyBuilder<TGrid>& p);

    bool Visible = false;
    bool LineShape = false;  // lines instead of dots
    int Size = 0;            // logical units
    bool Enabled = false;    // snapping on

    void Assign(const TPersistent& source) override;

    // Per axis the offset from p to the nearest grid line; kNoSnap on both axes when
    // snapping is off or the grid has no size.
    QPoint SnapOffset(QPoint p) const;
    // Lines (LineShape) or dots in the pen's colour at every grid step of `rect`, starting at
    // its left and top edges; nothing unless Visible or when the grid has no size.
    void Draw(TCanvas& canvas, const TRect& rect) const;
};
