#include "app/DataMain.h"

#include "app/frame/ProgramMacros.h"
#include "drawing/DrawObjectClasses.h"
#include "imaging/picture/TemporaryPicture.h"
#include "paper/PaperClasses.h"
#include "paper/Papers.h"
#include "platform/Format.h"
#include "platform/MessageOf.h"
#include "platform/UserFolders.h"

#include <QFile>
#include <QFileInfo>

using platform::format;

TdataMain::TdataMain(const QString& programPath)
    : imageServers_(QString::fromLatin1(plugin::kImageServerCategory)),
      otherServers_(QString::fromLatin1(plugin::kSecondServerCategory)),
      files_(StartupDataFiles()) {
    // Stored objects can be read from here on.
    RegisterDrawObjectClasses();
    RegisterPaperClasses();
    RegisterTemporaryPicture();
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

void TdataMain::OpenPaperCatalogue(const QString& path) {
    if (!QFileInfo::exists(path)) {
        const QString shipped = frame_.ExpandOrKeep(QStringLiteral("$(ExeDir)$(ExeName).ppr"));
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
    auto papers = std::make_unique<TPapers>();
    papers->Open(path, false);
    papers_ = std::move(papers);
    // Damaged papers are left out and kept in the file; the user is told which.
    if (!papers_->DamagedPapers().empty()) frame_.MessageBox(papers_->DamageReport(), {mbOK});
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
            if (f.open) f.open(*this, path);
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
        if (step.install) step.install(*this);
    if (!frame_.CheckStartConditions()) return false;
    if (hooks.showSplash) hooks.showSplash();
    ReadImageLimits();
    if (!OpenDataFiles()) return false;
    if (hooks.createMainWindow) hooks.createMainWindow();
    startupFinished_ = true;
    return true;
}
