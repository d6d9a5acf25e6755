// Damaged and hostile metafiles, the clipped copy of the clip filter, the clipboard's
// metafile formats and TMetafile's own size limit.
#include "imaging/Messages.h"
#include "imaging/metafile/EmfWriter.h"
#include "imaging/metafile/MetafileEdit.h"
#include "imaging/metafile/MetafilePlayer.h"
#include "imaging/metafile/WmfWriter.h"
#include "imaging/picture/MetafileClipboard.h"
#include "platform/Exception.h"
#include "platform/canvas/Canvas.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QMimeData>
#include <QtEndian>

using namespace metafile;

namespace {

QImage render(const QByteArray& bytes, int w, int h, PlayReport* report = nullptr) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    platform::Canvas canvas(img);
    const PlayReport r = play(bytes, canvas, {0, 0, w, h});
    if (report) *report = r;
    return img;
}

void set32(QByteArray& b, qsizetype at, std::uint32_t v) {
    qToLittleEndian(v, b.data() + at);
}

QByteArray twoSquares() {
    EmfWriter w(QSize(40, 20));
    w.selectObject(w.createBrush(0, platform::makeColor(255, 0, 0)));
    w.rectangle(QRect(0, 0, 20, 20));
    w.selectObject(0x80000000u | 4);
    w.rectangle(QRect(20, 0, 20, 20));
    return w.finish();
}

}  // namespace

TEST(MetafileInput, DamagedRecordsAreSkippedNotFatal) {
    QByteArray emf = twoSquares();
    // A polygon record declaring a huge point count is skipped; a record running past the
    // end stops the playback.
    EmfWriter w(QSize(40, 20));
    w.polygon({{0, 0}, {10, 0}, {0, 10}});
    QByteArray huge = w.finish();
    set32(huge, 108 + 24, 0x40000000);  // the polygon's point count
    PlayReport report;
    render(huge, 40, 20, &report);
    EXPECT_EQ(report.skipped.at(QStringLiteral("POLYGON")), 1);

    QByteArray cut = emf;
    set32(cut, 108 + 4, 0x7FFFFFF0);  // the first record's size
    render(cut, 40, 20, &report);
    EXPECT_TRUE(report.truncated);
    EXPECT_EQ(report.records, 1);

    // Object indexes beyond the table and unknown stock objects select nothing.
    EmfWriter bad(QSize(10, 10));
    bad.selectObject(70000);
    bad.selectObject(0x80000000u | 99);
    bad.deleteObject(123456);
    bad.rectangle(QRect(0, 0, 10, 10));
    const QImage img = render(bad.finish(), 10, 10, &report);
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));  // the default white brush
    EXPECT_TRUE(report.skipped.empty());
}

TEST(MetafileInput, HugeDeclaredSizesAllocateNothing) {
    // A frame of 300 x 300 metres: ToImage refuses with the loader's message.
    EmfWriter w(QSize(1, 1));
    QByteArray emf = w.finish();
    set32(emf, 32, 30'000'000), set32(emf, 36, 30'000'000);
    TMetafile meta;
    meta.SetBytes(emf);
    EXPECT_GT(std::int64_t(meta.Width()) * meta.Height(), kMaxBitmapPixels);
    try {
        (void)meta.ToImage();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), msg::pictureLoadFailed());
    }
    // A bitmap record whose header declares a huge picture over a few bytes of bits.
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::black);
    EmfWriter b(QSize(10, 10));
    b.stretchDIBits(QRect(0, 0, 10, 10), one);
    QByteArray dib = b.finish();
    set32(dib, 108 + 80 + 4, 100000), set32(dib, 108 + 80 + 8, 100000);  // biWidth, biHeight
    PlayReport report;
    const QImage img = render(dib, 10, 10, &report);
    EXPECT_EQ(report.skipped.at(QStringLiteral("STRETCHDIBITS")), 1);
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));
}

TEST(MetafileInput, NotAMetafileIsRefused) {
    QImage img(4, 4, QImage::Format_RGB32);
    platform::Canvas canvas(img);
    EXPECT_THROW(play(QByteArray("\1\0\0\0 not a metafile"), canvas, {0, 0, 4, 4}), Exception);
    EXPECT_EQ(kindOf(QByteArray(50, '\0')), Kind::None);
}

TEST(MetafileEdit, ClippedEmfShowsTheRectangleAtOneToOne) {
    const QByteArray source = twoSquares();
    const QByteArray clipped = clippedMetafile(source, QSize(40, 20), QRect(10, 5, 20, 10));
    TMetafile meta;
    meta.SetBytes(clipped);
    EXPECT_EQ(meta.Width(), 20);
    EXPECT_EQ(meta.Height(), 10);
    const QImage img = render(clipped, 20, 10);
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(14, 5), qRgb(0, 0, 0));
    // The source's records are kept, not rendered into a bitmap.
    EXPECT_TRUE(clipped.contains(source.mid(108, source.size() - 108 - 20)));

    WmfWriter w(QRect(0, 0, 40, 20), 96);
    w.selectObject(w.createBrush(0, platform::makeColor(0, 0, 255)));
    w.rectangle(QRect(20, 0, 20, 20));
    const QImage fromWmf =
        render(clippedMetafile(w.finish(), QSize(40, 20), QRect(10, 0, 20, 20)), 20, 20);
    EXPECT_EQ(fromWmf.pixel(5, 10), qRgb(255, 255, 255));
    EXPECT_EQ(fromWmf.pixel(15, 10), qRgb(0, 0, 255));
}

