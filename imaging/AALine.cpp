#include "imaging/AALine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kHalfWidth = 0.6;
constexpr double kFilterRadius = 0.4;
constexpr double kIntensity = 1.0;
constexpr int kDistanceShift = 10;
constexpr std::int32_t kMaxDistance = 65536;

// The share of a disc of radius R lying beyond a straight edge at offset x from its centre.
double discBeyond(double x, double r) {
    return 0.5 - x * std::sqrt(r * r - x * x) / (M_PI * r * r) - std::asin(x / r) / M_PI;
}

std::array<std::uint8_t, 66> makeProfile() {
    std::array<std::uint8_t, 66> p{};
    for (int k = 0; k < 66; ++k) {
        const double d = k / 64.0;
        double v;
        if (d < kHalfWidth - kFilterRadius)
            v = 255;
        else if (d < kHalfWidth + kFilterRadius)
            v = std::trunc(255 * discBeyond(d - kHalfWidth, kFilterRadius) + 0.5);
        else
            v = 0;
        if (k >= 64) v = 0;
        const long scaled = std::lround(v * kIntensity);
        p[size_t(k)] = std::uint8_t(std::clamp(scaled, 0L, 255L));
    }
    return p;
}

}  // namespace

const std::array<std::int32_t, 1025>& TAALineRec::SlopeTable() {
    static const std::array<std::int32_t, 1025> table = [] {
        std::array<std::int32_t, 1025> t{};
        for (int k = 0; k < 1024; ++k) {
            const double s = k / 1024.0;
            t[size_t(k)] = std::int32_t(std::trunc(65536.0 / std::sqrt(1 + s * s) + 0.5));
        }
        t[1024] = 46341;
        return t;
    }();
    return table;
}

TAALineRec::TAALineRec() : profile_(makeProfile()) { SlopeTable(); }

void TAALineRec::LineTo(QPoint p) {
    const QPoint from = current_;
    Segment(from, p);
}

template <class Plot>
void TAALineRec::segment(QPoint from, QPoint to, Plot&& plot) const {
    int x0 = from.x(), y0 = from.y(), x1 = to.x(), y1 = to.y();
    if (x1 < x0) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const std::int64_t dx = std::int64_t(x1) - x0;
    const std::int64_t dy = std::int64_t(y1) - y0;
    const std::int64_t ady = std::llabs(dy);
    const std::int64_t major = std::max(dx, ady);
    const std::int64_t minor = std::min(dx, ady);
    if (major == 0) {
        plot(x0, y0, profile_[0]);
        return;
    }
    const bool up = dy < 0;
    const bool steep = ady > dx;
    const int majX = steep ? 0 : 1, majY = steep ? (up ? -1 : 1) : 0;
    const int diaX = 1, diaY = up ? -1 : 1;
    const int perX = steep ? 1 : 0, perY = steep ? 0 : (up ? -1 : 1);

    const std::int64_t s = minor * 65536 / major;
    const std::int64_t u = SlopeTable()[size_t(s >> 6)];
    const std::int64_t w = (s * u + 32768) >> 16;
    std::int64_t e = 2 * minor - major;
    std::int64_t a = 0;
    std::int64_t x = x0, y = y0;
    for (std::int64_t i = 0; i <= major; ++i) {
        plot(int(x), int(y), profile_[size_t(std::llabs(a) >> kDistanceShift)]);
        for (std::int64_t k = 1, d = u - a; d < kMaxDistance && d >= 0; ++k, d = k * u - a)
            plot(int(x + k * perX), int(y + k * perY), profile_[size_t(d >> kDistanceShift)]);
        for (std::int64_t k = 1, d = u + a; d < kMaxDistance && d >= 0; ++k, d = k * u + a)
            plot(int(x - k * perX), int(y - k * perY), profile_[size_t(d >> kDistanceShift)]);
        if (e < 0) {
            a += w;
            e += 2 * minor;
            x += majX;
            y += majY;
        } else {
            a += w - u;
            e += 2 * minor - 2 * major;
            x += diaX;
            y += diaY;
        }
    }
}

void TAALineRec::Segment(QPoint from, QPoint to) {
    current_ = to;
    if (OnPlot) segment(from, to, OnPlot);
}

TAALineAlphaMap::TAALineAlphaMap(QImage& alpha) : width_(alpha.width()), height_(alpha.height()) {
    rows_.reserve(size_t(height_));
    for (int y = 0; y < height_; ++y) rows_.push_back(alpha.scanLine(y));
}

void TAALineAlphaMap::Segment(QPoint from, QPoint to) {
    MoveTo(to);
    segment(from, to, [this](int x, int y, std::uint8_t a) { plot(x, y, a); });
}

void TAALineAlphaMap::plot(int x, int y, std::uint8_t a) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint8_t& p = rows_[size_t(y)][x];
    if (a > p) p = a;
}

const QList<QRgb>& GreyPalette() {
    static const QList<QRgb> palette = [] {
        QList<QRgb> p;
        p.reserve(256);
        for (int i = 0; i < 256; ++i) p << qRgb(i, i, i);
        return p;
    }();
    return palette;
}
