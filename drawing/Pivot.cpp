#include "drawing/Pivot.h"

#include "drawing/ObjectSite.h"

TPivot::TPivot(TDrawObject* object, int hitCode, Qt::CursorShape cursor)
    : object_(object), hitCode_(hitCode) {
    SetCursor(cursor);
}

bool TPivot::ObjectMovable() const {
    const TDrawObject* o = object_.Get();
    return o && o->Movable();
}

Qt::CursorShape TPivot::Cursor() const {
    return ObjectMovable() ? TLightControl::Cursor() : Qt::ArrowCursor;
}

void TPivot::PaintPlain(TCanvas& canvas) {
    canvas.tools().pen = platform::Pen{platform::PenStyle::Solid, 1, clBlack};
    canvas.tools().brush = platform::Brush{platform::BrushStyle::Solid, clWhite, {}};
    canvas.rectangle(BoundsRect());
}

std::optional<QString> TPivot::PaintControl(TCanvas& canvas) {
    PaintPlain(canvas);
    return std::nullopt;
}

void TPivot::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos, bool) {
    TDrawObject* o = object_.Get();
    auto* site = dynamic_cast<TObjectSite*>(Parent());
    if (o && site)
        site->ObjectMouseDown(*o, button, shift, pos + QPoint(ControlLeft(), ControlTop()),
                              hitCode_);
}

std::optional<QString> TLabelPivot::PaintControl(TCanvas& canvas) {
    if (!ObjectMovable()) return TPivot::PaintControl(canvas);
    canvas.tools().pen = platform::Pen{platform::PenStyle::Solid, 1, clWhite};
    canvas.tools().brush = platform::Brush{platform::BrushStyle::Solid, clBlack, {}};
    canvas.rectangle(BoundsRect());
    return std::nullopt;
}
