// Compound file engine speed against plain file I/O of the same bytes, and the time
// to open a file with many elements.
#include "platform/cfb/CompoundFile.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <vector>

using namespace platform::cfb;

namespace {

constexpr int kStreams = 100;
constexpr size_t kStreamSize = 2 << 20;  // 100 x 2 MB = 200 MB
constexpr size_t kChunk = 256 << 10;

std::vector<char> payload() {
    std::vector<char> b(kChunk);
    for (size_t i = 0; i < b.size(); ++i) b[i] = char(i * 131 + 7);
    return b;
}

QString scratch(const char* name) {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/cfb-bench-XXXXXX"));
    return dir.filePath(QString::fromLatin1(name));
}

void BM_CfbWriteRead200MB(benchmark::State& state) {
    const std::vector<char> chunk = payload();
    std::vector<char> in(kChunk);
    const QString path = scratch("bench.cfb");
    for (auto _ : state) {
        {
            auto f = CompoundFile::create(path);
            Storage root = f->root();
            for (int s = 0; s < kStreams; ++s) {
                Stream st = root.createStream(QStringLiteral("stream%1").arg(s));
                for (size_t off = 0; off < kStreamSize; off += kChunk)
                    st.write(off, chunk.data(), kChunk);
            }
            f->close();
        }
        {
            auto f = CompoundFile::open(path, Access::Read);
            Storage root = f->root();
            for (int s = 0; s < kStreams; ++s) {
                Stream st = root.openStream(QStringLiteral("stream%1").arg(s));
                for (size_t off = 0; off < kStreamSize; off += kChunk)
                    st.read(off, in.data(), kChunk);
            }
        }
        benchmark::DoNotOptimize(in.data());
        QFile::remove(path);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 2 * kStreams * int64_t(kStreamSize));
}

void BM_PlainWriteRead200MB(benchmark::State& state) {
    const std::vector<char> chunk = payload();
    std::vector<char> in(kChunk);
    const QByteArray path = scratch("bench.plain").toLocal8Bit();
    const size_t total = size_t(kStreams) * kStreamSize;
    for (auto _ : state) {
        int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) state.SkipWithError("cannot create the file");
        for (size_t off = 0; off < total; off += kChunk)
            if (::pwrite(fd, chunk.data(), kChunk, off_t(off)) != ssize_t(kChunk))
                state.SkipWithError("write");
        ::close(fd);
        fd = ::open(path.constData(), O_RDONLY);
        for (size_t off = 0; off < total; off += kChunk)
            if (::pread(fd, in.data(), kChunk, off_t(off)) != ssize_t(kChunk))
                state.SkipWithError("read");
        ::close(fd);
        benchmark::DoNotOptimize(in.data());
        ::unlink(path.constData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 2 * int64_t(total));
}

// One 64 MB stream appended 4 KB at a time: growth must stay linear.
void BM_CfbSmallAppends64MB(benchmark::State& state) {
    const std::vector<char> chunk = payload();
    const QString path = scratch("append.cfb");
    constexpr size_t kTotal = 64 << 20;
    constexpr size_t kPiece = 4096;
    for (auto _ : state) {
        auto f = CompoundFile::create(path);
        Stream st = f->root().createStream(QStringLiteral("log"));
        for (size_t off = 0; off < kTotal; off += kPiece) st.write(off, chunk.data(), kPiece);
        f->close();
        QFile::remove(path);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kTotal));
}

// 100 storages of 99 streams each plus the storages: 10,000 elements.
QString manyElementsFile() {
    const QString path = scratch("many.cfb");
    if (QFile::exists(path)) return path;
    auto f = CompoundFile::create(path);
    Storage root = f->root();
    for (int s = 0; s < 100; ++s) {
        Storage st = root.createStorage(QStringLiteral("storage%1").arg(s));
        for (int i = 0; i < 99; ++i)
            st.createStream(QStringLiteral("element%1").arg(i)).write(0, "data", 4);
    }
    return path;
}

void BM_CfbOpen10000Elements(benchmark::State& state) {
    const QString path = manyElementsFile();
    for (auto _ : state) {
        auto f = CompoundFile::open(path, Access::Read);
        size_t n = 0;
        for (const ElementInfo& e : f->root().children())
            n += f->root().openStorage(e.name).children().size();
        benchmark::DoNotOptimize(n);
    }
}

void BM_CfbCreate10000Elements(benchmark::State& state) {
    for (auto _ : state) {
        QFile::remove(scratch("many.cfb"));
        benchmark::DoNotOptimize(manyElementsFile());
    }
}

}  // namespace

BENCHMARK(BM_CfbWriteRead200MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_PlainWriteRead200MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CfbSmallAppends64MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CfbCreate10000Elements)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CfbOpen10000Elements)->Unit(benchmark::kMillisecond);

