// The print pipeline: band plans, sheet selections, borderless compensation, the
// placement of faces on the PDF printer (portrait, landscape, borderless, offset, without
// banding), PWG raster for driverless queues, and the between-sheets decisions.
#include "FakeSpooler.h"
#include "PrintPlacement.h"
#include "paper/Papers.h"
#include "platform/IntMath.h"
#include "printing/JobMonitor.h"
#include "printing/PrintDialogLogic.h"
#include "printing/PrinterCanvas.h"
#include "printing/StretchPrintPage.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRunner.h"

#include <gtest/gtest.h>

TEST(BandPlan, BandsStayUnderThePixelLimitAndTileTheTarget) {
    // 2000 x 3000 pixels: 2621 rows a band, two bands of 1500 rows.
    auto plan = PlanBands({0, 0, 2000, 3000}, 254, 254);
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].Height, 1500);
    EXPECT_EQ(plan[1].Height, 1500);
    EXPECT_EQ(PlanBands({0, 0, 2000, 2000}, 254, 254).size(), 1u);

    // Odd sizes at another resolution: heights add up, rectangles tile without gaps.
    const TRect target{37, 91, 37 + 4961, 91 + 7017};
    plan = PlanBands(target, 600, 360);
    ASSERT_GT(plan.size(), 1u);
    int rows = 0, top = target.Top;
    for (const auto& b : plan) {
        EXPECT_LE(qint64(b.Width) * b.Height, kBandPixelLimit);
        EXPECT_EQ(b.Rect.Top, top);
        EXPECT_EQ(b.Rect.Left, target.Left);
        EXPECT_EQ(b.Rect.Right, target.Right);
        top = b.Rect.Bottom;
        rows += b.Height;
    }
    EXPECT_EQ(top, target.Bottom);
    EXPECT_EQ(rows, platform::mulDiv(target.Height(), 360, 600));

    // Nothing to render, or a face wider than the limit: no division by zero.
    EXPECT_TRUE(PlanBands({5, 5, 5, 900}, 300, 254).empty());
    EXPECT_TRUE(PlanBands({0, 0, 10, 10}, 0, 254).empty());
    plan = PlanBands({0, 0, kBandPixelLimit + 10, 3}, 254, 254);
    EXPECT_EQ(plan.size(), 3u);
}

TEST(PrintSpec, FlagsGrowAndSheetListsParse) {
    TPrintSpec spec;
    EXPECT_FALSE(spec.SheetFlag(7));
    spec.SetSheetFlag(4, true);
    EXPECT_EQ(spec.SheetFlags.size(), 5);
    spec.SelectSheets(QStringLiteral("0,2-3"), 6);
    EXPECT_EQ(spec.SelectedSheetCount(), 4);
    EXPECT_EQ(spec.LastSelectedSheet(), 4);
    EXPECT_FALSE(spec.SheetFlag(1));
    EXPECT_THROW(spec.SelectSheets(QStringLiteral("3-1"), 6), Exception);
    EXPECT_THROW(spec.SelectSheets(QStringLiteral("6"), 6), Exception);
    spec.AllFaces = false;
    EXPECT_FALSE(spec.FaceSelected(0));
    spec.SetFaceFlag(0, true);
    EXPECT_TRUE(spec.FaceSelected(0));
}

TEST(PrintSite, BorderlessCompensationOffset) {
    // Valid, size, offset (-20, -30), extent 4800 x 6800, enlarged 103 / 100.
    const TBorderlessRecord r{1, 48, -20, -30, 4800, 6800, 103, 103, 100, 100, 0, 0};
    // dx = -20 - (4944 - 4800) / 2 = -92, dy = -30 - (7004 - 6800) / 2 = -132, at 300 dpi.
    EXPECT_EQ(BorderlessOffset(r, 300), QPoint(-276, -396));
    // At the record's own resolution the denominator is used.
    EXPECT_EQ(BorderlessOffset(r, 103), QPoint(-92, -132));
    TBorderlessRecord same = r;
    same[6] = 100;
    EXPECT_EQ(BorderlessOffset(same, 300), QPoint());
    EXPECT_EQ(PrintRenderResolution(TPrintSpec{}, 1, 600), 254);
    EXPECT_EQ(PrintRenderResolution(TPrintSpec{}, 2, 600), 600);
}

