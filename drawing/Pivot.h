#pragma once
// Handles shown around selected objects on a draw site. A press on a handle goes to the
// site as a press on its object with the handle's hit code. Handles never paint by
// inverting, so they show the same on every background.

#include "drawing/DrawObjectRef.h"

class TPivot : public TLightControl {
public:
    TPivot(TDrawObject* object, int hitCode, Qt::CursorShape cursor);

    TDrawObject* Object() const { return object_.Get(); }
    int HitCode() const { return hitCode_; }
    // The side of the square in pixels.
    virtual int Size() const { return 5; }
    // The handle's cursor; the default cursor while its object is locked.
    Qt::CursorShape Cursor() const override;

    // Black frame, white fill.
    std::optional<QString> PaintControl(TCanvas& canvas) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                   bool doubleClick) override;

protected:
    void PaintPlain(TCanvas& canvas);
    bool ObjectMovable() const;

private:
    TDrawObjectRef<> object_;
    int hitCode_;
};

// The handle of label objects: white frame on black while its object is movable, the
// plain look while it is locked.
class TLabelPivot : public TPivot {
public:
    using TPivot::TPivot;
    int Size() const override { return 6; }
    std::optional<QString> PaintControl(TCanvas& canvas) override;
};
