// The image cache: element names, the stored item, validity against the source file,
// the size limit with pruning and compaction, damaged and shared files, and survival
// of a process killed while storing or compacting.
#include "imaging/codecs/Jpeg.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "library/CacheElementName.h"
#include "library/ImageCacheItem.h"
#include "library/ImageCacheStorage.h"
#include "library/ThumbnailCache.h"
#include "platform/cfb/CompoundFile.h"
#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>
#include <QFile>
#include <QFileInfo>
#include <csignal>

namespace {

QByteArray jpegBytes(int w, int h, int seed) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 7 + seed) & 255, (y * 3) & 255, seed & 255));
    return codecs::EncodeJpeg(img);
}

QStringList writePhotos(const TempDir& dir, int count, int w = 320, int h = 240) {
    QStringList files;
    for (int i = 0; i < count; ++i)
        files << dir.write(QStringLiteral("photos/p%1.jpg").arg(i, 3, 10, QChar(u'0')),
                           jpegBytes(w, h, i));
    return files;
}

void setMtime(const QString& path, time_t sec) {
    struct timespec times[2] = {{sec, 0}, {sec, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

}  // namespace

TEST(CacheElementName, PathsNestWithoutTheRootAndLongOrSpecialNamesAreShortened) {
    EXPECT_EQ(CacheElementName(QStringLiteral("/home/u/Photos/a.jpg")),
              QStringLiteral("home\\u\\Photos\\a.jpg"));
    EXPECT_EQ(CacheElementName(QStringLiteral("a!b.jpg")), QStringLiteral("a*b.jpg"));
    EXPECT_EQ(CacheElementName(QStringLiteral("/x/C:y.jpg")), QStringLiteral("x\\C?Drivey.jpg"));
    EXPECT_EQ(CacheElementName(QStringLiteral("/x/back\\slash.png")),
              QStringLiteral("x\\back?5Cslash.png"));
    const QString forty = QString(36, u'n') + QStringLiteral(".jpg");  // 40 characters
    const QString shortName = CacheComponentName(forty);
    EXPECT_LE(shortName.size(), 31);
    EXPECT_TRUE(shortName.endsWith(QStringLiteral(".jpg")));
    EXPECT_TRUE(shortName.startsWith(QStringLiteral("nnnnnnnnnnnnnnnnnn~")));
    EXPECT_EQ(CacheComponentName(forty), shortName);  // the same every time
    EXPECT_NE(CacheComponentName(QString(36, u'n') + QStringLiteral(".JPG")).left(27),
              shortName.left(27));  // a different name, a different hash
    // Twelve 3-byte characters are 12 UTF-16 units but 36 bytes: shortened, cut whole.
    const QString kana = QString(12, QChar(0x3042)) + QStringLiteral(".jpg");
    const QString k = CacheComponentName(kana);
    EXPECT_LE(k.toUtf8().size(), 31);
    EXPECT_TRUE(k.startsWith(QString(6, QChar(0x3042)) + u'~'));  // 18 + 13 bytes
    EXPECT_EQ(CacheElementName(QStringLiteral("/a/") + forty), QStringLiteral("a\\") + shortName);
}

TEST(ImageCacheItem, StoredBytesHaveTheMarkerSizeTimeAndPictureRecord) {
    TImageCacheItem item;
    item.SetSize(0x01020304u);
    item.SetTime(0x1122334455667788LL);
    auto jpeg = std::make_unique<TSafetyJPEGImage>();
    jpeg->SetBytes(jpegBytes(8, 8, 1));
    item.Picture().SetGraphic(std::move(jpeg));
    const QByteArray bytes = item.Write();
    EXPECT_EQ(bytes.left(16).toHex(), QByteArray("00000000"
                                                 "04030201"
                                                 "88776655"
                                                 "44332211"));
    EXPECT_EQ(uint8_t(bytes[16]), 16);  // the class tag's length
    EXPECT_EQ(bytes.mid(17, 16), QByteArray("TSafetyJPEGImage"));
    TImageCacheItem back;
    back.ReadFrom(bytes);
    EXPECT_EQ(back.Size(), item.Size());
    EXPECT_EQ(back.Time(), item.Time());
    EXPECT_EQ(back.Picture().Width(), 8);
    // A later format reads as empty; cut bytes raise.
    QByteArray later = bytes;
    later[0] = 1;
    back.ReadFrom(later);
    EXPECT_TRUE(back.Picture().Empty());
    EXPECT_EQ(back.Size(), 0u);
    EXPECT_THROW(back.ReadFrom(bytes.left(10)), Exception);
}

TEST(ImageCacheItem, ValidOnlyForTheSameSizeAndTime) {
    TempDir dir;
    const QString file = dir.write(QStringLiteral("a.jpg"), jpegBytes(16, 16, 3));
    setMtime(file, 1600000000);
    TImageCacheItem item;
    ASSERT_TRUE(item.SetSourceFile(file));
    EXPECT_EQ(item.Time(), (1600000000LL + 11644473600LL) * 10000000LL);
    EXPECT_EQ(item.Size(), uint32_t(QFileInfo(file).size()));
    EXPECT_FALSE(item.IsValidFor(file));  // no picture yet
    item.Picture().LoadFromFile(file);
    EXPECT_TRUE(item.IsValidFor(file));
    setMtime(file, 1600000001);
    EXPECT_FALSE(item.IsValidFor(file));
    setMtime(file, 1600000000);
    EXPECT_TRUE(item.IsValidFor(file));
    EXPECT_FALSE(item.SetSourceFile(dir.file(QStringLiteral("missing.jpg"))));
}

TEST(ThumbnailCache, MissThenHitAndAChangedFileGetsANewThumbnail) {
    TempDir dir;
    const QStringList files = writePhotos(dir, 2, 640, 400);
    std::mutex lock;
    TThumbnailCache cache(lock);
    ASSERT_TRUE(cache.Open(dir.file(QStringLiteral("ImageCache.ic"))));
    TPictureEx p;
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Made);
    EXPECT_TRUE(p.IsJpeg());
    EXPECT_EQ(QSize(p.Width(), p.Height()), QSize(200, 125));
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Cache);
    setMtime(files[0], 1500000000);
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Made);
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Cache);
    // Across runs: the file keeps its thumbnails.
    cache.Close();
    TThumbnailCache again(lock);
    ASSERT_TRUE(again.Open(dir.file(QStringLiteral("ImageCache.ic"))));
    EXPECT_EQ(again.LoadThumbnail(files[0], p), TThumbnailCache::Source::Cache);
    // A second holder (another program instance) cannot open it and works without it.
    std::mutex otherLock;
    TThumbnailCache other(otherLock);
    EXPECT_FALSE(other.Open(dir.file(QStringLiteral("ImageCache.ic"))));
    EXPECT_EQ(other.LoadThumbnail(files[1], p), TThumbnailCache::Source::Made);
    other.ClearImageCache();  // not its file: left alone
    EXPECT_EQ(again.LoadThumbnail(files[0], p), TThumbnailCache::Source::Cache);
}

