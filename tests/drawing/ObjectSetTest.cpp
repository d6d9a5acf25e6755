// Object-set utilities and the face-object transforms.

#include "drawing/DOList.h"
#include "drawing/DrawSite.h"
#include "drawing/FaceObjects.h"
#include "drawing/ObjectSetUtils.h"
#include "tests/drawing/DrawTestSite.h"

#include <gtest/gtest.h>

namespace {

// A rectangle that keeps its proportions when resized interactively.
class TAspectRect : public TTestRect {
public:
    using TTestRect::TTestRect;
    bool KeepAspect() const override { return true; }
};

QPoint centre(const TRect& r) {
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

}  // namespace

TEST(ObjectSet, KeepInsideAndScale) {
    TTestRect a("A", {-100, 50, -60, 90});   // centre far left
    TTestRect b("B", {500, 500, 540, 520});  // inside
    TDOList list;
    list.Add(&a);
    list.Add(&b);
    KeepInside(list, {0, 0, 1000, 1000});
    EXPECT_EQ(centre(a.GetBounds()), QPoint(10, 70));
    EXPECT_EQ(b.GetBounds(), (TRect{500, 500, 540, 520}));

    TTestRect c("C", {100, 100, 200, 150});
    TDOList one;
    one.Add(&c);
    ScaleObjects(one, {0, 0, 1000, 1000}, {0, 0, 1000, 1000});
    EXPECT_EQ(c.GetBounds(), (TRect{100, 100, 200, 150}));
    ScaleObjects(one, {100, 100, 300, 200}, {1000, 2000, 1400, 2100});
    EXPECT_EQ(c.GetBounds(), (TRect{1000, 2000, 1200, 2050}));
    // A rectangle without height gives no proportion: moved, sizes left alone.
    ScaleObjects(one, {1000, 2000, 1400, 2000}, {0, 0, 50, 50});
    EXPECT_EQ(c.GetBounds(), (TRect{0, 0, 200, 50}));
    ScaleObjects(one, {0, 0, 0, 0}, {10, 10, 10, 10});
    EXPECT_EQ(c.GetBounds(), (TRect{10, 10, 210, 60}));
}

TEST(ObjectSet, InitialImageSizeAndFitNewObject) {
    EXPECT_EQ(InitialImageSize({180, 360}), QSize(254, 508));
    EXPECT_EQ(InitialImageSize({10, 0}), QSize(30, 30));

    TDrawSite site;
    site.Scaler().SetUnitDPI(254);
    site.SetLogSize(1000, 500);
    TAspectRect wide("W", {0, 0, 4000, 1000});
    FitNewObject(wide, site);
    EXPECT_EQ(wide.GetBounds().Width(), 1000);
    EXPECT_EQ(wide.GetBounds().Height(), 250);
    const QPoint siteCentre = site.DevToLog({site.Width() / 2, site.Height() / 2});
    EXPECT_LE((centre(wide.GetBounds()) - siteCentre).manhattanLength(), 2);

    TTestRect tall("T", {0, 0, 300, 2000});
    FitNewObject(tall, site);
    EXPECT_EQ(tall.GetBounds().Width(), 300);  // clamped, not proportional
    EXPECT_EQ(tall.GetBounds().Height(), 500);

    TTestRect small("S", {0, 0, 100, 100});
    FitNewObject(small, site);
    EXPECT_EQ(small.GetBounds().Width(), 100);
    EXPECT_LE((centre(small.GetBounds()) - siteCentre).manhattanLength(), 2);
}

TEST(FaceObjects, TurnAndMirror) {
    // A portrait face 100 x 200 at (1000, 2000); the toggled orientation 200 x 100.
    const TFaceTurn faces{{1000, 2000, 1100, 2200}, {2000, 1000, 2200, 1100}};
    TTestRect a("A", {10, 20, 30, 40});  // face-relative, centre (20, 30)
    a.angle = 0;
    TDOList list;
    list.Add(&a);
    TurnFaceObjects(list, faces, true);
    // The centre (u, v) goes to (v, face height - u); the angle turns back a quarter.
    EXPECT_EQ(centre(a.GetBounds()), QPoint(30, 180));
    EXPECT_EQ(a.angle, -90);
    EXPECT_EQ(a.GetBounds().Width(), 20);
    a.angle = 450;
    TurnFaceObjects(list, faces, true);
    EXPECT_EQ(a.angle, 0);

    TTestRect m("M", {10, 20, 30, 40});
    TDOList ml;
    ml.Add(&m);
    MirrorFaceObjects(ml, {0, 0, 100, 200}, false);
    EXPECT_EQ(m.GetBounds(), (TRect{70, 20, 90, 40}));
    MirrorFaceObjects(ml, {0, 0, 100, 200}, true);
    EXPECT_EQ(m.GetBounds(), (TRect{70, 160, 90, 180}));
}

TEST(FaceObjects, LoadDesignObjects) {
    TDrawSite site;
    site.Scaler().SetUnitDPI(254);
    site.SetLogSize(1000, 1000);
    site.InsertObject(std::make_unique<TTestRect>("Old", TRect{0, 0, 10, 10}));
    std::vector<std::unique_ptr<TDrawObject>> design;
    design.push_back(std::make_unique<TTestRect>("Pattern", TRect{0, 0, 100, 100}));
    design.back()->SetLayerGroup(-50);
    design.push_back(std::make_unique<TTestRect>("Mine", TRect{10, 20, 30, 40}));
    LoadDesignObjects(site, std::move(design), TFaceTurn{{0, 0, 100, 200}, {0, 0, 200, 100}});
    ASSERT_EQ(site.ComponentCount(), 2);
    auto* pattern = dynamic_cast<TDrawObject*>(site.FindComponent(u"Pattern"));
    auto* mine = dynamic_cast<TDrawObject*>(site.FindComponent(u"Mine"));
    ASSERT_TRUE(pattern && mine);
    EXPECT_EQ(site.FindComponent(u"Old"), nullptr);
    EXPECT_FALSE(pattern->Enabled());
    EXPECT_FALSE(pattern->Selectable());
    EXPECT_TRUE(mine->Selectable());
    EXPECT_EQ(site.IndexOfControl(pattern), 0);
    EXPECT_EQ(centre(mine->GetBounds()), QPoint(30, 180));  // turned
}

TEST(FaceObjects, RenderClipsToTheFaceShapeAtAnyResolution) {
    TFaceInfo face;
    face.FaceRect = {500, 700, 1500, 1700};  // 1000 x 1000 in the paper
    face.FaceShape = fsDoughnut;
    face.SetSquareHole(200);
    TTestRect fill("Fill", {0, 0, 1000, 1000});
    TTestRect spot("Spot", {100, 450, 200, 550}, 0x00FF00);
    TDOList list;
    list.Add(&fill);
    list.Add(&spot);
    for (int dpi : {96, 600}) {
        QImage image;
        RenderFaceObjects(face, list, image, 100, dpi);
        TScaler s;
        s.SetUnitDPI(254);
        const TRect full = s.LogRectToDev(dpi, TRect{0, 0, 1000, 1000});
        ASSERT_EQ(image.size(), QSize(full.Width(), full.Height())) << dpi;
        const auto px = [&](int x, int y) {
            const QPoint d = s.LogToDev(TCanvas(image, {dpi, dpi}), {x, y});
            return image.pixel(d);
        };
        EXPECT_EQ(px(300, 300), 0xFFFF0000u) << dpi;  // inside the disc
        EXPECT_EQ(px(20, 20), 0xFFFFFFFFu) << dpi;    // the corner outside the disc
        EXPECT_EQ(px(500, 500), 0xFFFFFFFFu) << dpi;  // the hole
        EXPECT_EQ(px(150, 500), 0xFF00FF00u) << dpi;
        EXPECT_EQ(px(250, 500), 0xFFFF0000u) << dpi;
    }
    EXPECT_EQ(fill.Parent(), nullptr);  // the objects left the rendering site

    // A requested size chooses the scale, at most 100.
    const QImage small = RenderFaceObjects(face, list, QSize(50, 50));
    EXPECT_LE(small.width(), 51);
    EXPECT_GE(small.width(), 45);
    const QImage big = RenderFaceObjects(face, list, QSize(100000, 100000));
    TScaler s;
    s.SetUnitDPI(254);
    EXPECT_EQ(big.width(), s.LogRectToDev(ScreenDPI(), TRect{0, 0, 1000, 1000}).Width());
}
