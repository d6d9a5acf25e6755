#include "document/stream/StreamText.h"
#include "document/stream/StreamTextWords.h"

#include "document/Messages.h"
#include "document/stream/Extended80.h"
#include "document/stream/ValueGrammar.h"
#include "platform/ShiftJis.h"

#include <bit>
#include <charconv>

namespace streamtree {
namespace {

constexpr int kMaxDepth = 256;

enum class Tok { Name, Int, Float, Str, Punct, End };

struct Token {
    Tok kind = Tok::End;
    QString text;      // Name, Int, Float, Punct
    QByteArray bytes;  // Str: CP932 bytes (narrow form)
    QString wide;      // Str: the text (wide form)
    bool wideForm = false;
    bool narrowOk = true;  // every character of the narrow form encodes losslessly
    int line = 1;
};

class Lexer {
public:
    explicit Lexer(const QString& text) : s_(text) {}

    Token next() {
        skipSpace();
        Token t;
        t.line = line_;
        if (i_ >= s_.size()) return t;
        const QChar c = s_[i_];
        if (c == u'\'' || c == u'#' ||
            ((c == u'w') && i_ + 1 < s_.size() && (s_[i_ + 1] == u'\'' || s_[i_ + 1] == u'#'))) {
            return string(t);
        }
        if (c.isDigit() || ((c == u'-' || c == u'+') && i_ + 1 < s_.size() && s_[i_ + 1].isDigit()))
            return number(t);
        if (QStringView(u"=:()[]<>{},").contains(c)) {
            t.kind = Tok::Punct;
            t.text = c;
            ++i_;
            return t;
        }
        t.kind = Tok::Name;
        while (i_ < s_.size() && !s_[i_].isSpace() &&
               !QStringView(u"=:()[]<>{},'#").contains(s_[i_]))
            t.text += s_[i_++];
        if (t.text.isEmpty())
            fail(line_, QStringLiteral("解釈できない文字 '%1' があります").arg(c));
        return t;
    }

    // The raw text up to `close` (for hex blobs).
    QString until(QChar close, int line) {
        QString out;
        while (i_ < s_.size() && s_[i_] != close) {
            if (s_[i_] == u'\n') ++line_;
            out += s_[i_++];
        }
        if (i_ >= s_.size()) fail(line, msg::missingCharacter(close));
        ++i_;
        return out;
    }

    [[noreturn]] static void fail(int line, const QString& what) {
        throw EStreamTextError(QStringLiteral("%1 行目: %2").arg(line).arg(what));
    }

private:
    void skipSpace() {
        while (i_ < s_.size() && s_[i_].isSpace()) {
            if (s_[i_] == u'\n') ++line_;
            ++i_;
        }
    }

    Token string(Token& t) {
        t.kind = Tok::Str;
        if (s_[i_] == u'w') {
            t.wideForm = true;
            ++i_;
        }
        QString run;  // pending quoted text of the narrow form
        auto flush = [&] {
            if (run.isEmpty()) return;
            bool lossless = true;
            t.bytes += platform::toCp932(run, &lossless);
            if (!lossless) t.narrowOk = false;
            run.clear();
        };
        bool any = false;
        while (i_ < s_.size()) {
            if (s_[i_] == u'\'') {
                any = true;
                ++i_;
                for (;;) {
                    if (i_ >= s_.size() || s_[i_] == u'\n')
                        fail(t.line, QStringLiteral("文字列が閉じていません"));
                    if (s_[i_] == u'\'') {
                        if (i_ + 1 < s_.size() && s_[i_ + 1] == u'\'') {
                            run += u'\'';
                            t.wide += u'\'';
                            i_ += 2;
                            continue;
                        }
                        ++i_;
                        break;
                    }
                    run += s_[i_];
                    t.wide += s_[i_];
                    ++i_;
                }
            } else if (s_[i_] == u'#') {
                any = true;
                ++i_;
                qsizetype start = i_;
                while (i_ < s_.size() && s_[i_].isDigit()) ++i_;
                bool ok = false;
                const uint n = QStringView(s_).mid(start, i_ - start).toUInt(&ok);
                if (!ok || n > (t.wideForm ? 0xFFFFu : 0xFFu))
                    fail(t.line, QStringLiteral("#の後の文字コードが不正です"));
                flush();
                t.bytes += char(n);
                t.wide += QChar(char16_t(n));
            } else {
                break;
            }
        }
        flush();
        if (!any) fail(t.line, msg::missingString());
        return t;
    }

