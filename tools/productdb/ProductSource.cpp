#include "tools/productdb/ProductSource.h"

#include "document/ProductInfo.h"
#include "document/storage/DocNameList.h"
#include "document/storage/StorageMode.h"
#include "document/storage/TemporaryStorage.h"
#include "document/stream/ComponentStream.h"
#include "platform/Exception.h"

#include <QUuid>

namespace {

[[noreturn]] void fail(int line, const QString& what) {
    throw Exception(QStringLiteral("line %1: %2").arg(line).arg(what));
}

QByteArray guidFrom(const QUuid& id) {
    QByteArray bytes(16, '\0');
    const QByteArray rfc = id.toRfc4122();
    // First three fields little-endian, the rest as they are.
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < 16; ++i) bytes[i] = rfc[order[i]];
    return bytes;
}

}  // namespace

std::vector<std::unique_ptr<TProductInfo>> ParseProductSource(const QByteArray& text) {
    static const QUuid kNamespace(QStringLiteral("{6f1d3c52-8a47-4b0e-9c35-2b7e5d9a1f60}"));
    std::vector<std::unique_ptr<TProductInfo>> records;
    std::vector<bool> hasItems;
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (line == u"[record]") {
            auto record = std::make_unique<TProductInfo>();
            record->SetGUID(guidFrom(
                QUuid::createUuidV5(kNamespace, QStringLiteral("record %1").arg(records.size()))));
            records.push_back(std::move(record));
            hasItems.push_back(false);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (records.empty() || eq <= 0) fail(n + 1, line);
        TProductInfo& record = *records.back();
        const QString key = line.left(eq), value = line.mid(eq + 1);
        if (key == u"GUID") {
            const QUuid id(u'{' + QString(value).remove(u'{').remove(u'}') + u'}');
            if (id.isNull()) fail(n + 1, line);
            record.SetGUID(guidFrom(id));
            continue;
        }
        if (!hasItems.back()) {
            record.Items().Clear();
            hasItems.back() = true;
        }
        TProductItem* item = record.Items().Add();
        item->SetFieldName(key);
        if (!value.isEmpty()) item->Info().AddStrings(value.split(QStringLiteral("\\n")));
    }
    return records;
}

void WriteProductDatabase(const std::vector<std::unique_ptr<TProductInfo>>& records,
                          const QString& fileName) {
    TTemporaryStorage storage;
    {
        TDocStreamList list(storage, QStringLiteral("Infos\\NameList"));
        for (const auto& record : records) {
            const int index = list.AddElement();
            const auto s = list.OpenElementStream(index, storagemode::Create);
            WriteComponentResource(*s, QStringLiteral("ProductInfo"), *record);
        }
    }
    storage.SaveTo(fileName);
}
