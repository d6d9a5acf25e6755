#include "colormatch/engine/PhotoInfo.h"

#include <dlfcn.h>
#include <tiffio.h>  // types and tag numbers: the library itself is loaded for TIFF photos

#include <cstdio>
#include <cstring>
#include <memory>

namespace kvr {
namespace {

// A bounds-checked view of the Exif bytes in their byte order.
class ExifBytes {
public:
    ExifBytes(const uint8_t* data, size_t size, bool big) : data_(data), size_(size), big_(big) {}
    bool has(size_t offset, size_t n) const { return offset <= size_ && n <= size_ - offset; }
    uint16_t u16(size_t o) const {
        return big_ ? uint16_t(data_[o] << 8 | data_[o + 1])
                    : uint16_t(data_[o + 1] << 8 | data_[o]);
    }
    uint32_t u32(size_t o) const {
        return big_ ? uint32_t(u16(o)) << 16 | u16(o + 2) : uint32_t(u16(o + 2)) << 16 | u16(o);
    }
    const uint8_t* at(size_t o) const { return data_ + o; }

private:
    const uint8_t* data_;
    size_t size_;
    bool big_;
};

struct Tag {
    uint16_t type = 0;
    uint32_t count = 0;
    size_t valueOffset = 0;  // where the value bytes are (inline or pointed to)
};

// Finds `tag` in the IFD at `ifd`; false when it is absent or its value is outside.
bool findTag(const ExifBytes& b, uint32_t ifd, uint16_t tag, Tag& out) {
    if (!b.has(ifd, 2)) return false;
    const uint16_t n = b.u16(ifd);
    if (!b.has(ifd + 2, size_t(n) * 12)) return false;
    for (uint16_t i = 0; i < n; ++i) {
        const size_t e = ifd + 2 + size_t(i) * 12;
        if (b.u16(e) != tag) continue;
        out.type = b.u16(e + 2);
        out.count = b.u32(e + 4);
        const size_t unit = out.type == 3 ? 2 : out.type == 4 ? 4 : 1;
        const uint64_t bytes = uint64_t(unit) * out.count;
        out.valueOffset = bytes <= 4 ? e + 8 : b.u32(e + 8);
        return b.has(out.valueOffset, size_t(bytes));
    }
    return false;
}

int shortValue(const ExifBytes& b, uint32_t ifd, uint16_t tag, int otherwise) {
    Tag t;
    if (!findTag(b, ifd, tag, t) || t.count < 1) return otherwise;
    if (t.type == 3) return b.u16(t.valueOffset);
    if (t.type == 4) return int(b.u32(t.valueOffset) & 0x7fffffff);
    return otherwise;
}

std::string textValue(const ExifBytes& b, uint32_t ifd, uint16_t tag) {
    Tag t;
    if (!findTag(b, ifd, tag, t) || t.count > 64) return {};
    std::string s(reinterpret_cast<const char*>(b.at(t.valueOffset)), t.count);
    return s.substr(0, s.find('\0'));
}

bool readJpegHeader(std::FILE* f, PhotoInfo& info) {
    IccChunks icc;
    uint8_t two[2];
    if (std::fread(two, 1, 2, f) != 2 || two[0] != 0xFF || two[1] != 0xD8) return false;
    for (;;) {
        int c = std::fgetc(f);
        if (c != 0xFF) break;
        while (c == 0xFF) c = std::fgetc(f);
        if (c == EOF || c == 0xD9 || c == 0xDA) break;        // end of image, start of scan
        if (c == 0x01 || (c >= 0xD0 && c <= 0xD7)) continue;  // markers without a length
        if (std::fread(two, 1, 2, f) != 2) break;
        const size_t length = size_t(two[0] << 8 | two[1]);
        if (length < 2) break;
        const size_t payload = length - 2;
        if (c == 0xE1 || c == 0xE2) {
            std::vector<uint8_t> bytes(payload);
            if (std::fread(bytes.data(), 1, payload, f) != payload) break;
            if (c == 0xE1 && payload > 6 && std::memcmp(bytes.data(), "Exif\0\0", 6) == 0)
                ParseExif(bytes.data() + 6, payload - 6, info);
            else if (c == 0xE2 && payload > 14 &&
                     std::memcmp(bytes.data(), "ICC_PROFILE\0", 12) == 0)
                icc.add(bytes.data() + 12, payload - 12);
        } else if (std::fseek(f, long(payload), SEEK_CUR) != 0) {
            break;
        }
    }
    info.iccProfile = icc.profile();
    return true;
}

void quiet(const char*, const char*, va_list) {}

// libtiff, loaded only while a TIFF photo's header is read: with the libraries it needs
// in turn it costs more to load and unload with the engine than reading a JPEG photo's
// header does. For TIFF photos the decoder has loaded it already.
class TiffLibrary {
public:
    TiffLibrary() : handle_(::dlopen(KVR_TIFF_LIBRARY, RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_) return;
        bind("TIFFSetErrorHandler", setErrorHandler);
        bind("TIFFSetWarningHandler", setWarningHandler);
        bind("TIFFOpen", open);
        bind("TIFFGetField", getField);
        bind("TIFFClose", close);
    }
    ~TiffLibrary() {
        if (handle_) ::dlclose(handle_);
    }
    TiffLibrary(const TiffLibrary&) = delete;
    TiffLibrary& operator=(const TiffLibrary&) = delete;
    bool loaded() const {
        return setErrorHandler && setWarningHandler && open && getField && close;
    }

