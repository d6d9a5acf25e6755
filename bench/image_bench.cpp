// A face with a 12-megapixel framed photo drawn at print resolutions: the first paint,
// which builds the composite, and the repaint after the object was moved, which must
// reuse it.
#include "drawing/DrawSite.h"
#include "objects/ImageComposite.h"
#include "objects/ImageObject.h"

#include <benchmark/benchmark.h>
#include <QImage>

namespace {

constexpr int kPhotoW = 4000, kPhotoH = 3000;  // 12 megapixels
const TRect kFace{0, 0, 1800, 1400};           // logical units (0.1 mm)
const TRect kPhotoRect{100, 100, 1700, 1300};

QImage photo() {
    static const QImage image = [] {
        QImage p(kPhotoW, kPhotoH, QImage::Format_RGB32);
        for (int y = 0; y < kPhotoH; ++y) {
            auto* line = reinterpret_cast<QRgb*>(p.scanLine(y));
            for (int x = 0; x < kPhotoW; ++x)
                line[x] = qRgb(x * 255 / kPhotoW, y * 255 / kPhotoH, 128);
        }
        return p;
    }();
    return image;
}

// A frame of 800 x 600: a border, an oval-ish opening and cut-out corners.
QImage frame() {
    QImage f(800, 600, QImage::Format_RGB32);
    f.fill(qRgb(120, 60, 20));
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const double dx = (x - 400) / 340.0, dy = (y - 300) / 240.0;
            if (dx * dx + dy * dy < 1)
                f.setPixel(x, y, qRgb(0xF0, 0xF0, 0xF0));
            else if ((x < 40 || x >= 760) && (y < 40 || y >= 560))
                f.setPixel(x, y, qRgb(0x90, 0x70, 0x60));
        }
    return f;
}

std::unique_ptr<TLOImage> framedPhoto(int angle) {
    auto object = std::make_unique<TLOImage>();
    TPictureEx picture;
    picture.SetGraphic(std::make_unique<TSafetyBitmap>(photo()));
    object->ImageData()->SetPicture(&picture);
    TPictureEx framePicture;
    framePicture.SetGraphic(std::make_unique<TSafetyBitmap>(frame()));
    object->SetFramePicture(&framePicture);
    object->SetLogBounds(kPhotoRect);
    object->SetAngle(angle);
    return object;
}

struct Target {
    explicit Target(int dpi) {
        site.SetBorder(false);
        site.Scaler().SetUnitDPI(254);
        site.SetLogSize(kFace.Width(), kFace.Height());
        const TRect d = site.Scaler().LogRectToDev(dpi, kFace);
        image = QImage(d.Width(), d.Height(), QImage::Format_RGB32);
        device.dpiX = device.dpiY = dpi;
    }
    void paint() {
        image.fill(0xFFFFFFFF);
        TCanvas canvas(image, device);
        site.DrawTo(canvas, {0, 0}, 100);
    }
    TDrawSite site;
    QImage image;
    platform::DeviceDescriptor device;
};

// A new object each round: the processed picture and the composite are built, then drawn.
void BM_FirstPaint(benchmark::State& state) {
    Target target(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        TLOImage* object =
            static_cast<TLOImage*>(target.site.InsertObject(framedPhoto(int(state.range(1)))));
        state.ResumeTiming();
        target.paint();
        state.PauseTiming();
        delete object;
        state.ResumeTiming();
    }
}

// One object moved each round and painted again: the composite stays.
void BM_RepaintAfterMove(benchmark::State& state) {
    Target target(int(state.range(0)));
    auto* object =
        static_cast<TLOImage*>(target.site.InsertObject(framedPhoto(int(state.range(1)))));
    target.paint();
    const int builds = object->CompositeBuilds();
    int step = 10;
    for (auto _ : state) {
        object->OffsetBy(step, 0);
        step = -step;
        target.paint();
    }
    if (object->CompositeBuilds() != builds) state.SkipWithError("the move rebuilt the composite");
}

}  // namespace

BENCHMARK(BM_FirstPaint)
    ->Args({254, 0})
    ->Args({360, 0})
    ->Args({254, 30})
    ->Args({360, 30})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintAfterMove)
    ->Args({254, 0})
    ->Args({360, 0})
    ->Args({254, 30})
    ->Args({360, 30})
    ->Unit(benchmark::kMillisecond);
