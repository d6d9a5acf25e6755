// TLOText painting: shadow, outline and letters through the letters' outline, the
// opacity mask and the image of blended painting.
#include "objects/LOText.h"

#include "drawing/CoordMap.h"
#include "drawing/OffscreenBitmap.h"
#include "imaging/color/ColorFill.h"
#include "objects/CoonsDistortion.h"
#include "objects/SimpleText.h"
#include "platform/IntMath.h"

using platform::CanvasStateKeeper;

namespace {

constexpr int kBlendMargin = 5;  // as the base class's image uses
constexpr int kMinimumDistortionPoints = 72;

void clipToPolygon(TCanvas& canvas, const std::vector<QPoint>& polygon) {
    canvas.beginPath();
    canvas.polygon(polygon);
    canvas.endPath();
    canvas.selectClipPath(platform::ClipCombine::And);
}

void clipToStroke(TCanvas& canvas, const TStroke& stroke) {
    canvas.beginPath();
    stroke.Draw(canvas);
    canvas.endPath();
    canvas.selectClipPath(platform::ClipCombine::And);
}

void fillStroke(TCanvas& canvas, const TStroke& stroke, TColor colour) {
    CanvasStateKeeper keep(canvas);
    canvas.tools().polyFillMode = platform::FillRule::Winding;
    canvas.tools().pen.style = platform::PenStyle::Clear;
    canvas.tools().brush = platform::Brush{platform::BrushStyle::Solid, colour, {}};
    canvas.beginPath();
    stroke.Draw(canvas);
    canvas.endPath();
    canvas.fillPath();
}

void outlineStroke(TCanvas& canvas, const TStroke& stroke, int width, TColor colour) {
    CanvasStateKeeper keep(canvas);
    canvas.tools().pen = platform::Pen{platform::PenStyle::Solid, width, colour};
    canvas.tools().brush.style = platform::BrushStyle::Clear;
    canvas.beginPath();
    stroke.Draw(canvas);
    canvas.endPath();
    canvas.strokePath();
}

}  // namespace

const TStroke& TLOText::LettersOutline() const {
    if (!letters_) {
        letters_.emplace();
        buildLetters(*letters_);
    }
    return *letters_;
}

void TLOText::buildLetters(TStroke& stroke) const {
    const TRect box = safeBox();
    if (coons_->IsEmpty()) {
        simple_->BuildOutline(stroke, box, true);
        return;
    }
    // The warp works on a large copy of the text so that small letters keep their shape.
    TSimpleText copy;
    copy.Assign(*simple_);
    copy.SetAngle(0);
    if (copy.Font()->Size() < kMinimumDistortionPoints)
        copy.Font()->SetSize(kMinimumDistortionPoints);
    const int own = LineHeight(), large = copy.LineHeight();
    int w = box.Width(), h = box.Height();
    if (own > 0) {
        w = platform::mulDiv(w, large, own);
        h = platform::mulDiv(h, large, own);
    }
    const TRect work{0, 0, std::max(w, 0), std::max(h, 0)};
    copy.BuildOutline(stroke, work, false);
    stroke.SubdivideLines();
    TCoonsDistortion warp;
    warp.Assign(*coons_);
    warp.SetStrength(distortionRatio_);
    warp.SetSourceRect(copy.ComputeTextRect(work, false));
    warp.SetTargetRect(box);
    warp.TransformStroke(stroke);
    if (Angle() != 0) rotator_.TransformStroke(stroke);
}

void TLOText::Paint() {
    paintOn(Canvas());
}

void TLOText::paintOn(TCanvas& canvas) {
    const QPoint off = ShadowOffset();
    if (!off.isNull()) {
        CanvasStateKeeper keep(canvas);
        canvas.setWindowOrigin(canvas.mapping().windowOrigin - off);
        drawText(canvas, *shadowColor_, nullptr);
    }
    drawText(canvas, *textColor_, outline_ ? outlineColor_.get() : nullptr);
}

void TLOText::drawText(TCanvas& canvas, TColorSpec& fill, TColorSpec* outline) {
    CanvasStateKeeper keep(canvas);
    canvas.tools().polyFillMode = platform::FillRule::Winding;
    const TRect area = GetBounds();
    const int width = safeOutlineWidth();
    const std::optional<ArcBand> band = arcBand(outline ? 2 * width : 0);
    clipToPolygon(canvas, band ? band->Polygon() : enclosingPolygon());
    const bool plain = Bulge() == 0 && coons_->IsEmpty();
    if (outline) {
        const TStroke& letters = LettersOutline();
        if (outline->Kind() == cskSolid && outline->Style() == bsSolid) {
            outlineStroke(canvas, letters, 2 * width, outline->Color());
        } else {
            CanvasStateKeeper inner(canvas);
            canvas.tools().pen = platform::Pen{platform::PenStyle::Solid, 2 * width, clBlack};
            canvas.beginPath();
            letters.Draw(canvas);
            canvas.endPath();
            canvas.widenPath();
            canvas.selectClipPath(platform::ClipCombine::And);
            outline->Fill(canvas, area);
        }
        if (fill.IsExactSolid(canvas)) {
            fillStroke(canvas, letters, fill.Color());
        } else {
            CanvasStateKeeper inner(canvas);
            clipToStroke(canvas, letters);
            fill.Fill(canvas, area);
        }
        return;
    }
    if (plain && fill.IsExactSolid(canvas)) {
        simple_->DrawColor = fill.Color();
        canvas.tools().brush.style = platform::BrushStyle::Clear;
        simple_->Draw(canvas, safeBox());
        return;
    }
    CanvasStateKeeper inner(canvas);
    clipToStroke(canvas, LettersOutline());
    fill.Fill(canvas, area);
}

// ------------------------------------------------------------------ blended painting

bool TLOText::NeedsBlend() {
    return BlendRatio() != 100;
}

void TLOText::PaintAlphaMask(TAlphaMask& mask) {
    QImage scratch(mask.Image.size(), QImage::Format_RGB32);
    scratch.fill(0xFF000000);
    {
        TCanvas canvas(scratch, this->Canvas().device());
        canvas.setMapping(mask.Mapping);
        const TStroke& letters = LettersOutline();
        const QPoint off = ShadowOffset();
        if (!off.isNull()) {
            CanvasStateKeeper keep(canvas);
            canvas.setWindowOrigin(canvas.mapping().windowOrigin - off);
            fillStroke(canvas, letters, clWhite);
        }
        fillStroke(canvas, letters, clWhite);
        if (outline_ && outlineWidth_ > 0)
            outlineStroke(canvas, letters, 2 * safeOutlineWidth(), clWhite);
    }
    for (int y = 0; y < scratch.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        uchar* to = mask.Image.scanLine(y);
        for (int x = 0; x < scratch.width(); ++x) to[x] = uchar(qGreen(from[x]));
    }
}

std::unique_ptr<TOffscreenBitmap> TLOText::CreateImage() {
    // Starts from the target's pixels, so that the blend through the mask only tints the
    // letters.
    std::unique_ptr<TOffscreenBitmap> bitmap =
        CreateOffscreenBitmap(Canvas(), GetBounds(), kBlendMargin, true);
    paintOn(bitmap->Canvas());
    TCoordMap::ResetMapping(bitmap->Canvas());
    return bitmap;
}