TEST(ThumbnailCache, PreviewFileBesideThePhotoComesFirst) {
    TempDir dir;
    const QStringList files = writePhotos(dir, 1);
    {
        TImageCacheStorage previews;
        previews.Open(dir.file(QStringLiteral("photos/Preview.ic")), false);
        TImageCacheItem item;
        auto jpeg = std::make_unique<TSafetyJPEGImage>();
        jpeg->SetBytes(jpegBytes(9, 9, 0));
        item.Picture().SetGraphic(std::move(jpeg));
        // Stored under the bare file name.
        ASSERT_TRUE(previews.Store(QFileInfo(files[0]).fileName(), item));
    }
    std::mutex lock;
    TThumbnailCache cache(lock);
    ASSERT_TRUE(cache.Open(dir.file(QStringLiteral("c.ic"))));
    TPictureEx p;
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Preview);
    EXPECT_EQ(p.Width(), 9);
}

TEST(ImageCacheStorage, LimitsPruneWhatIsNeededAndDisablingEmptiesTheCache) {
    TempDir dir;
    const QStringList files = writePhotos(dir, 12, 800, 600);
    const QString name = dir.file(QStringLiteral("ImageCache.ic"));
    std::mutex lock;
    TThumbnailCache cache(lock);
    ASSERT_TRUE(cache.Open(name));
    TPictureEx p;
    for (const QString& f : files) cache.LoadThumbnail(f, p);
    TImageCacheStorage& s = cache.Storage();
    const auto before = s.List();
    ASSERT_EQ(before.size(), 12u);
    const int64_t size = s.FileSize();
    cache.ApplyCacheSettings(true, 100);  // above the file's size: nothing changes
    EXPECT_EQ(s.FileSize(), size);
    EXPECT_EQ(s.List().size(), 12u);

    // Pruning stops as soon as the excess is gone: exactly the first item's size
    // deletes only the first item; one byte more deletes the second as well.
    EXPECT_EQ(s.PruneRoot(int64_t(before[0].size)), 0);
    EXPECT_EQ(s.List().size(), 11u);
    EXPECT_EQ(s.List().front().path, before[1].path);
    EXPECT_LT(s.PruneRoot(int64_t(before[1].size) + 1), 0);
    EXPECT_EQ(s.List().size(), 9u);
    EXPECT_EQ(s.PruneRoot(0), 0);  // nothing positive: nothing deleted
    EXPECT_EQ(s.List().size(), 9u);

    // A limit below the size prunes and compacts: the file really shrinks.
    cache.ApplyCacheSettings(true, 0);  // 0: no limit
    EXPECT_EQ(s.List().size(), 9u);
    // Disabled: the file shrinks to its empty tree and thumbnails are made every time.
    cache.ApplyCacheSettings(false, 100);
    EXPECT_TRUE(s.List().empty());
    EXPECT_LT(s.FileSize(), size);
    EXPECT_FALSE(QFileInfo::exists(name + u'$'));
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Made);
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Made);
    EXPECT_TRUE(s.List().empty());
    cache.ApplyCacheSettings(true, 0);
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Made);
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Cache);
}

