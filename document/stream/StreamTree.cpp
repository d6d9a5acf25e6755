#include "document/stream/StreamTree.h"

#include "document/Messages.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/Extended80.h"
#include "document/stream/StreamErrors.h"
#include "document/stream/ValueGrammar.h"
#include "platform/ByteCursor.h"
#include "platform/ShiftJis.h"

#include <QtEndian>

namespace streamtree {
namespace {

constexpr int kMaxDepth = 256;

// A cursor over a whole document whose failures are read errors at the offset where
// reading stopped.
platform::ByteCursor cursorOver(const QByteArray& bytes) {
    return platform::ByteCursor(bytes, [](qsizetype at) { throwReadError(at); });
}

[[noreturn]] void invalidValueAt(qsizetype offset) {
    throw EReadError(msg::atStreamOffset(msg::invalidPropertyValue(), offset));
}

struct Parser {
    platform::ByteCursor c;
    int depth = 0;

    void enter() {
        if (++depth > kMaxDepth) throwInvalidFormat(c.position());
    }
    QByteArray take(qsizetype n) { return c.take(n).toByteArray(); }
    QByteArray shortStr() { return take(c.u8()); }
    ValueCode code() {
        const uint8_t b = c.peek();
        if (!isValueCode(b)) throwInvalidFormat(c.position());
        c.skip(1);
        return ValueCode(b);
    }
    // The next byte is an End (or a name's zero length).
    bool endOfList() const { return c.peek() == 0; }

    Value value() {
        Value v;
        v.code = code();
        const PayloadShape shape = payloadOf(v.code);
        switch (shape.kind) {
            case Payload::None:  // End is a property value only: the enumeration name "Null"
                break;
            case Payload::Integer:
                v.integer = c.intle(shape.size);
                break;
            case Payload::Raw:
                v.bytes = take(shape.size);
                break;
            case Payload::ShortBytes:
                v.bytes = shortStr();
                break;
            case Payload::LongBytes:
                v.bytes = take(c.i32le());
                break;
            case Payload::Utf16: {
                const int64_t n = c.i32le();
                if (n < 0 || n > c.remaining() / 2) throwReadError(c.position());
                const QByteArrayView raw = c.take(n * 2);
                v.wide.resize(qsizetype(n));
                for (qsizetype i = 0; i < n; ++i)
                    v.wide[i] = QChar(qFromLittleEndian<uint16_t>(raw.data() + 2 * i));
                break;
            }
            case Payload::List:
                enter();
                while (!endOfList()) v.list.push_back(value());
                c.skip(1);
                --depth;
                break;
            case Payload::Names:
                for (QByteArray m = shortStr(); !m.isEmpty(); m = shortStr()) v.members << m;
                break;
            case Payload::Collection:
                enter();
                while (!endOfList()) {
                    Item item;
                    if (isIntegerCode(ValueCode(c.peek()))) item.index = value();
                    const qsizetype at = c.position();
                    if (code() != ValueCode::List) invalidValueAt(at);
                    properties(item.properties);
                    v.items.push_back(std::move(item));
                }
                c.skip(1);
                --depth;
                break;
        }
        return v;
    }

    void properties(std::vector<Property>& out) {
        while (!endOfList()) {
            Property p;
            p.name = shortStr();
            p.value = value();
            out.push_back(std::move(p));
        }
        c.skip(1);
    }

