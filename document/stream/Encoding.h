#pragma once
// Text at the stream boundary: CP932 bytes on disk, QString in memory. Names and most
// texts are ASCII, which CP932 maps one to one, so those skip the converter.

#include <QByteArray>
#include <QString>

QString decodeStored(const char* data, qsizetype size);
inline QString decodeStored(const QByteArray& bytes) {
    return decodeStored(bytes.constData(), bytes.size());
}
// `lossless` (optional) is set to false when a character has no CP932 encoding.
QByteArray encodeStored(const QString& text, bool* lossless = nullptr);
