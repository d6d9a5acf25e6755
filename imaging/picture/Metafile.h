#pragma once
// TMetafile: an enhanced metafile or a placeable Windows metafile. Its bytes are kept
// unchanged through loading, storing and copying; its size comes from its header. It is
// drawn by the metafile player; bytes the player does not understand draw the error
// picture.

#include "imaging/picture/Graphic.h"

#include <QByteArray>

class TMetafile : public TGraphic {
public:
    const char* ClassTag() const override { return "TMetafile"; }
    std::unique_ptr<TGraphic> Clone() const override;

    void LoadFromStream(TStream& stream) override;  // the rest of the stream
    void SaveToStream(TStream& stream) const override;
    // An int32 length counting itself and what follows, then the metafile; a length of 4
    // or less is an empty metafile. Bytes whose header is not understood are kept (with
    // no size) rather than refused.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;

    void Draw(platform::Canvas& canvas, const TRect& rect) const override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return bytes_.isEmpty(); }
    // The picture at its own size on white; larger than metafile::kMaxBitmapPixels raises
    // msg::pictureLoadFailed().
    QImage ToImage() const override;
    bool AssignFrom(const TGraphic& source) override;

    // Raises "メタファイルが不正です" unless the bytes are an enhanced metafile or a
    // placeable metafile (or empty).
    void SetBytes(QByteArray bytes);
    const QByteArray& Bytes() const { return bytes_; }
    bool Enhanced() const { return enhanced_; }

private:
    void setBytes(QByteArray bytes, bool strict);

    QByteArray bytes_;
    bool enhanced_ = false;
    int width_ = 0, height_ = 0;  // screen pixels at 96 per inch
};
