#include "app/StartupFiles.h"

#include "app/DataMain.h"
#include "imaging/picture/GraphicRegistry.h"
#include "paper/Purpose.h"

std::vector<TStartupFile> StartupDataFiles() {
    std::vector<TStartupFile> files;
    // In this order: the image cache "$(ImageCacheFile)", the system paper catalogue
    // "$(SystemPaperInfo)" with its extras, the product database "$(ProductDB)", and
    // "$(ExeDir)AlbumShd.dat". The subsystems add their steps as they arrive.
    TStartupFile catalogue;
    catalogue.label = QStringLiteral("paper catalogue");
    catalogue.fileMacro = QStringLiteral("$(SystemPaperInfo)");
    catalogue.mustExist = false;  // the first start may copy it into place (OpenPaperCatalogue)
    catalogue.open = [](TdataMain& data, const QString& path) { data.OpenPaperCatalogue(path); };
    files.push_back(std::move(catalogue));
    return files;
}

std::vector<TStartupRegistration> StartupRegistrations() {
    std::vector<TStartupRegistration> steps;
    // The paper catalogue's purpose filter, then the picture formats.
    steps.push_back({QStringLiteral("purpose filter"), [](TdataMain&) {
                         InstallPurposeValidator(std::make_unique<TCDLabelPurposeValidator>());
                     }});
    steps.push_back(
        {QStringLiteral("picture formats"), [](TdataMain&) { RegisterStandardGraphics(); }});
    return steps;
}
