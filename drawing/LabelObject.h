#pragma once
// TLabelObject: the base of every layout object. Adds the print and blend settings and
// hands interactive editing (handles, drags, double clicks) to the designers through the
// object's site.

#include "drawing/DrawObject.h"

class TLabelObject : public TDrawObject, public IDOBlend {
    VELLUMO_PERSISTENT(TLabelObject, TDrawObject)
public:
    explicit TLabelObject(TComponent* owner = nullptr);

    static void DeclareProperties(PropertyBuilder<TLabelObject>& p);

    // Shown on screen, skipped on printer canvases.
    bool DontPrint() const { return dontPrint_; }
    void SetDontPrint(bool value);
    // IDOBlend: the class implements it; the types that blend answer it in QueryFacet.
    int BlendRatio() const override { return blendRatio_; }
    void SetBlendRatio(int value) override;
    bool BlendShade() const override { return blendShade_; }
    void SetBlendShade(bool value) override;

    void SetMovable(bool value) override;
    void PaintTo(TCanvas& canvas) override;
    void CreatePivots() override;
    void BeginDrag(int hitCode) override;

    // Not hit while an interactive operation runs, so that the site gets the mouse.
    int ControlHitTest(QPoint pos) override;
    void MouseMove(Qt::KeyboardModifiers shift, QPoint pos) override;
    void DblClick() override;

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    bool dontPrint_ = false;
    int blendRatio_ = 100;
    bool blendShade_ = false;
};
