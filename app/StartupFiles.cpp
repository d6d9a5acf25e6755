#include "app/StartupFiles.h"

std::vector<TStartupFile> StartupDataFiles() {
    std::vector<TStartupFile> files;
    // Filled by the subsystems as they arrive, in this order: the image cache
    // "$(ImageCacheFile)", the system paper catalogue "$(SystemPaperInfo)" with its extras,
    // the product database "$(ProductDB)", and "$(ExeDir)AlbumShd.dat".
    return files;
}

std::vector<TStartupRegistration> StartupRegistrations() {
    std::vector<TStartupRegistration> steps;
    // Filled by the subsystems as they arrive: the paper catalogue's purpose filter, then
    // the registration of the picture formats.
    return steps;
}
