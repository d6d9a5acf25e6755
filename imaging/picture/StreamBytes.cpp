#include "imaging/picture/StreamBytes.h"

#include "imaging/Messages.h"
#include "platform/Exception.h"

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
    unsigned char b[4];
    if (stream.Remaining() < 4) throw Exception(message);
    stream.ReadBuffer(b, 4);
    return std::int32_t(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                        std::uint32_t(b[3]) << 24);
}

void WriteInt32(TStream& stream, std::int32_t value) {
    const auto v = std::uint32_t(value);
    const unsigned char b[4] = {uchar(v), uchar(v >> 8), uchar(v >> 16), uchar(v >> 24)};
    stream.WriteBuffer(b, 4);
}

QString InvalidBitmapMessage() {
    return msg::invalidBitmap();
}

}  // namespace picturebytes