    Entry entry() {
        enter();
        Entry e;
        const uint8_t first = c.peek();
        if ((first & 0xF0) == 0xF0) {
            c.skip(1);
            e.hasPrefix = true;
            e.flags = first & 0x0F;
            if (e.flags & 2) {
                const qsizetype at = c.position();
                e.position = value();
                if (!isIntegerCode(e.position->code)) invalidValueAt(at);
            }
        }
        e.className = shortStr();
        e.name = shortStr();
        properties(e.properties);
        while (!endOfList()) e.children.push_back(entry());
        c.skip(1);
        --depth;
        return e;
    }
};

void putStr(QByteArray& out, const QByteArray& s) {
    const qsizetype n = std::min<qsizetype>(s.size(), kMaxShortBytes);
    out.append(char(n));
    out.append(s.left(n));
}

void putValue(QByteArray& out, const Value& v);

void putProperties(QByteArray& out, const std::vector<Property>& props) {
    for (const Property& p : props) {
        putStr(out, p.name);
        putValue(out, p.value);
    }
    out.append('\0');
}

void putValue(QByteArray& out, const Value& v) {
    out.append(char(v.code));
    const PayloadShape shape = payloadOf(v.code);
    switch (shape.kind) {
        case Payload::None:
            break;
        case Payload::Integer:
            putLE(out, uint64_t(v.integer), shape.size);
            break;
        case Payload::Raw:
            out.append(v.bytes);
            break;
        case Payload::ShortBytes:
            putStr(out, v.bytes);
            break;
        case Payload::LongBytes:
            putLE(out, uint64_t(v.bytes.size()), 4);
            out.append(v.bytes);
            break;
        case Payload::Utf16:
            putLE(out, uint64_t(v.wide.size()), 4);
            for (QChar ch : v.wide) putLE(out, ch.unicode(), 2);
            break;
        case Payload::List:
            for (const Value& x : v.list) putValue(out, x);
            out.append('\0');
            break;
        case Payload::Names:
            for (const QByteArray& m : v.members) putStr(out, m);
            out.append('\0');
            break;
        case Payload::Collection:
            for (const Item& item : v.items) {
                if (item.index) putValue(out, *item.index);
                out.append(char(ValueCode::List));
                putProperties(out, item.properties);
            }
            out.append('\0');
            break;
    }
}

void putEntry(QByteArray& out, const Entry& e) {
    if (e.hasPrefix) {
        out.append(char(0xF0 | (e.flags & 0x0F)));
        if ((e.flags & 2) && e.position) putValue(out, *e.position);
    }
    putStr(out, e.className);
    putStr(out, e.name);
    putProperties(out, e.properties);
    for (const Entry& child : e.children) putEntry(out, child);
    out.append('\0');
}

}  // namespace

Entry readStream(const QByteArray& bytes, qsizetype& offset) {
    Parser p{cursorOver(bytes)};
    p.c.seek(offset);
    if (p.c.take(4) != QByteArrayView(kStreamSignature, 4)) throwInvalidFormat(offset);
    Entry e = p.entry();
    offset = p.c.position();
    return e;
}

namespace {
Document readResource(const QByteArray& bytes) {
    Document doc;
    doc.kind = Document::Resource;
    platform::ByteCursor c = cursorOver(bytes);
    if (c.take(3) != QByteArrayView("\xFF\x0A\x00", 3)) throwInvalidFormat(0);
    const qsizetype zero = bytes.indexOf('\0', 3);
    if (zero < 0 || zero > 78) throwInvalidFormat(3);
    doc.resourceName = bytes.mid(3, zero - 3);
    c.seek(zero + 1);
    c.skip(2 + 4);  // flags and length
    qsizetype offset = c.position();
    doc.entries.push_back(readStream(bytes, offset));
    return doc;
}

Document readList(const QByteArray& bytes) {
    Document doc;
    doc.kind = Document::List;
    platform::ByteCursor c = cursorOver(bytes);
    const int64_t count = c.i32le();
    if (count < 0) throwInvalidFormat(0);
    if (count > c.remaining() / 8) throwReadError(c.position());
    qsizetype offset = 4;
    for (int64_t i = 0; i < count; ++i) doc.entries.push_back(readStream(bytes, offset));
    return doc;
}
}  // namespace

Document readDocument(const QByteArray& bytes) {
    if (bytes.startsWith(QByteArray(kStreamSignature, 4))) {
        Document doc;
        qsizetype offset = 0;
        doc.entries.push_back(readStream(bytes, offset));
        return doc;
    }
    if (bytes.size() >= 3 && uint8_t(bytes[0]) == 0xFF && bytes[1] == 10 && bytes[2] == 0) {
        // A list whose count's low bytes are FF 0A 00 begins the same way.
        try {
            return readResource(bytes);
        } catch (const Exception&) {
            try {
                return readList(bytes);
            } catch (const Exception&) {
            }
            throw;
        }
    }
    if (!bytes.isEmpty() && uint8_t(bytes[0]) == 0xFF && bytes.size() < 4)
        return readResource(bytes);
    return readList(bytes);
}

QByteArray writeStream(const Entry& root) {
    QByteArray out(kStreamSignature, 4);
    putEntry(out, root);
    return out;
}

QByteArray writeDocument(const Document& doc) {
    QByteArray out;
    switch (doc.kind) {
        case Document::Bare:
            for (const Entry& e : doc.entries) out += writeStream(e);
            break;
        case Document::Resource: {
            const QByteArray body =
                doc.entries.empty() ? QByteArray() : writeStream(doc.entries.front());
            out.append(char(0xFF));
            putLE(out, 10, 2);
            out.append(doc.resourceName.left(63));
            out.append('\0');
            putLE(out, 0x1030, 2);
            putLE(out, uint64_t(body.size()), 4);
            out += body;
            break;
        }
        case Document::List:
            putLE(out, doc.entries.size(), 4);
            for (const Entry& e : doc.entries) out += writeStream(e);
            break;
    }
    return out;
}

Value integerValue(int64_t v) {
    Value out;
    out.integer = v;
    out.code = smallestIntegerCode(v);
    return out;
}

Value stringValue(const QString& text) {
    Value out;
    bool lossless = true;
    out.bytes = platform::toCp932(text, &lossless);
    if (!lossless) {
        out.bytes.clear();
        out.code = ValueCode::WString;
        out.wide = text;
    } else {
        out.code = narrowStringCode(out.bytes.size());
    }
    return out;
}

Value extendedValue(double v) {
    Value out;
    out.code = ValueCode::Extended;
    const Extended80 e = Extended80::fromDouble(v);
    out.bytes = QByteArray(reinterpret_cast<const char*>(e.bytes().data()), 10);
    return out;
}

}  // namespace streamtree
