#include "paper/PaperClasses.h"

#include "document/stream/ClassRegistry.h"
#include "paper/ExtraPaperInfo.h"
#include "paper/FreePaperInfo.h"
#include "paper/ImagePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/PaperUpdate.h"
#include "paper/Purpose.h"

#include <mutex>

void RegisterPaperClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterPersistentClass<TMatrixPaperInfo>();
        RegisterPersistentClass<TFreePaperInfo>();
        RegisterPersistentClass<TPLStreamer>();
        RegisterPersistentClass<TExPaperInfo>();
        RegisterPersistentClass<TImagePaperInfo>();
        RegisterPersistentClass<TExAlbumInfo>();
        RegisterPersistentClass<TPaperUpdate>();
    });
}
