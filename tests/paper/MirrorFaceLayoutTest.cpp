// Mirrored face layouts for back sides: each face lands where its mirror image was.
#include "paper/FreePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/MirrorFaceLayout.h"

#include <gtest/gtest.h>

namespace {

// The face rectangles as shown, mirrored along the shown width.
std::vector<TRect> mirrored(const TPaperInfo& p) {
    std::vector<TRect> out;
    for (int i = 0; i < p.GetFaceCount(); ++i) {
        const TRect r = p.GetFaceBounds(i);
        out.push_back({p.Width() - r.Right, r.Top, p.Width() - r.Left, r.Bottom});
    }
    std::sort(out.begin(), out.end(), [](const TRect& a, const TRect& b) {
        return std::tie(a.Top, a.Left) < std::tie(b.Top, b.Left);
    });
    return out;
}

std::vector<TRect> shown(const TPaperInfo& p) {
    std::vector<TRect> out;
    for (int i = 0; i < p.GetFaceCount(); ++i) out.push_back(p.GetFaceBounds(i));
    std::sort(out.begin(), out.end(), [](const TRect& a, const TRect& b) {
        return std::tie(a.Top, a.Left) < std::tie(b.Top, b.Left);
    });
    return out;
}

}  // namespace

TEST(MirrorFaceLayout, GridPapersInBothOrientations) {
    for (bool landscape : {false, true}) {
        TMatrixPaperInfo m;
        m.SetPortraitSize(2100, 2970);
        m.LeftOffset = 50;  // 150 on the other side
        m.TopOffset = 120;
        m.FaceWidth = 900;
        m.FaceHeight = 500;
        m.RightMargin = 100;
        m.BottomMargin = 80;
        m.FaceCountX = 2;
        m.FaceCountY = 3;
        m.Face.margin = 20;
        m.SetLandscape(landscape);
        const auto expected = mirrored(m);
        MirrorFaceLayout(m);
        EXPECT_EQ(shown(m), expected) << "landscape " << landscape;
        if (!landscape) {
            EXPECT_EQ(m.LeftOffset, 150);
        }
    }
    TMatrixPaperInfo empty;  // no faces: nothing to mirror
    empty.SetPortraitSize(2100, 2970);
    empty.LeftOffset = 7;
    MirrorFaceLayout(empty);
    EXPECT_EQ(empty.LeftOffset, 7);
}

TEST(MirrorFaceLayout, FreePapersInBothOrientations) {
    for (bool landscape : {false, true}) {
        TFreePaperInfo f;
        f.SetPortraitSize(1500, 2000);
        f.AddFace({100, 200, 600, 700});
        f.AddFace({800, 1000, 1300, 1900});
        f.SetLandscape(landscape);
        const auto expected = mirrored(f);
        MirrorFaceLayout(f);
        EXPECT_EQ(shown(f), expected) << "landscape " << landscape;
    }
}
