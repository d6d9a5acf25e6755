// The grid and the guides: snapping, drawing, the guides' stored slots.

#include "document/stream/ClassRegistry.h"
#include "document/stream/Component.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "drawing/DrawSite.h"
#include "drawing/EditorSnap.h"
#include "drawing/Grid.h"
#include "drawing/Guide.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

namespace {

class TGuideHolder : public TComponent {
    VELLUMO_PERSISTENT(TGuideHolder, TComponent)
public:
    TGuideHolder() = default;
    static void DeclareProperties(PropertyBuilder<TGuideHolder>& p) {
        p.persistent("Guide", [](const TGuideHolder& h) { return const_cast<TGuide*>(&h.guide); });
        p.persistent("Grid", [](const TGuideHolder& h) { return const_cast<TGrid*>(&h.grid); });
    }
    TGuide guide;
    TGrid grid;
};

QByteArray posBlob(int count, int pairs) {
    QByteArray out;
    auto put = [&](int v) {
        for (int i = 0; i < 4; ++i) out.append(char((unsigned(v) >> (8 * i)) & 0xFF));
    };
    put(count);
    for (int i = 0; i < pairs; ++i) {
        put(100 + i);
        put(0);
    }
    return out;
}

}  // namespace

VELLUMO_DEFINE_PERSISTENT(TGuideHolder)

TEST(Grid, SnapOffsets) {
    TGrid g;
    g.Size = 100;
    EXPECT_EQ(g.SnapOffset({149, 150}), QPoint(kNoSnap, kNoSnap));  // snapping off
    g.Enabled = true;
    EXPECT_EQ(g.SnapOffset({149, 150}), QPoint(-49, 50));
    EXPECT_EQ(g.SnapOffset({0, 1000}), QPoint(0, 0));
    EXPECT_EQ(g.SnapOffset({-70, -30}), QPoint(-30, 30));  // nearest lines left of 0 too
    // No size: nothing to snap to, and no division by zero.
    for (int size : {0, -5}) {
        g.Size = size;
        EXPECT_EQ(g.SnapOffset({149, 150}), QPoint(kNoSnap, kNoSnap));
    }
}

TEST(Grid, DrawsDotsOrLinesAndNothingWithoutSize) {
    QImage image(50, 50, QImage::Format_RGB32);
    TCanvas canvas(image);
    canvas.tools().pen.color = 0xFF0000;  // blue
    TGrid g;
    g.Size = 10;
    auto drawn = [&] {
        image.fill(0xFFFFFFFF);
        g.Draw(canvas, {5, 5, 45, 45});
        int n = 0;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 50; ++x) n += image.pixel(x, y) != 0xFFFFFFFF;
        return n;
    };
    EXPECT_EQ(drawn(), 0);  // not visible
    g.Visible = true;
    EXPECT_EQ(drawn(), 16);  // dots at 5, 15, 25, 35 on both axes
    EXPECT_EQ(image.pixel(15, 25), 0xFF0000FFu);
    EXPECT_EQ(image.pixel(16, 25), 0xFFFFFFFFu);
    g.LineShape = true;
    EXPECT_GT(drawn(), 16 * 10);
    EXPECT_NE(image.pixel(15, 30), 0xFFFFFFFFu);
    g.Size = 0;
    EXPECT_EQ(drawn(), 0);
    g.Size = -3;
    EXPECT_EQ(drawn(), 0);
}

