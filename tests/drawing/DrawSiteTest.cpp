// The widget-free draw site: sizes and scales, objects and their order, selection, handles,
// notifications, painting on screen and on other canvases, and streaming.

#include "document/stream/ClassRegistry.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawSite.h"
#include "drawing/DrawSiteHost.h"
#include "tests/drawing/DrawTestSite.h"
#include "tests/drawing/SiteTestDesigner.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb kRed = 0xFFFF0000;  // TTestRect's default colour 0x0000FF
constexpr QRgb kWhite = 0xFFFFFFFF;

std::unique_ptr<TDrawSite> makeSite(int w = 1000, int h = 500) {
    auto site = std::make_unique<TDrawSite>();
    site->Scaler().SetUnitDPI(254);
    site->SetLogSize(w, h);
    return site;
}

TTestRect* addRect(TDrawSite& site, const QString& name, const TRect& r, TColor c = 0x0000FF) {
    return static_cast<TTestRect*>(site.InsertObject(std::make_unique<TTestRect>(name, r, c)));
}

TRect expectedControlRect(const TDrawSite& site, const TRect& logical) {
    TRect r = site.Scaler().LogRectToDev(ScreenDPI(), logical);
    ++r.Right, ++r.Bottom;
    return r;
}

}  // namespace

TEST(DrawSite, SizeFollowsLogicalSizeAndScale) {
    auto site = makeSite(2540, 1270);  // 10 x 5 inches
    int changes = 0;
    site->OnScalerChanged = [&](TDrawSite*) { ++changes; };
    EXPECT_EQ(site->ClientSize(), QSize(10 * ScreenDPI(), 5 * ScreenDPI()));
    TTestRect* a = addRect(*site, "A", {254, 254, 508, 381});
    EXPECT_EQ(a->BoundsRect(), expectedControlRect(*site, a->GetBounds()));

    site->Scaler().SetScale(50);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(site->ClientSize(), QSize(5 * ScreenDPI(), ScreenDPI() * 5 / 2));
    EXPECT_EQ(a->BoundsRect(), expectedControlRect(*site, a->GetBounds()));
    EXPECT_EQ(site->LogClientRect().Right, 2540);

    site->SetLogSize(2540, 1270);  // unchanged: no rescale
    EXPECT_EQ(changes, 1);
}

TEST(DrawSite, DrawToKeepsSizeAndControlRectangles) {
    auto site = makeSite(1000, 500);
    TTestRect* a = addRect(*site, "A", {100, 100, 300, 200});
    addRect(*site, "B", {500, 100, 600, 200}, 0x00FF00);
    const QSize size = site->ClientSize();
    const TRect bounds = a->BoundsRect();
    int rescales = 0;
    site->OnScalerChanged = [&](TDrawSite*) { ++rescales; };
    std::vector<int> progress;
    site->OnDrawToProgress = [&](TDrawSite* s, int i) {
        progress.push_back(i);
        EXPECT_EQ(s->Scaler().Scale(), 50);
    };

    QImage image(800, 400, QImage::Format_RGB32);
    image.fill(kWhite);
    platform::DeviceDescriptor dev;
    dev.dpiX = dev.dpiY = 254;  // one logical unit per pixel at scale 100
    TCanvas canvas(image, dev);
    site->DrawTo(canvas, {10, 20}, 50);

    EXPECT_EQ(rescales, 0);
    EXPECT_EQ(site->ClientSize(), size);
    EXPECT_EQ(a->BoundsRect(), bounds);
    EXPECT_EQ(site->Scaler().Scale(), 100);
    EXPECT_FALSE(site->PaintingCopy());
    EXPECT_EQ(progress, (std::vector<int>{0, 1}));
    // At scale 50 one logical unit is half a pixel, moved by the offset.
    EXPECT_EQ(image.pixel(10 + 50 + 2, 20 + 50 + 2), kRed);
    EXPECT_EQ(image.pixel(10 + 150 - 2, 20 + 100 - 2), kRed);
    EXPECT_EQ(image.pixel(10 + 150 + 2, 20 + 75), kWhite);
    EXPECT_EQ(image.pixel(10 + 275, 20 + 75), 0xFF00FF00u);
    EXPECT_EQ(canvas.mapping(), platform::Mapping{});  // the canvas state comes back

    // An error while drawing a copy passes on after the site's state is restored.
    a->fail = true;
    site->OnDrawToProgress = nullptr;
    EXPECT_THROW(site->DrawTo(canvas, {0, 0}, 25), Exception);
    EXPECT_EQ(site->Scaler().Scale(), 100);
    EXPECT_FALSE(site->PaintingCopy());
    EXPECT_EQ(canvas.mapping(), platform::Mapping{});
    site->Scaler().SetScale(200);  // rescaling works again afterwards
    EXPECT_EQ(site->ClientSize(), size * 2);
}

