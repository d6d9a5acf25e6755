// The text object on a test site: shadow presets, angles, vertical toggling, bounds,
// automatic size, older stored forms, facets, stored bytes and painting.
#include "document/stream/Stream.h"
#include "document/stream/StreamText.h"
#include "drawing/DOList.h"
#include "imaging/color/ColorFill.h"
#include "objects/CoonsDistortion.h"
#include "objects/LODate.h"
#include "objects/LOWizardText.h"
#include "objects/Messages.h"
#include "objects/SimpleText.h"
#include "platform/IntMath.h"
#include "tests/drawing/DrawTestSite.h"

#include <gtest/gtest.h>

namespace {

QByteArray storedBytes(TDrawObject& o) {
    TDOList list;
    list.Add(&o);
    TMemoryStream stream;
    list.SaveToStream(stream);
    return stream.Data();
}

QString storedText(TDrawObject& o) {
    return streamtree::printDocument(streamtree::readDocument(storedBytes(o)));
}

// The objects of a list written in the text form.
TDOList loadText(const QString& text) {
    TMemoryStream stream(streamtree::writeDocument(streamtree::parseDocument(text)));
    TDOList list;
    list.LoadFromStream(stream);
    return list;
}

std::unique_ptr<TLOWizardText> textAt(const TRect& box, const QStringList& lines = {"Abc"}) {
    auto t = std::make_unique<TLOWizardText>();
    t->SetLogBounds(box);
    t->SetLines(lines);
    return t;
}

QPoint turned(QPoint p, QPoint centre, int angle) {
    TRotator r;
    r.SetCenter(centre);
    r.SetAngle(angle);
    r.TransformPoint(p);
    return p;
}

}  // namespace

TEST(TextObject, ShadowPresetsAndTheirStoredRule) {
    auto t = textAt({0, 0, 400, 100});
    EXPECT_EQ(t->Shadow(), 0);
    t->SetShadowOffsetX(5);
    EXPECT_EQ(t->Shadow(), TLOText::kCustomShadow);
    QString text = storedText(*t);
    EXPECT_TRUE(text.contains("ShadowOffsetX = 5")) << text.toStdString();
    EXPECT_FALSE(text.contains("Shadow = "));
    t->SetShadow(3);
    EXPECT_EQ(QPoint(t->ShadowOffsetX(), t->ShadowOffsetY()), QPoint(7, -7));
    t->SetShadow(12);  // not a preset: offsets stay
    EXPECT_EQ(t->Shadow(), 3);
    text = storedText(*t);
    EXPECT_TRUE(text.contains("Shadow = 3"));
    EXPECT_FALSE(text.contains("ShadowOffset"));
}

TEST(TextObject, ShadowKeepsItsPageDirectionWhenRotated) {
    auto t = textAt({0, 0, 400, 100});
    const int h = t->LineHeight();
    ASSERT_GT(h, 0);
    const QPoint d(platform::mulDiv(h, 7, 100), platform::mulDiv(h, 7, 100));
    for (int angle : {0, 90}) {
        t->SetAngle(angle);
        t->SetShadow(0);
        const TRect plain = t->GetBounds();
        t->SetShadow(8);
        const TRect shadowed = t->GetBounds();
        EXPECT_EQ(shadowed.Left, plain.Left) << angle;
        EXPECT_EQ(shadowed.Top, plain.Top) << angle;
        EXPECT_EQ(shadowed.Right, plain.Right + d.x()) << angle;
        EXPECT_EQ(shadowed.Bottom, plain.Bottom + d.y()) << angle;
    }
}

TEST(TextObject, AnglesAreKeptInOneTurn) {
    auto t = textAt({0, 0, 100, 50});
    for (auto [set, read] : {std::pair{-90, 270}, {-450, 270}, {-721, 359}, {720, 0}, {365, 5}}) {
        t->SetAngle(set);
        EXPECT_EQ(t->Angle(), read) << set;
        EXPECT_EQ(t->SimpleText().Angle(), read) << set;
    }
}

