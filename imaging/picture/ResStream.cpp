#include "imaging/picture/ResStream.h"

#include "document/Messages.h"
#include "platform/Exception.h"

#include <QFile>
#include <QFileInfo>

namespace {

[[noreturn]] void damaged() {
    throw Exception(QStringLiteral("リソースファイルが不正です"));
}

std::uint32_t u32(const uchar* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t u16(const uchar* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}
std::int64_t align4(std::int64_t v) {
    return (v + 3) & ~std::int64_t(3);
}

// A type or name field at `at` (inside [at, end)): 0xFFFF and a number, or a
// NUL-terminated UTF-16 text. Moves `at` past it.
TResId readId(const uchar* base, std::int64_t& at, std::int64_t end) {
    if (at + 2 > end) damaged();
    if (u16(base + at) == 0xFFFF) {
        if (at + 4 > end) damaged();
        const int number = u16(base + at + 2);
        at += 4;
        return number;
    }
    QString text;
    for (;;) {
        if (at + 2 > end) damaged();
        const char16_t c = u16(base + at);
        at += 2;
        if (c == 0) break;
        text += QChar(c);
    }
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
    const auto* base = reinterpret_cast<const uchar*>(bytes.constData());
    const std::int64_t size = bytes.size();
    std::int64_t entry = 0;
    while (entry + 8 <= size) {
        const std::int64_t dataSize = u32(base + entry), headerSize = u32(base + entry + 4);
        if (headerSize < 8 || entry + headerSize > size) damaged();
        std::int64_t at = entry + 8;
        const TResId entryType = readId(base, at, entry + headerSize);
        const TResId entryName = readId(base, at, entry + headerSize);
        const std::int64_t data = entry + align4(headerSize);
        if (data + dataSize > size) damaged();
        if (same(entryType, type) && same(entryName, name)) {
            TMemoryStream::Write(bytes.constData() + data, dataSize);
            SetPosition(0);
            return;
        }
        entry = data + align4(dataSize);
    }
    throw notFound();
}
