#include "app/frame/MacroString.h"

#include "platform/Format.h"

using platform::format;

QString TMacroString::stripped(const QString& s) const {
    if (stripQuotes_ && s.size() >= 2 && s.front() == u'"' && s.back() == u'"')
        return s.mid(1, s.size() - 2);
    return s;
}

namespace {
// The 1-based position `unit` (in UTF-16 units) counted in characters: a character
// outside the basic plane takes two units but is one character.
qsizetype characterPosition(const QString& text, qsizetype unit) {
    qsizetype pos = unit;
    for (qsizetype i = 0; i + 1 < unit; ++i)
        if (text[i].isLowSurrogate()) --pos;
    return pos;
}
}  // namespace

QString TMacroString::Expand(const QString& text) {
    QString result;
    result.reserve(text.size());
    const qsizetype n = text.size();
    int depth = 0;
    qsizetype open = 0;  // 1-based position of the "(" of the outermost open reference
    for (qsizetype i = 1; i <= n; ++i) {
        const QChar c = text[i - 1];
        if (c == u'$' && i < n && text[i] == u'(') {
            ++depth;
            if (open == 0) open = i + 1;
        }
        if (open == 0) {
            result += c;
        } else if (c == u')') {
            if (--depth == 0) {
                if (i == open + 1)
                    throw EMacroString(
                        format(QStringLiteral("%sの%d文字目から始まるマクロが間違っています"), text,
                               characterPosition(text, open)));
                result += ExpandMacro(text.mid(open, i - open - 1));
                open = 0;
            }
        }
    }
    if (open != 0)
        throw EMacroString(format(QStringLiteral("%sの%d文字目から始まるマクロが閉じていません"),
                                  text, characterPosition(text, open)));
    return stripped(result);
}

QString TMacroString::ExpandMacro(const QString& reference) {
    const QString ref = Expand(reference);
    const qsizetype colon = ref.indexOf(u':');
    const QString name = colon >= 0 ? ref.left(colon) : ref;
    const QString option = colon >= 0 ? ref.mid(colon + 1, 255) : QString();

    for (const QString& active : stack_)
        if (active.compare(name, Qt::CaseInsensitive) == 0)
            throw EMacroString(format(QStringLiteral("%s マクロが循環参照されています"), name));

    // The name stays on the stack only while its value is being expanded.
    struct Pop {
        QStringList& s;
        ~Pop() { s.removeLast(); }
    };
    QString value;
    {
        stack_.append(name);
        Pop pop{stack_};
        value = Values(name);
        const bool optional = option.compare(u"unessential", Qt::CaseInsensitive) == 0 ||
                              option.compare(u"inessential", Qt::CaseInsensitive) == 0;
        if (value.isEmpty() && !optional)
            throw EMacroString(format(QStringLiteral("未定義の%sマクロが使用されています"), name));
        value = stripped(Expand(value));
    }

    if (option.isEmpty() || option.compare(u"unessential", Qt::CaseInsensitive) == 0 ||
        option.compare(u"inessential", Qt::CaseInsensitive) == 0)
        return value;
    if (option.compare(u"Drive", Qt::CaseInsensitive) == 0) return value.left(1);
    if (option.compare(u"shortPath", Qt::CaseInsensitive) == 0)
        return value;  // Linux paths have no short (8.3) form
    throw EMacroString(format(QStringLiteral("未定義のフォーマット指定(%s)が使用されています"), option));
}
