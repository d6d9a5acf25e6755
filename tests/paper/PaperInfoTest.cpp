#include "paper/FreePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/PaperErrors.h"
#include "tests/paper/PaperTestUtil.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TMatrixPaperInfo> grid() {
    auto m = std::make_unique<TMatrixPaperInfo>();
    m->SetPortraitSize(1000, 2000);
    m->LeftOffset = 30;
    m->TopOffset = 40;
    m->RightMargin = 10;
    m->BottomMargin = 20;
    m->FaceWidth = 300;
    m->FaceHeight = 200;
    m->FaceCountX = 2;
    m->FaceCountY = 4;
    return m;
}

TEST(PaperInfo, GridFacesRowByRow) {
    auto m = grid();
    EXPECT_EQ(m->GetFaceCount(), 8);
    // Face 5 of a 2-column grid is in row 2, column 1.
    EXPECT_EQ(m->GetFaceRect(5), (TRect{30 + 310, 40 + 2 * 220, 30 + 310 + 300, 40 + 440 + 200}));
    EXPECT_EQ(m->GetFaceRect(0), (TRect{30, 40, 330, 240}));
    EXPECT_THROW(m->GetFaceRect(8), EListError);
    EXPECT_THROW(m->GetFaceShape(-1), EListError);

    m->FaceCountX = 0;
    EXPECT_EQ(m->GetFaceCount(), 0);
    m->FaceCountX = 2;
    m->FaceCountY = 0;
    EXPECT_EQ(m->GetFaceCount(), 0);
    m->FaceCountX = -2;
    m->FaceCountY = -3;
    EXPECT_EQ(m->GetFaceCount(), 0);
    // Stored extremes do not overflow.
    m->FaceCountX = 1 << 20;
    m->FaceCountY = 1 << 20;
    m->FaceWidth = INT32_MAX;
    EXPECT_EQ(m->GetFaceCount(), INT32_MAX);
    EXPECT_NO_THROW(m->GetFaceRect(INT32_MAX - 1));
}

TEST(PaperInfo, LandscapeTransformAndFaceInfo) {
    auto m = grid();
    m->SetPortraitSize(1000, 3000);
    EXPECT_EQ(m->ToLandscape({10, 20, 110, 70}), (TRect{20, 890, 70, 990}));

    m->Face.shape = fsDoughnut;
    m->Face.margin = 5;
    m->Face.cutCenterWidth = 300;
    m->Face.cutCenterHeight = 200;
    m->Face.purpose = QStringLiteral("CD");
    EXPECT_EQ(m->GetFaceBounds(0), (TRect{25, 35, 335, 245}));
    TFaceInfo info;
    m->GetFaceInfo(0, info);
    EXPECT_EQ(info.FaceRect, (TRect{30, 40, 330, 240}));
    EXPECT_EQ(info.FaceMargin, 5);
    EXPECT_EQ(info.CutCenterWidth, 300);
    EXPECT_EQ(info.FaceShape, fsDoughnut);

    m->SetLandscape(true);
    EXPECT_EQ(m->Width(), 3000);
    EXPECT_EQ(m->Height(), 1000);
    // The portrait right edge becomes the top edge.
    EXPECT_EQ(m->GetFaceBounds(0), (TRect{35, 1000 - 335, 245, 1000 - 25}));
    m->GetFaceInfo(0, info);
    EXPECT_EQ(info.FaceRect, (TRect{40, 670, 240, 970}));
    EXPECT_EQ(info.CutCenterWidth, 200);
    EXPECT_EQ(info.CutCenterHeight, 300);
    EXPECT_EQ(info.FacePurpose, "CD");
    EXPECT_EQ(info.FaceMargin, 5);
}

