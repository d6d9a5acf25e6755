#include "imaging/picture/PictureData.h"

#include "document/stream/Stream.h"
#include "imaging/picture/GraphicRegistry.h"

void WritePictureData(const TGraphic* graphic, TStream& stream) {
    QByteArray tag = graphic ? QByteArray(graphic->ClassTag()) : QByteArray();
    if (tag.size() > 63) tag.truncate(63);
    const auto n = static_cast<unsigned char>(tag.size());
    stream.WriteBuffer(&n, 1);
    stream.WriteBytes(tag);
    if (graphic) graphic->WriteData(stream);
}

std::unique_ptr<TGraphic> ReadPictureData(TStream& stream) {
    unsigned char n = 0;
    stream.ReadBuffer(&n, 1);
    QByteArray tag(n, Qt::Uninitialized);
    stream.ReadBuffer(tag.data(), n);
    std::unique_ptr<TGraphic> graphic = n ? CreateGraphicForTag(QString::fromLatin1(tag)) : nullptr;
    if (graphic) graphic->ReadData(stream);
    return graphic;
}
