#include "objects/CorrectedPhoto.h"

#include "imaging/filters/GREFilters.h"
#include "objects/PhotoImageData.h"

void CopyPictureAdjustments(const TImageData& from, TImageData& to) {
    to.ClipFilter()->Assign(*from.ClipFilter());
    to.BlurFilter()->Assign(*from.BlurFilter());
    to.LightFilter()->Assign(*from.LightFilter());
    to.MonotoneFilter()->Assign(*from.MonotoneFilter());
    to.SetTransparentColor(from.TransparentColor());
}

void BuildCorrectedPhoto(const TPictureEx& picture, const TImageData* holder, int method,
                         TPictureEx& result) {
    result.Clear();
    if (picture.Empty()) return;
    TPhotoImageData work;
    work.SetPicture(&picture);  // the clip becomes the whole picture first
    if (holder) {
        CopyPictureAdjustments(*holder, work);
        if (method == 2 || method == 3) {
            work.BlurFilter()->SetBlurCount(0);
            work.LightFilter()->SetBrightness(0);
            work.LightFilter()->SetContrast(0);
            work.MonotoneFilter()->SetRefColor(clNone);
        }
    }
    TAutoAdjustFilter correction;
    correction.SetFilterNo(method);
    work.BuildProcessed(method != 0 ? &correction : nullptr, result);
}
