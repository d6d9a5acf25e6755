#include "colormatch/engine/FastMatrix.h"

#include <algorithm>
#include <cmath>

namespace kvr {
namespace {

bool colorants(cmsHPROFILE p, double m[3][3]) {
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                     cmsSigBlueColorantTag};
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(p, tags[c]));
        if (!xyz) return false;
        m[0][c] = xyz->X, m[1][c] = xyz->Y, m[2][c] = xyz->Z;
    }
    return true;
}

bool invert(const double m[3][3], double out[3][3]) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::fabs(det) < 1e-9) return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            out[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return true;
}

const cmsToneCurve* curve(cmsHPROFILE p, int c) {
    const cmsTagSignature tags[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    return static_cast<const cmsToneCurve*>(cmsReadTag(p, tags[c]));
}

bool matrixShaper(cmsHPROFILE p) {
    return p && cmsGetColorSpace(p) == cmsSigRgbData && cmsIsMatrixShaper(p) &&
           !cmsIsCLUT(p, INTENT_RELATIVE_COLORIMETRIC, LCMS_USED_AS_INPUT) &&
           !cmsIsCLUT(p, INTENT_RELATIVE_COLORIMETRIC, LCMS_USED_AS_OUTPUT);
}

}  // namespace

std::unique_ptr<FastMatrix> FastMatrix::Create(cmsHPROFILE input, cmsHPROFILE output) {
    if (!matrixShaper(input) || !matrixShaper(output)) return nullptr;
    double in[3][3], out[3][3], outInverse[3][3];
    if (!colorants(input, in) || !colorants(output, out) || !invert(out, outInverse))
        return nullptr;
    auto fast = std::unique_ptr<FastMatrix>(new FastMatrix);
    for (int r = 0; r < 3; ++r) {
        double magnitude = 0;
        for (int c = 0; c < 3; ++c) {
            double v = 0;
            for (int k = 0; k < 3; ++k) v += outInverse[r][k] * in[k][c];
            magnitude += std::fabs(v);
            fast->matrix_[r][c] = int32_t(std::lround(v * (1 << kMatrixBits)));
        }
        // A row's sum must stay inside 32 bits for every input.
        if (magnitude > 7.5) return nullptr;
    }
    const int linearMax = (1 << kLinearBits) - 1, outputMax = (1 << kOutputBits) - 1;
    for (int c = 0; c < 3; ++c) {
        const cmsToneCurve* a = curve(input, c);
        const cmsToneCurve* b = curve(output, c);
        if (!a || !b) return nullptr;
        cmsToneCurve* reverse = cmsReverseToneCurve(b);
        if (!reverse) return nullptr;
        for (int i = 0; i < 256; ++i)
            fast->linear_[c][i] = int32_t(std::lround(
                std::clamp(double(cmsEvalToneCurveFloat(a, float(i / 255.0))), 0.0, 1.0) *
                linearMax));
        for (int i = 0; i <= outputMax; ++i)
            fast->output_[c][i] = uint8_t(std::lround(
                std::clamp(double(cmsEvalToneCurveFloat(reverse, float(double(i) / outputMax))),
                           0.0, 1.0) *
                255));
        cmsFreeToneCurve(reverse);
    }
    return fast;
}

void FastMatrix::Apply(uint8_t* rgb, int pixels) const {
    constexpr int shift = kMatrixBits + kLinearBits - kOutputBits;
    constexpr int32_t round = 1 << (shift - 1), top = (1 << kOutputBits) - 1;
    for (int i = 0; i < pixels; ++i, rgb += 3) {
        const int32_t r = linear_[0][rgb[0]], g = linear_[1][rgb[1]], b = linear_[2][rgb[2]];
        const int32_t x =
            (matrix_[0][0] * r + matrix_[0][1] * g + matrix_[0][2] * b + round) >> shift;
        const int32_t y =
            (matrix_[1][0] * r + matrix_[1][1] * g + matrix_[1][2] * b + round) >> shift;
        const int32_t z =
            (matrix_[2][0] * r + matrix_[2][1] * g + matrix_[2][2] * b + round) >> shift;
        rgb[0] = output_[0][std::clamp(x, 0, top)];
        rgb[1] = output_[1][std::clamp(y, 0, top)];
        rgb[2] = output_[2][std::clamp(z, 0, top)];
    }
}

}  // namespace kvr
