#include "objects/BackImage.h"

#include "document/stream/PropertyBuilder.h"
#include "drawing/OffscreenBitmap.h"
#include "imaging/AspectFit.h"
#include "imaging/Blend.h"
#include "imaging/picture/ImageData.h"

VELLUMO_DEFINE_PERSISTENT(TLOBackImage)

namespace {
constexpr int kVisibleMargin = 5;
}

TLOBackImage::TLOBackImage(TComponent* owner)
    : TLORectBase(owner),
      fill_(std::make_unique<TColorSpec>()),
      frame_(std::make_unique<TColorSpec>()),
      blend_(std::make_unique<TColorSpec>()),
      blendPicture_(std::make_unique<TPictureEx>()) {
    for (TColorSpec* spec : {fill_.get(), frame_.get(), blend_.get()})
        spec->Notify().AddListener(&Listener());
    blendPicture_->Notify().AddListener(&Listener());
    SetLayerGroup(-100);
}

TLOBackImage::~TLOBackImage() {
    for (TColorSpec* spec : {fill_.get(), frame_.get(), blend_.get()})
        spec->Notify().RemoveListener(&Listener());
    blendPicture_->Notify().RemoveListener(&Listener());
}

void TLOBackImage::DeclareProperties(PropertyBuilder<TLOBackImage>& p) {
    p.persistent("FillColor", &TLOBackImage::FillColor);
    p.persistent("FrameColor", &TLOBackImage::FrameColor);
    p.integer("FrameWidth", &TLOBackImage::FrameWidth, &TLOBackImage::SetFrameWidth)
        .defaultValue(0);
    p.persistent("BlendColor", &TLOBackImage::BlendColor);
    p.persistent("BlendPicture", &TLOBackImage::BlendPicture);
    p.integer("BlendRatio", &TLOBackImage::BlendRatio, &TLOBackImage::SetBlendRatio)
        .defaultValue(100);
    // Settings of older documents: accepted and ignored.
    p.boolean(
         "EllipseClip", [](const TLOBackImage&) { return false; }, [](TLOBackImage&, bool) {})
        .stored(false);
    p.boolean(
         "CenterClip", [](const TLOBackImage&) { return false; }, [](TLOBackImage&, bool) {})
        .stored(false);
    p.integer(
         "CenterRadius", [](const TLOBackImage&) { return 0; }, [](TLOBackImage&, int) {})
        .stored(false);
}

void TLOBackImage::SetFrameWidth(int value) {
    if (value == frameWidth_) return;
    frameWidth_ = value;
    Changed();
    Invalidate();
}

void TLOBackImage::SetBlendRatio(int value) {
    if (value == blendRatio_) return;
    blendRatio_ = value;
    Changed();
    Invalidate();
}

TPictureEx* TLOBackImage::Image() {
    fill_->SetKind(cskBitmap);
    return fill_->ImageData()->Picture();
}

void TLOBackImage::SetFaceInfo(const TFaceInfo& face) {
    if (face == face_) return;
    face_ = face;
    Invalidate();
}

bool TLOBackImage::IsBlank() const {
    return frameWidth_ == 0 && fill_->Kind() == cskSolid && fill_->Style() == bsSolid &&
           (fill_->Color() & 0xFFFFFF) == 0xFFFFFF && fill_->Color() != clNone &&
           blendPicture_->Empty();
}

void TLOBackImage::Notify(TPersistent* sender, const QUuid& aspect) {
    if (aspect == asChanged && (sender == fill_.get() || sender == frame_.get() ||
                                sender == blend_.get() || sender == blendPicture_.get())) {
        Invalidate();
        Changed();
    }
    TLORectBase::Notify(sender, aspect);
}

void TLOBackImage::SetEnclosingSize(int width, int height) {
    const TRect r = LogBounds();
    SetLogBounds({r.Left, r.Top, r.Left + width, r.Top + height});
}

void TLOBackImage::DrawOutline(TCanvas& canvas) {
    canvas.rectangle(LogBounds());
}

