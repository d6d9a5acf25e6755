#include "imaging/AspectFit.h"

#include <algorithm>
#include <cstdint>

namespace {

TRect centred(const TRect& area, std::int64_t w, std::int64_t h) {
    // Covering an extreme aspect stays within 32-bit coordinates.
    w = std::min<std::int64_t>(w, 1 << 30);
    h = std::min<std::int64_t>(h, 1 << 30);
    const std::int64_t left = area.Left + (std::int64_t(area.Width()) - w) / 2;
    const std::int64_t top = area.Top + (std::int64_t(area.Height()) - h) / 2;
    return TRect{int(left), int(top), int(left + w), int(top + h)};
}

// Rounded to nearest.
std::int64_t scaled(std::int64_t v, std::int64_t num, std::int64_t den) {
    return (2 * v * num + den) / (2 * den);
}

}  // namespace

TRect FitAspectInside(int aspectW, int aspectH, const TRect& area) {
    const std::int64_t W = area.Width(), H = area.Height();
    if (aspectW <= 0 || aspectH <= 0 || W <= 0 || H <= 0) return area;
    // Full width when the aspect is at least as wide as the area, else full height.
    if (std::int64_t(aspectW) * H >= std::int64_t(aspectH) * W)
        return centred(area, W, scaled(W, aspectH, aspectW));
    return centred(area, scaled(H, aspectW, aspectH), H);
}

TRect CoverAspect(int aspectW, int aspectH, const TRect& area) {
    const std::int64_t W = area.Width(), H = area.Height();
    if (aspectW <= 0 || aspectH <= 0 || W <= 0 || H <= 0) return area;
    if (std::int64_t(aspectW) * H >= std::int64_t(aspectH) * W)
        return centred(area, scaled(H, aspectW, aspectH), H);
    return centred(area, W, scaled(W, aspectH, aspectW));
}
