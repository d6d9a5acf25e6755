// Image packs: matrix cells, the cache of recently used pictures, custom and file packs,
// extension filters, and the thumbnail routine.
#include "imaging/codecs/Jpeg.h"
#include "imaging/pack/CachedImagePack.h"
#include "imaging/pack/MatrixImagePack.h"
#include "imaging/pack/Thumbnail.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"
#include "library/FileImagePack.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>

namespace {

std::unique_ptr<TPictureEx> bitmapPicture(int w, int h, QRgb colour = qRgb(10, 20, 30)) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    auto p = std::make_unique<TPictureEx>();
    if (w > 0 && h > 0) p->SetGraphic(std::make_unique<TSafetyBitmap>(img));
    return p;
}

}  // namespace

TEST(MatrixImagePack, CellsFollowTheGridAndEmptyCellsAndGridsHaveNone) {
    TMatrixImagePack pack;
    pack.SetImage(*bitmapPicture(100, 50));
    pack.SetCountCol(4);
    pack.SetCountRow(2);
    EXPECT_EQ(pack.GetCount(), 8);
    EXPECT_EQ(pack.GetImageRect(5), (TRect{25, 25, 50, 50}));
    EXPECT_TRUE(pack.GetImageRect(8).IsEmpty());
    TPictureEx cell;
    pack.GetImage(cell, 5);
    EXPECT_EQ(cell.Width(), 25);
    EXPECT_EQ(cell.Height(), 25);
    // No columns: no cells, no division by zero.
    pack.SetCountCol(0);
    EXPECT_EQ(pack.GetCount(), 0);
    EXPECT_TRUE(pack.GetImageRect(0).IsEmpty());
    EXPECT_TRUE(pack.IsEmpty(0));
    // An empty picture: every cell is empty.
    pack.SetCountCol(4);
    pack.SetImage(TPictureEx());
    EXPECT_TRUE(pack.IsEmpty(1));
    pack.GetImage(cell, 1);
    EXPECT_TRUE(cell.Empty());
}

TEST(MatrixImagePack, ChangesAreReportedAndRectanglesAreReadOnly) {
    TMatrixImagePack pack;
    int changes = 0;
    pack.OnChange = [&](TImagePack*) { ++changes; };
    pack.SetCountCol(3);
    pack.SetCountCol(3);
    pack.SetImage(*bitmapPicture(30, 10));
    EXPECT_EQ(changes, 2);
    EXPECT_THROW(pack.SetImageRect(0, {}), EImagePack);
    EXPECT_THROW(pack.SetLeft(0, 3), EImagePack);
    EXPECT_THROW(pack.SetCount(2), EImagePack);
}

TEST(CachedImagePack, LeastRecentlyUsedEntriesGoFirst) {
    TCachedImagePack pack;
    pack.CacheEntry(1);
    pack.CacheEntry(2);  // limit 1: only the last stays
    EXPECT_EQ(pack.CachedKeys(), std::vector<int>{2});
    pack.SetCacheLimit(3);
    pack.CacheEntry(3);
    pack.CacheEntry(4);
    pack.CacheEntry(2);  // a hit becomes the most recent
    EXPECT_EQ(pack.CachedKeys(), (std::vector<int>{3, 4, 2}));
    pack.CacheEntry(5);
    EXPECT_EQ(pack.CachedKeys(), (std::vector<int>{4, 2, 5}));
    pack.SetCacheLimit(1);
    EXPECT_EQ(pack.CachedKeys(), std::vector<int>{5});
    // The limit is an unsigned 16-bit count of at least one.
    pack.SetCacheLimit(0);
    EXPECT_EQ(pack.CacheLimit(), 1);
    pack.SetCacheLimit(1 << 20);
    EXPECT_EQ(pack.CacheLimit(), 65535);
}

TEST(CustomImagePack, LoadsOnceWhileCachedAndGivesTheErrorPictureOnFailure) {
    TCustomImagePack pack;
    pack.SetCacheLimit(4);
    int loads = 0;
    pack.OnGetCount = [](TImagePack*, int& n) { n = 3; };
    pack.OnGetImage = [&](TImagePack*, TPictureEx& p, int index) {
        ++loads;
        if (index == 2) throw Exception(QStringLiteral("broken"));
        p.Assign(*bitmapPicture(10 + index, 5));
    };
    TPictureEx p;
    pack.GetImage(p, 1);
    pack.GetImage(p, 1);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(pack.GetImageRect(1), (TRect{0, 0, 11, 5}));
    pack.GetImage(p, 2);
    EXPECT_FALSE(p.Empty());  // the error picture
    EXPECT_TRUE(pack.GetImageRect(3).IsEmpty());
    pack.GetImage(p, 7);
    EXPECT_TRUE(p.Empty());
}

