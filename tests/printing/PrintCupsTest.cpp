// Placement through the private print server: the marked paper printed on the file: queue
// (PDF through the server's filters), the cups-pdf queue (PostScript turned back into PDF by
// Ghostscript) and the driverless queue (PWG raster, kept by ippeveprinter) lands where the
// paper puts its faces.
#include "PrintPlacement.h"
#include "printing/PrinterUtil.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QThread>

namespace {

QString cupsDir() {
    return qEnvironmentVariable("VELLUMO_CUPS_DIR");
}

void expectMarks(const QImage& page, int dpi, const std::vector<QPointF>& expected) {
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 2100 * dpi / 254.0, 3);
    for (const QPointF& e : expected) {
        const QPointF found = findMark(page, dpi, e);
        EXPECT_NEAR(found.x(), e.x(), 2.0) << "mark at " << e.x() << "," << e.y();
        EXPECT_NEAR(found.y(), e.y(), 2.0) << "mark at " << e.x() << "," << e.y();
    }
}

void waitForJob(const QString& printer, int job) {
    TPrinterConfiguration config(printer, {});
    for (int i = 0; i < 300 && GetJobStatus(config, job) != JOB_STATUS_PRINTED; ++i)
        QThread::msleep(100);
    ASSERT_EQ(GetJobStatus(config, job), JOB_STATUS_PRINTED);
}

}  // namespace

TEST(CupsPlacement, FileQueuePortraitLandscapeBorderless) {
    ASSERT_FALSE(cupsDir().isEmpty()) << "run through with-private-cupsd.sh";
    TempDir scratch;
    for (const bool landscape : {false, true})
        for (const bool borderless : {false, true}) {
            SCOPED_TRACE(landscape ? "landscape" : "portrait");
            SCOPED_TRACE(borderless ? "borderless" : "bordered");
            choosePrinter(QStringLiteral("VellumoFile"), borderless);
            const auto expected = printMarks({landscape, borderless, QPoint(12, -21)});
            ASSERT_GT(Printer().JobId(), 0);
            waitForJob(QStringLiteral("VellumoFile"), Printer().JobId());
            expectMarks(
                rasterisePdf(cupsDir() + QStringLiteral("/out/file.prn"), 300, scratch.path()), 300,
                expected);
        }
    ReplacePrinter(nullptr);
}

TEST(CupsPlacement, CupsPdfQueuePortraitAndLandscape) {
    ASSERT_FALSE(cupsDir().isEmpty()) << "run through with-private-cupsd.sh";
    TempDir scratch;
    const QDir out(cupsDir() + QStringLiteral("/cups-pdf"));
    for (const bool landscape : {false, true}) {
        SCOPED_TRACE(landscape ? "landscape" : "portrait");
        const QStringList before = out.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        choosePrinter(QStringLiteral("VellumoPdf"), false);
        const auto expected = printMarks({landscape, false, QPoint(-15, 30)});
        ASSERT_GT(Printer().JobId(), 0);
        waitForJob(QStringLiteral("VellumoPdf"), Printer().JobId());
        QString added;
        for (int i = 0; i < 300 && added.isEmpty(); ++i, QThread::msleep(100))
            for (const QString& f : out.entryList({QStringLiteral("*.pdf")}, QDir::Files))
                if (!before.contains(f)) added = out.filePath(f);
        ASSERT_FALSE(added.isEmpty()) << "cups-pdf wrote no file";
        expectMarks(rasterisePdf(added, 300, scratch.path()), 300, expected);
    }
    ReplacePrinter(nullptr);
}

TEST(CupsPlacement, DriverlessQueueGetsRaster) {
    ASSERT_FALSE(cupsDir().isEmpty()) << "run through with-private-cupsd.sh";
    const QDir kept(cupsDir() + QStringLiteral("/ipp"));
    for (const bool landscape : {false, true}) {
        SCOPED_TRACE(landscape ? "landscape" : "portrait");
        const QStringList before = kept.entryList(QDir::Files);
        choosePrinter(QStringLiteral("VellumoIpp"), false);
        const auto expected = printMarks({landscape, false, {}});
        waitForJob(QStringLiteral("VellumoIpp"), Printer().JobId());
        QStringList now;
        for (int i = 0; i < 300; ++i, QThread::msleep(100)) {
            now = kept.entryList(QDir::Files);
            if (now.size() > before.size()) break;
        }
        QString added;
        for (const QString& f : now)
            if (!before.contains(f)) added = kept.filePath(f);
        ASSERT_FALSE(added.isEmpty());
        QFile f(added);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        int dpi = 0;
        const QImage page = readPwgPage(f.readAll(), &dpi);
        expectMarks(page, dpi, expected);
    }
    ReplacePrinter(nullptr);
}
