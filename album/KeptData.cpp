#include "album/KeptData.h"

#include "document/stream/ClassRegistry.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Reader.h"
#include "document/stream/Writer.h"

#include <array>
#include <mutex>
#include <utility>

void KeptProperties::define(TFiler& filer) {
    if (auto* reader = dynamic_cast<TReader*>(&filer)) {
        const QString name = reader->CustomPropertyName();
        filer.DefineValueProperty(
            name, [this, name](TReader& r) { values_.emplace_back(name, r.ReadRawValue()); }, {},
            false);
        return;
    }
    for (const auto& [name, raw] : values_) {
        const QByteArray& bytes = raw;
        filer.DefineValueProperty(
            name, {}, [&bytes](TWriter& w) { w.Write(bytes.constData(), bytes.size()); }, true);
    }
}

void TKeptObject::DefineCustomProperties(TFiler& filer) {
    kept_.define(filer);  // the draw object's own custom data is not stored for this class
}

void TKeptObject::EnumStreamChildren(const std::function<void(TComponent&)>& proc) {
    for (int i = 0; i < ComponentCount(); ++i) proc(*Components(i));
}

void TKeptObject::AssignProperties(const TDrawObject& source) {
    TDrawObject::AssignProperties(source);
    if (const auto* kept = dynamic_cast<const TKeptObject*>(&source)) kept_.assign(kept->kept_);
}

namespace {

constexpr std::array<const char*, 13> kKeptNames = {
    "TLOAlbumPhoto", "TLOAlbumShade", "TLOPhotoImage", "TLOAlbumIllust", "TLOOLE",
    "TLOLine",       "TLOCurve",      "TLORect",       "TLOCircle",      "TLODecoLine",
    "TLODecoString", "TLOJANCode",    "TDOGroup"};

template <size_t I>
const PersistentClass& keptClassAt();

template <size_t I>
TPersistent* makeKept() {
    return new TKeptObject(keptClassAt<I>());
}

template <size_t I>
const PersistentClass& keptClassAt() {
    // Below TComponent directly: no property of the draw-object table is read into fields,
    // so every stored property is kept as it was, in its stored order.
    static const PersistentClass info(kKeptNames[I], &TComponent::StaticClass(), &makeKept<I>,
                                      nullptr);
    return info;
}

template <size_t... I>
void registerKept(std::index_sequence<I...>) {
    const auto one = [](const PersistentClass& cls) {
        if (!LookupClass(cls.name())) RegisterPersistentClass(cls);
    };
    (one(keptClassAt<I>()), ...);
}

}  // namespace

const QStringList& KeptObjectClassNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const char* n : kKeptNames) list << QString::fromLatin1(n);
        return list;
    }();
    return names;
}

void RegisterKeptClasses() {
    static std::once_flag once;
    std::call_once(once, [] { registerKept(std::make_index_sequence<kKeptNames.size()>()); });
}