    decltype(&TIFFSetErrorHandler) setErrorHandler = nullptr;
    decltype(&TIFFSetWarningHandler) setWarningHandler = nullptr;
    decltype(&TIFFOpen) open = nullptr;
    decltype(&TIFFGetField) getField = nullptr;
    decltype(&TIFFClose) close = nullptr;

private:
    template <class F>
    void bind(const char* name, F& fn) {
        fn = reinterpret_cast<F>(::dlsym(handle_, name));
    }
    void* handle_;
};

bool readTiffHeader(const char* path, PhotoInfo& info) {
    const TiffLibrary lib;
    if (!lib.loaded()) return false;
    lib.setErrorHandler(quiet);
    lib.setWarningHandler(quiet);
    TIFF* tiff = lib.open(path, "r");
    if (!tiff) return false;
    uint32_t size = 0;
    void* data = nullptr;
    if (lib.getField(tiff, TIFFTAG_ICCPROFILE, &size, &data) && data && size > 0)
        info.iccProfile.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    lib.close(tiff);
    return true;
}

}  // namespace

void ParseExif(const uint8_t* data, size_t size, PhotoInfo& info) {
    if (size < 8) return;
    const bool big = data[0] == 'M' && data[1] == 'M';
    if (!big && !(data[0] == 'I' && data[1] == 'I')) return;
    const ExifBytes b(data, size, big);
    if (b.u16(2) != 42) return;
    const uint32_t ifd0 = b.u32(4);
    Tag exifPointer;
    if (!findTag(b, ifd0, 0x8769, exifPointer) || exifPointer.type != 4) return;
    const uint32_t exif = b.u32(exifPointer.valueOffset);

    const int space = shortValue(b, exif, 0xA001, -1);
    if (space == 1) {
        info.colourSpace = ExifColourSpace::SRGB;
    } else if (space == 0xFFFF) {
        info.colourSpace = ExifColourSpace::Uncalibrated;
        Tag interop;
        if (findTag(b, exif, 0xA005, interop) && interop.type == 4 &&
            textValue(b, b.u32(interop.valueOffset), 0x0001) == "R03")
            info.colourSpace = ExifColourSpace::AdobeRGB;
    }

    Tag version;
    const bool exif22 = findTag(b, exif, 0x9000, version) && version.count == 4 &&
                        std::memcmp(b.at(version.valueOffset), "0220", 4) >= 0;
    const int contrast = shortValue(b, exif, 0xA408, -1);
    const int saturation = shortValue(b, exif, 0xA409, -1);
    const int sharpness = shortValue(b, exif, 0xA40A, -1);
    const int scene = shortValue(b, exif, 0xA406, -1);
    info.exifPrint = exif22 && (contrast >= 0 || saturation >= 0 || sharpness >= 0 || scene >= 0);
    if (info.exifPrint) {
        info.contrast = contrast >= 0 && contrast <= 2 ? contrast : 0;
        info.saturation = saturation >= 0 && saturation <= 2 ? saturation : 0;
    }
}

void IccChunks::add(const uint8_t* segment, size_t size) {
    if (size < 2) return;
    const int sequence = segment[0], count = segment[1];
    if (count == 0 || sequence == 0 || sequence > count || (count_ && count != count_)) {
        bad_ = true;
        return;
    }
    count_ = count;
    chunks_.resize(size_t(count));
    if (!chunks_[size_t(sequence - 1)].empty()) bad_ = true;
    chunks_[size_t(sequence - 1)].assign(segment + 2, segment + size);
}

std::vector<uint8_t> IccChunks::profile() const {
    std::vector<uint8_t> whole;
    if (bad_ || !count_) return whole;
    for (const auto& chunk : chunks_) {
        if (chunk.empty()) return {};
        whole.insert(whole.end(), chunk.begin(), chunk.end());
    }
    return whole;
}

bool ReadPhotoInfo(const char* path, PhotoInfo& info) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path, "rb"), std::fclose);
    if (!f) return false;
    uint8_t magic[4] = {};
    if (std::fread(magic, 1, 4, f.get()) != 4) return false;
    if (magic[0] == 0xFF && magic[1] == 0xD8) {
        info.jpeg = true;
        std::rewind(f.get());
        return readJpegHeader(f.get(), info);
    }
    const bool tiff = (magic[0] == 'I' && magic[1] == 'I' && magic[2] == 42 && magic[3] == 0) ||
                      (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && magic[3] == 42);
    if (!tiff) return false;
    info.tiff = true;
    f.reset();
    return readTiffHeader(path, info);
}

}  // namespace kvr
