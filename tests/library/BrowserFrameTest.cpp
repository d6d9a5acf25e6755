// The thumbnail list on the offscreen platform: a folder of photos arrives through the
// worker and the idle notifications; the cell size keeps the display cache in range.
#include "app/frame/IdleNotifier.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/pack/ImagePack.h"
#include "imaging/picture/PictureEx.h"
#include "library/FileImagePack.h"
#include "library/ImageBrowserFrame.h"
#include "library/ThumbnailCache.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListView>
#include <QTimer>
#include <QTreeWidget>
#include <thread>

namespace {

// Runs the event loop (which waits, and so idles) for `ms`.
void spinFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

TEST(IdleNotifier, HandlersRunWhenTheLoopWaitsAndMayUnsubscribeThemselves) {
    TIdleNotifier& idle = TIdleNotifier::Instance();
    int calls = 0, once = 0;
    int selfId = 0;
    selfId = idle.Subscribe([&] {
        ++once;
        idle.Unsubscribe(selfId);
    });
    {
        TIdleSubscription sub([&] { ++calls; });
        QTimer::singleShot(30, [] {});
        spinFor(80);
        EXPECT_GT(calls, 0);
    }
    const int seen = calls;
    spinFor(40);
    EXPECT_EQ(calls, seen);
    EXPECT_EQ(once, 1);
}

TEST(ImageBrowserFrame, ShowsAFolderOfPhotosLoadedInTheBackground) {
    TempDir dir;
    QImage img(640, 480, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i) {
        img.fill(qRgb(40 * i, 200 - 30 * i, 90));
        dir.write(QStringLiteral("photos/p%1.jpg").arg(i), codecs::EncodeJpeg(img));
    }
    dir.write(QStringLiteral("photos/notes.txt"), "x");
    std::mutex lock;
    TThumbnailCache cache(lock);
    ASSERT_TRUE(cache.Open(dir.file(QStringLiteral("ImageCache.ic"))));
    TFolderImagePack pack;
    pack.OnFileLoad = [&](TFileImagePackBase*, const QString& f, TPictureEx& p) {
        cache.LoadThumbnail(f, p);
    };
    pack.SetFileMask(dir.file(QStringLiteral("photos/*.*")));
    pack.FilterByExtensions(QStringLiteral(".jpg;.png"));

    TfrmImageBrowser frame;
    frame.resize(700, 500);
    frame.SetSourcePack(&pack);
    frame.show();
    QApplication::processEvents();
    QListView* view = frame.IconView();
    ASSERT_EQ(view->model()->rowCount(), 6);
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), QStringLiteral("No.1"));
    // First the placeholder, then each photo as it arrives.
    const QImage placeholder = view->model()->index(0, 0).data(Qt::DecorationRole).value<QImage>();
    ASSERT_FALSE(placeholder.isNull());
    QElapsedTimer t;
    t.start();
    auto arrived = [&] {
        for (int i = 0; i < 6; ++i) {
            const QImage icon = view->model()->index(i, 0).data(Qt::DecorationRole).value<QImage>();
            if (icon.size() != QSize(148, 111)) return false;
        }
        return true;
    };
    while (!arrived() && t.elapsed() < 20000) spinFor(50);
    ASSERT_TRUE(arrived());
    const QImage third = view->model()->index(3, 0).data(Qt::DecorationRole).value<QImage>();
    EXPECT_NEAR(qRed(third.pixel(70, 50)), 120, 8);
    EXPECT_EQ(cache.Storage().List().size(), 6u);

    frame.SetMultiSelect(true);
    frame.SelectAll();
    EXPECT_EQ(frame.SelectedCount(), 6);
    frame.SelectImage(4);
    EXPECT_EQ(frame.FocusedIndex(), 4);
    frame.SelectImage(-1);
    EXPECT_EQ(frame.SelectedCount(), 0);
    frame.SetCaptions({QStringLiteral("a-very-long-file-name-that-does-not-fit.jpg")});
    const QString caption = view->model()->index(0, 0).data().toString();
    EXPECT_TRUE(caption.endsWith(QStringLiteral("...")));
    EXPECT_LE(view->fontMetrics().horizontalAdvance(caption), frame.CellSize());

    frame.SetDetailView(true);
    frame.FillDetails(pack.GetCount(), [&](int i) { return pack.FileName(i); });
    EXPECT_EQ(frame.DetailList()->topLevelItemCount(), 6);
    EXPECT_TRUE(frame.DetailList()->topLevelItem(0)->text(1).endsWith(QStringLiteral("KB")));

    // Cell sizes too small for a picture are raised; the display cache stays in range.
    frame.SetCellSize(0);
    EXPECT_EQ(frame.CellSize(), TfrmImageBrowser::kMinCellSize);
    EXPECT_GE(frame.DisplayPack().CacheLimit(), 1);
    EXPECT_LE(frame.DisplayPack().CacheLimit(), 65535);
    frame.SetCellSize(150);
    EXPECT_EQ(frame.DisplayPack().CacheLimit(), 10485760 / (150 * 150 * 3));

    // A change of the folder reaches the list.
    pack.SetFileMask({});
    EXPECT_EQ(view->model()->rowCount(), 0);
}
