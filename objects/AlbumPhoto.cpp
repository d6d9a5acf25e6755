#include "objects/AlbumPhoto.h"

#include "document/stream/ClassRegistry.h"
#include "document/stream/PropertyBuilder.h"
#include "drawing/ObjectSetUtils.h"
#include "drawing/ObjectSite.h"
#include "imaging/AspectFit.h"
#include "imaging/QuadMap.h"
#include "imaging/pack/MatrixImagePack.h"
#include "imaging/picture/SafetyBitmap.h"
#include "objects/AlbumPhotoShared.h"
#include "objects/DateStamp.h"
#include "objects/DateText.h"
#include "objects/RotatedRect.h"
#include "platform/DateTime.h"
#include "platform/IntMath.h"

#include <QScopeGuard>
#include <algorithm>
#include <mutex>

VELLUMO_DEFINE_PERSISTENT(TLOPhotoImage)
VELLUMO_DEFINE_PERSISTENT(TLOAlbumShade)
VELLUMO_DEFINE_PERSISTENT(TLOAlbumPhoto)

namespace {

int clampToInt(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// Ors an opacity drawn by `paint` into `mask` (opaque pixels stay opaque).
template <class F>
void orIntoMask(TAlphaMask& mask, F paint) {
    TAlphaMask layer = mask;
    layer.Image = QImage(mask.Image.size(), QImage::Format_Indexed8);
    layer.Image.setColorTable(mask.Image.colorTable());
    layer.Image.fill(0);
    paint(layer);
    for (int y = 0; y < mask.Image.height(); ++y) {
        uchar* d = mask.Image.scanLine(y);
        const uchar* s = layer.Image.constScanLine(y);
        for (int x = 0; x < mask.Image.width(); ++x) d[x] = std::max(d[x], s[x]);
    }
}

}  // namespace

TLOAlbumPhoto::TLOAlbumPhoto(TComponent* owner)
    : TLORectBase(owner),
      source_(std::make_unique<TPhotoImageData>()),
      image_(std::make_unique<TLOPhotoImage>()),
      shade_(std::make_unique<TLOAlbumShade>()),
      shadowPicture_(std::make_unique<TPictureEx>()),
      dateFont_(std::make_unique<TFont>()),
      normalize_(std::make_unique<TAutoAdjustFilter>()),
      photoDate_(Extended80::fromDouble(platform::dateTimeNow())) {
    dateFont_->SetSize(32);
    dateFont_->SetStyle(fsBold);
    dateFont_->SetColor(0x0080FF);
    shade_->FillColor()->SetKind(cskSolid);
    source_->Notify().AddListener(&Listener());
    image_->FramePicture()->Notify().AddListener(&Listener());
    shadowPicture_->Notify().AddListener(&Listener());
    normalize_->Notify().AddListener(&Listener());
    shade_->Notifier().AddListener(&Listener());
    dateFont_->OnChange = [this] {
        DiscardDisplayed();
        contentChanged();
    };
}

TLOAlbumPhoto::~TLOAlbumPhoto() {
    destroying_ = true;
    dateFont_->OnChange = nullptr;
    source_->Notify().RemoveListener(&Listener());
    image_->FramePicture()->Notify().RemoveListener(&Listener());
    shadowPicture_->Notify().RemoveListener(&Listener());
    normalize_->Notify().RemoveListener(&Listener());
    shade_->Notifier().RemoveListener(&Listener());
}

void TLOAlbumPhoto::DeclareProperties(PropertyBuilder<TLOAlbumPhoto>& p) {
    using T = TLOAlbumPhoto;
    p.persistent("PhotoImageObj", &T::PhotoImageObj);
    p.enumeration("ImageSource", &T::ImageSource, &T::SetImageSource, imageSourceType())
        .noDefault();
    p.boolean("AlphaFrame", &T::AlphaFrame, &T::SetAlphaFrame).noDefault();
    p.persistent("FramePicture", &T::FramePicture);
    p.boolean("Shadow", &T::Shadow, &T::SetShadow).noDefault();
    p.integer("ShadowX", &T::ShadowX, &T::SetShadowX).noDefault();
    p.integer("ShadowY", &T::ShadowY, &T::SetShadowY).noDefault();
    p.color("ShadowColor", &T::ShadowColor, &T::SetShadowColor).noDefault();
    p.persistent("ShadowPicture", &T::ShadowPicture);
    p.boolean("ShadowShade", &T::ShadowShade, &T::SetShadowShade).noDefault();
    p.boolean("FitOuter", &T::FitOuter, &T::SetFitOuter).noDefault();
    p.boolean("FrameFitPhoto", &T::FrameFitPhoto, &T::SetFrameFitPhoto).noDefault();
    p.boolean("DisplayDate", &T::DisplayDate, &T::SetDisplayDate).noDefault();
    p.string("DateFormat", &T::DateFormat, &T::SetDateFormat);
    p.persistent("DateFont", &T::DateFont);
    p.persistent("NormalizeFilter", &T::NormalizeFilter);
    p.integer("PhotoAngle", &T::PhotoAngle, &T::SetPhotoAngle).noDefault();
    p.floating("PhotoDate", &T::StoredPhotoDate, &T::SetStoredPhotoDate);
    p.integer("Angle", &T::Angle, &T::SetAngle).noDefault();
}

// --- setters ---

void TLOAlbumPhoto::contentChanged() {
    if (destroying_) return;
    Changed();
    Invalidate();
}

void TLOAlbumPhoto::SetPhotoImageObj(const TImageData* data) {
    if (!data) return;
    source_->Assign(*data);  // the source's notification discards the displayed photo
}

void TLOAlbumPhoto::SetAlphaFrame(bool value) {
    if (value == image_->AlphaFrame()) return;
    image_->SetAlphaFrame(value);
    contentChanged();
}

void TLOAlbumPhoto::SetShadow(bool value) {
    if (value == shadow_) return;
    Invalidate();
    shadow_ = value;
    LayOut();
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
    contentChanged();
}

void TLOAlbumPhoto::SetShadowX(int value) {
    if (value == shadowX_) return;
    Invalidate();
    shadowX_ = value;
    LayOut();
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
    contentChanged();
}

void TLOAlbumPhoto::SetShadowY(int value) {
    if (value == shadowY_) return;
    Invalidate();
    shadowY_ = value;
    LayOut();
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
    contentChanged();
}

void TLOAlbumPhoto::SetShadowColor(TColor value) {
    shade_->FillColor()->SetColor(value);  // the shade reports a change when it differs
}

void TLOAlbumPhoto::SetShadowShade(bool value) {
    if (value == shadowShade_) return;
    shadowShade_ = value;
    chooseShadowMask();
    contentChanged();
}

#define ALBUM_PHOTO_DISPLAY_SETTER(Name, field, Type) \
    void TLOAlbumPhoto::Set##Name(Type value) {       \
        if (value == field) return;                   \
        field = value;                                \
        DiscardDisplayed();                           \
        contentChanged();                             \
    }
