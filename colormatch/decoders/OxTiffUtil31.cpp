// The TIFF decoder module: libtiff's RGBA reader delivers any layout it understands, one
// row at a time, as RGB (colour flag 0). One picture at a time.
// Answers: 0 done, 1 damaged data, 2 unsupported data, 3 out of memory, 10 no file.

#include "platform/KvrAbi.h"

#include <tiffio.h>

#include <cstring>
#include <new>
#include <vector>

#define KVR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr long long kMaxPixels = 1LL << 28;

struct Decode {
    TIFF* tiff = nullptr;
    TIFFRGBAImage image{};
    bool began = false;
    uint32_t row = 0;
    std::vector<uint32_t> pixels;
    // Plain 8-bit RGB in strips is read line by line; everything else through the RGBA
    // reader, which handles every layout and colour model libtiff knows.
    bool scanlines = false;
    bool bottomUp = false;  // the file's first row is the picture's bottom one
    int samples = 3;
    std::vector<uint8_t> line;
};

bool plainRgb(TIFF* tiff, uint16_t& samples) {
    uint16_t bits = 0, photometric = 0, planar = 0, orientation = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
    return !TIFFIsTiled(tiff) && bits == 8 && (samples == 3 || samples == 4) &&
           planar == PLANARCONFIG_CONTIG && photometric == PHOTOMETRIC_RGB &&
           orientation == ORIENTATION_TOPLEFT;
}

Decode* current = nullptr;

void finish() {
    if (!current) return;
    if (current->began) TIFFRGBAImageEnd(&current->image);
    if (current->tiff) TIFFClose(current->tiff);
    delete current;
    current = nullptr;
}

void quiet(const char*, const char*, va_list) {}

}  // namespace

KVR_EXPORT int BeginTiffDecode(const KvrSource* source, int32_t* width, int32_t* height,
                               int32_t* colourFlag, int32_t* options, uint8_t* info) {
    if (!source || !width || !height || !colourFlag || !options || !info) return 1;
    finish();
    TIFFSetErrorHandler(quiet);
    TIFFSetWarningHandler(quiet);
    char path[KVR_PATH_BYTES + 1] = {};
    std::memcpy(path, source->path, ::strnlen(source->path, KVR_PATH_BYTES));
    current = new (std::nothrow) Decode;
    if (!current) return 3;
    Decode& d = *current;
    d.tiff = TIFFOpen(path, "r");
    if (!d.tiff) {
        finish();
        return 10;
    }
    uint32_t w = 0, h = 0;
    TIFFGetField(d.tiff, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(d.tiff, TIFFTAG_IMAGELENGTH, &h);
    // The declared size is checked before anything is allocated for it.
    if (w == 0 || h == 0 || (long long)w * h > kMaxPixels) {
        finish();
        return 2;
    }
    uint16_t samples = 0;
    if (plainRgb(d.tiff, samples)) {
        d.scanlines = true;
        d.samples = samples;
        try {
            d.line.resize(size_t(TIFFScanlineSize(d.tiff)));
        } catch (const std::bad_alloc&) {
            finish();
            return 3;
        }
        if (d.line.size() < size_t(w) * samples) {
            finish();
            return 2;
        }
        *width = int32_t(w);
        *height = int32_t(h);
        *colourFlag = 0;
        int32_t s = samples;
        std::memcpy(info, &s, sizeof s);
        return 0;
    }
    char message[1024] = {};
    if (!TIFFRGBAImageOK(d.tiff, message) || !TIFFRGBAImageBegin(&d.image, d.tiff, 0, message)) {
        finish();
        return 2;
    }
    d.began = true;
    // One row at a time, libtiff flips only within the row: rows of pictures stored
    // bottom first are taken from the end.
    d.image.req_orientation = ORIENTATION_TOPLEFT;
    d.bottomUp =
        d.image.orientation == ORIENTATION_BOTLEFT || d.image.orientation == ORIENTATION_BOTRIGHT;
    try {
        d.pixels.resize(w);
    } catch (const std::bad_alloc&) {
        finish();
        return 3;
    }
    *width = int32_t(w);
    *height = int32_t(h);
    *colourFlag = 0;
    TIFFGetFieldDefaulted(d.tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    int32_t s = samples;
    std::memcpy(info, &s, sizeof s);
    return 0;
}

KVR_EXPORT int GetTiffLine(uint8_t* row, int32_t* more) {
    if (!current || !row || !more) return 1;
    Decode& d = *current;
    if (d.scanlines) {
        uint32_t w = 0, h = 0;
        TIFFGetField(d.tiff, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(d.tiff, TIFFTAG_IMAGELENGTH, &h);
        if (d.row >= h) {
            *more = 0;
            return 1;
        }
        if (TIFFReadScanline(d.tiff, d.line.data(), d.row, 0) != 1) return 1;
        for (uint32_t x = 0; x < w; ++x)
            std::memcpy(row + 3 * x, &d.line[size_t(x) * d.samples], 3);
        ++d.row;
        *more = d.row < h ? 1 : 0;
        return 0;
    }
    if (d.row >= d.image.height) {
        *more = 0;
        return 1;
    }
    d.image.row_offset = int(d.bottomUp ? d.image.height - 1 - d.row : d.row);
    d.image.col_offset = 0;
    if (!TIFFRGBAImageGet(&d.image, d.pixels.data(), d.image.width, 1)) return 1;
    for (uint32_t x = 0; x < d.image.width; ++x) {
        const uint32_t p = d.pixels[x];
        row[3 * x] = uint8_t(TIFFGetR(p));
        row[3 * x + 1] = uint8_t(TIFFGetG(p));
        row[3 * x + 2] = uint8_t(TIFFGetB(p));
    }
    ++d.row;
    *more = d.row < d.image.height ? 1 : 0;
    return 0;
}

KVR_EXPORT int EndTiffDecode(void) {
    finish();
    return 0;
}
