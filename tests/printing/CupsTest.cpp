// The spooler, the driver and the tool against a private print server (started around
// this program by with-private-cupsd.sh): a file: queue, a cups-pdf queue and a driverless
// queue over ippeveprinter.
#include "platform/Exception.h"
#include "platform/spooler/PrinterDriver.h"
#include "printing/OXDI.h"
#include "printing/PrinterUtil.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

namespace dm = platform::devmode;

namespace {

const QString kFile = QStringLiteral("VellumoFile"), kPdf = QStringLiteral("VellumoPdf"),
              kIpp = QStringLiteral("VellumoIpp");

QString cupsDir() {
    return qEnvironmentVariable("VELLUMO_CUPS_DIR");
}

QByteArray twoPagePdf() {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter p(&writer);
        p.drawText(100, 100, QStringLiteral("one"));
        writer.newPage();
        p.drawText(100, 100, QStringLiteral("two"));
    }
    return bytes;
}

QString run(const QString& program, const QStringList& args, const TempDir& home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.file("config"));
    env.insert("XDG_DATA_HOME", home.file("data"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

class Cups : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(cupsDir().isEmpty()) << "run through with-private-cupsd.sh";
        SetOxsetLibraryPath(QStringLiteral(VELLUMO_BIN_DIR "/Drivers/OXSET32.so"));
    }
    void TearDown() override { SetOxsetLibraryPath({}); }
    platform::Spooler& spooler = platform::systemSpooler();
};

}  // namespace

TEST_F(Cups, PrintersOfTheServerAndThePdfPrinter) {
    QStringList names;
    QString def;
    for (const auto& p : spooler.printers()) {
        names << p.name;
        if (p.isDefault) def = p.name;
    }
    EXPECT_EQ(names, (QStringList{kFile, kIpp, kPdf, platform::pdfPrinterName()}));
    EXPECT_EQ(def, kFile);
    EXPECT_EQ(spooler.printer(kPdf)->driver,
              QStringLiteral("Generic CUPS-PDF Printer (w/ options)"));
    EXPECT_TRUE(spooler.printer(kIpp)->port.startsWith(u"ipp://localhost:"));
    EXPECT_FALSE(spooler.printer(QStringLiteral("Missing")));
    EXPECT_THROW(spooler.capabilities(QStringLiteral("Missing")), Exception);
}

TEST_F(Cups, CapabilitiesBecomeFormsBinsAndTypes) {
    const auto pdf = platform::PrinterDriver::open(spooler, kPdf);
    const auto& media = pdf.capabilities().media;
    const auto a4 = std::find_if(media.begin(), media.end(),
                                 [](const auto& m) { return m.name == u"iso_a4_210x297mm"; });
    ASSERT_NE(a4, media.end());
    EXPECT_NEAR(a4->width, 21000, 20);
    EXPECT_NEAR(a4->length, 29700, 20);
    TPrinterConfiguration config(kPdf, {});
    EXPECT_EQ(config.Forms()->Item(config.Forms()->FindNearSize(QSize(2100, 2970)))->ID(), 9);

    // The driverless queue: qualities and colour modes from the printer; album paper too.
    const auto ipp = platform::PrinterDriver::open(spooler, kIpp);
    EXPECT_FALSE(ipp.capabilities().qualities.isEmpty());
    EXPECT_TRUE(ipp.capabilities().colorModes.contains(u"color"));
    EXPECT_TRUE(ipp.mediaTypes().contains(platform::kAlbumMediaType));
    TPrinterConfiguration ippConfig(kIpp, {});
    const IOXDIPtr ext = NewOXDI(ippConfig);
    ASSERT_TRUE(ext->IsOpen());
    EXPECT_EQ(ext->QualityLevelCount(), int(ipp.capabilities().qualities.size()));
    EXPECT_TRUE(IsPaperPrintable(QSize(2100, 2970), true, ippConfig));
}

