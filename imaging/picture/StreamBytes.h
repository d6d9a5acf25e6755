#pragma once
// Reading the pieces of a picture payload from a stream: every declared length is checked
// against the bytes the stream still has before anything is allocated.

#include "document/stream/Stream.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace picturebytes {

// Exactly `count` bytes; raises Exception(message) when the count is negative or more
// than the stream has left.
QByteArray ReadExactly(TStream& stream, std::int64_t count, const QString& message);
// The rest of the stream from its position (in place for a memory stream's caller).
QByteArray ReadRest(TStream& stream);
std::int32_t ReadInt32(TStream& stream, const QString& message);
void WriteInt32(TStream& stream, std::int32_t value);

QString InvalidBitmapMessage();  // "ビットマップイメージが不正です"

}  // namespace picturebytes
