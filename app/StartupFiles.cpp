#include "app/StartupFiles.h"

#include "app/frame/AppFrame.h"
#include "document/ProductDB.h"
#include "paper/PapersV2.h"
#include "objects/AlbumPhotoShared.h"
#include "paper/Papers.h"
#include "paper/Purpose.h"
#include "platform/Format.h"
#include "platform/UserFolders.h"

#include <QFile>
#include <QFileInfo>

using platform::format;

std::vector<TStartupFile> StartupDataFiles() {
    std::vector<TStartupFile> files;
    // In this order: the image cache "$(ImageCacheFile)", the system paper catalogue
    // "$(SystemPaperInfo)" with its extras, the product database "$(ProductDB)", and
    // "$(ExeDir)AlbumShd.dat". The subsystems add their steps as they arrive.
    TStartupFile catalogue;
    catalogue.label = QStringLiteral("paper catalogue");
    catalogue.fileMacro = QStringLiteral("$(SystemPaperInfo)");
    catalogue.mustExist = false;  // the first start may copy it into place (OpenPaperCatalogue)
    catalogue.open = [](const TStartupContext& context, const QString& path) {
        context.papers = OpenPaperCatalogue(context.frame, path);
    };
    files.push_back(std::move(catalogue));

    // Read beside the program; without the file the default records live in memory only.
    // A database that cannot be read names the system catalogue in the message.
    TStartupFile products;
    products.label = QStringLiteral("product database");
    products.fileMacro = QStringLiteral("$(ProductDB)");
    products.mustExist = false;
    products.messageFileMacro = QStringLiteral("$(SystemPaperInfo)");
    products.open = [](const TStartupContext& context, const QString& path) {
        auto db = std::make_unique<TProductDB>();
        db->OpenProductDB(path);
        context.products = std::move(db);
    };
    files.push_back(std::move(products));
    // The date glyph strip is installed with the shadow file; without it dates are drawn
    // as text.
    TStartupFile shadows;
    shadows.label = QStringLiteral("album shadows");
    shadows.fileMacro = QStringLiteral("$(ExeDir)AlbumShd.dat");
    shadows.open = [](const TStartupContext& context, const QString& path) {
        LoadAlbumShadowMask(path);
        const QString glyphs =
            context.frame.FindApplicationFile(QString(), QStringLiteral("DateFont.bmp"));
        if (!glyphs.isEmpty()) LoadDateGlyphStrip(glyphs);
    };
    files.push_back(std::move(shadows));
    return files;
}

std::unique_ptr<TPapersV2> OpenPaperCatalogue(TAppFrame& frame, const QString& path) {
    if (!QFileInfo::exists(path)) {
        const QString shipped = frame.ExpandOrKeep(QStringLiteral("$(ExeDir)$(ExeName).ppr"));
        if (QFileInfo(shipped).absoluteFilePath() != QFileInfo(path).absoluteFilePath() &&
            QFileInfo(shipped).isFile()) {
            platform::makePrivateFolder(QFileInfo(path).absolutePath());
            if (!QFile::copy(shipped, path))
                throw Exception(
                    format(QStringLiteral("「%s」を「%s」へ複写できません"), shipped, path));
            QFile::setPermissions(
                path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        }
    }
    if (!QFileInfo(path).isFile()) throw Exception(QStringLiteral("missing"));
    if (!QFileInfo(path).isWritable()) throw EReadOnlyDataFile(path);
    auto papers = std::make_unique<TPapersV2>();
    papers->Open(path, false);
    // Damaged papers are left out and kept in the file; the user is told which.
    if (!papers->DamagedPapers().empty()) frame.MessageBox(papers->DamageReport(), {mbOK});
    return papers;
}

std::vector<TStartupRegistration> StartupRegistrations() {
    std::vector<TStartupRegistration> steps;
    steps.push_back({QStringLiteral("purpose filter"), [](const TStartupContext&) {
                         InstallPurposeValidator(std::make_unique<TCDLabelPurposeValidator>());
                     }});
    return steps;
}
