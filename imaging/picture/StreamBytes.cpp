#include "imaging/picture/StreamBytes.h"

#include "imaging/Messages.h"
#include "platform/Exception.h"

#include <QtEndian>

namespace picturebytes {

QByteArray ReadExactly(TStream& stream, std::int64_t count, const QString& message) {
    if (count < 0 || count > stream.Remaining()) throw Exception(message);
    QByteArray bytes(qsizetype(count), Qt::Uninitialized);
    stream.ReadBuffer(bytes.data(), count);
    return bytes;
}

QByteArray ReadRest(TStream& stream) {
    const std::int64_t n = stream.Remaining();
    QByteArray bytes(qsizetype(std::max<std::int64_t>(0, n)), Qt::Uninitialized);
    if (n > 0) stream.ReadBuffer(bytes.data(), n);
    return bytes;
}

std::int32_t ReadInt32(TStream& stream, const QString& message) {
    return qFromLittleEndian<std::int32_t>(ReadExactly(stream, 4, message).constData());
}

void WriteInt32(TStream& stream, std::int32_t value) {
    unsigned char b[4];
    qToLittleEndian(value, b);
    stream.WriteBuffer(b, 4);
}

QString InvalidBitmapMessage() {
    return msg::invalidBitmap();
}

}  // namespace picturebytes
