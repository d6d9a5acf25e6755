// The photo sequence over an album kept in memory: reading order (the staircase
// included), inserting and deleting across pages, filling with page additions, the page
// limit and flipping following pages.
#include "album/PhotoSequence.h"
#include "imaging/picture/SafetyBitmap.h"
#include "objects/AlbumPhoto.h"

#include <gtest/gtest.h>

namespace {

using Photos = std::vector<std::unique_ptr<TLOAlbumPhoto>>;

// An album in memory: sheets 0 and 1 are the covers, every page has the same frames. The
// site is a copy of the current sheet's face, saved back by StoreFace as a layout window
// does, so an operation that forgets to store or show a face loses its changes here too.
class TestAlbum : public TPhotoSequenceContext {
public:
    TestAlbum(int pages, std::vector<TRect> frames, int limit = 12)
        : frames_(std::move(frames)), limit_(limit) {
        sheets.resize(2);
        for (int i = 0; i < pages; ++i) sheets.push_back(blankPage());
        current = 2;
        ShowSheet();
    }

    Photos blankPage() const {
        Photos page;
        // Added in reverse: site order is not reading order.
        for (auto it = frames_.rbegin(); it != frames_.rend(); ++it) {
            auto p = std::make_unique<TLOAlbumPhoto>();
            p->SetLogBounds(*it);
            page.push_back(std::move(p));
        }
        return page;
    }
    static Photos copies(const Photos& from, bool emptied = false) {
        Photos out;
        for (const auto& p : from) {
            auto c = std::make_unique<TLOAlbumPhoto>();
            c->Assign(*p);
            if (emptied) c->PhotoImageObj()->Picture()->Clear();
            out.push_back(std::move(c));
        }
        return out;
    }
    static void put(TLOAlbumPhoto& p, const QString& name) {
        TPictureEx picture;
        picture.SetGraphic(std::make_unique<TSafetyBitmap>(QImage(2, 2, QImage::Format_RGB32)));
        picture.SetImageID(name);
        p.PhotoImageObj()->SetPicture(&picture);
    }
    // Names the photos "p0", "p1", ... in sequence order over the given pages.
    void fill(int photos) {
        int n = 0;
        for (size_t s = 2; s < sheets.size() && n < photos; ++s) {
            std::vector<TDrawObject*> raw;
            for (auto& p : sheets[s]) raw.push_back(p.get());
            for (TLOAlbumPhoto* p : FramesInReadingOrder(raw))
                if (n < photos) put(*p, QStringLiteral("p%1").arg(n++));
        }
        ShowSheet();
    }
    // The photo names of a sheet in reading order, "_" for an empty frame.
    QString names(int sheet) {
        if (sheet == current) StoreFace();
        std::vector<TDrawObject*> raw;
        for (auto& p : sheets[size_t(sheet)]) raw.push_back(p.get());
        QStringList out;
        for (TLOAlbumPhoto* p : FramesInReadingOrder(raw))
            out << (p->IsEmptyFrame() ? QStringLiteral("_")
                                      : p->PhotoImageObj()->Picture()->ImageID());
        return out.join(u' ');
    }
    void select(int frame) {
        const auto frames = FramesInReadingOrder(SiteObjects());
        for (TLOAlbumPhoto* p : frames) p->SetSelected(false);
        frames.at(size_t(frame))->SetSelected(true);
    }

