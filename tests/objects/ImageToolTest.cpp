// corvane-tool render with image objects, alpha masks and backgrounds, and paper --faces,
// on the shipped catalogue.
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/Scaler.h"
#include "objects/AlphaMaskObject.h"
#include "objects/BackImage.h"
#include "objects/ImageObject.h"
#include "paper/PaperSite.h"
#include "paper/Papers.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRunner.h"

#include <gtest/gtest.h>
#include <QImage>

namespace {

const QString kCatalogue = QStringLiteral(VELLUMO_BIN_DIR "/corvane.ppr");
const QString kDisc = QStringLiteral("CD/DVDラベル 2面 内径41mm");

QString saveList(const TempDir& dir, const QString& name,
                 const std::vector<TDrawObject*>& objects) {
    TDOList list;
    for (TDrawObject* o : objects) list.Add(o);
    const QString path = dir.file(name);
    TFileStream stream(path, TFileStream::Create);
    list.SaveToStream(stream);
    return path;
}

QImage gradient(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 160));
    return img;
}

}  // namespace

TEST(ImageTool, RendersImagesMasksAndBackgroundsOnADiscFace) {
    TempDir dir;
    // A background with a 3 mm band, a framed photo turned 30 degrees, a soft alpha mask.
    TLOBackImage back;
    back.FillColor()->SetColor(0xC0FFC0);
    back.FrameColor()->SetColor(0x800000);
    back.SetFrameWidth(30);

    TLOImage photo;
    photo.SetLogBounds({250, 150, 850, 550});
    photo.ImageData()->Picture()->SetGraphic(std::make_unique<TSafetyBitmap>(gradient(300, 200)));
    QImage frame(60, 40, QImage::Format_RGB32);
    frame.fill(qRgb(90, 40, 10));
    for (int y = 6; y < 34; ++y)
        for (int x = 6; x < 54; ++x) frame.setPixel(x, y, qRgb(0xF0, 0xF0, 0xF0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) frame.setPixel(x, y, qRgb(0x90, 0x70, 0x60));
    photo.FramePicture()->SetGraphic(std::make_unique<TSafetyBitmap>(frame));
    photo.SetAngle(30);

    TLOAlphaMask mask;
    mask.SetLogBounds({300, 700, 900, 1000});
    mask.FillColor()->SetColor(0x0000C0);
    QImage shape(60, 30, QImage::Format_RGB32);
    shape.fill(qRgb(255, 255, 255));
    mask.Picture()->SetGraphic(std::make_unique<TSafetyBitmap>(shape));
    mask.SetShadeSize(10);

    const QString list = saveList(dir, "objects.lst", {&back, &photo, &mask});
    const QString out = dir.file("disc.png");
    const ToolRun r =
        RunTool(QStringLiteral(VELLUMO_TOOL),
                {"render", kCatalogue, kDisc, "--objects", list, "--dpi", "254", out}, dir);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QImage image(out);
    ASSERT_FALSE(image.isNull());

    TPapers papers;
    papers.Open(kCatalogue, true);
    TFaceInfo face;
    papers.Papers(papers.IndexOfPaper(kDisc))->GetFaceInfo(0, face);
    const TRect outer = face.OuterRect();
    const int cx = outer.Width() / 2, cy = outer.Height() / 2;
    const auto px = [&](int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(px(cx, cy), 0xFFFFFFu);      // the hole
    EXPECT_EQ(px(cx, 15), 0x000080u);      // the band at the top of the disc
    EXPECT_EQ(px(120, cy), 0xC0FFC0u);     // the fill, left of the hole
    EXPECT_EQ(px(550, 350) & 0xFF, 160u);  // the photo's blue channel
    const QRgb masked = image.pixel(600, 850);
    EXPECT_EQ(qRed(masked), 0xC0);  // the mask's fill at its centre
}

TEST(ImageTool, DrawsAPaperWithLabelledFaces) {
    TempDir dir;
    const QString out = dir.file("paper.png");
    const ToolRun r =
        RunTool(QStringLiteral(VELLUMO_TOOL), {"paper", kCatalogue, kDisc, "--faces", out}, dir);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QImage image(out);
    ASSERT_FALSE(image.isNull());
    TPapers papers;
    papers.Open(kCatalogue, true);
    const TPaperInfo& paper = *papers.Papers(papers.IndexOfPaper(kDisc));
    TScaler s;
    s.SetUnitDPI(254);
    const TRect size = s.LogRectToDev(96, TRect{0, 0, paper.Width(), paper.Height()});
    EXPECT_EQ(image.size(), QSize(size.Width(), size.Height()));
    // Some label text in blue near each face's top-left corner.
    for (int i = 0; i < paper.GetFaceCount(); ++i) {
        const TRect f = s.LogRectToDev(96, paper.GetFaceRect(i));
        bool blue = false;
        for (int y = f.Top; y < f.Top + 20 && !blue; ++y)
            for (int x = f.Left; x < f.Left + 40 && !blue; ++x)
                blue = qBlue(image.pixel(x, y)) > 150 && qRed(image.pixel(x, y)) < 100;
        EXPECT_TRUE(blue) << i;
    }
    EXPECT_EQ(
        RunTool(QStringLiteral(VELLUMO_TOOL), {"paper", kCatalogue, kDisc, "--faces"}, dir).code,
        2);
}

TEST(PaperSite, ShowsEveryFaceAndReportsClicks) {
    TPapers papers;
    papers.Open(kCatalogue, true);
    auto paper = papers.Papers(papers.IndexOfPaper(kDisc))->Clone();
    TPaperSite site;
    site.SetPaper(paper.get(), QSize(400, 600));
    paper.reset();  // the site keeps its own copy
    ASSERT_TRUE(site.Paper());
    ASSERT_EQ(FaceCount(site), site.Paper()->GetFaceCount());
    EXPECT_LE(site.Width(), 400);
    EXPECT_LE(site.Height(), 600);
    EXPECT_TRUE(FaceAt(site, 0)->SinglePick());

    int clicks = 0;
    site.OnFaceClick = [&](TPaperSite*) { ++clicks; };
    TFaceInfo face;
    site.Paper()->GetFaceInfo(0, face);
    const TRect outer = face.OuterRect();
    const QPoint ring = site.LogToDev({outer.Left + 60, (outer.Top + outer.Bottom) / 2});
    site.MouseDown(Qt::LeftButton, {}, ring);
    site.MouseMove({}, ring + QPoint(30, 30));
    site.MouseUp(Qt::LeftButton, {}, ring + QPoint(30, 30));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(FaceAt(site, 0)->Picked());
    EXPECT_EQ(FaceAt(site, 0)->LogBounds(), outer);  // nothing is dragged
    site.MouseDown(Qt::LeftButton, {}, ring);
    site.MouseUp(Qt::LeftButton, {}, ring);
    EXPECT_TRUE(FaceAt(site, 0)->Picked());  // a single-pick face stays picked

    site.SetMultiSelect(true);
    ASSERT_EQ(FaceCount(site), site.Paper()->GetFaceCount());
    EXPECT_FALSE(FaceAt(site, 0)->SinglePick());
    site.SetDrawInfo(true);
    EXPECT_TRUE(FaceAt(site, 1)->ShowLabel());
}