TEST(PaperInfo, MatrixStoredPropertiesAndDefaults) {
    auto m = grid();
    m->FaceCountY = 0;
    m->TopOffset = 0;
    // Integers without a default and FaceShape fsRect are written even when 0; the
    // defaults of RoundSize, CenterShape and the cut centre are not.
    EXPECT_EQ(StoredNames(*m),
              (QStringList{"Landscape", "Width", "Height", "ReadOnly", "TopOffset", "LeftOffset",
                           "BottomMargin", "RightMargin", "FaceWidth", "FaceHeight", "FaceCountX",
                           "FaceCountY", "FaceShape", "FaceMargin"}));
    EXPECT_EQ(StoredValue(*m, "FaceShape"), "fsRect");

    m->Face.cutCenterWidth = m->Face.cutCenterHeight = 300;
    EXPECT_EQ(StoredValue(*m, "CutCenter"), "300");
    EXPECT_FALSE(StoredNames(*m).contains("CutCenterWidth"));
    m->Face.cutCenterHeight = 410;
    EXPECT_EQ(StoredValue(*m, "CutCenterWidth"), "300");
    EXPECT_FALSE(StoredNames(*m).contains("CutCenterHeight"));
    EXPECT_FALSE(StoredNames(*m).contains("CutCenter"));
    m->Face.cutCenterWidth = 410;
    m->Face.cutCenterHeight = 220;
    EXPECT_EQ(StoredNames(*m).filter(QStringLiteral("CutCenter")), QStringList{"CutCenterHeight"});

    m->Face.roundSize = 50;
    m->Face.centerShape = csBarrel;
    m->Face.purpose = QStringLiteral("CD");
    m->SetPaperName(QStringLiteral("ラベル"));
    const QStringList names = StoredNames(*m);
    EXPECT_TRUE(names.contains("RoundSize"));
    EXPECT_EQ(StoredValue(*m, "CenterShape"), "csBarrel");
    EXPECT_EQ(names.indexOf("PaperName"), 3);
    EXPECT_TRUE(names.contains("FacePurpose"));
    EXPECT_FALSE(names.contains("GroupName"));
    EXPECT_FALSE(names.contains("PurposeList"));

    // Written and read back, every field is the same.
    m->Face.margin = -3;
    m->PurposeList().SetDefaultPurposes();
    m->SetStorePurposes(true);
    TMemoryStream s;
    WriteComponentStream(s, *m);
    s.SetPosition(0);
    std::unique_ptr<TComponent> back(ReadComponentStream(s));
    auto* b = dynamic_cast<TMatrixPaperInfo*>(back.get());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Face, m->Face);
    EXPECT_EQ(b->LeftOffset, 30);
    EXPECT_EQ(b->PaperName(), "ラベル");
    EXPECT_EQ(b->PurposeList().Count(), 5);
    EXPECT_FALSE(b->StorePurposes());
}