TEST(TextObject, VerticalToggleTransposesTheBoxButNotWhileReading) {
    auto t = textAt({0, 0, 400, 100});
    t->SetVertical(true);
    EXPECT_EQ(t->LogBounds(), (TRect{150, -150, 250, 250}));
    t->SetVertical(false);
    EXPECT_EQ(t->LogBounds(), (TRect{0, 0, 400, 100}));

    TDOList read = loadText(QStringLiteral(
        "list 1\nobject TLOText\n  Left = 0\n  Top = 0\n  Width = 400\n  Height = 100\n"
        "  Vertical = True\n  Angle = 0\nend\n"));
    auto* v = dynamic_cast<TLOText*>(read[0]);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->Vertical());
    EXPECT_EQ(v->LogBounds(), (TRect{0, 0, 400, 100}));
    TLOWizardText copy;
    copy.Assign(*v);  // assignment does not transpose either
    EXPECT_EQ(copy.LogBounds(), (TRect{0, 0, 400, 100}));
    read.FreeAll();
}

TEST(TextObject, BoundsGrowByTheOutlineWidth) {
    auto t = textAt({10, 20, 410, 120});
    t->SetOutline(true);
    t->SetOutLineWidth(5);
    EXPECT_EQ(t->GetBounds(), (TRect{5, 15, 415, 125}));
    // Rotated by 90 degrees the bounds are the turned box, inflated.
    t->SetAngle(90);
    const QPoint c = t->BoxCenter();
    EXPECT_EQ(t->GetBounds(), (TRect{c.x() - 55, c.y() - 205, c.x() + 55, c.y() + 205}));
}

TEST(TextObject, HitTestTurnsThePointBack) {
    auto t = textAt({0, 0, 400, 100});
    t->SetAngle(90);
    EXPECT_EQ(t->HitTest({200, 50}), 1);
    EXPECT_EQ(t->HitTest({20, 50}), 0);    // inside the unturned box only
    EXPECT_EQ(t->HitTest({200, 190}), 1);  // inside the turned one only
}

TEST(TextObject, ArcHitTestAndATinyChord) {
    auto t = textAt({0, 0, 400, 100});
    t->SetBulge(100);
    const QPoint top = t->BulgePoint();  // the middle of the arc through the chord ends
    EXPECT_EQ(t->HitTest(top), 1);
    EXPECT_EQ(t->HitTest({200, 50}), 0);  // below the arc
    // A chord too short for an arc: the box answers, not the whole face.
    t->SetLogBounds({1000, 1000, 1000, 1000});
    EXPECT_EQ(t->HitTest({0, 0}), 0);
    EXPECT_EQ(t->HitTest({5000, 5000}), 0);
    TCanvas& c = MeasuringCanvas();
    t->DrawOutline(c);  // draws nothing, and does not fail
}

TEST(TextObject, EnclosingSizeKeepsMarginsAndSurvivesEmptyBounds) {
    auto t = textAt({0, 0, 400, 100});
    t->SetOutline(true);
    t->SetOutLineWidth(5);
    t->SetEnclosingSize(210, 60);
    EXPECT_EQ(t->LogBounds(), (TRect{0, 0, 200, 50}));
    t->SetAngle(90);
    const TRect e = t->GetBounds();
    t->SetEnclosingSize(e.Width() * 2, e.Height());
    EXPECT_EQ(t->LogBounds().Width(), platform::mulDiv(200, e.Width() * 2, e.Width()));
    EXPECT_EQ(t->LogBounds().Height(), 50);
    // An empty box with no outline encloses nothing: nothing is divided by zero.
    t->SetOutLineWidth(0);
    t->SetLogBounds({0, 0, 0, 0});
    t->SetEnclosingSize(100, 100);
    EXPECT_GE(t->LogBounds().Width(), 0);
}

TEST(TextObject, AutoSizeFitsTheTextOnASite) {
    TTestSite site;
    auto t = textAt({100, 100, 500, 300}, {});
    t->SetAutoSize(true);
    site.Add(*t);
    // No lines: the placeholder is fitted.
    TSimpleText ref;
    ref.Font()->SetSize(24);
    ref.SetLines({msg::textEntryMissing()});
    const TRect placeholder = ref.ComputeTextRect({100, 100, 500, 300}, true);
    EXPECT_EQ(t->LogBounds().Width(), placeholder.Width());
    EXPECT_EQ(t->LogBounds().Height(), placeholder.Height());
    // One narrow character: the minimum width, kept at the left for start alignment.
    t->SetLines({"i"});
    EXPECT_EQ(t->LogBounds().Width(), TLOText::kMinimumSize);
    // End alignment at 30 degrees: the turned top-right corner stays on the page.
    t->SetAlign(2);
    t->SetAngle(30);
    const auto corner = [&] {
        const TRect b = t->LogBounds();
        return turned({b.Right, b.Top}, t->BoxCenter(), 30);
    };
    const QPoint before = corner();
    t->SetLines({"iWWW"});
    EXPECT_GT(t->LogBounds().Width(), TLOText::kMinimumSize);
    EXPECT_LE((corner() - before).manhattanLength(), 2);
    t->SetLines({"iWWWWWWW"});
    EXPECT_LE((corner() - before).manhattanLength(), 2);
    t->SetParent(nullptr);
}

