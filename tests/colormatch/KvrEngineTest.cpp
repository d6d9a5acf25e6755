// The engine's fast matrix/shaper path against LittleCMS's own transform, its three
// forms (plain loop, vectors, fused YCC conversion) against each other, the engine
// module's enhancement of large pictures in row blocks against the single rows, and the
// control library's enhancement while decoding against decoding first.
#include "colormatch/engine/FastMatrix.h"
#include "colormatch/engine/Ycc.h"
#include "platform/KvrAbi.h"
#include "tests/colormatch/KvrPhotos.h"
#include "tests/support/TempDir.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace kvr;

namespace {

cmsHPROFILE rgbProfile(double gamma, const cmsCIExyYTRIPLE& primaries) {
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    cmsToneCurve* g = cmsBuildGamma(nullptr, gamma);
    cmsToneCurve* curves[3] = {g, g, g};
    cmsHPROFILE p = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(g);
    return p;
}

// A grid over the whole cube plus scattered values; an odd count leaves a tail for the
// plain loop after the vectors.
std::vector<uint8_t> variedPixels() {
    std::vector<uint8_t> v;
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15)
                v.insert(v.end(), {uint8_t(r), uint8_t(g), uint8_t(b)});
    unsigned seed = 7;
    for (int i = 0; i < 3 * 1001; ++i)
        v.push_back(uint8_t((seed = seed * 1103515245 + 12345) >> 16));
    return v;
}

int maxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int most = 0;
    for (size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

TEST(FastMatrixTest, MatchesLittleCmsAndItsOwnForms) {
    const cmsHPROFILE adobe =
        rgbProfile(563.0 / 256.0, {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}});
    const cmsHPROFILE printer =
        rgbProfile(1.8, {{0.68, 0.31, 1}, {0.25, 0.68, 1}, {0.15, 0.07, 1}});
    const cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    const std::vector<uint8_t> rgb = variedPixels();
    const int pixels = int(rgb.size() / 3);
    std::vector<uint8_t> ycc(rgb.size());
    RgbToYcc(rgb.data(), ycc.data(), pixels);

    // A target whose curve rises faster at the top than the vector tables' segments hold:
    // those pixels take the search.
    const cmsHPROFILE steep =
        rgbProfile(0.45, {{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}});
    const std::pair<cmsHPROFILE, cmsHPROFILE> pairs[] = {
        {adobe, srgb}, {srgb, printer}, {adobe, printer}, {adobe, steep}};
    for (const auto& [in, out] : pairs) {
        auto fast = FastMatrix::Create(in, out);
        ASSERT_TRUE(fast);
        EXPECT_FALSE(fast->IsIdentity());
        cmsHTRANSFORM t =
            cmsCreateTransform(in, TYPE_RGB_8, out, TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC,
                               cmsFLAGS_BLACKPOINTCOMPENSATION);
        std::vector<uint8_t> reference(rgb.size()), vectors(rgb.size()), plain(rgb.size());
        cmsDoTransform(t, rgb.data(), reference.data(), cmsUInt32Number(pixels));
        cmsDeleteTransform(t);
        fast->Apply(rgb.data(), vectors.data(), pixels);
        EXPECT_LE(maxDifference(vectors, reference), 2);
        // The conversion changes colours: the profiles are not treated as the same.
        EXPECT_GT(maxDifference(vectors, rgb), 20);

        // YCC in one pass gives what converting first and matching after gives.
        std::vector<uint8_t> converted(rgb.size()), fused(rgb.size()), single(rgb.size());
        YccToRgb(ycc.data(), converted.data(), pixels);
        for (int i = 0; i < pixels; ++i) YccToRgb(&ycc[3 * i], &single[3 * i], 1);  // plain
        EXPECT_EQ(converted, single);
        fast->Apply(converted.data(), converted.data(), pixels);
        fast->ApplyYcc(ycc.data(), fused.data(), pixels);
        EXPECT_EQ(fused, converted);

        fast->UseVectors(false);
        fast->Apply(rgb.data(), plain.data(), pixels);
        EXPECT_EQ(plain, vectors);
        fast->ApplyYcc(ycc.data(), plain.data(), pixels);
        EXPECT_EQ(plain, fused);
    }
    // The same profile on both sides changes nothing, and is known to.
    auto same = FastMatrix::Create(srgb, srgb);
    ASSERT_TRUE(same);
    EXPECT_TRUE(same->IsIdentity());
    std::vector<uint8_t> kept(rgb.size());
    same->Apply(rgb.data(), kept.data(), pixels);
    EXPECT_EQ(kept, rgb);
    cmsCloseProfile(adobe);
    cmsCloseProfile(printer);
    cmsCloseProfile(steep);
    cmsCloseProfile(srgb);
}

