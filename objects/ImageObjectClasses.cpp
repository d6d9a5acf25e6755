#include "objects/ImageObjectClasses.h"

#include "document/stream/ClassRegistry.h"
#include "drawing/DrawSite.h"
#include "objects/AlphaMaskObject.h"
#include "objects/BackImage.h"
#include "objects/FaceObject.h"
#include "objects/ImageObject.h"

#include <mutex>

void RegisterImageObjectClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterPersistentClass<TLOWizardImage>();
        // Image objects are read as wizard images: the name of the base goes to it.
        UnregisterPersistentClass(TLOImage::StaticClass());
        RegisterClassAlias(TLOWizardImage::StaticClass(), QStringLiteral("TLOImage"));
        RegisterPersistentClass<TLOAlphaMask>();
        RegisterPersistentClass<TLOBackImage>();
        RegisterPersistentClass<TLOFace>();
    });
}

std::unique_ptr<TDrawObject> NewImageObject(const QString& className, const TDrawSite* site) {
    const auto image = [](TImageSource source) {
        auto o = std::make_unique<TLOWizardImage>();
        o->SetImageSource(source);
        return o;
    };
    if (className == QLatin1String("TLOImage") || className == QLatin1String("TLOAlbumIllust"))
        return image(isFile);
    if (className == QLatin1String("TLOOnePoint")) return image(isOnePoint);
    if (className == QLatin1String("TLOTwain")) return image(isTwain);
    if (className == QLatin1String("TLOBitmapPaste") ||
        className == QLatin1String("TLOMetafilePaste") ||
        className == QLatin1String("TLOImagePaste")) {
        auto o = image(isFile);
        if (!o->PasteFromClipboard()) return nullptr;
        o->FitToPicture();
        return o;
    }
    if (className == QLatin1String("TLOAlphaMask")) return std::make_unique<TLOAlphaMask>();
    if (className == QLatin1String("TLOBackImage")) {
        auto o = std::make_unique<TLOBackImage>();
        if (o->Width() == 0) {
            o->FillColor()->SetKind(cskSolid);
            o->FillColor()->SetColor(clWhite);
            if (site) o->SetLogBounds({0, 0, site->LogWidth(), site->LogHeight()});
            o->SetEnabled(false);
            o->SetSelectable(false);
        }
        return o;
    }
    return nullptr;
}
