#pragma once
// Image packs: every list of small pictures (thumbnails, decoration images, previews,
// strips of interface bitmaps) is a pack that tells how many images it has and fills a
// picture with image i. Packs report changes of their set of images through their change
// notifier (the aspects below) and OnChange.

#include "document/Notify.h"
#include "document/stream/Component.h"
#include "platform/Exception.h"
#include "platform/Geometry.h"

#include <QImage>
#include <QUuid>
#include <functional>

class TPictureEx;
namespace platform {
class Canvas;
}

// Raised by the operations a pack does not support.
VELLUMO_DECLARE_EXCEPTION(EImagePack, Exception);

extern const QUuid asImagesChanged;   // the set or content of the images changed
extern const QUuid asImagesChanging;  // the set of images is about to change

class TImagePack : public TComponent {
    VELLUMO_PERSISTENT(TImagePack, TComponent)
public:
    explicit TImagePack(TComponent* owner = nullptr);
    ~TImagePack() override;

    // Broadcasts the changed aspect, then calls OnChange.
    virtual void Changed();
    virtual void Changing();
    virtual int GetCount();
    // Counts and image rectangles are read-only: both setters raise EImagePack.
    virtual void SetCount(int count);
    virtual TRect GetImageRect(int index);
    virtual void SetImageRect(int index, const TRect& rect);
    virtual int GetLeft(int index) { return GetImageRect(index).Left; }
    virtual void SetLeft(int index, int x);
    virtual int GetTop(int index) { return GetImageRect(index).Top; }
    virtual void SetTop(int index, int y);
    virtual int GetWidth(int index) { return GetImageRect(index).Width(); }
    virtual void SetWidth(int index, int w);
    virtual int GetHeight(int index) { return GetImageRect(index).Height(); }
    virtual void SetHeight(int index, int h);
    // Fills `picture` with image `index` (an empty picture for none).
    virtual void GetImage(TPictureEx& picture, int index);
    // Draws the image at its own size with its top-left corner at (x, y).
    virtual void Draw(platform::Canvas& canvas, int x, int y, int index);
    virtual void StretchDraw(platform::Canvas& canvas, const TRect& rect, int index);
    // True for indexes outside 0 .. count - 1.
    virtual bool IsEmpty(int index);

    // GetImage; on any error the picture gets the error picture and the answer is false.
    bool SafeGetImage(TPictureEx& picture, int index);

    TChangeNotify& Notify() { return notify_; }
    std::function<void(TImagePack* sender)> OnChange;

private:
    TChangeNotify notify_;
};

// The picture shown while an image is being prepared ("プレビュー作成中..." in black,
// centred on white, as large as the text) and the error picture as a graphic. Both are
// built once, on first use, from whichever thread asks first.
const QImage& PlaceholderPictureImage();
void AssignPlaceholderPicture(TPictureEx& picture);
void AssignErrorPicture(TPictureEx& picture);
