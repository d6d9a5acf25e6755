#include "imaging/picture/GraphicRegistry.h"

#include "imaging/picture/Graphic.h"
#include "imaging/picture/Icon.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/Metafile.h"
#include "imaging/picture/PngImage.h"
#include "imaging/picture/SafetyBitmap.h"

#include <mutex>
#include <vector>

namespace {

struct Entry {
    QString tag;
    QStringList extensions;
    GraphicFactory create;
    QString description;
};

struct Registry {
    std::mutex lock;
    std::vector<Entry> entries;  // in registration order
};

Registry& registry() {
    static Registry r;
    return r;
}

template <class P>
const Entry* findLast(const std::vector<Entry>& entries, P match) {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (match(*it)) return &*it;
    return nullptr;
}

QString normalised(QString extension) {
    if (extension.startsWith(u'.')) extension.remove(0, 1);
    return extension.toLower();
}

template <class T>
GraphicFactory factory() {
    return [] { return std::unique_ptr<TGraphic>(std::make_unique<T>()); };
}

}  // namespace

void RegisterGraphicKind(const GraphicKind& kind) {
    QStringList extensions;
    for (const QString& e : kind.extensions) extensions << normalised(e);
    std::lock_guard guard(registry().lock);
    registry().entries.push_back({kind.classTag, extensions, kind.create, kind.description});
}

void RegisterGraphicTag(const QString& tag, const GraphicFactory& create) {
    std::lock_guard guard(registry().lock);
    registry().entries.push_back({tag, {}, create, {}});
}

std::unique_ptr<TGraphic> CreateGraphicForTag(const QString& tag) {
    RegisterStandardGraphics();
    GraphicFactory create;
    {
        std::lock_guard guard(registry().lock);
        if (const Entry* e =
                findLast(registry().entries, [&](const Entry& x) { return x.tag == tag; }))
            create = e->create;
    }
    return create ? create() : nullptr;
}

std::unique_ptr<TGraphic> CreateGraphicForExtension(const QString& extension) {
    RegisterStandardGraphics();
    const QString ext = normalised(extension);
    GraphicFactory create;
    {
        std::lock_guard guard(registry().lock);
        if (const Entry* e = findLast(registry().entries,
                                      [&](const Entry& x) { return x.extensions.contains(ext); }))
            create = e->create;
    }
    return create ? create() : nullptr;
}

QString GraphicDescriptionForExtension(const QString& extension) {
    RegisterStandardGraphics();
    const QString ext = normalised(extension);
    std::lock_guard guard(registry().lock);
    const Entry* e =
        findLast(registry().entries, [&](const Entry& x) { return x.extensions.contains(ext); });
    return e ? e->description : QString();
}

void RegisterStandardGraphics() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterGraphicKind({QStringLiteral("TMetafile"),
                             {QStringLiteral("emf")},
                             factory<TMetafile>(),
                             QStringLiteral("Enhanced Metafiles")});
        RegisterGraphicKind({QStringLiteral("TMetafile"),
                             {QStringLiteral("wmf")},
                             factory<TMetafile>(),
                             QStringLiteral("Metafiles")});
        RegisterGraphicKind({QStringLiteral("TIcon"),
                             {QStringLiteral("ico")},
                             factory<TIcon>(),
                             QStringLiteral("Icons")});
        // No code path makes a plain platform bitmap: its tag reads as the safe bitmap.
        RegisterGraphicTag(QStringLiteral("TBitmap"), factory<TSafetyBitmap>());
        RegisterGraphicKind({QStringLiteral("TSafetyBitmap"),
                             {QStringLiteral("bmp")},
                             factory<TSafetyBitmap>(),
                             QStringLiteral("Bitmaps")});
        RegisterGraphicKind({QStringLiteral("TSafetyBitmap"),
                             {QStringLiteral("cbm")},
                             factory<TSafetyBitmap>(),
                             QStringLiteral("Compressed Bitmaps")});
        RegisterGraphicKind({QStringLiteral("TPNGImage"),
                             {QStringLiteral("png")},
                             factory<TPNGImage>(),
                             QStringLiteral("Portable Network Graphics")});
        RegisterGraphicTag(QStringLiteral("TJPEGImage"), factory<TSafetyJPEGImage>());
        RegisterGraphicKind({QStringLiteral("TSafetyJPEGImage"),
                             {QStringLiteral("jpg"), QStringLiteral("jpeg")},
                             factory<TSafetyJPEGImage>(),
                             QStringLiteral("JPEG Image File")});
    });
}
