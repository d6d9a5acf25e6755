#include "document/stream/Writer.h"

#include "document/Messages.h"
#include "document/stream/Collection.h"
#include "document/stream/Component.h"
#include "document/stream/Encoding.h"
#include "document/stream/IdentMaps.h"
#include "document/stream/References.h"
#include "document/stream/Stream.h"
#include "document/stream/StreamErrors.h"
#include "document/stream/ValueGrammar.h"

#include <QtEndian>
#include <cstring>

namespace {
// Nested objects deeper than this are a cycle, not data.
constexpr int kMaxDepth = 256;
}  // namespace

TWriter::TWriter(TStream& stream, int bufferSize)
    : TFiler(stream), buffer_(size_t(std::max(bufferSize, 16))) {}

void TWriter::FlushBuffer() {
    if (used_ == 0) return;
    const size_t n = used_;
    used_ = 0;
    stream_.WriteBuffer(buffer_.data(), int64_t(n));
}

int64_t TWriter::Position() const {
    return stream_.Position() + int64_t(used_);
}

void TWriter::Write(const void* data, int64_t count) {
    const char* p = static_cast<const char*>(data);
    while (count > 0) {
        if (used_ == buffer_.size()) FlushBuffer();
        const size_t n = std::min<size_t>(size_t(count), buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, p, n);
        used_ += n;
        p += n;
        count -= int64_t(n);
    }
}

template <class T>
void TWriter::writeLE(T value) {
    const T le = qToLittleEndian(value);
    Write(&le, sizeof(T));
}

void TWriter::WriteValue(ValueCode code) {
    const char c = char(code);
    Write(&c, 1);
}

void TWriter::WriteInteger(int32_t value) {
    const ValueCode code = smallestIntegerCode(value);
    WriteValue(code);
    // The low bytes of the little-endian form are the value in the smaller sizes.
    const int32_t le = qToLittleEndian(value);
    Write(&le, payloadOf(code).size);
}

void TWriter::WriteBoolean(bool value) {
    WriteValue(value ? ValueCode::True : ValueCode::False);
}

void TWriter::WriteString(const QString& value) {
    bool lossless = true;
    const QByteArray bytes = encodeStored(value, &lossless);
    if (!lossless) {
        WriteValue(ValueCode::WString);
        writeLE<int32_t>(int32_t(value.size()));
        for (QChar c : value) writeLE<uint16_t>(c.unicode());
    } else if (narrowStringCode(bytes.size()) == ValueCode::String) {
        WriteValue(ValueCode::String);
        WriteStr(bytes);
    } else {
        WriteValue(ValueCode::LString);
        writeLE<int32_t>(int32_t(bytes.size()));
        Write(bytes.constData(), bytes.size());
    }
}

void TWriter::WriteIdent(const QString& ident) {
    WriteValue(ValueCode::Ident);
    WriteStr(encodeStored(ident));
}

void TWriter::WriteFloat(const Extended80& value) {
    WriteValue(ValueCode::Extended);
    Write(value.bytes().data(), 10);
}

void TWriter::WriteBinary(const QByteArray& bytes) {
    WriteValue(ValueCode::Binary);
    writeLE<int32_t>(int32_t(bytes.size()));
    Write(bytes.constData(), bytes.size());
}

void TWriter::WriteStr(const QByteArray& bytes) {
    // A short string holds at most kMaxShortBytes bytes; a longer one is cut at the last
    // whole character (a Shift-JIS lead byte takes its trail byte with it).
    int n = 0;
    while (n < bytes.size()) {
        const auto b = uchar(bytes[n]);
        const int width = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
        if (n + width > kMaxShortBytes) break;
        n += width;
    }
    n = int(std::min<qsizetype>(n, bytes.size()));
    const unsigned char len = (unsigned char)n;
    Write(&len, 1);
    Write(bytes.constData(), n);
}

void TWriter::writePropName(const QString& name) {
    WriteStr(encodeStored(path_ + name));
}

void TWriter::WriteSignature() {
    Write(kStreamSignature, 4);
}

void TWriter::WriteRootComponent(TComponent& root) {
    root_ = &root;
    WriteComponent(root);
}

