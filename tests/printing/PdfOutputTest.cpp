// The PDF the printer writes itself, read back by poppler: images land where their targets
// say, stretched, clipped, with transparent pixels letting earlier images show, on pages of
// their own sizes.
#include "platform/spooler/PdfImageWriter.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QImage solid(int w, int h, QRgb colour, QImage::Format format = QImage::Format_RGB32) {
    QImage img(w, h, format);
    img.fill(colour);
    return img;
}

QImage rasterise(const QString& pdf, int page, const QString& scratch) {
    QProcess p;
    const QString out = scratch + QStringLiteral("/p%1").arg(page);
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"), QString::number(page),
             QStringLiteral("-l"), QString::number(page), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, out});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return QImage(out + QStringLiteral(".png"));
}

}  // namespace

TEST(PdfImageWriter, ImagesClipsTransparencyAndPages) {
    QTemporaryDir dir;
    QByteArray bytes;
    int pages = 0;
    {
        platform::PdfImageWriter writer([&](const QByteArray& b) { bytes += b; },
                                        QStringLiteral("写真"));
        // At 72 dpi one device pixel is one point; y runs downwards.
        writer.beginPage(100, 80, QTransform(1, 0, 0, -1, 0, 80));
        // Stretched twice across, and only its left half inside the clip.
        writer.drawImage(solid(20, 10, qRgb(255, 0, 0)), QRectF(10, 10, 40, 20),
                         QRegion(10, 10, 20, 20));
        writer.drawImage(solid(10, 10, qRgb(0, 255, 0)), QRectF(60, 40, 10, 10), std::nullopt);
        QImage half = solid(10, 10, qRgb(0, 0, 255), QImage::Format_ARGB32);
        for (int y = 0; y < 10; ++y)
            for (int x = 5; x < 10; ++x) half.setPixel(x, y, 0);
        writer.drawImage(half, QRectF(60, 40, 10, 10), std::nullopt);
        // An empty clip shows nothing.
        writer.drawImage(solid(4, 4, qRgb(0, 0, 0)), QRectF(80, 10, 10, 10), QRegion());
        writer.endPage();
        writer.beginPage(50, 60, QTransform(1, 0, 0, -1, 0, 60));
        writer.drawImage(solid(3, 3, qRgb(0, 0, 0)), QRectF(20, 30, 10, 10), std::nullopt);
        writer.finish();
        pages = writer.pageCount();
    }
    EXPECT_EQ(pages, 2);
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    const QImage first = rasterise(pdf, 1, dir.path());
    ASSERT_EQ(first.size(), QSize(100, 80));
    auto at = [](const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(at(first, 15, 15), 0xFF0000u);
    EXPECT_EQ(at(first, 28, 28), 0xFF0000u);
    EXPECT_EQ(at(first, 40, 20), 0xFFFFFFu);  // target, but outside the clip
    EXPECT_EQ(at(first, 5, 5), 0xFFFFFFu);
    EXPECT_EQ(at(first, 62, 45), 0x0000FFu);  // the opaque half
    EXPECT_EQ(at(first, 68, 45), 0x00FF00u);  // the earlier image through the transparent half
    EXPECT_EQ(at(first, 85, 15), 0xFFFFFFu);

    const QImage second = rasterise(pdf, 2, dir.path());
    ASSERT_EQ(second.size(), QSize(50, 60));
    EXPECT_EQ(at(second, 25, 35), 0x000000u);
    EXPECT_EQ(at(second, 25, 25), 0xFFFFFFu);
}

// A job dropped half-way leaves nothing running behind it.
TEST(PdfImageWriter, DroppedWhileCompressing) {
    QByteArray bytes;
    {
        platform::PdfImageWriter writer([&](const QByteArray& b) { bytes += b; },
                                        QStringLiteral("x"));
        writer.beginPage(100, 100, QTransform());
        for (int i = 0; i < 4; ++i)
            writer.drawImage(solid(300, 300, qRgb(i, 2 * i, 3 * i)), QRectF(0, 0, 100, 100),
                             std::nullopt);
    }
    EXPECT_TRUE(bytes.startsWith("%PDF-1.4"));
    EXPECT_FALSE(bytes.contains("%%EOF"));
}
