// corvane-tool stream: shows component streams as text and builds them from text.
// Works on the value level, so streams of classes this tool does not know work too.
#include "document/Messages.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/StreamText.h"
#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QFile>
#include <cstdio>
#include <optional>

namespace {
bool readInput(const QString& path, QByteArray& bytes) {
    QFile f;
    const bool ok = path == u"-" ? f.open(stdin, QIODevice::ReadOnly)
                                 : (f.setFileName(path), f.open(QIODevice::ReadOnly));
    if (!ok) {
        err(msg::cannotOpenFile(path));
        return false;
    }
    bytes = f.readAll();
    return true;
}

bool writeOutput(const QString& path, const QByteArray& bytes) {
    if (path == u"-") {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        return std::fflush(stdout) == 0;
    }
    QString why;
    if (platform::writeFileAtomically(path, bytes, &why, 0644)) return true;
    err(platform::format(QStringLiteral("ファイル %s に書き込めません: %s"), path, why));
    return false;
}

int dump(const ToolCommand& command, const QStringList& args) {
    const auto files = plainArguments(command, args);
    if (!files || files->size() != 1) return usageError(command);
    QByteArray bytes;
    if (!readInput(files->front(), bytes)) return 1;
    try {
        const QString text = streamtree::printDocument(streamtree::readDocument(bytes));
        const QByteArray utf8 = text.toUtf8();
        std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    } catch (const Exception& e) {
        err(e.message());
        return 1;
    }
    return 0;
}

int build(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption resourceOption(QStringLiteral("resource"), QString(),
                                            QStringLiteral("NAME"));
    const QCommandLineOption listOption(QStringLiteral("list"));
    parser.addOptions({resourceOption, listOption});
    if (!parseCommandLine(parser, command, args)) return usageError(command);
    const QStringList rest = parser.positionalArguments();
    std::optional<QString> resource;
    if (parser.isSet(resourceOption)) resource = parser.value(resourceOption);
    const bool list = parser.isSet(listOption);
    if (rest.size() != 2 || (resource && list)) return usageError(command);
    QByteArray text;
    if (!readInput(rest[0], text)) return 1;
    streamtree::Document doc;
    try {
        doc = streamtree::parseDocument(QString::fromUtf8(text));
    } catch (const Exception& e) {
        err(platform::format(QStringLiteral("%s: %s"), rest[0], e.message()));
        return 1;
    }
    if (resource) {
        if (doc.entries.size() != 1) {
            err(QStringLiteral("リソースにはオブジェクトを一つだけ書いてください"));
            return 1;
        }
        doc.kind = streamtree::Document::Resource;
        doc.resourceName = ResourceName(*resource);
    } else if (list) {
        doc.kind = streamtree::Document::List;
    }
    return writeOutput(rest[1], streamtree::writeDocument(doc)) ? 0 : 1;
}
}  // namespace

int runStream(const ToolCommand& command, const QStringList& args) {
    // The verb comes first; each parses the words after it.
    const QString verb = args.value(0);
    if (verb == u"dump") return dump(command, args.mid(1));
    if (verb == u"build") return build(command, args.mid(1));
    return usageError(command);
}
