// New pages' frames, frames taken from another page, and covers scaled from a design.
#include "album/CoverScaling.h"
#include "album/PageFrames.h"
#include "album/SequenceWaitWindow.h"
#include "imaging/picture/SafetyBitmap.h"
#include "objects/AlbumPhoto.h"
#include "objects/BackImage.h"
#include "objects/LOText.h"

#include <gtest/gtest.h>
#include <QPushButton>

TEST(PageFrames, FullPaintDecidesAboutFacesAsLargeAsThePaper) {
    const std::vector<TRect> faces{{0, 0, 2100, 2970}, {100, 100, 1000, 800}};
    const auto plain = NewPageFrames(faces, {2100, 2970}, false, true);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0]->LogBounds(), faces[1]);
    EXPECT_EQ(plain[0]->PhotoAngle(), -1);
    EXPECT_FALSE(plain[0]->FitOuter());
    EXPECT_FALSE(plain[0]->Movable());
    const auto full = NewPageFrames(faces, {2100, 2970}, true, false);
    ASSERT_EQ(full.size(), 2u);
    EXPECT_TRUE(full[0]->FitOuter());
    EXPECT_TRUE(full[0]->Movable());
}

TEST(PageFrames, FramesFromAnotherPageAreEmptiedAndMirrored) {
    std::vector<std::unique_ptr<TDrawObject>> loaded;
    auto photo = std::make_unique<TLOAlbumPhoto>();
    photo->SetLogBounds({100, 50, 400, 250});
    TPictureEx picture;
    picture.SetGraphic(std::make_unique<TSafetyBitmap>(QImage(2, 2, QImage::Format_RGB32)));
    photo->PhotoImageObj()->SetPicture(&picture);
    photo->NormalizeFilter()->SetFilterNo(3);
    loaded.push_back(std::move(photo));
    loaded.push_back(std::make_unique<TLOText>());
    loaded.push_back(std::make_unique<TLOBackImage>());
    const auto kept = FramesFromPage(std::move(loaded), true, {1000, 600, false});
    ASSERT_EQ(kept.size(), 2u);  // the text is gone
    auto* frame = dynamic_cast<TLOAlbumPhoto*>(kept[0].get());
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->IsEmptyFrame());
    EXPECT_EQ(frame->NormalizeFilter()->FilterNo(), 0);
    EXPECT_EQ(frame->LogBounds(), (TRect{600, 50, 900, 250}));
    EXPECT_TRUE(dynamic_cast<TLOBackImage*>(kept[1].get()));
}

TEST(CoverScaling, ObjectsKeepTheirPlaceOnALargerFace) {
    TLOBackImage box;
    box.SetLogBounds({100, 100, 300, 200});
    TLOText text;
    text.SetLines({QStringLiteral("表紙")});
    text.Font()->SetSize(20);
    std::vector<TDrawObject*> objects{&box, &text};
    ScaleObjectsToFace(objects, {0, 0, 1000, 1000}, {0, 0, 2000, 3000});
    // Centre (200, 150) goes to (400, 450); the size doubles across, triples down.
    EXPECT_EQ(box.LogBounds(), (TRect{200, 300, 600, 600}));
    EXPECT_EQ(text.Font()->Size(), 40);  // the smaller of the two scales
    // A design face without width is left alone instead of dividing by zero.
    ScaleObjectsToFace(objects, {0, 0, 0, 1000}, {0, 0, 2000, 3000});
    EXPECT_EQ(box.LogBounds(), (TRect{200, 300, 600, 600}));
}

namespace {
struct Covers : TCoverContext {
    int SheetCount() override { return 6; }
    int CurrentSheet() override { return current; }
    void SelectSheet(int index) override { current = index; }
    void ClearFace(int face) override { cleared << QStringLiteral("%1/%2").arg(current).arg(face); }
    void SetCoverDesigned(bool front, bool designed) override { flags[front ? 0 : 1] = designed; }
    int current = 0;
    QStringList cleared;
    bool flags[2] = {true, true};
};
}  // namespace

TEST(CoverScaling, RemovingACoverLeavesItsSheet) {
    Covers album;
    RemoveCover(album, true);
    EXPECT_EQ(album.cleared, QStringList{"0/0"});
    EXPECT_FALSE(album.flags[0]);
    EXPECT_EQ(album.current, 2);  // from the front cover to the first page
    album.current = 1;
    RemoveCover(album, false);
    EXPECT_EQ(album.current, 5);  // from the back cover to the last sheet
    album.current = 3;
    RemoveCover(album, false);
    EXPECT_EQ(album.current, 3);
}

TEST(SequenceWaitWindow, StopButtonEndsTheOperationAndTheWindowIsModal) {
    TSequenceWaitWindow window;
    EXPECT_EQ(window.windowModality(), Qt::ApplicationModal);
    window.SetRange(1, 3);
    window.Step();
    window.Step();
    window.Step();  // stays within the range
    EXPECT_EQ(window.Position(), 3);
    EXPECT_FALSE(window.StopRequested());
    auto* stop = window.findChild<QPushButton*>(QStringLiteral("stop"));
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->text(), QStringLiteral("中 断"));
    stop->click();
    EXPECT_TRUE(window.StopRequested());
}
