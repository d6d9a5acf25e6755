// corvane-tool macro: expands a text with the program's macro table.
#include "app/DataMain.h"
#include "tools/corvane-tool/Tool.h"

int runMacro(const QStringList& args) {
    TMacroString& macro = toolDataModule().Frame().Macro();
    QStringList rest = args;
    QString text;
    bool haveText = false;
    while (!rest.isEmpty()) {
        const QString a = rest.takeFirst();
        if (a == u"--no-quote-strip") {
            macro.SetStripQuotes(false);
        } else if (a == u"--define") {
            if (rest.isEmpty() || !rest.front().contains(u'=')) {
                err(QStringLiteral("--define には NAME=VALUE を指定してください"));
                return 2;
            }
            const QString def = rest.takeFirst();
            const QString name = def.left(def.indexOf(u'='));
            const int i = macro.IndexOfName(name);
            if (i >= 0)
                macro.Put(i, def);
            else
                macro.Add(def);
        } else if (!haveText) {
            text = a;
            haveText = true;
        } else {
            err(QStringLiteral("展開するテキストは一つだけ指定してください"));
            return 2;
        }
    }
    if (!haveText) {
        err(QStringLiteral("展開するテキストを指定してください"));
        return 2;
    }
    try {
        out(macro.Expand(text));
    } catch (const EMacroString& e) {
        err(e.message());
        return 1;
    }
    return 0;
}
