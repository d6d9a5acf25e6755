// The text layout engine: alignment arithmetic, tab stops, the display conversions, the
// text rectangle, vertical columns, arcs and outlines.
#include "objects/CharLayout.h"
#include "objects/SimpleText.h"
#include "objects/TextConvert.h"
#include "platform/canvas/TextFont.h"

#include <gtest/gtest.h>

#include <cmath>

using platform::AbcWidth;

namespace {

TCharLayout layoutOf(std::vector<AbcWidth> widths) {
    TCharLayout l;
    l.widths = std::move(widths);
    return l;
}

}  // namespace

TEST(AlignLine, StartCentreEndFollowTheInk) {
    // Two characters with side bearings: ink 2..10 and 14..20 in the natural pass.
    TCharLayout l = layoutOf({{2, 8, 1}, {3, 6, 4}});
    AlignLine(l, 100, 0, 0);
    EXPECT_EQ(l.start, 0);
    EXPECT_EQ(l.end, 18);
    EXPECT_EQ(l.positions, (TIntArray{-2, 9}));
    AlignLine(l, 100, 2, 0);
    EXPECT_EQ(l.end, 100);
    EXPECT_EQ(l.start, 82);
    EXPECT_EQ(l.positions, (TIntArray{80, 91}));
    // Centre: ((W - e) - c) div 2, truncating: ((101 - 20) - 2) / 2 = 39.
    AlignLine(l, 101, 1, 0);
    EXPECT_EQ(l.start, 41);
    EXPECT_EQ(l.end, 59);
    // A negative shift truncates towards zero: ((5 - 20) - 2) / 2 = -8.
    AlignLine(l, 5, 1, 0);
    EXPECT_EQ(l.start, -6);
}

TEST(AlignLine, SpacingIsNotAddedAfterTheLastCharacter) {
    TCharLayout l = layoutOf({{0, 10, 0}, {0, 10, 0}, {0, 10, 0}});
    AlignLine(l, 0, 0, 10);
    EXPECT_EQ(l.positions, (TIntArray{0, 20, 40}));
    EXPECT_EQ(l.end, 50);  // the ink end of the last character
}

TEST(AlignLine, JustifySpreadsTheFreeSpaceOverTheGaps) {
    TCharLayout l = layoutOf({{1, 10, 1}, {1, 10, 1}, {1, 10, 1}, {1, 10, 1}});
    // Ink 1..47 naturally; free space 100 - 46 = 54 over three gaps: 18 each.
    AlignLine(l, 100, 3, 25);  // spacing is ignored
    EXPECT_EQ(l.start, 0);
    EXPECT_EQ(l.end, 100);
    EXPECT_EQ(l.positions, (TIntArray{-1, 29, 59, 89}));
    EXPECT_EQ(l.positions.back() + 1 + 10, 100);  // the last ink ends at the width
    // Uneven space: 47 - 46 = 1 goes to the last gap (1 x j div 3 steps at j = 3).
    AlignLine(l, 47, 3, 0);
    EXPECT_EQ(l.positions, (TIntArray{-1, 11, 23, 36}));
    // One character starts at 0: there are no gaps.
    TCharLayout one = layoutOf({{3, 10, 2}});
    AlignLine(one, 100, 3, 0);
    EXPECT_EQ(one.positions[0] + 3, 0);
    TCharLayout none = layoutOf({});
    AlignLine(none, 100, 1, 0);
    EXPECT_EQ(none.start, 50);
}

TEST(LayoutLine, TabsAdvanceToStopsOfEightZeroWidths) {
    platform::Font font;
    font.name = QStringLiteral("ＭＳ ゴシック");
    font.height = -100;
    const platform::TextFont tf(font);
    const int zero = tf.abc(U'0').total();
    ASSERT_EQ(zero, 50);
    TCharLayout l;
    LayoutLine(tf, l, QStringLiteral("ab\tc"), 0, 0, 0);
    EXPECT_EQ(l.widths[2], (AbcWidth{0, 6 * zero, 0}));    // tab at index 2: 8 - 2 cells
    EXPECT_EQ(l.positions[3] - l.positions[0], 8 * zero);  // the next stop
    LayoutLine(tf, l, QStringLiteral("\tx"), 0, 0, 0);
    EXPECT_EQ(l.positions[1] - l.positions[0], 8 * zero);
    EXPECT_EQ(l.height, 100);
}

