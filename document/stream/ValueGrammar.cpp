#include "document/stream/ValueGrammar.h"

#include <QByteArray>
#include <QtEndian>

void putLE(QByteArray& out, uint64_t value, int bytes) {
    Q_ASSERT(bytes >= 0 && bytes <= 8);
    const uint64_t le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), bytes);
}
