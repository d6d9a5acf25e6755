#include "imaging/picture/ResStream.h"

#include "document/Messages.h"
#include "platform/ByteCursor.h"
#include "platform/Exception.h"

#include <QFile>
#include <QFileInfo>

namespace {

[[noreturn]] void damaged() {
    throw Exception(QStringLiteral("リソースファイルが不正です"));
}

qsizetype padding4(qsizetype v) {
    return -v & 3;
}

// A type or name field: 0xFFFF and a number, or a NUL-terminated UTF-16 text.
TResId readId(platform::ByteCursor& c) {
    const std::uint16_t first = c.u16le();
    if (first == 0xFFFF) return int(c.u16le());
    QString text;
    for (char16_t unit = first; unit != 0; unit = c.u16le()) text += QChar(unit);
    return text;
}

bool same(const TResId& a, const TResId& b) {
    if (a.index() != b.index()) return false;
    if (const int* n = std::get_if<int>(&a)) return *n == std::get<int>(b);
    return std::get<QString>(a).compare(std::get<QString>(b), Qt::CaseInsensitive) == 0;
}

}  // namespace

QString ResIdText(const TResId& id) {
    if (const int* n = std::get_if<int>(&id)) return QStringLiteral("#%1").arg(*n);
    return std::get<QString>(id);
}

TResStream::TResStream(const QString& fileName, const TResId& type, const TResId& name) {
    auto notFound = [&] {
        return Exception(QStringLiteral("%1 リソースが見つかりません").arg(ResIdText(name)));
    };
    if (fileName.isEmpty() || !QFileInfo::exists(fileName)) {
        QFile embedded(QStringLiteral(":/res/%1/%2")
                           .arg(ResIdText(type).toUpper(), ResIdText(name).toUpper()));
        if (!embedded.open(QIODevice::ReadOnly)) throw notFound();
        TMemoryStream::Write(embedded.readAll().constData(), embedded.size());
        SetPosition(0);
        return;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) throw Exception(msg::cannotOpenFile(fileName));
    const QByteArray bytes = file.readAll();
    // Entries: data size, header size, the header's type and name, then the data; header
    // and data each padded to four bytes.
    platform::ByteCursor c(bytes, [](qsizetype) { damaged(); });
    while (c.has(8)) {
        const qsizetype dataSize = c.u32le(), headerSize = c.u32le();
        if (headerSize < 8) damaged();
        platform::ByteCursor header = c.sub(headerSize - 8);
        const TResId entryType = readId(header);
        const TResId entryName = readId(header);
        c.skip(padding4(headerSize));
        const QByteArrayView data = c.take(dataSize);
        if (same(entryType, type) && same(entryName, name)) {
            TMemoryStream::Write(data.data(), data.size());
            SetPosition(0);
            return;
        }
        // The last entry's padding may be missing.
        c.skip(std::min(padding4(dataSize), c.remaining()));
    }
    throw notFound();
}
