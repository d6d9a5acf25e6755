#include "paper/PaperClasses.h"

#include "document/stream/ClassRegistry.h"
#include "paper/FreePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/Purpose.h"

#include <mutex>

void RegisterPaperClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterPersistentClass<TMatrixPaperInfo>();
        RegisterPersistentClass<TFreePaperInfo>();
        RegisterPersistentClass<TPLStreamer>();
    });
}
