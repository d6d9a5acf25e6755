// The canvas's fonts: face resolution, the 1-em cell, character widths, vertical forms,
// per-glyph fallback, output onto a canvas and into its path, and measuring from threads.
#include "platform/canvas/Canvas.h"
#include "platform/canvas/Fonts.h"
#include "platform/canvas/TextFont.h"
#include "platform/canvas/TextOut.h"

#include <gtest/gtest.h>

#include <QPainterPath>
#include <thread>

using namespace platform;

namespace {

Font fontOf(const QString& name, int em, int escapement = 0) {
    Font f;
    f.name = name;
    f.height = -em;
    f.escapement = f.orientation = escapement;
    return f;
}

int inkedPixels(const QImage& image, QRgb background) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) | 0xFF000000u) != background;
    return n;
}

}  // namespace

TEST(FontRegistry, StoredNamesResolveToTheIpaFaces) {
    FontRegistry& fonts = FontRegistry::instance();
    EXPECT_EQ(fonts.resolveFamily(QStringLiteral("ＭＳ Ｐゴシック")), u"IPAPGothic");
    EXPECT_EQ(fonts.resolveFamily(QStringLiteral("ＭＳ Ｐ明朝")), u"IPAPMincho");
    EXPECT_EQ(fonts.resolveFamily(QStringLiteral("ＭＳ ゴシック")), u"IPAGothic");
    EXPECT_EQ(fonts.resolveFamily(QStringLiteral("ＭＳ 明朝")), u"IPAMincho");
    EXPECT_EQ(fonts.resolveFamily(QStringLiteral("@ＭＳ 明朝")), u"IPAMincho");
    for (const QString& name : fallbackFaceNames())
        EXPECT_FALSE(fonts.resolveFamily(name).isEmpty()) << name.toStdString();
    // A face that is not installed is not usable and draws in the first fallback face.
    EXPECT_FALSE(fonts.isUsable(QStringLiteral("Nonexistent Face")));
    EXPECT_TRUE(fonts.resolveFamily(QStringLiteral("Nonexistent Face")).isEmpty());
    EXPECT_EQ(fonts.face(QStringLiteral("Nonexistent Face"))->family(), u"IPAPGothic");
    EXPECT_EQ(Font().name, fallbackFaceNames().front());
}

TEST(FontRegistry, ListsUsableAndVerticalFaces) {
    FontRegistry& fonts = FontRegistry::instance();
    const QStringList usable = fonts.usableFaces();
    EXPECT_TRUE(usable.contains(QStringLiteral("ＭＳ Ｐゴシック")));
    EXPECT_TRUE(usable.contains(QStringLiteral("IPAMincho")));
    for (const QString& name : usable) EXPECT_FALSE(name.startsWith(u'@'));
    const QStringList vertical = fonts.verticalFaces();
    EXPECT_TRUE(vertical.contains(QStringLiteral("@ＭＳ 明朝")));
    EXPECT_TRUE(fonts.isVertical(QStringLiteral("@ＭＳ ゴシック")));
    EXPECT_FALSE(fonts.isVertical(QStringLiteral("ＭＳ ゴシック")));
    for (const QString& name : vertical) EXPECT_TRUE(usable.contains(name.mid(1)));
    fonts.noteMissing(QStringLiteral("Gone Face"));
    EXPECT_TRUE(fonts.unusableFaces().contains(QStringLiteral("Gone Face")));
}

TEST(TextFont, TheIpaCellIsOneEm) {
    for (const QString& name : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("ＭＳ Ｐ明朝"),
                                QStringLiteral("ＭＳ ゴシック"), QStringLiteral("ＭＳ 明朝")}) {
        const TextFont f(fontOf(name, 1000));
        EXPECT_EQ(f.metrics().height, 1000) << name.toStdString();
        EXPECT_EQ(f.metrics().ascent + f.metrics().descent, 1000);
        EXPECT_EQ(f.metrics().internalLeading, 0);
        EXPECT_GT(f.metrics().ascent, 800);
        EXPECT_LT(f.metrics().underlinePosition, 0);
        EXPECT_GT(f.metrics().strikeoutPosition, 0);
        EXPECT_GT(f.metrics().underlineSize, 0);
        // A positive height names the cell, which is the em as well.
        Font cell = fontOf(name, 0);
        cell.height = 350;
        EXPECT_EQ(TextFont(cell).metrics().height, 350);
    }
}

