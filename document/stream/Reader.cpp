#include "document/stream/Reader.h"

#include "document/Messages.h"
#include "document/UpdateBracket.h"
#include "document/stream/ClassRegistry.h"
#include "document/stream/Collection.h"
#include "document/stream/Component.h"
#include "document/stream/Encoding.h"
#include "document/stream/GlobalComponents.h"
#include "document/stream/IdentMaps.h"
#include "document/stream/PendingReferences.h"
#include "document/stream/References.h"
#include "document/stream/Stream.h"
#include "document/stream/StreamErrors.h"
#include "document/stream/ValueGrammar.h"

#include <QScopeGuard>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <memory>

namespace {
[[noreturn]] void invalidValue() {
    throw EReadError(msg::invalidPropertyValue());
}

[[noreturn]] void classNotFound(const QString& name) {
    throw EClassNotFound(msg::classNotFound(name));
}

// The payload of an integer code (see isIntegerCode), sign-extended.
int32_t readIntegerPayload(TReader& reader, ValueCode code) {
    unsigned char bytes[4];
    const int size = payloadOf(code).size;
    reader.Read(bytes, size);
    if (size == 1) return int8_t(bytes[0]);
    if (size == 2) return qFromLittleEndian<int16_t>(bytes);
    return qFromLittleEndian<int32_t>(bytes);
}

// The name a given root takes: unique among the program's top-level components.
QString uniqueRootName(const QString& name, const TComponent* root) {
    const TComponent* g = FindGlobalComponent(name);
    if (!g || g == root) return name;
    for (int i = 1;; ++i) {
        const QString candidate = name + u'_' + QString::number(i);
        g = FindGlobalComponent(candidate);
        if (!g || g == root) return candidate;
    }
}
}  // namespace

thread_local TReader* TReader::active_ = nullptr;

void TReader::componentDestroyed(TComponent* component) {
    if (TReader* r = component->reader_) r->loaded_[component->readSlot_].component = nullptr;
}

void TReader::track(TComponent* component, bool created) {
    component->reading_ = true;
    component->reader_ = this;
    component->readSlot_ = loaded_.size();
    loaded_.push_back({component, created});
}

void TReader::holderDestroyed(TPersistent* holder) {
    for (TReader* r = active_; r; r = r->outer_)
        std::erase_if(r->pending_, [holder](const Pending& p) { return p.holder == holder; });
}

TReader::TReader(TStream& stream, int bufferSize)
    : TFiler(stream), buffer_(size_t(std::max(bufferSize, 16))) {
    streamLeft_ = stream.Remaining();
    limit_ = stream.Position() + streamLeft_;
}

void TReader::fill() {
    if (pos_ < end_) return;
    const int64_t want = std::min<int64_t>(int64_t(buffer_.size()), streamLeft_);
    const int64_t got = want > 0 ? stream_.Read(buffer_.data(), want) : 0;
    if (got <= 0) {
        const int64_t at = Offset();
        streamLeft_ = 0;
        throwReadError(at);
    }
    pos_ = 0;
    end_ = size_t(got);
    streamLeft_ -= got;
}

void TReader::FinishRead() {
    if (end_ > pos_) stream_.Seek(-int64_t(end_ - pos_), SeekOrigin::Current);
    streamLeft_ += int64_t(end_ - pos_);
    pos_ = end_ = 0;
}

void TReader::require(int64_t count) const {
    if (count < 0 || count > Remaining()) throwReadError(Offset());
}

void TReader::Read(void* data, int64_t count) {
    require(count);
    char* out = static_cast<char*>(data);
    while (count > 0) {
        fill();
        const size_t n = std::min<size_t>(size_t(count), end_ - pos_);
        std::memcpy(out, buffer_.data() + pos_, n);
        pos_ += n;
        out += n;
        count -= int64_t(n);
    }
}

uint8_t TReader::readByte() {
    fill();
    return uint8_t(buffer_[pos_++]);
}

int32_t TReader::readInt32() {
    unsigned char bytes[4];
    Read(bytes, 4);
    return qFromLittleEndian<int32_t>(bytes);
}