TEST(TextObject, OlderStoredForms) {
    TDOList read = loadText(QStringLiteral(
        "list 3\n"
        "object TLOText\n  Left = 0\n  Top = 0\n  Width = 300\n  Height = 100\n  Version = 1\n"
        "  Angle = 0\n  Outline = True\n  OutLineWidth = 0\n  DiagonalAlign = 2\nend\n"
        "object TLOText\n  Left = 0\n  Top = 0\n  Width = 200\n  Height = 400\n  Version = 1\n"
        "  Align = 4\n  Angle = 0\nend\n"
        "object TLOText\n  Left = 0\n  Top = 0\n  Width = 100\n  Height = 400\n  Version = 0\n"
        "  Text.Strings = ('one' 'two')\n  Align = 2\n  Vertical = True\n  CharSpacing = 9\n"
        "  Angle = 30\n  Bulge = 40\nend\n"));
    ASSERT_EQ(read.Count(), 3);
    auto* a = dynamic_cast<TLOWizardText*>(read[0]);
    auto* circle = dynamic_cast<TLOWizardText*>(read[1]);
    auto* old = dynamic_cast<TLOWizardText*>(read[2]);
    ASSERT_TRUE(a && circle && old);
    EXPECT_FALSE(a->wizInputEnable());
    EXPECT_EQ(a->OutLineWidth(), 1);
    EXPECT_EQ(a->FeedAngle(), -45);
    // Align 4 on a box narrower than high: square, bulge from the width, shrunk by h/2.
    const int h = circle->LineHeight();
    EXPECT_EQ(circle->Bulge(), (200 - h) / 2);
    EXPECT_EQ(circle->LogBounds(), (TRect{h / 2, 100 + h / 2, 200 - h / 2, 300 - h / 2}));
    // Unversioned text on an arc: centred, one line, no spacing, the vertical box squared.
    EXPECT_EQ(old->Align(), 1);
    EXPECT_EQ(old->CharSpacing(), 0);
    EXPECT_EQ(old->Text()->Count(), 1);
    EXPECT_EQ(old->LogBounds(), (TRect{0, 150, 100, 250}));
    EXPECT_EQ(old->Angle(), 300);
    // Written back under the wizard name, as Version 1.
    const QString text = storedText(*a);
    EXPECT_TRUE(text.contains("object TLOWizardText")) << text.toStdString();
    EXPECT_TRUE(text.contains("Version = 1"));
    EXPECT_FALSE(text.contains("DiagonalAlign"));
    read.FreeAll();
}

TEST(TextObject, FacetsAnswerTheObjectItself) {
    auto t = textAt({0, 0, 100, 50});
    TDrawObject* o = t.get();
    EXPECT_EQ(QueryFacet<IDOFeedAngle>(o), static_cast<IDOFeedAngle*>(t.get()));
    EXPECT_EQ(QueryFacet<IDOBlend>(o), static_cast<IDOBlend*>(t.get()));
    EXPECT_EQ(QueryFacet<IDOLineColor>(o)->LineColor(), t->TextColor());
    EXPECT_EQ(QueryFacet<IDOAlign>(o), static_cast<IDOAlign*>(t.get()));
    EXPECT_EQ(QueryFacet<IDOFont>(o)->Font(), t->SimpleText().Font());
    EXPECT_EQ(QueryFacet<IDOVertical>(o), static_cast<IDOVertical*>(t.get()));
    EXPECT_EQ(QueryFacet<IDOAutoSize>(o), static_cast<IDOAutoSize*>(t.get()));
    EXPECT_EQ(QueryFacet<IDORotate>(o), static_cast<IDORotate*>(t.get()));
    EXPECT_EQ(QueryFacet<IDOBounds>(o), static_cast<IDOBounds*>(t.get()));
    EXPECT_EQ(o->QueryFacet(FillColorFacetId()), nullptr);
    EXPECT_NE(QueryFacet<IDOCurve>(o), nullptr);
    // A distorted straight text refuses the curve facet until the distortion is emptied.
    TCoonsDistortion warp;
    warp.SetIdentity(3);
    t->SetCoonsDistortion(warp);
    EXPECT_EQ(QueryFacet<IDOCurve>(o), nullptr);
    t->SetBulge(60);
    EXPECT_NE(QueryFacet<IDOCurve>(o), nullptr);
    t->SetBulge(0);
    t->SetCoonsDistortion(TCoonsDistortion());
    EXPECT_NE(QueryFacet<IDOCurve>(o), nullptr);
}