TEST(TextFont, AbcWidthsFollowTheFace) {
    const TextFont fixed(fontOf(QStringLiteral("ＭＳ ゴシック"), 100));
    const AbcWidth kana = fixed.abc(U'あ');
    EXPECT_EQ(kana.total(), 100);  // full width: one em
    EXPECT_GT(kana.a, 0);
    EXPECT_GT(kana.b, 50);
    EXPECT_EQ(fixed.abc(U'A').total(), 50);  // half width in the fixed face
    EXPECT_EQ(fixed.abc(U'i').total(), 50);
    const AbcWidth space = fixed.abc(U' ');
    EXPECT_EQ(space, (AbcWidth{0, 50, 0}));
    const TextFont proportional(fontOf(QStringLiteral("ＭＳ Ｐゴシック"), 100));
    EXPECT_LT(proportional.abc(U'i').total(), proportional.abc(U'W').total());
    EXPECT_EQ(fixed.extent(QStringLiteral("あA")), QSize(150, 100));
}

TEST(TextFont, VerticalFacesStandTwoByteCharactersUpright) {
    const TextFont vertical(fontOf(QStringLiteral("@ＭＳ 明朝"), 100, 2700));
    ASSERT_TRUE(vertical.vertical());
    const TextFont plain(fontOf(QStringLiteral("ＭＳ 明朝"), 100));
    EXPECT_FALSE(plain.vertical());
    // The kanji for one is a horizontal stroke; upright in a column it stays wide.
    const QRectF one = vertical.outline(QStringLiteral("一"), {0, 0}).boundingRect();
    EXPECT_GT(one.width(), 3 * one.height());
    // The column lies left of the reference point and runs downwards.
    EXPECT_LE(one.right(), 0.5);
    EXPECT_GE(one.left(), -100.5);
    EXPECT_GT(one.top(), 0);
    // A one-byte hyphen lies on its side: tall and narrow on the page.
    const QRectF hyphen = vertical.outline(QStringLiteral("-"), {0, 0}).boundingRect();
    EXPECT_GT(hyphen.height(), 2 * hyphen.width());
    // The long vowel mark takes its vertical form.
    const QRectF bar = vertical.outline(QStringLiteral("ー"), {0, 0}).boundingRect();
    EXPECT_GT(bar.height(), 3 * bar.width());
    // Along the column, a full-width character advances one em.
    EXPECT_EQ(vertical.abc(U'あ').total(), 100);
    EXPECT_TRUE(isDoubleByte(U'あ'));
    EXPECT_FALSE(isDoubleByte(U'A'));
    EXPECT_FALSE(isDoubleByte(U'ｱ'));
}

TEST(TextFont, EscapementTurnsTheOutlineCounterClockwise) {
    const TextFont upwards(fontOf(QStringLiteral("ＭＳ ゴシック"), 100, 900));
    const QRectF box = upwards.outline(QStringLiteral("あいう"), {500, 500}).boundingRect();
    EXPECT_GT(box.height(), 2 * box.width());
    EXPECT_LT(box.bottom(), 500.5);  // runs up from the reference point
    EXPECT_GT(box.left(), 499.5);    // the cell's top is to the left; its bottom to the right
}

TEST(TextFont, CharactersTheFaceLacksComeFromAnotherFace) {
    const TextFont f(fontOf(QStringLiteral("ＭＳ Ｐゴシック"), 100));
    const char32_t candidates[] = {U'\u2654', U'\u0E01', U'\u05D0', U'\u0634', U'\u1E9E'};
    for (char32_t ch : candidates) {
        if (f.face().supports(ch)) continue;
        if (!FontRegistry::instance().fallbackFor(ch, &f.face())) continue;
        const QString s = QString::fromUcs4(&ch, 1);
        EXPECT_FALSE(f.outline(s, {0, 0}).isEmpty());
        EXPECT_GT(f.abc(ch).b, 0);
        return;
    }
    GTEST_SKIP() << "no installed face has a character the IPA faces lack";
}

