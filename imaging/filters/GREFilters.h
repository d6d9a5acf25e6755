#pragma once
// The correction filters: blur or sharpen, brightness and contrast, one-hue toning and
// the automatic corrections of photos. Their settings are stored with the picture; the
// pixel work is done by the effects of Effects.h.

#include "imaging/filters/Effects.h"
#include "imaging/filters/ImageFilter.h"

#include <memory>

class TGREFilter : public TImageFilter {
    VELLUMO_PERSISTENT(TGREFilter, TImageFilter)
public:
    // Bitmaps and JPEG pictures.
    bool CanApply(const TPictureEx& picture) const override;
    // Runs the effect over the whole source converted to 24 bits per pixel; without an
    // effect the destination becomes a copy of the source.
    void Apply(const TPictureEx& source, TPictureEx& destination, TRect& rect) override;
    // The effect of the current settings (the caller owns it), or null when they do nothing.
    virtual std::unique_ptr<TGREffector> CreateEffect() const { return nullptr; }
};

// BlurCount > 0 blurs in that many passes; < 0 sharpens by its magnitude.
class TBlurFilter : public TGREFilter {
    VELLUMO_PERSISTENT(TBlurFilter, TGREFilter)
public:
    static void DeclareProperties(PropertyBuilder<TBlurFilter>& p);
    int BlurCount() const { return blurCount_; }
    void SetBlurCount(int value) { change(blurCount_, value); }
    bool IsEffective() const override { return blurCount_ != 0; }
    std::unique_ptr<TGREffector> CreateEffect() const override;

protected:
    void AssignSettings(const TImageFilter& source) override;

private:
    int blurCount_ = 0;
};

class TLightFilter : public TGREFilter {
    VELLUMO_PERSISTENT(TLightFilter, TGREFilter)
public:
    static void DeclareProperties(PropertyBuilder<TLightFilter>& p);
    int Contrast() const { return contrast_; }
    void SetContrast(int value) { change(contrast_, value); }
    int Brightness() const { return brightness_; }
    void SetBrightness(int value) { change(brightness_, value); }
    bool IsEffective() const override { return contrast_ != 0 || brightness_ != 0; }
    std::unique_ptr<TGREffector> CreateEffect() const override;

protected:
    void AssignSettings(const TImageFilter& source) override;

private:
    int contrast_ = 0;
    int brightness_ = 0;
};

// Tones the picture to the hue of RefColor; clNone leaves it alone.
class TMonotoneFilter : public TGREFilter {
    VELLUMO_PERSISTENT(TMonotoneFilter, TGREFilter)
public:
    static void DeclareProperties(PropertyBuilder<TMonotoneFilter>& p);
    TColor RefColor() const { return refColor_; }
    void SetRefColor(TColor value) { change(refColor_, value); }
    bool IsEffective() const override { return refColor_ != clNone; }
    std::unique_ptr<TGREffector> CreateEffect() const override;

protected:
    void AssignSettings(const TImageFilter& source) override;

private:
    TColor refColor_ = clNone;
};

// The program's own normalisation of a photo.
class TAutoNormalizeFilter : public TGREFilter {
    VELLUMO_PERSISTENT(TAutoNormalizeFilter, TGREFilter)
public:
    static void DeclareProperties(PropertyBuilder<TAutoNormalizeFilter>& p);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { change(enabled_, value); }
    bool IsEffective() const override { return enabled_; }
    std::unique_ptr<TGREffector> CreateEffect() const override;

protected:
    void AssignSettings(const TImageFilter& source) override;

private:
    bool enabled_ = false;
};

// Correction through the colour-matching engine.
class TKVRNormalizeFilter : public TGREFilter {
    VELLUMO_PERSISTENT(TKVRNormalizeFilter, TGREFilter)
public:
    TKVRNormalizeFilter() = default;
    static void DeclareProperties(PropertyBuilder<TKVRNormalizeFilter>& p);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { change(enabled_, value); }
    bool UseKVR() const { return useKvr_; }
    void SetUseKVR(bool value) { change(useKvr_, value); }
    bool IsEffective() const override { return enabled_; }
    // Enabled, and the engine can correct the picture.
    bool IsEffectiveFor(const TPictureEx& picture) const;
    // JPEG pictures carrying the data of this filter's kind of correction.
    bool CanApply(const TPictureEx& picture) const override;
    // The engine's correction, or a copy of the source when it cannot correct.
    void Apply(const TPictureEx& source, TPictureEx& destination, TRect& rect) override;
    std::unique_ptr<TGREffector> CreateEffect() const override;

protected:
    explicit TKVRNormalizeFilter(bool useKvr) : useKvr_(useKvr) {}
    void AssignSettings(const TImageFilter& source) override;

private:
    bool enabled_ = false;
    bool useKvr_ = true;
};

// Exif Print correction through the same engine; new ones do not use the colour matching.
class TOrvexExifNormalizeFilter : public TKVRNormalizeFilter {
    VELLUMO_PERSISTENT(TOrvexExifNormalizeFilter, TKVRNormalizeFilter)
public:
    TOrvexExifNormalizeFilter() : TKVRNormalizeFilter(false) {}
};

class TExifFilter : public TOrvexExifNormalizeFilter {
    VELLUMO_PERSISTENT(TExifFilter, TOrvexExifNormalizeFilter)
};

// Selects one automatic correction: FilterNo 0 none, 1 the own normalisation, 2 Exif
// Print, 3 colour matching. Exactly the selected sub-filter is enabled.
class TAutoAdjustFilter : public TGREFilter {
    VELLUMO_PERSISTENT(TAutoAdjustFilter, TGREFilter)
public:
    TAutoAdjustFilter();
    ~TAutoAdjustFilter() override;
    static void DeclareProperties(PropertyBuilder<TAutoAdjustFilter>& p);
    int FilterNo() const { return filterNo_; }
    void SetFilterNo(int value);
    TAutoNormalizeFilter& Normalize() const { return *normalize_; }
    TExifFilter& Exif() const { return *exif_; }
    TKVRNormalizeFilter& Kvr() const { return *kvr_; }

    bool CanApply(const TPictureEx& picture) const override;
    bool IsEffective() const override;
    // Applies the selected sub-filter; a copy of the source when none is selected.
    void Apply(const TPictureEx& source, TPictureEx& destination, TRect& rect) override;

protected:
    void AssignSettings(const TImageFilter& source) override;

private:
    // The sub-filter FilterNo selects, or null (also for numbers outside 0..3).
    TGREFilter* selected() const;

    int filterNo_ = 0;
    std::unique_ptr<TAutoNormalizeFilter> normalize_;
    std::unique_ptr<TExifFilter> exif_;
    std::unique_ptr<TKVRNormalizeFilter> kvr_;
};
