#include "app/CommandLine.h"

#include "platform/ShiftJis.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

bool IsCompoundFile(const QString& path) {
    static const char kSignature[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(8) == QByteArray(kSignature, 8);
}

namespace {
// A list file is UTF-8 (a BOM is allowed), or Shift-JIS when it is not valid UTF-8.
QStringList readList(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError()) text = platform::fromCp932(bytes);
    QStringList names;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")))) {
        const QString t = line.trimmed();
        if (!t.isEmpty()) names << t;
    }
    return names;
}
}  // namespace

TCommandLineAction DecideCommandLine(const QStringList& arguments) {
    for (const QString& a : arguments) {
        if (!QFileInfo(a).isFile()) continue;
        const QString path = QFileInfo(a).absoluteFilePath();
        if (IsCompoundFile(path)) return {TCommandLineAction::OpenAlbum, path, {}};
        return {TCommandLineAction::ImageList, path, readList(path)};
    }
    return {};
}