void TReader::enter() {
    if (++depth_ > kMaxDepth) throwInvalidFormat(Offset());
}

ValueCode TReader::ReadValue() {
    const uint8_t c = readByte();
    if (!isValueCode(c)) throwInvalidFormat(Offset() - 1);
    return ValueCode(c);
}

ValueCode TReader::NextValue() {
    fill();
    const uint8_t c = uint8_t(buffer_[pos_]);
    if (!isValueCode(c)) throwInvalidFormat(Offset());
    return ValueCode(c);
}

bool TReader::EndOfList() {
    fill();
    return buffer_[pos_] == 0;
}

QByteArray TReader::ReadStr() {
    const int n = readByte();
    QByteArray bytes(n, Qt::Uninitialized);
    Read(bytes.data(), n);
    return bytes;
}

void TReader::ReadSignature() {
    char sig[4];
    Read(sig, 4);
    if (std::memcmp(sig, kStreamSignature, 4) != 0) throwInvalidFormat(Offset() - 4);
}

void TReader::ReadListBegin() {
    const ValueCode c = ReadValue();
    if (c != ValueCode::List) invalidValueAfter(c);
}

void TReader::ReadListEnd() {
    const ValueCode c = ReadValue();
    if (c != ValueCode::End) invalidValueAfter(c);
}

int32_t TReader::ReadInteger() {
    const ValueCode c = ReadValue();
    if (!isIntegerCode(c)) invalidValueAfter(c);
    return readIntegerPayload(*this, c);
}

bool TReader::ReadBoolean() {
    const ValueCode c = ReadValue();
    if (c == ValueCode::True) return true;
    if (c == ValueCode::False) return false;
    invalidValueAfter(c);
}

QString TReader::ReadString() {
    const ValueCode c = ReadValue();
    if (c == ValueCode::String) return decodeStored(ReadStr());
    if (c == ValueCode::LString) {
        const int32_t n = readInt32();
        require(n);
        QByteArray bytes(n, Qt::Uninitialized);
        Read(bytes.data(), n);
        return decodeStored(bytes);
    }
    if (c == ValueCode::WString) {
        const int32_t n = readInt32();
        if (n < 0 || n > Remaining() / 2) throwReadError(Offset());
        QByteArray units(qsizetype(n) * 2, Qt::Uninitialized);
        Read(units.data(), units.size());
        QString text(n, Qt::Uninitialized);
        for (int32_t i = 0; i < n; ++i)
            text[i] = QChar(qFromLittleEndian<uint16_t>(units.constData() + 2 * i));
        return text;
    }
    invalidValueAfter(c);
}

QString TReader::ReadIdent() {
    const ValueCode c = ReadValue();
    if (c == ValueCode::Ident) return decodeStored(ReadStr());
    invalidValueAfter(c);
}

Extended80 TReader::ReadFloat() {
    const ValueCode c = ReadValue();
    switch (c) {
        case ValueCode::Extended: {
            uint8_t bytes[10];
            Read(bytes, 10);
            return Extended80::fromBytes(bytes);
        }
        default:
            if (!isIntegerCode(c)) invalidValueAfter(c);
            return Extended80::fromDouble(readIntegerPayload(*this, c));
    }
}

void TReader::invalidValueAfter(ValueCode code) {
    skipAfterCode(code);
    invalidValue();
}

void TReader::SkipValue() {
    skipAfterCode(ReadValue());
}

QByteArray TReader::ReadRawValue() {
    QByteArray out;
    const ValueCode code = ReadValue();
    out.append(char(code));
    copyAfterCode(code, out);
    return out;
}

void TReader::copyAfterCode(ValueCode code, QByteArray& out) {
    walkAfterCode(code, &out);
}

void TReader::skipAfterCode(ValueCode code) {
    walkAfterCode(code, nullptr);
}

