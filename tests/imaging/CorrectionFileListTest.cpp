// Picture files as a batch correction list, and the few pictures such lists keep loaded.
#include "imaging/codecs/Jpeg.h"
#include "imaging/filters/AINPicFileList.h"
#include "imaging/picture/GraphicRegistry.h"
#include "imaging/picture/LoadedPictures.h"
#include "platform/Exception.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QImage>

namespace {

QByteArray jpeg(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 20, y * 30, 90));
    return codecs::EncodeJpeg(image);
}

}  // namespace

TEST(CorrectionLists, LoadedPicturesKeepTheMostRecentlyUsed) {
    TLoadedPictures kept(2);
    int loads = 0;
    auto load = [&](int width) {
        return [&loads, width](TPictureEx& p) {
            ++loads;
            p.SetImageID(QString::number(width));
        };
    };
    TLoadedPicture* first = &kept.Get(0, load(10));
    kept.Get(1, load(11));
    EXPECT_EQ(&kept.Get(0, load(99)), first);  // kept: not loaded again, now the newest
    EXPECT_EQ(loads, 2);
    kept.Get(2, load(12));  // drops photo 1, used longest ago
    EXPECT_EQ(kept.Kept(), 2u);
    EXPECT_EQ(kept.Get(0, load(99)).Picture.ImageID(), QStringLiteral("10"));
    EXPECT_EQ(kept.Get(1, load(21)).Picture.ImageID(), QStringLiteral("21"));
    EXPECT_EQ(loads, 4);
    EXPECT_THROW(kept.Get(5, [](TPictureEx&) { throw Exception(QStringLiteral("x")); }), Exception);
    EXPECT_EQ(kept.Kept(), 2u);  // a failed load keeps nothing and drops nothing
}

TEST(CorrectionLists, PictureFilesAreReadWhenAskedFor) {
    RegisterStandardGraphics();
    TempDir dir;
    const QStringList files{dir.write(QStringLiteral("a.jpg"), jpeg(8, 6)),
                            dir.write(QStringLiteral("b.jpg"), jpeg(12, 6)),
                            dir.file(QStringLiteral("missing.jpg"))};
    TAINPicFileList list(files);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.SourcePicture(1)->Width(), 12);
    EXPECT_TRUE(list.SourcePicture(0)->IsJpeg());
    EXPECT_EQ(list.DisplayPicture(0)->Width(), 8);
    EXPECT_EQ(list.FileName(2), files[2]);
    EXPECT_THROW(list.SourcePicture(2), Exception);
    EXPECT_THROW(list.SourcePicture(3), Exception);

    EXPECT_EQ(list.CurrentMethod(1), 0);
    list.ApplyMethod(1, 3);
    EXPECT_EQ(list.CurrentMethod(1), 3);
    EXPECT_EQ(list.CurrentMethod(0), 0);
    // Separate holders with default filters, for the hand adjustments the model removes.
    ASSERT_NE(list.PictureHolder(0), list.PictureHolder(1));
    EXPECT_FALSE(list.PictureHolder(0)->LightFilter()->IsEffective());

    TAINPicFileList readable(files.mid(0, 2));
    TAutoImgNormModel model(readable);  // the own normalisation is offered for JPEG files
    EXPECT_TRUE(model.IsOffered(1, 1));
    EXPECT_FALSE(model.IsOffered(1, 2));               // no colour-matching engine installed
    EXPECT_THROW(TAutoImgNormModel{list}, Exception);  // an unreadable file is reported
}