ALBUM_PHOTO_DISPLAY_SETTER(FitOuter, fitOuter_, bool)
ALBUM_PHOTO_DISPLAY_SETTER(PhotoAngle, photoAngle_, int)
ALBUM_PHOTO_DISPLAY_SETTER(DisplayDate, displayDate_, bool)
ALBUM_PHOTO_DISPLAY_SETTER(DateFormat, dateFormat_, const QString&)
#undef ALBUM_PHOTO_DISPLAY_SETTER

void TLOAlbumPhoto::SetPhotoDate(double value) {
    SetStoredPhotoDate(Extended80::fromDouble(value));
}

void TLOAlbumPhoto::SetStoredPhotoDate(const Extended80& value) {
    if (value == photoDate_) return;
    photoDate_ = value;
    DiscardDisplayed();
    contentChanged();
}

void TLOAlbumPhoto::SetFrameFitPhoto(bool value) {
    if (value == frameFitPhoto_) return;
    frameFitPhoto_ = value;
    LayOut();
    contentChanged();
}

void TLOAlbumPhoto::SetAngle(int degrees) {
    if (degrees == angle_) return;
    Invalidate();
    angle_ = degrees;
    {
        building_ = true;
        const auto done = qScopeGuard([this] { building_ = false; });
        shade_->SetAngle(degrees);
        image_->SetAngle(degrees);
    }
    contentChanged();
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
}

// --- the displayed photo ---

void TLOAlbumPhoto::DiscardDisplayed() {
    if (destroying_ || Reading()) return;
    if (!image_->ImageData()->Picture()->Empty()) {
        building_ = true;
        const auto done = qScopeGuard([this] { building_ = false; });
        image_->ImageData()->Picture()->Clear();
    }
}

