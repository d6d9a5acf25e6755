// Picture operations on a 12-megapixel photo, one thread, for comparison with other
// image libraries (bench/peers.py runs the same operations in them).
#include "imaging/Blur.h"
#include "imaging/Parallel.h"
#include "imaging/QuadMap.h"
#include "imaging/Resample.h"
#include "imaging/codecs/Jpeg.h"

#include <benchmark/benchmark.h>
#include <QFile>
#include <cmath>
#include <random>

namespace {

// A photo-like picture: smooth colour fields with fine noise.
const QImage& photo() {
    static const QImage img = [] {
        QImage p(4000, 3000, QImage::Format_BGR888);
        std::mt19937 rng(1);
        for (int y = 0; y < p.height(); ++y) {
            uchar* row = p.scanLine(y);
            for (int x = 0; x < p.width(); ++x) {
                const int n = int(rng() % 24);
                row[3 * x] =
                    uchar(std::clamp(int(128 + 100 * std::sin(x / 300.0)) + n - 12, 0, 255));
                row[3 * x + 1] =
                    uchar(std::clamp(int(128 + 100 * std::cos(y / 200.0)) + n - 12, 0, 255));
                row[3 * x + 2] = uchar(std::clamp((x + y) * 255 / 7000 + n - 12, 0, 255));
            }
        }
        return p;
    }();
    return img;
}

const QByteArray& photoJpeg() {
    static const QByteArray bytes = [] {
        QByteArray b = codecs::EncodeJpeg(photo(), 90);
        // Leave the file for the peer comparison script.
        if (const char* dir = std::getenv("VELLUMO_BENCH_DIR")) {
            QFile f(QString::fromLocal8Bit(dir) + "/photo.jpg");
            if (f.open(QIODevice::WriteOnly)) f.write(b);
        }
        return b;
    }();
    return bytes;
}

struct OneThread {
    OneThread() { SetImagingThreads(1); }
};
const OneThread oneThread;

}  // namespace

static void BM_DecodeJpegEighth(benchmark::State& state) {
    const QByteArray& jpeg = photoJpeg();
    for (auto _ : state) benchmark::DoNotOptimize(codecs::DecodeJpeg(jpeg, 8));
}
BENCHMARK(BM_DecodeJpegEighth)->Unit(benchmark::kMillisecond);

static void BM_ShrinkTo1600(benchmark::State& state) {
    const QImage& src = photo();
    for (auto _ : state) {
        QImage dest(1600, 1200, src.format());
        Resample(dest, src, rfCubic);
        benchmark::DoNotOptimize(dest.constBits());
    }
}
BENCHMARK(BM_ShrinkTo1600)->Unit(benchmark::kMillisecond);

static void BM_Enlarge800To3000(benchmark::State& state) {
    QImage small(800, 600, QImage::Format_BGR888);
    Resample(small, photo(), rfLinear);
    for (auto _ : state) {
        QImage dest(3000, 2250, small.format());
        Resample(dest, small, rfCubic);
        benchmark::DoNotOptimize(dest.constBits());
    }
}
BENCHMARK(BM_Enlarge800To3000)->Unit(benchmark::kMillisecond);

// The thread count as the argument: one to compare with the peers, two as the program runs.
static void BM_Rotate30(benchmark::State& state) {
    const QImage& src = photo();
    SetImagingThreads(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(Rotate(src, 30, qRgb(255, 255, 255), src.width(), src.height()));
    SetImagingThreads(1);
}
BENCHMARK(BM_Rotate30)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The radius as the argument: the recursive filter costs the same for every radius.
static void BM_Blur(benchmark::State& state) {
    const int radius = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        QImage img = photo().copy();
        state.ResumeTiming();
        Blur(img, img.rect(), radius, radius);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_Blur)->Arg(1)->Arg(10)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);
