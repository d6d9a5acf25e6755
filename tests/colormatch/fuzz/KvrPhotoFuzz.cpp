// Fuzz target of the engine's photo header reader and the JPEG decoder module: the bytes
// are read as Exif data directly, then as a photo file (headers, ICC chunks, and for
// JPEG the decoder's rows).
#include "colormatch/engine/PhotoInfo.h"
#include "platform/KvrAbi.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int BeginYccDecode(const KvrSource*, int32_t*, int32_t*, int32_t*, uint8_t*);
extern "C" int GetYccLine(uint8_t*, int32_t*);
extern "C" int EndYccDecode(void);

namespace {

const std::string& scratchFile() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvr-fuzz-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd >= 0) ::close(fd);
        return pattern;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvr::PhotoInfo exif;
    kvr::ParseExif(data, size, exif);

    const std::string& path = scratchFile();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    kvr::PhotoInfo info;
    if (!kvr::ReadPhotoInfo(path.c_str(), info) || !info.jpeg) return 0;

    KvrSource source{};
    std::memcpy(source.path, path.c_str(), path.size());
    source.type = 1;
    int32_t width = 0, height = 0, options[2] = {};
    uint8_t block[KVR_DECODER_INFO_BYTES] = {};
    if (BeginYccDecode(&source, &width, &height, options, block) != 0) return 0;
    // Rows of small pictures only: the point is the parsing, not decoding time.
    if (int64_t(width) * height <= (1 << 20)) {
        std::vector<uint8_t> row(size_t(width) * 3);
        int32_t more = 1;
        for (int32_t y = 0; y < height && more; ++y)
            if (GetYccLine(row.data(), &more) != 0) break;
    }
    EndYccDecode();
    return 0;
}
