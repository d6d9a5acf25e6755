// corvane-tool products [FILE.cdb]: the records of a product database (the program's
// "$(ProductDB)" when no file is named): the number of products, then each entry with its
// GUID and items.
#include "app/DataMain.h"
#include "document/Messages.h"
#include "document/ProductDB.h"
#include "document/ProductInfo.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QFileInfo>

namespace {

QString entryKind(int index) {
    if (index == 0) return QStringLiteral("creator-ja");
    if (index == 1) return QStringLiteral("creator-en");
    if (index < TProductDB::kReservedEntries) return QStringLiteral("reserved");
    return QStringLiteral("product %1").arg(index - TProductDB::kReservedEntries);
}

}  // namespace

int runProducts(const ToolCommand& command, const QStringList& commandArgs) {
    const auto words = plainArguments(command, commandArgs);
    if (!words || words->size() > 1) return usageError(command);
    QString file;
    if (words->isEmpty()) {
        file = toolDataModule().Frame().ExpandOrKeep(QStringLiteral("$(ProductDB)"));
    } else {
        file = words->front();
        if (!QFileInfo(file).isFile()) {
            err(msg::cannotOpenFile(file));
            return 1;
        }
    }
    TProductDB db;
    db.OpenProductDB(file);
    out(QStringLiteral("products\t%1").arg(db.ProductCount()));
    for (int i = 0; i < db.EntryCount(); ++i) {
        TProductInfo record;
        db.ReadEntry(i, record);
        out(QStringList{QString::number(i), entryKind(i),
                        QString::fromLatin1(record.GUID().toHex())}
                .join(u'\t'));
        for (int k = 0; k < record.Items().Count(); ++k) {
            const TProductItem& item = *record.Items().Items(k);
            QStringList value;
            for (int l = 0; l < item.Info().Count(); ++l) value << item.Info().Get(l);
            out(u'\t' + item.FieldName() + u'\t' + value.join(QStringLiteral("\\n")));
        }
    }
    return 0;
}