void TWriter::WriteComponent(TComponent& component) {
    if (++depth_ > kMaxDepth) throwWriteError();
    WriteStr(encodeStored(component.ClassName()));
    WriteStr(encodeStored(component.Name()));
    const QString savedPath = path_;
    path_.clear();
    WriteProperties(component);
    path_ = savedPath;
    WriteListEnd();
    component.EnumStreamChildren([this](TComponent& child) { WriteComponent(child); });
    WriteListEnd();
    --depth_;
}

void TWriter::WriteProperties(const TPersistent& instance) {
    if (++depth_ > kMaxDepth) throwWriteError();
    for (const PropInfo& p : instance.Properties().entries()) {
        if (!p.hasGetter() || !p.hasSetter() || !p.isStored(instance)) continue;
        writeProperty(instance, p);
    }
    const_cast<TPersistent&>(instance).DefineCustomProperties(*this);
    --depth_;
}

void TWriter::writeProperty(const TPersistent& instance, const PropInfo& p) {
    switch (p.kind) {
        case PropKind::Integer: {
            const int32_t v = p.getOrd(instance);
            if (v == p.defaultValue) return;
            writePropName(p.name);
            if (p.idents) {
                if (const auto name = p.idents->nameOf(v)) return WriteIdent(*name);
            }
            return WriteInteger(v);
        }
        case PropKind::Char: {
            const int32_t v = p.getOrd(instance);
            if (v == p.defaultValue) return;
            writePropName(p.name);
            WriteValue(ValueCode::String);
            return WriteStr(QByteArray(1, char(v & 0xFF)));
        }
        case PropKind::Enumeration: {
            const int32_t v = p.getOrd(instance);
            if (v == p.defaultValue) return;
            if (p.enumType->boolean) {
                writePropName(p.name);
                return WriteBoolean(v != 0);
            }
            if (v < 0 || v >= p.enumType->values.size())
                throw EWriteError(msg::invalidPropertyValue());
            writePropName(p.name);
            return WriteIdent(p.enumType->values[v]);
        }
        case PropKind::Set: {
            const int32_t v = p.getOrd(instance);
            if (v == p.defaultValue) return;
            writePropName(p.name);
            WriteValue(ValueCode::Set);
            const auto mask = uint32_t(v);
            for (int i = 0; i < 32 && i < p.enumType->values.size(); ++i)
                if (mask & (uint32_t(1) << i)) WriteStr(encodeStored(p.enumType->values[i]));
            return WriteStr(QByteArray());
        }
        case PropKind::Float: {
            const Extended80 v = p.getFloat(instance);
            if (v.isZero()) return;
            writePropName(p.name);
            return WriteFloat(v);
        }
        case PropKind::String: {
            const QString v = p.getString(instance);
            if (v.isEmpty()) return;
            writePropName(p.name);
            return WriteString(v);
        }
        case PropKind::Class: {
            const TPersistent* v = p.getObject(instance);
            if (!v) return;
            if (const auto* c = dynamic_cast<const TComponent*>(v)) {
                const QString path = referencePath(c, root_);
                if (path.isEmpty()) return;
                writePropName(p.name);
                return WriteIdent(path);
            }
            if (const auto* coll = dynamic_cast<const TCollection*>(v)) {
                writePropName(p.name);
                return WriteCollection(*coll);
            }
            const QString saved = path_;
            path_ += p.name + u'.';
            WriteProperties(*v);
            path_ = saved;
            return;
        }
        case PropKind::Method:
            return;  // no root class publishes methods
    }
}

void TWriter::WriteCollection(const TCollection& collection) {
    WriteValue(ValueCode::Collection);
    const QString saved = path_;
    path_.clear();
    for (int i = 0; i < collection.Count(); ++i) {
        WriteListBegin();
        WriteProperties(*collection.Items(i));
        WriteListEnd();
    }
    path_ = saved;
    WriteListEnd();
}

void TWriter::DefineValueProperty(const QString& name, const std::function<void(TReader&)>&,
                                  const std::function<void(TWriter&)>& write, bool hasData) {
    if (!hasData || !write) return;
    writePropName(name);
    write(*this);
}

void TWriter::DefineBlobProperty(const QString& name, const std::function<void(TStream&)>&,
                                 const std::function<void(TStream&)>& write, bool hasData) {
    if (!hasData || !write) return;
    writePropName(name);
    TMemoryStream blob;
    write(blob);
    WriteBinary(blob.Data());
}