TEST(Guide, SlotsSnappingAndPruning) {
    TGuide g;
    EXPECT_EQ(g.Count(), 10);
    g.Add({100, 0});  // vertical at 100
    g.Add({0, 200});  // horizontal at 200
    g.Add({104, 0});
    EXPECT_EQ(g.SnapOffset({103, 195}, 10), QPoint(kNoSnap, kNoSnap));  // not enabled
    EXPECT_EQ(g.GuideAt(103, 0, 5), -1);
    g.Enabled = true;
    EXPECT_EQ(g.SnapOffset({103, 195}, 10), QPoint(1, 5));  // 104 is nearer than 100
    EXPECT_EQ(g.SnapOffset({103, 150}, 10), QPoint(1, kNoSnap));
    EXPECT_EQ(g.SnapOffset({102, 0}, 10).x(), -2);  // a tie keeps the earlier slot
    g.SetPos(2, {98, 0});
    EXPECT_EQ(g.SnapOffset({99, 0}, 10).x(), 1);
    EXPECT_EQ(g.GuideAt(0, 203, 5), 1);
    EXPECT_EQ(g.GuideAt(99, 0, 5), 0);
    EXPECT_EQ(g.FirstFree(), 3);

    for (int i = 3; i < 10; ++i) g.Add({0, 10 * i});
    EXPECT_EQ(g.FirstFree(), -1);
    try {
        g.Add({5, 0});
        FAIL() << "an eleventh guide was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("ガイドは10本までです"));
    }

    g.Prune({0, 0, 99, 1000});  // the vertical at 100 lies outside, the one at 98 inside
    EXPECT_EQ(g.Pos(0), QPoint(0, 0));
    EXPECT_EQ(g.Pos(2), QPoint(98, 0));
    EXPECT_TRUE(g.Enabled);
    g.Prune({0, 0, 10, 10});  // every guide lies outside
    EXPECT_EQ(g.FirstFree(), 0);
    EXPECT_FALSE(g.Enabled);
}

TEST(Guide, PosDataIsReadWithinItsOwnLength) {
    TGuide g;
    g.ReadPosData(posBlob(12, 12));  // twelve pairs: the first ten are kept
    for (int i = 0; i < 10; ++i) EXPECT_EQ(g.Pos(i), QPoint(100 + i, 0));

    TGuide shortData;
    shortData.ReadPosData(posBlob(10, 3));  // claims ten, holds three
    EXPECT_EQ(shortData.Pos(2), QPoint(102, 0));
    EXPECT_EQ(shortData.Pos(3), QPoint(0, 0));
    TGuide negative;
    negative.ReadPosData(posBlob(-1, 2));
    EXPECT_EQ(negative.FirstFree(), 0);
    negative.ReadPosData(QByteArray("\x01\x00", 2));
    EXPECT_EQ(negative.FirstFree(), 0);

    // The stored form: "Pos" with a count of ten and ten pairs, read back whole.
    if (!LookupClass(u"TGuideHolder")) RegisterPersistentClass<TGuideHolder>();
    TGuideHolder holder;
    holder.guide.Visible = true;
    holder.guide.SetPos(0, {0, 77});
    holder.guide.SetPos(9, {-5, 3});
    holder.grid.Size = 100;
    holder.grid.LineShape = true;
    TMemoryStream stream;
    WriteComponentStream(stream, holder);
    EXPECT_TRUE(stream.Data().contains("Guide.Pos"));
    EXPECT_EQ(holder.guide.PosData().size(), 4 + 10 * 8);
    stream.SetPosition(0);
    TGuideHolder copy;
    ReadComponentStream(stream, &copy);
    EXPECT_TRUE(copy.guide.Visible);
    EXPECT_EQ(copy.guide.Pos(0), QPoint(0, 77));
    EXPECT_EQ(copy.guide.Pos(9), QPoint(-5, 3));
    EXPECT_EQ(copy.grid.Size, 100);
    EXPECT_TRUE(copy.grid.LineShape);
}

TEST(EditorSnap, TheNearerSourceWinsAndAltSwitchesSnappingOff) {
    TDrawSite site;
    site.Scaler().SetUnitDPI(ScreenDPI() * 2);  // two logical units per pixel
    site.SetLogSize(2000, 2000);
    TGrid grid;
    grid.Size = 100;
    grid.Enabled = true;
    TGuide guide;
    guide.Enabled = true;
    guide.Add({130, 0});
    // x: the guide at 130 is 5 away, the grid line at 100 is 25 away; y: only the grid.
    EXPECT_EQ(EditorSnapOffset(grid, guide, site, {125, 140}, Qt::NoModifier), QPoint(5, -40));
    // The guide's tolerance is 10 pixels, 20 logical units here.
    EXPECT_EQ(EditorSnapOffset(grid, guide, site, {151, 140}, Qt::NoModifier).x(), 49);
    EXPECT_EQ(EditorSnapOffset(grid, guide, site, {149, 140}, Qt::NoModifier).x(), -19);
    EXPECT_EQ(EditorSnapOffset(grid, guide, site, {125, 140}, Qt::AltModifier),
              QPoint(kNoSnap, kNoSnap));
    grid.Enabled = false;
    EXPECT_EQ(EditorSnapOffset(grid, guide, site, {125, 140}, Qt::NoModifier), QPoint(5, kNoSnap));
}
