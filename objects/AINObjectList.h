#pragma once
// TAINObjectList: given album photos as a batch correction list. Photos without a picture
// are left out; the photos stay the caller's and are changed in place: the method is their
// normalise filter's number, the picture holder their source photo.

#include "imaging/filters/AutoImgNorm.h"
#include "imaging/picture/PictureEx.h"

#include <vector>

class TLOAlbumPhoto;

class TAINObjectList : public TImgNormalizeCallBackClass {
public:
    explicit TAINObjectList(const std::vector<TLOAlbumPhoto*>& photos);

    void ApplyMethod(int index, int method) override;
    int CurrentMethod(int index) override;
    int Count() override { return int(photos_.size()); }
    // The photo as it shows without automatic correction; valid until the next call.
    const TPictureEx* DisplayPicture(int index) override;
    const TPictureEx* SourcePicture(int index) override;
    TImageData* PictureHolder(int index) override;

    TLOAlbumPhoto* Photo(int index) const;

private:
    std::vector<TLOAlbumPhoto*> photos_;
    int displayIndex_ = -1;
    TPictureEx display_;
};