TEST(PrinterCanvas, RasterResolutionIsCapped) {
    // A4 at 600 dpi would be 139 MB of page raster.
    const int dpi = TPrinterCanvas::CanvasResolution({2100, 2970}, 600);
    EXPECT_LT(dpi, 600);
    EXPECT_LE(qint64(2100 * dpi / 254) * (2970 * dpi / 254), TPrinterCanvas::kMaxRasterPixels);
    EXPECT_EQ(TPrinterCanvas::CanvasResolution({2100, 2970}, 300), 300);
}

class PdfPlacement : public ::testing::TestWithParam<std::tuple<bool, bool, int>> {};

TEST_P(PdfPlacement, MarksLandWhereThePaperPutsThem) {
    const auto [landscape, borderless, banding] = GetParam();
    TempDir dir;
    const QString pdf = dir.file("out.pdf");
    choosePrinter(platform::pdfPrinterName(), borderless);
    Printer().SetOutputFile(pdf);
    PlacementCase c{landscape, borderless, landscape ? QPoint(-37, 52) : QPoint(15, -8)};
    auto paper = markedPaper(landscape);
    std::vector<QPointF> expected;
    {
        // printMarks with the banding asked for.
        TPaperPrintDocument doc(*paper);
        doc.MakeFaceObjects = [&](int face) {
            std::vector<std::unique_ptr<TDrawObject>> v;
            const QPointF m = markCentres(*paper)[size_t(face)];
            v.push_back(std::make_unique<TPrintMark>(
                TRect{int(m.x()) - 20, int(m.y()) - 20, int(m.x()) + 20, int(m.y()) + 20}));
            return v;
        };
        TPrintSpec spec;
        spec.SetSheetFlag(0, true);
        spec.PrintOffset = c.offset;
        TPrintSite site(doc, nullptr, spec);
        site.BandingOverride = banding;
        site.Print();
        EXPECT_EQ(Printer().JobId(), 0);  // the PDF printer has no queue to wait for
        for (QPointF m : markCentres(*paper)) {
            m += QPointF(c.offset);
            expected.push_back(landscape ? QPointF(m.y(), 2970 - m.x()) : m);
        }
    }
    const QImage page = rasterisePdf(pdf, 300, dir.path());
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 2100 * 300 / 254.0, 2);  // the media stays upright
    for (const QPointF& e : expected) {
        const QPointF found = findMark(page, 300, e);
        EXPECT_NEAR(found.x(), e.x(), 2.0) << "mark at " << e.x() << "," << e.y();
        EXPECT_NEAR(found.y(), e.y(), 2.0) << "mark at " << e.x() << "," << e.y();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PdfPlacement,
    ::testing::Values(std::make_tuple(false, false, 1), std::make_tuple(true, false, 1),
                      std::make_tuple(false, true, 1), std::make_tuple(true, true, 1),
                      std::make_tuple(false, false, 0), std::make_tuple(true, false, 2)));

