#include "imaging/picture/ImageData.h"

#include "document/stream/PropertyBuilder.h"
#include "imaging/AspectFit.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/SafetyBitmap.h"

VELLUMO_DEFINE_PERSISTENT(TImageData)

const QUuid asClipReset("{4C0E3B52-8D6A-4F0B-9E15-2A7C61D0B901}");
const QUuid asPictureChanged("{4C0E3B52-8D6A-4F0B-9E15-2A7C61D0B902}");

TImageData::TImageData()
    : notify_(this),
      listener_([this](TPersistent*, const QUuid& aspect) { pictureNotified(aspect); }),
      filterListener_(
          [this](TPersistent* sender, const QUuid& aspect) { filterNotified(sender, aspect); }) {
    picture_->Notify().AddListener(&listener_);
    for (TImageFilter* f :
         {static_cast<TImageFilter*>(clip_.get()), static_cast<TImageFilter*>(blur_.get()),
          static_cast<TImageFilter*>(light_.get()), static_cast<TImageFilter*>(monotone_.get())})
        f->Notify().AddListener(&filterListener_);
}

TImageData::~TImageData() {
    picture_->Notify().RemoveListener(&listener_);
}

void TImageData::DeclareProperties(PropertyBuilder<TImageData>& p) {
    p.persistent("Picture", &TImageData::Picture);
    p.persistent("ClipFilter", &TImageData::ClipFilter);
    p.persistent("BlurFilter", &TImageData::BlurFilter);
    p.persistent("LightFilter", &TImageData::LightFilter);
    p.persistent("MonotoneFilter", &TImageData::MonotoneFilter);
    p.color("TransparentColor", &TImageData::TransparentColor, &TImageData::SetTransparentColor)
        .defaultValue(clNone);
}

void TImageData::pictureNotified(const QUuid& aspect) {
    if (aspect != asChanged) return;
    TUpdateBracket update(notify_);  // a clip reset and the picture: one change
    const QSize size(picture_->Width(), picture_->Height());
    // Changing one side only keeps the clip; changing both resets it.
    if (size.width() != lastSize_.width() && size.height() != lastSize_.height()) {
        ResetClip();
        notify_.Broadcast(this, asClipReset);
    }
    lastSize_ = size;
    if (picture_->IsJpeg() && DecodesJpegOnChange()) {
        // Decoding is not a change of the picture.
        static_cast<TSafetyJPEGImage*>(picture_->Graphic())->Decode();
    }
    notify_.Broadcast(this, asPictureChanged);
    dropProcessed();
    notify_.Changed();
}

void TImageData::filterNotified(TPersistent* sender, const QUuid& aspect) {
    if (aspect != asChanged) return;
    // An emptied clip means the whole picture.
    if (sender == clip_.get() && clip_->ClipRect().IsEmpty() && !picture_->Empty()) {
        ResetClip();
        return;  // the reset reports the change
    }
    dropProcessed();
    notify_.Changed();
}

void TImageData::ResetClip(int frameWidth, int frameHeight) {
    const TRect whole{0, 0, picture_->Width(), picture_->Height()};
    if (frameWidth == 0 || frameHeight == 0 || picture_->Empty())
        clip_->SetClipRect(whole);
    else
        clip_->SetClipRect(FitAspectInside(frameWidth, frameHeight, whole));
}

void TImageData::dropProcessed() {
    if (processed_->Graphic()) processed_->Clear();
}

void TImageData::SetTransparentColor(TColor colour) {
    if (colour == transparentColor_) return;
    transparentColor_ = colour;
    dropProcessed();
    notify_.Changed();
}

void TImageData::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TImageData*>(&source);
    if (!other) return TPersistent::Assign(source);
    if (other == this) return;
    TUpdateBracket update(notify_);
    picture_->Assign(*other->picture_);
    clip_->Assign(*other->clip_);
    blur_->Assign(*other->blur_);
    light_->Assign(*other->light_);
    monotone_->Assign(*other->monotone_);
    SetTransparentColor(other->transparentColor_);
    processed_->Assign(*other->processed_);
    notify_.Changed();
}

const TPictureEx& TImageData::ProcessedPicture() {
    if (picture_->Empty()) {
        dropProcessed();
        return *processed_;
    }
    if (!processed_->Empty()) return *processed_;

    TPictureEx work;
    work.Assign(*picture_);
    TRect rect;
    // The clip always applies; it fills with the transparent colour where transparency is
    // on.
    clip_->FillColor = UsesTransparency() ? transparentColor_ : clWhite;
    clip_->TransparentFill = UsesTransparency();
    {
        TPictureEx clipped;
        clip_->Apply(work, clipped, rect);
        work.Assign(clipped);
    }
    QImage mask;
    if (UsesTransparency()) {
        // The transparent colour needs pixels of a bitmap: other kinds become 24-bit ones.
        if (!work.IsBitmap()) {
            auto bitmap = std::make_unique<TSafetyBitmap>();
            bitmap->AssignFrom(*work.Graphic());
            work.SetGraphic(std::move(bitmap));
        }
        TSafetyBitmap& bitmap = work.Bitmap();
        bitmap.SetTransparentColor(transparentColor_);
        bitmap.SetTransparent(true);
        mask = bitmap.Mask();
    }
    for (TImageFilter* f :
         {static_cast<TImageFilter*>(blur_.get()), static_cast<TImageFilter*>(monotone_.get()),
          static_cast<TImageFilter*>(light_.get())}) {
        if (!f->IsEffective() || !f->CanApply(work)) continue;
        TPictureEx filtered;
        f->Apply(work, filtered, rect);
        work.Assign(filtered);
    }
    processed_->Assign(work);
    if (!mask.isNull()) {
        // The mask taken before any colour filter stays the mask afterwards.
        TSafetyBitmap& bitmap = processed_->Bitmap();
        bitmap.SetTransparentColor(transparentColor_);
        bitmap.SetTransparent(true);
        bitmap.InstallMask(mask);
    }
    return *processed_;
}
