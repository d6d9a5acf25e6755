// corvane-tool render on the shipped catalogue, run as scripts run it.

#include "drawing/Scaler.h"
#include "imaging/FaceInfo.h"
#include "paper/Papers.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRunner.h"

#include <gtest/gtest.h>
#include <QImage>

namespace {

class RenderTool : public ::testing::Test {
protected:
    ToolRun run(const QStringList& args) {
        return RunTool(QStringLiteral(VELLUMO_TOOL), QStringList{"render"} + args, dir);
    }
    const QString catalogue = QStringLiteral(VELLUMO_BIN_DIR "/corvane.ppr");
    const QString disc = QStringLiteral("CD/DVDラベル 2面 内径41mm");
    TempDir dir;
};

}  // namespace

TEST_F(RenderTool, RendersAFacePlacedWhereTheScalerSays) {
    TPapers papers;
    papers.Open(catalogue, true);
    const int index = papers.IndexOfPaper(disc);
    ASSERT_GE(index, 0);
    TFaceInfo face;
    papers.Papers(index)->GetFaceInfo(1, face);
    const TRect outer = face.OuterRect();
    const TRect hole = face.HoleRect();
    TScaler s;
    s.SetUnitDPI(254);
    for (int dpi : {96, 600}) {
        const QString out = dir.file(QStringLiteral("face%1.png").arg(dpi));
        const ToolRun r = run({catalogue, disc, "--face", "1", "--dpi", QString::number(dpi), out});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        QImage image(out);
        const TRect size = s.LogRectToDev(dpi, TRect{0, 0, outer.Width(), outer.Height()});
        ASSERT_EQ(image.size(), QSize(size.Width(), size.Height())) << dpi;
        const auto px = [&](int x, int y) {
            const TRect d = s.LogRectToDev(
                dpi, TRect{x - outer.Left, y - outer.Top, x - outer.Left, y - outer.Top});
            return image.pixel(d.Left, d.Top) & 0xFFFFFF;
        };
        const int cx = (outer.Left + outer.Right) / 2, cy = (outer.Top + outer.Bottom) / 2;
        EXPECT_EQ(px(cx, cy), 0xFFFFFFu) << dpi;                           // the hole
        EXPECT_EQ(px(cx, (outer.Top + hole.Top) / 2), 0xFFE7AFu) << dpi;   // the face
        EXPECT_EQ(px(outer.Left + 30, outer.Top + 30), 0xFFFFFFu) << dpi;  // outside
    }
}

TEST_F(RenderTool, ObjectListsAndErrors) {
    const QString list = dir.write("empty.lst", QByteArray(4, '\0'));
    const QString out = dir.file("objects.png");
    EXPECT_EQ(run({catalogue, disc, "--objects", list, out}).code, 0);
    EXPECT_FALSE(QImage(out).isNull());

    const ToolRun noPaper = run({catalogue, "ありません", out});
    EXPECT_EQ(noPaper.code, 1);
    EXPECT_TRUE(noPaper.err.contains(QStringLiteral("用紙 ありません が見つかりません")));
    const ToolRun badFace = run({catalogue, disc, "--face", "9", out});
    EXPECT_EQ(badFace.code, 1);
    EXPECT_TRUE(
        badFace.err.contains(QStringLiteral("リストのインデックスが範囲を超えています (9)")));
    const ToolRun broken =
        run({catalogue, disc, "--objects", dir.write("bad.lst", "\x01\x00"), out});
    EXPECT_EQ(broken.code, 1);
    EXPECT_FALSE(broken.err.isEmpty());
    EXPECT_EQ(run({catalogue, disc, "--dpi", "zero", out}).code, 2);
}