TEST(DrawSite, DrawToReportsProgressPerChildAndPlacesPixelsAtAnyResolution) {
    auto site = makeSite(1000, 500);
    site->SetBorder(false);
    addRect(*site, "A", {100, 100, 300, 200});
    addRect(*site, "B", {150, 150, 400, 300}, 0x00FF00);
    std::vector<int> progress;
    site->OnDrawToProgress = [&](TDrawSite*, int i) { progress.push_back(i); };
    for (int dpi : {96, 600}) {
        progress.clear();
        const TRect full = site->Scaler().LogRectToDev(dpi, TRect{0, 0, 1000, 500});
        QImage image(full.Width(), full.Height(), QImage::Format_RGB32);
        image.fill(kWhite);
        platform::DeviceDescriptor dev;
        dev.dpiX = dev.dpiY = dpi;
        TCanvas canvas(image, dev);
        site->DrawTo(canvas, {0, 0}, 100);
        EXPECT_EQ(progress, (std::vector<int>{0, 1}));
        const TRect a = site->Scaler().LogRectToDev(dpi, TRect{100, 100, 300, 200});
        const TRect b = site->Scaler().LogRectToDev(dpi, TRect{150, 150, 400, 300});
        EXPECT_EQ(image.pixel(a.Left + 1, a.Top + 1), kRed) << dpi;
        EXPECT_EQ(image.pixel(a.Left - 2, a.Top + 1), kWhite) << dpi;
        EXPECT_EQ(image.pixel(b.Right - 2, b.Bottom - 2), 0xFF00FF00u) << dpi;
        EXPECT_EQ(image.pixel(b.Left + 1, b.Top + 1), 0xFF00FF00u) << dpi;  // B is on top
        EXPECT_EQ(image.pixel(b.Right + 1, b.Bottom + 1), kWhite) << dpi;
    }
}

TEST(DrawSite, ObjectsOrderHitTestingAndSelection) {
    auto site = makeSite();
    TTestRect* low = addRect(*site, "Low", {100, 100, 300, 300});
    TTestRect* high = addRect(*site, "High", {200, 200, 400, 400});
    TTestRect* under = static_cast<TTestRect*>(site->InsertObject([] {
        auto r = std::make_unique<TTestRect>("Under", TRect{250, 250, 260, 260});
        r->SetLayerGroup(-50);
        return r;
    }()));
    EXPECT_EQ(site->IndexOfControl(under), 0);  // a lower layer group stays below
    EXPECT_EQ(site->ObjectAt({250, 250}), high);
    EXPECT_EQ(site->ObjectAt({150, 150}), low);
    EXPECT_EQ(site->ObjectAt({900, 450}), nullptr);

    TDOList all;
    site->CollectObjects(all, false);
    ASSERT_EQ(all.Count(), 3);
    EXPECT_EQ(all[0], high);  // from the topmost down
    EXPECT_EQ(all[2], under);

    // A band that only touches Low's control rectangle does not select it.
    const TRect lowRect = low->BoundsRect();
    site->SelectInRect({lowRect.Left, lowRect.Top, lowRect.Right - 1, lowRect.Bottom});
    EXPECT_FALSE(low->Selected());
    site->SelectInRect(lowRect);
    EXPECT_TRUE(low->Selected());
    EXPECT_FALSE(high->Selected());

    site->SelectAll(true);
    TDOList selected;
    site->CollectObjects(selected, true);
    EXPECT_EQ(selected.Count(), 3);
    site->SelectAll(false);
    selected.Clear();
    site->CollectObjects(selected, true);
    EXPECT_EQ(selected.Count(), 0);
}

