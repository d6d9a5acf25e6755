#include "app/StartupFiles.h"

std::vector<TStartupFile> StartupDataFiles() {
    std::vector<TStartupFile> files;
    // Filled by the subsystems as they arrive, in this order: the image cache
    // "$(ImageCacheFile)", the system paper catalogue "$(SystemPaperInfo)" with its extras,
    // the product database "$(ProductDB)", and "$(ExeDir)AlbumShd.dat".
    return files;
}
