#include "document/stream/ClassRegistry.h"
#include "document/stream/Component.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "objects/CoonsDistortion.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

namespace {

class TDistortionHolder : public TComponent {
    VELLUMO_PERSISTENT(TDistortionHolder, TComponent)
public:
    TDistortionHolder() = default;
    static void DeclareProperties(PropertyBuilder<TDistortionHolder>& p) {
        p.persistent("Distortion", [](const TDistortionHolder& h) {
            return const_cast<TCoonsDistortion*>(&h.distortion);
        });
    }
    TCoonsDistortion distortion;
};

}  // namespace
VELLUMO_DEFINE_PERSISTENT(TDistortionHolder)
namespace {

void identity(TCoonsDistortion& d, int n, const TRect& source, const TRect& target) {
    d.SetIdentity(n);
    d.SetSourceRect(source);
    d.SetTargetRect(target);
}

QPoint mapped(const TCoonsDistortion& d, QPoint p) {
    d.TransformPoint(p);
    return p;
}

TEST(CoonsDistortion, EmptyOrDegenerateLeavesPointsUnchanged) {
    TCoonsDistortion d;
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_FALSE(d.IsUsable());
    d.SetSourceRect({0, 0, 100, 100});
    d.SetTargetRect({0, 0, 200, 200});
    EXPECT_EQ(mapped(d, {30, 40}), QPoint(30, 40));

    // A zero-width rectangle.
    TCoonsDistortion flat;
    identity(flat, 2, {0, 0, 0, 100}, {0, 0, 200, 200});
    EXPECT_FALSE(flat.IsUsable());
    EXPECT_EQ(mapped(flat, {30, 40}), QPoint(30, 40));

    // An edge of one point cannot be evaluated: the distortion is unusable.
    TCoonsDistortion shortEdge;
    identity(shortEdge, 3, {0, 0, 100, 100}, {0, 0, 200, 200});
    shortEdge.SetCount(TCoonsDistortion::Right, 1);
    EXPECT_FALSE(shortEdge.IsUsable());
    EXPECT_EQ(mapped(shortEdge, {30, 40}), QPoint(30, 40));
}

TEST(CoonsDistortion, IdentityMapsTheSourceLinearlyOntoTheTarget) {
    for (const int n : {2, 3, 5}) {
        TCoonsDistortion d;
        identity(d, n, {100, 200, 300, 400}, {1000, 2000, 1400, 2100});
        ASSERT_TRUE(d.IsUsable());
        EXPECT_EQ(mapped(d, {200, 300}), QPoint(1200, 2050)) << n;
        EXPECT_EQ(mapped(d, {100, 200}), QPoint(1000, 2000)) << n;
        EXPECT_EQ(mapped(d, {300, 400}), QPoint(1400, 2100)) << n;
        EXPECT_EQ(mapped(d, {150, 380}), QPoint(1100, 2090)) << n;
    }
}

TEST(CoonsDistortion, BendingTheTopEdgeAndStrength) {
    TCoonsDistortion d;
    identity(d, 3, {0, 0, 1000, 1000}, {0, 0, 1000, 1000});
    d.SetPoint(TCoonsDistortion::Top, 1, {0.5, -0.2});
    // The top's middle rises, the bottom stays straight, the middle rises by half.
    EXPECT_EQ(mapped(d, {500, 0}), QPoint(500, -199));
    EXPECT_EQ(mapped(d, {500, 1000}), QPoint(500, 1000));
    EXPECT_EQ(mapped(d, {500, 500}), QPoint(500, 400));
    EXPECT_EQ(mapped(d, {0, 0}), QPoint(0, 0));

    TCoonsDistortion half;
    half.Assign(d);
    half.SetStrength(50);
    EXPECT_EQ(mapped(half, {500, 0}), QPoint(500, -99));
    EXPECT_EQ(half.Identifier(), d.Identifier());
    half.SetStrength(0);
    EXPECT_EQ(mapped(half, {500, 0}), QPoint(500, 0));
}

TEST(CoonsDistortion, CornersAreSharedAndNeighboursContinueAroundThem) {
    TCoonsDistortion d;
    identity(d, 3, {0, 0, 100, 100}, {0, 0, 100, 100});
    d.SetPoint(TCoonsDistortion::Top, 2, {1.1, -0.1});
    EXPECT_EQ(d.GetPoint(TCoonsDistortion::Right, 0), QPointF(1.1, -0.1));
    d.SetPoint(TCoonsDistortion::Left, 2, {-0.1, 1.2});
    EXPECT_EQ(d.GetPoint(TCoonsDistortion::Bottom, 0), QPointF(-0.1, 1.2));

    // Before the right edge's first point comes the top edge's second-to-last point,
    // whatever the counts.
    d.SetCount(TCoonsDistortion::Top, 4);
    d.SetPoint(TCoonsDistortion::Top, 2, {0.7, 0.05});
    EXPECT_EQ(d.GetPoint(TCoonsDistortion::Right, -1), QPointF(0.7, 0.05));
    EXPECT_EQ(d.GetPoint(TCoonsDistortion::Top, 4), d.GetPoint(TCoonsDistortion::Right, 1));
    EXPECT_EQ(d.GetPoint(TCoonsDistortion::Left, -1), d.GetPoint(TCoonsDistortion::Top, 1));
    // Far beyond a short edge the index stays on the neighbour's points.
    d.SetCount(TCoonsDistortion::Left, 2);
    EXPECT_EQ(d.GetPoint(TCoonsDistortion::Top, -7), d.GetPoint(TCoonsDistortion::Left, 1));
    d.SetPoint(TCoonsDistortion::Top, 9, {5, 5});  // outside: nothing happens
    EXPECT_EQ(d.Count(TCoonsDistortion::Top), 4);

    // A smooth first point of the right edge curves from the midpoint towards the top
    // edge's second-to-last point (0.75, 0) at parameter -0.25 to the midpoint towards
    // (1, 1): at t = 0, v = 0.2 and the curve passes (0.92, 0.02).
    TCoonsDistortion s;
    identity(s, 2, {0, 0, 100, 100}, {0, 0, 100, 100});
    s.SetCount(TCoonsDistortion::Top, 5);
    for (int j = 0; j < 5; ++j) s.SetPoint(TCoonsDistortion::Top, j, {j / 4.0, 0});
    s.SetSmooth(TCoonsDistortion::Right, 0, true);
    EXPECT_EQ(mapped(s, {100, 0}), QPoint(92, 2));
    s.SetPoint(TCoonsDistortion::Top, 1, {0.25, 0.5});  // not a neighbour of the corner
    EXPECT_EQ(mapped(s, {100, 0}), QPoint(92, 2));
    s.SetPoint(TCoonsDistortion::Top, 3, {0.75, 0.5});
    EXPECT_NE(mapped(s, {100, 0}), QPoint(92, 2));
}

TEST(CoonsDistortion, DataRoundTripsBitForBit) {
    TCoonsDistortion d;
    identity(d, 3, {0, 0, 100, 100}, {0, 0, 100, 100});
    d.SetCount(TCoonsDistortion::Left, 4);
    d.SetPoint(TCoonsDistortion::Top, 1, {0.1 + 0.2, 1.0 / 3});
    d.SetSmooth(TCoonsDistortion::Top, 1, true);
    QByteArray data = d.SaveData();
    ASSERT_EQ(data.size(), 32 + (3 + 3 + 3 + 4) * 21);
    // A value no double holds (lowest significand bit set) survives.
    data[32 + 20 + 0] = char(data[32 + 20 + 0] | 1);
    TCoonsDistortion back;
    back.LoadData(data);
    EXPECT_EQ(back.SaveData(), data);
    EXPECT_EQ(back.Count(TCoonsDistortion::Left), 4);
    EXPECT_TRUE(back.Smooth(TCoonsDistortion::Top, 1));
    EXPECT_FALSE(back.Smooth(TCoonsDistortion::Top, 0));
    EXPECT_EQ(back.Identifier(), d.Identifier());
    EXPECT_NE(TCoonsDistortion().Identifier(), d.Identifier());

    // Lengths and counts that disagree, negative counts and short headers are refused.
    EXPECT_THROW(back.LoadData(data.left(data.size() - 1)), Exception);
    EXPECT_THROW(back.LoadData(data + 'x'), Exception);
    EXPECT_THROW(back.LoadData(data.left(20)), Exception);
    QByteArray negative = data;
    negative[16 + 3] = char(0x80);
    EXPECT_THROW(back.LoadData(negative), Exception);
    EXPECT_EQ(back.SaveData(), data);  // unchanged by the refused reads

    // Through the component stream as the binary property "Distortion.Data".
    if (!LookupClass(u"TDistortionHolder")) RegisterPersistentClass<TDistortionHolder>();
    TDistortionHolder holder;
    holder.distortion.LoadData(data);
    TMemoryStream stream;
    WriteComponentStream(stream, holder);
    EXPECT_TRUE(stream.Data().contains("Distortion.Data"));
    stream.SetPosition(0);
    TDistortionHolder copy;
    ReadComponentStream(stream, &copy);
    EXPECT_EQ(copy.distortion.SaveData(), data);
}

}  // namespace
