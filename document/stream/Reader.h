#pragma once
// TReader: reads component entries, property lists and values from a stream through
// a 4096-byte read-ahead buffer. Every length and count is checked against the bytes
// that remain before anything is allocated, and nesting is bounded. FinishRead()
// moves the stream back over what was read ahead but not used.

#include "document/stream/Extended80.h"
#include "document/stream/Filer.h"
#include "document/stream/ValueCodes.h"

#include <QByteArray>
#include <QString>
#include <vector>

class TCollection;
class TPersistent;
struct PropInfo;

class TReader : public TFiler {
public:
    // Deeper nesting of lists or components than this is rejected as malformed.
    static constexpr int kMaxDepth = 256;

    explicit TReader(TStream& stream, int bufferSize = 4096);

    void FinishRead();
    // Bytes left: buffered plus still in the stream.
    int64_t Remaining() const { return int64_t(end_ - pos_) + streamLeft_; }
    // The stream position of the next byte to be read (what read errors report).
    int64_t Offset() const { return limit_ - Remaining(); }

    // "TPF0" or "不正なストリーム フォーマット".
    void ReadSignature();
    // Reads one component entry into `root`, or into a new object of the stored class
    // when `root` is null; resolves references and calls AfterLoad. On failure every
    // object created is destroyed; a given root keeps what was assigned.
    TComponent* ReadRootComponent(TComponent* root);

    // Typed primitives for custom data; a wrong code fails with "不正なプロパティの値です".
    ValueCode ReadValue();
    ValueCode NextValue();
    // The next byte is End. Does not check it as a value code: before a property or a
    // child entry the byte is a name's length.
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    int32_t ReadInteger();
    bool ReadBoolean();
    QString ReadString();  // String, LString or WString
    QString ReadIdent();
    Extended80 ReadFloat();  // Extended, or an integer converted
    void SkipValue();
    // The next value's bytes exactly as stored (code and payload), for data kept unread.
    QByteArray ReadRawValue();
    // While DefineCustomProperties runs for a read: the name of the property being read
    // (a whole path when its first segment names no stored property of the object).
    const QString& CustomPropertyName() const { return customName_; }
    // A length byte and that many bytes.
    QByteArray ReadStr();
    void Read(void* data, int64_t count);

    // Called by destructors: an object destroyed while a read on this thread still
    // lists it (a setter or AfterLoad destroying another object, a collection read
    // twice) is dropped from that read's lists.
    static void componentDestroyed(TComponent* component);
    static void holderDestroyed(TPersistent* holder);

    void DefineValueProperty(const QString& name, const std::function<void(TReader&)>& read,
                             const std::function<void(TWriter&)>& write, bool hasData) override;
    void DefineBlobProperty(const QString& name, const std::function<void(TStream&)>& read,
                            const std::function<void(TStream&)>& write, bool hasData) override;

private:
    struct Pending {
        TPersistent* holder;
        const PropInfo* property;
        QString path;
    };

    uint8_t readByte();
    // A 32-bit little-endian length or count.
    int32_t readInt32();
    // Fails with a read error unless `count` bytes remain.
    void require(int64_t count) const;
    void fill();
    void skipAfterCode(ValueCode code);
    void copyAfterCode(ValueCode code, QByteArray& out);
    void walkAfterCode(ValueCode code, QByteArray* out);
    bool readCustomProperty(TPersistent& object, const QString& name);
    [[noreturn]] void invalidValueAfter(ValueCode code);
    void readPrefix();
    void readComponentData(TComponent& component);
    void readChild(TComponent* owner, TComponent* parent);
    void readProperty(TPersistent& instance);
    void readPropertyValue(TPersistent& instance, const PropInfo& p);
    void readCollection(TCollection& collection);
    void resolveReferences();
    void enter();
    void leave() { --depth_; }

    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
    int64_t streamLeft_ = 0;
    int64_t limit_ = 0;  // the stream position where the bytes to read end
    int depth_ = 0;

    struct Loaded {
        TComponent* component;  // null once destroyed
        bool created;           // by this read: destroyed if the read fails
    };
    void track(TComponent* component, bool created);

    std::vector<Loaded> loaded_;  // for AfterLoad, in reading order
    std::vector<Pending> pending_;

    static thread_local TReader* active_;  // innermost read on this thread
    TReader* outer_ = nullptr;

    size_t hint_ = 0;  // where the next property is likely in the table

    // The custom property being looked for by DefineCustomProperties.
    QString customName_;
    bool customFound_ = false;
};