    Token number(Token& t) {
        const qsizetype start = i_;
        if (s_[i_] == u'-' || s_[i_] == u'+') ++i_;
        bool isFloat = false;
        while (i_ < s_.size()) {
            const QChar c = s_[i_];
            if (c.isDigit()) {
                ++i_;
            } else if (c == u'.' || c == u'e' || c == u'E') {
                isFloat = true;
                ++i_;
                if ((c == u'e' || c == u'E') && i_ < s_.size() &&
                    (s_[i_] == u'-' || s_[i_] == u'+'))
                    ++i_;
            } else if (c == u'x' || c == u'X' || (c >= u'a' && c <= u'f') ||
                       (c >= u'A' && c <= u'F')) {
                ++i_;  // hex forms inside ext(..) and friends
            } else {
                break;
            }
        }
        t.text = s_.mid(start, i_ - start);
        t.kind = isFloat && !t.text.contains(u'x') ? Tok::Float : Tok::Int;
        return t;
    }

    const QString& s_;
    qsizetype i_ = 0;
    int line_ = 1;
};

class TextParser {
public:
    explicit TextParser(const QString& text) : lex_(text) { advance(); }

    Document document() {
        Document doc;
        if (isName(u"resource")) {
            advance();
            doc.kind = Document::Resource;
            doc.resourceName = nameBytes();
            if (doc.resourceName.size() > 63) fail(QStringLiteral("リソース名は63バイトまでです"));
            doc.entries.push_back(entry());
        } else if (isName(u"list")) {
            advance();
            doc.kind = Document::List;
            if (tok_.kind != Tok::Int) fail(QStringLiteral("個数がありません"));
            const qint64 n = parseInt(tok_.text);
            advance();
            if (n < 0 || n > 1000000) fail(QStringLiteral("個数が不正です"));
            for (qint64 k = 0; k < n; ++k) doc.entries.push_back(entry());
        } else {
            doc.entries.push_back(entry());
        }
        if (tok_.kind != Tok::End) fail(QStringLiteral("余分な記述があります"));
        return doc;
    }

private:
    [[noreturn]] void fail(const QString& what) const { Lexer::fail(tok_.line, what); }
    void advance() { tok_ = lex_.next(); }
    bool isName(QStringView s) const { return tok_.kind == Tok::Name && tok_.text == s; }
    bool isPunct(char16_t c) const {
        return tok_.kind == Tok::Punct && tok_.text.size() == 1 && tok_.text[0] == c;
    }
    void expect(char16_t c) {
        if (!isPunct(c)) fail(msg::missingCharacter(QChar(c)));
        advance();
    }

    qint64 parseInt(const QString& s) const {
        bool ok = false;
        const qsizetype x = s.indexOf(u'x', 0, Qt::CaseInsensitive);
        const qint64 v = x < 0 ? s.toLongLong(&ok, 10) : qint64(s.mid(x + 1).toULongLong(&ok, 16));
        if (!ok) fail(msg::invalidNumber(s));
        return v;
    }

    QByteArray nameBytes() {
        if (tok_.kind == Tok::Name) {
            bool lossless = true;
            QByteArray b = platform::toCp932(tok_.text, &lossless);
            if (!lossless) fail(QStringLiteral("名前 %1 はシフトJISで表せません").arg(tok_.text));
            if (b.size() > 255) fail(msg::nameTooLong());
            advance();
            return b;
        }
        if (tok_.kind == Tok::Str && !tok_.wideForm) {
            if (!tok_.narrowOk) fail(QStringLiteral("名前はシフトJISで表せません"));
            if (tok_.bytes.size() > 255) fail(msg::nameTooLong());
            QByteArray b = tok_.bytes;
            advance();
            return b;
        }
        fail(QStringLiteral("名前がありません"));
    }

    void enter() {
        if (++depth_ > kMaxDepth) fail(QStringLiteral("入れ子が深すぎます"));
    }

    Entry entry() {
        enter();
        if (!isName(u"object")) fail(QStringLiteral("object がありません"));
        advance();
        Entry e;
        QByteArray first = nameBytes();
        if (isPunct(u':')) {
            advance();
            e.name = first;
            e.className = nameBytes();
        } else {
            e.className = first;
        }
        if (isName(u"prefix")) {
            advance();
            expect(u'(');
            if (tok_.kind != Tok::Int) fail(QStringLiteral("フラグがありません"));
            e.hasPrefix = true;
            e.flags = int(parseInt(tok_.text)) & 0x0F;
            advance();
            if (isPunct(u',')) {
                advance();
                e.position = value();
            }
            expect(u')');
            if (bool(e.flags & 2) != e.position.has_value())
                fail(
                    QStringLiteral("フラグ 2 には子の位置を、位置にはフラグ 2 を指定してください"));
        }
        properties(e.properties, false);
        while (isName(u"object")) e.children.push_back(entry());
        if (!isName(u"end")) fail(msg::missingEnd());
        advance();
        --depth_;
        return e;
    }