int TLOAlbumPhoto::Orientation() const {
    if (photoAngle_ == 0 || photoAngle_ == 90 || photoAngle_ == 180 || photoAngle_ == 270)
        return photoAngle_;
    const int w = Width(), h = Height();
    if (w <= 0 || h <= 0 || source_->Picture()->Empty()) return 0;
    const int pw = source_->Picture()->Width(), ph = source_->Picture()->Height();
    if (h > w && pw > ph) return 90;
    if (w > h && ph > pw) return 270;
    return 0;
}

QPoint TLOAlbumPhoto::ShadowOffset() const {
    const std::int64_t m = std::max(Width(), Height());
    return {clampToInt(std::int64_t(shadowX_) * m / 100),
            clampToInt(std::int64_t(shadowY_) * m / 100)};
}

void TLOAlbumPhoto::EnsureDisplayed() {
    if (source_->Picture()->Empty() || !image_->ImageData()->Picture()->Empty()) return;
    building_ = true;
    const auto done = qScopeGuard([this] { building_ = false; });
    const int orientation = Orientation();
    // The crop: the whole photo, or the centred part of the slot's aspect.
    const TRect whole{0, 0, source_->Picture()->Width(), source_->Picture()->Height()};
    if (!fitOuter_) {
        source_->ClipFilter()->SetClipRect(whole);
    } else {
        const bool turned = orientation == 90 || orientation == 270;
        const int w = turned ? Height() : Width(), h = turned ? Width() : Height();
        source_->ClipFilter()->SetClipRect(FitAspectInside(w, h, whole));
    }
    TPictureEx processed;
    source_->BuildProcessed(normalize_.get(), processed);
    QImage shown;
    std::unique_ptr<TGraphic> graphic;
    if (orientation != 0) {
        const QImage src = processed.Graphic()->ToImage().convertToFormat(QImage::Format_RGB32);
        shown = Rotate(src, orientation, qRgb(255, 255, 255), src.width(), src.height());
    }
    if (displayDate_) {
        if (shown.isNull()) shown = processed.Graphic()->ToImage();
        const std::optional<QDateTime> exif = PictureExifDate(*source_->Picture());
        const double when = exif ? platform::toStoredDateTime(*exif) : PhotoDate();
        StampDate(shown, DateText(dateFormat_, when), AlbumPhotoShared().dateGlyphs.get(),
                  *dateFont_);
    }
    TPictureEx result;
    if (shown.isNull())
        result.Assign(processed);
    else
        result.SetGraphic(std::make_unique<TSafetyBitmap>(std::move(shown)));
    image_->ImageData()->SetPicture(&result);
    ++displayedBuilds_;
    LayOut();
}

void TLOAlbumPhoto::LayOut() {
    // The parts report their own changes; the slot reports once, where it changed.
    const bool wasBuilding = building_;
    building_ = true;
    const auto done = qScopeGuard([this, wasBuilding] { building_ = wasBuilding; });
    const TRect slot = LogBounds();
    TRect photo = slot;
    const TPictureEx& shown = *image_->ImageData()->Picture();
    // A stored slot wider or higher than 32 bits can hold keeps the photo on the slot.
    const bool measurable = std::int64_t(slot.Right) - slot.Left <= INT32_MAX &&
                            std::int64_t(slot.Bottom) - slot.Top <= INT32_MAX;
    if (!shown.Empty() && measurable) {
        const TPictureEx& frame = *image_->FramePicture();
        int rw = shown.Width(), rh = shown.Height();
        if (frame.Empty() || frameFitPhoto_) {
            image_->ImageData()->ResetClip();
        } else {
            rw = frame.Width();
            rh = frame.Height();
            image_->ImageData()->ResetClip(rw, rh);
        }
        photo = fitOuter_ ? CoverAspect(rw, rh, slot) : FitAspectInside(rw, rh, slot);
    }
    image_->SetLogBounds(photo);
    const QPoint d = ShadowOffset();
    shade_->SetLogBounds({platform::wrapSum(photo.Left, d.x()), platform::wrapSum(photo.Top, d.y()),
                          platform::wrapSum(photo.Right, d.x()),
                          platform::wrapSum(photo.Bottom, d.y())});
}

void TLOAlbumPhoto::chooseShadowMask() {
    const bool wasBuilding = building_;
    building_ = true;
    const auto done = qScopeGuard([this, wasBuilding] { building_ = wasBuilding; });
    if (!shadowShade_) {
        shade_->Picture()->Clear();
    } else if (!shadowPicture_->Empty()) {
        shade_->SetPicture(shadowPicture_.get());
    } else if (const auto& mask = AlbumPhotoShared().defaultShadow; mask && !mask->Empty()) {
        shade_->SetPicture(mask.get());
    } else {
        shade_->Picture()->Clear();
    }
}

