#include "document/stream/StreamText.h"

#include "document/Messages.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/Extended80.h"
#include "platform/Format.h"
#include "platform/ShiftJis.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace streamtree {
namespace {

constexpr int kMaxDepth = 256;

// ---- printing ----

bool isIdentChar(QChar c, bool first) {
    const char16_t u = c.unicode();
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_') return true;
    return !first && ((u >= '0' && u <= '9') || u == '.');
}

// Words of the text form's own structure; a stored name spelled so is quoted.
bool isStructureWord(const QString& s) {
    static const QStringList words{"object", "end", "item", "resource", "list", "prefix"};
    return words.contains(s);
}

bool isBareIdent(const QString& s) {
    if (s.isEmpty()) return false;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (!isIdentChar(s[i], i == 0)) return false;
    return !isStructureWord(s) && s != u"True" && s != u"False" && s != u"nil" && s != u"Null";
}

// A CP932 byte string as quoted runs and #N bytes. Characters that do not decode and
// encode back to the same bytes, and control characters, become #N.
QString quoteBytes(const QByteArray& bytes) {
    QString out;
    bool inQuote = false;
    auto open = [&] {
        if (!inQuote) out += u'\'';
        inQuote = true;
    };
    auto close = [&] {
        if (inQuote) out += u'\'';
        inQuote = false;
    };
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = uint8_t(bytes[i]);
        const qsizetype len =
            ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < bytes.size() ? 2 : 1;
        const QByteArray chunk = bytes.mid(i, len);
        const QString decoded = platform::fromCp932(chunk);
        bool lossless = false;
        const bool printable =
            decoded.size() >= 1 && decoded != QStringLiteral("\uFFFD") &&
            platform::toCp932(decoded, &lossless) == chunk && lossless &&
            !(decoded.size() == 1 && (decoded[0].unicode() < 0x20 || decoded[0].unicode() == 0x7F));
        if (printable) {
            open();
            out += decoded == u"'" ? QStringLiteral("''") : decoded;
            i += len;
        } else {
            close();
            out += u'#' + QString::number(b);
            i += 1;
        }
    }
    close();
    if (out.isEmpty()) out = QStringLiteral("''");
    return out;
}

QString quoteWide(const QString& text) {
    QString out;
    bool inQuote = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        // A valid surrogate pair is one printable character.
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const bool printable = pair || (u >= 0x20 && u != 0x7F && !c.isSurrogate() && u != 0xFFFD);
        if (printable) {
            if (!inQuote) out += u'\'';
            inQuote = true;
            if (pair) {
                out += c;
                out += text[++i];
            } else {
                out += c == u'\'' ? QStringLiteral("''") : QString(c);
            }
        } else {
            if (inQuote) out += u'\'';
            inQuote = false;
            out += u'#' + QString::number(u);
        }
    }
    if (inQuote) out += u'\'';
    if (out.isEmpty()) out = QStringLiteral("''");
    return out;
}

// A name as stored: bare when that reads back the same, else quoted.
QString printName(const QByteArray& bytes) {
    const QString s = platform::fromCp932(bytes);
    bool lossless = false;
    if (isBareIdent(s) && platform::toCp932(s, &lossless) == bytes && lossless) return s;
    return quoteBytes(bytes);
}

QString shortestDouble(double d) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    QString s = QString::fromLatin1(buf, r.ptr - buf);
    if (!s.contains(u'.') && !s.contains(u'e')) s += QStringLiteral(".0");
    return s;
}

QString shortestFloat(float f) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, f);
    QString s = QString::fromLatin1(buf, r.ptr - buf);
    if (!s.contains(u'.') && !s.contains(u'e')) s += QStringLiteral(".0");
    return s;
}

QString hexOf(uint64_t v, int digits) {
    return QStringLiteral("0x%1").arg(v, digits, 16, QChar(u'0')).toUpper().replace(u'X', u'x');
}

uint64_t leBytes(const QByteArray& b) {
    uint64_t u = 0;
    for (qsizetype i = b.size(); i-- > 0;) u = (u << 8) | uint8_t(b[i]);
    return u;
}

QString printExtended(const QByteArray& raw) {
    const Extended80 e = Extended80::fromBytes(reinterpret_cast<const uint8_t*>(raw.constData()));
    const double d = e.toDouble();
    if (std::isfinite(d) && e.isDoubleExact()) return shortestDouble(d);
    const uint16_t top = uint16_t(e.exponent() | (e.negative() ? 0x8000 : 0));
    return QStringLiteral("ext(0x%1%2)")
        .arg(top, 4, 16, QChar(u'0'))
        .arg(e.significand(), 16, 16, QChar(u'0'))
        .toUpper()
        .replace(QStringLiteral("EXT(0X"), QStringLiteral("ext(0x"));
}

QString printCurrency(int64_t v) {
    const bool neg = v < 0;
    const uint64_t a = neg ? uint64_t(0) - uint64_t(v) : uint64_t(v);
    QString s = QString::number(a / 10000);
    const uint64_t frac = a % 10000;
    if (frac) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QChar(u'0'));
        while (f.endsWith(u'0')) f.chop(1);
        s += u'.' + f;
    }
    return (neg ? QStringLiteral("-") : QString()) + s;
}

void printProperties(QString& out, const std::vector<Property>& props, int indent);

