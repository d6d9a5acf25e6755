#pragma once
// TLOAlphaMask: a fill seen through a grey-level mask picture (white opaque, black
// transparent), with soft edges of ShadeSize mask pixels and rotation about its centre.

#include "drawing/LORectBase.h"
#include "imaging/color/ColorFill.h"
#include "imaging/picture/PictureEx.h"

#include <QImage>
#include <memory>

class TLOAlphaMask : public TLORectBase, public IDORotate {
    VELLUMO_PERSISTENT(TLOAlphaMask, TLORectBase)
public:
    // The largest soft edge accepted; larger stored values are cut to it.
    static constexpr int kMaxShadeSize = 1000;

    explicit TLOAlphaMask(TComponent* owner = nullptr);
    ~TLOAlphaMask() override;

    static void DeclareProperties(PropertyBuilder<TLOAlphaMask>& p);

    int Angle() const override { return angle_; }
    void SetAngle(int degrees) override;
    TColorSpec* FillColor() const { return fill_.get(); }
    void SetFillColor(const TColorSpec* spec) {
        if (spec) fill_->Assign(*spec);
    }
    TPictureEx* Picture() const { return picture_.get(); }
    void SetPicture(const TPictureEx* picture) {
        if (picture) picture_->Assign(*picture);
    }
    int ShadeSize() const { return shadeSize_; }
    // Negative sizes count as 0 and sizes beyond kMaxShadeSize as kMaxShadeSize: a stored
    // value must not ask for a mask of unbounded size.
    void SetShadeSize(int value);

    void Paint() override;
    bool NeedsBlend() override;
    void PaintAlphaMask(TAlphaMask& mask) override;
    void Notify(TPersistent* sender, const QUuid& aspect) override;
    int HitTest(QPoint logical) override;
    TRect GetBounds() const override;
    void SetEnclosingSize(int width, int height) override;
    void DrawOutline(TCanvas& canvas) override;
    void* QueryFacet(const QUuid& id) override;

    // The soft-edged, turned mask at its own pixel size (8-bit grey, 255 opaque); null
    // when the picture is empty. Kept until the picture, ShadeSize, angle or size change.
    const QImage& MaskImage();
    QSize NaturalSize();
    void FitToPicture();

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    void changedContent();

    int angle_ = 0;
    std::unique_ptr<TColorSpec> fill_;
    std::unique_ptr<TPictureEx> picture_;
    int shadeSize_ = 0;
    QImage mask_;
    QSize maskFor_;
};
