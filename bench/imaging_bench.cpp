// Blending an A4 face at 254 dpi through an alpha map, and drawing anti-aliased segments.
#include "imaging/AALine.h"
#include "imaging/Blend.h"

#include <benchmark/benchmark.h>
#include <random>

static void BM_BlendA4Face254dpi(benchmark::State& state) {
    const QSize a4(2100, 2970);
    QImage dest(a4, QImage::Format_RGB32), src(a4, QImage::Format_RGB32), mask(a4, QImage::Format_Grayscale8);
    dest.fill(qRgb(200, 180, 160));
    src.fill(qRgb(20, 40, 60));
    for (int y = 0; y < a4.height(); ++y)
        for (int x = 0; x < a4.width(); ++x) mask.scanLine(y)[x] = std::uint8_t((x + y) & 255);
    TGRBlendAlphaMapRatio b;
    b.Dest = &dest;
    b.Source = &src;
    b.AlphaMap = &mask;
    b.DestRect = b.SourceRect = b.AlphaRect = dest.rect();
    b.Ratio = int(state.range(0));
    for (auto _ : state) {
        b.Execute();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * a4.width() * a4.height());
}
BENCHMARK(BM_BlendA4Face254dpi)->Arg(100)->Arg(50)->Unit(benchmark::kMillisecond);

static void BM_AntialiasedSegments10000(benchmark::State& state) {
    QImage alpha(2100, 2970, QImage::Format_Grayscale8);
    alpha.fill(0);
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> x(0, 2099), y(0, 2969), len(-60, 60);
    std::vector<std::pair<QPoint, QPoint>> segs;
    for (int i = 0; i < 10000; ++i) {
        const QPoint a(x(rng), y(rng));
        segs.emplace_back(a, a + QPoint(len(rng), len(rng)));
    }
    TAALineAlphaMap line(alpha);
    for (auto _ : state) {
        for (const auto& [a, b] : segs) line.Segment(a, b);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_AntialiasedSegments10000)->Unit(benchmark::kMillisecond);