    // Properties up to the next "object" or "end".
    void properties(std::vector<Property>& out, bool inItem) {
        for (;;) {
            if (tok_.kind == Tok::End) fail(msg::missingEnd());
            if (isName(u"end")) return;
            if (!inItem && isName(u"object")) return;
            Property p;
            p.name = nameBytes();
            expect(u'=');
            p.value = value();
            out.push_back(std::move(p));
        }
    }

    Value call(const QString& fn) {
        // fn '(' ... ')'
        expect(u'(');
        Value v;
        if (fn == u"ext" || fn == u"single" || fn == u"date" || fn == u"int64" || fn == u"int8" ||
            fn == u"int16" || fn == u"int32" || fn == u"currency") {
            if (tok_.kind != Tok::Int && tok_.kind != Tok::Float)
                fail(QStringLiteral("数値がありません"));
            const QString num = tok_.text;
            const bool isHex = num.contains(u'x') || num.contains(u'X');
            advance();
            if (fn == u"ext") {
                if (isHex) {
                    QString h = num.mid(num.indexOf(u'x') + 1);
                    if (h.size() != 20) fail(QStringLiteral("ext の16進数は20桁で書いてください"));
                    bool ok1 = false, ok2 = false;
                    const uint top = h.left(4).toUInt(&ok1, 16);
                    const qulonglong sig = h.mid(4).toULongLong(&ok2, 16);
                    if (!ok1 || !ok2) fail(msg::invalidHex());
                    const Extended80 e =
                        Extended80::fromParts((top & 0x8000) != 0, uint16_t(top & 0x7FFF), sig);
                    v.code = ValueCode::Extended;
                    v.bytes = QByteArray(reinterpret_cast<const char*>(e.bytes().data()), 10);
                } else {
                    v = extendedValue(parseDouble(num));
                }
            } else if (fn == u"single") {
                v.code = ValueCode::Single;
                uint32_t bits = 0;
                if (isHex) {
                    bits = uint32_t(parseInt(num));
                } else {
                    bool ok = false;
                    const float f = num.toFloat(&ok);
                    if (!ok) fail(msg::invalidNumber(num));
                    bits = std::bit_cast<uint32_t>(f);
                }
                putLE(v.bytes, bits, 4);
            } else if (fn == u"date") {
                v.code = ValueCode::Date;
                const uint64_t bits =
                    isHex ? uint64_t(parseHex64(num)) : std::bit_cast<uint64_t>(parseDouble(num));
                putLE(v.bytes, bits, 8);
            } else if (fn == u"currency") {
                v.code = ValueCode::Currency;
                v.integer = parseCurrency(num);
            } else {
                const qint64 n = parseInt(num);
                v.integer = n;
                if (fn == u"int64") v.code = ValueCode::Int64;
                if (fn == u"int8") v.code = ValueCode::Int8;
                if (fn == u"int16") v.code = ValueCode::Int16;
                if (fn == u"int32") v.code = ValueCode::Int32;
                if (payloadOf(smallestIntegerCode(n)).size > payloadOf(v.code).size)
                    fail(QStringLiteral("%1 に収まらない値です").arg(fn));
            }
        } else if (fn == u"lstring" || fn == u"ident") {
            if (tok_.kind != Tok::Str || tok_.wideForm) fail(msg::missingString());
            if (!tok_.narrowOk) fail(QStringLiteral("シフトJISで表せない文字があります"));
            v.code = fn == u"ident" ? ValueCode::Ident : ValueCode::LString;
            v.bytes = tok_.bytes;
            if (v.code == ValueCode::Ident && v.bytes.size() > 255)
                fail(QStringLiteral("識別子が長すぎます"));
            advance();
        } else {
            fail(QStringLiteral("不明な値の形式 %1 です").arg(fn));
        }
        expect(u')');
        return v;
    }

    double parseDouble(const QString& s) const {
        const QByteArray a = s.toLatin1();
        double d = 0;
        const auto r = std::from_chars(a.constData(), a.constData() + a.size(), d);
        if (r.ec != std::errc() || r.ptr != a.constData() + a.size()) fail(msg::invalidNumber(s));
        return d;
    }

    qint64 parseHex64(const QString& s) const {
        bool ok = false;
        const qulonglong v = s.mid(s.indexOf(u'x') + 1).toULongLong(&ok, 16);
        if (!ok) fail(msg::invalidHex());
        return qint64(v);
    }

