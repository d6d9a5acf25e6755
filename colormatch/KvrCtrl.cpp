// The six exports of the colour-matching control library. One correction run at a time,
// kept in global state (RunState.h); every failure that ends a run early unloads the
// engine and the decoder, after which OXEndKvrImage still succeeds.

#include "colormatch/PrtData.h"
#include "colormatch/RowFeed.h"
#include "colormatch/RunState.h"

#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#define KVR_EXPORT extern "C" __attribute__((visibility("default")))

using namespace kvr;

namespace {

// The largest picture accepted: 2^28 pixels, as the program's own readers.
constexpr int64_t kMaxPixels = int64_t(1) << 28;
constexpr int64_t kMaxWidth = 1 << 24;

int bytesPerPixel(int format) {
    return format == 4 ? 4 : 3;
}

// Format 2 five pixels at a time; the sixteenth byte stored is the next pixel's first,
// which the next step or the caller's loop writes again. Answers the pixels done.
__attribute__((target("ssse3"))) int exchangeSsse3(uint8_t* row, const uint8_t* rgb, int width) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    int x = 0;
    for (; x + 6 <= width; x += 5) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 3 * x), _mm_shuffle_epi8(v, order));
    }
    return x;
}

// Format 2 twenty-one pixels (63 bytes) at a time with one byte permute, the last ones
// through a shorter mask: the whole line. (The masked permute: GCC 12 warns about the
// unmasked one.)
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void exchangeVbmi(uint8_t* row,
                                                                         const uint8_t* rgb,
                                                                         int width) {
    alignas(64) uint8_t order[64];
    for (int i = 0; i < 64; ++i) order[i] = uint8_t(i < 63 ? i / 3 * 3 + 2 - i % 3 : i);
    const __m512i permute = _mm512_load_si512(order);
    for (int x = 0; x < width; x += 21) {
        const int bytes = 3 * std::min(21, width - x);
        const __mmask64 mask = (__mmask64(1) << bytes) - 1;
        const __m512i v = _mm512_maskz_loadu_epi8(mask, rgb + 3 * x);
        _mm512_mask_storeu_epi8(row + 3 * x, mask, _mm512_maskz_permutexvar_epi8(mask, permute, v));
    }
}

// Writes one RGB line (engine order) into `row` in the requested format.
void writeRow(uint8_t* row, const uint8_t* rgb, int width, int format) {
    if (format == 2) {
        static const bool vbmi =
            __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
        if (vbmi) return exchangeVbmi(row, rgb, width);
        static const bool ssse3 = __builtin_cpu_supports("ssse3");
        const int done = ssse3 ? exchangeSsse3(row, rgb, width) : 0;
        row += 3 * done, rgb += 3 * done, width -= done;
        for (int x = 0; x < width; ++x, row += 3, rgb += 3) {
            const uint8_t a = rgb[0], b = rgb[1], c = rgb[2];
            row[0] = c, row[1] = b, row[2] = a;
        }
    } else if (format == 4) {
        for (int x = 0; x < width; ++x, row += 4, rgb += 3) {
            const uint8_t a = rgb[0], b = rgb[1], c = rgb[2];
            row[0] = 0, row[1] = a, row[2] = b, row[3] = c;
        }
    } else {
        std::memmove(row, rgb, size_t(width) * 3);
    }
}

// Fails the run: everything is unloaded and `code` returned.
int fail(RunState& run, int code) {
    run.close();
    return code;
}

// Decodes every row into the caller's buffer in the requested row order, telling `feed`
// (when decoding on its thread) about each finished row.
int readRows(RunState& run, const KvrParams& params, const KvrImage& image, RowFeed* feed) {
    const int64_t stride = image.stride;
    const bool bottomUp = params.rowOrder == 1;
    uint8_t* row = bottomUp ? image.bits + stride * (run.height - 1) : image.bits;
    int32_t more = 1;
    int32_t rows = 0;
    // The decoder fills at most the rows it declared: the caller's buffer holds no more.
    while (more && rows < run.height) {
        more = 0;
        const int r = run.decoder.getLine(row, &more);
        if (r != 0) return MapDecoderResult(r);
        ++rows;
        if (feed) feed->Publish(rows);
        row = bottomUp ? row - stride : row + stride;
    }
    run.decoder.decoding = false;
    const int r = run.decoder.end();
    if (r != 0) return MapDecoderResult(r);
    // Fewer rows than declared, or more still coming, is damaged data.
    if (more || rows != run.height) return KVR_FAILED;
    return KVR_OK;
}