QString printValueAt(const Value& v, int indent) {
    switch (v.code) {
        case ValueCode::End:
            return QStringLiteral("Null");
        case ValueCode::List: {
            QStringList parts;
            for (const Value& x : v.list) parts << printValueAt(x, indent);
            return u'(' + parts.join(u' ') + u')';
        }
        case ValueCode::Int8:
        case ValueCode::Int16:
        case ValueCode::Int32: {
            const ValueCode natural = integerValue(v.integer).code;
            if (natural == v.code) return QString::number(v.integer);
            const char* fn = v.code == ValueCode::Int8    ? "int8"
                             : v.code == ValueCode::Int16 ? "int16"
                                                          : "int32";
            return QStringLiteral("%1(%2)").arg(QLatin1StringView(fn)).arg(v.integer);
        }
        case ValueCode::Int64:
            return QStringLiteral("int64(%1)").arg(v.integer);
        case ValueCode::Extended:
            return printExtended(v.bytes);
        case ValueCode::Single: {
            const float f = std::bit_cast<float>(uint32_t(leBytes(v.bytes)));
            char back[4];
            const float parsed = std::isfinite(f) ? shortestFloat(f).toFloat() : 0.0f;
            std::memcpy(back, &parsed, 4);
            if (std::isfinite(f) && QByteArray(back, 4) == v.bytes)
                return QStringLiteral("single(%1)").arg(shortestFloat(f));
            return QStringLiteral("single(%1)").arg(hexOf(leBytes(v.bytes), 8));
        }
        case ValueCode::Date: {
            const uint64_t bits = leBytes(v.bytes);
            const double d = std::bit_cast<double>(bits);
            if (std::isfinite(d)) return QStringLiteral("date(%1)").arg(shortestDouble(d));
            return QStringLiteral("date(%1)").arg(hexOf(bits, 16));
        }
        case ValueCode::Currency:
            return QStringLiteral("currency(%1)").arg(printCurrency(v.integer));
        case ValueCode::String:
            return quoteBytes(v.bytes);
        case ValueCode::LString:
            return v.bytes.size() > 255 ? quoteBytes(v.bytes)
                                        : QStringLiteral("lstring(%1)").arg(quoteBytes(v.bytes));
        case ValueCode::WString:
            return u'w' + quoteWide(v.wide);
        case ValueCode::Ident: {
            const QString s = platform::fromCp932(v.bytes);
            bool lossless = false;
            if (isBareIdent(s) && platform::toCp932(s, &lossless) == v.bytes && lossless) return s;
            return QStringLiteral("ident(%1)").arg(quoteBytes(v.bytes));
        }
        case ValueCode::False:
            return QStringLiteral("False");
        case ValueCode::True:
            return QStringLiteral("True");
        case ValueCode::Nil:
            return QStringLiteral("nil");
        case ValueCode::Binary:
            return u'{' + QString::fromLatin1(v.bytes.toHex().toUpper()) + u'}';
        case ValueCode::Set: {
            QStringList names;
            for (const QByteArray& m : v.members) names << printName(m);
            return u'[' + names.join(QStringLiteral(", ")) + u']';
        }
        case ValueCode::Collection: {
            if (v.items.empty()) return QStringLiteral("<>");
            QString out = QStringLiteral("<");
            const QString pad(2 * (indent + 1), u' ');
            for (const Item& item : v.items) {
                out += u'\n' + pad + QStringLiteral("item");
                if (item.index)
                    out += QStringLiteral(" [%1]").arg(printValueAt(*item.index, indent));
                out += u'\n';
                printProperties(out, item.properties, indent + 2);
                out += pad + QStringLiteral("end");
            }
            return out + u'>';
        }
    }
    return {};
}

void printProperties(QString& out, const std::vector<Property>& props, int indent) {
    const QString pad(2 * indent, u' ');
    for (const Property& p : props)
        out +=
            pad + printName(p.name) + QStringLiteral(" = ") + printValueAt(p.value, indent) + u'\n';
}

void printEntry(QString& out, const Entry& e, int indent) {
    const QString pad(2 * indent, u' ');
    out += pad + QStringLiteral("object ");
    if (!e.name.isEmpty()) out += printName(e.name) + QStringLiteral(": ");
    out += printName(e.className);
    if (e.hasPrefix) {
        out += QStringLiteral(" prefix(%1").arg(e.flags);
        if (e.position) out += QStringLiteral(", ") + printValueAt(*e.position, indent);
        out += u')';
    }
    out += u'\n';
    printProperties(out, e.properties, indent + 1);
    for (const Entry& c : e.children) printEntry(out, c, indent + 1);
    out += pad + QStringLiteral("end\n");
}

// ---- parsing ----

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
                for (int k = 0; k < 4; ++k) v.bytes.append(char(bits >> (8 * k)));
            } else if (fn == u"date") {
                v.code = ValueCode::Date;
                const uint64_t bits =
                    isHex ? uint64_t(parseHex64(num)) : std::bit_cast<uint64_t>(parseDouble(num));
                for (int k = 0; k < 8; ++k) v.bytes.append(char(bits >> (8 * k)));
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
                const Value natural = integerValue(n);
                if (v.code != ValueCode::Int64 && int(natural.code) > int(v.code))
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
                    v.code = v.bytes.size() <= 255 ? ValueCode::String : ValueCode::LString;
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
                            const ValueCode k = item.index->code;
                            if (k != ValueCode::Int8 && k != ValueCode::Int16 &&
                                k != ValueCode::Int32)
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

QString printValue(const Value& v) {
    return printValueAt(v, 0);
}

QString printDocument(const Document& doc) {
    QString out;
    if (doc.kind == Document::Resource)
        out += QStringLiteral("resource ") + printName(doc.resourceName) + u'\n';
    if (doc.kind == Document::List) out += QStringLiteral("list %1\n").arg(doc.entries.size());
    for (const Entry& e : doc.entries) printEntry(out, e, 0);
    return out;
}

Document parseDocument(const QString& text) {
    return TextParser(text).document();
}

}  // namespace streamtree
