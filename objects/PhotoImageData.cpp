#include "objects/PhotoImageData.h"

#include "document/stream/PropertyBuilder.h"
#include "imaging/filters/GREFilters.h"
#include "imaging/picture/PictureLoader.h"
#include "imaging/picture/SafetyBitmap.h"
#include "objects/AlbumPhotoShared.h"

#include <climits>

VELLUMO_DEFINE_PERSISTENT(TPhotoImageData)

int TPhotoImageData::Limit() const {
    const TAlbumPhotoShared& shared = AlbumPhotoShared();
    return printRendering_ ? shared.printLimit : shared.displayLimit;
}

namespace {

void reduceTo(TPictureEx& picture, int limit) {
    if (limit <= 0 || limit >= INT_MAX) return;
    if (picture.Width() > limit || picture.Height() > limit) Downscale(picture, limit);
}

}  // namespace

void TPhotoImageData::BuildProcessed(TAutoAdjustFilter* normalize, TPictureEx& result) {
    const TPictureEx& source = *Picture();
    const int limit = Limit();
    // The crop has work to do, or a transparent bitmap must be made from another graphic.
    const bool needsClip =
        ClipFilter()->IsEffectiveFor(source) || (UsesTransparency() && !source.IsBitmap());
    TPictureEx work;
    TRect rect;
    if (!normalize || !normalize->CanApply(source)) {
        work.Assign(source);
    } else if (needsClip || normalize->FilterNo() != 1) {
        normalize->Apply(source, work, rect);
    } else {
        // The own normalisation works on the reduced photo: far cheaper, same look.
        TPictureEx reduced;
        reduced.Assign(source);
        reduceTo(reduced, limit);
        normalize->Apply(reduced, work, rect);
    }
    if (needsClip) {
        TClipFilter& clip = *ClipFilter();
        clip.FillColor = UsesTransparency() ? TransparentColor() : clWhite;
        clip.TransparentFill = UsesTransparency();
        TPictureEx clipped;
        clip.Apply(work, clipped, rect);
        work.Assign(clipped);
    }
    reduceTo(work, limit);
    QImage mask;
    if (UsesTransparency()) {
        if (!work.IsBitmap()) {
            auto bitmap = std::make_unique<TSafetyBitmap>();
            bitmap->AssignFrom(*work.Graphic());
            work.SetGraphic(std::move(bitmap));
        }
        TSafetyBitmap& bitmap = work.Bitmap();
        bitmap.SetTransparentColor(TransparentColor());
        bitmap.SetTransparent(true);
        mask = bitmap.Mask();
    }
    for (TImageFilter* f :
         {static_cast<TImageFilter*>(BlurFilter()), static_cast<TImageFilter*>(MonotoneFilter()),
          static_cast<TImageFilter*>(LightFilter())}) {
        if (!f->IsEffective() || !f->CanApply(work)) continue;
        TPictureEx filtered;
        f->Apply(work, filtered, rect);
        work.Assign(filtered);
    }
    result.Assign(work);
    if (!mask.isNull()) {
        TSafetyBitmap& bitmap = result.Bitmap();
        bitmap.SetTransparentColor(TransparentColor());
        bitmap.SetTransparent(true);
        bitmap.InstallMask(mask);
    }
}
