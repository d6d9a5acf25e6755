#pragma once
// TImageData: the picture payload of every image-bearing object: the source picture, its
// transparent colour and the processed picture, a cache built from the source on demand
// and emptied by every change. Listeners of Notify() hear the changed aspect, and also
// asClipReset (the source changed both width and height) and asPictureChanged.
//
// The clip, blur, monotone and light filters join the stored properties and the
// processing chain (between the mask and its reinstallation) when they exist.

#include "document/Notify.h"
#include "document/stream/Persistent.h"
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
    // Copies the picture, the transparent colour and the processed picture; listeners
    // hear one change.
    void Assign(const TPersistent& source) override;

    TPictureEx* Picture() const { return picture_.get(); }
    void SetPicture(const TPictureEx* picture) {
        if (picture) picture_->Assign(*picture);
    }
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

private:
    void pictureNotified(const QUuid& aspect);
    void dropProcessed();

    std::unique_ptr<TPictureEx> picture_ = std::make_unique<TPictureEx>();
    std::unique_ptr<TPictureEx> processed_ = std::make_unique<TPictureEx>();
    TColor transparentColor_ = clNone;
    QSize lastSize_{0, 0};
    TChangeNotify notify_;
    TListener listener_;
};