    std::vector<TDrawObject*> SiteObjects() override {
        std::vector<TDrawObject*> raw;
        for (auto& p : site) raw.push_back(p.get());
        return raw;
    }
    void MarkSiteChanged() override { changed = true; }
    int SheetCount() override { return int(sheets.size()); }
    int CurrentSheet() override { return current; }
    void SelectSheet(int index) override { current = index; }
    std::optional<QString> PageLimitMessage() override {
        if (int(sheets.size()) - 2 < limit_) return std::nullopt;
        return QStringLiteral("limit");
    }
    int CountStoredFrames(int sheet) override { return int(sheets.at(size_t(sheet)).size()); }
    bool HasStoredEmptyFrame(int sheet) override {
        for (auto& p : sheets.at(size_t(sheet)))
            if (p->IsEmptyFrame()) return true;
        return false;
    }
    std::vector<std::unique_ptr<TDrawObject>> LoadFace(int sheet) override {
        std::vector<std::unique_ptr<TDrawObject>> out;
        for (auto& p : copies(sheets.at(size_t(sheet)))) out.push_back(std::move(p));
        return out;
    }
    void SaveFace(int sheet, const std::vector<TDrawObject*>& objects) override {
        Photos saved;
        for (TDrawObject* o : objects) {
            auto c = std::make_unique<TLOAlbumPhoto>();
            c->Assign(*o);
            saved.push_back(std::move(c));
        }
        sheets.at(size_t(sheet)) = std::move(saved);
    }
    TSequencePaper LayoutPaper() override { return {1000, 600, false}; }
    void StoreFace() override { sheets.at(size_t(current)) = copies(site); }
    void ShowSheet() override { site = copies(sheets.at(size_t(current))); }
    void AddPage() override {
        StoreFace();
        sheets.insert(sheets.begin() + current + 1, copies(site, true));
        ++current;
        ShowSheet();
        ++pagesAdded;
    }
    void GoToPage(int n) override {
        StoreFace();
        current = n;
        ShowSheet();
    }
    void AppendSheet() override {
        sheets.emplace_back();
        current = int(sheets.size()) - 1;
        ShowSheet();
        ++pagesAdded;
    }
    void LayOutFromPage(int n) override { site = copies(sheets.at(size_t(n)), true); }
    void LoadPhoto(int index, TLoadedPhoto& photo) override {
        photo.Picture.SetGraphic(
            std::make_unique<TSafetyBitmap>(QImage(2, 2, QImage::Format_RGB32)));
        photo.Picture.SetImageID(QStringLiteral("img%1").arg(index));
        photo.Date = 38112;
    }
    void ShowMessage(const QString& text) override { messages << text; }
    void SetCounterText(const QString& text) override { counters << text; }

    std::vector<Photos> sheets;
    Photos site;
    int current = 2;
    bool changed = false;
    int pagesAdded = 0;
    QStringList messages, counters;

private:
    std::vector<TRect> frames_;
    int limit_;
};

// Two by two frames of 100 x 100.
const std::vector<TRect> kGrid{
    {0, 0, 100, 100}, {100, 0, 200, 100}, {0, 100, 100, 200}, {100, 100, 200, 200}};

std::vector<TDrawObject*> placed(Photos& photos, const std::vector<TRect>& rects) {
    std::vector<TDrawObject*> raw;
    for (const TRect& r : rects) {
        photos.push_back(std::make_unique<TLOAlbumPhoto>());
        photos.back()->SetLogBounds(r);
        raw.push_back(photos.back().get());
    }
    return raw;
}

}  // namespace

TEST(PhotoSequence, ReadingOrderFollowsRowsAndCentres) {
    Photos photos;
    // The right one first in site order; both share their top edge.
    auto raw = placed(photos, {{100, 0, 200, 100}, {0, 0, 100, 100}});
    EXPECT_EQ(FramesInReadingOrder(raw),
              (std::vector<TLOAlbumPhoto*>{photos[1].get(), photos[0].get()}));
    // B's centre is below A's top: B comes after A although its own top is higher.
    EXPECT_TRUE(FrameComesBefore({0, 100, 100, 200}, {100, 90, 200, 300}));
    EXPECT_FALSE(FrameComesBefore({100, 90, 200, 300}, {0, 100, 100, 200}));
}

TEST(PhotoSequence, StaircaseFramesAreOrderedOnceAndWalkEnds) {
    const TRect a{0, 100, 100, 200}, b{100, 70, 200, 150}, c{200, 45, 300, 145};
    // The pairwise rule goes round in a circle here.
    ASSERT_TRUE(FrameComesBefore(a, b));
    ASSERT_TRUE(FrameComesBefore(b, c));
    ASSERT_TRUE(FrameComesBefore(c, a));
    for (const auto& rects :
         {std::vector<TRect>{a, b, c}, std::vector<TRect>{c, b, a}, std::vector<TRect>{b, c, a}}) {
        Photos photos;
        auto raw = placed(photos, rects);
        const auto order = FramesInReadingOrder(raw);
        // Every frame once, the same order whatever the site order.
        ASSERT_EQ(order.size(), 3u);
        EXPECT_EQ(order[0]->LogBounds(), c);  // the highest centre breaks the tie
        EXPECT_EQ(order[1]->LogBounds(), a);
        EXPECT_EQ(order[2]->LogBounds(), b);
        int steps = 0;
        for (TLOAlbumPhoto* p = NextFrame(raw, nullptr, false); p && steps < 10;
             p = NextFrame(raw, p, false))
            ++steps;
        EXPECT_EQ(steps, 3);
    }
    // Filling a staircase page ends too.
    TestAlbum album(1, {a, b, c}, 1);
    EXPECT_EQ(FillEmptyFrames(album, 5), TSequenceResult::PageLimit);
    EXPECT_EQ(album.names(2), "img0 img1 img2");
}

