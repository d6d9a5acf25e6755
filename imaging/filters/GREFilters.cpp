#include "imaging/filters/GREFilters.h"

#include "document/stream/PropertyBuilder.h"
#include "imaging/filters/ColorCorrection.h"
#include "imaging/filters/Effects.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"

#include <mutex>

VELLUMO_DEFINE_PERSISTENT(TGREFilter)
VELLUMO_DEFINE_PERSISTENT(TBlurFilter)
VELLUMO_DEFINE_PERSISTENT(TLightFilter)
VELLUMO_DEFINE_PERSISTENT(TMonotoneFilter)
VELLUMO_DEFINE_PERSISTENT(TAutoNormalizeFilter)
VELLUMO_DEFINE_PERSISTENT(TKVRNormalizeFilter)
VELLUMO_DEFINE_PERSISTENT(TOrvexExifNormalizeFilter)
VELLUMO_DEFINE_PERSISTENT(TExifFilter)
VELLUMO_DEFINE_PERSISTENT(TAutoAdjustFilter)

bool TGREFilter::CanApply(const TPictureEx& picture) const {
    return picture.IsBitmap() || picture.IsJpeg();
}

void TGREFilter::Apply(const TPictureEx& source, TPictureEx& destination, TRect& rect) {
    const std::unique_ptr<TGREffector> effect = CreateEffect();
    if (!effect || source.Empty()) {
        destination.Assign(source);
        rect = {0, 0, destination.Width(), destination.Height()};
        return;
    }
    const QImage pixels = source.Graphic()->ToImage().convertToFormat(QImage::Format_BGR888);
    QImage result;
    effect->Source = &pixels;
    effect->Dest = &result;
    effect->SourceRect = pixels.rect();
    if (auto* pictureBased = dynamic_cast<TPictureBaseGREffector*>(effect.get()))
        pictureBased->SourcePicture = &source;
    effect->Execute();
    rect = {0, 0, result.width(), result.height()};
    destination.SetGraphic(std::make_unique<TSafetyBitmap>(std::move(result)));
}

std::unique_ptr<TGREffector> TBlurFilter::CreateEffect() const {
    if (blurCount_ > 0) {
        auto blur = std::make_unique<TGREffectBlur>();
        blur->Passes = blurCount_;
        return blur;
    }
    if (blurCount_ < 0) {
        auto sharpen = std::make_unique<TGREffectUnsharpMask>();
        sharpen->Amount = -(long double)blurCount_;
        return sharpen;
    }
    return nullptr;
}

std::unique_ptr<TGREffector> TLightFilter::CreateEffect() const {
    if (brightness_ == 0 && contrast_ == 0) return nullptr;
    auto light = std::make_unique<TGREffectBrightnessContrast>();
    light->Brightness = brightness_;
    light->Contrast = contrast_;
    return light;
}

std::unique_ptr<TGREffector> TMonotoneFilter::CreateEffect() const {
    if (refColor_ == clNone) return nullptr;
    auto mono = std::make_unique<TGREffectMonoTone>();
    mono->RefColor = refColor_;
    return mono;
}

std::unique_ptr<TGREffector> TAutoNormalizeFilter::CreateEffect() const {
    return enabled_ ? std::make_unique<TGREffectAutoNormalize>() : nullptr;
}

namespace {
std::mutex factoryMutex;
PhotoCorrectorFactory& factory() {
    static PhotoCorrectorFactory f;
    return f;
}
}  // namespace

void SetPhotoCorrectorFactory(PhotoCorrectorFactory f) {
    std::lock_guard lock(factoryMutex);
    factory() = std::move(f);
}

std::unique_ptr<IPhotoCorrector> NewPhotoCorrector() {
    std::lock_guard lock(factoryMutex);
    return factory() ? factory()() : nullptr;
}

bool TKVRNormalizeFilter::CanApply(const TPictureEx& picture) const {
    if (!picture.IsJpeg()) return false;
    const auto corrector = NewPhotoCorrector();
    if (!corrector || !corrector->SavePictureToTemp(picture)) return false;
    return corrector->InspectSource() & (useKvr_ ? pcColourMatching : pcExifPrint);
}

bool TKVRNormalizeFilter::IsEffectiveFor(const TPictureEx& picture) const {
    if (!enabled_) return false;
    const auto corrector = NewPhotoCorrector();
    return corrector && corrector->IsAvailable(useKvr_) && corrector->SavePictureToTemp(picture);
}

void TKVRNormalizeFilter::Apply(const TPictureEx& source, TPictureEx& destination, TRect& rect) {
    auto copySource = [&] {
        destination.Assign(source);
        rect = {0, 0, destination.Width(), destination.Height()};
    };
    if (!enabled_) return copySource();
    destination.Clear();
    rect = {};
    const auto corrector = NewPhotoCorrector();
    if (!corrector || !corrector->IsAvailable(useKvr_) || !corrector->SavePictureToTemp(source))
        return copySource();
    if (corrector->CorrectSource(destination, useKvr_, corrector->PrintActive()))
        rect = {0, 0, destination.Width(), destination.Height()};
}