// Reads past the payload of a value whose code was read, appending its bytes exactly as
// stored to `out` when one is given.
void TReader::walkAfterCode(ValueCode code, QByteArray* out) {
    auto bytes = [this, out](int64_t n) {
        require(n);
        if (out) {
            const qsizetype at = out->size();
            out->resize(at + qsizetype(n));
            Read(out->data() + at, n);
            return;
        }
        while (n > 0) {
            fill();
            const size_t k = std::min<size_t>(size_t(n), end_ - pos_);
            pos_ += k;
            n -= int64_t(k);
        }
    };
    auto int32 = [this, out]() {
        const int32_t n = readInt32();
        if (out) {
            char le[4];
            qToLittleEndian<int32_t>(n, le);
            out->append(le, 4);
        }
        return n;
    };
    auto byte = [this, out]() {
        const uint8_t b = readByte();
        if (out) out->append(char(b));
        return b;
    };
    auto value = [this, out]() {
        const ValueCode c = ReadValue();
        if (out) out->append(char(c));
        walkAfterCode(c, out);
    };
    const PayloadShape shape = payloadOf(code);
    switch (shape.kind) {
        case Payload::None:
            return;
        case Payload::Integer:
        case Payload::Raw:
            return bytes(shape.size);
        case Payload::ShortBytes:
            return bytes(byte());
        case Payload::LongBytes: {
            const int32_t n = int32();
            if (n < 0) throwReadError(Offset());
            return bytes(n);
        }
        case Payload::Utf16: {
            const int32_t n = int32();
            if (n < 0 || n > Remaining() / 2) throwReadError(Offset());
            return bytes(int64_t(n) * 2);
        }
        case Payload::List:
            enter();
            while (!EndOfList()) value();
            value();  // End
            leave();
            return;
        case Payload::Names:
            for (int n = byte(); n != 0; n = byte()) bytes(n);
            return;
        case Payload::Collection:
            enter();
            while (!EndOfList()) {
                if (isIntegerCode(NextValue())) value();  // the item's index
                const ValueCode list = ReadValue();
                if (list != ValueCode::List) invalidValueAfter(list);
                if (out) out->append(char(list));
                while (!EndOfList()) {
                    bytes(byte());  // property name
                    value();
                }
                value();  // End of the item
            }
            value();  // End of the collection
            leave();
            return;
    }
}

void TReader::readPrefix() {
    fill();
    const uint8_t b = uint8_t(buffer_[pos_]);
    if ((b & 0xF0) != 0xF0) return;
    ++pos_;
    if (b & 0x02) ReadInteger();  // child position: not used by this program
}

TComponent* TReader::ReadRootComponent(TComponent* root) {
    readPrefix();
    const QString className = decodeStored(ReadStr());
    std::unique_ptr<TComponent> createdRoot;
    if (!root) {
        const PersistentClass* cls = LookupClass(className);
        if (!cls || !cls->inheritsFrom(TComponent::StaticClass()) || cls->isAbstract())
            classNotFound(className);
        createdRoot.reset(static_cast<TComponent*>(cls->create()));
        root = createdRoot.get();
    }
    root_ = root;
    outer_ = active_;
    active_ = this;
    // A root that an outer read on this thread also lists goes back to it afterwards.
    TReader* const rootReader = root->reader_;
    const size_t rootSlot = root->readSlot_;
    auto finish = [&] {
        for (const Loaded& l : loaded_) {
            if (!l.component) continue;
            l.component->reading_ = false;
            l.component->reader_ = nullptr;
        }
        if (loaded_.empty() || loaded_.front().component) {
            root->reader_ = rootReader;
            root->readSlot_ = rootSlot;
        }
        active_ = outer_;
        loaded_.clear();
        pending_.clear();
    };
    try {
        QString name = decodeStored(ReadStr());
        track(root, false);
        if (!createdRoot) name = uniqueRootName(name, root);
        root->SetName(name);
        readComponentData(*root);
        resolveReferences();
        for (size_t i = 0; i < loaded_.size(); ++i) {
            if (TComponent* c = loaded_[i].component) {
                c->reading_ = false;
                c->AfterLoad();
            }
        }
    } catch (...) {
        for (const Loaded& l : loaded_)
            if (l.component) l.component->reading_ = false;
        // Later objects first: each may be owned by an earlier one. Any that goes with
        // its owner is nulled in the list by its destructor.
        for (size_t i = loaded_.size(); i-- > 0;)
            if (loaded_[i].created) delete loaded_[i].component;
        finish();
        throw;
    }
    finish();
    return createdRoot ? createdRoot.release() : root;
}