// Tells the engine what to apply and fills in the image's applied mode, format and
// quality; then asks whether the engine wants to sample the rows (answer 2).
int chooseMode(RunState& run, const KvrParams& params, KvrImage& image) {
    int32_t found = 0;
    if (run.engine.notifyMode(run.handle, &found) < 0) found = 0;
    const int mask = params.mode == 100 ? 1 : params.mode == 200 ? 2 : 6;
    int32_t flags = found & mask;
    if (flags == 0) flags = 1;
    run.engine.setMode(run.handle, flags);
    image.appliedMode = flags == 2 ? 200 : (flags == 4 || flags == 6) ? 300 : 100;
    image.format = params.format;
    image.quality = params.quality;
    const int32_t size[2] = {run.height, run.width};
    return run.engine.startSampling(run.handle, size, params.quality);
}

// Feeds the decoded rows to the engine's sampling when it asked for them (`started` 2).
void sample(RunState& run, const KvrParams& params, const KvrImage& image, int started) {
    if (started == 2) {
        const int64_t stride = image.stride;
        const bool bottomUp = params.rowOrder == 1;
        const uint8_t* row = bottomUp ? image.bits + stride * (run.height - 1) : image.bits;
        for (int32_t y = 0; y < run.height; ++y) {
            const int r = run.engine.sampleLine(run.handle, row);
            if (r == 6 || r < 0 || r > 7) break;
            row = bottomUp ? row - stride : row + stride;
        }
    }
    run.engine.endSampling(run.handle);
}

// Streams the rows through the engine in memory order; returns how many output rows
// were written (from `bits` upwards). With a feed each row is taken once it is decoded,
// and no output row is written before the decoder is done with it.
int32_t enhance(RunState& run, const KvrParams& params, const KvrImage& image,
                std::vector<uint8_t>& line, RowFeed* feed) {
    const int32_t size[2] = {run.height, run.width};
    const int started = run.engine.startEnhance(run.handle, size, params.quality);
    int32_t written = 0;
    if (started >= 0 && started <= 7) {
        const int64_t stride = image.stride;
        bool stop = false;
        for (int32_t y = 0; y < run.height && !stop; ++y) {
            if (feed && !feed->WaitFor(y)) break;  // decoding failed: the run fails
            const int ready = run.engine.setLine(run.handle, image.bits + y * stride);
            if (ready < 0) break;
            for (int i = 0; i < ready; ++i) {
                const int r = run.engine.getLine(run.handle, line.data());
                if (r == KVR_OTHER || r == KVR_NO_FUNCTION || r < 0) {
                    stop = true;
                    break;
                }
                // Never more output rows than the buffer has.
                if (written < run.height) {
                    if (feed) feed->WaitFor(written);
                    writeRow(image.bits + written * stride, line.data(), run.width, params.format);
                }
                ++written;
            }
        }
    }
    run.engine.endEnhance(run.handle);
    return std::min(written, run.height);
}

// The rows the engine did not give back still hold the decoder's bytes: they are turned
// into RGB and the requested format, so success always means the format asked for.
int finishRows(RunState& run, const KvrParams& params, const KvrImage& image, int32_t from,
               std::vector<uint8_t>& line) {
    const int64_t stride = image.stride;
    for (int32_t y = from; y < run.height; ++y) {
        uint8_t* row = image.bits + y * stride;
        if (run.colourFlag == 1) {
            if (run.engine.yccToRgb(row, line.data(), run.width) < 0) return KVR_OTHER;
        } else {
            std::memcpy(line.data(), row, size_t(run.width) * 3);
        }
        writeRow(row, line.data(), run.width, params.format);
    }
    return KVR_OK;
}