TEST(TextConvert, HalfWidthBecomesFullWidth) {
    EXPECT_EQ(HalfToFull(QStringLiteral("ｶﾞﾊﾟｳﾞ")), QStringLiteral("ガパヴ"));
    EXPECT_EQ(HalfToFull(QStringLiteral("A-1")), QStringLiteral("Ａ－１"));
    EXPECT_EQ(HalfToFull(QStringLiteral("A-1"), QChar(u'-')), QStringLiteral("Ａ-１"));
    EXPECT_EQ(HalfToFull(QStringLiteral("\"'*\\~!")), QStringLiteral("”’×￥″！"));
    EXPECT_EQ(HalfToFull(QStringLiteral("｡｢｣､･ｰ")), QStringLiteral("。「」、・ー"));
    // Duplicated half-width entries: the first one decides.
    EXPECT_EQ(HalfToFull(QStringLiteral("ｶｹｬｭﾜﾌﾞ")), QStringLiteral("カケャュワブ"));
    // A pair found in no table: both parts converted on their own.
    EXPECT_EQ(HalfToFull(QStringLiteral("ｱﾞAﾟ")), QStringLiteral("ア゛Ａ゜"));
    // Two-byte characters stay.
    EXPECT_EQ(HalfToFull(QStringLiteral("漢字ａ")), QStringLiteral("漢字ａ"));
}

TEST(TextConvert, FullWidthDigitsBecomeKanji) {
    EXPECT_EQ(DigitsToKanji(QStringLiteral("２０２６年")), QStringLiteral("二〇二六年"));
    EXPECT_EQ(DigitsToKanji(QStringLiteral("20")), QStringLiteral("20"));
    TSimpleText t;
    t.SetLines({QStringLiteral("20ｶﾞ")});
    t.SetNumToKnj(true);
    EXPECT_EQ(t.GetDisplayText(), QStringList{QStringLiteral("20ｶﾞ")});
    t.SetHanToZen(true);
    EXPECT_EQ(t.GetDisplayText(), QStringList{QStringLiteral("二〇ガ")});
}

TEST(SimpleText, NoLinesShowThePlaceholder) {
    TSimpleText t;
    EXPECT_EQ(t.GetDisplayText(), QStringList{QStringLiteral("未入力項目")});
    const TRect r = t.ComputeTextRect({0, 0, 2000, 500}, false);
    EXPECT_GT(r.Width(), 0);
    EXPECT_EQ(r.Height(), t.LineHeight());
}

TEST(SimpleText, TextRectOfHorizontalAndVerticalText) {
    TSimpleText t;
    t.Font()->SetName(QStringLiteral("ＭＳ ゴシック"));
    t.Font()->SetSize(36);  // 127 units at 254 per inch
    t.SetLines({QStringLiteral("あいう"), QStringLiteral("え")});
    t.SetLineSpacing(10);
    const int h = t.LineHeight();
    EXPECT_EQ(h, 127);
    t.SetAlign(2);
    TRect r = t.ComputeTextRect({100, 200, 1100, 900}, false);
    EXPECT_EQ(r.Top, 200);
    EXPECT_EQ(r.Bottom, 200 + 2 * h + 10);
    EXPECT_EQ(r.Right, 1100);
    // Vertical: the first column at the box's right edge, the second left of it.
    t.SetVertical(true);
    t.SetAlign(0);
    r = t.ComputeTextRect({100, 200, 1100, 900}, false);
    EXPECT_EQ(r.Right, 1100);
    EXPECT_EQ(r.Left, 1100 - (2 * h + 10));
    EXPECT_GE(r.Top, 200);
    EXPECT_LT(r.Top, 200 + 20);
    // A font of a face that is not installed lays out in the first fallback face.
    t.Font()->SetName(QStringLiteral("Nonexistent Face"));
    EXPECT_EQ(t.LineHeight(), 127);
}

