// The text engine at print resolution: a text of 20 lines of 40 Japanese characters laid
// out, and drawn at 360 dpi horizontally, vertically and on an arc.
#include "drawing/Scaler.h"
#include "objects/SimpleText.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QImage>

namespace {

constexpr int kDpi = 360;
constexpr int kLines = 20, kChars = 40;
const TRect kBox{100, 100, 1600, 1600};  // 150 mm square, logical units

QStringList japaneseLines() {
    const QString source = QStringLiteral(
        "春はあけぼの。やうやう白くなりゆく山ぎは、少し明かりて、紫だちたる雲の細くたなびきたる。"
        "夏は夜。月のころはさらなり、闇もなほ、螢の多く飛びちがひたる。");
    QStringList lines;
    for (int i = 0; i < kLines; ++i) {
        QString line;
        for (int j = 0; j < kChars; ++j) line.append(source.at((i * 7 + j) % source.size()));
        lines.append(line);
    }
    return lines;
}

void configure(TSimpleText& text, bool vertical, int bulge) {
    text.SetLines(japaneseLines());
    text.Font()->SetName(QStringLiteral("ＭＳ 明朝"));
    text.Font()->SetSize(10);
    text.SetVertical(vertical);
    text.SetBulge(bulge);
    text.SetAlign(1);
}

// A fresh text object each round, so nothing is cached but the fonts' glyphs.
void BM_TextLayout(benchmark::State& state) {
    for (auto _ : state) {
        TSimpleText text;
        configure(text, state.range(0) != 0, 0);
        benchmark::DoNotOptimize(text.ComputeTextRect(kBox, false));
    }
}

void draw(benchmark::State& state, bool vertical, int bulge) {
    TSimpleText text;
    configure(text, vertical, bulge);
    TScaler scaler;
    scaler.SetUnitDPI(TSimpleText::kUnitDPI);
    const TRect device = scaler.LogRectToDev(kDpi, TRect{0, 0, 1700, 1700});
    QImage image(device.Width(), device.Height(), QImage::Format_RGB32);
    platform::DeviceDescriptor target;
    target.dpiX = target.dpiY = kDpi;
    for (auto _ : state) {
        image.fill(0xFFFFFFFF);
        TCanvas canvas(image, target);
        scaler.PrepareCanvas(canvas);
        text.Draw(canvas, kBox);
        benchmark::ClobberMemory();
    }
}

void BM_DrawHorizontal(benchmark::State& state) {
    draw(state, false, 0);
}
void BM_DrawVertical(benchmark::State& state) {
    draw(state, true, 0);
}
void BM_DrawArc(benchmark::State& state) {
    draw(state, false, 300);
}

BENCHMARK(BM_TextLayout)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawHorizontal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawVertical)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawArc)->Unit(benchmark::kMillisecond);

}  // namespace

// Fonts need the GUI module; the offscreen platform needs no display.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
