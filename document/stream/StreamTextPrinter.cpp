#include "document/stream/StreamText.h"
#include "document/stream/StreamTextWords.h"

#include "document/stream/Extended80.h"
#include "document/stream/ValueGrammar.h"
#include "platform/ByteCursor.h"
#include "platform/ShiftJis.h"

#include <QtEndian>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace streamtree {
namespace {

bool isIdentChar(QChar c, bool first) {
    const char16_t u = c.unicode();
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_') return true;
    return !first && ((u >= '0' && u <= '9') || u == '.');
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

// The shortest text that reads back as the same value, always with a point or exponent.
template <class F>
QString shortestNumber(F v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    QString s = QString::fromLatin1(buf, r.ptr - buf);
    if (!s.contains(u'.') && !s.contains(u'e')) s += QStringLiteral(".0");
    return s;
}

QString hexOf(uint64_t v, int digits) {
    return QStringLiteral("0x%1").arg(v, digits, 16, QChar(u'0')).toUpper().replace(u'X', u'x');
}

// The raw bytes of a Single, Date or Extended value; a value holding fewer bytes than its
// code takes fails here instead of being read past its end.
QByteArrayView rawBytes(const QByteArray& raw, qsizetype n) {
    return platform::ByteCursor(raw).take(n);
}

QString printExtended(const QByteArray& raw) {
    const Extended80 e =
        Extended80::fromBytes(reinterpret_cast<const uint8_t*>(rawBytes(raw, 10).data()));
    const double d = e.toDouble();
    if (std::isfinite(d) && e.isDoubleExact()) return shortestNumber(d);
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
            if (smallestIntegerCode(v.integer) == v.code) return QString::number(v.integer);
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
            const uint32_t bits = qFromLittleEndian<uint32_t>(rawBytes(v.bytes, 4).data());
            const float f = std::bit_cast<float>(bits);
            char back[4];
            const float parsed = std::isfinite(f) ? shortestNumber(f).toFloat() : 0.0f;
            std::memcpy(back, &parsed, 4);
            if (std::isfinite(f) && QByteArray(back, 4) == v.bytes)
                return QStringLiteral("single(%1)").arg(shortestNumber(f));
            return QStringLiteral("single(%1)").arg(hexOf(bits, 8));
        }
        case ValueCode::Date: {
            const uint64_t bits = qFromLittleEndian<uint64_t>(rawBytes(v.bytes, 8).data());
            const double d = std::bit_cast<double>(bits);
            if (std::isfinite(d)) return QStringLiteral("date(%1)").arg(shortestNumber(d));
            return QStringLiteral("date(%1)").arg(hexOf(bits, 16));
        }
        case ValueCode::Currency:
            return QStringLiteral("currency(%1)").arg(printCurrency(v.integer));
        case ValueCode::String:
            return quoteBytes(v.bytes);
        case ValueCode::LString:
            // Plain quoted text reads back as LString only when it is too long for String.
            return narrowStringCode(v.bytes.size()) == ValueCode::LString
                       ? quoteBytes(v.bytes)
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

}  // namespace streamtree
