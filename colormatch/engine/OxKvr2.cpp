// The colour-matching engine module on LittleCMS. A handle holds what the photo carries
// (PhotoInfo) and, during enhancement, the colour transform: from the photo's colour
// space (embedded profile, else the Exif colour space, else sRGB) to sRGB for display and
// to the printer's profile for print ($OXKVR_PRINTER_PROFILE; sRGB when none is known).
// Relative colorimetric with black-point compensation unless the function keys say
// otherwise. Exif Print data adds the contrast and saturation the camera asked for.

#include "colormatch/engine/FastMatrix.h"
#include "colormatch/engine/PhotoInfo.h"
#include "colormatch/engine/RowWorker.h"
#include "colormatch/engine/Ycc.h"
#include "platform/KvrAbi.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#define KVR_EXPORT extern "C" __attribute__((visibility("default")))

using namespace kvr;

namespace {

constexpr int kExifPrintFlag = 2, kColourMatchingFlag = 4;

struct Handle {
    PhotoInfo info;
    bool rgbInput = false;  // input data type 602: rows are RGB, not YCC
    int32_t modeFlags = 1;
    bool perceptual = false, blackPoint = true, exifTone = true;
    // sampling
    int64_t lumaSum = 0, lumaCount = 0;
    // enhancement
    int width = 0;
    cmsHTRANSFORM transform = nullptr;
    std::unique_ptr<FastMatrix> fast;  // instead of the transform where it can
    bool tone = false;
    uint8_t contrastLut[256];
    int saturation = 256;  // 256 = unchanged
    // Rows are matched in blocks (one row when the picture is small or LittleCMS does
    // the matching); a block's second half goes to the worker. The output is the same
    // either way, only later: SetLineEnhance answers 0 until a block is full.
    int height = 0, blockRows = 1, rowsIn = 0, filled = 0, ready = 0, handedOut = 0;
    std::vector<uint8_t> blockIn, blockOut;
    std::unique_ptr<RowWorker> worker;
};

Handle* handleOf(void* h) {
    return static_cast<Handle*>(h);
}

cmsHPROFILE adobeRgb() {
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{
        {0.6400, 0.3300, 1.0}, {0.2100, 0.7100, 1.0}, {0.1500, 0.0600, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE p = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(gamma);
    return p;
}

// The photo's profile; null means sRGB.
cmsHPROFILE sourceProfile(const PhotoInfo& info) {
    if (!info.iccProfile.empty()) {
        cmsHPROFILE p =
            cmsOpenProfileFromMem(info.iccProfile.data(), cmsUInt32Number(info.iccProfile.size()));
        if (p && cmsGetColorSpace(p) == cmsSigRgbData) return p;
        if (p) cmsCloseProfile(p);
    }
    if (info.colourSpace == ExifColourSpace::AdobeRGB) return adobeRgb();
    return nullptr;
}

// The print target; null means sRGB.
cmsHPROFILE printerProfile() {
    const char* path = std::getenv("OXKVR_PRINTER_PROFILE");
    if (!path || !*path) return nullptr;
    cmsHPROFILE p = cmsOpenProfileFromFile(path, "r");
    if (p && cmsGetColorSpace(p) == cmsSigRgbData && cmsGetDeviceClass(p) != cmsSigLinkClass)
        return p;
    if (p) cmsCloseProfile(p);
    return nullptr;
}

void buildTone(Handle& h) {
    const bool exifMode = (h.modeFlags & kExifPrintFlag) != 0;
    h.tone = exifMode && h.exifTone && (h.info.contrast != 0 || h.info.saturation != 0);
    if (!h.tone) return;
    const double pivot = h.lumaCount ? double(h.lumaSum) / double(h.lumaCount) : 128.0;
    const double gain = h.info.contrast == 1 ? 0.85 : h.info.contrast == 2 ? 1.15 : 1.0;
    for (int i = 0; i < 256; ++i)
        h.contrastLut[i] = uint8_t(std::clamp(std::lround(pivot + (i - pivot) * gain), 0L, 255L));
    h.saturation = h.info.saturation == 1 ? 205 : h.info.saturation == 2 ? 307 : 256;
}

void applyTone(const Handle& h, uint8_t* rgb, int pixels) {
    for (int i = 0; i < pixels; ++i, rgb += 3) {
        int c[3] = {h.contrastLut[rgb[0]], h.contrastLut[rgb[1]], h.contrastLut[rgb[2]]};
        if (h.saturation != 256) {
            const int y = (77 * c[0] + 150 * c[1] + 29 * c[2]) >> 8;
            for (int& v : c) v = y + (v - y) * h.saturation / 256;
        }
        for (int k = 0; k < 3; ++k) rgb[k] = uint8_t(std::clamp(c[k], 0, 255));
    }
}

// Matches `rows` rows of the handle's width from `in` to `out` (RGB, engine order).
void matchRows(const Handle& h, const uint8_t* in, uint8_t* out, int rows) {
    const size_t bytes = size_t(h.width) * 3;
    for (int y = 0; y < rows; ++y, in += bytes, out += bytes) {
        if (h.fast && h.rgbInput)
            h.fast->Apply(in, out, h.width);
        else if (h.fast)
            h.fast->ApplyYcc(in, out, h.width);
        else if (h.rgbInput)
            std::memcpy(out, in, bytes);
        else
            YccToRgb(in, out, h.width);
        if (h.transform) cmsDoTransform(h.transform, out, out, cmsUInt32Number(h.width));
        if (h.tone) applyTone(h, out, h.width);
    }
}

// Blocks of about half a megabyte for pictures of a megapixel or more that are matched
// or toned (the YCC conversion alone costs less than handing rows over).
void chooseBlocks(Handle& h) {
    const size_t bytes = size_t(h.width) * 3;
    h.blockRows = 1;
    if ((h.fast || h.tone) && !h.transform && std::thread::hardware_concurrency() > 1 &&
        int64_t(h.width) * h.height >= (int64_t(1) << 20))
        h.blockRows = int(std::clamp<size_t>((size_t(1) << 19) / bytes, 2, 64));
    if (h.blockRows > 1 && !h.worker) {
        try {
            h.worker = std::make_unique<RowWorker>();
        } catch (const std::exception&) {  // no thread: every row on this one
            h.blockRows = 1;
        }
    }
}

void dropTransform(Handle& h) {
    if (h.transform) cmsDeleteTransform(h.transform);
    h.transform = nullptr;
    h.fast.reset();
}

const char* spaceName(ExifColourSpace s) {
    switch (s) {
        case ExifColourSpace::SRGB:
            return "sRGB";
        case ExifColourSpace::AdobeRGB:
            return "Adobe RGB";
        case ExifColourSpace::Uncalibrated:
            return "uncalibrated";
        default:
            return "none";
    }
}

}  // namespace

KVR_EXPORT int OX_CreateKvrHandle(const char* path, void** handle) {
    if (!path || !handle) return -1004;
    *handle = nullptr;
    Handle* h = new (std::nothrow) Handle;
    if (!h) return -1003;
    std::string name(path, ::strnlen(path, KVR_PATH_BYTES));
    if (!ReadPhotoInfo(name.c_str(), h->info)) {
        delete h;
        return -1001;
    }
    *handle = h;
    return 0;
}

KVR_EXPORT int OX_DeleteKvrHandle(void* handle) {
    if (!handle) return -1004;
    dropTransform(*handleOf(handle));
    delete handleOf(handle);
    return 4;
}

KVR_EXPORT int OX_SetInputDataType(void* handle, int type) {
    if (!handle) return -1004;
    handleOf(handle)->rgbInput = type == KVR_INPUT_RGB;
    return 0;
}

KVR_EXPORT int OX_NotifyKVRMode(void* handle, int32_t* flags) {
    if (!handle || !flags) return -1004;
    const PhotoInfo& info = handleOf(handle)->info;
    *flags =
        (info.exifPrint ? kExifPrintFlag : 0) |
        (!info.iccProfile.empty() || info.colourSpace != ExifColourSpace::None ? kColourMatchingFlag
                                                                               : 0);
    return 0;
}

KVR_EXPORT int OX_GetCurrentKVRMode(void* handle, int32_t* flags) {
    if (!handle || !flags) return -1004;
    *flags = handleOf(handle)->modeFlags;
    return 0;
}

KVR_EXPORT int OX_SetCurrentKVRMode(void* handle, int32_t flags) {
    if (!handle || flags < 1 || flags > 7) return -1004;
    handleOf(handle)->modeFlags = flags;
    return 0;
}

KVR_EXPORT int OX_StartApfSampling(void* handle, const int32_t* heightWidth, int) {
    if (!handle || !heightWidth || heightWidth[1] <= 0) return -1004;
    Handle& h = *handleOf(handle);
    h.width = heightWidth[1];
    h.lumaSum = h.lumaCount = 0;
    // Rows are only wanted when a contrast change needs the picture's mean brightness.
    return (h.modeFlags & kExifPrintFlag) && h.exifTone && h.info.contrast != 0 ? 2 : 0;
}

KVR_EXPORT int OX_DoLineApfSampling(void* handle, const uint8_t* row) {
    if (!handle || !row) return -1004;
    Handle& h = *handleOf(handle);
    uint8_t rgb[3];
    for (int x = 0; x < h.width; x += 8) {
        const uint8_t* p = row + 3 * x;
        if (h.rgbInput) {
            std::memcpy(rgb, p, 3);
        } else {
            YccToRgb(p, rgb, 1);
        }
        h.lumaSum += (77 * rgb[0] + 150 * rgb[1] + 29 * rgb[2]) >> 8;
        ++h.lumaCount;
    }
    return 0;
}

KVR_EXPORT int OX_EndApfSampling(void* handle) {
    return handle ? 0 : -1004;
}

KVR_EXPORT int OX_StartEnhance(void* handle, const int32_t* heightWidth, int quality) {
    if (!handle || !heightWidth || heightWidth[1] <= 0) return -1004;
    Handle& h = *handleOf(handle);
    dropTransform(h);
    h.width = heightWidth[1];
    h.height = heightWidth[0];
    h.rowsIn = h.filled = h.ready = h.handedOut = 0;
    h.blockRows = 1;
    try {
        h.blockOut.assign(size_t(h.width) * 3, 0);
    } catch (const std::bad_alloc&) {
        return -1003;
    }
    buildTone(h);
    if (h.modeFlags & (kExifPrintFlag | kColourMatchingFlag)) {
        cmsHPROFILE source = sourceProfile(h.info);
        cmsHPROFILE target = quality == 200 ? printerProfile() : nullptr;
        if (source || target) {  // sRGB to sRGB needs no transform
            cmsHPROFILE in = source ? source : cmsCreate_sRGBProfile();
            cmsHPROFILE out = target ? target : cmsCreate_sRGBProfile();
            const bool perceptual = (h.modeFlags & kColourMatchingFlag) && h.perceptual;
            const cmsUInt32Number flags = h.blackPoint ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0;
            // Between matrix/shaper profiles every intent is colorimetric and both black
            // points are zero, so the fast path gives the same result.
            h.fast = FastMatrix::Create(in, out);
            if (!h.fast)
                h.transform = cmsCreateTransform(
                    in, TYPE_RGB_8, out, TYPE_RGB_8,
                    perceptual ? INTENT_PERCEPTUAL : INTENT_RELATIVE_COLORIMETRIC, flags);
            cmsCloseProfile(in);
            cmsCloseProfile(out);
            if (!h.transform && !h.fast) return -1001;
            // A photo that carries the target's own profile needs the YCC conversion only.
            if (h.fast && h.fast->IsIdentity()) h.fast.reset();
        }
    }
    chooseBlocks(h);
    if (h.blockRows > 1) {
        try {
            h.blockIn.assign(size_t(h.width) * 3 * size_t(h.blockRows), 0);
            h.blockOut.assign(h.blockIn.size(), 0);
        } catch (const std::bad_alloc&) {
            h.blockRows = 1;
            h.blockIn.clear();
        }
    }
    return 0;
}

KVR_EXPORT int OX_SetLineEnhance(void* handle, const uint8_t* row) {
    if (!handle || !row) return -1005;
    Handle& h = *handleOf(handle);
    if (h.blockOut.empty()) return -1005;
    const size_t bytes = size_t(h.width) * 3;
    ++h.rowsIn;
    h.handedOut = h.ready = 0;
    if (h.blockRows == 1) {
        matchRows(h, row, h.blockOut.data(), 1);
        return h.ready = 1;
    }
    std::memcpy(h.blockIn.data() + bytes * size_t(h.filled++), row, bytes);
    if (h.filled < h.blockRows && h.rowsIn < h.height) return 0;
    const int half = h.filled / 2;
    h.worker->Start([&h, half] {
        matchRows(h, h.blockIn.data() + size_t(h.width) * 3 * size_t(half),
                  h.blockOut.data() + size_t(h.width) * 3 * size_t(half), h.filled - half);
    });
    matchRows(h, h.blockIn.data(), h.blockOut.data(), half);
    h.worker->Wait();
    h.ready = h.filled;
    h.filled = 0;
    return h.ready;
}

KVR_EXPORT int OX_GetLineEnhance(void* handle, uint8_t* line) {
    if (!handle || !line) return -1005;
    Handle& h = *handleOf(handle);
    if (h.handedOut >= h.ready) return -1005;
    const size_t bytes = size_t(h.width) * 3;
    std::memcpy(line, h.blockOut.data() + bytes * size_t(h.handedOut++), bytes);
    return 0;
}

KVR_EXPORT int OX_EndEnhance(void* handle) {
    if (!handle) return -1004;
    Handle& h = *handleOf(handle);
    dropTransform(h);
    h.worker.reset();
    h.blockIn = {};
    h.blockOut = {};
    h.ready = h.handedOut = 0;
    return 0;
}

KVR_EXPORT int OX_ConvertYCCtoRGB(const uint8_t* in, uint8_t* out, int pixels) {
    if (!in || !out || pixels < 0) return -1004;
    YccToRgb(in, out, pixels);
    return 0;
}

KVR_EXPORT int OX_ConvertRGBtoYCC(const uint8_t* in, uint8_t* out, int pixels) {
    if (!in || !out || pixels < 0) return -1004;
    RgbToYcc(in, out, pixels);
    return 0;
}

KVR_EXPORT int OX_CheckKVRFunction(void* handle, const KvrFunctionRecord* record) {
    if (!handle || !record) return -1004;
    const Handle& h = *handleOf(handle);
    switch (record->key) {
        case KVR_KEY_PERCEPTUAL:
            return h.perceptual ? KVR_FUNCTION_IS_ON : KVR_FUNCTION_IS_OFF;
        case KVR_KEY_BLACK_POINT:
            return h.blackPoint ? KVR_FUNCTION_IS_ON : KVR_FUNCTION_IS_OFF;
        case KVR_KEY_EXIF_TONE:
            return h.exifTone ? KVR_FUNCTION_IS_ON : KVR_FUNCTION_IS_OFF;
        default:
            return KVR_BAD_FUNCTION_VALUE;
    }
}

KVR_EXPORT int OX_SetKVRFunction(void* handle, const KvrFunctionRecord* record) {
    if (!handle || !record) return -1004;
    if (record->value != KVR_VALUE_ON && record->value != KVR_VALUE_OFF)
        return KVR_BAD_FUNCTION_VALUE;
    Handle& h = *handleOf(handle);
    const bool on = record->value == KVR_VALUE_ON;
    switch (record->key) {
        case KVR_KEY_PERCEPTUAL:
            h.perceptual = on;
            return KVR_FUNCTION_SET;
        case KVR_KEY_BLACK_POINT:
            h.blackPoint = on;
            return KVR_FUNCTION_SET;
        case KVR_KEY_EXIF_TONE:
            h.exifTone = on;
            return KVR_FUNCTION_SET;
        default:
            return KVR_BAD_FUNCTION_VALUE;
    }
}

KVR_EXPORT int OX_DescribeSource(void* handle, char* text, int size) {
    if (!handle || !text || size <= 0) return -1004;
    const PhotoInfo& info = handleOf(handle)->info;
    std::string profile = "none";
    if (!info.iccProfile.empty()) {
        profile = "unreadable";
        if (cmsHPROFILE p = cmsOpenProfileFromMem(info.iccProfile.data(),
                                                  cmsUInt32Number(info.iccProfile.size()))) {
            char name[256] = {};
            cmsGetProfileInfoASCII(p, cmsInfoDescription, "en", "US", name, sizeof name);
            profile = name[0] ? name : "unnamed";
            cmsCloseProfile(p);
        }
    }
    std::snprintf(text, size_t(size),
                  "type: %s\nexif-print: %s\ncontrast: %d\nsaturation: %d\ncolour-space: "
                  "%s\nprofile: %s\n",
                  info.jpeg ? "JPEG" : "TIFF", info.exifPrint ? "yes" : "no", info.contrast,
                  info.saturation, spaceName(info.colourSpace), profile.c_str());
    return 0;
}
