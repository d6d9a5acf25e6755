#include "album/AlbumClasses.h"

#include "album/KeptData.h"
#include "album/LDObjects.h"
#include "document/ProductInfo.h"
#include "document/stream/ClassRegistry.h"
#include "drawing/DrawObjectClasses.h"
#include "imaging/picture/GraphicRegistry.h"
#include "imaging/picture/TemporaryPicture.h"
#include "objects/AlbumPhoto.h"
#include "objects/ImageObjectClasses.h"
#include "objects/TextObjectClasses.h"
#include "paper/PaperClasses.h"

#include <mutex>

void RegisterAlbumClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterDrawObjectClasses();
        RegisterImageObjectClasses();
        RegisterAlbumPhotoClasses();
        RegisterTextObjectClasses();
        RegisterPaperClasses();
        RegisterTemporaryPicture();
        RegisterStandardGraphics();
        if (!LookupClass(u"TLDObjects")) RegisterPersistentClass<TLDObjects>();
        RegisterProductClasses();
        RegisterKeptClasses();
    });
}