TEST_F(Cups, JobsReachTheirDevices) {
    const QByteArray pdf = twoPagePdf();
    const auto fileDriver = platform::PrinterDriver::open(spooler, kFile);
    auto doc = spooler.startJob(kFile, QStringLiteral("album"),
                                fileDriver.jobOptions(fileDriver.defaultDevMode()),
                                QStringLiteral("application/pdf"));
    doc->write(pdf.left(100));
    doc->write(pdf.mid(100));
    const int job = doc->finish();
    EXPECT_GT(job, 0);
    TPrinterConfiguration config(kFile, {});
    const QString out = cupsDir() + QStringLiteral("/out/file.prn");
    for (int i = 0; i < 200 && GetJobStatus(config, job) != JOB_STATUS_PRINTED; ++i)
        QThread::msleep(100);
    EXPECT_EQ(GetJobStatus(config, job), JOB_STATUS_PRINTED);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {out});
    ASSERT_TRUE(info.waitForFinished());
    const QString report = QString::fromLatin1(info.readAllStandardOutput());
    EXPECT_TRUE(report.contains(QRegularExpression(QStringLiteral("Pages: +2\n"))))
        << report.toStdString();

    // Driverless: ippeveprinter keeps the document it received.
    auto ippDoc =
        spooler.startJob(kIpp, QStringLiteral("album"), {}, QStringLiteral("application/pdf"));
    ippDoc->write(pdf);
    ippDoc->finish();
    QStringList kept;
    for (int i = 0; i < 300 && kept.isEmpty(); ++i, QThread::msleep(100))
        kept = QDir(cupsDir() + QStringLiteral("/ipp")).entryList(QDir::Files);
    EXPECT_FALSE(kept.isEmpty());

    // A job cancelled before it is finished leaves nothing queued.
    auto dropped =
        spooler.startJob(kFile, QStringLiteral("dropped"), {}, QStringLiteral("application/pdf"));
    dropped.reset();
    EXPECT_EQ(GetNewestJobID(config), 0);
}

TEST_F(Cups, ToolDescribesTheQueues) {
    TempDir home;
    const QString printers = run(QStringLiteral(VELLUMO_TOOL), {QStringLiteral("printers")}, home);
    const QStringList lines = printers.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << printers.toStdString();
    EXPECT_TRUE(lines[0].startsWith(kFile + QStringLiteral("\t*\t")));
    EXPECT_TRUE(lines[2].startsWith(
        kPdf + QStringLiteral("\t-\tGeneric CUPS-PDF Printer (w/ options)\tidle\t")));
    EXPECT_TRUE(lines[3].startsWith(platform::pdfPrinterName() + QStringLiteral("\t-\t")));
    const bool engine = QFile::exists(QStringLiteral(VELLUMO_BIN_DIR "/KvrCtrl.so"));
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("borderless=yes\tcolormatch=") +
                                  (engine ? QStringLiteral("yes") : QStringLiteral("no"))));

    const QString show = run(QStringLiteral(VELLUMO_TOOL),
                             {QStringLiteral("printer"), QStringLiteral("show"), kPdf}, home);
    EXPECT_TRUE(show.contains(QStringLiteral("iso_a4_210x297mm\t")));
    EXPECT_TRUE(show.contains(QStringLiteral("  9\tA4\t")));
    EXPECT_TRUE(show.contains(QStringLiteral("  337\tｱﾙﾊﾞﾑ用紙\t")));
    EXPECT_TRUE(show.contains(QStringLiteral("dmSize=156")));

    const QString ext =
        run(QStringLiteral(VELLUMO_TOOL),
            {QStringLiteral("printer"), QStringLiteral("ext"), platform::pdfPrinterName(),
             QStringLiteral("--borderless"), QStringLiteral("on"), QStringLiteral("--media"),
             QStringLiteral("337")},
            home);
    EXPECT_TRUE(ext.contains(QStringLiteral("borderless: yes")));
    EXPECT_TRUE(ext.contains(QStringLiteral("dmDefaultSource=259")));
    EXPECT_TRUE(ext.contains(QStringLiteral("dmMediaType=337")));
    EXPECT_TRUE(ext.contains(
        QStringLiteral("media-col={media-size={x-dimension=21000 y-dimension=29700}")));
}
