// Filling an A4 face at 360 dpi (2976 x 4209 pixels) with each kind of colour fill:
// solid, hatched, inverted, stretched and tiled bitmaps, and every gradation kind on a
// screen canvas and on a printer canvas (where the grid is resampled to the face size).
#include "imaging/color/ColorFill.h"
#include "imaging/picture/ImageData.h"
#include "platform/canvas/Canvas.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 2976, kHeight = 4209;
const TRect kFace{0, 0, kWidth, kHeight};

QImage patternTile(int side) {
    QImage t(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            t.setPixel(x, y, qRgb(x * 7 & 255, y * 5 & 255, (x ^ y) & 255));
    return t;
}

void runFill(benchmark::State& state, TColorSpec& fill, bool printer, bool inverted = false) {
    QImage face(kWidth, kHeight, QImage::Format_RGB32);
    face.fill(Qt::white);
    platform::DeviceDescriptor device{
        360, 360,
        printer ? platform::DeviceTechnology::RasterPrinter : platform::DeviceTechnology::Display};
    platform::Canvas canvas(face, device);
    for (auto _ : state) {
        if (inverted)
            fill.FillInverted(canvas, kFace);
        else
            fill.Fill(canvas, kFace);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kWidth) * kHeight);
}

void BM_Solid(benchmark::State& state) {
    TColorSpec fill;
    fill.SetColor(0x3366CC);
    fill.SetStyle(TBrushStyle(state.range(0)));
    runFill(state, fill, false);
}
BENCHMARK(BM_Solid)->Arg(bsSolid)->Arg(bsCross)->Unit(benchmark::kMillisecond);

void BM_SolidInverted(benchmark::State& state) {
    TColorSpec fill;
    fill.SetColor(0x3366CC);
    runFill(state, fill, false, true);
}
BENCHMARK(BM_SolidInverted)->Unit(benchmark::kMillisecond);

void BM_BitmapStretched(benchmark::State& state) {
    TColorSpec fill;
    fill.SetBitmap(patternTile(640));
    fill.SetKind(cskBitmap);
    runFill(state, fill, false);
}
BENCHMARK(BM_BitmapStretched)->Unit(benchmark::kMillisecond);

// Tile side as the argument; the second run of each shifts every second row.
void BM_BitmapTiled(benchmark::State& state) {
    TColorSpec fill;
    fill.SetBitmap(patternTile(int(state.range(0))));
    fill.SetKind(cskBitmap);
    fill.SetTile(true);
    fill.SetTileShift(state.range(1) != 0);
    runFill(state, fill, false);
}
BENCHMARK(BM_BitmapTiled)
    ->Args({4, 0})
    ->Args({4, 1})
    ->Args({32, 0})
    ->Args({32, 1})
    ->Args({300, 1})
    ->Unit(benchmark::kMillisecond);

// Gradation kind as the first argument, printer canvas as the second.
void BM_Gradation(benchmark::State& state) {
    TColorSpec fill;
    fill.SetKind(cskGradation);
    fill.SetGradKind(TGradKind(state.range(0)));
    fill.SetGradAngle(300);
    fill.GradColors()->SetList({0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF});
    runFill(state, fill, state.range(1) != 0);
}
BENCHMARK(BM_Gradation)
    ->ArgsProduct({{rgkSimple, rgkBoxToRim, rgkCircleToCenter, rgkConeClockwise}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
