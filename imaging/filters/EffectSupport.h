#pragma once
// What the effects share: the pixel size of the formats they read, raw row pointers, and
// the split of rows over the imaging threads with progress steps.

#include "imaging/Parallel.h"
#include "imaging/PhasedProgress.h"

#include <QImage>
#include <QRect>
#include <cstdint>

// 3 for Format_BGR888, 4 for Format_RGB32/ARGB32, 0 for any other format.
inline int EffectBytesPerPixel(const QImage& image) {
    switch (image.format()) {
        case QImage::Format_BGR888:
            return 3;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            return 4;
        default:
            return 0;
    }
}

// Rows of an image as raw pointers, taken once so that threads never detach the image.
struct RowPointers {
    explicit RowPointers(QImage& img) : bits(img.bits()), stride(img.bytesPerLine()) {}
    explicit RowPointers(const QImage& img, const QRect& r, int bpp)
        : bits(const_cast<std::uint8_t*>(img.constBits()) + r.top() * img.bytesPerLine() +
               r.left() * bpp),
          stride(img.bytesPerLine()) {}
    std::uint8_t* operator[](int y) const { return bits + qsizetype(y) * stride; }
    std::uint8_t* bits;
    qsizetype stride;
};

// Runs chunk(first, last, tick) over rows 0..h-1, split over the imaging threads for large
// pictures; the chunk calls tick(y) before each row y. The calling thread's ticks step the
// phase every 64 rows of the whole (every 32 of its half), at most `steps` times; the rest
// of the budget is stepped at the end. Progress is only ever touched by the calling thread.
template <class Chunk>
void RunEffectChunks(int h, long long work, PhaseGuard& phase, int steps, Chunk&& chunk) {
    const bool split = ImagingThreads() >= 2 && work >= 256 * 256 && h >= 2;
    const int every = split ? 32 : 64;
    int left = steps;
    const auto tick = [&](int y) {
        if (y % every == 0 && left > 0) {
            --left;
            phase.step();
        }
    };
    const auto quiet = [](int) {};
    ParallelRows(h, work, [&](int first, int last) {
        if (first == 0)
            chunk(first, last, tick);
        else
            chunk(first, last, quiet);
    });
    for (; left > 0; --left) phase.step();
}

// The same for work done row by row: row(y) for each row.
template <class Row>
void RunEffectRows(int h, long long work, PhaseGuard& phase, int steps, Row&& row) {
    RunEffectChunks(h, work, phase, steps, [&](int first, int last, const auto& tick) {
        for (int y = first; y < last; ++y) {
            tick(y);
            row(y);
        }
    });
}
