// An empty face as papers show it, painted on a picture and read back pixel by pixel.
#include "drawing/BlankFace.h"
#include "drawing/Scaler.h"
#include "imaging/FaceInfo.h"

#include <gtest/gtest.h>
#include <QImage>

namespace {

constexpr QRgb kFaceRgb = 0xFFE7AF;  // kFaceColor as red, green, blue

// A picture at 254 dpi, so that one logical unit is one pixel.
struct Picture {
    explicit Picture(QSize size) : image(size, QImage::Format_RGB32), canvas(image, {254, 254}) {
        image.fill(0xFFFFFFFF);
        TScaler scaler;
        scaler.SetUnitDPI(254);
        scaler.PrepareCanvas(canvas);
    }
    QRgb at(int x, int y) const { return image.pixel(x, y) & 0xFFFFFF; }
    // Whether any pixel of row y between x0 and x1 (inclusive) is black.
    bool blackIn(int y, int x0, int x1) const {
        for (int x = x0; x <= x1; ++x)
            if (at(x, y) == 0) return true;
        return false;
    }
    QImage image;
    TCanvas canvas;
};

}  // namespace

TEST(BlankFace, DiscFilledWithTheHoleWhiteAndBothEdgesBlack) {
    TFaceInfo face;
    face.FaceRect = {300, 400, 1500, 1600};  // placed on the paper; painted relative to it
    face.FaceShape = fsDoughnut;
    face.SetSquareHole(400);
    Picture p({1200, 1200});
    p.canvas.tools().pen.color = 0x123456;
    PaintBlankFace(p.canvas, face, true);

    EXPECT_EQ(p.at(600, 600), 0xFFFFFFu);  // the hole
    EXPECT_EQ(p.at(600, 200), kFaceRgb);   // the ring
    EXPECT_EQ(p.at(200, 600), kFaceRgb);
    EXPECT_EQ(p.at(30, 30), 0xFFFFFFu);  // the corner outside the disc
    EXPECT_EQ(p.at(1170, 1170), 0xFFFFFFu);
    // The outline at the left edge of the disc and the edge of the hole, in the middle row.
    EXPECT_TRUE(p.blackIn(600, 0, 3));
    EXPECT_TRUE(p.blackIn(600, 1196, 1199));
    EXPECT_TRUE(p.blackIn(600, 397, 403));
    EXPECT_TRUE(p.blackIn(600, 797, 803));
    EXPECT_FALSE(p.blackIn(600, 10, 390));
    // The canvas's tools are left as they were.
    EXPECT_EQ(p.canvas.tools().pen.color, TColor(0x123456));
}

TEST(BlankFace, PlacedOnThePaperWithoutAHole) {
    TFaceInfo face;
    face.FaceRect = {100, 150, 300, 250};
    face.FaceShape = fsRect;
    Picture p({400, 400});
    PaintBlankFace(p.canvas, face, false);

    EXPECT_EQ(p.at(200, 200), kFaceRgb);  // the middle: no hole in a plain label
    EXPECT_EQ(p.at(50, 50), 0xFFFFFFu);
    EXPECT_EQ(p.at(350, 200), 0xFFFFFFu);
    EXPECT_TRUE(p.blackIn(200, 98, 102));
    EXPECT_TRUE(p.blackIn(200, 297, 301));
    EXPECT_FALSE(p.blackIn(200, 0, 96));
}
