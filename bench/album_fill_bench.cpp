// Filling album pages with 12-megapixel photos: the photo sequence places generated JPEG
// files into the empty frames of four-frame pages, adding pages, with each page stored as
// a stream when the next one is shown (as the album document keeps only the current page
// live). Reports the time per photo; the live memory is one page's photos.
#include "album/PhotoSequence.h"
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawObjectClasses.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/picture/PictureLoader.h"
#include "objects/AlbumPhoto.h"
#include "objects/ImageObjectClasses.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

namespace {

constexpr int kPhotos = 100;

const QString& photoFile() {
    static QTemporaryDir dir;
    static const QString path = [] {
        QImage p(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < p.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(p.scanLine(y));
            for (int x = 0; x < p.width(); ++x)
                line[x] = qRgb(x * 255 / 4000, y * 255 / 3000, (x ^ y) & 255);
        }
        const QString file = dir.filePath(QStringLiteral("photo.jpg"));
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(codecs::EncodeJpeg(p, 90));
        return file;
    }();
    return path;
}

// Pages stored as object-list streams; the site is the current page's live objects.
class StreamedAlbum : public TPhotoSequenceContext {
public:
    StreamedAlbum() {
        for (const TRect& r : {TRect{0, 0, 900, 600}, TRect{1000, 0, 1900, 600},
                               TRect{0, 700, 900, 1300}, TRect{1000, 700, 1900, 1300}}) {
            auto p = std::make_unique<TLOAlbumPhoto>();
            p->SetLogBounds(r);
            site_.AddOwned(std::move(p));
        }
        pages_.resize(3);
        current_ = 2;
    }
    std::vector<TDrawObject*> SiteObjects() override { return site_.Items(); }
    void MarkSiteChanged() override {}
    int SheetCount() override { return int(pages_.size()); }
    int CurrentSheet() override { return current_; }
    void SelectSheet(int index) override { current_ = index; }
    std::optional<QString> PageLimitMessage() override { return std::nullopt; }
    int CountStoredFrames(int) override { return 4; }
    bool HasStoredEmptyFrame(int) override { return false; }
    std::vector<std::unique_ptr<TDrawObject>> LoadFace(int) override { return {}; }
    void SaveFace(int, const std::vector<TDrawObject*>&) override {}
    TSequencePaper LayoutPaper() override { return {2000, 1400, false}; }
    void StoreFace() override {
        TMemoryStream s;
        site_.SaveToStream(s);
        pages_[size_t(current_)] = s.Data();
    }
    void ShowSheet() override {}
    void AddPage() override {
        StoreFace();
        TDOList next;
        for (TDrawObject* o : site_) {
            auto p = std::make_unique<TLOAlbumPhoto>();
            p->SetLogBounds(static_cast<TLOAlbumPhoto*>(o)->LogBounds());
            next.AddOwned(std::move(p));
        }
        site_.FreeAll();
        site_ = std::move(next);
        pages_.insert(pages_.begin() + ++current_, QByteArray());
    }
    void GoToPage(int n) override { current_ = n; }
    void AppendSheet() override {}
    void LayOutFromPage(int) override {}
    void LoadPhoto(int, TLoadedPhoto& photo) override { LoadPicture(photo.Picture, photoFile()); }
    void ShowMessage(const QString&) override {}
    ~StreamedAlbum() override { site_.FreeAll(); }

private:
    TDOList site_;
    std::vector<QByteArray> pages_;
    int current_;
};

// The peak resident memory so far, in megabytes.
double peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

void BM_FillAlbumWith12MegapixelPhotos(benchmark::State& state) {
    RegisterDrawObjectClasses();
    RegisterImageObjectClasses();
    RegisterAlbumPhotoClasses();
    photoFile();
    double elapsed = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        StreamedAlbum album;
        FillEmptyFrames(album, kPhotos);
        album.StoreFace();
        elapsed +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
    state.counters["ms_per_photo"] = elapsed / double(kPhotos * state.iterations());
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_FillAlbumWith12MegapixelPhotos)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