void TLOAlbumPhoto::CorrectedPhoto(TPictureEx& result, bool withNormalize, bool fromCopy) {
    result.Clear();
    if (source_->Picture()->Empty()) return;
    if (fromCopy) {
        TPhotoImageData copy;
        copy.Assign(*source_);
        copy.SetPrintRendering(source_->PrintRendering());
        copy.BuildProcessed(withNormalize ? normalize_.get() : nullptr, result);
    } else {
        source_->BuildProcessed(withNormalize ? normalize_.get() : nullptr, result);
    }
}

void TLOAlbumPhoto::FitToPhoto() {
    const TPictureEx& p = *source_->Picture();
    if (p.Empty()) return;
    const QSize s = InitialImageSize({p.Width(), p.Height()});
    const TRect r = LogBounds();
    SetLogBounds({r.Left, r.Top, platform::wrapSum(r.Left, s.width()),
                  platform::wrapSum(r.Top, s.height())});
}

// --- draw object ---

TRect TLOAlbumPhoto::GetBounds() const {
    TRect r = RotatedBounds(LogBounds(), angle_);
    if (shadow_) {
        const QPoint d = ShadowOffset();
        // A negative offset throws the shadow left or up: the bounds cover it there too,
        // so that it is invalidated and printed with the slot.
        if (d.x() >= 0)
            r.Right = clampToInt(std::int64_t(r.Right) + d.x());
        else
            r.Left = clampToInt(std::int64_t(r.Left) + d.x());
        if (d.y() >= 0)
            r.Bottom = clampToInt(std::int64_t(r.Bottom) + d.y());
        else
            r.Top = clampToInt(std::int64_t(r.Top) + d.y());
    }
    return r;
}

void TLOAlbumPhoto::SetEnclosingSize(int width, int height) {
    const QSize s = EnclosingToUnrotated(LogBounds(), angle_, width, height);
    const TRect r = LogBounds();
    SetLogBounds({r.Left, r.Top, platform::wrapSum(r.Left, s.width()),
                  platform::wrapSum(r.Top, s.height())});
}

void TLOAlbumPhoto::DrawOutline(TCanvas& canvas) {
    const std::array<QPoint, 4> c = RotatedCorners(LogBounds(), angle_);
    canvas.polygon({c.begin(), c.end()});
}

void TLOAlbumPhoto::SetLogBounds(const TRect& rect) {
    // Sizes in 64 bits: stored edges may lie far apart.
    const auto width = [](const TRect& r) { return std::int64_t(r.Right) - r.Left; };
    const auto height = [](const TRect& r) { return std::int64_t(r.Bottom) - r.Top; };
    const TRect old = LogBounds();
    TLORectBase::SetLogBounds(rect);
    const TRect now = LogBounds();
    if ((width(old) > 0 && width(old) != width(now)) ||
        (height(old) > 0 && height(old) != height(now)))
        DiscardDisplayed();
    if (!source_->Picture()->Empty() || !Reading()) LayOut();
}

void* TLOAlbumPhoto::QueryFacet(const QUuid& id) {
    if (id == IDORotate::FacetId()) return static_cast<IDORotate*>(this);
    if (id == IDOBlend::FacetId()) return static_cast<IDOBlend*>(this);
    return TLORectBase::QueryFacet(id);
}

void TLOAlbumPhoto::AfterLoad() {
    TLORectBase::AfterLoad();
    chooseShadowMask();
    LayOut();
}

void TLOAlbumPhoto::Paint() {
    TCanvas& canvas = Canvas();
    if (source_->Picture()->Empty()) {
        const std::array<QPoint, 4> c = RotatedCorners(LogBounds(), angle_);
        canvas.tools().pen = platform::Pen{};
        canvas.tools().brush = platform::Brush{};
        canvas.tools().brush.color = 0xC0C0C0;
        canvas.polygon({c.begin(), c.end()});
        return;
    }
    EnsureDisplayed();
    if (shadow_) {
        canvas.tools().pen.style = platform::PenStyle::Clear;
        canvas.tools().brush = platform::Brush{};
        canvas.tools().brush.color = ShadowColor();
        const TRect b = GetBounds();
        canvas.rectangle(
            {b.Left, b.Top, platform::wrapSum(b.Right, 1), platform::wrapSum(b.Bottom, 1)});
    }
    image_->PaintTo(canvas);
}