TEST(MetafileClipboard, ReadsTheFormatsOthersOfferAndOffersEmf) {
    QMimeData data;
    data.setData(QStringLiteral("image/x-emf"), QByteArray("junk"));
    WmfWriter w(QRect(0, 0, 1440, 720), 1440);
    w.setWindowOrg({0, 0});
    w.setWindowExt({1440, 720});
    w.rectangle(QRect(0, 0, 720, 720));
    // A plain metafile (no placeable header) as a program puts it on the clipboard.
    data.setData(QStringLiteral("image/x-wmf"), w.finish().mid(22));
    const std::unique_ptr<TMetafile> meta = MetafileFromMimeData(data);
    ASSERT_TRUE(meta);
    EXPECT_FALSE(meta->Enhanced());
    EXPECT_EQ(meta->Width(), 96);
    EXPECT_EQ(meta->Height(), 48);

    QMimeData out;
    TMetafile emf;
    emf.SetBytes(twoSquares());
    PutMetafileOnMimeData(out, emf);
    EXPECT_EQ(out.data(QStringLiteral("image/x-emf")), emf.Bytes());
    EXPECT_EQ(MetafileFromMimeData(out)->Bytes(), emf.Bytes());
    EXPECT_FALSE(MetafileFromMimeData(QMimeData()));
}

TEST(MetafileInput, AnotherProgramsEmfRendersRecognisably) {
    // Written by pstoedit from pstoedit-shapes.ps: a red triangle at the lower left, a
    // blue ring at the right, a green curve across the top and black text above it.
    QFile f(QStringLiteral(METAFILE_EXTERNAL_DIR "/pstoedit-shapes.emf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    TMetafile meta;
    meta.SetBytes(f.readAll());
    const QImage img = meta.ToImage();
    ASSERT_EQ(img.size(), QSize(213, 130));
    const auto count = [&](QRect area, auto test) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) n += test(QColor(img.pixel(x, y)));
        return n;
    };
    const auto red = [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
    const auto blue = [](QColor c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; };
    const auto green = [](QColor c) { return c.green() > 100 && c.red() < 60 && c.blue() < 60; };
    const auto black = [](QColor c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60; };
    // The halves leave out the band where the triangle and the ring come close.
    const QRect left(0, 65, 95, 65), right(112, 0, 101, 130), top(0, 0, 213, 50);
    EXPECT_GT(count(left, red), 1000);
    EXPECT_EQ(count(right, red), 0);
    EXPECT_GT(count(right, blue), 400);
    EXPECT_EQ(count(left, blue), 0);
    EXPECT_GT(count(top, green), 150);
    EXPECT_GT(count(QRect(0, 0, 106, 30), black), 40);
}

TEST(MetafileInput, FarReachingLinesDrawWhatTheyWouldNearby) {
    // A line from a million pixels away draws the pixels of the same line starting nearby;
    // only the part near the picture is walked. (The picture maps nearly one to one, so
    // the line runs through the origin, which stays where it is.)
    const auto line = [](int reach) {
        EmfWriter w(QSize(40, 30));
        w.polyline({{-2 * reach, -reach}, {80, 40}});
        return render(w.finish(), 40, 30);
    };
    const QImage far = line(1'000'000);
    EXPECT_EQ(far, line(1));
    EXPECT_EQ(far.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(far.pixel(0, 1), qRgb(255, 255, 255));

    // Dashed pens along lines and curves millions of pixels long, one pixel and wide: a
    // band of rows, the dashes repeating along the row.
    EmfWriter w(QSize(40, 30));
    w.selectObject(w.createPen(1, 0, clBlack));
    w.polyline({{-3'000'000, 5}, {3'000'000, 5}});
    w.selectObject(w.createPen(1, 4, clBlack));
    w.polyBezier({{-3'000'000, 20}, {-1'000'000, 20}, {1'000'000, 20}, {3'000'000, 20}});
    const QImage img = render(w.finish(), 40, 30);
    const auto ink = [&](int x, int y) { return img.pixel(x, y) != qRgb(255, 255, 255); };
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            if (ink(x, y)) {
                EXPECT_TRUE(y == 5 || std::abs(y - 20) <= 3) << x << "," << y;
            }
        }
    for (int y : {5, 20}) {
        int inRow = 0;
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(ink(x, y), ink(x + 24, y)) << x << "," << y;
            inRow += ink(x, y);
        }
        EXPECT_GT(inRow, 0) << y;
        EXPECT_LT(inRow, 16) << y;
    }
}