void TLOBackImage::Paint() {
    TCanvas& canvas = Canvas();
    const TRect h = LogBounds();
    platform::CanvasStateKeeper keep(canvas);

    // The face's shape placed at the object's top-left.
    TFaceInfo f = face_;
    if (f.OuterRect().IsEmpty()) {
        // Not given a face yet: a plain face over the object's rectangle.
        f = TFaceInfo{};
        f.FaceRect = h;
    }
    const TRect outer = f.OuterRect();
    f.FaceRect = {f.FaceRect.Left + h.Left - outer.Left, f.FaceRect.Top + h.Top - outer.Top,
                  f.FaceRect.Right + h.Left - outer.Left, f.FaceRect.Bottom + h.Top - outer.Top};

    TRect r = h;
    if (fill_->Kind() == cskBitmap && !fill_->Tile()) {
        // A stretched picture keeps its aspect and covers the face.
        const TPictureEx* picture = fill_->ImageData()->Picture();
        const TRect clip =
            fill_->ImageData()->ClipFilter()->EffectiveRect(picture->Width(), picture->Height());
        r = CoverAspect(clip.Width(), clip.Height(), h);
    }
    canvas.combineClip(f.Region(&canvas, false), platform::ClipCombine::And);
    if (frameWidth_ != 0) {
        frame_->Fill(canvas, h);
        TFaceInfo inner = f;
        inner.FaceMargin -= frameWidth_;
        canvas.combineClip(inner.Region(&canvas, false), platform::ClipCombine::And);
    }
    paintFill(canvas, r);

    if (f.HasHole()) {
        canvas.tools().pen = platform::Pen{};
        canvas.tools().pen.style = platform::PenStyle::Clear;
        canvas.tools().brush = platform::Brush{};
        canvas.tools().brush.color = clWhite;
        f.DrawHole(canvas, false);
    }
}

void TLOBackImage::paintFill(TCanvas& canvas, const TRect& r) {
    if (blendPicture_->Empty()) {
        fill_->Fill(canvas, r);
        return;
    }
    // Over the visible part: the overlay blended into the fill through the grey map.
    const auto blendBits = CreateOffscreenBitmap(canvas, r, kVisibleMargin, false);
    if (blendBits->Image.isNull() || blendBits->DeviceRect.IsEmpty()) return;
    const auto greyBits = CreateOffscreenBitmap(canvas, r, kVisibleMargin, false);
    const auto fillBits = CreateOffscreenBitmap(canvas, r, kVisibleMargin, false);
    blend_->Fill(blendBits->Canvas(), r);
    greyBits->Image.fill(0xFF000000);
    blendPicture_->Draw(greyBits->Canvas(), r);
    fill_->Fill(fillBits->Canvas(), r);
    const QImage grey = greyBits->Image.convertToFormat(QImage::Format_Grayscale8);

    TGRBlendAlphaMapRatio blender;
    blender.Dest = &fillBits->Image;
    blender.DestRect = fillBits->Image.rect();
    blender.Source = &blendBits->Image;
    blender.SourceRect = blendBits->Image.rect();
    blender.AlphaMap = &grey;
    blender.AlphaRect = grey.rect();
    blender.Ratio = blendRatio_;
    if (blender.CanExecute()) blender.Execute();

    // Device pixels to device pixels, through the canvas's clip.
    platform::CanvasStateKeeper keep(canvas);
    canvas.setMapping(platform::Mapping{});
    const TRect d = fillBits->DeviceRect;
    canvas.bitBlt(d, fillBits->Image, {0, 0});
}

void TLOBackImage::AssignProperties(const TDrawObject& source) {
    TLORectBase::AssignProperties(source);
    const auto* other = dynamic_cast<const TLOBackImage*>(&source);
    if (!other) return;
    fill_->Assign(*other->fill_);
    frame_->Assign(*other->frame_);
    SetFrameWidth(other->frameWidth_);
    blend_->Assign(*other->blend_);
    blendPicture_->Assign(*other->blendPicture_);
    SetBlendRatio(other->blendRatio_);
}