TEST(PhotoSequence, InsertMovesLaterPhotosOnAcrossPagesAndAddsAPage) {
    TestAlbum album(2, kGrid);
    album.fill(8);
    album.select(2);
    EXPECT_EQ(InsertPhotoSlot(album), TSequenceResult::Done);
    EXPECT_EQ(album.current, 2);  // back on the page it started on
    EXPECT_EQ(album.names(2), "p0 p1 _ p2");
    EXPECT_EQ(album.names(3), "p3 p4 p5 p6");
    ASSERT_EQ(album.SheetCount(), 5);
    EXPECT_EQ(album.names(4), "p7 _ _ _");
    // With an empty frame further on no page is added.
    album.select(0);
    EXPECT_EQ(InsertPhotoSlot(album), TSequenceResult::Done);
    EXPECT_EQ(album.names(2), "_ p0 p1 p2");  // the empty frame took the shift
    EXPECT_EQ(album.names(3), "p3 p4 p5 p6");
    EXPECT_EQ(album.SheetCount(), 5);
}

TEST(PhotoSequence, InsertAtThePageLimitIsRefusedBeforeAnythingMoves) {
    TestAlbum album(2, kGrid, 2);
    album.fill(8);
    album.GoToPage(3);
    album.select(3);
    EXPECT_EQ(InsertPhotoSlot(album), TSequenceResult::PageLimit);
    EXPECT_EQ(album.messages, QStringList{"limit"});
    EXPECT_EQ(album.names(2), "p0 p1 p2 p3");
    EXPECT_EQ(album.names(3), "p4 p5 p6 p7");  // nothing dropped
    EXPECT_EQ(album.SheetCount(), 4);
}

TEST(PhotoSequence, DeleteMovesLaterPhotosBackAcrossPages) {
    TestAlbum album(3, kGrid);
    album.fill(12);
    album.GoToPage(3);
    album.select(1);
    EXPECT_EQ(DeletePhoto(album), TSequenceResult::Done);
    EXPECT_EQ(album.current, 3);
    EXPECT_EQ(album.names(2), "p0 p1 p2 p3");
    EXPECT_EQ(album.names(3), "p4 p6 p7 p8");
    EXPECT_EQ(album.names(4), "p9 p10 p11 _");

    // Deleting the only photo leaves every frame empty.
    TestAlbum single(2, kGrid);
    single.fill(1);
    single.select(0);
    EXPECT_EQ(DeletePhoto(single), TSequenceResult::Done);
    EXPECT_EQ(single.names(2), "_ _ _ _");
    EXPECT_EQ(single.names(3), "_ _ _ _");
}

TEST(PhotoSequence, FillAddsPagesLikeTheCurrentOneUpToTheLimit) {
    TestAlbum album(1, kGrid);
    EXPECT_EQ(FillEmptyFrames(album, 10), TSequenceResult::Done);
    EXPECT_EQ(album.pagesAdded, 2);
    EXPECT_EQ(album.names(2), "img0 img1 img2 img3");
    EXPECT_EQ(album.names(3), "img4 img5 img6 img7");
    EXPECT_EQ(album.names(4), "img8 img9 _ _");
    EXPECT_EQ(album.counters.front(), "1/10");
    EXPECT_EQ(album.counters.back(), "10/10");

    TestAlbum limited(1, kGrid, 2);
    EXPECT_EQ(FillEmptyFrames(limited, 10), TSequenceResult::PageLimit);
    EXPECT_EQ(limited.messages, QStringList{"limit"});
    EXPECT_EQ(limited.names(3), "img4 img5 img6 img7");  // filled ones stay

    // A page without frames refuses; it is never walked page after page.
    TestAlbum frameless(1, {});
    EXPECT_EQ(FillEmptyFrames(frameless, 3), TSequenceResult::NotStarted);
    EXPECT_EQ(frameless.pagesAdded, 0);
}

TEST(PhotoSequence, FlipMirrorsTheFollowingPages) {
    TestAlbum album(3, {{100, 0, 300, 100}});
    album.StoreFace();
    FlipFollowingPages(album, 3);
    EXPECT_EQ(album.current, 2);
    EXPECT_EQ(album.sheets[2][0]->LogBounds(), (TRect{100, 0, 300, 100}));
    EXPECT_EQ(album.sheets[3][0]->LogBounds(), (TRect{700, 0, 900, 100}));
    EXPECT_EQ(album.sheets[4][0]->LogBounds(), (TRect{700, 0, 900, 100}));
}
