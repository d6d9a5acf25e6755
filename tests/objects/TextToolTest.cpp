// Text objects through corvane-tool: a list written in the text form is built, read back
// as objects and rendered on a face.
#include "document/stream/Stream.h"
#include "document/stream/StreamText.h"
#include "drawing/DOList.h"
#include "objects/LODate.h"
#include "objects/LOWizardText.h"
#include "tests/support/ToolRunner.h"

#include <QFile>
#include <QImage>

namespace {

const char* const kList = R"(list 2
object Title: TLOWizardText
  Left = 100
  Top = 100
  Width = 1200
  Height = 300
  Border = False
  LayerGroup = 0
  DontPrint = False
  Version = 1
  Text.Strings = ('Album 2026')
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clBlack
  Font.Name = 'IPAPGothic'
  Font.Size = 45
  Font.Style = []
  Angle = 10
  CoonsDistortion.Data = {000102030405060708090A0B0C0D0E0F0200000002000000020000000200000000000000000000000000000000000000000000000000000000000080FF3F000000000000000000000000000000000080FF3F000000000000000000000000000000000080FF3F0000000000000080FF3F000000000000000000000000000000000080FF3F0000000000000080FF3F0000000000000080FF3F0000000000000000000000000000000000000000000000000000000000000000000000000080FF3F0000000000000000}
  DistortionRatio = 80
  TextColor.Color = clRed
  Outline = True
  OutlineColor.Color = clBlue
  OutLineWidth = 6
  ShadowOffsetX = 3
  ShadowOffsetY = -12
  ShadowColor.Color = clGray
  AutoSize = False
  Bulge = 0
  FieldNo = 1
  FieldType = ftCreatorJapanese
  HanToZen = True
  FeedAngle = 45
  wizInputEnable = True
  wizInputCaption = 'Title'
end
object TLODate
  Left = 100
  Top = 600
  Width = 800
  Height = 200
  Border = False
  LayerGroup = 0
  DontPrint = False
  Version = 1
  Text.Strings = ('March 5, 2004')
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clBlack
  Font.Name = 'IPAPGothic'
  Font.Size = 30
  Font.Style = []
  Vertical = True
  Angle = 0
  CoonsDistortion.Data = {3E1204CBDA1E4B1E829493107A67AD6100000000000000000000000000000000}
  DistortionRatio = 100
  TextColor.Color = clGreen
  Outline = False
  OutLineWidth = 0
  Shadow = 8
  ShadowColor.Color = clGray
  AutoSize = False
  Bulge = 300
  FieldNo = 0
  FieldType = ftProduct
  Format = '$(LongMonthA) d, yyyy'
  Date = 38051.5
  UpdateFlag = dufSave
end
)";

}  // namespace

TEST_F(ToolFixture, TextObjectsBuildReadBackAndRender) {
    const QString text = dir.write("face.txt", kList);
    const QString list = dir.file("face.lst");
    ToolRun r = run({"stream", "build", "--list", text, list});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = run({"stream", "dump", list});
    EXPECT_EQ(r.out, QString::fromUtf8(kList));

    // Every property is read into the objects and written back to the same bytes.
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    TMemoryStream in(bytes);
    TDOList objects;
    objects.LoadFromStream(in);
    ASSERT_EQ(objects.Count(), 2);
    auto* title = dynamic_cast<TLOWizardText*>(objects[0]);
    auto* date = dynamic_cast<TLODate*>(objects[1]);
    ASSERT_TRUE(title && date);
    EXPECT_EQ(title->Shadow(), TLOText::kCustomShadow);
    EXPECT_EQ(title->wizInputCaption(), QStringLiteral("Title"));
    EXPECT_EQ(date->UpdateFlag(), dufSave);
    TMemoryStream out;
    objects.SaveToStream(out);
    EXPECT_EQ(streamtree::printDocument(streamtree::readDocument(out.Data())).toStdString(),
              std::string(kList));
    EXPECT_EQ(out.Data(), bytes);
    objects.FreeAll();

    const QString png = dir.file("face.png");
    r = run({"render", QStringLiteral(VELLUMO_BIN_DIR "/corvane.ppr"),
             QStringLiteral("写真用紙 A4 フチなし"), "--objects", list, "--dpi", "50", png});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QImage image(png);
    int red = 0, blue = 0, green = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            red += p == 0xFF0000;
            blue += p == 0x0000FF;
            green += p == 0x008000;
        }
    EXPECT_GT(red, 20);
    EXPECT_GT(blue, 20);
    EXPECT_GT(green, 10);
}
