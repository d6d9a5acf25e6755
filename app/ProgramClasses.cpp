#include "app/ProgramClasses.h"

#include "album/AlbumClasses.h"
#include "drawing/DrawObjectClasses.h"
#include "imaging/picture/GraphicRegistry.h"
#include "imaging/picture/TemporaryPicture.h"
#include "objects/ImageObjectClasses.h"
#include "objects/TextObjectClasses.h"
#include "paper/PaperClasses.h"

#include <mutex>

void RegisterProgramClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterDrawObjectClasses();
        RegisterImageObjectClasses();
        RegisterPaperClasses();
        RegisterTemporaryPicture();
        RegisterStandardGraphics();
        RegisterTextObjectClasses();
        // Last: the classes kept as data take only the names no class above has.
        RegisterAlbumClasses();
    });
}