namespace {

// A spooler whose printers keep what they are sent, each job with its own id.
class RecordingSpooler : public FakeSpooler {
public:
    struct Doc : platform::SpoolerDocument {
        Doc(RecordingSpooler& s, int id) : s(s), id(id) {}
        void write(const QByteArray& b) override { bytes += b; }
        int finish() override {
            s.sent.push_back(bytes);
            return id;
        }
        int jobId() const override { return id; }
        RecordingSpooler& s;
        int id;
        QByteArray bytes;
    };
    std::unique_ptr<platform::SpoolerDocument> startJob(const QString& name, const QString& t,
                                                        const platform::SpoolerOptions& o,
                                                        const QString& f) override {
        FakeSpooler::startJob(name, t, o, f);
        formats << f;
        return std::make_unique<Doc>(*this, ++lastId);
    }
    std::vector<QByteArray> sent;
    QStringList formats;
    int lastId = 100;
};

// Sheets of blank faces on a one-face A4 paper.
class SheetsDocument : public IPrintDocument {
public:
    explicit SheetsDocument(int sheets) : sheets_(sheets), paper_(markedPaper(false)) {}
    TPaperInfo& Paper() override { return *paper_; }
    int SheetCount() override { return sheets_; }
    void SetCurrentSheet(int) override {}
    bool SheetHasKvr(int) override { return false; }
    bool HasFaceObjects(int) override { return true; }
    std::vector<std::unique_ptr<TDrawObject>> FaceObjects(int) override {
        std::vector<std::unique_ptr<TDrawObject>> v;
        v.push_back(std::make_unique<TPrintMark>(TRect{200, 200, 300, 300}));
        return v;
    }

private:
    int sheets_;
    std::unique_ptr<TPaperInfo> paper_;
};

struct SheetRun {
    std::vector<int> asked;  // job ids the handler saw
    std::vector<int> sent;   // sheets handed over
};

SheetRun runSheets(int sheets, const QString& selection, uint8_t reply,
                   TPhasedProgressBase* progress = nullptr) {
    RecordingSpooler spooler;
    spooler.addPhotoPrinter(QStringLiteral("Photo"));
    choosePrinter(QStringLiteral("Photo"), false);
    SheetsDocument doc(sheets);
    TPrintSpec spec;
    spec.SelectSheets(selection, sheets);
    TPrintSite site(doc, progress, spec);
    SheetRun run;
    site.OnSheetDone = [&](int id, uint8_t& r) {
        run.asked.push_back(id);
        r = reply;
    };
    site.Print();
    run.sent = site.SheetsSent();
    EXPECT_EQ(spooler.sent.size(), run.sent.size());
    ReplacePrinter(nullptr);
    return run;
}

}  // namespace

TEST(JobPerSheet, WaitsFollowEverySelectedSheetButTheLast) {
    auto run = runSheets(3, QStringLiteral("0-2"), 0);
    EXPECT_EQ(run.sent, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(run.asked, (std::vector<int>{101, 102}));
    // The last selected sheet is not the document's last: still no wait after it.
    run = runSheets(4, QStringLiteral("0-1"), 0);
    EXPECT_EQ(run.asked, (std::vector<int>{101}));
    // Only the document's last sheet: nothing to wait for.
    run = runSheets(4, QStringLiteral("3"), 0);
    EXPECT_TRUE(run.asked.empty());
    // "残りページをすべてスプール": no further waits; "印刷中止": nothing more is sent.
    run = runSheets(4, QStringLiteral("0-3"), SheetDoneReply(TWaitResult::SpoolAll));
    EXPECT_EQ(run.asked.size(), 1u);
    EXPECT_EQ(run.sent.size(), 4u);
    run = runSheets(4, QStringLiteral("0-3"), SheetDoneReply(TWaitResult::Abort));
    EXPECT_EQ(run.sent, (std::vector<int>{0}));

    // The run's progress only moves forward and every phase it begins ends.
    struct Recorder : TPhasedProgressBase {
        void Changed(int value) override { values.push_back(value); }
        std::vector<int> values;
    } progress;
    runSheets(3, QStringLiteral("0-2"), 0, &progress);
    ASSERT_FALSE(progress.values.empty());
    EXPECT_TRUE(std::is_sorted(progress.values.begin(), progress.values.end()));
    EXPECT_GE(progress.values.back(), 5000);
    EXPECT_LE(progress.values.back(), 10000);
    EXPECT_EQ(progress.Depth(), 0);
}

TEST(JobMonitor, WaitEndsWhenTheJobLeavesTheQueue) {
    FakeSpooler spooler;
    auto& p = spooler.addPhotoPrinter(QStringLiteral("Photo"));
    choosePrinter(QStringLiteral("Photo"), false);
    p.jobs = {{7, QStringLiteral("a"), 5, 0}, {9, QStringLiteral("b"), 3, 0}};
    TPrintJobIDPeeker peeker;
    EXPECT_EQ(peeker.GetJobID(), 9);  // no id recorded: the newest in the queue
    peeker.SheetSent(7);
    EXPECT_EQ(peeker.GetJobID(), 7);
    TPrintJobWait wait(7);
    EXPECT_FALSE(wait.Poll());
    p.jobs[0].state = 9;
    EXPECT_TRUE(wait.Poll());
    p.jobs.clear();  // deleted by the user
    EXPECT_TRUE(TPrintJobWait(9).Poll());
    ReplacePrinter(nullptr);
}

TEST(PwgOutput, DriverlessQueuesGetRasterWithTheMarks) {
    RecordingSpooler spooler;
    auto& p = spooler.addPhotoPrinter(QStringLiteral("Everywhere"));
    p.info.driver = QStringLiteral("Test Photo - IPP Everywhere");
    p.caps.defaultResolution = QSize(300, 300);
    choosePrinter(QStringLiteral("Everywhere"), false);
    auto paper = markedPaper(true);
    TPaperPrintDocument doc(*paper);
    doc.MakeFaceObjects = [&](int face) {
        std::vector<std::unique_ptr<TDrawObject>> v;
        const QPointF m = markCentres(*paper)[size_t(face)];
        v.push_back(std::make_unique<TPrintMark>(
            TRect{int(m.x()) - 20, int(m.y()) - 20, int(m.x()) + 20, int(m.y()) + 20}));
        return v;
    };
    TPrintSpec spec;
    spec.SetSheetFlag(0, true);
    TPrintSite(doc, nullptr, spec).Print();
    ASSERT_EQ(spooler.sent.size(), 1u);
    EXPECT_EQ(spooler.formats.front(), QStringLiteral("image/pwg-raster"));
    for (const auto& [name, value] : spooler.lastOptions)
        EXPECT_NE(name, QStringLiteral("orientation-requested"));

    int dpi = 0;
    const QImage page = readPwgPage(spooler.sent.front(), &dpi);
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 2100 * dpi / 254.0, 2);
    for (QPointF m : markCentres(*paper)) {
        const QPointF e(m.y(), 2970 - m.x());
        const QPointF found = findMark(page, dpi, e);
        EXPECT_NEAR(found.x(), e.x(), 2.0);
        EXPECT_NEAR(found.y(), e.y(), 2.0);
    }
    ReplacePrinter(nullptr);
}

