#pragma once
// TWriter: writes component entries, property lists and values to a stream through
// a 4096-byte buffer. Call FlushBuffer() when done; the destructor does not flush.

#include "document/stream/Extended80.h"
#include "document/stream/Filer.h"
#include "document/stream/ValueCodes.h"

#include <QByteArray>
#include <vector>

class TCollection;
class TPersistent;
struct PropInfo;

class TWriter : public TFiler {
public:
    explicit TWriter(TStream& stream, int bufferSize = 4096);

    void FlushBuffer();
    // The stream position including what is still buffered.
    int64_t Position() const;

    void WriteSignature();
    // Writes `root`'s entry; references are stored relative to it.
    void WriteRootComponent(TComponent& root);
    void WriteComponent(TComponent& component);
    void WriteProperties(const TPersistent& instance);
    void WriteCollection(const TCollection& collection);

    // Typed primitives for custom data.
    void WriteValue(ValueCode code);
    void WriteInteger(int32_t value);  // Int8, Int16 or Int32, the smallest that fits
    void WriteBoolean(bool value);
    // String up to 255 encoded bytes, LString beyond; WString when the text has
    // characters the stored encoding cannot represent.
    void WriteString(const QString& value);
    void WriteIdent(const QString& ident);
    void WriteFloat(const Extended80& value);
    void WriteFloat(double value) { WriteFloat(Extended80::fromDouble(value)); }
    void WriteBinary(const QByteArray& bytes);
    void WriteListBegin() { WriteValue(ValueCode::List); }
    void WriteListEnd() { WriteValue(ValueCode::End); }
    // A length byte and up to 255 bytes (longer input is cut).
    void WriteStr(const QByteArray& bytes);
    void Write(const void* data, int64_t count);

    void DefineValueProperty(const QString& name, const std::function<void(TReader&)>& read,
                             const std::function<void(TWriter&)>& write, bool hasData) override;
    void DefineBlobProperty(const QString& name, const std::function<void(TStream&)>& read,
                            const std::function<void(TStream&)>& write, bool hasData) override;

private:
    void writeProperty(const TPersistent& instance, const PropInfo& p);
    void writePropName(const QString& name);
    template <class T>
    void writeLE(T value);

    std::vector<char> buffer_;
    size_t used_ = 0;
    QString path_;  // "Font." while a nested object is written
    int depth_ = 0;
};