TEST(DrawSite, ModifiedAndRebroadcastNotifications) {
    auto site = makeSite();
    int modifyChanges = 0;
    site->OnModifyChanged = [&](TDrawSite*) { ++modifyChanges; };
    QStringList heard;
    TListener listener([&](TPersistent* sender, const QUuid& aspect) {
        const QString what = aspect == asSelection ? "selection"
                             : aspect == asChanged ? "changed"
                                                   : "other";
        heard << static_cast<TComponent*>(sender)->Name() + " " + what;
    });
    site->Broadcaster().AddListener(&listener);

    TTestRect* a = addRect(*site, "A", {10, 10, 50, 50});
    EXPECT_TRUE(site->Modified());
    EXPECT_EQ(modifyChanges, 1);
    site->SetModified(false);
    EXPECT_EQ(modifyChanges, 2);
    heard.clear();

    a->SetLeft(20);
    EXPECT_TRUE(site->Modified());
    EXPECT_TRUE(heard.contains("A changed"));
    a->SetSelected(true);
    EXPECT_TRUE(heard.contains("A selection"));
    EXPECT_TRUE(site->HandlesDirty());

    heard.clear();
    delete a;  // a selected object leaving tells the site's listeners
    EXPECT_TRUE(heard.contains("A selection"));
    EXPECT_EQ(site->ControlCount(), 0);
}