TEST(ImageCacheStorage, ADamagedFileIsSetAsideAndADamagedElementIsDeleted) {
    TempDir dir;
    const QStringList files = writePhotos(dir, 1);
    const QString name = dir.write(QStringLiteral("ImageCache.ic"), QByteArray(3000, 'z'));
    std::mutex lock;
    TThumbnailCache cache(lock);
    ASSERT_TRUE(cache.Open(name));
    EXPECT_EQ(cache.Storage().SetAsideFile(), name + QStringLiteral(".damaged"));
    EXPECT_EQ(QFile(name + QStringLiteral(".damaged")).size(), 3000);
    TPictureEx p;
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Made);
    // Damage the element's bytes: the lookup deletes it and the thumbnail is made again.
    cache.Close();
    {
        auto f = platform::cfb::CompoundFile::open(name, platform::cfb::Access::ReadWrite);
        platform::cfb::Storage at = f->root();
        const QStringList parts = CacheElementName(files[0]).split(u'\\');
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) at = at.openStorage(parts[i]);
        at.createStream(parts.back()).write(0, QByteArray("\0\0\0\0\1\0", 6));
    }
    ASSERT_TRUE(cache.Open(name));
    TImageCacheItem item;
    EXPECT_THROW(cache.Storage().Load(files[0], item), Exception);
    EXPECT_FALSE(cache.Storage().Load(files[0], item));
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Made);
    EXPECT_EQ(cache.LoadThumbnail(files[0], p), TThumbnailCache::Source::Cache);
}

namespace {

// Runs `work` in a child process and kills it after `delayUs` (or lets it kill itself);
// returns once the child is gone.
void runAndKill(const std::function<void()>& work, int delayUs) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        work();
        ::_exit(0);
    }
    if (delayUs > 0) {
        ::usleep(useconds_t(delayUs));
    } else {
        // It kills itself; a child that hangs is killed after a while.
        for (int i = 0; i < 3000; ++i) {
            if (::waitpid(child, nullptr, WNOHANG) == child) return;
            ::usleep(10000);
        }
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

// The cache opens (set aside when damaged), every photo gets a thumbnail, and what is
// stored is read back.
void expectUsable(const QString& name, const QStringList& files) {
    std::mutex lock;
    TThumbnailCache cache(lock);
    ASSERT_TRUE(cache.Open(name));
    TPictureEx p;
    for (const QString& f : files) {
        cache.LoadThumbnail(f, p);
        ASSERT_FALSE(p.Empty());
        ASSERT_EQ(cache.LoadThumbnail(f, p), TThumbnailCache::Source::Cache);
    }
}

}  // namespace

TEST(ImageCacheStorage, SurvivesAProcessKilledWhileStoring) {
    TempDir dir;
    const QStringList files = writePhotos(dir, 40, 400, 300);
    const QString name = dir.file(QStringLiteral("ImageCache.ic"));
    for (int round = 0; round < 6; ++round) {
        runAndKill(
            [&] {
                std::mutex lock;
                TThumbnailCache cache(lock);
                cache.Open(name);
                TPictureEx p;
                for (int pass = 0; pass < 50; ++pass) {
                    for (const QString& f : files) cache.LoadThumbnail(f, p);
                    cache.ClearImageCache();
                }
            },
            20000 + round * 37000);
        expectUsable(name, files);
    }
}

TEST(ImageCacheStorage, SurvivesAProcessKilledWhileCompacting) {
    TempDir dir;
    const QStringList files = writePhotos(dir, 10);
    const QString name = dir.file(QStringLiteral("ImageCache.ic"));
    expectUsable(name, files);
    const QByteArray before = [&] {
        QFile f(name);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    // Killed after the copy was written, before it replaced the cache file.
    runAndKill(
        [&] {
            TImageCacheStorage s;
            s.Open(name, false);
            s.OnCompactCopied = [] { ::raise(SIGKILL); };
            s.Compact();
        },
        0);
    EXPECT_TRUE(QFileInfo::exists(name + u'$'));
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    f.close();
    expectUsable(name, files);
    // Killed at arbitrary moments of pruning and compaction.
    for (int round = 0; round < 4; ++round) {
        runAndKill(
            [&] {
                std::mutex lock;
                TThumbnailCache cache(lock);
                cache.Open(name);
                for (int i = 0; i < 200; ++i) cache.Storage().Compact();
            },
            5000 + round * 9000);
        expectUsable(name, files);
    }
}