TEST(FileImagePack, FolderMaskListsSortedFilesAndTheFilterKeepsImageExtensions) {
    TempDir dir;
    for (const char* name : {"b.JPG", "a.png", "C.txt", "noext", ".hidden.jpg", "d.jpeg"})
        dir.write(QString::fromLatin1(name), "x");
    QDir(dir.path()).mkdir(QStringLiteral("sub.jpg"));
    TFolderImagePack pack;
    int changing = 0, changed = 0;
    TListener listener([&](TPersistent*, const QUuid& aspect) {
        changing += aspect == asImagesChanging;
        changed += aspect == asImagesChanged;
    });
    pack.Notify().AddListener(&listener);
    pack.SetFileMask(dir.file(QStringLiteral("*")));
    QStringList names;
    for (const QString& f : pack.Files()) names << QFileInfo(f).fileName();
    EXPECT_EQ(names, (QStringList{"a.png", "b.JPG", "C.txt", "d.jpeg", "noext"}));
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);
    pack.FilterByExtensions(QStringLiteral(".bmp;.jpg;.jpeg;.wmf;.emf;.cbm;.png"));
    names.clear();
    for (const QString& f : pack.Files()) names << QFileInfo(f).fileName();
    EXPECT_EQ(names, (QStringList{"a.png", "b.JPG", "d.jpeg"}));
    pack.FilterByExtensions(QStringLiteral(".;.png"));
    EXPECT_EQ(pack.GetCount(), 1);
    pack.SetFileMask({});
    EXPECT_EQ(pack.GetCount(), 0);
}

TEST(FileImagePack, OnFileLoadSuppliesThePictureAndBrokenFilesGiveTheErrorPicture) {
    TempDir dir;
    const QString good = dir.write(QStringLiteral("a.jpg"),
                                   codecs::EncodeJpeg(bitmapPicture(40, 30)->Graphic()->ToImage()));
    const QString bad = dir.write(QStringLiteral("b.jpg"), "not a jpeg");
    TFileImagePack pack;
    pack.SetCacheLimit(4);
    pack.SetFileList({good, bad});
    TPictureEx p;
    pack.GetImage(p, 0);
    EXPECT_EQ(p.Width(), 40);
    EXPECT_FALSE(pack.SafeGetImage(p, 5) && !p.Empty());
    pack.GetImage(p, 1);
    EXPECT_FALSE(p.Empty());  // the error picture, not an exception
    pack.OnFileLoad = [](TFileImagePackBase*, const QString&, TPictureEx& picture) {
        picture.Assign(*bitmapPicture(7, 7));
    };
    pack.ClearCache();
    pack.GetImage(p, 1);
    EXPECT_EQ(p.Width(), 7);
}

TEST(Thumbnail, FittingTouchesTheBoxAndEmptyInputsGiveEmptyThumbnails) {
    EXPECT_EQ(FitThumbnailSize({4000, 3000}, {200, 200}), QSize(200, 150));
    EXPECT_EQ(FitThumbnailSize({3000, 4000}, {200, 200}), QSize(150, 200));
    EXPECT_EQ(FitThumbnailSize({10, 10}, {148, 138}), QSize(138, 138));
    EXPECT_TRUE(FitThumbnailSize({0, 0}, {200, 200}).isEmpty());
    EXPECT_TRUE(FitThumbnailSize({10, 10}, {0, -5}).isEmpty());
    EXPECT_TRUE(MakeThumbnail(TPictureEx(), {200, 200}).isNull());
}

TEST(Thumbnail, BoxFilterAveragesEachChannelOverItsBox) {
    QImage src(4, 2, QImage::Format_RGB32);
    // Left half: columns 0-1, right half: columns 2-3.
    const QRgb px[2][4] = {{qRgb(0, 0, 0), qRgb(100, 10, 1), qRgb(255, 255, 255), qRgb(1, 2, 3)},
                           {qRgb(50, 30, 3), qRgb(10, 0, 0), qRgb(0, 0, 0), qRgb(3, 2, 1)}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) src.setPixel(x, y, px[y][x]);
    const QImage out = BoxReduce(src, {2, 1});
    EXPECT_EQ(out.pixel(0, 0),
              qRgb((0 + 100 + 50 + 10) / 4, (0 + 10 + 30 + 0) / 4, (0 + 1 + 3) / 4));
    EXPECT_EQ(out.pixel(1, 0), qRgb((255 + 1 + 0 + 3) / 4, (255 + 2 + 2) / 4, (255 + 3 + 1) / 4));
    // Enlarging: every box still takes one pixel.
    EXPECT_EQ(BoxReduce(src, {8, 4}).pixel(7, 3), px[1][3]);
}

TEST(Thumbnail, JpegIsDecodedScaledAndTransparentColourBecomesTheBackground) {
    QImage big(1700, 1000, QImage::Format_RGB32);
    big.fill(qRgb(200, 40, 40));
    TPictureEx jpeg;
    auto g = std::make_unique<TSafetyJPEGImage>();
    g->SetBytes(codecs::EncodeJpeg(big));
    jpeg.SetGraphic(std::move(g));
    const QImage thumb = MakeThumbnail(jpeg, {200, 200});
    ASSERT_EQ(thumb.size(), QSize(200, 118));
    EXPECT_NEAR(qRed(thumb.pixel(100, 60)), 200, 6);

    auto keyed = bitmapPicture(20, 20, qRgb(0x90, 0x70, 0x60));
    const QImage white = MakeThumbnail(*keyed, {10, 10}, 0x607090, clWhite);
    EXPECT_EQ(white.pixel(5, 5), qRgb(255, 255, 255));
}
