#include "printing/PrintProgressWindow.h"

#include "app/frame/AppFrame.h"
#include "platform/Exception.h"
#include "printing/AlbumPrint.h"
#include "printing/JobMonitor.h"
#include "printing/Messages.h"
#include "printing/Printer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

void TSTDPhasedProgress::Changed(int value) {
    if (bar_) bar_->setValue(value);
}

TPrintProgressWindow::TPrintProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog), bar_(new QProgressBar(this)), progress_(bar_) {
    setWindowTitle(QCoreApplication::applicationName());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(msg::printingProgressCaption(), this));
    bar_->setRange(0, 10000);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    layout->addWidget(bar_);
    setMinimumWidth(360);
}

void TPrintProgressWindow::closeEvent(QCloseEvent* event) {
    if (Printer().Printing()) Printer().Abort();
    event->accept();
}

bool RunPrintCommand(QWidget* parent, TLabelData& data, TPrintSpec& spec) {
    TPrintProgressWindow window(parent);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QCoreApplication::processEvents();
    TAlbumPrintHooks hooks;
    hooks.Progress = &window.Progress();
    hooks.PrintWithoutKvr = [] {
        return AppMessageBox(msg::printWithoutKvrQuestion(), {mbYes, mbNo}, 0, 1) == mbYes;
    };
    hooks.OnSheetDone = [&window](int jobId, uint8_t& reply) {
        reply = SheetDoneReply(WaitForPrintJob(&window, jobId));
    };
    bool printed = false;
    PrintAlbum(data, spec, hooks, &printed);
    window.hide();
    return printed;
}
