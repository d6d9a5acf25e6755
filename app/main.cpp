// corvane: the desktop program.
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/DataMain.h"
#include "app/MainWindow.h"
#include "app/ProgramClasses.h"
#include "app/SplashWindow.h"
#include "app/frame/Version.h"
#include "platform/MemoryTuning.h"
#include "printing/KvrPhotoCorrector.h"

#include <QPointer>
#include <QTimer>
#include <memory>

int main(int argc, char** argv) {
    platform::KeepLargeBlocksForReuse();
    TVellumoApplication app(argc, argv);
    RegisterProgramClasses();
    InstallKvrPhotoCorrector();
    TdataMain data(QCoreApplication::applicationFilePath());
    TAppFrame& frame = data.Frame();
    frame.OnException = ReportUncaughtError;
    QApplication::setApplicationName(frame.ExpandOrKeep(QStringLiteral("$(AppName)")));
    QApplication::setApplicationVersion(QStringLiteral(VELLUMO_VERSION_STRING));

    std::unique_ptr<TfrmMain> mainWindow;
    QPointer<TfrmSplash> splash;  // the splash deletes itself when it closes
    // Messages close the splash first so that it never hides them.
    frame.OnMessageBox = [&](const QString& text, const TMsgDlgButtons& buttons, int def, int esc) {
        if (splash) splash->close();
        return showStandardMessageBox(frame.ExpandOrKeep(QStringLiteral("$(AppName)")), text,
                                      buttons, def, esc);
    };
    TStartupHooks hooks;
    hooks.showSplash = [&] {
        splash = new TfrmSplash(frame.ExpandOrKeep(QStringLiteral("$(AppName)")),
                                QStringLiteral(VELLUMO_VERSION_STRING));
        splash->show();
    };
    hooks.createMainWindow = [&] { mainWindow = std::make_unique<TfrmMain>(data); };
    frame.OnActiveWindowHandle = [] {
        QWidget* w = QApplication::activeWindow();
        return w ? std::uintptr_t(w->winId()) : std::uintptr_t(0);
    };
    if (!data.Startup(hooks)) return 1;
    mainWindow->show();

    // The first idle moment: the command line decides what to open.
    QTimer::singleShot(0, mainWindow.get(), [&] {
        const TCommandLineAction a = DecideCommandLine(QCoreApplication::arguments().mid(1));
        switch (a.kind) {
            case TCommandLineAction::OpenAlbum:
                mainWindow->OpenDocument(a.file);
                break;
            case TCommandLineAction::ImageList:
                data.ImageFileList = a.imageFiles;
                mainWindow->ShowStartMenu();
                break;
            case TCommandLineAction::StartMenu:
                mainWindow->ShowStartMenu();
                break;
        }
    });
    return app.exec();
}
