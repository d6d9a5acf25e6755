#pragma once
// TColorSpec: how a face is filled: a solid colour (with an optional hatch), a bitmap
// (stretched or tiled) or a gradation. Changes of its own values, of its picture and of
// its gradation colours are reported once through Notify() and OnChange.

#include "document/Notify.h"
#include "document/stream/Persistent.h"
#include "imaging/color/GradFill.h"
#include "imaging/color/GradationColors.h"
#include "platform/Geometry.h"
#include "platform/canvas/Color.h"

#include <QImage>
#include <functional>
#include <memory>

class TImageData;
struct EnumType;
namespace platform {
class Canvas;
}

enum TColorSpecKind : int32_t { cskSolid, cskBitmap, cskGradation };
enum TBrushStyle : int32_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
// The older stored form of a gradation's kind and direction.
enum TGradDir : int32_t {
    rgdLeftToRight,
    rgdRightToLeft,
    rgdTopToBottom,
    rgdBottomToTop,
    rgdLeftTopToRightBottom,
    rgdRightTopToLeftBottom,
    rgdRightBottomToLeftTop,
    rgdLeftBottomToRightTop,
    rgdCenterToRim,
    rgdRimToCenter
};

const EnumType& colorSpecKindType();
const EnumType& brushStyleType();
const EnumType& gradKindType();
const EnumType& gradDirType();

class TColorSpec : public TPersistent {
    VELLUMO_PERSISTENT(TColorSpec, TPersistent)
public:
    TColorSpec();
    ~TColorSpec() override;

    static void DeclareProperties(PropertyBuilder<TColorSpec>& p);
    // Copies kind, colour, hatch, picture and tiling; the gradation settings only when the
    // result is a gradation. One change report.
    void Assign(const TPersistent& source) override;

    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle s);
    bool Tile() const { return tile_; }
    void SetTile(bool on);
    bool TileShift() const { return tileShift_; }
    void SetTileShift(bool on);
    // The effective kind: a bitmap kind without a picture counts as solid.
    TColorSpecKind Kind() const;
    TColorSpecKind RawKind() const { return kind_; }
    void SetKind(TColorSpecKind k);
    int32_t GradAngle() const { return gradAngle_; }
    void SetGradAngle(int32_t a);
    TGradKind GradKind() const { return gradKind_; }
    void SetGradKind(TGradKind k);
    TGradDir GradDir() const;
    void SetGradDir(TGradDir d);

    TImageData* ImageData() const { return imageData_.get(); }
    void SetImageData(const TImageData* data);
    TGradationColors* GradColors() const { return gradColors_.get(); }
    void SetGradColors(const TGradationColors* colours);
    // The source picture as a bitmap; setting an empty one into an empty picture does
    // nothing.
    QImage Bitmap() const;
    void SetBitmap(const QImage& image);

    void SetOnChange(std::function<void()> f) { notify_.SetOnChange(std::move(f)); }
    TChangeNotify& Notify() { return notify_; }

    // Paints into a logical rectangle; the inverted form XORs onto the canvas. Pen, brush,
    // font and copy mode are put back afterwards.
    void Fill(platform::Canvas& canvas, const TRect& rect);
    void FillInverted(platform::Canvas& canvas, const TRect& rect);
    // A plain solid colour the canvas shows exactly.
    bool IsExactSolid(const platform::Canvas& canvas) const;
    // A swatch: a checkerboard of 8-unit squares under the fill; a tiled bitmap shows
    // tiles whose longer side is two fifths of the swatch's.
    void Preview(platform::Canvas& canvas, const TRect& rect);

private:
    void paint(platform::Canvas& canvas, const TRect& rect, bool invert, bool preview);
    // Stores a new value and reports the change; an equal value does nothing.
    template <class T>
    void change(T& field, T value);

    TColor color_ = clBlack;
    TBrushStyle style_ = bsSolid;
    bool tile_ = false;
    bool tileShift_ = false;
    TColorSpecKind kind_ = cskSolid;
    int32_t gradAngle_ = 270;
    TGradKind gradKind_ = rgkSimple;
    std::unique_ptr<TImageData> imageData_;
    std::unique_ptr<TGradationColors> gradColors_;
    TChangeNotify notify_;
    TListener listener_;
};
