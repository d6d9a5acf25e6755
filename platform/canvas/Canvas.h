#pragma once
// A canvas with the semantics of a GDI device context, drawing on a QImage in
// Format_RGB32 (the 32-bit device-independent bitmap layout, bytes B G R x):
//
// - coordinates are logical and go through the mapping (map mode, window and viewport
//   extents and origins) with the platform's rounding;
// - filled shapes cover the pixels whose centres lie inside; rectangles, ellipses and
//   polygons leave their right and bottom edges unpainted, and one-pixel lines leave their
//   last point unpainted; rectangle/ellipse with a clear pen fill one pixel less each way;
// - pens and brushes combine with the destination through the binary raster operation
//   (`mix`), block transfers through ternary raster operations;
// - the clip region is kept in device pixels; "no clip" is distinct from an empty region;
// - a current path records figures between beginPath and endPath, to be stroked, filled,
//   widened, turned into a region or read back;
// - save/restore keep and bring back the whole state.
// The canvas does not own its image; the image must outlive it.

#include "platform/Geometry.h"
#include "platform/canvas/Device.h"
#include "platform/canvas/Mapping.h"
#include "platform/canvas/Scanline.h"
#include "platform/canvas/Tools.h"

#include <QImage>
#include <QRegion>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

enum class ClipCombine { And, Or, Xor, Diff, Copy };

// The pixel (x, y) of a picture in any format a canvas reads, as an RGB value; one-bit
// pictures give `text` for 0 bits and `back` for 1 bits.
QRgb sourcePixel(const QImage& src, int x, int y, TColor text, TColor back);

// The tools and modes painting uses.
struct CanvasTools {
    Pen pen;
    Brush brush;
    Font font;
    Rop2 mix = Rop2::CopyPen;
    Rop3 copyMode = SRCCOPY;  // the operation picture drawing uses
    TColor textColor = clBlack;
    TColor backgroundColor = clWhite;
    BackgroundMode backgroundMode = BackgroundMode::Opaque;
    StretchMode stretchMode = StretchMode::BlackOnWhite;
    FillRule polyFillMode = FillRule::Alternate;
    QPoint brushOrigin{0, 0};  // device pixels
};

class Canvas {
public:
    // Raises Exception when the image is not Format_RGB32 or ARGB32.
    explicit Canvas(QImage& image, DeviceDescriptor device = {});

    // Puts another picture under the canvas (a memory canvas selecting a bitmap); the
    // state is kept, the clip is re-applied to the new size.
    void selectImage(QImage& image);

    // Serialises painting from several threads (LockCanvas).
    std::recursive_mutex& lock() { return lock_; }

    QImage& image() { return *image_; }
    const QImage& image() const { return *image_; }
    const DeviceDescriptor& device() const { return device_; }

    // --- mapping ---
    const Mapping& mapping() const { return state_.map; }
    void setMapping(const Mapping& m) { state_.map = m; }
    void setMapMode(MapMode mode);
    bool setWindowExtent(QSize e) { return state_.map.setWindowExtent(e); }
    bool setViewportExtent(QSize e) { return state_.map.setViewportExtent(e); }
    void setWindowOrigin(QPoint p) { state_.map.windowOrigin = p; }
    void setViewportOrigin(QPoint p) { state_.map.viewportOrigin = p; }
    QPoint toDevice(QPoint p) const { return state_.map.toDevice(p); }
    QPoint toLogical(QPoint p) const { return state_.map.toLogical(p); }
    TRect toDevice(const TRect& r) const;
    TRect toLogical(const TRect& r) const;

    // --- tools and modes: part of the state save() keeps ---
    CanvasTools& tools() { return state_.tools; }
    const CanvasTools& tools() const { return state_.tools; }

    // --- state stack: save returns the new depth; restore(n) goes back to depth n - 1
    // (n < 0: that many levels back). False when there is no such level.
    int save();
    bool restore(int level = -1);

    // --- clipping (device space) ---
    bool hasClip() const { return state_.clip.has_value(); }
    const std::optional<QRegion>& clipRegion() const { return state_.clip; }
    void selectClip(std::optional<QRegion> deviceRegion);
    void combineClip(const QRegion& deviceRegion, ClipCombine mode);
    void intersectClipRect(const TRect& logical);
    void excludeClipRect(const TRect& logical);
    TRect clipBox() const;  // logical; the whole image when there is no clip

