#include "drawing/FaceObjects.h"

#include "drawing/DOList.h"
#include "drawing/DrawSite.h"
#include "drawing/Facets.h"
#include "platform/IntMath.h"

#include <algorithm>

namespace {

constexpr int kDesignLayer = -50;

// The face moved so that its outer rectangle starts at (0, 0).
TFaceInfo relativeFace(const TFaceInfo& face) {
    TFaceInfo rel = face;
    const TRect outer = face.OuterRect();
    rel.FaceRect = {face.FaceRect.Left - outer.Left, face.FaceRect.Top - outer.Top,
                    face.FaceRect.Right - outer.Left, face.FaceRect.Bottom - outer.Top};
    return rel;
}

}  // namespace

void RenderFaceObjects(const TFaceInfo& face, const TDOList& list, QImage& bitmap, int scale,
                       int dpi, const std::function<void(TDrawSite&)>& background) {
    if (dpi <= 0) dpi = ScreenDPI();
    scale = std::max(scale, 1);
    const TFaceInfo rel = relativeFace(face);
    const TRect outer = rel.OuterRect();
    const auto protector = ProtectBitmapCanvases();

    TDrawSite site;
    site.SetBorder(false);
    site.Scaler().SetUnitDPI(254);
    site.Scaler().SetScale(scale);
    site.SetLogSize(outer.Width(), outer.Height());
    if (background) site.OnPaint = [&background](TDrawSite* s) { background(*s); };

    const TRect device =
        site.Scaler().LogRectToDev(dpi, TRect{0, 0, outer.Width(), outer.Height()});
    bitmap =
        QImage(std::max(device.Width(), 1), std::max(device.Height(), 1), QImage::Format_RGB32);
    bitmap.fill(0xFFFFFFFF);
    platform::DeviceDescriptor target;
    target.dpiX = target.dpiY = dpi;
    TCanvas canvas(bitmap, target);

    for (TDrawObject* o : list) site.AddObject(*o);
    struct Detach {
        const TDOList& list;
        ~Detach() {
            for (TDrawObject* o : list) o->SetParent(nullptr);
        }
    } detach{list};
    site.DrawTo(canvas, {0, 0}, scale);

    // Everything outside the face's shape takes the canvas's brush colour.
    TCanvasSaver saver(canvas, true);
    site.Scaler().PrepareCanvas(canvas);
    const QRegion inside = rel.Region(&canvas, true);
    canvas.setMapping(platform::Mapping{});
    canvas.fillRegion(QRegion(bitmap.rect()).subtracted(inside), canvas.tools().brush);
}

QImage RenderFaceObjects(const TFaceInfo& face, const TDOList& list, QSize size) {
    int scale = 100;
    if (!size.isEmpty()) {
        TScaler s;
        s.SetUnitDPI(254);
        const TRect outer = face.OuterRect();
        const TRect d = s.LogRectToDev(ScreenDPI(), TRect{0, 0, outer.Width(), outer.Height()});
        if (d.Width() > 0 && d.Height() > 0)
            scale = std::min({100, platform::mulDiv(100, size.width(), d.Width()),
                              platform::mulDiv(100, size.height(), d.Height())});
    }
    QImage image;
    RenderFaceObjects(face, list, image, std::max(scale, 1));
    return image;
}

void TurnFaceObjects(const TDOList& list, const TFaceTurn& faces, bool faceRelative) {
    const TRect& F = faces.Face;
    const TRect& G = faces.Toggled;
    for (TDrawObject* o : list) {
        if (auto* e = QueryFacet<IDOEncloseBounds>(o)) {
            if (faceRelative) e->OffsetBy(F.Left, F.Top);
            const TRect b = e->GetBounds();
            const std::int64_t L = b.Left, T = b.Top, R = b.Right, B = b.Bottom;
            // Divisions truncate towards zero.
            const std::int64_t dx =
                ((T + B) - (L + R) - 2 * std::int64_t(F.Top) + (std::int64_t(F.Left) + F.Right) +
                 (std::int64_t(G.Top) - G.Bottom) + 1) /
                2;
            const std::int64_t dy = ((std::int64_t(F.Top) + F.Bottom) + 2 * std::int64_t(F.Left) -
                                     (L + R) - (T + B) + (std::int64_t(G.Right) - G.Left) + 1) /
                                    2;
            e->OffsetBy(int(dx), int(dy));
            if (faceRelative) e->OffsetBy(-F.Left, -F.Top);
        }
        if (auto* r = QueryFacet<IDORotate>(o)) r->SetAngle((r->Angle() - 90) % 360);
    }
}

void MirrorFaceObjects(const TDOList& list, const TRect& face, bool landscape) {
    for (TDrawObject* o : list) {
        auto* e = QueryFacet<IDOEncloseBounds>(o);
        if (!e) continue;
        const TRect b = e->GetBounds();
        if (landscape)
            e->OffsetBy(0, face.Height() - (b.Top + b.Bottom));
        else
            e->OffsetBy(face.Width() - (b.Left + b.Right), 0);
    }
}

void LoadDesignObjects(TDrawSite& site, std::vector<std::unique_ptr<TDrawObject>> objects,
                       const std::optional<TFaceTurn>& landscape) {
    site.DestroyOwnedComponents();
    if (landscape) {
        TDOList list;
        for (const auto& o : objects) list.Add(o.get());
        TurnFaceObjects(list, *landscape, true);
    }
    for (auto& o : objects) site.InsertObject(std::move(o));
    for (int i = 0; i < site.ControlCount(); ++i)
        if (auto* o = dynamic_cast<TDrawObject*>(site.Controls(i));
            o && o->LayerGroup() == kDesignLayer) {
            o->SetEnabled(false);
            o->SetSelectable(false);
        }
}
