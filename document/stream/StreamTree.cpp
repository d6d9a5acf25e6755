#include "document/stream/StreamTree.h"

#include "document/Messages.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/Extended80.h"
#include "document/stream/StreamErrors.h"
#include "document/stream/ValueGrammar.h"
#include "platform/ShiftJis.h"

#include <cstring>

namespace streamtree {
namespace {

constexpr int kMaxDepth = 256;

class Cursor {
public:
    Cursor(const QByteArray& b, qsizetype pos) : b_(b), pos_(pos) {}
    qsizetype pos() const { return pos_; }
    qsizetype remaining() const { return b_.size() - pos_; }
    void need(int64_t n) const {
        if (n < 0 || n > remaining()) throwReadError();
    }
    uint8_t byte() {
        need(1);
        return uint8_t(b_[pos_++]);
    }
    uint8_t peek() const {
        need(1);
        return uint8_t(b_[pos_]);
    }
    QByteArray take(int64_t n) {
        need(n);
        QByteArray out = b_.mid(pos_, qsizetype(n));
        pos_ += qsizetype(n);
        return out;
    }
    int64_t le(int bytes) {
        need(bytes);
        uint64_t u = 0;
        for (int i = bytes - 1; i >= 0; --i) u = (u << 8) | uint8_t(b_[pos_ + i]);
        pos_ += bytes;
        // Sign-extend.
        const int shift = 64 - 8 * bytes;
        return shift ? int64_t(u << shift) >> shift : int64_t(u);
    }
    QByteArray shortStr() { return take(byte()); }
    ValueCode code() {
        const uint8_t c = byte();
        if (!isValueCode(c)) throwInvalidFormat();
        return ValueCode(c);
    }
    bool atEnd() const { return peek() == 0; }

private:
    const QByteArray& b_;
    qsizetype pos_;
};

struct Parser {
    Cursor c;
    int depth = 0;

    void enter() {
        if (++depth > kMaxDepth) throwInvalidFormat();
    }

    Value value() {
        Value v;
        v.code = c.code();
        const PayloadShape shape = payloadOf(v.code);
        switch (shape.kind) {
            case Payload::None:  // End is a property value only: the enumeration name "Null"
                break;
            case Payload::Integer:
                v.integer = c.le(shape.size);
                break;
            case Payload::Raw:
                v.bytes = c.take(shape.size);
                break;
            case Payload::ShortBytes:
                v.bytes = c.shortStr();
                break;
            case Payload::LongBytes:
                v.bytes = c.take(c.le(4));
                break;
            case Payload::Utf16: {
                const int64_t n = c.le(4);
                if (n < 0 || n > c.remaining() / 2) throwReadError();
                const QByteArray raw = c.take(n * 2);
                v.wide.resize(qsizetype(n));
                for (qsizetype i = 0; i < n; ++i)
                    v.wide[i] =
                        QChar(char16_t(uint8_t(raw[2 * i]) | (uint8_t(raw[2 * i + 1]) << 8)));
                break;
            }
            case Payload::List:
                enter();
                while (!c.atEnd()) v.list.push_back(value());
                c.byte();
                --depth;
                break;
            case Payload::Names:
                for (QByteArray m = c.shortStr(); !m.isEmpty(); m = c.shortStr()) v.members << m;
                break;
            case Payload::Collection:
                enter();
                while (!c.atEnd()) {
                    Item item;
                    if (isIntegerCode(ValueCode(c.peek()))) item.index = value();
                    if (c.code() != ValueCode::List) throw EReadError(msg::invalidPropertyValue());
                    properties(item.properties);
                    v.items.push_back(std::move(item));
                }
                c.byte();
                --depth;
                break;
        }
        return v;
    }

    void properties(std::vector<Property>& out) {
        while (!c.atEnd()) {
            Property p;
            p.name = c.shortStr();
            p.value = value();
            out.push_back(std::move(p));
        }
        c.byte();
    }

    Entry entry() {
        enter();
        Entry e;
        const uint8_t first = c.peek();
        if ((first & 0xF0) == 0xF0) {
            c.byte();
            e.hasPrefix = true;
            e.flags = first & 0x0F;
            if (e.flags & 2) {
                e.position = value();
                if (!isIntegerCode(e.position->code)) throw EReadError(msg::invalidPropertyValue());
            }
        }
        e.className = c.shortStr();
        e.name = c.shortStr();
        properties(e.properties);
        while (!c.atEnd()) e.children.push_back(entry());
        c.byte();
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
    Parser p{Cursor(bytes, offset)};
    if (p.c.take(4) != QByteArray(kStreamSignature, 4)) throwInvalidFormat();
    Entry e = p.entry();
    offset = p.c.pos();
    return e;
}

namespace {
Document readResource(const QByteArray& bytes) {
    Document doc;
    doc.kind = Document::Resource;
    if (bytes.size() < 3) throwReadError();
    if (uint8_t(bytes[0]) != 0xFF || bytes[1] != 10 || bytes[2] != 0) throwInvalidFormat();
    const qsizetype zero = bytes.indexOf('\0', 3);
    if (zero < 0 || zero > 78) throwInvalidFormat();
    doc.resourceName = bytes.mid(3, zero - 3);
    qsizetype offset = zero + 1 + 2 + 4;
    if (offset > bytes.size()) throwReadError();
    doc.entries.push_back(readStream(bytes, offset));
    return doc;
}

Document readList(const QByteArray& bytes) {
    Document doc;
    doc.kind = Document::List;
    Cursor c(bytes, 0);
    const int64_t count = c.le(4);
    if (count < 0) throwInvalidFormat();
    if (count > c.remaining() / 8) throwReadError();
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
