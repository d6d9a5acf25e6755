// The colour fill's values, its stored form, the older form it still reads and its
// change reports.

#include "document/stream/ClassRegistry.h"
#include "document/stream/Component.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "document/stream/StreamErrors.h"
#include "document/stream/StreamText.h"
#include "imaging/color/ColorFill.h"
#include "imaging/picture/ImageData.h"
#include "imaging/picture/SafetyBitmap.h"

#include <gtest/gtest.h>
#include <mutex>

class TFillHolder : public TComponent {
    VELLUMO_PERSISTENT(TFillHolder, TComponent)
public:
    static void DeclareProperties(PropertyBuilder<TFillHolder>& p) {
        p.persistent("Fill", &TFillHolder::Fill);
    }
    TColorSpec* Fill() const { return fill_.get(); }

private:
    std::unique_ptr<TColorSpec> fill_ = std::make_unique<TColorSpec>();
};
VELLUMO_DEFINE_PERSISTENT(TFillHolder)

namespace {

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

void registerHolder() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterPersistentClass<TFillHolder>(); });
}

QString storedText(TFillHolder& holder) {
    TMemoryStream s;
    WriteComponentStream(s, holder);
    return streamtree::printDocument(streamtree::readDocument(s.Data()));
}

void readText(TFillHolder& holder, const QString& text) {
    registerHolder();
    const QByteArray bytes = streamtree::writeDocument(streamtree::parseDocument(text));
    TMemoryStream s;
    s.WriteBytes(bytes);
    s.SetPosition(0);
    ReadComponentStream(s, &holder);
}

struct ChangeCounter {
    int changes = 0;
    TListener listener{[this](TPersistent*, const QUuid& aspect) {
        if (aspect == asChanged) ++changes;
    }};
};

}  // namespace

TEST(ColorFillValues, NewFillStoresOnlyItsSubObjects) {
    TFillHolder holder;
    TColorSpec& fill = *holder.Fill();
    EXPECT_EQ(fill.Color(), clBlack);
    EXPECT_EQ(fill.GradAngle(), 270);
    EXPECT_EQ(fill.Kind(), cskSolid);
    EXPECT_EQ(fill.GradColors()->List(), (std::vector<TColor>{clWhite, clBlack}));
    const QString text = storedText(holder);
    for (const char* name : {"Fill.Color", "Style", "Tile", "Kind", "GradAngle", "GradDir",
                             "GradColNum", "GradColor0", "RepeatCount", "Colors"})
        EXPECT_FALSE(text.contains(QLatin1String(name))) << name << "\n" << qPrintable(text);

    // A bitmap kind without a picture counts, and is stored, as solid.
    fill.SetKind(cskBitmap);
    EXPECT_EQ(fill.Kind(), cskSolid);
    EXPECT_FALSE(storedText(holder).contains(QLatin1String("Kind")));
    fill.SetBitmap(QImage());  // an empty bitmap into an empty picture: nothing happens
    EXPECT_TRUE(fill.ImageData()->Picture()->Empty());
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::red);
    fill.SetBitmap(img);
    EXPECT_EQ(fill.Kind(), cskBitmap);
    EXPECT_TRUE(storedText(holder).contains(QLatin1String("Fill.Kind = cskBitmap")));
}

TEST(ColorFillValues, StoredValuesAndColourListRoundTrip) {
    TFillHolder holder;
    TColorSpec& fill = *holder.Fill();
    fill.SetKind(cskGradation);
    fill.SetGradKind(rgkConeClockwise);
    fill.SetGradAngle(45);
    fill.SetStyle(bsCross);
    fill.SetTileShift(true);
    fill.GradColors()->SetList({kRed, kGreen, kBlue});
    fill.GradColors()->SetRepeatCount(3);
    const QString text = storedText(holder);
    EXPECT_TRUE(text.contains(QLatin1String("Fill.GradColors.RepeatCount = 3")));
    // A little-endian count, then the colours.
    EXPECT_TRUE(
        text.contains(QLatin1String("Fill.GradColors.Colors = {03000000FF00000000FF00000000FF00}")))
        << qPrintable(text);

    TFillHolder back;
    readText(back, text);
    const TColorSpec& b = *back.Fill();
    EXPECT_EQ(b.Kind(), cskGradation);
    EXPECT_EQ(b.GradKind(), rgkConeClockwise);
    EXPECT_EQ(b.GradAngle(), 45);
    EXPECT_EQ(b.Style(), bsCross);
    EXPECT_TRUE(b.TileShift());
    EXPECT_EQ(b.GradColors()->List(), (std::vector<TColor>{kRed, kGreen, kBlue}));
    EXPECT_EQ(b.GradColors()->RepeatCount(), 3);

    // Back to white and black: the list is the default again and not stored.
    fill.GradColors()->SetList({clWhite, clBlack});
    EXPECT_FALSE(storedText(holder).contains(QLatin1String("GradColors.Colors")));

    // A count larger than the bytes that follow is refused.
    TFillHolder bad;
    QString badText = text;
    badText.replace(QLatin1String("{03000000"), QLatin1String("{05000000"));
    EXPECT_THROW(readText(bad, badText), EReadError);
}

