#pragma once
// TPictureEx: the picture holder. It holds at most one graphic, the identifiers ImageID
// and StorageID (stored as its properties), a resource flag and a modified flag, and
// reports every change of its graphic through its change notifier. Stored, the graphic
// is the binary property "Data" holding the picture data record; a picture filled from a
// resource stores no record, since it can be loaded from the resource again.

#include "document/Notify.h"
#include "document/stream/Persistent.h"
#include "imaging/picture/Graphic.h"

#include <QString>
#include <memory>

class TSafetyBitmap;
class TSafetyJPEGImage;

class TPictureEx : public TPersistent {
    VELLUMO_PERSISTENT(TPictureEx, TPersistent)
public:
    TPictureEx();
    ~TPictureEx() override;

    static void DeclareProperties(PropertyBuilder<TPictureEx>& p);
    void DefineCustomProperties(TFiler& filer) override;
    void Assign(const TPersistent& source) override;

    TGraphic* Graphic() const { return graphic_.get(); }
    // Replaces the graphic and reports a change.
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // Takes a copy of `graphic` (of its class) and reports a change.
    void AssignGraphic(const TGraphic* graphic);
    void Clear() { SetGraphic(nullptr); }

    // The graphic as a safe bitmap, or as a JPEG image: a graphic of another kind is
    // replaced by an empty one first, without a change being reported.
    TSafetyBitmap& Bitmap();
    TSafetyJPEGImage& Jpeg();

    bool Empty() const { return !graphic_ || graphic_->Empty(); }
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    bool IsJpeg() const;
    bool IsBitmap() const;
    // Bitmap, PNG or JPEG.
    bool IsBitmapLike() const { return graphic_ && graphic_->IsBitmapLike(); }
    void Draw(platform::Canvas& canvas, const TRect& rect) const {
        if (graphic_) graphic_->Draw(canvas, rect);
    }

    // By the graphic class registered for the file's extension; an unknown extension
    // raises "不明な拡張子のファイルです (%s)".
    void LoadFromFile(const QString& path);
    void SaveToFile(const QString& path) const;

    const QString& ImageID() const { return imageId_; }
    void SetImageID(const QString& id) { imageId_ = id; }
    const QString& StorageID() const { return storageId_; }
    void SetStorageID(const QString& id) { storageId_ = id; }
    // A further text and flag that travel with assignments only (never stored).
    QString AuxText;
    bool AuxFlag = false;

    bool FromResource() const { return fromResource_; }
    void SetFromResource(bool on) { fromResource_ = on; }
    bool Modified() const { return modified_; }
    void SetModified(bool on) { modified_ = on; }

    TChangeNotify& Notify() { return notify_; }
    // Reports a change of the graphic (listeners get the changed aspect).
    void Changed();

private:
    void attach(TGraphic* graphic);

    std::unique_ptr<TGraphic> graphic_;
    QString imageId_, storageId_;
    bool fromResource_ = false;
    bool modified_ = false;
    bool reporting_ = false;
    TChangeNotify notify_;
};

// The picture's graphic as a picture data record (PictureData.h). Writing gives exactly
// the record, whatever the picture's resource flag. Reading replaces the graphic (an empty
// or unknown tag leaves the picture empty); when the payload is damaged the picture keeps
// what it had.
void WritePictureData(const TPictureEx& picture, TStream& stream);
void ReadPictureData(TPictureEx& picture, TStream& stream);
