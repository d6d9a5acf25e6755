// The real machine as the start conditions see it.
#include "app/frame/AppFrame.h"
#include "platform/CupsPrinters.h"
#include "platform/InstanceLock.h"
#include "platform/UserFolders.h"
#include "platform/spooler/Spooler.h"

#include <QGuiApplication>
#include <QScreen>

TStartProbe TAppFrame::defaultProbe() {
    TStartProbe p;
    p.screenBitsPerPixel = [] {
        auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        QScreen* s = gui ? QGuiApplication::primaryScreen() : nullptr;
        return s ? s->depth() : 0;
    };
    // Administrator-like rights become: the per-user data folder can be made and written.
    p.userFolderWritable = [this](QString* why) {
        QString folder = ExpandOrKeep(QStringLiteral("$(UserPreferenceFolder)"));
        if (folder.contains(QStringLiteral("$("))) folder = platform::dataHome();
        *why = folder;
        return platform::makePrivateFolder(folder) && platform::isFolderWritable(folder);
    };
    // The default printer, else the first; without a print server the built-in PDF printer.
    p.usablePrinter = [] {
        const platform::CupsPrinterList list = platform::queryCupsPrinters();
        if (!list.defaultPrinter.isEmpty()) return list.defaultPrinter;
        if (!list.printers.isEmpty()) return list.printers.front();
        return platform::pdfPrinterName();
    };
    p.acquireInstance = [this](const QString& name) {
        auto lock = platform::InstanceLock::tryAcquire(name);
        if (!lock) return false;
        blockers_.push_back(std::move(lock));
        return true;
    };
    return p;
}