TEST(TextOut, DrawsAntialiasedGlyphsAndRecordsTheSameOutline) {
    QImage image(300, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    Canvas canvas(image);
    canvas.tools().font = fontOf(QStringLiteral("ＭＳ ゴシック"), 80);
    canvas.tools().backgroundMode = BackgroundMode::Transparent;
    textOut(canvas, QPointF(10, 20), QStringLiteral("日本語"));
    int partial = 0, full = 0;
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int v = qRed(image.pixel(x, y));
            if (v < 255) ink |= QRect(x, y, 1, 1);
            partial += v > 0 && v < 255;
            full += v == 0;
        }
    EXPECT_GT(full, 300);
    EXPECT_GT(partial, 50);  // antialiased edges
    EXPECT_GE(ink.left(), 10);
    EXPECT_GE(ink.top(), 20);
    EXPECT_LE(ink.right(), 10 + 240);
    EXPECT_LE(ink.bottom(), 20 + 80);

    // The same text into a path: filled without antialiasing it covers the same pixels
    // up to the edges.
    QImage pathImage(300, 120, QImage::Format_RGB32);
    pathImage.fill(Qt::white);
    Canvas pathCanvas(pathImage);
    pathCanvas.tools().font = canvas.tools().font;
    pathCanvas.tools().polyFillMode = FillRule::Winding;
    pathCanvas.tools().brush.color = clBlack;
    pathCanvas.tools().pen.style = PenStyle::Clear;
    pathCanvas.beginPath();
    textOut(pathCanvas, QPointF(10, 20), QStringLiteral("日本語"));
    pathCanvas.endPath();
    std::vector<QPoint> points;
    std::vector<std::uint8_t> types;
    pathCanvas.getPath(points, types);
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(types.front(), 6);
    EXPECT_EQ(types.back() & 1, 1);
    pathCanvas.fillPath();
    const int filled = inkedPixels(pathImage, 0xFFFFFFFFu);
    EXPECT_GT(filled, full);
    EXPECT_LT(filled, full + partial);
}

TEST(TextOut, OpaqueBackgroundFillsTheCell) {
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    Canvas canvas(image);
    canvas.tools().font = fontOf(QStringLiteral("ＭＳ ゴシック"), 40);
    canvas.tools().backgroundColor = 0x0000FF;  // red
    textOut(canvas, QPointF(0, 0), QStringLiteral("ab"));
    EXPECT_EQ(image.pixel(1, 1) | 0xFF000000u, 0xFFFF0000u);
    EXPECT_EQ(image.pixel(39, 39) | 0xFF000000u, 0xFFFF0000u);
    EXPECT_EQ(image.pixel(41, 41) | 0xFF000000u, 0xFFFFFFFFu);
}

TEST(TextFont, MeasuringFromSeveralThreadsAgrees) {
    const QString text = QStringLiteral("あいうえおカキクケコ漢字仮名交じり文ABCxyz");
    std::vector<int> expected;
    {
        const TextFont f(fontOf(QStringLiteral("ＭＳ Ｐ明朝"), 120));
        for (char32_t ch : text.toUcs4()) expected.push_back(f.abc(ch).total());
    }
    std::vector<std::vector<int>> results(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                const TextFont f(fontOf(
                    round % 2 ? QStringLiteral("@ＭＳ Ｐ明朝") : QStringLiteral("ＭＳ Ｐ明朝"), 120,
                    round % 2 ? 2700 : 0));
                std::vector<int> widths;
                for (char32_t ch : text.toUcs4()) widths.push_back(f.abc(ch).total());
                f.outline(text, {0, 0});
                if (round % 2 == 0) results[size_t(t)] = widths;
            }
        });
    for (auto& th : threads) th.join();
    for (const auto& r : results) EXPECT_EQ(r, expected);
}