// Large pictures are enhanced in blocks of rows, partly on a second thread: the engine
// answers 0 until a block is complete, the last row completes the last block, and the
// rows come back in order with the bytes the fast path gives each of them.
TEST(KvrEngineTest, RowBlocksGiveEveryRowInOrder) {
    void* module = ::dlopen(KVR_BIN "/OxKvr2.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(module) << ::dlerror();
    const auto entry = [module](const char* name) { return ::dlsym(module, name); };
    const auto create = reinterpret_cast<OX_CreateKvrHandleFn>(entry("OX_CreateKvrHandle"));
    const auto setMode = reinterpret_cast<OX_SetCurrentKVRModeFn>(entry("OX_SetCurrentKVRMode"));
    const auto start = reinterpret_cast<OX_StartEnhanceFn>(entry("OX_StartEnhance"));
    const auto setLine = reinterpret_cast<OX_SetLineEnhanceFn>(entry("OX_SetLineEnhance"));
    const auto getLine = reinterpret_cast<OX_GetLineEnhanceFn>(entry("OX_GetLineEnhance"));
    const auto end = reinterpret_cast<OX_EndEnhanceFn>(entry("OX_EndEnhance"));
    const auto destroy = reinterpret_cast<OX_DeleteKvrHandleFn>(entry("OX_DeleteKvrHandle"));

    TempDir dir;
    const QByteArray icc = AdobeRgbProfile();
    const QString path = dir.write(QStringLiteral("a.jpg"), MakeJpeg(TestPixels(8, 8), icc));
    void* handle = nullptr;
    ASSERT_EQ(create(path.toLocal8Bit().constData(), &handle), 0);
    ASSERT_EQ(setMode(handle, 4), 0);
    const int width = 1501, height = 701;  // a megapixel: blocks; the last one short
    const int32_t size[2] = {height, width};
    ASSERT_EQ(start(handle, size, 100), 0);

    cmsHPROFILE adobe = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    const auto fast = FastMatrix::Create(adobe, srgb);
    cmsCloseProfile(adobe);
    cmsCloseProfile(srgb);
    ASSERT_TRUE(fast);

    std::vector<uint8_t> row(size_t(width) * 3), expected, got, line(row.size());
    unsigned seed = 11;
    int answers0 = 0;
    for (int y = 0; y < height; ++y) {
        for (uint8_t& b : row) b = uint8_t((seed = seed * 1103515245 + 12345) >> 16);
        expected.resize(expected.size() + row.size());
        fast->ApplyYcc(row.data(), expected.data() + expected.size() - row.size(), width);
        const int ready = setLine(handle, row.data());
        answers0 += ready == 0;
        for (int i = 0; i < ready; ++i) {
            ASSERT_EQ(getLine(handle, line.data()), 0);
            got.insert(got.end(), line.begin(), line.end());
        }
        EXPECT_EQ(getLine(handle, line.data()), -1005);  // nothing more than was ready
    }
    EXPECT_GT(answers0, height / 2);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
    EXPECT_EQ(end(handle), 0);
    EXPECT_EQ(destroy(handle), 4);
    ::dlclose(module);
}

// Top-down buffers are enhanced while the rows are being decoded, bottom-up ones after
// every row is decoded: both give the same rows, for display and print, in every
// format, with and without the engine's sampling pass, for pictures large enough for
// the engine's row blocks and small ones.
TEST(KvrCtrlStreamingTest, EnhancingWhileDecodingGivesWhatDecodingFirstGives) {
    void* ctrl = ::dlopen(KVR_BIN "/KvrCtrl.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(ctrl) << ::dlerror();
    const auto start = reinterpret_cast<OXStartKvrImageFn>(::dlsym(ctrl, "OXStartKvrImage"));
    const auto get = reinterpret_cast<OXGetKvrImageFn>(::dlsym(ctrl, "OXGetKvrImage"));
    const auto end = reinterpret_cast<OXEndKvrImageFn>(::dlsym(ctrl, "OXEndKvrImage"));
    ASSERT_TRUE(start && get && end);

    TempDir dir;
    const QString printer = dir.file(QStringLiteral("printer.icc"));
    cmsHPROFILE printerProfile =
        rgbProfile(1.8, {{0.68, 0.31, 1}, {0.25, 0.68, 1}, {0.15, 0.07, 1}});
    ASSERT_TRUE(cmsSaveProfileToFile(printerProfile, printer.toLocal8Bit().constData()));
    cmsCloseProfile(printerProfile);
    ScopedEnv printerEnv("OXKVR_PRINTER_PROFILE", printer);
    const QString large =
        dir.write(QStringLiteral("large.jpg"), MakeJpeg(TestPixels(1203, 901), AdobeRgbProfile()));
    const QString small =
        dir.write(QStringLiteral("small.jpg"), MakeJpeg(TestPixels(67, 45), AdobeRgbProfile()));
    // Hard contrast: the engine samples every row for the mean brightness first.
    const QString sampled =
        dir.write(QStringLiteral("sampled.jpg"),
                  MakeJpeg(TestPixels(1203, 901), {}, ExifSegment({1, false, 2, 2})));

    // The rows top to bottom, three bytes a pixel in the requested format's order.
    const auto correct = [&](const QString& path, int quality, int format, int rowOrder) {
        KvrSource source{};
        const QByteArray name = path.toLocal8Bit();
        std::memcpy(source.path, name.constData(), size_t(name.size()));
        source.type = 1;
        KvrImage image{};
        std::vector<uint8_t> pixels, rows;
        EXPECT_EQ(start(&source, &image), KVR_OK);
        const int bpp = format == 4 ? 4 : 3;
        image.stride = (image.width * bpp + 3) & ~3;
        pixels.assign(size_t(image.stride) * size_t(image.height), 0xEE);
        image.bits = pixels.data();
        KvrParams params{300, quality, format, rowOrder};
        EXPECT_EQ(get(&params, &image), KVR_OK);
        EXPECT_EQ(image.appliedMode, 300);
        EXPECT_EQ(end(&image), KVR_OK);
        for (int y = 0; y < image.height; ++y) {
            const int memoryRow = rowOrder == 2 ? y : image.height - 1 - y;
            const uint8_t* row = pixels.data() + size_t(memoryRow) * size_t(image.stride);
            rows.insert(rows.end(), row, row + size_t(image.width) * size_t(bpp));
        }
        return rows;
    };
    for (const QString& path : {large, small, sampled}) {
        const std::vector<uint8_t> display = correct(path, 100, 1, 2);
        const std::vector<uint8_t> print = correct(path, 200, 1, 2);
        EXPECT_TRUE(display != print) << path.toStdString();  // two targets: two results
        EXPECT_TRUE(display == correct(path, 100, 1, 1)) << path.toStdString();
        EXPECT_TRUE(print == correct(path, 200, 1, 1)) << path.toStdString();
        for (int format : {2, 4}) {
            const std::vector<uint8_t> streamed = correct(path, 200, format, 2);
            EXPECT_TRUE(streamed == correct(path, 200, format, 1))
                << path.toStdString() << " format " << format;
            // The same pixels as RGB, only reordered.
            const int bpp = format == 4 ? 4 : 3;
            ASSERT_EQ(streamed.size() / size_t(bpp), print.size() / 3);
            bool same = true;
            for (size_t p = 0; p < print.size() / 3; ++p) {
                const uint8_t* q = &streamed[p * size_t(bpp)];
                const uint8_t* rgb = &print[p * 3];
                same = same && (format == 2 ? q[0] == rgb[2] && q[1] == rgb[1] && q[2] == rgb[0]
                                            : q[0] == 0 && q[1] == rgb[0] && q[2] == rgb[1] &&
                                                  q[3] == rgb[2]);
            }
            EXPECT_TRUE(same) << path.toStdString() << " format " << format;
        }
    }
    ::dlclose(ctrl);
}

}  // namespace
