#pragma once
// TLOBackImage: the background of a face: a fill, an optional band of another fill along
// the face's outline, and an overlay fill blended in through a grey map, all clipped to
// the face's shape, with the centre hole of disc faces left white. It lies below every
// other object (layer group -100) and is never hit.

#include "drawing/LORectBase.h"
#include "imaging/FaceInfo.h"
#include "imaging/color/ColorFill.h"
#include "imaging/picture/PictureEx.h"

#include <memory>

class TLOBackImage : public TLORectBase {
    VELLUMO_PERSISTENT(TLOBackImage, TLORectBase)
public:
    explicit TLOBackImage(TComponent* owner = nullptr);
    ~TLOBackImage() override;

    static void DeclareProperties(PropertyBuilder<TLOBackImage>& p);

    TColorSpec* FillColor() const { return fill_.get(); }
    void SetFillColor(const TColorSpec* spec) { assignSpec(*fill_, spec); }
    TColorSpec* FrameColor() const { return frame_.get(); }
    void SetFrameColor(const TColorSpec* spec) { assignSpec(*frame_, spec); }
    int FrameWidth() const { return frameWidth_; }
    void SetFrameWidth(int value);
    TColorSpec* BlendColor() const { return blend_.get(); }
    void SetBlendColor(const TColorSpec* spec) { assignSpec(*blend_, spec); }
    TPictureEx* BlendPicture() const { return blendPicture_.get(); }
    void SetBlendPicture(const TPictureEx* picture) {
        if (picture) blendPicture_->Assign(*picture);
    }
    int BlendRatio() const override { return blendRatio_; }
    void SetBlendRatio(int value) override;
    // The bitmap picture of FillColor; asking for it makes FillColor a bitmap fill.
    TPictureEx* Image();

    // The outline of the face the background belongs to, in the face's logical units.
    const TFaceInfo& FaceInfo() const { return face_; }
    void SetFaceInfo(const TFaceInfo& face);

    // No band, a solid white fill and no overlay: such a background adds nothing to a face.
    bool IsBlank() const;

    void Paint() override;
    void Notify(TPersistent* sender, const QUuid& aspect) override;
    int HitTest(QPoint) override { return 0; }
    void SetEnclosingSize(int width, int height) override;
    void DrawOutline(TCanvas& canvas) override;

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    static void assignSpec(TColorSpec& held, const TColorSpec* spec) {
        if (spec) held.Assign(*spec);
    }
    void paintFill(TCanvas& canvas, const TRect& r);

    std::unique_ptr<TColorSpec> fill_, frame_, blend_;
    std::unique_ptr<TPictureEx> blendPicture_;
    int frameWidth_ = 0;
    int blendRatio_ = 100;
    TFaceInfo face_;
};
