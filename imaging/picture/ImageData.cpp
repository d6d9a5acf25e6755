#include "imaging/picture/ImageData.h"

#include "document/stream/PropertyBuilder.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/SafetyBitmap.h"

VELLUMO_DEFINE_PERSISTENT(TImageData)

const QUuid asClipReset("{4C0E3B52-8D6A-4F0B-9E15-2A7C61D0B901}");
const QUuid asPictureChanged("{4C0E3B52-8D6A-4F0B-9E15-2A7C61D0B902}");

TImageData::TImageData()
    : notify_(this),
      listener_([this](TPersistent*, const QUuid& aspect) { pictureNotified(aspect); }) {
    picture_->Notify().AddListener(&listener_);
}

TImageData::~TImageData() {
    picture_->Notify().RemoveListener(&listener_);
}

void TImageData::DeclareProperties(PropertyBuilder<TImageData>& p) {
    p.persistent("Picture", &TImageData::Picture);
    p.color("TransparentColor", &TImageData::TransparentColor, &TImageData::SetTransparentColor)
        .defaultValue(clNone);
}

void TImageData::pictureNotified(const QUuid& aspect) {
    if (aspect != asChanged) return;
    const QSize size(picture_->Width(), picture_->Height());
    // Changing one side only keeps the clip; changing both resets it.
    if (size.width() != lastSize_.width() && size.height() != lastSize_.height())
        notify_.Broadcast(this, asClipReset);
    lastSize_ = size;
    if (picture_->IsJpeg()) {
        // Decoding is not a change of the picture.
        static_cast<TSafetyJPEGImage*>(picture_->Graphic())->Decode();
    }
    notify_.Broadcast(this, asPictureChanged);
    dropProcessed();
    notify_.Changed();
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
