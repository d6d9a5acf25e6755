#pragma once
// Conversion between Unicode text and Shift-JIS as Windows code page 932 defines it
// (the encoding of strings in stored records). Uses iconv's CP932 tables.

#include <QByteArray>
#include <QString>

namespace platform {

// Encodes `text` as CP932. Characters CP932 cannot represent become '?'; when
// `lossless` is given it is set to false if that happened.
QByteArray toCp932(const QString& text, bool* lossless = nullptr);

// Decodes CP932 bytes. Invalid or truncated sequences become U+FFFD.
QString fromCp932(const QByteArray& bytes);
QString fromCp932(const char* data, qsizetype size);

// True when every character of `text` has a CP932 encoding.
bool isCp932Representable(const QString& text);

}  // namespace platform
