// corvane-tool fonts and text, run as a separate process.
#include "tests/support/TempDir.h"
#include "tests/support/ToolRunner.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

class TextTool : public ToolFixture {};

TEST_F(TextTool, FontsListsTheAliasNamesWithTheirFiles) {
    const ToolRun r = run({"fonts"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    bool gothic = false;
    for (const QString& line : lines) {
        const QStringList fields = line.split(u'\t');
        ASSERT_EQ(fields.size(), 4) << line.toStdString();
        EXPECT_FALSE(fields[1].isEmpty());
        EXPECT_TRUE(fields[3] == "vertical" || fields[3] == "-");
        if (fields[0] == QStringLiteral("ＭＳ Ｐゴシック")) {
            gothic = true;
            EXPECT_EQ(fields[1], "IPAPGothic");
            EXPECT_TRUE(fields[2].endsWith(".ttf")) << fields[2].toStdString();
            EXPECT_EQ(fields[3], "vertical");
        }
    }
    EXPECT_TRUE(gothic);
    EXPECT_EQ(run({"fonts", "extra"}).code, 2);
}

TEST_F(TextTool, ConvertAppliesTheChosenConversions) {
    EXPECT_EQ(run({"text", "convert", "ab-12"}).out, "ab-12\n");
    EXPECT_EQ(run({"text", "convert", "--half-to-full", "ab-12"}).out,
              QStringLiteral("ａｂ－１２\n"));
    EXPECT_EQ(run({"text", "convert", "--half-to-full", "--minus-exc", "ab-12"}).out,
              QStringLiteral("ａｂ-１２\n"));
    // Kanji numerals come from the full-width digits, after the widening.
    EXPECT_EQ(run({"text", "convert", "--digits-to-kanji", "12"}).out, "12\n");
    EXPECT_EQ(run({"text", "convert", "--half-to-full", "--digits-to-kanji", "12"}).out,
              QStringLiteral("一二\n"));
    EXPECT_EQ(run({"text", "convert"}).code, 2);
    EXPECT_EQ(run({"text", "shuffle", "x"}).code, 2);
}

QJsonObject firstLine(const ToolRun& r) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    const QJsonArray lines = doc.object()[u"lines"].toArray();
    EXPECT_EQ(lines.size(), 1);
    return lines.at(0).toObject();
}

TEST_F(TextTool, LayoutPositionsAddUp) {
    // 10 point at 0.1 mm: an em of 10 * 254 / 72 = 35 units, and the IPA cell is one em.
    const QString text = QStringLiteral("日本語abc");
    const QJsonObject line =
        firstLine(run({"text", "layout", "--size", "10", "--spacing", "3", text}));
    EXPECT_EQ(line[u"height"].toInt(), 35);
    const QJsonArray chars = line[u"chars"].toArray();
    ASSERT_EQ(chars.size(), 6);
    for (int i = 0; i + 1 < chars.size(); ++i) {
        const QJsonObject c = chars[i].toObject();
        const int total = c[u"a"].toInt() + c[u"b"].toInt() + c[u"c"].toInt();
        EXPECT_EQ(chars[i + 1].toObject()[u"position"].toInt(), c[u"position"].toInt() + total + 3)
            << i;
    }
    // Full-width characters advance one em.
    const QJsonObject kanji = chars[0].toObject();
    EXPECT_EQ(kanji[u"a"].toInt() + kanji[u"b"].toInt() + kanji[u"c"].toInt(), 35);
    const QJsonObject first = chars.first().toObject(), last = chars.last().toObject();
    EXPECT_EQ(line[u"start"].toInt(), first[u"position"].toInt() + first[u"a"].toInt());
    EXPECT_EQ(line[u"end"].toInt(),
              last[u"position"].toInt() + last[u"a"].toInt() + last[u"b"].toInt());

    // Right alignment ends the ink at the width; centring splits the rest evenly.
    const QJsonObject right =
        firstLine(run({"text", "layout", "--size", "10", "--align", "2", "--width", "500", text}));
    EXPECT_EQ(right[u"end"].toInt(), 500);
    const QJsonObject centre =
        firstLine(run({"text", "layout", "--size", "10", "--align", "1", "--width", "500", text}));
    EXPECT_NEAR(centre[u"start"].toInt(), 500 - centre[u"end"].toInt(), 1);
    const QJsonObject justified =
        firstLine(run({"text", "layout", "--size", "10", "--align", "3", "--width", "500", text}));
    EXPECT_EQ(justified[u"start"].toInt(), 0);
    EXPECT_EQ(justified[u"end"].toInt(), 500);
    EXPECT_EQ(run({"text", "layout", "--align", "4", text}).code, 2);
}

// Counts the non-white pixels inside and outside `box` (pixels).
std::pair<int, int> ink(const QImage& image, const QRect& box) {
    int inside = 0, outside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                ++(box.contains(x, y) ? inside : outside);
    return {inside, outside};
}

TEST_F(TextTool, RenderInksTheBoxOnly) {
    struct Case {
        const char* name;
        QStringList options;
        int margin;  // pixels the ink may reach beyond the box
    };
    // Turned text turns about its own rectangle, so its corners may leave the box by up
    // to a line's height (35 units, 18 pixels).
    const Case cases[] = {
        {"horizontal", {}, 0},
        {"vertical", {"--vertical"}, 0},
        {"rotated", {"--angle", "30"}, 18},
        {"arc", {"--bulge", "60"}, 0},
    };
    // A box of 40 x 30 mm at 20 mm from the corner; at 127 dpi a logical unit is half a pixel.
    const QRect box(QPoint(100, 100), QPoint(299, 249));
    for (const Case& c : cases) {
        const QString file = dir.path() + "/" + c.name + ".png";
        const ToolRun r =
            run(QStringList{"text", "render", "--size", "10", "--dpi", "127", "--box",
                            "200,200,600,500", "--align", "1"} +
                c.options + QStringList{QStringLiteral("日本語の文字\nAbc 123"), file});
        ASSERT_EQ(r.code, 0) << c.name << r.err.toStdString();
        const QImage image(file);
        ASSERT_FALSE(image.isNull()) << c.name;
        EXPECT_EQ(image.size(), QSize(400, 350)) << c.name;
        EXPECT_GT(ink(image, box).first, 500) << c.name;
        const QRect allowed = box.adjusted(-c.margin, -c.margin, c.margin, c.margin);
        EXPECT_EQ(ink(image, allowed).second, 0) << c.name;
        if (c.margin > 0) {
            EXPECT_GT(ink(image, box).second, 0) << c.name;
        }
    }
    EXPECT_EQ(run({"text", "render", "x", dir.path() + "/x.png"}).code, 2);
    EXPECT_EQ(run({"text", "render", "--box", "5,5,1,1", "x", dir.path() + "/x.png"}).code, 2);
}

}  // namespace
