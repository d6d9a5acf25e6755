// An album of 100 pages with 4 framed photos each (three 12-megapixel JPEGs reused):
// saving it, opening it, switching sheets and reading every preview. Saving is compared
// with a plain copy of the same bytes.
#include "album/LabelData.h"
#include "album/PreviewReader.h"
#include "bench/AlbumPapers.h"
#include "drawing/DOList.h"
#include "imaging/picture/Graphic.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"
#include "objects/ImageObject.h"
#include "paper/MatrixPaperInfo.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

namespace {

// VELLUMO_ALBUM_BENCH_PAGES overrides the page count (for quick runs of slow builds).
const int kPages = [] {
    const int n = qEnvironmentVariableIntValue("VELLUMO_ALBUM_BENCH_PAGES");
    return n > 0 ? n : 100;
}();

QByteArray jpeg(int seed) {
    QImage p(4000, 3000, QImage::Format_RGB32);  // 12 megapixels
    for (int y = 0; y < p.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(p.scanLine(y));
        for (int x = 0; x < p.width(); ++x)
            line[x] = qRgb((x * 255 / 4000 + seed * 60) & 255, y * 255 / 3000,
                           ((x / 40 + y / 40) % 2) * 60 + 100);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    p.save(&buffer, "JPG", 85);
    return bytes;
}

QImage frame() {
    QImage f(800, 600, QImage::Format_RGB32);
    f.fill(qRgb(120, 60, 20));
    for (int y = 60; y < 540; ++y)
        for (int x = 60; x < 740; ++x) f.setPixel(x, y, qRgb(0xF0, 0xF0, 0xF0));
    return f;
}

QString folder() {
    static const QString path = [] {
        const QString p = QDir::tempPath() + QStringLiteral("/vellumo-album-bench");
        QDir().mkpath(p);
        return p;
    }();
    return path;
}

// The album, built and saved once.
const QString& albumFile() {
    static const QString file = [] {
        static int argc = 1;
        static char name[] = "bench_album";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
        const QByteArray photos[3] = {jpeg(0), jpeg(1), jpeg(2)};
        TPictureEx framePicture;
        framePicture.SetGraphic(std::make_unique<TSafetyBitmap>(frame()));
        TLabelData data;
        TMatrixPaperInfo a4;
        bench::fourFrameA4(a4);
        data.SelectSheet(2);
        data.SetSheetPaper(a4);
        for (int page = 0; page < kPages; ++page) {
            if (page > 0) data.AddSheet();
            TDOList list;
            for (int i = 0; i < 4; ++i) {
                auto photo = std::make_unique<TLOWizardImage>();
                auto graphic = std::make_unique<TSafetyJPEGImage>();
                graphic->SetBytes(photos[(page + i) % 3]);
                TPictureEx picture;
                picture.SetGraphic(std::move(graphic));
                photo->ImageData()->SetPicture(&picture);
                photo->SetFramePicture(&framePicture);
                const int x = 350 + (i % 2) * 880, y = 250 + (i / 2) * 1350;
                photo->SetLogBounds({x, y, x + 780, y + 1100});
                list.AddOwned(std::move(photo));
            }
            data.SaveFaceObjects(0, list);
            list.FreeAll();
        }
        const QString path = folder() + QStringLiteral("/album.vld");
        data.SaveToFile(path);
        return path;
    }();
    return file;
}

void BM_Save(benchmark::State& state) {
    TLabelData data;
    data.LoadFromFile(albumFile());
    const QString out = folder() + QStringLiteral("/saved.vld");
    for (auto _ : state) data.SaveToFile(out);
    state.counters["MB"] = double(QFile(out).size()) / 1e6;
}

// The same bytes copied to a new file and flushed, as a save does.
void BM_PlainCopy(benchmark::State& state) {
    QFile in(albumFile());
    in.open(QIODevice::ReadOnly);
    const QByteArray bytes = in.readAll();
    const QByteArray out = QFile::encodeName(folder() + QStringLiteral("/copy.vld"));
    for (auto _ : state) {
        const int fd = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0) break;
            done += n;
        }
        ::fsync(fd);
        ::close(fd);
    }
}

void BM_Open(benchmark::State& state) {
    albumFile();
    for (auto _ : state) {
        TLabelData data;
        data.LoadFromFile(albumFile());
        benchmark::DoNotOptimize(data.SheetCount());
    }
}

// One sheet switch: the current sheet's records are stored, the next one's read.
void BM_SelectSheet(benchmark::State& state) {
    TLabelData data;
    data.LoadFromFile(albumFile());
    int sheet = 0;
    for (auto _ : state) {
        sheet = (sheet + 1) % data.SheetCount();
        data.SelectSheet(sheet);
    }
}

// Every sheet's preview of the open document.
void BM_ReadEveryPreview(benchmark::State& state) {
    TLabelData data;
    data.LoadFromFile(albumFile());
    for (auto _ : state) {
        for (int s = 0; s < data.SheetCount(); ++s) {
            data.SelectSheet(s);
            benchmark::DoNotOptimize(data.GetPreview(0));
        }
    }
}

// Every page's preview straight from the file.
void BM_ReadEveryPreviewFromFile(benchmark::State& state) {
    albumFile();
    for (auto _ : state)
        for (int s = 2; s < kPages + 2; ++s)
            benchmark::DoNotOptimize(ReadFilePreview(albumFile(), s, 0));
}

}  // namespace

BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEveryPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEveryPreviewFromFile)->Unit(benchmark::kMillisecond);