TEST(PrintTool, PrintsCatalogueFacesToPdf) {
    TempDir dir;
    const QString catalogue = QStringLiteral(VELLUMO_BIN_DIR "/corvane.ppr");
    const QString disc = QStringLiteral("CD/DVDラベル 2面 内径41mm");
    const QString pdf = dir.file("disc.pdf");
    const ToolRun r =
        RunTool(QStringLiteral(VELLUMO_TOOL),
                {"print", catalogue, disc, "--pdf", pdf, "--outline", "--offset", "10,-10"}, dir);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), QStringLiteral("job 0: completed"));
    TPapers papers;
    papers.Open(catalogue, true);
    TFaceInfo face;
    papers.Papers(papers.IndexOfPaper(disc))->GetFaceInfo(0, face);
    const TRect outer = face.OuterRect();
    const QImage page = rasterisePdf(pdf, 254, dir.path());
    ASSERT_FALSE(page.isNull());
    // The outline's leftmost point, moved by the offset (one pixel a unit at 254 dpi).
    const int y = (outer.Top + outer.Bottom) / 2 - 10, x = outer.Left + 10;
    int darkest = 255;
    for (int dx = -3; dx <= 3; ++dx) darkest = std::min(darkest, qGray(page.pixel(x + dx, y)));
    EXPECT_LT(darkest, 128);
    EXPECT_EQ(qGray(page.pixel(x - 20, y)), 255);
    EXPECT_NE(RunTool(QStringLiteral(VELLUMO_TOOL), {"print", catalogue, disc}, dir).code, 0);
}