// A top-down buffer is enhanced while it is being decoded: the decoder runs on a second
// thread and the engine takes each row as soon as it is there, so the two overlap. The
// engine is told the mode before the rows come; when it wants to sample them first, or
// there is no second thread, every row is decoded before enhancement as for bottom-up
// buffers. The engine gets the same rows in the same order either way.
int correctWhileDecoding(RunState& run, const KvrParams& params, KvrImage& image,
                         std::vector<uint8_t>& line) {
    if (run.colourFlag == 0) run.engine.setInputDataType(run.handle, KVR_INPUT_RGB);
    const int started = chooseMode(run, params, image);
    std::unique_ptr<RowFeed> feed;
    if (started != 2) {
        run.engine.endSampling(run.handle);
        try {
            feed = std::make_unique<RowFeed>(
                run.height, [&](RowFeed& f) { return readRows(run, params, image, &f); });
        } catch (const std::exception&) {  // no thread: decoded first below
        }
    }
    if (!feed) {
        const int read = readRows(run, params, image, nullptr);
        if (read != KVR_OK) return fail(run, read);
        if (started == 2) sample(run, params, image, started);
    }
    const int32_t written = enhance(run, params, image, line, feed.get());
    if (feed) {
        const int read = feed->Finish();
        if (read != KVR_OK) return fail(run, read);
    }
    return finishRows(run, params, image, written, line);
}

bool validParams(const KvrParams& p) {
    return (p.mode == 100 || p.mode == 200 || p.mode == 300) &&
           (p.quality == 100 || p.quality == 200) &&
           (p.format == 1 || p.format == 2 || p.format == 4) &&
           (p.rowOrder == 1 || p.rowOrder == 2);
}

}  // namespace

KVR_EXPORT int OXStartKvrImage(KvrSource* source, KvrImage* image) {
    if (!source || !image || (source->type != 1 && source->type != 2)) return KVR_INVALID;
    // A path that fills the whole field has no room for its end: refused, not cut.
    if (::strnlen(source->path, KVR_PATH_BYTES) >= KVR_PATH_BYTES) return KVR_INVALID;
    RunState& run = Run();
    run.close();  // a run left open is ended rather than leaked

    if (!run.decoder.load(source->type))
        return fail(run, source->type == 1 ? KVR_NO_JPEG : KVR_NO_TIFF);
    if (!run.engine.load()) return fail(run, KVR_NO_ENGINE);

    char path[KVR_PATH_BYTES] = {};
    std::memcpy(path, source->path, ::strnlen(source->path, KVR_PATH_BYTES));
    const int created = run.engine.create(path, &run.handle);
    if (created != 0 && created != 1) {
        run.handle = nullptr;
        return fail(run, MapEngineResult(created));
    }

    run.options[0] = run.options[1] = 0;
    std::memset(run.info, 0, sizeof run.info);
    run.colourFlag = 1;
    int32_t width = 0, height = 0;
    const int begun = source->type == 1
                          ? run.decoder.beginJpeg(source, &width, &height, run.options, run.info)
                          : run.decoder.beginTiff(source, &width, &height, &run.colourFlag,
                                                  run.options, run.info);
    if (begun != 0) return fail(run, MapDecoderResult(begun));
    run.decoder.decoding = true;
    if (run.colourFlag != 0 && run.colourFlag != 1) return fail(run, KVR_UNSUPPORTED);
    // What the file declares is checked before anybody allocates it.
    if (width <= 0 || height <= 0 || width > kMaxWidth || int64_t(width) * height > kMaxPixels)
        return fail(run, KVR_UNSUPPORTED);
    run.width = image->width = width;
    run.height = image->height = height;
    return KVR_OK;
}