bool TLOAlbumPhoto::NeedsBlend() {
    if (source_->Picture()->Empty()) return false;
    if (shadow_) return true;
    EnsureDisplayed();
    return image_->NeedsBlend();
}

void TLOAlbumPhoto::PaintAlphaMask(TAlphaMask& mask) {
    EnsureDisplayed();
    if (!shadow_ || (!image_->FramePicture()->Empty() && image_->AlphaFrame())) {
        image_->PaintAlphaMask(mask);
        return;
    }
    if (shade_->Picture()->Empty()) {
        // The photo's own outline, moved by the shadow offsets.
        const QPoint d = ShadowOffset();
        orIntoMask(mask, [&](TAlphaMask& layer) {
            layer.Mapping.windowOrigin -= d;
            layer.LogicalRect = {platform::wrapSum(mask.LogicalRect.Left, -d.x()),
                                 platform::wrapSum(mask.LogicalRect.Top, -d.y()),
                                 platform::wrapSum(mask.LogicalRect.Right, -d.x()),
                                 platform::wrapSum(mask.LogicalRect.Bottom, -d.y())};
            image_->PaintAlphaMask(layer);
        });
    } else {
        orIntoMask(mask, [&](TAlphaMask& layer) { shade_->PaintAlphaMask(layer); });
    }
    orIntoMask(mask, [&](TAlphaMask& layer) { image_->PaintAlphaMask(layer); });
}

void TLOAlbumPhoto::Notify(TPersistent* sender, const QUuid& aspect) {
    if (!destroying_ && !building_ && !Reading()) {
        if (sender == source_.get()) {
            if (aspect == asPictureChanged) DiscardDisplayed();
            if (aspect == asChanged || aspect == asPictureChanged) contentChanged();
        } else if (sender == image_->FramePicture()) {
            if (aspect == asChanged) {
                LayOut();
                contentChanged();
            }
        } else if (sender == shadowPicture_.get()) {
            if (aspect == asChanged) {
                chooseShadowMask();
                contentChanged();
            }
        } else if (sender == normalize_.get()) {
            if (aspect == asChanged) {
                DiscardDisplayed();
                contentChanged();
            }
        } else if (aspect == asChanged && sender == shade_.get()) {
            contentChanged();
        }
    }
    TLORectBase::Notify(sender, aspect);
}

void TLOAlbumPhoto::AssignProperties(const TDrawObject& source) {
    TLORectBase::AssignProperties(source);
    const auto* other = dynamic_cast<const TLOAlbumPhoto*>(&source);
    if (!other) return;
    shadow_ = other->shadow_;
    shadowX_ = other->shadowX_;
    shadowY_ = other->shadowY_;
    shadowShade_ = other->shadowShade_;
    fitOuter_ = other->fitOuter_;
    photoAngle_ = other->photoAngle_;
    frameFitPhoto_ = other->frameFitPhoto_;
    photoDate_ = other->photoDate_;
    displayDate_ = other->displayDate_;
    dateFormat_ = other->dateFormat_;
    SetAngle(other->angle_);
    normalize_->Assign(*other->normalize_);
    shade_->FillColor()->Assign(*other->shade_->FillColor());
    shade_->SetPicture(other->shade_->Picture());
    shade_->SetAngle(other->shade_->Angle());
    shade_->SetShadeSize(other->shade_->ShadeSize());
    dateFont_->Assign(*other->dateFont_);
    shadowPicture_->Assign(*other->shadowPicture_);
    source_->Assign(*other->source_);
    image_->Assign(*other->image_);
    LayOut();
}

void SwitchToPrintRendering(const std::vector<TDrawObject*>& objects) {
    for (TDrawObject* o : objects) {
        auto* photo = dynamic_cast<TLOAlbumPhoto*>(o);
        if (!photo) continue;
        photo->PhotoImageObj()->SetPrintRendering(true);
        photo->DiscardDisplayed();
        if (photo->IsEmptyFrame()) photo->SetVisible(false);
    }
}

void RegisterAlbumPhotoClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterPersistentClass<TLOAlbumPhoto>();
        RegisterPersistentClass<TLOPhotoImage>();
        RegisterPersistentClass<TLOAlbumShade>();
        RegisterPersistentClass<TPhotoImageData>();
    });
}
