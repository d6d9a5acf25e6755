#include "document/stream/Encoding.h"

#include "platform/ShiftJis.h"

QString decodeStored(const char* data, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i)
        if (uint8_t(data[i]) >= 0x80) return platform::fromCp932(data, size);
    return QString::fromLatin1(data, size);
}

QByteArray encodeStored(const QString& text, bool* lossless) {
    for (QChar c : text)
        if (c.unicode() >= 0x80) return platform::toCp932(text, lossless);
    if (lossless) *lossless = true;
    return text.toLatin1();
}
