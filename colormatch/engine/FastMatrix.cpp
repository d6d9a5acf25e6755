#include "colormatch/engine/FastMatrix.h"

#include "colormatch/engine/Ycc.h"

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
    const int linearMax = (1 << kLinearBits) - 1;
    for (int c = 0; c < 3; ++c) {
        const cmsToneCurve* a = curve(input, c);
        const cmsToneCurve* b = curve(output, c);
        if (!a || !b) return nullptr;
        for (int i = 0; i < 256; ++i)
            fast->linear_[c][i] = int32_t(std::lround(
                std::clamp(double(cmsEvalToneCurveFloat(a, float(i / 255.0))), 0.0, 1.0) *
                linearMax));
        if (!fast->outputFromSteps(c, b) && !fast->outputFromReverse(c, b)) return nullptr;
    }
    const YccTables& ycc = Ycc();
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 1024; ++i) fast->yccLinear_[c][i] = fast->linear_[c][ycc.clamp[i]];
    fast->wordTables_ = fast->buildWordTables();
    if (fast->wordTables_) fast->buildSegments();
    fast->UseVectors(true);
    return fast;
}

// Byte k (1 .. 255) starts where the curve reaches the middle between k - 1 and k: 255
// evaluations instead of one of the reversed curve per table entry. Only for curves that
// never fall.
bool FastMatrix::outputFromSteps(int c, const cmsToneCurve* curve) {
    constexpr int kValues = 1 << kOutputBits;
    int first[256];
    first[0] = 0;
    for (int k = 1; k < 256; ++k) {
        const double v = cmsEvalToneCurveFloat(curve, float((k - 0.5) / 255.0));
        first[k] = int(std::clamp(std::ceil(v * (kValues - 1) - 1e-9), 0.0, double(kValues)));
        if (first[k] < first[k - 1]) return false;
    }
    for (int k = 0, i = 0; k < 256; ++k) {
        const int end = k == 255 ? kValues : first[k + 1];
        for (; i < end; ++i) output_[c][i] = uint8_t(k);
    }
    return true;
}

bool FastMatrix::outputFromReverse(int c, const cmsToneCurve* curve) {
    constexpr int outputMax = (1 << kOutputBits) - 1;
    cmsToneCurve* reverse = cmsReverseToneCurve(curve);
    if (!reverse) return false;
    for (int i = 0; i <= outputMax; ++i)
        output_[c][i] = uint8_t(std::lround(
            std::clamp(double(cmsEvalToneCurveFloat(reverse, float(double(i) / outputMax))), 0.0,
                       1.0) *
            255));
    cmsFreeToneCurve(reverse);
    return true;
}

bool FastMatrix::buildWordTables() {
    for (const auto& row : matrix_)
        for (int32_t v : row)
            if (v < -32768 || v > 32767) return false;
    constexpr int kValues = 1 << kOutputBits;
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 256; ++i) linear16_[c][i] = uint16_t(linear_[c][i]);
        // first[k]: the first value whose byte is k or more (kValues: none).
        uint16_t first[257];
        first[0] = 0;
        for (int k = 1, i = 0; k <= 256; ++k) {
            while (i < kValues && output_[c][i] < k) ++i;
            first[k] = uint16_t(i);
        }
        for (int i = 1; i < kValues; ++i)
            if (output_[c][i] < output_[c][i - 1]) return false;
        Search& s = search_[c];
        s.top = first[128];
        uint16_t* table = s.steps;
        for (int bit = 64; bit >= 1; bit >>= 1) {
            const int entries = 128 / bit, size = std::max(entries, 32);
            for (int j = 0; j < size; ++j) table[j] = j < entries ? first[2 * bit * j + bit] : 0;
            table += size;
        }
    }
    return true;
}

void FastMatrix::buildLevel(int c, int from, int width, Segments::Level& level) const {
    constexpr int kValues = 1 << kOutputBits;
    for (int segment = 0; segment < 128; ++segment) {
        const int first = from + width * segment;
        int steps = 0;
        bool steep = false;
        level.start[segment] = first < kValues ? output_[c][first] : 0;
        for (int i = 1; i < width && first + i < kValues && !steep; ++i) {
            const int rise = output_[c][first + i] - output_[c][first + i - 1];
            if (rise == 0) continue;
            steep = rise != 1 || steps == 3;
            if (!steep) level.step[steps++][segment] = uint8_t(i);
        }
        for (; steps < 3; ++steps) level.step[steps][segment] = Segments::kNone;
        if (steep) level.step[0][segment] = Segments::kSteep;
    }
}

