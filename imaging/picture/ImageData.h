#pragma once
// TImageData: the picture payload of every image-bearing object: the source picture, its
// transparent colour and the processed picture, a cache built from the source on demand
// and emptied by every change. Listeners of Notify() hear the changed aspect, and also
// asClipReset (the source changed both width and height) and asPictureChanged. Four
// filters are stored with the picture and build the processed picture in the order clip,
// (transparency mask), blur, monotone, light.

#include "document/Notify.h"
#include "document/stream/Persistent.h"
#include "imaging/filters/GREFilters.h"
#include "imaging/picture/PictureEx.h"
#include "platform/canvas/Color.h"

#include <QSize>
#include <QUuid>
#include <memory>

extern const QUuid asClipReset;
extern const QUuid asPictureChanged;

class TImageData : public TPersistent {
    VELLUMO_PERSISTENT(TImageData, TPersistent)
public:
    TImageData();
    ~TImageData() override;

    static void DeclareProperties(PropertyBuilder<TImageData>& p);
    // Copies the picture, the filters, the transparent colour and the processed picture;
    // listeners hear one change.
    void Assign(const TPersistent& source) override;

    TPictureEx* Picture() const { return picture_.get(); }
    void SetPicture(const TPictureEx* picture) {
        if (picture) picture_->Assign(*picture);
    }
    TClipFilter* ClipFilter() const { return clip_.get(); }
    TBlurFilter* BlurFilter() const { return blur_.get(); }
    TLightFilter* LightFilter() const { return light_.get(); }
    TMonotoneFilter* MonotoneFilter() const { return monotone_.get(); }
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor colour);

    // The source graphic is a bitmap, PNG or JPEG.
    bool IsBitmapLike() const { return picture_->IsBitmapLike(); }
    // Bitmap-like and a transparent colour set.
    bool UsesTransparency() const { return IsBitmapLike() && transparentColor_ != clNone; }

    // The processed picture, rebuilt when the source is not empty and the cache is.
    const TPictureEx& ProcessedPicture();
    // The cache as it is, without rebuilding.
    const TPictureEx& CachedProcessedPicture() const { return *processed_; }
    QSize LastSeenSize() const { return lastSize_; }

    TChangeNotify& Notify() { return notify_; }

    // The clip becomes the whole picture, or, for a frame of `frameWidth` x `frameHeight`,
    // the largest centred part of the picture of the frame's aspect. A frame without
    // width or height counts as none.
    void ResetClip(int frameWidth = 0, int frameHeight = 0);

protected:
    // Whether a JPEG source is decoded as soon as it changes, so that drawing it later
    // finds it decoded.
    virtual bool DecodesJpegOnChange() const { return true; }

private:
    void pictureNotified(const QUuid& aspect);
    void filterNotified(TPersistent* sender, const QUuid& aspect);
    void dropProcessed();

    std::unique_ptr<TPictureEx> picture_ = std::make_unique<TPictureEx>();
    std::unique_ptr<TPictureEx> processed_ = std::make_unique<TPictureEx>();
    std::unique_ptr<TClipFilter> clip_ = std::make_unique<TClipFilter>();
    std::unique_ptr<TBlurFilter> blur_ = std::make_unique<TBlurFilter>();
    std::unique_ptr<TLightFilter> light_ = std::make_unique<TLightFilter>();
    std::unique_ptr<TMonotoneFilter> monotone_ = std::make_unique<TMonotoneFilter>();
    TColor transparentColor_ = clNone;
    QSize lastSize_{0, 0};
    TChangeNotify notify_;
    TListener listener_;
    TListener filterListener_;
};