TEST(PaperInfo, OlderFaceTypeAndCutCenterRead) {
    auto m = ReadFromText<TMatrixPaperInfo>(
        "object TMatrixPaperInfo\n  FaceShape = fsEllipse\n  FaceType = 1\n  CutCenter = 0\nend\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->Face.shape, fsDoughnut);
    EXPECT_EQ(m->Face.purpose, "CD");
    EXPECT_EQ(m->Face.cutCenterWidth, 410);
    EXPECT_EQ(m->Face.cutCenterHeight, 410);

    // A number the decoding does not know gives fsRect and no purpose.
    m = ReadFromText<TMatrixPaperInfo>(
        "object TMatrixPaperInfo\n  FaceShape = fsEllipse\n  FacePurpose = 'X'\n  FaceType = 9\n"
        "  CutCenter = 220\nend\n");
    EXPECT_EQ(m->Face.shape, fsRect);
    EXPECT_EQ(m->Face.purpose, "");
    EXPECT_EQ(m->Face.cutCenterWidth, 220);
    EXPECT_EQ(m->Face.cutCenterHeight, 220);

    auto f = ReadFromText<TFreePaperInfo>(
        "object TFreePaperInfo\n  Faces = <\n    item\n      Left = 10\n      Top = 20\n"
        "      Width = 100\n      Height = 50\n      FaceType = 5\n      CutCenter = 300\n"
        "    end>\nend\n");
    ASSERT_TRUE(f);
    ASSERT_EQ(f->GetFaceCount(), 1);
    EXPECT_EQ(f->GetFaceRect(0), (TRect{10, 20, 110, 70}));
    EXPECT_EQ(f->GetFaceShape(0), fsRect);
    EXPECT_EQ(f->GetStoredFacePurpose(0), "MOSquare");
    EXPECT_EQ(f->GetCutCenter(0), QSize(300, 300));
}

TEST(PaperInfo, LandscapeReadsBackIntoTheSamePortraitFields) {
    auto m = grid();
    m->SetLandscape(true);
    EXPECT_EQ(StoredValue(*m, "Width"), "2000");
    TMemoryStream s;
    WriteComponentStream(s, *m);
    s.SetPosition(0);
    std::unique_ptr<TComponent> back(ReadComponentStream(s));
    auto* b = static_cast<TPaperInfo*>(back.get());
    EXPECT_TRUE(b->Landscape());
    EXPECT_EQ(b->PortraitWidth(), 1000);
    EXPECT_EQ(b->PortraitHeight(), 2000);

    // A paper stored without its purposes (as documents store it) reads back with none.
    m->PurposeList().SetDefaultPurposes();
    s.Clear();
    WriteComponentStream(s, *m);
    s.SetPosition(0);
    back.reset(ReadComponentStream(s));
    EXPECT_EQ(static_cast<TPaperInfo*>(back.get())->PurposeList().Count(), 0);
}

TEST(PaperInfo, FreePaperFacesAndCopies) {
    TFreePaperInfo f;
    f.SetPortraitSize(2100, 2970);
    FaceSettings cd;
    cd.shape = fsDoughnut;
    cd.purpose = QStringLiteral("FD");
    cd.margin = 20;
    TFaceItem& item = f.AddFace({100, 100, 1300, 1300}, cd);
    item.SetLeft(200);
    EXPECT_EQ(item.Rect, (TRect{200, 100, 1400, 1300}));
    item.SetHeight(1100);
    EXPECT_EQ(item.Rect, (TRect{200, 100, 1400, 1200}));
    item.SetTop(0);
    EXPECT_EQ(item.Rect, (TRect{200, 0, 1400, 1100}));
    f.AddFace({0, 1500, 500, 1800});
    EXPECT_THROW(f.GetFaceRect(2), EListError);

    // The stored purpose stays; the face reports it mapped.
    {
        ValidatorScope scope;
        EXPECT_EQ(f.GetFacePurpose(0), "MOSquare");
        EXPECT_EQ(f.GetStoredFacePurpose(0), "FD");
    }
    EXPECT_EQ(f.GetFacePurpose(0), "FD");

    f.SetPaperName(QStringLiteral("CD"));
    f.SetGroupName(QStringLiteral("ラベル"));
    f.SetReadOnly(true);
    f.SetLandscape(true);
    f.SetStorePurposes(true);
    f.PurposeList().SetDefaultPurposes();
    std::unique_ptr<TPaperInfo> copy = f.Clone();
    auto* c = dynamic_cast<TFreePaperInfo*>(copy.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->PaperName(), "CD");
    EXPECT_EQ(c->GroupName(), "ラベル");
    EXPECT_TRUE(c->ReadOnly());
    EXPECT_TRUE(c->Landscape());
    EXPECT_FALSE(c->StorePurposes());
    EXPECT_EQ(c->PurposeList().Count(), 5);
    ASSERT_EQ(c->GetFaceCount(), 2);
    EXPECT_EQ(c->Faces().Items(0)->Rect, item.Rect);
    EXPECT_EQ(c->Faces().Items(0)->Face, cd);

    // Between classes only the common fields are copied.
    TMatrixPaperInfo m;
    m.FaceCountX = m.FaceCountY = 3;
    m.Assign(f);
    EXPECT_EQ(m.PaperName(), "CD");
    EXPECT_EQ(m.PortraitWidth(), 2100);
    EXPECT_EQ(m.GetFaceCount(), 9);
}

}  // namespace
