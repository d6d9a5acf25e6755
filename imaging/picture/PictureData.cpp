#include "imaging/picture/PictureData.h"

#include "document/stream/Stream.h"
#include "imaging/picture/GraphicRegistry.h"
#include "imaging/picture/PictureEx.h"

void WritePictureData(const TPictureEx& picture, TStream& stream) {
    QByteArray tag = picture.graphic_ ? QByteArray(picture.graphic_->ClassTag()) : QByteArray();
    if (tag.size() > 63) tag.truncate(63);
    const auto n = static_cast<unsigned char>(tag.size());
    stream.WriteBuffer(&n, 1);
    stream.WriteBytes(tag);
    if (picture.graphic_) picture.graphic_->WriteData(stream);
}

void ReadPictureData(TPictureEx& picture, TStream& stream) {
    unsigned char n = 0;
    stream.ReadBuffer(&n, 1);
    QByteArray tag(n, Qt::Uninitialized);
    stream.ReadBuffer(tag.data(), n);
    std::unique_ptr<TGraphic> graphic = n ? CreateGraphicForTag(QString::fromLatin1(tag)) : nullptr;
    if (graphic) graphic->ReadData(stream);
    picture.SetGraphic(std::move(graphic));
}