TEST(ColorFillValues, OlderFormIsReadAndDerived) {
    TFillHolder holder;
    readText(holder, QStringLiteral("object Holder: TFillHolder\n"
                                    "  Fill.GradDir = rgdCenterToRim\n"
                                    "  Fill.GradColNum = 3\n"
                                    "  Fill.GradColor0 = 255\n"
                                    "  Fill.GradColor1 = 65280\n"
                                    "  Fill.GradColor2 = 16711680\n"
                                    "  Fill.GradColor5 = 123\n"
                                    "end\n"));
    TColorSpec& fill = *holder.Fill();
    EXPECT_EQ(fill.GradKind(), rgkBoxToRim);
    EXPECT_EQ(fill.GradAngle(), 0);
    EXPECT_EQ(fill.GradColors()->List(), (std::vector<TColor>{kRed, kGreen, kBlue}));
    // Only the new form is written.
    const QString text = storedText(holder);
    EXPECT_FALSE(text.contains(QLatin1String("GradDir")));
    EXPECT_TRUE(text.contains(QLatin1String("Fill.GradKind = rgkBoxToRim")));
    EXPECT_TRUE(text.contains(QLatin1String("Fill.GradAngle = 0")));

    const std::pair<TGradDir, int> simple[] = {{rgdLeftToRight, 270},
                                               {rgdRightToLeft, 90},
                                               {rgdTopToBottom, 0},
                                               {rgdBottomToTop, 180},
                                               {rgdLeftTopToRightBottom, 315},
                                               {rgdRightTopToLeftBottom, 45},
                                               {rgdRightBottomToLeftTop, 135},
                                               {rgdLeftBottomToRightTop, 225}};
    for (auto [dir, angle] : simple) {
        fill.SetGradDir(dir);
        EXPECT_EQ(fill.GradKind(), rgkSimple);
        EXPECT_EQ(fill.GradAngle(), angle);
        EXPECT_EQ(fill.GradDir(), dir);
    }
    fill.SetGradDir(rgdRimToCenter);
    EXPECT_EQ(fill.GradKind(), rgkBoxToCenter);
    EXPECT_EQ(fill.GradDir(), rgdRimToCenter);
    fill.SetGradKind(rgkSimple);
    fill.SetGradAngle(30);  // no direction has it
    EXPECT_EQ(fill.GradDir(), rgdLeftToRight);
    fill.SetGradKind(rgkCircleToRim);
    EXPECT_EQ(fill.GradDir(), rgdLeftToRight);
}

TEST(ColorFillValues, AssignmentAndChangeReports) {
    TColorSpec grad;
    grad.SetKind(cskGradation);
    grad.SetGradAngle(90);
    grad.GradColors()->SetList({kRed, kBlue});

    TColorSpec solid;
    solid.SetColor(kGreen);
    solid.SetStyle(bsHorizontal);
    solid.SetGradAngle(0);
    solid.GradColors()->SetList({kGreen});

    ChangeCounter c;
    grad.Notify().AddListener(&c.listener);
    int onChange = 0;
    grad.SetOnChange([&] { ++onChange; });
    grad.Assign(solid);
    EXPECT_EQ(c.changes, 1);
    EXPECT_EQ(onChange, 1);
    EXPECT_EQ(grad.Kind(), cskSolid);
    EXPECT_EQ(grad.Color(), kGreen);
    EXPECT_EQ(grad.Style(), bsHorizontal);
    // The destination keeps its own gradation settings.
    EXPECT_EQ(grad.GradAngle(), 90);
    EXPECT_EQ(grad.GradColors()->List(), (std::vector<TColor>{kRed, kBlue}));

    // Assigning a gradation copies them.
    TColorSpec source;
    source.SetKind(cskGradation);
    source.SetGradKind(rgkCircleToCenter);
    source.SetGradAngle(135);
    source.GradColors()->SetList({kBlue, kGreen, kRed});
    TColorSpec third;
    third.Assign(source);
    EXPECT_EQ(third.Kind(), cskGradation);
    EXPECT_EQ(third.GradKind(), rgkCircleToCenter);
    EXPECT_EQ(third.GradAngle(), 135);
    EXPECT_EQ(third.GradColors()->List(), source.GradColors()->List());

    // Equal values report nothing; sub-object changes are the fill's changes.
    c.changes = 0;
    grad.SetColor(kGreen);
    grad.SetGradAngle(90);
    EXPECT_EQ(c.changes, 0);
    grad.GradColors()->SetColors(0, kGreen);
    grad.GradColors()->SetRepeatCount(2);
    QImage img(2, 2, QImage::Format_RGB32);
    img.fill(Qt::white);
    grad.SetBitmap(img);
    EXPECT_EQ(c.changes, 3);
}

TEST(GradationColors, IndexesExpansionAndLimits) {
    TGradationColors g;
    EXPECT_THROW(g.Colors(2), EListError);
    EXPECT_THROW(g.SetColors(-1, kRed), EListError);
    try {
        g.Colors(5);
    } catch (const EListError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("リストのインデックスが範囲を超えています (5)"));
    }
    g.SetList({kRed, kBlue});
    g.SetRepeatCount(3);
    EXPECT_EQ(g.Expanded(), (std::vector<TColor>{kRed, kBlue, kRed, kBlue, kRed, kBlue}));
    // Counts that cannot be painted are limited to the ramp's steps.
    g.SetRepeatCount(0x7FFFFFFF);
    EXPECT_EQ(int(g.Expanded().size()), TGradationColors::kMaxColors);
    g.SetRepeatCount(-4);
    EXPECT_EQ(g.Expanded().size(), 2u);
    g.SetCount(1 << 30);
    EXPECT_EQ(g.Count(), TGradationColors::kMaxColors);
    EXPECT_EQ(g.Colors(2), clBlack);
}
