// Fuzz target for the product database reader: the bytes are a ".cdb" file, opened as the
// program opens it at start-up; every entry is read and a new document's records are
// filled from it. Reading may raise but must never crash, read outside the input or
// allocate what the input merely declares.
#include "document/ProductDB.h"
#include "document/ProductInfo.h"
#include "platform/Exception.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path =
        QDir::temp().filePath(QStringLiteral("products-fuzz-%1.cdb").arg(::getpid()));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        TProductDB db;
        db.OpenProductDB(path);
        for (int i = 0; i < db.EntryCount() && i < 64; ++i) {
            try {
                TProductInfo record;
                db.ReadEntry(i, record);
                if (record.GUID().size() != 16) __builtin_trap();
            } catch (const Exception&) {
            }
        }
        TProductInfo product, japanese, english;
        db.FillNewDocument(product, japanese, english);
    } catch (const Exception&) {
    }
    QFile::remove(path);
    return 0;
}
