// Printing an A4 album page with four 12-megapixel photos at 360 dpi to the PDF printer,
// beside decoding the same four JPEGs alone. The goal: the print takes at most 1.3 times
// the decode, and its memory grows with the band, not the page. Counters: the ratio of the
// two, and the resident memory the print adds at its peak.
// Measured (Release, 2 cores, quiet): print 441-473 ms against 77-80 ms of decoding, a
// ratio of 5.7-5.9, peak growth 161 MB; the photos' work on the main thread is the
// critical path (the PDF's compression runs beside it on the second core).
#include "album/LabelData.h"
#include "bench/AlbumPapers.h"
#include "bench/ProcessMemory.h"
#include "drawing/DOList.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "objects/AlbumPhoto.h"
#include "paper/MatrixPaperInfo.h"
#include "platform/spooler/Spooler.h"
#include "printing/AlbumPrint.h"
#include "printing/Printer.h"

#include <benchmark/benchmark.h>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <chrono>

namespace {

QByteArray jpeg(int seed) {
    QImage p(4000, 3000, QImage::Format_RGB32);  // 12 megapixels
    for (int y = 0; y < p.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(p.scanLine(y));
        for (int x = 0; x < p.width(); ++x)
            line[x] = qRgb((x * 255 / 4000 + seed * 60) & 255, y * 255 / 3000,
                           ((x / 40 + y / 40) % 2) * 60 + 100 + ((x * y + seed) & 15));
    }
    return codecs::EncodeJpeg(p, 90);
}

struct Fixture {
    QTemporaryDir dir;
    std::vector<QByteArray> photos;
    std::unique_ptr<TLabelData> album;
};

// The album, built once: one page of the four-photo A4 album paper.
Fixture& fixture() {
    static Fixture* f = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_print";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
        auto* fx = new Fixture;
        qputenv("HOME", QFile::encodeName(fx->dir.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(fx->dir.filePath(QStringLiteral("config"))));
        for (int i = 0; i < 4; ++i) fx->photos.push_back(jpeg(i));
        fx->album = std::make_unique<TLabelData>();
        TLabelData& data = *fx->album;
        TMatrixPaperInfo a4;
        a4.SetPaperName(QStringLiteral("フォトアルバム用紙 A4 写真4枚"));
        a4.SetGroupName(QStringLiteral("フォトアルバム用紙"));
        bench::fourFrameA4(a4);
        data.SelectSheet(2);
        data.SetSheetPaper(a4);
        TDOList list;
        for (int i = 0; i < 4; ++i) {
            auto photo = std::make_unique<TLOAlbumPhoto>();
            auto graphic = std::make_unique<TSafetyJPEGImage>();
            graphic->SetBytes(fx->photos[size_t(i)]);
            TPictureEx picture;
            picture.SetGraphic(std::move(graphic));
            photo->PhotoImageObj()->SetPicture(&picture);
            photo->SetPhotoAngle(-1);  // turned to suit the portrait frame
            const int x = 350 + (i % 2) * 880, y = 250 + (i / 2) * 1350;
            photo->SetLogBounds({x, y, x + 780, y + 1100});
            list.AddOwned(std::move(photo));
        }
        data.SaveFaceObjects(0, list);
        list.FreeAll();
        return fx;
    }();
    return *f;
}

double decodeMs(const std::vector<QByteArray>& photos) {
    const auto start = std::chrono::steady_clock::now();
    for (const QByteArray& p : photos) benchmark::DoNotOptimize(codecs::DecodeJpeg(p).bits());
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double printMs(Fixture& fx, double* growthMB) {
    ReplacePrinter(std::make_unique<TPrinter>());
    Printer().SetPrinter(platform::pdfPrinterName(), {}, {}, {});
    Printer().SetOutputFile(fx.dir.filePath(QStringLiteral("page.pdf")));
    TPrintSpec spec;
    spec.SetSheetFlag(2, true);
    TAlbumPrintHooks hooks;
    hooks.BandingOverride = 1;  // banded; album sheet paper renders at 360 dpi
    bench::resetPeak();
    const double before = bench::statusMegabytes("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    PrintAlbum(*fx.album, spec, hooks);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    *growthMB = bench::statusMegabytes("VmHWM:") - before;
    if (spec.Resolution != 360) throw std::runtime_error("not printed at 360 dpi");
    ReplacePrinter(nullptr);
    return ms;
}

void BM_PrintAlbumPageVersusDecode(benchmark::State& state) {
    Fixture& fx = fixture();
    double print = 0, decode = 0, growth = 0, worstGrowth = 0;
    for (auto _ : state) {
        decode += decodeMs(fx.photos);
        print += printMs(fx, &growth);
        worstGrowth = std::max(worstGrowth, growth);
    }
    const double n = double(state.iterations());
    state.counters["print_ms"] = print / n;
    state.counters["decode_ms"] = decode / n;
    state.counters["ratio"] = print / decode;
    state.counters["peak_growth_MB"] = worstGrowth;
    state.counters["pdf_MB"] =
        double(QFile(fx.dir.filePath(QStringLiteral("page.pdf"))).size()) / 1e6;
}
BENCHMARK(BM_PrintAlbumPageVersusDecode)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
