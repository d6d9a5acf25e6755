// The site's window on Qt's offscreen platform, driven with real mouse and key events.

#include "drawing/DOList.h"
#include "drawing/DrawSiteWidget.h"
#include "drawing/Ghost.h"
#include "tests/drawing/DrawTestSite.h"
#include "tests/drawing/SiteTestDesigner.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>

namespace {

class SiteWidget : public ::testing::Test {
protected:
    void SetUp() override {
        area.resize(300, 200);
        widget = new TDrawSiteWidget;  // the scroll area owns it
        area.setWidget(widget);
        TDrawSite& site = widget->Site();
        site.Scaler().SetUnitDPI(ScreenDPI());  // logical units are pixels
        site.SetLogSize(1000, 800);
        site.SetBorder(false);
        site.SetColor(clWhite);
        a = static_cast<TTestRect*>(
            site.InsertObject(std::make_unique<TTestRect>("A", TRect{50, 50, 100, 100})));
        area.show();
        QApplication::processEvents();
    }
    void TearDown() override { EXPECT_FALSE(TGhostList::Instance().Active()); }

    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                      : type == QEvent::MouseMove && !pressed_
                                          ? Qt::NoButton
                                          : Qt::MouseButtons(button);
        QMouseEvent e(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, mods);
        QApplication::sendEvent(widget, &e);
        if (type == QEvent::MouseButtonPress) pressed_ = true;
        if (type == QEvent::MouseButtonRelease) pressed_ = false;
    }
    void drag(QPoint from, QPoint to) {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, (from + to) / 2);
        mouse(QEvent::MouseMove, to);
        mouse(QEvent::MouseButtonRelease, to);
        QApplication::processEvents();
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, k, mods);
        QApplication::sendEvent(widget, &release);
    }

    std::shared_ptr<TTestDesigner> designer = std::make_shared<TTestDesigner>();
    TDODesignerRegistration registration{designer};
    QScrollArea area;
    TDrawSiteWidget* widget = nullptr;
    TTestRect* a = nullptr;
    bool pressed_ = false;
};

}  // namespace

TEST_F(SiteWidget, ShowsTheSiteAndFollowsItsSize) {
    EXPECT_EQ(widget->size(), QSize(1000, 800));
    QImage shown = widget->grab().toImage();
    EXPECT_EQ(shown.pixel(75, 75), 0xFFFF0000u);
    EXPECT_EQ(shown.pixel(150, 75), 0xFFFFFFFFu);
    widget->Site().Scaler().SetScale(50);
    EXPECT_EQ(widget->size(), QSize(500, 400));
    shown = widget->grab().toImage();
    EXPECT_EQ(shown.pixel(37, 37), 0xFFFF0000u);
    EXPECT_EQ(shown.pixel(75, 75), 0xFFFFFFFFu);
}

TEST_F(SiteWidget, MouseSelectsMovesAndShowsHandles) {
    drag({60, 60}, {90, 80});
    EXPECT_TRUE(widget->hasFocus() || !area.isActiveWindow());
    EXPECT_TRUE(a->Selected());
    EXPECT_EQ(a->GetBounds(), (TRect{80, 70, 130, 120}));
    // The handles come at idle time.
    QApplication::processEvents();
    EXPECT_EQ(widget->Site().HandleCount(), 2);
    const QImage shown = widget->grab().toImage();
    EXPECT_EQ(shown.pixel(100, 100), 0xFFFF0000u);
    EXPECT_EQ(shown.pixel(60, 60), 0xFFFFFFFFu);

    // A rubber band on the background that misses A deselects it. While it is dragged its
    // outline shows on the screen picture; afterwards the picture is as before.
    const auto outlinePixels = [&] {
        const QImage& screen = widget->Site().Screen();
        int n = 0;
        for (int x = 200; x < 250; ++x) n += screen.pixel(x, 130) != 0xFFFFFFFFu;
        return n;
    };
    EXPECT_EQ(outlinePixels(), 0);
    mouse(QEvent::MouseButtonPress, {250, 150});
    mouse(QEvent::MouseMove, {220, 140});
    mouse(QEvent::MouseMove, {200, 130});
    EXPECT_GT(outlinePixels(), 10);
    mouse(QEvent::MouseButtonRelease, {200, 130});
    QApplication::processEvents();
    EXPECT_EQ(outlinePixels(), 0);
    QApplication::processEvents();
    EXPECT_FALSE(a->Selected());
    EXPECT_EQ(widget->Site().HandleCount(), 0);
    // One that encloses it selects it.
    drag({250, 150}, {70, 60});
    EXPECT_TRUE(a->Selected());
}