TEST(TextObject, CurveEditRebuildsBoxAndAngleFromTheChord) {
    auto t = textAt({0, 0, 400, 100});
    IDOCurve* curve = QueryFacet<IDOCurve>(t.get());
    EXPECT_EQ(curve->StartPoint(), QPoint(0, 50));
    EXPECT_EQ(curve->EndPoint(), QPoint(400, 50));
    t->SetAutoSize(true);
    curve->BeginCurveEdit();
    curve->SetEndPoint({300, 350});
    EXPECT_FALSE(t->AutoSize());
    curve->SetBulgePoint({150, 200});  // on the chord: a bulge of 0
    EXPECT_EQ(t->Bulge(), 0);
    curve->EndCurveEdit();
    EXPECT_EQ(t->Angle(), 45);
    // The new chord runs between the points set, the height is kept.
    EXPECT_LE((curve->StartPoint() - QPoint(0, 50)).manhattanLength(), 2);
    EXPECT_LE((curve->EndPoint() - QPoint(300, 350)).manhattanLength(), 2);
    EXPECT_EQ(t->LogBounds().Height(), 100);
}

TEST(TextObject, StoredBytesRoundTripThroughTheTextForm) {
    TLOWizardText t;
    t.SetName(QStringLiteral("Title"));
    t.SetLogBounds({10, 20, 610, 220});
    t.SetLines({QStringLiteral("縦書き"), QStringLiteral("line two")});
    t.SetAlign(3);
    t.SetCharSpacing(4);
    t.SetLineSpacing(-3);
    t.SetAngle(33);
    TCoonsDistortion warp;
    warp.SetIdentity(4);
    warp.SetPoint(TCoonsDistortion::Top, 1, {0.3, -0.2});
    t.SetCoonsDistortion(warp);
    t.SetDistortionRatio(70);
    t.TextColor()->SetColor(0x123456);
    t.SetOutline(true);
    t.OutlineColor()->SetKind(cskGradation);
    t.SetOutLineWidth(6);
    t.SetShadowOffsetX(-3);
    t.SetShadowOffsetY(11);
    t.ShadowColor()->SetColor(8421504);
    t.SetAutoSize(true);
    t.SetFieldNo(2);
    t.SetFieldType(ftCreatorEnglish);
    t.SetHanToZen(true);
    t.SetNumToKnj(true);
    t.SetMinusExc(true);
    t.SetFeedAngle(45);
    t.SetWizInputEnable(true);
    t.SetWizInputCaption(QStringLiteral("題名"));
    TLODate d;
    d.SetLogBounds({0, 0, 300, 80});
    d.SetFormat(QStringLiteral("yyyy/m/d"));
    d.SetDate(38051.378472);
    d.SetUpdateFlag(dufSave);

    TDOList list;
    list.Add(&t);
    list.Add(&d);
    TMemoryStream out;
    list.SaveToStream(out);
    const QByteArray bytes = out.Data();
    const QString text = streamtree::printDocument(streamtree::readDocument(bytes));
    EXPECT_EQ(streamtree::writeDocument(streamtree::parseDocument(text)), bytes);
    for (const char* name : {"Version",
                             "Text.Strings",
                             "Font.",
                             "Align",
                             "CharSpacing",
                             "LineSpacing",
                             "Angle",
                             "CoonsDistortion.Data",
                             "DistortionRatio",
                             "TextColor.",
                             "Outline",
                             "OutlineColor.",
                             "OutLineWidth",
                             "ShadowOffsetX",
                             "ShadowOffsetY",
                             "ShadowColor.",
                             "AutoSize",
                             "Bulge",
                             "FieldNo",
                             "FieldType = ftCreatorEnglish",
                             "HanToZen",
                             "NumToKnj",
                             "MinusExc",
                             "FeedAngle",
                             "wizInputEnable",
                             "wizInputCaption",
                             "Format",
                             "Date",
                             "UpdateFlag = dufSave"})
        EXPECT_TRUE(text.contains(QLatin1String(name))) << name;

    // Read back and written again: the same bytes.
    TMemoryStream in(bytes);
    TDOList read;
    read.LoadFromStream(in);
    TMemoryStream again;
    read.SaveToStream(again);
    EXPECT_EQ(again.Data(), bytes);
    auto* t2 = dynamic_cast<TLOWizardText*>(read[0]);
    auto* d2 = dynamic_cast<TLODate*>(read[1]);
    ASSERT_TRUE(t2 && d2);
    EXPECT_EQ(t2->Angle(), 33);
    EXPECT_EQ(t2->LogBounds(), t.LogBounds());
    EXPECT_EQ(d2->Date(), 38051.378472);
    EXPECT_EQ(d2->Text()->Get(0), QStringLiteral("2004/3/5"));
    // Assignment copies everything that is stored.
    TLOWizardText copy;
    copy.Assign(t);
    copy.SetName(t.Name());
    EXPECT_EQ(storedBytes(copy), storedBytes(t));
    read.FreeAll();
}

