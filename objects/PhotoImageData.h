#pragma once
// TPhotoImageData: the source photo of an album photo. It adds the print-rendering switch,
// which selects the print limit instead of the display limit, and the processed photo:
// the picture with automatic correction, crop, size limit and the stored filters.

#include "imaging/picture/ImageData.h"

class TAutoAdjustFilter;

class TPhotoImageData : public TImageData {
    VELLUMO_PERSISTENT(TPhotoImageData, TImageData)
public:
    TPhotoImageData() = default;

    bool PrintRendering() const { return printRendering_; }
    void SetPrintRendering(bool on) { printRendering_ = on; }
    // The size limit that applies now (0: none).
    int Limit() const;

    // The processed photo: corrected by `normalize` (may be null), cropped, reduced to the
    // limit, then the stored filters. The source picture must not be empty.
    void BuildProcessed(TAutoAdjustFilter* normalize, TPictureEx& result);

protected:
    // An album photo draws its processed picture, which decodes the photo at the scale
    // the limit needs: a full decode of every photo as it loads would only cost time
    // and memory.
    bool DecodesJpegOnChange() const override { return false; }

private:
    bool printRendering_ = false;
};