TEST_F(SiteWidget, ArrowKeysAndCursor) {
    widget->Site().OnKeyDown = [](TDrawSite* s, int& k, Qt::KeyboardModifiers mods) {
        if (s->NudgeSelection(k, mods)) k = 0;
    };
    widget->Site().SetMoveCursor(Qt::SizeAllCursor);
    mouse(QEvent::MouseMove, {70, 70});
    EXPECT_EQ(widget->cursor().shape(), Qt::SizeAllCursor);
    mouse(QEvent::MouseMove, {300, 300});
    EXPECT_EQ(widget->cursor().shape(), Qt::ArrowCursor);

    drag({60, 60}, {60, 60});
    ASSERT_TRUE(a->Selected());
    key(Qt::Key_Right);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(a->GetBounds().Left, 60);
    EXPECT_EQ(a->GetBounds().Top, 51);
}

TEST_F(SiteWidget, ScrollsDuringAnOperation) {
    QScrollBar* v = area.verticalScrollBar();
    ASSERT_GT(v->maximum(), 0);
    EXPECT_EQ(v->value(), 0);
    const int viewHeight = area.viewport()->height();
    mouse(QEvent::MouseButtonPress, {150, 150});
    mouse(QEvent::MouseMove, {150, viewHeight + 20});  // below the visible part
    EXPECT_EQ(v->value(), v->singleStep());
    mouse(QEvent::MouseMove, {150, viewHeight + 40});
    EXPECT_EQ(v->value(), 2 * v->singleStep());
    mouse(QEvent::MouseButtonRelease, {150, viewHeight + 40});
    // Without an operation nothing scrolls.
    mouse(QEvent::MouseMove, {150, viewHeight + 200});
    EXPECT_EQ(v->value(), 2 * v->singleStep());
}

TEST_F(SiteWidget, ContextMenuHintsAndLostFocus) {
    QMenu menu;
    menu.addAction("x");
    widget->SetPopupMenu(&menu);
    mouse(QEvent::MouseButtonPress, {60, 60}, Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, {60, 60}, Qt::RightButton);
    EXPECT_TRUE(a->Selected());
    QContextMenuEvent cm(QContextMenuEvent::Mouse, QPoint(60, 60),
                         widget->mapToGlobal(QPoint(60, 60)));
    QApplication::sendEvent(widget, &cm);
    EXPECT_TRUE(menu.isVisible());
    menu.close();

    a->SetHint(QStringLiteral("写真の枠"));
    widget->Site().SetHint(QStringLiteral("台紙"));
    EXPECT_EQ(widget->Site().HintAt({60, 60}), QStringLiteral("写真の枠"));
    EXPECT_EQ(widget->Site().HintAt({300, 300}), QStringLiteral("台紙"));

    // Losing the focus in the middle of a drag cancels it: nothing moves.
    mouse(QEvent::MouseButtonPress, {60, 60});
    mouse(QEvent::MouseMove, {80, 80});
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(widget, &out);
    EXPECT_FALSE(TGhostList::Instance().Active());
    mouse(QEvent::MouseButtonRelease, {80, 80});
    EXPECT_EQ(a->GetBounds().Left, 50);
}
