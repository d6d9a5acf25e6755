// corvane-tool macro: expands a text with the program's macro table.
#include "app/DataMain.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

namespace {
int defineError() {
    err(QStringLiteral("--define には NAME=VALUE を指定してください"));
    return 2;
}
}  // namespace

int runMacro(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption noQuoteStrip(QStringLiteral("no-quote-strip"));
    const QCommandLineOption define(QStringLiteral("define"), QString(),
                                    QStringLiteral("NAME=VALUE"));
    parser.addOptions({noQuoteStrip, define});
    if (!parseCommandLine(parser, command, args)) {
        // A --define at the end has no definition to take.
        if (!args.isEmpty() && args.back() == u"--define") return defineError();
        return usageError(command);
    }
    const QStringList definitions = parser.values(define);
    for (const QString& def : definitions)
        if (!def.contains(u'=')) return defineError();
    const QStringList texts = parser.positionalArguments();
    if (texts.size() > 1) {
        err(QStringLiteral("展開するテキストは一つだけ指定してください"));
        return 2;
    }
    if (texts.isEmpty()) {
        err(QStringLiteral("展開するテキストを指定してください"));
        return 2;
    }

    TMacroString& macro = toolDataModule().Frame().Macro();
    if (parser.isSet(noQuoteStrip)) macro.SetStripQuotes(false);
    for (const QString& def : definitions) {
        const QString name = def.left(def.indexOf(u'='));
        const int i = macro.IndexOfName(name);
        if (i >= 0)
            macro.Put(i, def);
        else
            macro.Add(def);
    }
    try {
        out(macro.Expand(texts[0]));
    } catch (const EMacroString& e) {
        err(e.message());
        return 1;
    }
    return 0;
}
