// Thumbnails of a folder of 12-megapixel photos: made with an empty image cache, then
// taken from the cache (goal: at least 20 times faster), and the same photos through
// `vipsthumbnail` on one thread as a peer (goal: the first pass no slower).
//
// The photos are generated once into $VELLUMO_THUMB_BENCH_DIR (default
// /tmp/vellumo-thumb-bench); $VELLUMO_THUMB_BENCH_COUNT sets how many (default 500).
// The peer needs Debian's libvips-tools; without it that benchmark is skipped.
//
// Measured (Release, 2 shared cores, load about 10, 500 photos of 4000 x 3000): empty cache
// 11.6 s (43 photos/s), from the cache 7.3 ms, vipsthumbnail -s 200 with one thread 15.4 s.
#include "imaging/codecs/Jpeg.h"
#include "imaging/picture/PictureEx.h"
#include "library/ThumbnailCache.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <mutex>
#include <random>

namespace {

int photoCount() {
    const int n = qEnvironmentVariableIntValue("VELLUMO_THUMB_BENCH_COUNT");
    return n > 0 ? n : 500;
}

QString photoDir() {
    const QString dir = qEnvironmentVariable("VELLUMO_THUMB_BENCH_DIR");
    return dir.isEmpty() ? QStringLiteral("/tmp/vellumo-thumb-bench") : dir;
}

// A photo-like picture: smooth gradients with some noise, so it compresses like one.
QByteArray photo(int seed) {
    QImage img(4000, 3000, QImage::Format_RGB32);
    std::mt19937 rng{uint32_t(seed)};
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const double s = std::sin((x + seed * 37) * 0.004) * std::cos(y * 0.003);
            const int base = int(128 + 100 * s);
            line[x] = qRgb(std::clamp(base + noise(rng), 0, 255),
                           std::clamp((x * 255 / 4000) + noise(rng) / 2, 0, 255),
                           std::clamp((y * 255 / 3000 + seed) % 256, 0, 255));
        }
    }
    return codecs::EncodeJpeg(img, 90);
}

// Eight distinct photos, copied round to the count: decoding costs the same per file, and
// generating 500 different 12-megapixel pictures would take longer than the measurement.
const QStringList& photos() {
    static const QStringList files = [] {
        QDir().mkpath(photoDir());
        QStringList list;
        for (int i = 0; i < photoCount(); ++i) {
            const QString f =
                QDir(photoDir()).filePath(QStringLiteral("photo%1.jpg").arg(i, 4, 10, QChar(u'0')));
            if (!QFileInfo::exists(f)) {
                if (i >= 8) {
                    QFile::copy(list.at(i % 8), f);
                } else {
                    QFile out(f);
                    if (out.open(QIODevice::WriteOnly)) out.write(photo(i));
                }
            }
            list << f;
        }
        return list;
    }();
    return files;
}

QString cacheFile() {
    return QDir(photoDir()).filePath(QStringLiteral("bench-cache/ImageCache.ic"));
}

void passAll(TThumbnailCache& cache, TThumbnailCache::Source expect, benchmark::State& state) {
    TPictureEx p;
    for (const QString& f : photos())
        if (cache.LoadThumbnail(f, p) != expect) state.SkipWithError("unexpected source");
}

void BM_ThumbnailsEmptyCache(benchmark::State& state) {
    photos();
    for (auto _ : state) {
        state.PauseTiming();
        QDir().mkpath(QFileInfo(cacheFile()).path());
        QFile::remove(cacheFile());
        std::mutex lock;
        TThumbnailCache cache(lock);
        cache.Open(cacheFile());
        state.ResumeTiming();
        passAll(cache, TThumbnailCache::Source::Made, state);
    }
    state.counters["photos/s"] = benchmark::Counter(
        double(photos().size()) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ThumbnailsFromCache(benchmark::State& state) {
    std::mutex lock;
    TThumbnailCache cache(lock);
    cache.Open(cacheFile());  // filled by the pass above
    for (auto _ : state) passAll(cache, TThumbnailCache::Source::Cache, state);
    state.counters["photos/s"] = benchmark::Counter(
        double(photos().size()) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_VipsThumbnailOneThread(benchmark::State& state) {
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    if (vips.isEmpty()) {
        state.SkipWithError("vipsthumbnail is not installed (Debian libvips-tools)");
        return;
    }
    const QString out = QDir(photoDir()).filePath(QStringLiteral("vips-out"));
    QDir().mkpath(out);
    for (auto _ : state) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VIPS_CONCURRENCY"), QStringLiteral("1"));
        p.setProcessEnvironment(env);
        p.start(vips, QStringList{QStringLiteral("-s"), QStringLiteral("200"), QStringLiteral("-o"),
                                  out + QStringLiteral("/%s.jpg[Q=90]")} +
                          photos());
        if (!p.waitForFinished(-1) || p.exitCode() != 0)
            state.SkipWithError("vipsthumbnail failed");
    }
    state.counters["photos/s"] = benchmark::Counter(
        double(photos().size()) * double(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_ThumbnailsEmptyCache)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThumbnailsFromCache)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VipsThumbnailOneThread)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