TEST(PrintTool, PrintedAlbumLooksLikeItsRendering) {
    TempDir dir;
    const QString tool = QStringLiteral(VELLUMO_TOOL);
    const QString catalogue = QStringLiteral(VELLUMO_BIN_DIR "/corvane.ppr");
    const QString album = dir.file("a.vld");
    ASSERT_EQ(
        RunTool(tool, {"album", "new", catalogue, "フォトアルバム用紙 A4 写真2枚", album}, dir)
            .code,
        0);
    // The empty photo frame shows on screen but never prints.
    const QString text = dir.write("l.txt", R"(list 3
object TLOAlbumPhoto
  Left = 800
  Top = 100
  Width = 900
  Height = 500
end
object TLOCircle
  Left = 100
  Top = 150
  Width = 600
  Height = 400
  Brush.Color = clRed
end
object TLOWizardText
  Left = 200
  Top = 700
  Width = 1200
  Height = 300
  Text.Strings = ('Album 2026')
  Font.Name = 'IPAPGothic'
  Font.Size = 45
end
)");
    const QString list = dir.file("l.lst");
    ASSERT_EQ(RunTool(tool, {"stream", "build", "--list", text, list}, dir).code, 0);
    ToolRun r = RunTool(tool, {"album", "put", album, "--sheet", "2", "--face", "0", list}, dir);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QString pdf = dir.file("a.pdf"), png = dir.file("r.png");
    r = RunTool(tool, {"print", album, "--pdf", pdf}, dir);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), QStringLiteral("job 0: completed"));
    ASSERT_EQ(
        RunTool(tool, {"album", "render", album, "--sheet", "2", "--dpi", "50", "--print", png},
                dir)
            .code,
        0);
    const QImage printed = rasterisePdf(pdf, 50, dir.path()), rendered(png);
    ASSERT_FALSE(printed.isNull());
    ASSERT_FALSE(rendered.isNull());
    // Same picture, the rendering without the media's last partial pixel.
    ASSERT_LE(std::abs(printed.width() - rendered.width()), 1);
    ASSERT_LE(std::abs(printed.height() - rendered.height()), 1);
    qint64 diff = 0, inked = 0, silver = 0;
    const int w = std::min(printed.width(), rendered.width()),
              h = std::min(printed.height(), rendered.height());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int a = qGray(printed.pixel(x, y)), b = qGray(rendered.pixel(x, y));
            diff += std::abs(a - b);
            inked += b < 200;
            silver += printed.pixel(x, y) == qRgb(0xC0, 0xC0, 0xC0);
        }
    EXPECT_LT(silver, 50);  // no empty-frame placeholder on paper
    EXPECT_GT(inked, 200);
    EXPECT_LT(double(diff) / (w * h), 4.0);
}

TEST(PrintDialog, PageChoicesSelectSheetsAndTheSizeQuestion) {
    // Covers and five pages.
    const TPrintDialogLogic logic(7, true, true);
    EXPECT_EQ(logic.CoverItems(), (QStringList{"表表紙+裏表紙", "表表紙のみ", "裏表紙のみ"}));
    TPrintSpec spec;
    TPrintDialogState s;
    logic.Apply(s, spec);
    EXPECT_EQ(spec.SheetFlags, QByteArray("\0\0\1\1\1\1\1", 7));
    s.Choice = TPageChoice::Range;
    s.FirstPage = -4;
    s.LastPage = 9;
    s.Offset = {1200, -5};
    logic.Clamp(s);
    EXPECT_EQ(s.FirstPage, 1);
    EXPECT_EQ(s.LastPage, 5);
    EXPECT_EQ(s.Offset, QPoint(999, -5));
    s.FirstPage = 2;
    s.LastPage = 3;
    logic.Apply(s, spec);
    EXPECT_EQ(spec.SheetFlags, QByteArray("\0\0\0\1\1", 5));
    EXPECT_EQ(spec.PrintOffset, QPoint(999, -5));
    s.FirstPage = 4;  // an empty range cannot start
    EXPECT_FALSE(logic.CanStart(s));
    s.Choice = TPageChoice::Covers;
    s.CoverItem = 2;
    logic.Apply(s, spec);
    EXPECT_EQ(spec.SheetFlags, QByteArray("\0\1", 2));
    // Only a back cover: one item, and no covers at all disables the choice.
    EXPECT_EQ(TPrintDialogLogic(3, false, true).CoverItems(), QStringList{"裏表紙のみ"});
    EXPECT_FALSE(TPrintDialogLogic(3, false, false).CoversEnabled());

    EXPECT_FALSE(PaperSizeDiffers({2099, 2981}, {2100, 2970}));
    EXPECT_TRUE(PaperSizeDiffers({2100, 2990}, {2100, 2970}));
}
