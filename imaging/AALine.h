#pragma once
// The anti-aliased line engine: segments one pixel wide (a half width of 0.6 pixel seen
// through a disc filter of radius 0.4) drawn with integer and fixed-point steps only.
// TAALineAlphaMap draws into an 8-bit alpha map, keeping the larger alpha where strokes
// overlap.

#include <QImage>
#include <QPoint>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class TAALineRec {
public:
    using PlotFn = std::function<void(int x, int y, std::uint8_t alpha)>;

    TAALineRec();
    virtual ~TAALineRec() = default;

    // The intensity profile by distance from the centre in 1/64 pixel (66 entries).
    const std::array<std::uint8_t, 66>& Profile() const { return profile_; }

    void MoveTo(QPoint p) { current_ = p; }
    QPoint CurrentPoint() const { return current_; }
    // Draws from the current point to `p`, which becomes the current point.
    void LineTo(QPoint p);
    virtual void Segment(QPoint from, QPoint to);

    PlotFn OnPlot;  // nothing is drawn while it is unset

    // 16.16 perpendicular step distance for slope k/1024, k = 0..1024.
    static const std::array<std::int32_t, 1025>& SlopeTable();

protected:
    // The pixel walk of one segment; `plot` receives each pixel and its alpha.
    template <class Plot>
    void segment(QPoint from, QPoint to, Plot&& plot) const;

private:
    std::array<std::uint8_t, 66> profile_;
    QPoint current_{0, 0};
};

class TAALineAlphaMap : public TAALineRec {
public:
    // Binds the engine to `alpha` (Format_Grayscale8 or Format_Indexed8, one byte a pixel).
    explicit TAALineAlphaMap(QImage& alpha);
    void Segment(QPoint from, QPoint to) override;

private:
    void plot(int x, int y, std::uint8_t a);

    std::vector<std::uint8_t*> rows_;
    int width_ = 0;
    int height_ = 0;
};

// The grey palette of alpha maps: entry i is (i, i, i).
const QList<QRgb>& GreyPalette();