TEST(SimpleText, ChangesReportOnceAndEmptyTheCacheOnlyWhereTheyShould) {
    TSimpleText t;
    int changes = 0;
    t.OnChange = [&] { ++changes; };
    t.SetLines({QStringLiteral("abc")});
    t.EnsureLayout();
    ASSERT_EQ(t.Layouts().size(), 1u);
    t.SetAlign(1);
    EXPECT_EQ(t.Layouts().size(), 1u);
    t.SetCharSpacing(5);
    EXPECT_TRUE(t.Layouts().empty());
    t.SetCharSpacing(5);
    EXPECT_EQ(changes, 3);
    t.BeginUpdate();
    t.SetAngle(10);
    t.SetBulge(20);
    EXPECT_EQ(changes, 3);
    t.EndUpdate();
    EXPECT_EQ(changes, 4);
}

TEST(SimpleText, DrawsStraightVerticalRotatedAndArcText) {
    TSimpleText t;
    t.Font()->SetName(QStringLiteral("ＭＳ 明朝"));
    t.Font()->SetSize(36);
    t.SetLines({QStringLiteral("日本語")});
    const TRect box{0, 0, 600, 600};
    const auto inkBox = [&] {
        QImage image(600, 600, QImage::Format_RGB32);
        image.fill(Qt::white);
        platform::Canvas canvas(image);
        t.Draw(canvas, box);
        QRect ink;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 600; ++x)
                if (qRed(image.pixel(x, y)) < 128) ink |= QRect(x, y, 1, 1);
        return ink;
    };
    const QRect straight = inkBox();
    EXPECT_LT(straight.top(), 127);
    EXPECT_GT(straight.width(), 3 * straight.height() / 2);
    t.SetVertical(true);
    const QRect vertical = inkBox();
    EXPECT_GT(vertical.height(), 3 * vertical.width() / 2);
    EXPECT_GT(vertical.left(), 600 - 127 - 1);
    t.SetVertical(false);
    // Centred on the top line, turned clockwise about the box's centre: the line runs
    // downwards along the right edge.
    t.SetAlign(1);
    t.SetAngle(90);
    const QRect rotated = inkBox();
    EXPECT_GT(rotated.height(), 3 * rotated.width() / 2);
    EXPECT_NEAR(rotated.center().y(), 300, 10);
    EXPECT_NEAR(rotated.center().x(), 600 - 127 / 2, 20);
    t.SetAngle(0);
    // A positive bulge bows upwards: the middle character stands higher than the ends.
    t.SetLines({QStringLiteral("一一一一一")});
    t.SetAlign(3);
    t.SetBulge(150);
    QImage image(600, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    platform::Canvas canvas(image);
    t.Draw(canvas, box);
    const auto topInk = [&](int x0, int x1) {
        for (int y = 0; y < 600; ++y)
            for (int x = x0; x < x1; ++x)
                if (qRed(image.pixel(x, y)) < 128) return y;
        return 600;
    };
    EXPECT_LT(topInk(250, 350), topInk(0, 100) - 50);
    EXPECT_LT(topInk(250, 350), topInk(500, 600) - 50);
}

TEST(SimpleText, OutlineIsTheDrawnText) {
    TSimpleText t;
    t.Font()->SetSize(36);
    t.Font()->SetStyle(fsUnderline);
    t.SetLines({QStringLiteral("あ")});
    TStroke without, with;
    t.BuildOutline(without, {0, 0, 400, 400}, false);
    t.BuildOutline(with, {0, 0, 400, 400}, true);
    ASSERT_GT(without.Count(), 10);
    EXPECT_EQ(without.Type(0), ptMoveTo);
    EXPECT_EQ(with.Count(), without.Count() + 4);  // the underline bar
    const TRect b = without.Bounds();
    EXPECT_GE(b.Left, 0);
    EXPECT_LE(b.Right, 130);
    EXPECT_GE(b.Top, 0);
    EXPECT_LE(b.Bottom, 127);
}
