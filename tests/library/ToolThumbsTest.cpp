// corvane-tool thumbs and cache: a folder's thumbnails miss, then hit; the cache lists,
// prunes and clears.
#include "imaging/codecs/Jpeg.h"
#include "tests/support/ToolRunner.h"

#include <QImage>

using CacheToolTest = ToolFixture;

TEST_F(CacheToolTest, ThumbsMissThenHitAndTheCacheCanBeListedPrunedAndCleared) {
    QImage img(500, 300, QImage::Format_RGB32);
    for (int i = 0; i < 3; ++i) {
        img.fill(qRgb(50 * i, 80, 120));
        dir.write(QStringLiteral("in/p%1.jpg").arg(i), codecs::EncodeJpeg(img));
    }
    dir.write(QStringLiteral("in/readme.txt"), "x");
    const QString cacheFile = dir.file(QStringLiteral("c.ic"));
    ToolRun r =
        run({QStringLiteral("thumbs"), dir.file(QStringLiteral("in")), QStringLiteral("--cache"),
             cacheFile, QStringLiteral("--size"), QStringLiteral("100")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("miss p0.jpg 98x59\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("files 3 hit 0 miss 3 preview 0 error 0")));
    r = run({QStringLiteral("thumbs"), dir.file(QStringLiteral("in")), QStringLiteral("--cache"),
             cacheFile});
    EXPECT_TRUE(r.out.contains(QStringLiteral("hit p2.jpg 148x89"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("files 3 hit 3 miss 0")));

    r = run({QStringLiteral("cache"), QStringLiteral("ls"), cacheFile});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("elements 3 ")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("\\in\\p1.jpg ")));
    r = run({QStringLiteral("cache"), QStringLiteral("prune"), QStringLiteral("--max"),
             QStringLiteral("0"), cacheFile});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("elements 0")));
    r = run({QStringLiteral("cache"), QStringLiteral("clear"), cacheFile});
    EXPECT_EQ(r.code, 0);
    r = run({QStringLiteral("thumbs"), dir.file(QStringLiteral("nowhere")),
             QStringLiteral("--cache"), cacheFile});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.isEmpty());
}
