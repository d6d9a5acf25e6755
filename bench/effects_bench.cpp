// Each correction effect on a 12-megapixel photo (4000 x 3000, 24-bit), against a plain
// copy of its pixels. Goal: automatic normalisation and brightness/contrast within twice
// the copy.
//
// Last measured (Release, two imaging threads, 2-core AVX-512 machine, times vary with the
// load of the machine): copy 1.6 ms; brightness/contrast 1.0-1.3 ms; automatic normalisation
// 9-11 ms (17-18 ms on one thread; 75-95 ms before the row kernels and the fused sharpening:
// about a quarter of it is the tone-curve lookup per pixel, a third the histogram pass);
// blur 3-4 ms for one pass, 6.5-7.5 ms for three (11 and 33-38 ms before); unsharp mask
// 3 ms (23-24 ms before); mono tone 10 ms.
#include "imaging/Parallel.h"
#include "imaging/filters/Effects.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <random>

namespace {

const QImage& photo() {
    static const QImage img = [] {
        // Smooth gradients with noise, so that the histogram looks like a photo's.
        QImage p(4000, 3000, QImage::Format_BGR888);
        std::mt19937 rng(7);
        for (int y = 0; y < p.height(); ++y) {
            std::uint8_t* row = p.scanLine(y);
            for (int x = 0; x < p.width(); ++x) {
                const int n = int(rng() % 16);
                row[x * 3 + 0] = std::uint8_t((x / 20 + n) & 255);
                row[x * 3 + 1] = std::uint8_t((y / 14 + n) & 255);
                row[x * 3 + 2] = std::uint8_t(((x + y) / 30 + n) & 255);
            }
        }
        return p;
    }();
    return img;
}

void report(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * 4000 * 3000);
}

}  // namespace

static void BM_PlainCopy12MP(benchmark::State& state) {
    const QImage& src = photo();
    QImage dest(src.size(), src.format());
    for (auto _ : state) {
        for (int y = 0; y < src.height(); ++y)
            std::memcpy(dest.scanLine(y), src.constScanLine(y), size_t(src.width()) * 3);
        benchmark::ClobberMemory();
    }
    report(state);
}
BENCHMARK(BM_PlainCopy12MP)->Unit(benchmark::kMillisecond);

template <class Effect>
static void runEffect(benchmark::State& state, Effect& effect) {
    QImage dest;
    effect.Source = &photo();
    effect.Dest = &dest;
    for (auto _ : state) {
        effect.Execute();
        benchmark::ClobberMemory();
    }
    report(state);
}

static void BM_AutoNormalize12MP(benchmark::State& state) {
    TGREffectAutoNormalize e;
    runEffect(state, e);
}
BENCHMARK(BM_AutoNormalize12MP)->Unit(benchmark::kMillisecond);

// The same on one thread: the whole work, steadier than the split when the machine is busy.
static void BM_AutoNormalize12MPOneThread(benchmark::State& state) {
    SetImagingThreads(1);
    TGREffectAutoNormalize e;
    runEffect(state, e);
    SetImagingThreads(0);
}
BENCHMARK(BM_AutoNormalize12MPOneThread)->Unit(benchmark::kMillisecond);

static void BM_BrightnessContrast12MP(benchmark::State& state) {
    TGREffectBrightnessContrast e;
    e.Brightness = 20;
    e.Contrast = 30;
    runEffect(state, e);
}
BENCHMARK(BM_BrightnessContrast12MP)->Unit(benchmark::kMillisecond);

static void BM_MonoTone12MP(benchmark::State& state) {
    TGREffectMonoTone e;
    e.RefColor = 0x3080C0;
    runEffect(state, e);
}
BENCHMARK(BM_MonoTone12MP)->Unit(benchmark::kMillisecond);

static void BM_Blur12MP(benchmark::State& state) {
    TGREffectBlur e;
    e.Passes = int(state.range(0));
    runEffect(state, e);
}
BENCHMARK(BM_Blur12MP)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

static void BM_UnsharpMask12MP(benchmark::State& state) {
    TGREffectUnsharpMask e;
    e.Amount = 1.0L;
    runEffect(state, e);
}
BENCHMARK(BM_UnsharpMask12MP)->Unit(benchmark::kMillisecond);
