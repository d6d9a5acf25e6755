#include "document/stream/ComponentStream.h"
#include "document/stream/ObjectListClasses.h"

#include "document/stream/Component.h"
#include "document/stream/Reader.h"
#include "document/stream/Stream.h"
#include "document/stream/StreamErrors.h"
#include "document/stream/ValueGrammar.h"
#include "document/stream/Writer.h"
#include "platform/ByteCursor.h"
#include "platform/ShiftJis.h"

#include <QScopeGuard>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {
constexpr int kMaxResourceName = 63;
constexpr int kResourceHeaderProbe = 79;
constexpr uint16_t kResourceFlags = 0x1030;
// The smallest component stream: signature, two empty names and two Ends.
constexpr int64_t kMinStreamSize = 8;

std::atomic<const PersistentClass*> g_listClass{nullptr};
}  // namespace

std::recursive_mutex& StreamReadLock() {
    static std::recursive_mutex m;
    return m;
}

void WriteComponentStream(TStream& stream, TComponent& root) {
    TWriter writer(stream);
    writer.WriteSignature();
    writer.WriteRootComponent(root);
    writer.FlushBuffer();
}

TComponent* ReadComponentStream(TStream& stream, TComponent* root) {
    std::lock_guard lock(StreamReadLock());
    TReader reader(stream);
    try {
        reader.ReadSignature();
        TComponent* result = reader.ReadRootComponent(root);
        reader.FinishRead();
        return result;
    } catch (...) {
        reader.FinishRead();
        throw;
    }
}

QByteArray ResourceName(const QString& name) {
    QString upper = name.left(name.indexOf(QChar(0)) < 0 ? name.size() : name.indexOf(QChar(0)));
    for (QChar& c : upper)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    QByteArray bytes = platform::toCp932(upper);
    if (bytes.size() <= kMaxResourceName) return bytes;
    // Cut at a character boundary so no half of a double-byte character remains.
    int cut = 0;
    for (int i = 0; i < bytes.size();) {
        const auto b = uint8_t(bytes[i]);
        const int len = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
        if (i + len > kMaxResourceName) break;
        i += len;
        cut = i;
    }
    return bytes.left(cut);
}

void WriteResourceHeader(TStream& stream, const QString& name, uint32_t length) {
    QByteArray h;
    h.append(char(0xFF));
    putLE(h, 10, 2);
    h.append(ResourceName(name));
    h.append('\0');
    putLE(h, kResourceFlags, 2);
    putLE(h, length, 4);
    stream.WriteBytes(h);
}

QByteArray ReadResourceHeader(TStream& stream) {
    const int64_t start = stream.Position();
    char probe[kResourceHeaderProbe];
    const int64_t got = stream.Read(probe, kResourceHeaderProbe);
    // A header that fails leaves the stream where it began.
    auto fail = [&](bool badFormat, qsizetype at) {
        stream.SetPosition(start);
        if (badFormat) throwInvalidFormat(start + at);
        throwReadError(start + at);
    };
    platform::ByteCursor c(QByteArrayView(probe, qsizetype(got)),
                           [&](qsizetype at) { fail(false, at); });
    if (c.take(3) != QByteArrayView("\xFF\x0A\x00", 3)) fail(true, 0);
    const qsizetype nameEnd = c.bytes().indexOf('\0', 3);  // offset of the zero byte
    if (nameEnd < 0) fail(true, 3);
    c.seek(nameEnd + 1);
    c.skip(2 + 4);  // flags and length
    stream.SetPosition(start + c.position());
    return QByteArray(probe + 3, nameEnd - 3);
}

void WriteComponentResource(TStream& stream, const QString& name, TComponent& root) {
    WriteResourceHeader(stream, name, 0);
    const int64_t start = stream.Position();
    WriteComponentStream(stream, root);
    const int64_t end = stream.Position();
    stream.SetPosition(start - 4);
    QByteArray len;
    putLE(len, uint32_t(end - start), 4);
    stream.WriteBytes(len);
    stream.SetPosition(end);
}

TComponent* ReadComponentResource(TStream& stream, TComponent* root) {
    std::lock_guard lock(StreamReadLock());
    ReadResourceHeader(stream);
    return ReadComponentStream(stream, root);
}

void WriteObjectList(TStream& stream, std::span<TComponent* const> objects) {
    QByteArray count;
    putLE(count, uint32_t(objects.size()), 4);
    stream.WriteBytes(count);
    for (TComponent* c : objects) WriteComponentStream(stream, *c);
}

namespace {

std::mutex g_extraListMutex;
std::vector<const PersistentClass*> g_extraListClasses;

bool isExtraListClass(const PersistentClass& cls) {
    std::lock_guard lock(g_extraListMutex);
    return std::find(g_extraListClasses.begin(), g_extraListClasses.end(), &cls) !=
           g_extraListClasses.end();
}

}  // namespace

void AddObjectListClass(const PersistentClass* cls) {
    std::lock_guard lock(g_extraListMutex);
    g_extraListClasses.push_back(cls);
}

void ReadObjectList(std::vector<std::unique_ptr<TComponent>>& list, TStream& stream) {
    std::lock_guard lock(StreamReadLock());
    list.clear();
    unsigned char bytes[4];
    stream.ReadBuffer(bytes, 4);
    const int32_t count = qFromLittleEndian<int32_t>(bytes);
    if (count < 0) throwInvalidFormat(stream.Position() - 4);
    if (count > stream.Remaining() / kMinStreamSize) throwReadError(stream.Position());
    const PersistentClass* keep = ObjectListClass();
    // A list that fails half-way is left empty.
    auto clearOnFailure = qScopeGuard([&list] { list.clear(); });
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<TComponent> object(ReadComponentStream(stream, nullptr));
        if ((keep && object->InheritsFrom(*keep)) || isExtraListClass(object->ClassType()))
            list.push_back(std::move(object));
    }
    clearOnFailure.dismiss();
}

void SetObjectListClass(const PersistentClass* cls) {
    g_listClass.store(cls);
}

const PersistentClass* ObjectListClass() {
    return g_listClass.load();
}