TEST(TextObject, PaintsShadowOutlineAndLettersAndRepaintsTheSame) {
    TTestSite site;
    auto t = textAt({20, 10, 180, 100}, {"HH"});
    t->Font()->SetSize(20);
    t->TextColor()->SetColor(0x0000FF);
    t->SetOutline(true);
    t->SetOutLineWidth(3);
    t->OutlineColor()->SetColor(0x00FF00);
    t->SetShadow(8);
    t->ShadowColor()->SetColor(0xFF0000);
    site.Add(*t);
    site.PaintScreen();
    const QImage first = site.image.copy();
    int counts[3] = {};
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x) {
            const QRgb p = first.pixel(x, y) & 0xFFFFFF;
            counts[0] += p == 0xFF0000;  // letters
            counts[1] += p == 0x00FF00;  // outline
            counts[2] += p == 0x0000FF;  // shadow
        }
    EXPECT_GT(counts[0], 50);
    EXPECT_GT(counts[1], 50);
    EXPECT_GT(counts[2], 20);
    // The second paint uses the cached outline and gives the same picture.
    site.PaintScreen();
    EXPECT_EQ(site.image, first);
    // The shadow lies down-right of the letters.
    QPointF letters, shadow;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x) {
            const QRgb p = first.pixel(x, y) & 0xFFFFFF;
            if (p == 0xFF0000) letters += QPointF(x, y) / counts[0];
            if (p == 0x0000FF) shadow += QPointF(x, y) / counts[2];
        }
    EXPECT_GT(shadow.x(), letters.x());
    EXPECT_GT(shadow.y(), letters.y());
    t->SetParent(nullptr);
}

TEST(TextObject, BlendedLettersAreTranslucent) {
    TTestSite site;
    auto t = textAt({20, 10, 180, 100}, {"HH"});
    t->Font()->SetSize(20);
    t->SetShadow(8);
    EXPECT_FALSE(t->NeedsBlend());
    t->SetBlendRatio(50);
    EXPECT_TRUE(t->NeedsBlend());
    site.Add(*t);
    site.PaintScreen();
    // Black letters and shadow at half strength over white: grey, never black.
    int black = 0, grey = 0;
    for (int y = 0; y < site.image.height(); ++y)
        for (int x = 0; x < site.image.width(); ++x) {
            const QRgb p = site.image.pixel(x, y) & 0xFFFFFF;
            black += p == 0;
            grey += p != 0 && p != 0xFFFFFF;
        }
    EXPECT_EQ(black, 0);
    EXPECT_GT(grey, 100);
    t->SetParent(nullptr);
}
