#pragma once
// What a photo file says about its colours: the Exif colour space, an embedded ICC
// profile and the Exif Print tags. Only the header segments are read; every length and
// offset in them is checked against the bytes really read.

#include <cstdint>
#include <string>
#include <vector>

namespace kvr {

enum class ExifColourSpace { None, SRGB, AdobeRGB, Uncalibrated };

struct PhotoInfo {
    bool jpeg = false, tiff = false;
    ExifColourSpace colourSpace = ExifColourSpace::None;
    std::vector<uint8_t> iccProfile;  // the embedded profile, whole
    bool exifPrint = false;           // Exif 2.2 or later with print tags
    int contrast = 0;                 // Exif Contrast: 0 normal, 1 soft, 2 hard
    int saturation = 0;               // Exif Saturation: 0 normal, 1 low, 2 high
};

// False when the file cannot be read or is neither JPEG nor TIFF.
bool ReadPhotoInfo(const char* path, PhotoInfo& info);

// The Exif data (the TIFF structure after "Exif\0\0") read into `info`; bad data leaves
// the fields as they were.
void ParseExif(const uint8_t* data, size_t size, PhotoInfo& info);

// Collects the ICC_PROFILE chunks of APP2 segments (each: sequence number, count, bytes).
class IccChunks {
public:
    void add(const uint8_t* segment, size_t size);
    // The profile when every chunk from 1 to the count arrived exactly once.
    std::vector<uint8_t> profile() const;

private:
    std::vector<std::vector<uint8_t>> chunks_;
    int count_ = 0;
    bool bad_ = false;
};

}  // namespace kvr
