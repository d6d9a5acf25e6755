#include "paper/FreePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "tests/support/QtPrinters.h"
#include "tools/papercc/CatalogueSource.h"

#include <gtest/gtest.h>

namespace {

QString errorOf(const QString& text) {
    try {
        ParseCatalogueSource(text, QStringLiteral("src.txt"));
    } catch (const ECatalogueSource& e) {
        return e.message();
    }
    return {};
}

TEST(CatalogueSource, GridAndFreePapers) {
    const auto papers = ParseCatalogueSource(QStringLiteral("# comment\n"
                                                            "[名刺 A4 10面]\n"
                                                            "group = 名刺   # trailing comment\n"
                                                            "size = 2100 x 2970\n"
                                                            "layout = grid\n"
                                                            "shape = fsRoundRect\n"
                                                            "round = 40\n"
                                                            "faces = 2 x 5\n"
                                                            "facesize = 910 x 550\n"
                                                            "origin = 140, 110\n"
                                                            "\n"
                                                            "[CD]\n"
                                                            "group = CD\n"
                                                            "size = 2100 x 2970\n"
                                                            "layout = free\n"
                                                            "readonly = false\n"
                                                            "shape = fsDoughnut\n"
                                                            "purpose = CD\n"
                                                            "hole = 220 x 220\n"
                                                            "face = 465, 200, 1170 x 1170\n"
                                                            "shape = fsRect\n"
                                                            "purpose = CDCover\n"
                                                            "margin = 20\n"
                                                            "face = 445, 1550, 1210 x 1200\n"),
                                             QStringLiteral("src.txt"));
    ASSERT_EQ(papers.size(), 2u);
    const auto* m = dynamic_cast<const TMatrixPaperInfo*>(papers[0].get());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->PaperName(), "名刺 A4 10面");
    EXPECT_EQ(m->GroupName(), "名刺");
    EXPECT_TRUE(m->ReadOnly());
    EXPECT_EQ(m->GetFaceCount(), 10);
    EXPECT_EQ(m->GetFaceRect(9), (TRect{1050, 2310, 1960, 2860}));
    EXPECT_EQ(m->GetFaceShape(0), fsRoundRect);
    EXPECT_EQ(m->GetRoundSize(0), 40);
    EXPECT_EQ(m->PurposeList().Count(), 5);

    const auto* f = dynamic_cast<const TFreePaperInfo*>(papers[1].get());
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->ReadOnly());
    ASSERT_EQ(f->GetFaceCount(), 2);
    // Settings apply to the faces that follow them.
    EXPECT_EQ(f->GetFaceShape(0), fsDoughnut);
    EXPECT_EQ(f->GetCutCenter(0), QSize(220, 220));
    EXPECT_EQ(f->GetFaceMargin(0), 0);
    EXPECT_EQ(f->GetFaceShape(1), fsRect);
    EXPECT_EQ(f->GetFacePurpose(1), "CDCover");
    EXPECT_EQ(f->GetFaceMargin(1), 20);
    EXPECT_EQ(f->GetFaceRect(1), (TRect{445, 1550, 1655, 2750}));
}

TEST(CatalogueSource, ErrorsNameTheLine) {
    EXPECT_EQ(errorOf(QStringLiteral("size = 1 x 1\n")), "src.txt:1: [用紙名] の前に値があります");
    EXPECT_EQ(errorOf(QStringLiteral("[a]\nsize = 10 x 10\ncolour = red\n")),
              "src.txt:3: 不明なキーです: colour");
    EXPECT_EQ(errorOf(QStringLiteral("[a]\nsize = 10 x ten\n")),
              "src.txt:2: 数値ではありません: ten");
    EXPECT_EQ(errorOf(QStringLiteral("[a]\nshape = fsStar\n")),
              "src.txt:2: TFaceShape の値ではありません: fsStar");
    // Whole-paper errors name the section line.
    EXPECT_EQ(errorOf(QStringLiteral("\n[a]\nlayout = free\n")), "src.txt:2: size がありません");
    EXPECT_EQ(
        errorOf(QStringLiteral("[a]\nsize = 100 x 100\nlayout = free\nface = 0, 0, 101 x 10\n")),
        "src.txt:1: 写真枠が用紙からはみ出しています (1)");
    EXPECT_EQ(errorOf(QStringLiteral("[a]\nsize = 100 x 100\nlayout = free\nface = 0, 0, 50 x 50\n"
                                     "face = 40, 40, 50 x 50\n")),
              "src.txt:1: 写真枠が重なっています (2)");
    EXPECT_EQ(errorOf(QStringLiteral("[a]\nsize = 100 x 100\nlayout = grid\nfaces = 1 x 1\n")),
              "src.txt:1: grid には faces, facesize, origin が必要です");
    const QString dup =
        QStringLiteral("[a]\nsize = 100 x 100\nlayout = free\nface = 0, 0, 10 x 10\n[a]\n");
    EXPECT_EQ(errorOf(dup), "src.txt:5: 用紙名 a が重複しています");
}

}  // namespace
