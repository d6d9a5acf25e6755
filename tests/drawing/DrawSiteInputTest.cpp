// The mouse and keyboard protocol of the site, driven through its input entry points.

#include "drawing/DOList.h"
#include "drawing/DrawSite.h"
#include "drawing/Ghost.h"
#include "tests/drawing/DrawTestSite.h"
#include "tests/drawing/SiteTestDesigner.h"

#include <gtest/gtest.h>

namespace {

constexpr auto kLeft = Qt::LeftButton;
constexpr auto kNone = Qt::NoModifier;
constexpr auto kShift = Qt::ShiftModifier;

class SiteInput : public ::testing::Test {
protected:
    void SetUp() override {
        site = std::make_unique<TDrawSite>();
        site->Scaler().SetUnitDPI(ScreenDPI());  // logical units are pixels
        site->SetLogSize(400, 300);
        site->OnClearGhost = [this](TDrawSite*) { ++clearGhosts; };
        a = add("A", {50, 50, 100, 100});
        b = add("B", {200, 50, 250, 100});
    }
    void TearDown() override { EXPECT_FALSE(TGhostList::Instance().Active()); }

    TTestRect* add(const QString& name, const TRect& r) {
        return static_cast<TTestRect*>(site->InsertObject(std::make_unique<TTestRect>(name, r)));
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers shift = kNone) {
        site->MouseDown(kLeft, shift, from);
        site->MouseMove(shift, (from + to) / 2);
        site->MouseMove(shift, to);
        site->MouseUp(kLeft, shift, to);
    }
    void click(QPoint at, Qt::KeyboardModifiers shift = kNone) {
        site->MouseDown(kLeft, shift, at);
        site->MouseUp(kLeft, shift, at);
    }
    int selectedCount() {
        TDOList l;
        site->CollectObjects(l, true);
        return l.Count();
    }

    std::shared_ptr<TTestDesigner> designer = std::make_shared<TTestDesigner>();
    TDODesignerRegistration registration{designer};
    std::unique_ptr<TDrawSite> site;
    TTestRect* a = nullptr;
    TTestRect* b = nullptr;
    int clearGhosts = 0;
};

}  // namespace

TEST_F(SiteInput, RubberBandSelectsOnlyWhatItEncloses) {
    // Touching A's control rectangle is not enough.
    drag({40, 40}, {90, 90});
    EXPECT_FALSE(a->Selected());
    EXPECT_EQ(clearGhosts, 1);
    drag({40, 40}, {120, 120});
    EXPECT_TRUE(a->Selected());
    EXPECT_FALSE(b->Selected());
    // A band from the bottom-right works as well; without Shift it starts afresh.
    drag({300, 200}, {190, 40});
    EXPECT_FALSE(a->Selected());
    EXPECT_TRUE(b->Selected());
    // With Shift the band adds to the selection.
    drag({40, 40}, {120, 120}, kShift);
    EXPECT_TRUE(a->Selected());
    EXPECT_TRUE(b->Selected());
    // A band is clamped to the site.
    drag({300, 200}, {-500, -500});
    EXPECT_EQ(selectedCount(), 2);
    EXPECT_TRUE(designer->drags.isEmpty());
}

TEST_F(SiteInput, PressOnAnObjectSelectsAndMovesIt) {
    click({60, 60});
    EXPECT_TRUE(a->Selected());
    EXPECT_EQ(designer->drags, QStringList{"A:-1"});
    EXPECT_EQ(a->GetBounds(), (TRect{50, 50, 100, 100}));  // no movement, nothing applied
    site->UpdateHandles();
    EXPECT_EQ(site->HandleCount(), 2);

    drag({60, 60}, {80, 70});
    EXPECT_EQ(a->GetBounds(), (TRect{70, 60, 120, 110}));
    EXPECT_TRUE(a->Selected());
    EXPECT_FALSE(b->Selected());
    EXPECT_EQ(site->HandleCount(), 2);  // rebuilt after the operation
    EXPECT_EQ(site->PressedObject(), nullptr);

    // Pressing another object without Shift selects only that one.
    click({210, 60});
    EXPECT_FALSE(a->Selected());
    EXPECT_TRUE(b->Selected());
}

TEST_F(SiteInput, ShiftPressTogglesOnlyWithoutMovement) {
    click({60, 60});
    click({210, 60}, kShift);
    EXPECT_TRUE(a->Selected());
    EXPECT_TRUE(b->Selected());
    // Shift-press on a selected object and release without movement deselects it.
    click({60, 60}, kShift);
    EXPECT_FALSE(a->Selected());
    EXPECT_TRUE(b->Selected());
    // With movement it stays selected and is moved.
    click({60, 60}, kShift);
    ASSERT_TRUE(a->Selected());
    drag({60, 60}, {70, 60}, kShift);
    EXPECT_TRUE(a->Selected());
    EXPECT_EQ(a->GetBounds().Left, 60);
    EXPECT_EQ(b->GetBounds().Left, 210);  // both selected objects moved
}

TEST_F(SiteInput, UnselectableOrLockedObjects) {
    a->SetSelectable(false);
    site->MouseDown(kLeft, kNone, {60, 60});
    EXPECT_TRUE(TGhostList::Instance().IsSelectionOnly());  // a rubber band
    site->MouseUp(kLeft, kNone, {60, 60});
    EXPECT_FALSE(a->Selected());

    b->SetMovable(false);
    drag({210, 60}, {230, 80});
    EXPECT_TRUE(b->Selected());
    EXPECT_EQ(b->GetBounds().Left, 200);  // no ghost was made for it
    EXPECT_TRUE(designer->drags.isEmpty());
}