void TReader::readComponentData(TComponent& component) {
    enter();
    while (!EndOfList()) readProperty(component);
    ReadValue();
    TComponent* owner = component.ChildOwnerForLoad();
    if (!owner) owner = root_;
    TComponent* parent = component.ChildParentForLoad();
    while (!EndOfList()) readChild(owner, parent);
    ReadValue();
    leave();
}

void TReader::readChild(TComponent* owner, TComponent* parent) {
    readPrefix();
    const QString className = decodeStored(ReadStr());
    const QString name = decodeStored(ReadStr());
    const PersistentClass* cls = LookupClass(className);
    if (!cls || !cls->inheritsFrom(TComponent::StaticClass()) || cls->isAbstract())
        classNotFound(className);
    auto* child = static_cast<TComponent*>(cls->create());
    track(child, true);
    owner->InsertComponent(child);
    child->SetParentComponent(parent);
    child->SetName(name);
    readComponentData(*child);
}

void TReader::readProperty(TPersistent& instance) {
    const QString path = decodeStored(ReadStr());
    try {
        TPersistent* object = &instance;
        qsizetype start = 0;
        for (qsizetype dot = path.indexOf(u'.'); dot >= 0;
             start = dot + 1, dot = path.indexOf(u'.', start)) {
            const PropInfo* p =
                object->Properties().find(QStringView(path).mid(start, dot - start));
            if (!p) {
                // A class that keeps unknown properties as data takes the whole path.
                if (object == &instance && readCustomProperty(instance, path)) return;
                SkipValue();
                throw EReadError(msg::unknownProperty());
            }
            TPersistent* next =
                p->kind == PropKind::Class && p->getObject ? p->getObject(*object) : nullptr;
            if (!next) {
                SkipValue();
                throw EReadError(msg::invalidPropertyPath());
            }
            object = next;
        }
        const QStringView last = QStringView(path).mid(start);
        if (const PropInfo* p =
                object->Properties().find(last, object == &instance ? &hint_ : nullptr)) {
            readPropertyValue(*object, *p);
        } else if (!readCustomProperty(*object, last.toString())) {
            SkipValue();
            throw EReadError(msg::unknownProperty());
        }
    } catch (Exception& e) {
        const auto* component = dynamic_cast<const TComponent*>(&instance);
        const QString who =
            component && !component->Name().isEmpty() ? component->Name() : instance.ClassName();
        e.setMessage(msg::propertyReadError(who, path, e.message()));
        throw;
    }
}

bool TReader::readCustomProperty(TPersistent& object, const QString& name) {
    const QString savedName = customName_;
    const bool savedFound = customFound_;
    customName_ = name;
    customFound_ = false;
    auto restore = qScopeGuard([&] {
        customName_ = savedName;
        customFound_ = savedFound;
    });
    object.DefineCustomProperties(*this);
    return customFound_;
}

