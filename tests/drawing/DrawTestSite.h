#pragma once
// A minimal draw site for the draw-object tests: a picture with a canvas, a scaler of one
// logical unit per pixel, and a record of what the objects asked of it.

#include "drawing/LORectBase.h"
#include "drawing/ObjectSite.h"
#include "drawing/Scaler.h"
#include "platform/Exception.h"

#include <QImage>
#include <QStringList>

class TTestSite : public TObjectSite {
public:
    TTestSite() : image(200, 120, QImage::Format_RGB32), canvas(image) {
        scaler.SetUnitDPI(96);  // the canvas's resolution: logical units are pixels
        image.fill(0xFFFFFFFF);
    }

    // AddObject as a draw site does it: parent, control rectangle, place in its group.
    void Add(TDrawObject& o) {
        o.SetParent(this);
        UpdateObjectBounds(o);
        o.BringToFrontInGroup();
    }

    // A screen paint: white background, then the controls.
    void PaintScreen() {
        image.fill(0xFFFFFFFF);
        canvas.selectClip(std::nullopt);
        canvas.setMapping(platform::Mapping{});
        PaintControls(canvas);
    }

    const TScaler& Scaler() const override { return scaler; }
    QPoint DevToLog(QPoint p) const override { return scaler.DevToLog(canvas, p); }
    void UpdateObjectBounds(TDrawObject& o) override {
        TRect r = scaler.LogRectToDev(canvas, o.GetBounds());
        ++r.Right, ++r.Bottom;
        o.SetBounds(r);
    }
    void SetModified(bool value) override { modified = value; }
    void ObjectMouseDown(TDrawObject& o, Qt::MouseButton, Qt::KeyboardModifiers, QPoint pos,
                         int hit) override {
        presses << QStringLiteral("%1 %2,%3 %4").arg(o.Name()).arg(pos.x()).arg(pos.y()).arg(hit);
    }
    void ObjectMouseMove(Qt::KeyboardModifiers, QPoint pos) override { lastMove = pos; }
    bool GhostsActive() const override { return ghosts; }
    bool DesignerCreatePivots(TDrawObject&) override { return false; }
    bool DesignerBeginDrag(TDrawObject&, int) override { return false; }
    bool DesignerEditObject(TDrawObject&) override { return editResult; }
    void ClearGhost() override { ++clearGhosts; }
    void InvalidateRect(const TRect&) override { ++invalidations; }

    QImage image;
    TCanvas canvas;
    TScaler scaler;
    bool modified = false;
    bool ghosts = false;
    bool editResult = false;
    int clearGhosts = 0;
    int invalidations = 0;
    QStringList presses;
    QPoint lastMove;
    QStringList errors;    // reported after painting
    QStringList removing;  // names of controls as they left

protected:
    void ReportPaintErrors(const std::vector<std::pair<TLightControl*, QString>>& list) override {
        for (const auto& [control, message] : list) errors << control->Name() + ": " + message;
    }
    void ControlRemoving(TLightControl& c) override {
        const auto* o = dynamic_cast<const TDrawObject*>(&c);
        removing << (o ? c.Name() : QStringLiteral("?"));
    }
};

// A filled rectangle that can be made to fail, to blend, or to turn.
class TTestRect : public TLORectBase, public IDORotate {
    VELLUMO_PERSISTENT(TTestRect, TLORectBase)
public:
    TTestRect() = default;
    TTestRect(const QString& name, const TRect& r, TColor c = 0x0000FF) : color(c) {
        SetName(name);
        SetLogBounds(r);
    }
    static void DeclareProperties(PropertyBuilder<TTestRect>& p);

    void SetEnclosingSize(int w, int h) override {
        SetLogBounds({Left(), Top(), Left() + w, Top() + h});
    }
    void DrawOutline(TCanvas& c) override { c.rectangle(GetBounds()); }
    void Paint() override {
        ++paints;
        lastCanvas = &Canvas();
        if (fail) throw Exception(QStringLiteral("壊れています"));
        Canvas().fillRect(GetBounds(), platform::Brush{platform::BrushStyle::Solid, color, {}});
    }
    int Angle() const override { return angle; }
    void SetAngle(int degrees) override { angle = degrees; }
    void* QueryFacet(const QUuid& id) override {
        if (blends && id == IDOBlend::FacetId()) return static_cast<IDOBlend*>(this);
        if (id == IDORotate::FacetId()) return static_cast<IDORotate*>(this);
        return TLORectBase::QueryFacet(id);
    }

    TColor color = 0x0000FF;
    bool fail = false;
    bool blends = false;
    int angle = 0;
    int paints = 0;
    TCanvas* lastCanvas = nullptr;
};
