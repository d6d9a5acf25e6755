#pragma once
// The gradient renderer: a gradation is computed on a fixed grid of 128 x 128 cells from
// a ramp of 1024 colours, whatever the size it is painted at, and then scaled into the
// target rectangle. TGradFill holds the colour list and builds the ramp; its four
// variants build the grid of ramp positions (the index map) for their shape.

#include "platform/Geometry.h"
#include "platform/canvas/Color.h"

#include <QImage>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform {
class Canvas;
}

enum TGradKind : int32_t {
    rgkSimple,
    rgkBoxToRim,
    rgkBoxToCenter,
    rgkCircleToRim,
    rgkCircleToCenter,
    rgkConeClockwise,
    rgkConeCounterClockwise
};

constexpr int kGradCells = 128;
constexpr int kGradSteps = 1024;

using TGradRamp = std::array<QRgb, kGradSteps>;
using TGradIndexMap = std::array<uint16_t, kGradCells * kGradCells>;  // row-major, 0 ... 1023

class TGradFill {
public:
    TGradFill(std::vector<TColor> colours, bool reversed)
        : colours_(std::move(colours)), reversed_(reversed) {}
    virtual ~TGradFill() = default;

    // The colour of every ramp step; an empty list gives black throughout.
    TGradRamp BuildRamp() const;
    virtual TGradIndexMap BuildIndexMap() const = 0;
    // The 128 x 128 picture (Format_RGB32) of the gradation.
    QImage Render() const;

    // The renderer for a kind; cones get the first colour again at the end of the list so
    // the seam is continuous.
    static std::unique_ptr<TGradFill> Create(TGradKind kind, std::vector<TColor> colours,
                                             int32_t angle);

protected:
    std::vector<TColor> colours_;
    bool reversed_;
};

// Direction by angle: 270 left to right, 90 right to left, 0 top to bottom, 180 bottom to
// top. Positions follow a 16.16 fixed-point walk over the grid.
class TLinearGradFill : public TGradFill {
public:
    TLinearGradFill(std::vector<TColor> colours, int32_t angle)
        : TGradFill(std::move(colours), false), angle_(angle) {}
    TGradIndexMap BuildIndexMap() const override;

private:
    int32_t angle_;
};

// Nested rectangles turned by the angle; position 0 at the centre.
class TBoxGradFill : public TGradFill {
public:
    TBoxGradFill(std::vector<TColor> colours, bool reversed, int32_t angle)
        : TGradFill(std::move(colours), reversed), angle_(angle) {}
    TGradIndexMap BuildIndexMap() const override;

private:
    int32_t angle_;
};

// Distance from the centre; 1023 at the corners.
class TCircleGradFill : public TGradFill {
public:
    TCircleGradFill(std::vector<TColor> colours, bool reversed)
        : TGradFill(std::move(colours), reversed) {}
    TGradIndexMap BuildIndexMap() const override;
};

// Angle around the centre, measured from the downward direction and turned by the angle.
class TConeGradFill : public TGradFill {
public:
    TConeGradFill(std::vector<TColor> colours, bool reversed, int32_t angle)
        : TGradFill(std::move(colours), reversed), angle_(angle) {}
    TGradIndexMap BuildIndexMap() const override;

private:
    int32_t angle_;
};

// Paints a gradation into a logical rectangle of the canvas: with invert, XOR onto what is
// there. Printers get the grid resampled (linear) to the rectangle's logical size and
// drawn at its top-left; other canvases get it stretched. Nothing is painted for an empty
// colour list. Every call works on pictures of its own, so threads may paint at once.
void PaintGradation(platform::Canvas& canvas, const TRect& rect, const std::vector<TColor>& colours,
                    bool invert, int32_t angle, TGradKind kind);
