#pragma once
// TIcon: an icon file (a directory of images, each a device-independent bitmap with its
// AND mask, or a PNG). Its bytes are kept for storage; the largest image is decoded for
// drawing, its mask making the uncovered pixels transparent.

#include "imaging/picture/Graphic.h"

#include <QByteArray>

class TIcon : public TGraphic {
public:
    const char* ClassTag() const override { return "TIcon"; }
    std::unique_ptr<TGraphic> Clone() const override;

    void LoadFromStream(TStream& stream) override;  // the directory and what it declares
    void SaveToStream(TStream& stream) const override;
    void ReadData(TStream& stream) override { LoadFromStream(stream); }
    void WriteData(TStream& stream) const override { SaveToStream(stream); }

    void Draw(platform::Canvas& canvas, const TRect& rect) const override;
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    bool Transparent() const override { return true; }
    QImage ToImage() const override;
    bool AssignFrom(const TGraphic& source) override;

    // Raises "アイコンイメージが不正です" for bytes that are not an icon file.
    void SetBytes(QByteArray bytes);
    const QByteArray& Bytes() const { return bytes_; }

private:
    QByteArray bytes_;
    QImage image_, mask_, whitened_;  // the largest image, its mask (1 = transparent)
};
