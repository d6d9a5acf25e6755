// The colour spec's values, its stored form, the older form it still reads and its
// change reports.

#include "document/stream/ClassRegistry.h"
#include "document/stream/Component.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "document/stream/StreamErrors.h"
#include "document/stream/StreamText.h"
#include "imaging/color/ColorSpec.h"
#include "imaging/picture/ImageData.h"
#include "imaging/picture/SafetyBitmap.h"

#include <gtest/gtest.h>
#include <mutex>

class TSpecHolder : public TComponent {
    VELLUMO_PERSISTENT(TSpecHolder, TComponent)
public:
    static void DeclareProperties(PropertyBuilder<TSpecHolder>& p) {
        p.persistent("Spec", &TSpecHolder::Spec);
    }
    TColorSpec* Spec() const { return spec_.get(); }

private:
    std::unique_ptr<TColorSpec> spec_ = std::make_unique<TColorSpec>();
};
VELLUMO_DEFINE_PERSISTENT(TSpecHolder)

namespace {

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

void registerHolder() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterPersistentClass<TSpecHolder>(); });
}

QString storedText(TSpecHolder& holder) {
    TMemoryStream s;
    WriteComponentStream(s, holder);
    return streamtree::printDocument(streamtree::readDocument(s.Data()));
}

void readText(TSpecHolder& holder, const QString& text) {
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

TEST(ColorSpec, NewSpecStoresOnlyItsSubObjects) {
    TSpecHolder holder;
    TColorSpec& spec = *holder.Spec();
    EXPECT_EQ(spec.Color(), clBlack);
    EXPECT_EQ(spec.GradAngle(), 270);
    EXPECT_EQ(spec.Kind(), cskSolid);
    EXPECT_EQ(spec.GradColors()->List(), (std::vector<TColor>{clWhite, clBlack}));
    const QString text = storedText(holder);
    for (const char* name : {"Spec.Color", "Style", "Tile", "Kind", "GradAngle", "GradDir",
                             "GradColNum", "GradColor0", "RepeatCount", "Colors"})
        EXPECT_FALSE(text.contains(QLatin1String(name))) << name << "\n" << qPrintable(text);

    // A bitmap kind without a picture counts, and is stored, as solid.
    spec.SetKind(cskBitmap);
    EXPECT_EQ(spec.Kind(), cskSolid);
    EXPECT_FALSE(storedText(holder).contains(QLatin1String("Kind")));
    spec.SetBitmap(QImage());  // an empty bitmap into an empty picture: nothing happens
    EXPECT_TRUE(spec.ImageData()->Picture()->Empty());
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::red);
    spec.SetBitmap(img);
    EXPECT_EQ(spec.Kind(), cskBitmap);
    EXPECT_TRUE(storedText(holder).contains(QLatin1String("Spec.Kind = cskBitmap")));
}

TEST(ColorSpec, StoredValuesAndColourListRoundTrip) {
    TSpecHolder holder;
    TColorSpec& spec = *holder.Spec();
    spec.SetKind(cskGradation);
    spec.SetGradKind(rgkConeClockwise);
    spec.SetGradAngle(45);
    spec.SetStyle(bsCross);
    spec.SetTileShift(true);
    spec.GradColors()->SetList({kRed, kGreen, kBlue});
    spec.GradColors()->SetRepeatCount(3);
    const QString text = storedText(holder);
    EXPECT_TRUE(text.contains(QLatin1String("Spec.GradColors.RepeatCount = 3")));
    // A little-endian count, then the colours.
    EXPECT_TRUE(
        text.contains(QLatin1String("Spec.GradColors.Colors = {03000000FF00000000FF00000000FF00}")))
        << qPrintable(text);

    TSpecHolder back;
    readText(back, text);
    const TColorSpec& b = *back.Spec();
    EXPECT_EQ(b.Kind(), cskGradation);
    EXPECT_EQ(b.GradKind(), rgkConeClockwise);
    EXPECT_EQ(b.GradAngle(), 45);
    EXPECT_EQ(b.Style(), bsCross);
    EXPECT_TRUE(b.TileShift());
    EXPECT_EQ(b.GradColors()->List(), (std::vector<TColor>{kRed, kGreen, kBlue}));
    EXPECT_EQ(b.GradColors()->RepeatCount(), 3);

    // Back to white and black: the list is the default again and not stored.
    spec.GradColors()->SetList({clWhite, clBlack});
    EXPECT_FALSE(storedText(holder).contains(QLatin1String("GradColors.Colors")));

    // A count larger than the bytes that follow is refused.
    TSpecHolder bad;
    QString badText = text;
    badText.replace(QLatin1String("{03000000"), QLatin1String("{05000000"));
    EXPECT_THROW(readText(bad, badText), EReadError);
}

TEST(ColorSpec, OlderFormIsReadAndDerived) {
    TSpecHolder holder;
    readText(holder, QStringLiteral("object Holder: TSpecHolder\n"
                                    "  Spec.GradDir = rgdCenterToRim\n"
                                    "  Spec.GradColNum = 3\n"
                                    "  Spec.GradColor0 = 255\n"
                                    "  Spec.GradColor1 = 65280\n"
                                    "  Spec.GradColor2 = 16711680\n"
                                    "  Spec.GradColor5 = 123\n"
                                    "end\n"));
    TColorSpec& spec = *holder.Spec();
    EXPECT_EQ(spec.GradKind(), rgkBoxToRim);
    EXPECT_EQ(spec.GradAngle(), 0);
    EXPECT_EQ(spec.GradColors()->List(), (std::vector<TColor>{kRed, kGreen, kBlue}));
    // Only the new form is written.
    const QString text = storedText(holder);
    EXPECT_FALSE(text.contains(QLatin1String("GradDir")));
    EXPECT_TRUE(text.contains(QLatin1String("Spec.GradKind = rgkBoxToRim")));
    EXPECT_TRUE(text.contains(QLatin1String("Spec.GradAngle = 0")));

    const std::pair<TGradDir, int> simple[] = {{rgdLeftToRight, 270},
                                               {rgdRightToLeft, 90},
                                               {rgdTopToBottom, 0},
                                               {rgdBottomToTop, 180},
                                               {rgdLeftTopToRightBottom, 315},
                                               {rgdRightTopToLeftBottom, 45},
                                               {rgdRightBottomToLeftTop, 135},
                                               {rgdLeftBottomToRightTop, 225}};
    for (auto [dir, angle] : simple) {
        spec.SetGradDir(dir);
        EXPECT_EQ(spec.GradKind(), rgkSimple);
        EXPECT_EQ(spec.GradAngle(), angle);
        EXPECT_EQ(spec.GradDir(), dir);
    }
    spec.SetGradDir(rgdRimToCenter);
    EXPECT_EQ(spec.GradKind(), rgkBoxToCenter);
    EXPECT_EQ(spec.GradDir(), rgdRimToCenter);
    spec.SetGradKind(rgkSimple);
    spec.SetGradAngle(30);  // no direction has it
    EXPECT_EQ(spec.GradDir(), rgdLeftToRight);
    spec.SetGradKind(rgkCircleToRim);
    EXPECT_EQ(spec.GradDir(), rgdLeftToRight);
}

TEST(ColorSpec, AssignmentAndChangeReports) {
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

    // Equal values report nothing; sub-object changes are the spec's changes.
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