TEST(DrawSite, HandlesFollowTheSelection) {
    auto designer = std::make_shared<TTestDesigner>();
    TDODesignerRegistration reg(designer);
    auto site = makeSite();
    TTestRect* a = addRect(*site, "A", {100, 100, 200, 200});
    TTestRect* b = addRect(*site, "B", {300, 100, 400, 200});
    a->SetSelected(true);
    site->UpdateHandles();
    ASSERT_EQ(site->HandleCount(), 2);
    EXPECT_FALSE(site->HandlesDirty());
    const QPoint centre = site->LogToDev({100, 100});
    const TPivot* p = site->Handle(0);
    EXPECT_EQ(p->BoundsRect(), (TRect{centre.x() - p->Size() / 2, centre.y() - p->Size() / 2,
                                      centre.x() - p->Size() / 2 + p->Size(),
                                      centre.y() - p->Size() / 2 + p->Size()}));
    EXPECT_EQ(p->Cursor(), Qt::SizeFDiagCursor);

    b->SetSelected(true);
    site->UpdateHandles();
    ASSERT_EQ(site->HandleCount(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(site->Handle(i)->Cursor(), Qt::ArrowCursor);

    // A rescale moves the handles with their objects.
    site->Scaler().SetScale(200);
    site->UpdateHandles();
    EXPECT_EQ(site->HandleCount(), 4);
    bool found = false;
    const QPoint moved = site->LogToDev({100, 100});
    for (int i = 0; i < 4; ++i)
        found =
            found || site->Handle(i)->BoundsRect().Left == moved.x() - site->Handle(i)->Size() / 2;
    EXPECT_TRUE(found);

    site->SelectAll(false);
    site->UpdateHandles();
    EXPECT_EQ(site->HandleCount(), 0);
}

TEST(DrawSite, ComputeFitScale) {
    auto site = makeSite(2540, 1270);
    QImage image(1, 1, QImage::Format_RGB32);
    platform::DeviceDescriptor dev;
    dev.dpiX = dev.dpiY = 100;  // the site is 1000 x 500 pixels at 100
    TCanvas canvas(image, dev);
    const TRect area{0, 0, 500, 400};
    EXPECT_EQ(site->ComputeFitScale(canvas, area, false, false), 100);
    EXPECT_EQ(site->ComputeFitScale(canvas, area, false, true), 50);
    EXPECT_EQ(site->ComputeFitScale(canvas, area, true, false), 80);
    EXPECT_EQ(site->ComputeFitScale(canvas, area, true, true), 50);
    site->Scaler().SetScale(300);  // the current scale does not matter
    EXPECT_EQ(site->ComputeFitScale(canvas, area, true, true), 50);
    // Far too small an area still gives a usable scale.
    EXPECT_EQ(site->ComputeFitScale(canvas, {0, 0, 2, 2}, true, true), 1);
    // An empty site fits at 100 instead of dividing by zero.
    auto empty = makeSite(0, 0);
    EXPECT_EQ(empty->ComputeFitScale(canvas, area, true, true), 100);

    // A scale below 1 becomes 1, for the site and for copies.
    site->Scaler().SetScale(0);
    EXPECT_EQ(site->Scaler().Scale(), 1);
    EXPECT_GT(site->Width(), 0);
    site->Scaler().SetScale(-20);
    EXPECT_EQ(site->Scaler().Scale(), 1);
    site->OnDrawToProgress = [](TDrawSite* s, int) { EXPECT_EQ(s->Scaler().Scale(), 1); };
    addRect(*site, "A", {0, 0, 2540, 1270});
    QImage target(20, 20, QImage::Format_RGB32);
    target.fill(0xFFFFFFFF);
    TCanvas targetCanvas(target, dev);
    site->DrawTo(targetCanvas, {0, 0}, 0);
    EXPECT_EQ(target.pixel(5, 2), kRed);  // 1 % of 1000 pixels
    EXPECT_EQ(target.pixel(15, 2), kWhite);
}

TEST(DrawSite, ScreenPaintWithAndWithoutDoubleBuffer) {
    struct Host : TDrawSiteHost {
        void SiteResized(QSize) override {}
        void SiteInvalidated(const TRect&) override {}
        void SiteUpdateNow() override {}
        void SiteScreenDrawn() override {}
        void SiteCapture(bool) override {}
        void SiteFocus() override {}
        void SiteHandlesDirty() override {}
        QPoint SiteScrollNeeded(QPoint) override { return {}; }
        void SiteScrollBy(QPoint) override {}
        TRect SiteVisibleRect() override { return {0, 0, 10000, 10000}; }
    } host;
    auto site = makeSite(600, 300);
    site->SetHost(&host);
    site->SetColor(0x00FFFF);  // yellow
    addRect(*site, "A", {100, 100, 300, 200});
    int afterCalls = 0;
    site->OnPaintAfter = [&](TDrawSite* s) {
        ++afterCalls;
        // Prepared in logical units: a line at logical x 500.
        s->Canvas().tools().pen = platform::Pen{platform::PenStyle::Solid, 1, 0xFF0000};
        s->Canvas().moveTo({500, 0});
        s->Canvas().lineTo({500, 300});
    };
    const TRect all{0, 0, site->Width(), site->Height()};
    site->PaintWindow(all);
    const QImage direct = site->Screen().copy();
    site->SetDoubleBuffered(true);
    site->Screen().fill(0xFF000000);
    site->PaintWindow({0, 0, all.Right / 2, all.Bottom});
    site->PaintWindow({all.Right / 2, 0, all.Right, all.Bottom});
    EXPECT_EQ(site->Screen(), direct);
    EXPECT_EQ(afterCalls, 3);

    const QPoint inA = site->LogToDev({200, 150});
    EXPECT_EQ(direct.pixel(inA), kRed);
    EXPECT_EQ(direct.pixel(site->LogToDev({400, 150})), 0xFFFFFF00u);
    EXPECT_EQ(direct.pixel(site->LogToDev({500, 150})), 0xFF0000FFu);
    EXPECT_EQ(direct.pixel(0, 5), 0xFF000000u);  // the border
    EXPECT_EQ(direct.pixel(all.Right - 1, 5), 0xFF000000u);

    // No colour leaves the background as it was.
    site->SetBorder(false);
    site->SetColor(clNone);
    site->Screen().fill(0xFF123456);
    site->PaintWindow(all);
    EXPECT_EQ(site->Screen().pixel(site->LogToDev({400, 150})), 0xFF123456u);
    site->SetHost(nullptr);
}

TEST(DrawSite, StreamsOwnedObjectsAsChildren) {
    RegisterPersistentClass<TTestRect>();
    RegisterPersistentClass<TDrawSite>();
    auto site = makeSite(1234, 567);
    site->SetName("Site");
    addRect(*site, "A", {10, 10, 50, 50});
    TTestRect foreign("Foreign", {60, 60, 90, 90});
    site->AddObject(foreign);  // on the site, owned elsewhere: not streamed
    addRect(*site, "B", {100, 10, 150, 50}, 0x00FF00);

    TMemoryStream stream;
    WriteComponentStream(stream, *site);
    stream.SetPosition(0);
    auto copy = std::make_unique<TDrawSite>();
    copy->Scaler().SetUnitDPI(96);
    ReadComponentStream(stream, copy.get());

    EXPECT_EQ(copy->LogWidth(), 1234);
    EXPECT_EQ(copy->LogHeight(), 567);
    EXPECT_EQ(copy->Scaler().UnitDPI(), 254);
    EXPECT_FALSE(copy->Modified());
    ASSERT_EQ(copy->ControlCount(), 2);
    auto* a = dynamic_cast<TTestRect*>(copy->Controls(0));
    auto* b = dynamic_cast<TTestRect*>(copy->Controls(1));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->Name(), "A");
    EXPECT_EQ(b->color, 0x00FF00);
    EXPECT_EQ(b->Owner(), copy.get());
    EXPECT_EQ(b->BoundsRect(), expectedControlRect(*copy, b->GetBounds()));
    EXPECT_EQ(copy->ClientSize(), site->ClientSize());
    site.reset();  // the foreign object outlives the site and has left it
    EXPECT_EQ(foreign.Parent(), nullptr);
}