void TReader::readPropertyValue(TPersistent& instance, const PropInfo& p) {
    if (p.kind == PropKind::Method) {
        // No class publishes methods: only "no handler" can be stored.
        const ValueCode c = ReadValue();
        if (c != ValueCode::Nil) invalidValueAfter(c);
        return;
    }
    if (!p.hasSetter()) {
        SkipValue();
        throw EReadError(msg::readOnlyProperty());
    }
    switch (p.kind) {
        case PropKind::Integer: {
            if (NextValue() == ValueCode::Ident) {
                const QString name = ReadIdent();
                const auto v = p.idents ? p.idents->valueOf(name) : std::nullopt;
                if (!v) invalidValue();
                return p.setOrd(instance, *v);
            }
            return p.setOrd(instance, ReadInteger());
        }
        case PropKind::Char: {
            const ValueCode c = ReadValue();
            if (c != ValueCode::String) invalidValueAfter(c);
            const QByteArray s = ReadStr();
            if (s.size() != 1) invalidValue();
            return p.setOrd(instance, uint8_t(s[0]));
        }
        case PropKind::Enumeration: {
            const ValueCode c = ReadValue();
            QString name;
            switch (c) {
                case ValueCode::Ident:
                    name = decodeStored(ReadStr());
                    break;
                case ValueCode::False:
                    name = QStringLiteral("False");
                    break;
                case ValueCode::True:
                    name = QStringLiteral("True");
                    break;
                case ValueCode::Nil:
                    name = QStringLiteral("nil");
                    break;
                case ValueCode::End:
                    name = QStringLiteral("Null");
                    break;
                default:
                    invalidValueAfter(c);
            }
            const int ord = p.enumType->ordinalOf(name);
            if (ord < 0) invalidValue();
            return p.setOrd(instance, ord);
        }
        case PropKind::Float:
            return p.setFloat(instance, ReadFloat());
        case PropKind::String:
            return p.setString(instance, ReadString());
        case PropKind::Set: {
            const ValueCode c = ReadValue();
            if (c != ValueCode::Set) invalidValueAfter(c);
            uint32_t mask = 0;
            bool bad = false;
            for (QByteArray member = ReadStr(); !member.isEmpty(); member = ReadStr()) {
                if (bad) continue;
                const int ord = p.enumType->ordinalOf(decodeStored(member));
                if (ord < 0)
                    bad = true;
                else if (ord <= 31)
                    mask |= uint32_t(1) << ord;
            }
            if (bad) invalidValue();
            return p.setOrd(instance, int32_t(mask));
        }
        case PropKind::Class: {
            const ValueCode c = NextValue();
            if (c == ValueCode::Nil) {
                ReadValue();
                return p.setObject(instance, nullptr);
            }
            if (c == ValueCode::Collection) {
                ReadValue();
                auto* collection =
                    dynamic_cast<TCollection*>(p.getObject ? p.getObject(instance) : nullptr);
                if (!collection) invalidValueAfter(c);
                return readCollection(*collection);
            }
            if (c == ValueCode::Ident) {
                const QString path = ReadIdent();
                pending_.push_back({&instance, &p, path});
                instance.hasPendingReference_ = true;
                return;
            }
            SkipValue();
            invalidValue();
        }
        case PropKind::Method:
            return;
    }
}

void TReader::readCollection(TCollection& collection) {
    enter();
    {
        UpdateBracket update(collection);
        if (!EndOfList()) collection.Clear();
        while (!EndOfList()) {
            if (isIntegerCode(NextValue())) ReadInteger();
            TCollectionItem* item = collection.Add();
            ReadListBegin();
            while (!EndOfList()) readProperty(*item);
            ReadValue();
        }
        ReadValue();
    }
    leave();
}

void TReader::resolveReferences() {
    std::vector<Pending> pending;
    pending.swap(pending_);
    for (const Pending& r : pending) {
        const QStringList segments = r.path.split(u'.');
        if (TComponent* target = resolveWithin(root_, segments)) {
            assignReference(*r.holder, *r.property, target);
        } else if (segments.size() > 1) {
            if (TComponent* global = FindGlobalComponent(segments[0]))
                assignReference(*r.holder, *r.property, resolveWithin(global, segments, 1));
            else
                PendingReferences::instance().add(r.holder, r.property, r.path);
        }
    }
    PendingReferences::instance().resolveAvailable();
}

void TReader::DefineValueProperty(const QString& name, const std::function<void(TReader&)>& read,
                                  const std::function<void(TWriter&)>&, bool) {
    if (customFound_ || name.compare(customName_, Qt::CaseInsensitive) != 0) return;
    customFound_ = true;
    if (read)
        read(*this);
    else
        SkipValue();
}

void TReader::DefineBlobProperty(const QString& name, const std::function<void(TStream&)>& read,
                                 const std::function<void(TStream&)>&, bool) {
    if (customFound_ || name.compare(customName_, Qt::CaseInsensitive) != 0) return;
    customFound_ = true;
    const ValueCode c = ReadValue();
    if (c != ValueCode::Binary) invalidValueAfter(c);
    const int32_t n = readInt32();
    require(n);
    QByteArray bytes(n, Qt::Uninitialized);
    Read(bytes.data(), n);
    TMemoryStream blob(std::move(bytes));
    if (read) read(blob);
}
