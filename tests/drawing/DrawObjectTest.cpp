#include "document/stream/ClassRegistry.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/Stream.h"
#include "drawing/DrawObjectRef.h"
#include "tests/document/StreamTestUtil.h"
#include "tests/drawing/DrawTestSite.h"

#include <gtest/gtest.h>

namespace {

// Counts the notifications of one broadcaster.
struct Recorder {
    std::vector<QUuid> aspects;
    std::vector<TPersistent*> senders;
    TListener listener{[this](TPersistent* s, const QUuid& a) {
        senders.push_back(s);
        aspects.push_back(a);
    }};
    int count(const QUuid& a) const { return int(std::count(aspects.begin(), aspects.end(), a)); }
};

QStringList order(const TTestSite& site) {
    QStringList names;
    for (int i = 0; i < site.ControlCount(); ++i) names << site.Controls(i)->Name();
    return names;
}

TEST(DrawObject, SelectionFollowsSelectable) {
    TTestRect o(QStringLiteral("A"), {0, 0, 10, 10});
    Recorder r;
    o.Notifier().AddListener(&r.listener);
    o.SetSelected(true);
    o.SetSelected(true);  // unchanged, still told
    EXPECT_TRUE(o.Selected());
    EXPECT_EQ(r.count(asSelection), 2);
    o.SetSelectable(false);  // deselects
    EXPECT_FALSE(o.Selected());
    o.SetSelected(true);  // refused, nothing told
    EXPECT_FALSE(o.Selected());
    EXPECT_EQ(r.count(asSelection), 3);
    o.SetSelected(false);  // deselecting is always allowed
    EXPECT_EQ(r.count(asSelection), 4);

    // Locking tells the change first, then the movable aspect; once.
    r.aspects.clear();
    o.SetMovable(false);
    o.SetMovable(false);
    EXPECT_EQ(r.aspects, (std::vector<QUuid>{asChanged, asMovable}));
    r.aspects.clear();
    o.SetDontPrint(true);
    EXPECT_EQ(r.aspects, (std::vector<QUuid>{asChanged, asDontPrint}));
}

TEST(DrawObject, LogicalRectangleIsNormalisedAndReportsRealChangesOnly) {
    TTestSite site;
    TTestRect o(QStringLiteral("A"), {10, 20, 40, 60});
    int modified = 0;
    o.OnModify = [&](TDrawObject* sender) {
        EXPECT_EQ(sender, &o);
        ++modified;
    };
    site.Add(o);
    EXPECT_EQ(o.BoundsRect(), (TRect{10, 20, 41, 61}));  // one pixel more right and bottom

    o.SetWidth(-5);  // the left edge moves
    EXPECT_EQ(o.LogBounds(), (TRect{5, 20, 10, 60}));
    EXPECT_EQ(modified, 1);
    EXPECT_TRUE(site.modified);
    EXPECT_EQ(o.BoundsRect(), (TRect{5, 20, 11, 61}));

    o.SetLogBounds({10, 60, 5, 20});  // the same rectangle, unnormalised
    o.SetLeft(5);
    o.SetHeight(40);
    EXPECT_EQ(modified, 1);

    o.SetLeft(100);  // keeps the size
    EXPECT_EQ(o.LogBounds(), (TRect{100, 20, 105, 60}));
    o.OffsetBy(-100, 5);  // Left, then Top: two changes
    EXPECT_EQ(o.LogBounds(), (TRect{0, 25, 5, 65}));
    EXPECT_EQ(modified, 4);

    EXPECT_EQ(o.HitTest({0, 25}), 1);
    EXPECT_EQ(o.HitTest({5, 30}), 0);  // right edge excluded
    EXPECT_EQ(o.HitTest({4, 65}), 0);  // bottom edge excluded

    // The facets of a rectangle; blending is the type's to answer.
    EXPECT_EQ(QueryFacet<IDOBounds>(&o)->LogBounds(), o.LogBounds());
    QueryFacet<IDOEncloseBounds>(&o)->OffsetBy(1, 1);
    EXPECT_EQ(QueryFacet<IDOLogicalRect>(&o)->Left(), 1);
    EXPECT_NE(QueryFacet<IDOPaint>(&o), nullptr);
    EXPECT_EQ(QueryFacet<IDOBlend>(&o), nullptr);
    o.blends = true;
    EXPECT_EQ(QueryFacet<IDOBlend>(&o)->BlendRatio(), 100);
    EXPECT_EQ(QueryFacet<IDOBlend>(static_cast<TDrawObject*>(nullptr)), nullptr);
}

TEST(DrawObject, ExtremeStoredEdgesWrapInsteadOfOverflowing) {
    // What a damaged document may hold: sums wrap to 32 bits as the stored integers do.
    TTestRect o(QStringLiteral("A"), {0, 0, 10, 10});
    o.SetLeft(INT32_MAX - 5);
    EXPECT_EQ(o.LogBounds().Left, INT32_MIN + 4);  // the right edge wrapped below the left
    o.SetLogBounds({INT32_MIN, 0, INT32_MAX, 10});
    EXPECT_EQ(o.Width(), -1);
    o.SetWidth(INT32_MAX);
    o.SetTop(INT32_MIN);
    o.SetHeight(-20);
    o.OffsetBy(INT32_MAX, INT32_MAX);
    EXPECT_FALSE(o.LogBounds().Left > o.LogBounds().Right);
}

TEST(DrawObject, AssignmentReportsOneChangeAndCopiesTheLists) {
    TTestRect src(QStringLiteral("Src"), {1, 2, 30, 40});
    src.SetBorder(true);
    src.SetLayerGroup(3);
    src.SetTag(7);
    src.SetHint(QStringLiteral("ヒント"));
    src.SetDontPrint(true);
    src.SetBlendRatio(40);
    src.SetMovable(false);
    src.Appendix()->Add(QStringLiteral("extra"));
    src.SetSelected(true);

    TTestRect dst(QStringLiteral("Dst"), {0, 0, 1, 1});
    Recorder r;
    dst.Notifier().AddListener(&r.listener);
    int modified = 0;
    dst.OnModify = [&](TDrawObject*) { ++modified; };
    dst.Assign(src);
    EXPECT_EQ(r.count(asChanged), 1);
    EXPECT_EQ(modified, 1);
    EXPECT_EQ(dst.LogBounds(), src.LogBounds());
    EXPECT_TRUE(dst.Border());
    EXPECT_TRUE(dst.Selected());
    EXPECT_EQ(dst.Tag(), 7);
    EXPECT_EQ(dst.Hint(), src.Hint());
    EXPECT_TRUE(dst.DontPrint());
    EXPECT_EQ(dst.BlendRatio(), 40);
    EXPECT_FALSE(dst.Movable());
    EXPECT_EQ(dst.Appendix()->ToStringList(), QStringList{QStringLiteral("extra")});
    EXPECT_EQ(dst.LayerGroup(), 0);  // not copied
    EXPECT_EQ(dst.Name(), QStringLiteral("Dst"));

    dst.Assign(src);  // nothing differs: no change
    EXPECT_EQ(r.count(asChanged), 1);

    // An object that cannot be selected stays unselected.
    TTestRect locked(QStringLiteral("L"), {0, 0, 1, 1});
    src.SetSelectable(false);
    locked.Assign(src);
    EXPECT_FALSE(locked.Selected());
    EXPECT_FALSE(locked.Selectable());

    // Changes of the extra lines are modifications, reported once per operation.
    modified = 0;
    dst.Appendix()->Add(QStringLiteral("more"));
    dst.Appendix()->Put(0, QStringLiteral("extra"));  // same text
    EXPECT_EQ(modified, 1);
}

TEST(DrawObject, LayerGroupsKeepTheirOrder) {
    TTestSite site;
    TTestRect a(QStringLiteral("A"), {0, 0, 5, 5}), b(QStringLiteral("B"), {0, 0, 5, 5});
    TTestRect top(QStringLiteral("Top"), {0, 0, 5, 5}), d(QStringLiteral("D"), {0, 0, 5, 5});
    top.SetLayerGroup(1);
    site.Add(a);
    site.Add(b);
    site.Add(top);
    site.Add(d);  // group 0: directly below the group-1 object
    EXPECT_EQ(order(site), (QStringList{"A", "B", "D", "Top"}));

    int changes = 0;
    for (TTestRect* o : {&a, &b, &top, &d}) o->OnModify = [&](TDrawObject*) { ++changes; };
    top.SendToBackInGroup();  // already the bottom of its group
    d.BringToFrontInGroup();  // already the top of its group
    EXPECT_EQ(changes, 0);
    a.BringToFrontInGroup();
    EXPECT_EQ(order(site), (QStringList{"B", "D", "A", "Top"}));
    a.SendToBackInGroup();
    EXPECT_EQ(order(site), (QStringList{"A", "B", "D", "Top"}));
    EXPECT_EQ(changes, 2);

    top.SetLayerGroup(-50);  // now the lowest group
    top.SendToBackInGroup();
    EXPECT_EQ(order(site), (QStringList{"Top", "A", "B", "D"}));
    b.SetLayerGroup(5);
    b.BringToFrontInGroup();
    d.SendToBackInGroup();  // above the topmost object of a lower group
    EXPECT_EQ(order(site), (QStringList{"Top", "D", "A", "B"}));

    // Without a site the ordinary order of the container applies.
    TTestRect alone(QStringLiteral("Alone"), {0, 0, 1, 1});
    alone.BringToFrontInGroup();
    EXPECT_EQ(alone.Parent(), nullptr);
}

TEST(DrawObject, HitTestingAndMouseGoThroughTheSite) {
    TTestSite site;
    TTestRect low(QStringLiteral("Low"), {10, 10, 50, 50}),
        high(QStringLiteral("High"), {30, 30, 70, 70});
    site.Add(low);
    site.Add(high);
    EXPECT_EQ(site.ControlAt({40, 40}), &high);
    EXPECT_EQ(site.ControlAt({20, 20}), &low);
    EXPECT_EQ(site.ControlAt({50, 20}), nullptr);  // in low's control rectangle, outside its area
    site.ghosts = true;                            // an operation runs: the site gets the mouse
    EXPECT_EQ(site.ControlAt({40, 40}), nullptr);
    site.ghosts = false;

    high.MouseDown(Qt::LeftButton, Qt::NoModifier, {5, 6}, false);
    high.MouseDown(Qt::LeftButton, Qt::NoModifier, {5, 6}, true);  // a double click is not a press
    EXPECT_EQ(site.presses, QStringList{QStringLiteral("High 35,36 -1")});
    high.MouseMove(Qt::NoModifier, {1, 2});
    EXPECT_EQ(site.lastMove, QPoint(31, 32));

    high.DblClick();
    EXPECT_EQ(site.clearGhosts, 0);  // the designers did not edit it
    site.editResult = true;
    high.DblClick();
    EXPECT_EQ(site.clearGhosts, 1);
}

TEST(DrawObject, NotificationDuringDestruction) {
    TTestSite site;
    auto o = std::make_unique<TTestRect>(QStringLiteral("Gone"), TRect{0, 0, 5, 5});
    site.Add(*o);
    const TDrawObjectRef<TTestRect> ref(o.get());
    ASSERT_EQ(ref.Get(), o.get());

    // A record that forgets its object when the object says it is going away.
    TDrawObject* remembered = o.get();
    bool refNullWhenTold = false;
    TListener record([&](TPersistent* sender, const QUuid& aspect) {
        if (aspect == asDestroying && sender == remembered) {
            refNullWhenTold = !ref;
            remembered = nullptr;
        }
    });
    o->Notifier().AddListener(&record);
    o.reset();
    EXPECT_EQ(remembered, nullptr);
    EXPECT_TRUE(refNullWhenTold);
    EXPECT_TRUE(ref.Expired());
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_EQ(site.ControlCount(), 0);
    EXPECT_EQ(site.removing, QStringList{QStringLiteral("Gone")});  // still a draw object then
    EXPECT_TRUE(record.Broadcasters().empty());

    // A listener that destroys the object while its change is being told: the broadcast
    // stops there and the later listener hears nothing.
    auto victim = std::make_unique<TTestRect>(QStringLiteral("V"), TRect{0, 0, 5, 5});
    TListener killer([&](TPersistent*, const QUuid& aspect) {
        if (aspect == asChanged) victim.reset();
    });
    Recorder later;
    victim->Notifier().AddListener(&killer);
    victim->Notifier().AddListener(&later.listener);
    victim->SetWidth(9);
    EXPECT_EQ(victim, nullptr);
    EXPECT_EQ(later.count(asChanged), 0);
    EXPECT_EQ(later.count(asDestroying), 1);

    // A listener destroyed while attached leaves the object's notifier.
    TTestRect keep(QStringLiteral("K"), {0, 0, 1, 1});
    {
        TListener temporary;
        keep.Notifier().AddListener(&temporary);
        EXPECT_EQ(keep.Notifier().ListenerCount(), 1);
    }
    EXPECT_EQ(keep.Notifier().ListenerCount(), 0);
    keep.SetWidth(3);
}

TEST(DrawObject, StoredFormAndObjectLists) {
    static std::once_flag once;
    std::call_once(once, [] { RegisterPersistentClass<TTestRect>(); });

    // The logical rectangle takes the place of the control rectangle, before Border.
    const auto& entries = TTestRect::StaticClass().properties().entries();
    QStringList names;
    for (const PropInfo& p : entries) names << p.name;
    EXPECT_EQ(names.indexOf(QStringLiteral("Left")) + 4, names.indexOf(QStringLiteral("Border")));
    EXPECT_EQ(names.count(QStringLiteral("Left")), 1);

    TTestRect o(QStringLiteral("Shape"), {-10, 20, 40, 60}, 0x00FF00);
    o.SetBorder(true);
    o.SetLayerGroup(2);
    o.SetDontPrint(true);
    o.SetBlendRatio(60);
    o.SetMovable(false);
    o.Appendix()->Add(QStringLiteral("行"));
    const QByteArray bytes = streamOf(o);
    EXPECT_FALSE(bytes.contains("Selectable"));  // at its default
    std::unique_ptr<TTestRect> back = readNew<TTestRect>(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->LogBounds(), o.LogBounds());
    EXPECT_TRUE(back->Border());
    EXPECT_EQ(back->LayerGroup(), 2);
    EXPECT_TRUE(back->DontPrint());
    EXPECT_EQ(back->BlendRatio(), 60);
    EXPECT_FALSE(back->Movable());
    EXPECT_TRUE(back->Selectable());
    EXPECT_EQ(back->color, 0x00FF00);
    EXPECT_EQ(back->Appendix()->ToStringList(), QStringList{QStringLiteral("行")});

    // Object lists keep draw objects only.
    TComponent plain;
    TComponent* objects[] = {&o, &plain};
    TMemoryStream s;
    WriteObjectList(s, objects);
    s.SetPosition(0);
    std::vector<std::unique_ptr<TComponent>> list;
    ReadObjectList(list, s);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(dynamic_cast<TTestRect&>(*list[0]).LogBounds(), o.LogBounds());
}

}  // namespace