    qint64 parseCurrency(const QString& s) const {
        const qsizetype dot = s.indexOf(u'.');
        const QString whole = dot < 0 ? s : s.left(dot);
        QString frac = dot < 0 ? QString() : s.mid(dot + 1);
        if (frac.size() > 4) fail(QStringLiteral("通貨の小数は4桁までです"));
        while (frac.size() < 4) frac += u'0';
        const bool neg = whole.startsWith(u'-');
        bool ok1 = false, ok2 = false;
        const qulonglong w = QString(whole).remove(u'-').remove(u'+').toULongLong(&ok1);
        const qulonglong f = frac.toULongLong(&ok2);
        const qulonglong limit = neg ? (qulonglong(1) << 63) : qulonglong(INT64_MAX);
        if (!ok1 || !ok2 || w > limit / 10000 || w * 10000 > limit - f) fail(msg::invalidNumber(s));
        const qulonglong v = w * 10000 + f;
        return neg ? qint64(qulonglong(0) - v) : qint64(v);
    }

    // `inList`: End cannot be an element there, since it closes the list.
    Value value(bool inList = false) {
        enter();
        Value v;
        switch (tok_.kind) {
            case Tok::Int: {
                const qint64 n = parseInt(tok_.text);
                if (n < INT32_MIN || n > INT32_MAX)
                    fail(QStringLiteral("32ビットに収まらない整数は int64(..) で書いてください"));
                v = integerValue(n);
                advance();
                break;
            }
            case Tok::Float:
                v = extendedValue(parseDouble(tok_.text));
                advance();
                break;
            case Tok::Str:
                if (tok_.wideForm) {
                    v.code = ValueCode::WString;
                    v.wide = tok_.wide;
                } else if (!tok_.narrowOk) {
                    v = stringValue(tok_.wide);
                } else {
                    v.bytes = tok_.bytes;
                    v.code = narrowStringCode(v.bytes.size());
                }
                advance();
                break;
            case Tok::Name: {
                const QString name = tok_.text;
                const int line = tok_.line;
                advance();
                if (isPunct(u'(')) {
                    v = call(name);
                } else if (name == u"True") {
                    v.code = ValueCode::True;
                } else if (name == u"False") {
                    v.code = ValueCode::False;
                } else if (name == u"nil") {
                    v.code = ValueCode::Nil;
                } else if (name == u"Null" && !inList) {
                    v.code = ValueCode::End;  // read as the enumeration name "Null"
                } else if (isStructureWord(name)) {
                    Lexer::fail(line, msg::missingValue());
                } else {
                    v.code = ValueCode::Ident;
                    bool lossless = true;
                    v.bytes = platform::toCp932(name, &lossless);
                    if (!lossless || v.bytes.size() > 255)
                        fail(QStringLiteral("識別子 %1 が不正です").arg(name));
                }
                break;
            }
            case Tok::Punct:
                if (isPunct(u'(')) {
                    advance();
                    v.code = ValueCode::List;
                    while (!isPunct(u')')) {
                        if (tok_.kind == Tok::End) fail(QStringLiteral("')' がありません"));
                        v.list.push_back(value(true));
                    }
                    advance();
                } else if (isPunct(u'[')) {
                    advance();
                    v.code = ValueCode::Set;
                    while (!isPunct(u']')) {
                        QByteArray m = nameBytes();
                        if (m.isEmpty()) fail(QStringLiteral("空の要素名は書けません"));
                        v.members << m;
                        if (isPunct(u','))
                            advance();
                        else if (!isPunct(u']'))
                            fail(QStringLiteral("']' がありません"));
                    }
                    advance();
                } else if (isPunct(u'{')) {
                    const int line = tok_.line;
                    QString hexText = lex_.until(u'}', line);
                    QByteArray compact;
                    for (QChar c : hexText) {
                        if (c.isSpace()) continue;
                        if (!isxdigit(c.toLatin1())) Lexer::fail(line, msg::invalidHex());
                        compact += c.toLatin1();
                    }
                    if (compact.size() % 2)
                        Lexer::fail(line, QStringLiteral("16進数の桁数が奇数です"));
                    v.code = ValueCode::Binary;
                    v.bytes = QByteArray::fromHex(compact);
                    advance();
                } else if (isPunct(u'<')) {
                    advance();
                    v.code = ValueCode::Collection;
                    while (!isPunct(u'>')) {
                        if (!isName(u"item")) fail(QStringLiteral("item がありません"));
                        advance();
                        Item item;
                        if (isPunct(u'[')) {
                            advance();
                            item.index = value();
                            if (!isIntegerCode(item.index->code))
                                fail(QStringLiteral("項目番号は整数です"));
                            expect(u']');
                        }
                        properties(item.properties, true);
                        advance();  // end
                        v.items.push_back(std::move(item));
                    }
                    advance();
                } else {
                    fail(msg::missingValue());
                }
                break;
            case Tok::End:
                fail(msg::missingValue());
        }
        --depth_;
        return v;
    }

    Lexer lex_;
    Token tok_;
    int depth_ = 0;
};

}  // namespace

Document parseDocument(const QString& text) {
    return TextParser(text).document();
}

}  // namespace streamtree