TEST_F(SiteInput, HandleDragWithTwoSelectedMovesBoth) {
    a->SetSelected(true);
    site->UpdateHandles();
    ASSERT_EQ(site->HandleCount(), 2);
    // One selected: the handle's hit code reaches the designer.
    const TRect h = site->Handle(1)->BoundsRect();
    const QPoint onHandle{h.Left + 2, h.Top + 2};
    drag(onHandle, onHandle + QPoint(10, 10));
    EXPECT_EQ(designer->drags, QStringList{"A:7"});
    EXPECT_EQ(a->GetBounds(), (TRect{50, 50, 110, 110}));

    designer->drags.clear();
    b->SetSelected(true);
    site->UpdateHandles();
    TPivot* handleOfA = nullptr;
    for (int i = 0; i < site->HandleCount(); ++i)
        if (site->Handle(i)->Object() == a && site->Handle(i)->HitCode() == 7)
            handleOfA = site->Handle(i);
    ASSERT_NE(handleOfA, nullptr);
    const TRect h2 = handleOfA->BoundsRect();
    drag({h2.Left + 2, h2.Top + 2}, {h2.Left + 12, h2.Top + 2});
    designer->drags.sort();
    EXPECT_EQ(designer->drags, (QStringList{"A:-1", "B:-1"}));
    EXPECT_EQ(a->GetBounds(), (TRect{60, 50, 120, 110}));  // moved, not resized
    EXPECT_EQ(b->GetBounds(), (TRect{210, 50, 260, 100}));
}

TEST_F(SiteInput, OtherButtonsClicksAndDoubleClicks) {
    int siteClicks = 0, objectClicks = 0, siteDouble = 0;
    site->OnClick = [&](TDrawSite*) { ++siteClicks; };
    a->OnClick = [&](TLightControl*) { ++objectClicks; };
    site->OnDblClick = [&](TDrawSite*) { ++siteDouble; };

    a->SetSelected(true);
    // A right press on another object selects it without starting anything.
    site->MouseDown(Qt::RightButton, kNone, {210, 60});
    EXPECT_TRUE(b->Selected());
    EXPECT_FALSE(a->Selected());
    EXPECT_FALSE(TGhostList::Instance().Active());
    site->MouseUp(Qt::RightButton, kNone, {210, 60});
    // A right press on the background deselects everything.
    site->MouseDown(Qt::RightButton, kNone, {350, 250});
    EXPECT_EQ(selectedCount(), 0);
    site->MouseUp(Qt::RightButton, kNone, {350, 250});

    click({60, 60});
    EXPECT_EQ(objectClicks, 1);
    EXPECT_EQ(siteClicks, 0);
    click({350, 250});
    EXPECT_EQ(siteClicks, 1);

    // A double click on an object asks the designers to edit it.
    site->MouseDown(kLeft, kNone, {60, 60}, true);
    site->MouseUp(kLeft, kNone, {60, 60});
    EXPECT_EQ(designer->edits, QStringList{"A"});
    site->MouseDown(kLeft, kNone, {350, 250}, true);
    site->MouseUp(kLeft, kNone, {350, 250});
    EXPECT_EQ(siteDouble, 1);
}

TEST_F(SiteInput, KeysDuringAnOperationAndCancel) {
    site->MouseDown(kLeft, kNone, {60, 60});
    site->MouseMove(kNone, {70, 60});
    TTestGhost::lastShift = kNone;
    int key = Qt::Key_Shift;
    site->KeyDown(key, kShift);  // re-runs the move at once with the new state
    EXPECT_EQ(TTestGhost::lastShift, kShift);
    site->KeyUp(key, kNone);
    EXPECT_EQ(TTestGhost::lastShift, kNone);

    site->CancelMode();
    EXPECT_FALSE(TGhostList::Instance().Active());
    EXPECT_EQ(clearGhosts, 1);
    site->MouseUp(kLeft, kNone, {90, 60});
    EXPECT_EQ(a->GetBounds().Left, 50);  // nothing applied
}

TEST_F(SiteInput, ArrowKeysNudgeAndKeepInside) {
    int seen = 0;
    site->OnKeyDown = [&](TDrawSite* s, int& key, Qt::KeyboardModifiers shift) {
        ++seen;
        if (s->NudgeSelection(key, shift)) key = 0;
    };
    a->SetSelected(true);
    b->SetSelected(true);
    b->SetMovable(false);
    int key = Qt::Key_Right;
    site->KeyDown(key, kNone);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(a->GetBounds().Left, 60);
    EXPECT_EQ(b->GetBounds().Left, 200);
    key = Qt::Key_Up;
    site->KeyDown(key, kShift);
    EXPECT_EQ(a->GetBounds().Top, 49);
    key = Qt::Key_A;
    site->KeyDown(key, kNone);
    EXPECT_EQ(key, Qt::Key_A);
    EXPECT_EQ(seen, 3);

    // The centre never gets closer than 10 units to the site's edge.
    for (int i = 0; i < 20; ++i) {
        key = Qt::Key_Left;
        site->KeyDown(key, kNone);
    }
    const TRect r = a->GetBounds();
    EXPECT_EQ((r.Left + r.Right) / 2, 10);
}
