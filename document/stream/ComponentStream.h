#pragma once
// Reading and writing whole component streams: bare ("TPF0" and the root's entry),
// behind a 16-bit resource header, and as a list of streams of draw objects.
// Every operation raises on failure. Reads hold the process-wide read lock.

#include <QString>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

class PersistentClass;
class TComponent;
class TStream;

// Writes "TPF0" and `root`'s entry at the stream's position.
void WriteComponentStream(TStream& stream, TComponent& root);
// Reads into `root`, or into a new object of the stored class when `root` is null
// (the caller owns it). The stream is left just after the root's entry.
TComponent* ReadComponentStream(TStream& stream, TComponent* root = nullptr);

// The same behind a resource header carrying `name` (upper-cased, at most 63 bytes).
void WriteComponentResource(TStream& stream, const QString& name, TComponent& root);
TComponent* ReadComponentResource(TStream& stream, TComponent* root = nullptr);

// The resource header alone. Reading checks FF 0A 00 and the name's end and leaves
// the stream just after the length field; the stored length is not relied on.
void WriteResourceHeader(TStream& stream, const QString& name, uint32_t length);
QByteArray ReadResourceHeader(TStream& stream);
// The header name as written: letters a-z upper-cased, cut to 63 bytes.
QByteArray ResourceName(const QString& name);

// A 32-bit count and one component stream per object, in order.
void WriteObjectList(TStream& stream, std::span<TComponent* const> objects);
// Empties `list`, then appends every object read that the object-list filter keeps
// (see SetObjectListFilter); other objects are destroyed. On failure the list is left
// empty.
void ReadObjectList(std::vector<std::unique_ptr<TComponent>>& list, TStream& stream);
// Which objects ReadObjectList keeps: the drawing layer installs "is a draw object".
// With no filter installed no object is kept.
using ObjectListFilter = bool (*)(const TComponent&);
void SetObjectListFilter(ObjectListFilter keep);

// The process-wide lock every stream read holds; recursive, so a read may run
// inside another (an AfterLoad reading a nested stream).
std::recursive_mutex& StreamReadLock();
