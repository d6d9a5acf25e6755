#include "app/DataMain.h"

#include "app/frame/ProgramMacros.h"
#include "document/ProductDB.h"
#include "library/ThumbnailCache.h"
#include "paper/PapersV2.h"
#include "objects/AlbumPhotoShared.h"
#include "paper/Papers.h"
#include "platform/Format.h"
#include "platform/MessageOf.h"
#include "platform/UserFolders.h"

#include <QFileInfo>

using platform::format;

TdataMain::TdataMain(const QString& programPath)
    : imageServers_(QString::fromLatin1(plugin::kImageServerCategory)),
      otherServers_(QString::fromLatin1(plugin::kSecondServerCategory)),
      files_(StartupDataFiles()) {
    ConfigureProgramFrame(frame_, programPath);
}

TdataMain::~TdataMain() {
    // The catalogue writes itself back when it was changed; a failure is reported, and the
    // file keeps its previous content.
    if (!papers_) return;
    try {
        papers_->Close();
    } catch (const std::exception& e) {
        frame_.HandleException(e);
    }
}

TThumbnailCache& TdataMain::Thumbnails() {
    if (!thumbnails_) {
        auto cache = std::make_unique<TThumbnailCache>(cacheLock_);
        const QString file = frame_.ExpandOrKeep(QStringLiteral("$(ImageCacheFile)"));
        platform::makePrivateFolder(QFileInfo(file).absolutePath());
        cache->Open(file);
        thumbnails_ = std::move(cache);
        ApplyCacheSettings();
    }
    return *thumbnails_;
}

void TdataMain::ApplyCacheSettings() {
    Thumbnails().ApplyCacheSettings(ReadBoolSetting(QStringLiteral("CacheEnabl"), true),
                                    ReadIntegerSetting(QStringLiteral("CacheLimit"), 0));
}

void TdataMain::LoadPlugins() {
    const QString folder = frame_.ExpandOrKeep(QStringLiteral("$(ExeDir)Plugins"));
    imageServers_.Load(folder, &client_);
    otherServers_.Load(folder, &client_);
}

void TdataMain::ReadImageLimits() {
    const bool disp = frame_.ReadBool(QStringLiteral("ImageDispLimit"), true);
    limits_.displayLimit = disp ? frame_.ReadInteger(QStringLiteral("ImageDispLimitSize"), 800) : 0;
    const bool print = frame_.ReadBool(QStringLiteral("ImagePrintLimit"), true);
    limits_.printLimit =
        print ? frame_.ReadInteger(QStringLiteral("ImagePrintLimitSize"), 3000) : 0;
    AlbumPhotoShared().displayLimit = limits_.displayLimit;
    AlbumPhotoShared().printLimit = limits_.printLimit;
}

bool TdataMain::OpenDataFiles(std::vector<TStartupFileResult>* report) {
    static const QString kCannotOpen =
        QStringLiteral("アプリケーションに必要なファイル「%s」が開けませんでした");
    static const QString kReadOnly =
        QStringLiteral("実行に必要なファイル「%s」が読み取り専用になっています");
    for (const TStartupFile& f : files_) {
        const QString path = frame_.ExpandOrKeep(f.fileMacro);
        const QString named =
            f.messageFileMacro.isEmpty() ? path : frame_.ExpandOrKeep(f.messageFileMacro);
        auto fail = [&](const QString& pattern, const QString& detail) {
            if (report) report->push_back({f.label, path, false, detail});
            frame_.MessageBox(format(pattern, named), {mbOK});
            return false;
        };
        if (f.mustExist && !QFileInfo(path).isFile())
            return fail(kCannotOpen, QStringLiteral("missing"));
        try {
            if (f.open) f.open(context(), path);
        } catch (const EReadOnlyDataFile& e) {
            return fail(kReadOnly, e.message());
        } catch (const std::exception& e) {
            return fail(kCannotOpen, MessageOf(e));
        }
        if (report) report->push_back({f.label, path, true, QString()});
    }
    return true;
}

bool TdataMain::Startup(const TStartupHooks& hooks) {
    // The cache lock and the plug-in client exist with the data module.
    LoadPlugins();
    for (const TStartupRegistration& step : StartupRegistrations())
        if (step.install) step.install(context());
    if (!frame_.CheckStartConditions()) return false;
    if (hooks.showSplash) hooks.showSplash();
    ReadImageLimits();
    if (!OpenDataFiles()) return false;
    if (hooks.createMainWindow) hooks.createMainWindow();
    startupFinished_ = true;
    return true;
}
