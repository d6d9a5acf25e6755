#pragma once
// TLOImage: a picture on a face, with an optional decorative frame, transparency and
// rotation about the centre of its rectangle. Unrotated and unframed it draws its
// processed picture directly; otherwise it draws a composite (ImageComposite.h) that is
// built once per change of picture, frame, angle or size and reused by every paint,
// print band and alpha-mask pass. TLOWizardImage adds what the template wizard asks for.

#include "drawing/LORectBase.h"
#include "drawing/Transformer.h"
#include "imaging/picture/ImageData.h"
#include "imaging/picture/SafetyBitmap.h"
#include "objects/RotatedRect.h"

#include <QImage>
#include <memory>

enum TImageSource : int32_t { isFile, isOnePoint, isTwain, isPlugin };
const EnumType& imageSourceType();

class TLOImage : public TLORectBase, public IDORotate {
    VELLUMO_PERSISTENT(TLOImage, TLORectBase)
public:
    explicit TLOImage(TComponent* owner = nullptr);
    ~TLOImage() override;

    static void DeclareProperties(PropertyBuilder<TLOImage>& p);

    TImageData* ImageData() const { return imageData_.get(); }
    void SetImageData(const TImageData* data) {
        if (data) imageData_->Assign(*data);
    }
    TPictureEx* FramePicture() const { return frame_.get(); }
    void SetFramePicture(const TPictureEx* picture) {
        if (picture) frame_->Assign(*picture);
    }
    bool AlphaFrame() const { return alphaFrame_; }
    void SetAlphaFrame(bool value);
    int Angle() const override { return rotator_.Angle(); }
    void SetAngle(int degrees) override;
    TImageSource ImageSource() const { return imageSource_; }
    void SetImageSource(TImageSource value) { imageSource_ = value; }
    // The source picture of ImageData; reading or setting it marks the picture touched.
    TPictureEx* Picture();
    void SetPicture(const TPictureEx* picture);
    bool PictureTouched() const { return pictureTouched_; }

    // --- draw object ---
    void Paint() override;
    bool NeedsBlend() override;
    void PaintAlphaMask(TAlphaMask& mask) override;
    void Notify(TPersistent* sender, const QUuid& aspect) override;
    int HitTest(QPoint logical) override;
    TRect GetBounds() const override;
    void SetEnclosingSize(int width, int height) override;
    void DrawOutline(TCanvas& canvas) override;
    bool KeepAspect() const override { return true; }
    void SetLogBounds(const TRect& rect) override;
    void* QueryFacet(const QUuid& id) override;
    void AfterLoad() override;

    // Sets the size to the natural size of the processed picture.
    void FitToPicture();
    // The natural size: on a site the picture's logical size fitted inside a square of the
    // larger side of the current size; off a site the picture's logical size.
    QSize NaturalSize();
    // Fills the source picture from the clipboard's image; false when it holds none.
    bool PasteFromClipboard();

    // The composite as it is (null when not built), and built when needed.
    const TSafetyBitmap* Composite() const { return composite_.get(); }
    const TSafetyBitmap* EnsureComposite();
    // How many times the composite was built (for measurements).
    int CompositeBuilds() const { return compositeBuilds_; }

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    void discardComposite() {
        composite_.reset();
        compositeOpacity_ = frameOpacity_ = QImage();
    }
    void contentChanged();

    std::unique_ptr<TImageData> imageData_;
    std::unique_ptr<TPictureEx> frame_;
    bool alphaFrame_ = false;
    TRotator rotator_;
    TImageSource imageSource_ = isFile;
    std::unique_ptr<TSafetyBitmap> composite_;
    // What alpha-mask passes draw, kept with the composite: its opacity and the turned
    // opacity of an alpha frame.
    QImage compositeOpacity_, frameOpacity_;
    mutable bool pictureTouched_ = false;
    bool building_ = false;
    int compositeBuilds_ = 0;
};

// An image object the template wizard may ask the user for; stored image objects are read
// as this class.
class TLOWizardImage : public TLOImage {
    VELLUMO_PERSISTENT(TLOWizardImage, TLOImage)
public:
    explicit TLOWizardImage(TComponent* owner = nullptr) : TLOImage(owner) {}
    static void DeclareProperties(PropertyBuilder<TLOWizardImage>& p);

    bool wizInputEnable() const { return wizInputEnable_; }
    void SetwizInputEnable(bool value) { wizInputEnable_ = value; }
    const QString& wizInputCaption() const { return wizInputCaption_; }
    void SetwizInputCaption(const QString& value) { wizInputCaption_ = value; }

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    bool wizInputEnable_ = false;
    QString wizInputCaption_;
};
