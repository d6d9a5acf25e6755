// Filling an album with 12-megapixel photos as `corvane-tool album fill` does: the photo
// sequence places generated JPEG files into the empty frames of a nine-frame album paper,
// adding pages laid out like the first, with the album document storing each page when the
// next is shown; then the album is saved. Reports the time per photo (fill and save) and
// the peak resident memory of the run, for 20 and for 100 photos: the memory should not
// grow with the number of photos beyond their stored thumbnails and previews.
// Measured (Release, 2 cores, quiet): 39.9 ms per photo for 20 photos and 38.7 ms for 100,
// peak 106.5 MB and 112 MB.
#include "album/AlbumSequenceContext.h"
#include "album/LabelData.h"
#include "bench/ProcessMemory.h"
#include "drawing/DrawObjectClasses.h"
#include "imaging/codecs/Jpeg.h"
#include "objects/AlbumPhoto.h"
#include "objects/ImageObjectClasses.h"
#include "paper/MatrixPaperInfo.h"

#include <benchmark/benchmark.h>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

namespace {

constexpr int kDistinctPhotos = 5;

QTemporaryDir& workDir() {
    static QTemporaryDir dir;
    return dir;
}

// A few generated 12-megapixel JPEG files, reused in turn.
const QStringList& photoFiles() {
    static const QStringList files = [] {
        QStringList list;
        for (int seed = 0; seed < kDistinctPhotos; ++seed) {
            QImage p(4000, 3000, QImage::Format_RGB32);
            for (int y = 0; y < p.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(p.scanLine(y));
                for (int x = 0; x < p.width(); ++x)
                    line[x] = qRgb((x * 255 / 4000 + seed * 50) & 255, y * 255 / 3000,
                                   ((x ^ y) + seed * 31) & 255);
            }
            const QString file = workDir().filePath(QStringLiteral("photo%1.jpg").arg(seed));
            QFile out(file);
            if (!out.open(QIODevice::WriteOnly) || out.write(codecs::EncodeJpeg(p, 90)) <= 0)
                throw std::runtime_error("cannot write the test photo");
            list << file;
        }
        return list;
    }();
    return files;
}

// Nine frames a page: twelve pages hold 108 photos.
void albumPaper(TMatrixPaperInfo& paper) {
    paper.SetPaperName(QStringLiteral("フォトアルバム用紙 A4 写真9枚"));
    paper.SetGroupName(QStringLiteral("フォトアルバム用紙"));
    paper.SetPortraitSize(2100, 2970);
    paper.FaceWidth = 600;
    paper.FaceHeight = 800;
    paper.FaceCountX = paper.FaceCountY = 3;
    paper.RightMargin = 50;
    paper.BottomMargin = 100;
    paper.LeftOffset = 100;
    paper.TopOffset = 200;
}

void BM_FillAndSaveAlbum(benchmark::State& state) {
    RegisterDrawObjectClasses();
    RegisterImageObjectClasses();
    RegisterAlbumPhotoClasses();
    const int count = int(state.range(0));
    QStringList photos;
    for (int i = 0; i < count; ++i) photos << photoFiles()[i % kDistinctPhotos];
    const QString target = workDir().filePath(QStringLiteral("album%1.vld").arg(count));
    double elapsed = 0, peak = 0, growth = 0;
    for (auto _ : state) {
        bench::resetPeak();
        const double before = bench::statusMegabytes("VmRSS:");
        const auto start = std::chrono::steady_clock::now();
        {
            TLabelData data;
            data.SelectSheet(2);
            TMatrixPaperInfo paper;
            albumPaper(paper);
            data.SetSheetPaper(paper);
            TAlbumSequenceContext context(data, photos);
            context.Open(2);
            if (FillEmptyFrames(context, count) != TSequenceResult::Done)
                throw std::runtime_error("the album did not take every photo");
            context.Finish();
            data.SaveToFile(target);
        }
        elapsed +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        peak = std::max(peak, bench::statusMegabytes("VmHWM:"));
        growth = std::max(growth, bench::statusMegabytes("VmHWM:") - before);
    }
    state.counters["ms_per_photo"] = elapsed / double(count * state.iterations());
    state.counters["peak_MB"] = peak;
    state.counters["peak_growth_MB"] = growth;
    state.counters["file_MB"] = double(QFile(target).size()) / 1e6;
}
BENCHMARK(BM_FillAndSaveAlbum)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
