#pragma once
// TGraphic: one picture of some kind (bitmap, JPEG, PNG, metafile, icon). A graphic loads
// and saves its file form, reads and writes its payload inside the picture data record,
// and draws itself into a rectangle of a canvas. Changes are reported through OnChange,
// which the picture holding the graphic sets.

#include "platform/Geometry.h"
#include "platform/canvas/Canvas.h"

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

class TStream;

class TGraphic {
public:
    TGraphic() = default;
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    // The class tag written into the picture data record.
    virtual const char* ClassTag() const = 0;
    // A new graphic of the same class holding the same picture.
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    // The file form, from the stream's position.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;
    void LoadFromFile(const QString& path);
    void SaveToFile(const QString& path) const;

    // The payload of the picture data record.
    virtual void ReadData(TStream& stream) = 0;
    virtual void WriteData(TStream& stream) const = 0;

    virtual void Draw(platform::Canvas& canvas, const TRect& rect) const = 0;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // Bitmaps, JPEG and PNG pictures have pixels the filters can work on.
    virtual bool IsBitmapLike() const { return false; }
    virtual bool Transparent() const { return false; }
    virtual void SetTransparent(bool) {}

    // The picture at its own size with the pixels it shows; a null image when empty.
    virtual QImage ToImage() const = 0;
    // Takes over the picture of `source` in place; false when this kind cannot.
    virtual bool AssignFrom(const TGraphic& source) = 0;

    std::function<void()> OnChange;

protected:
    void Changed() const {
        if (OnChange) OnChange();
    }
};

// Draws `image` stretched into `rect`; with a mask (Format_Mono, 1 where transparent),
// transparent pixels leave the canvas unchanged. The canvas's colours, copy mode and
// stretch mode are restored afterwards.
void DrawImage(platform::Canvas& canvas, const TRect& rect, const QImage& image,
               const QImage* mask = nullptr);

// The image in a format a canvas and the pixel operations read (8, 24 or 32 bits).
QImage DrawableImage(const QImage& image);