KVR_EXPORT int OXGetKvrImage(KvrParams* params, KvrImage* image) {
    if (!params || !image || !validParams(*params)) return KVR_INVALID;
    RunState& run = Run();
    if (!run.handle || !run.decoder.decoding || run.decoded) return KVR_INVALID;
    // The buffer must be the one described at the start: width, height and a stride
    // with room for a row of the requested format.
    if (!image->bits || image->width != run.width || image->height != run.height ||
        int64_t(image->stride) < int64_t(run.width) * bytesPerPixel(params->format))
        return KVR_INVALID;

    run.decoded = true;
    run.options[1] = run.decoder.type == 1 ? 1 : (run.colourFlag == 1 ? 1 : 2);
    std::vector<uint8_t> line;
    try {
        line.assign(size_t(run.width) * 3, 0);
    } catch (const std::bad_alloc&) {
        return KVR_NO_MEMORY;
    }
    if (params->rowOrder == 2) return correctWhileDecoding(run, *params, *image, line);

    const int read = readRows(run, *params, *image, nullptr);
    if (read != KVR_OK) return fail(run, read);
    if (run.colourFlag == 0) run.engine.setInputDataType(run.handle, KVR_INPUT_RGB);
    sample(run, *params, *image, chooseMode(run, *params, *image));
    const int32_t written = enhance(run, *params, *image, line, nullptr);
    return finishRows(run, *params, *image, written, line);
}

KVR_EXPORT int OXEndKvrImage(void* value) {
    if (!value) return KVR_INVALID;
    RunState& run = Run();
    const bool hadHandle = run.handle != nullptr;
    const int answer = run.close();
    if (!hadHandle || answer == 4) return KVR_OK;
    return MapEngineResult(answer);
}

KVR_EXPORT int OXConvertRGBtoPrtData(const uint8_t* source, uint8_t* destination,
                                     PrtDataInfo* info) {
    return ConvertRGBtoPrtData(source, destination, info);
}

KVR_EXPORT int OXGetKvrFunction(int type, int* value) {
    if (!value) return KVR_INVALID;
    *value = -1;
    const int key = type == 10   ? KVR_KEY_PERCEPTUAL
                    : type == 20 ? KVR_KEY_BLACK_POINT
                    : type == 30 ? KVR_KEY_EXIF_TONE
                                 : 0;
    if (!key) return KVR_NO_FUNCTION;
    RunState& run = Run();
    if (!run.handle) return KVR_INVALID;
    if (!run.engine.checkFunction) return KVR_NO_FUNCTION;
    const KvrFunctionRecord record{key, 0, 0, 0};
    const int r = run.engine.checkFunction(run.handle, &record);
    if (r == KVR_FUNCTION_IS_ON || r == KVR_FUNCTION_IS_OFF) {
        *value = r == KVR_FUNCTION_IS_ON ? 1 : 0;
        return KVR_OK;
    }
    return r == KVR_BAD_FUNCTION_VALUE ? KVR_INVALID : KVR_OTHER;
}

KVR_EXPORT int OXSetKvrFunction(int type, int kind) {
    int key = 0, first = 0, second = 0;
    switch (type) {
        case 10:
            key = KVR_KEY_PERCEPTUAL, first = 12, second = 11;
            break;
        case 20:
            key = KVR_KEY_BLACK_POINT, first = 21, second = 22;
            break;
        case 30:
            key = KVR_KEY_EXIF_TONE, first = 31, second = 32;
            break;
        default:
            return KVR_NO_FUNCTION;
    }
    if (kind != first && kind != second) return KVR_BAD_FUNCTION_VALUE;
    RunState& run = Run();
    if (!run.handle) return KVR_INVALID;
    if (!run.engine.setFunction) return KVR_NO_FUNCTION;
    const KvrFunctionRecord record{key, kind == first ? KVR_VALUE_ON : KVR_VALUE_OFF, 0, 0};
    const int r = run.engine.setFunction(run.handle, &record);
    if (r == KVR_FUNCTION_SET) return KVR_FUNCTION_SET;
    return r == KVR_BAD_FUNCTION_VALUE ? KVR_INVALID : KVR_OTHER;
}