void FastMatrix::buildSegments() {
    for (int c = 0; c < 3; ++c) {
        Segments& s = segments_[c];
        for (int i = 0; i < 128; ++i) s.direct[i] = output_[c][i];
        buildLevel(c, Segments::kFineFrom, 8, s.fine);
        // Segment k of 64 covers the values from 64k; those below kCoarseFrom are never
        // looked up.
        buildLevel(c, 0, 64, s.coarse);
    }
}

void FastMatrix::UseVectors(bool on) {
    avx2_ = on && __builtin_cpu_supports("avx2");
    avx512_ = on && wordTables_ && __builtin_cpu_supports("avx512f") &&
              __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
}

bool FastMatrix::IsIdentity() const {
    // With a diagonal matrix the channels are independent: the grey ramp covers them all.
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (matrix_[r][c] != (r == c ? 1 << kMatrixBits : 0)) return false;
    uint8_t ramp[256 * 3], out[256 * 3];
    for (int i = 0; i < 256 * 3; ++i) ramp[i] = uint8_t(i / 3);
    run<false>(ramp, out, 256);
    return std::equal(ramp, ramp + sizeof ramp, out);
}

template <bool ycc>
void FastMatrix::run(const uint8_t* in, uint8_t* out, int pixels) const {
    if (avx512_) {
        const int done = RunFastMatrixAvx512(*this, ycc, in, out, pixels);
        in += 3 * done, out += 3 * done, pixels -= done;
    }
    if (avx2_) {
        const int done = RunFastMatrixAvx2(*this, ycc, in, out, pixels);
        in += 3 * done, out += 3 * done, pixels -= done;
    }
    constexpr int shift = kMatrixBits + kLinearBits - kOutputBits;
    constexpr int32_t round = 1 << (shift - 1), top = (1 << kOutputBits) - 1;
    // Everything in locals: the byte stores could otherwise alias the tables and force
    // the compiler to reload them for every pixel.
    const int32_t m00 = matrix_[0][0], m01 = matrix_[0][1], m02 = matrix_[0][2];
    const int32_t m10 = matrix_[1][0], m11 = matrix_[1][1], m12 = matrix_[1][2];
    const int32_t m20 = matrix_[2][0], m21 = matrix_[2][1], m22 = matrix_[2][2];
    const uint8_t *o0 = output_[0], *o1 = output_[1], *o2 = output_[2];
    const YccTables& t = Ycc();
    const int *crR = t.crR, *cbB = t.cbB, *crG = t.crG, *cbG = t.cbG;
    const int32_t* l0 = ycc ? yccLinear_[0] + YccTables::kYccBias : linear_[0];
    const int32_t* l1 = ycc ? yccLinear_[1] + YccTables::kYccBias : linear_[1];
    const int32_t* l2 = ycc ? yccLinear_[2] + YccTables::kYccBias : linear_[2];
    for (int i = 0; i < pixels; ++i, in += 3, out += 3) {
        int32_t r, g, b;
        if constexpr (ycc) {
            const int luma = in[0], cb = in[1], cr = in[2];
            r = l0[luma + crR[cr]];
            g = l1[luma + ((cbG[cb] + crG[cr]) >> YccTables::kYccShift)];
            b = l2[luma + cbB[cb]];
        } else {
            r = l0[in[0]], g = l1[in[1]], b = l2[in[2]];
        }
        const int32_t x = std::clamp((m00 * r + m01 * g + m02 * b + round) >> shift, 0, top);
        const int32_t y = std::clamp((m10 * r + m11 * g + m12 * b + round) >> shift, 0, top);
        const int32_t z = std::clamp((m20 * r + m21 * g + m22 * b + round) >> shift, 0, top);
        out[0] = o0[x], out[1] = o1[y], out[2] = o2[z];
    }
}

void FastMatrix::Apply(const uint8_t* in, uint8_t* out, int pixels) const {
    run<false>(in, out, pixels);
}

void FastMatrix::ApplyYcc(const uint8_t* in, uint8_t* out, int pixels) const {
    run<true>(in, out, pixels);
}

}  // namespace kvr
