#pragma once
// Helpers shared by the stream tests.

#include "document/stream/Component.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/Stream.h"

#include <QByteArray>
#include <memory>

inline QByteArray streamOf(TComponent& root) {
    TMemoryStream s;
    WriteComponentStream(s, root);
    return s.Data();
}

// Reads a stream into a new object of the stored class.
template <class T = TComponent>
std::unique_ptr<T> readNew(const QByteArray& bytes) {
    TMemoryStream s(bytes);
    std::unique_ptr<TComponent> c(ReadComponentStream(s, nullptr));
    T* t = dynamic_cast<T*>(c.get());
    if (t) c.release();
    return std::unique_ptr<T>(t);
}

// Builds stream bytes by hand: short strings and raw bytes.
struct Bytes {
    QByteArray b;
    Bytes& raw(std::initializer_list<int> bytes) {
        for (int x : bytes) b.append(char(x));
        return *this;
    }
    Bytes& str(const QByteArray& s) {
        b.append(char(s.size()));
        b.append(s);
        return *this;
    }
    Bytes& sig() {
        b.append("TPF0");
        return *this;
    }
    operator QByteArray() const { return b; }
};

inline QByteArray hex(const QByteArray& b) {
    return b.toHex(' ').toUpper();
}