    // --- lines and shapes (logical coordinates) ---
    QPoint currentPosition() const { return state_.current; }
    void moveTo(QPoint p);
    void lineTo(QPoint p);
    void polyline(const std::vector<QPoint>& pts);
    void polylineTo(const std::vector<QPoint>& pts);
    void polyBezierTo(const std::vector<QPoint>& pts);  // groups of three points
    void polygon(const std::vector<QPoint>& pts);
    void polyPolygon(const std::vector<std::vector<QPoint>>& polys);
    void rectangle(const TRect& r);
    void ellipse(const TRect& r);
    void roundRect(const TRect& r, int cornerWidth, int cornerHeight);
    void fillRect(const TRect& r, const Brush& b);   // [Left, Right) x [Top, Bottom), copy mode
    void frameRect(const TRect& r, const Brush& b);  // one device pixel wide
    void invertRect(const TRect& r);
    void fillRegion(const QRegion& deviceRegion, const Brush& b);
    void patBlt(const TRect& r, Rop3 rop);  // PATCOPY, PATINVERT, DSTINVERT, ...

    QRgb pixel(QPoint logical) const;  // 0 (CLR_INVALID-like) outside the image or clip
    void setPixel(QPoint logical, TColor c);

    // --- block transfers: the destination rectangle is logical, the source in pixels of
    // `src` (Format_RGB32/ARGB32, BGR888, Grayscale8/Indexed8 or Mono). Mono sources give
    // the text colour for 0 bits and the background colour for 1 bits.
    // Source pixels outside `src` count as black. stretchBlt mirrors for a destination
    // whose corners map the wrong way round or a source rectangle of negative size;
    // enlarging and ColorOnColor/Halftone take the nearest source pixel (the one under
    // the destination pixel's centre), while shrinking in BlackOnWhite (the default) ANDs
    // and in WhiteOnBlack ORs the source pixels each destination pixel covers.
    void bitBlt(const TRect& dest, const QImage& src, QPoint srcOrigin, Rop3 rop = SRCCOPY);
    void stretchBlt(const TRect& dest, const QImage& src, const QRect& srcRect, Rop3 rop = SRCCOPY);

    // --- the current path ---
    void beginPath();
    void endPath();
    void abortPath();
    void closeFigure();
    bool inPath() const { return recording_; }
    bool hasPath() const { return !path_.points.empty(); }
    void strokePath();
    void fillPath();
    void strokeAndFillPath();
    void widenPath();
    QRegion pathToRegion();  // device pixels; the path is consumed
    void selectClipPath(ClipCombine mode);
    // The path in logical units, with path point types (6 move, 2 line, 4 Bézier, +1 close).
    void getPath(std::vector<QPoint>& points, std::vector<std::uint8_t>& types) const;

private:
    struct DevicePath {
        std::vector<QPoint> points;  // device pixels
        std::vector<std::uint8_t> types;
    };
    // Everything save() keeps and restore() brings back.
    struct State {
        Mapping map;
        std::optional<QRegion> clip;
        QPoint current{0, 0};
        CanvasTools tools;
    };

    // Device-space painting through the clip and the mix mode.
    void fillSpans(const std::vector<Contour>& subPixelContours, FillRule rule, const Brush& b,
                   Rop2 op);
    void fillSpan(int y, int x0, int x1, const Brush& b, Rop2 op);
    void plot(int x, int y, QRgb colour, Rop2 op);
    QRgb brushPixel(const Brush& b, int x, int y) const;  // the brush's colour at a device pixel
    void strokeDevice(const std::vector<std::vector<QPoint>>& polylines,
                      const std::vector<bool>& closed);
    void fillDeviceShape(const std::vector<Contour>& contours, FillRule rule);
    int penDeviceWidth() const;
    bool brushPaints() const { return state_.tools.brush.style != BrushStyle::Clear; }
    bool penPaints() const { return state_.tools.pen.style != PenStyle::Clear; }
    // Ellipses and rounded rectangles painted row by row; false when the pen needs the
    // polygon route.
    bool roundedShape(const TRect& device, int cornerWidth, int cornerHeight);
    void shape(const std::vector<QPoint>& logicalOutline, bool fillIt);
    void rebuildClipRects();
    void pathAdd(QPoint device, std::uint8_t type);
    void flattenPath(std::vector<std::vector<QPoint>>& figures, std::vector<bool>& closed) const;

    QImage* image_;
    DeviceDescriptor device_;
    State state_;
    std::vector<State> stack_;
    std::vector<QRect> clipRects_;  // the clip's rectangles, or the image when unclipped
    bool recording_ = false;
    DevicePath path_;
    std::uint32_t styleCounter_ = 0;  // position in the pen's dash pattern
    std::recursive_mutex lock_;
};

// Saves the canvas's whole state on construction and puts it back on destruction, also
// when painting in between raises.
class CanvasStateKeeper {
public:
    explicit CanvasStateKeeper(Canvas& canvas) : canvas_(canvas), level_(canvas.save()) {}
    ~CanvasStateKeeper() { canvas_.restore(level_); }
    CanvasStateKeeper(const CanvasStateKeeper&) = delete;
    CanvasStateKeeper& operator=(const CanvasStateKeeper&) = delete;

private:
    Canvas& canvas_;
    int level_;
};

}  // namespace platform