std::unique_ptr<TGREffector> TKVRNormalizeFilter::CreateEffect() const {
    if (!enabled_) return nullptr;
    auto effect = std::make_unique<TGREffectOrvexKVRNormalize>();
    effect->UseKVR = useKvr_;
    return effect;
}

void TBlurFilter::DeclareProperties(PropertyBuilder<TBlurFilter>& p) {
    p.integer("BlurCount", &TBlurFilter::BlurCount, &TBlurFilter::SetBlurCount).defaultValue(0);
}
void TBlurFilter::AssignSettings(const TImageFilter& source) {
    TGREFilter::AssignSettings(source);
    SetBlurCount(static_cast<const TBlurFilter&>(source).blurCount_);
}

void TLightFilter::DeclareProperties(PropertyBuilder<TLightFilter>& p) {
    p.integer("Contrast", &TLightFilter::Contrast, &TLightFilter::SetContrast).defaultValue(0);
    p.integer("Brightness", &TLightFilter::Brightness, &TLightFilter::SetBrightness)
        .defaultValue(0);
}
void TLightFilter::AssignSettings(const TImageFilter& source) {
    TGREFilter::AssignSettings(source);
    const auto& other = static_cast<const TLightFilter&>(source);
    SetContrast(other.contrast_);
    SetBrightness(other.brightness_);
}

void TMonotoneFilter::DeclareProperties(PropertyBuilder<TMonotoneFilter>& p) {
    p.color("RefColor", &TMonotoneFilter::RefColor, &TMonotoneFilter::SetRefColor)
        .defaultValue(clNone);
}
void TMonotoneFilter::AssignSettings(const TImageFilter& source) {
    TGREFilter::AssignSettings(source);
    SetRefColor(static_cast<const TMonotoneFilter&>(source).refColor_);
}

void TAutoNormalizeFilter::DeclareProperties(PropertyBuilder<TAutoNormalizeFilter>& p) {
    p.boolean("Enabled", &TAutoNormalizeFilter::Enabled, &TAutoNormalizeFilter::SetEnabled)
        .noDefault();
}
void TAutoNormalizeFilter::AssignSettings(const TImageFilter& source) {
    TGREFilter::AssignSettings(source);
    SetEnabled(static_cast<const TAutoNormalizeFilter&>(source).enabled_);
}

void TKVRNormalizeFilter::DeclareProperties(PropertyBuilder<TKVRNormalizeFilter>& p) {
    p.boolean("Enabled", &TKVRNormalizeFilter::Enabled, &TKVRNormalizeFilter::SetEnabled)
        .defaultValue(false);
    p.boolean("UseKVR", &TKVRNormalizeFilter::UseKVR, &TKVRNormalizeFilter::SetUseKVR)
        .defaultValue(true);
}
void TKVRNormalizeFilter::AssignSettings(const TImageFilter& source) {
    TGREFilter::AssignSettings(source);
    const auto& other = static_cast<const TKVRNormalizeFilter&>(source);
    SetEnabled(other.enabled_);
    SetUseKVR(other.useKvr_);
}

TAutoAdjustFilter::TAutoAdjustFilter()
    : normalize_(std::make_unique<TAutoNormalizeFilter>()),
      exif_(std::make_unique<TExifFilter>()),
      kvr_(std::make_unique<TKVRNormalizeFilter>()) {}
TAutoAdjustFilter::~TAutoAdjustFilter() = default;

void TAutoAdjustFilter::DeclareProperties(PropertyBuilder<TAutoAdjustFilter>& p) {
    p.integer("FilterNo", &TAutoAdjustFilter::FilterNo, &TAutoAdjustFilter::SetFilterNo)
        .noDefault();
}

void TAutoAdjustFilter::SetFilterNo(int value) {
    if (value == filterNo_) return;
    filterNo_ = value;
    normalize_->SetEnabled(value == 1);
    exif_->SetEnabled(value == 2);
    kvr_->SetEnabled(value == 3);
    Notify().Changed();
}

TGREFilter* TAutoAdjustFilter::selected() const {
    switch (filterNo_) {
        case 1:
            return normalize_.get();
        case 2:
            return exif_.get();
        case 3:
            return kvr_.get();
        default:
            return nullptr;
    }
}

bool TAutoAdjustFilter::CanApply(const TPictureEx& picture) const {
    const TGREFilter* f = selected();
    return f && f->CanApply(picture);
}

void TAutoAdjustFilter::Apply(const TPictureEx& source, TPictureEx& destination, TRect& rect) {
    if (TGREFilter* f = selected()) return f->Apply(source, destination, rect);
    TGREFilter::Apply(source, destination, rect);
}

bool TAutoAdjustFilter::IsEffective() const {
    const TGREFilter* f = selected();
    return f && f->IsEffective();
}

void TAutoAdjustFilter::AssignSettings(const TImageFilter& source) {
    TGREFilter::AssignSettings(source);
    const auto& other = static_cast<const TAutoAdjustFilter&>(source);
    filterNo_ = other.filterNo_;  // copied directly; the sub-filters carry the change
    normalize_->Assign(*other.normalize_);
    exif_->Assign(*other.exif_);
    kvr_->Assign(*other.kvr_);
    Notify().Changed();
}
