// Component stream throughput: one root holding 10,000 small components, written
// and read back through memory streams.
#include "document/stream/ClassRegistry.h"
#include "document/stream/Component.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/IdentMaps.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {
constexpr int kObjects = 10000;
}

class TBenchShape : public TComponent {
    VELLUMO_PERSISTENT(TBenchShape, TComponent)
public:
    static void DeclareProperties(PropertyBuilder<TBenchShape>& p) {
        p.integer("Left", &TBenchShape::left, &TBenchShape::left);
        p.integer("Top", &TBenchShape::top, &TBenchShape::top);
        p.integer("Width", &TBenchShape::width, &TBenchShape::width);
        p.integer("Height", &TBenchShape::height, &TBenchShape::height);
        p.color("Color", &TBenchShape::color, &TBenchShape::color).defaultValue(clBlack);
        p.boolean("Visible", &TBenchShape::visible, &TBenchShape::visible);
        p.string("Caption", &TBenchShape::caption, &TBenchShape::caption);
    }
    int32_t left = 0, top = 0, width = 0, height = 0, color = 0;
    bool visible = true;
    QString caption;
};
VELLUMO_DEFINE_PERSISTENT(TBenchShape)

class TBenchFace : public TComponent {
    VELLUMO_PERSISTENT(TBenchFace, TComponent)
public:
    void EnumStreamChildren(const std::function<void(TComponent&)>& proc) override {
        for (int i = 0; i < ComponentCount(); ++i) proc(*Components(i));
    }
};
VELLUMO_DEFINE_PERSISTENT(TBenchFace)

namespace {
std::unique_ptr<TBenchFace> makeFace() {
    RegisterPersistentClass<TBenchShape>();
    RegisterPersistentClass<TBenchFace>();
    auto face = std::make_unique<TBenchFace>();
    for (int i = 0; i < kObjects; ++i) {
        auto* s = new TBenchShape;
        face->InsertComponent(s);
        s->left = i;
        s->top = i * 3;
        s->width = 400;
        s->height = 70000;
        s->color = i % 2 ? clWhite : 0x123456;
        s->visible = i % 3 != 0;
        s->caption = QStringLiteral("写真 %1").arg(i);
    }
    return face;
}

void BM_WriteStream(benchmark::State& state) {
    auto face = makeFace();
    int64_t bytes = 0;
    for (auto _ : state) {
        TMemoryStream s;
        WriteComponentStream(s, *face);
        bytes = s.Size();
        benchmark::DoNotOptimize(s.Data().constData());
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_WriteStream)->Unit(benchmark::kMillisecond);

void BM_ReadStream(benchmark::State& state) {
    auto face = makeFace();
    TMemoryStream out;
    WriteComponentStream(out, *face);
    const QByteArray bytes = out.Data();
    for (auto _ : state) {
        TMemoryStream s(bytes);
        std::unique_ptr<TComponent> read(ReadComponentStream(s, nullptr));
        benchmark::DoNotOptimize(read.get());
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ReadStream)->Unit(benchmark::kMillisecond);
}  // namespace
