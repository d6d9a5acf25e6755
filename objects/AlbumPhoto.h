#pragma once
// TLOAlbumPhoto: the photo slot of an album page. It shows its source photo corrected,
// cropped or fitted, turned to suit the slot, optionally stamped with its date, under a
// decorative frame and over a drop shadow. The photo and the shadow are parts of their
// own (TLOPhotoImage, TLOAlbumShade) whose geometry follows the slot; the photo shown is a
// cache rebuilt after any change of its inputs, at the display limit on screen and at the
// print limit once the copy being printed is switched to print rendering.

#include "document/stream/Extended80.h"
#include "document/stream/Font.h"
#include "imaging/filters/GREFilters.h"
#include "objects/AlphaMaskObject.h"
#include "objects/ImageObject.h"
#include "objects/PhotoImageData.h"

#include <memory>
#include <vector>

class TLOPhotoImage : public TLOWizardImage {
    VELLUMO_PERSISTENT(TLOPhotoImage, TLOWizardImage)
public:
    explicit TLOPhotoImage(TComponent* owner = nullptr) : TLOWizardImage(owner) {}
};

class TLOAlbumShade : public TLOAlphaMask {
    VELLUMO_PERSISTENT(TLOAlbumShade, TLOAlphaMask)
public:
    explicit TLOAlbumShade(TComponent* owner = nullptr) : TLOAlphaMask(owner) {}
};

class TLOAlbumPhoto : public TLORectBase, public IDORotate {
    VELLUMO_PERSISTENT(TLOAlbumPhoto, TLORectBase)
public:
    explicit TLOAlbumPhoto(TComponent* owner = nullptr);
    ~TLOAlbumPhoto() override;

    static void DeclareProperties(PropertyBuilder<TLOAlbumPhoto>& p);

    // --- stored state ---
    TPhotoImageData* PhotoImageObj() const { return source_.get(); }
    void SetPhotoImageObj(const TImageData* data);
    TImageSource ImageSource() const { return image_->ImageSource(); }
    void SetImageSource(TImageSource value) { image_->SetImageSource(value); }
    bool AlphaFrame() const { return image_->AlphaFrame(); }
    void SetAlphaFrame(bool value);
    TPictureEx* FramePicture() const { return image_->FramePicture(); }
    bool Shadow() const { return shadow_; }
    void SetShadow(bool value);
    int ShadowX() const { return shadowX_; }
    void SetShadowX(int value);
    int ShadowY() const { return shadowY_; }
    void SetShadowY(int value);
    TColor ShadowColor() const { return shade_->FillColor()->Color(); }
    void SetShadowColor(TColor value);
    TPictureEx* ShadowPicture() const { return shadowPicture_.get(); }
    bool ShadowShade() const { return shadowShade_; }
    void SetShadowShade(bool value);
    bool FitOuter() const { return fitOuter_; }
    void SetFitOuter(bool value);
    bool FrameFitPhoto() const { return frameFitPhoto_; }
    void SetFrameFitPhoto(bool value);
    bool DisplayDate() const { return displayDate_; }
    void SetDisplayDate(bool value);
    const QString& DateFormat() const { return dateFormat_; }
    void SetDateFormat(const QString& value);
    TFont* DateFont() const { return dateFont_.get(); }
    TAutoAdjustFilter* NormalizeFilter() const { return normalize_.get(); }
    int PhotoAngle() const { return photoAngle_; }
    void SetPhotoAngle(int value);
    // Days since 1899-12-30; the stored value is kept bit for bit.
    double PhotoDate() const { return photoDate_.toDouble(); }
    void SetPhotoDate(double value);
    Extended80 StoredPhotoDate() const { return photoDate_; }
    void SetStoredPhotoDate(const Extended80& value);
    int Angle() const override { return angle_; }
    void SetAngle(int degrees) override;

    // --- parts (never stored on their own) ---
    TLOPhotoImage& PhotoImage() const { return *image_; }
    TLOAlbumShade& Shade() const { return *shade_; }

    // The frame is empty: no source picture, or one that reports itself empty.
    bool IsEmptyFrame() const { return source_->Picture()->Empty(); }
    // The orientation the displayed photo gets: 0, 90, 180 or 270.
    int Orientation() const;
    // The shadow offset in logical units (64-bit arithmetic, then clamped).
    QPoint ShadowOffset() const;
    // Builds the displayed photo and lays out the parts when it is missing.
    void EnsureDisplayed();
    // How many times the displayed photo was built (for measurements).
    int DisplayedBuilds() const { return displayedBuilds_; }
    // The source photo processed, with or without the normalise filter.
    void CorrectedPhoto(TPictureEx& result, bool withNormalize, bool fromCopy);
    // Width and height become the logical size of the source picture.
    void FitToPhoto();

    // --- draw object ---
    void Paint() override;
    bool NeedsBlend() override;
    void PaintAlphaMask(TAlphaMask& mask) override;
    void Notify(TPersistent* sender, const QUuid& aspect) override;
    TRect GetBounds() const override;
    void SetEnclosingSize(int width, int height) override;
    void DrawOutline(TCanvas& canvas) override;
    bool KeepAspect() const override { return true; }
    void SetLogBounds(const TRect& rect) override;
    void* QueryFacet(const QUuid& id) override;
    void AfterLoad() override;

    // Empties the displayed photo (not while loading or being destroyed).
    void DiscardDisplayed();
    // Places the photo image and the shadow for the slot and the displayed photo.
    void LayOut();

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    void chooseShadowMask();
    void contentChanged();

    std::unique_ptr<TPhotoImageData> source_;
    std::unique_ptr<TLOPhotoImage> image_;
    std::unique_ptr<TLOAlbumShade> shade_;
    std::unique_ptr<TPictureEx> shadowPicture_;
    std::unique_ptr<TFont> dateFont_;
    std::unique_ptr<TAutoAdjustFilter> normalize_;
    bool shadow_ = false;
    int shadowX_ = 3, shadowY_ = 3;
    bool shadowShade_ = false;
    bool fitOuter_ = false;
    bool frameFitPhoto_ = false;
    bool displayDate_ = false;
    QString dateFormat_;
    int photoAngle_ = 0;
    Extended80 photoDate_;
    int angle_ = 0;
    bool destroying_ = false;
    bool building_ = false;
    int displayedBuilds_ = 0;
};

// Switches every album photo of `objects` to print rendering; photos without a picture
// are made invisible.
void SwitchToPrintRendering(const std::vector<TDrawObject*>& objects);

void RegisterAlbumPhotoClasses();
