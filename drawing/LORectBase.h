#pragma once
// TLORectBase: a layout object whose geometry is a logical rectangle, kept normalised and
// stored as Left, Top, Width and Height.

#include "drawing/LabelObject.h"

class TLORectBase : public TLabelObject,
                    public IDOBounds,
                    public IDOEncloseBounds,
                    public IDOLogicalRect,
                    public IDOPaint {
    VELLUMO_PERSISTENT(TLORectBase, TLabelObject)
public:
    explicit TLORectBase(TComponent* owner = nullptr);

    static void DeclareProperties(PropertyBuilder<TLORectBase>& p);

    // Left and Top move the rectangle, Width and Height keep its left and top; all end in
    // SetLogBounds.
    int Left() const override { return rect_.Left; }
    void SetLeft(int value) override;
    int Top() const override { return rect_.Top; }
    void SetTop(int value) override;
    int Width() const override { return width(); }
    void SetWidth(int value) override;
    int Height() const override { return height(); }
    void SetHeight(int value) override;
    TRect LogBounds() const override { return rect_; }

    // Resizes so that the enclosing bounds get this size; each type knows how.
    void SetEnclosingSize(int width, int height) override = 0;
    // The outline for interactive feedback.
    void DrawOutline(TCanvas& canvas) override = 0;
    // True for types whose interactive resizing keeps their proportions.
    bool KeepAspect() const override { return false; }
    // Normalises `rect`; when it differs from the stored one, stores it, lets the site
    // recompute the control rectangle and reports the change.
    virtual void SetLogBounds(const TRect& rect);

    void OffsetBy(int dx, int dy) override;
    // 1 inside the rectangle (right and bottom edges excluded), else 0.
    int HitTest(QPoint logical) override;
    TRect GetBounds() const override { return rect_; }
    void PaintTo(TCanvas& canvas) override { TLabelObject::PaintTo(canvas); }

    void* QueryFacet(const QUuid& id) override;

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    // Sizes of the stored rectangle, wrapped to 32 bits for extreme stored edges.
    int width() const;
    int height() const;

    TRect rect_;
};
