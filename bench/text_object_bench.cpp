// A face of 20 text objects with shadow and outline painted at 254 dpi: the first paint
// (every letters' outline built) and a repaint (the cached outlines reused).
#include "document/stream/Font.h"
#include "drawing/Scaler.h"
#include "imaging/color/ColorFill.h"
#include "objects/LOText.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QImage>

namespace {

constexpr int kDpi = 254;
constexpr int kObjects = 20;
const TRect kFace{0, 0, 2100, 2970};  // A4 in logical units

std::vector<std::unique_ptr<TLOText>> makeFace() {
    std::vector<std::unique_ptr<TLOText>> texts;
    for (int i = 0; i < kObjects; ++i) {
        auto t = std::make_unique<TLOText>();
        const int top = 100 + i * 140;
        t->SetLogBounds({100, top, 2000, top + 130});
        t->SetLines({QStringLiteral("Summer holidays %1, the sea and the hills").arg(i + 1)});
        t->Font()->SetName(QStringLiteral("IPAPGothic"));
        t->Font()->SetSize(28);
        t->TextColor()->SetColor(0x3050E0);
        t->SetOutline(true);
        t->SetOutLineWidth(4);
        t->OutlineColor()->SetColor(0xFFFFFF);
        t->SetShadow(8);
        t->ShadowColor()->SetColor(8421504);
        t->SetAngle(i % 3 == 0 ? 0 : (i % 3 == 1 ? 5 : 355));
        texts.push_back(std::move(t));
    }
    return texts;
}

struct Target {
    Target() {
        scaler.SetUnitDPI(254);
        const TRect d = scaler.LogRectToDev(kDpi, kFace);
        image = QImage(d.Width(), d.Height(), QImage::Format_RGB32);
        device.dpiX = device.dpiY = kDpi;
    }
    void paint(const std::vector<std::unique_ptr<TLOText>>& texts) {
        image.fill(0xFFFFFFFF);
        TCanvas canvas(image, device);
        scaler.PrepareCanvas(canvas);
        for (const auto& t : texts) t->PaintTo(canvas);
        benchmark::ClobberMemory();
    }
    TScaler scaler;
    QImage image;
    platform::DeviceDescriptor device;
};

void BM_FirstPaint(benchmark::State& state) {
    Target target;
    for (auto _ : state) {
        state.PauseTiming();
        auto texts = makeFace();
        state.ResumeTiming();
        target.paint(texts);
    }
}

void BM_Repaint(benchmark::State& state) {
    Target target;
    auto texts = makeFace();
    target.paint(texts);
    for (auto _ : state) target.paint(texts);
}

BENCHMARK(BM_FirstPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Repaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
