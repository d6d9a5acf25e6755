#pragma once
// A component stream as a generic tree of entries, properties and values, read and
// written without the class registry. Used to inspect and convert streams whose
// classes may be unknown (corvane-tool stream) and by tests. Values keep their codes
// and raw bytes, so writing a tree reproduces the bytes it was read from.

#include "document/stream/ValueCodes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace streamtree {

struct Item;
struct Property;

struct Value {
    ValueCode code = ValueCode::Nil;
    int64_t integer = 0;  // Int8, Int16, Int32, Int64; Currency as amount x 10000
    // String, LString, Ident, Binary: the stored bytes; Extended (10), Single (4),
    // Date (8): the raw little-endian bytes.
    QByteArray bytes;
    QString wide;               // WString
    std::vector<Value> list;    // List
    QList<QByteArray> members;  // Set
    std::vector<Item> items;    // Collection
};

struct Property {
    QByteArray name;  // path, e.g. "Font.Name"
    Value value;
};

struct Item {
    std::optional<Value> index;  // the optional integer before an item
    std::vector<Property> properties;
};

struct Entry {
    bool hasPrefix = false;
    int flags = 0;                  // low four bits of the prefix byte
    std::optional<Value> position;  // with flag 2
    QByteArray className;
    QByteArray name;
    std::vector<Property> properties;
    std::vector<Entry> children;
};

struct Document {
    enum Kind { Bare, Resource, List };
    Kind kind = Bare;
    QByteArray resourceName;     // Resource: the header's name bytes
    std::vector<Entry> entries;  // Bare and Resource: exactly one
};

// Reads a resource-wrapped stream (first byte 0xFF), a bare stream ("TPF0") or an
// object list (anything else). Fails with the stream framework's messages; trailing
// bytes after a bare or resource stream are ignored.
Document readDocument(const QByteArray& bytes);
// One "TPF0" stream at `offset`, which is advanced past it.
Entry readStream(const QByteArray& bytes, qsizetype& offset);

QByteArray writeDocument(const Document& doc);
QByteArray writeStream(const Entry& root);

// Value constructors choosing the codes the writer chooses.
Value integerValue(int64_t v);           // Int8/16/32, or Int64 beyond 32 bits
Value stringValue(const QString& text);  // String, LString or WString
Value extendedValue(double v);

}  // namespace streamtree
