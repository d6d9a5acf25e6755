// The between-sheets dialog: waits for the job of the sheet just sent, asking the spooler
// at every timer tick.
#include "printing/JobMonitor.h"
#include "printing/Messages.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TWaitResult WaitForPrintJob(QWidget* parent, int jobId) {
    TPrintJobWait wait(jobId);
    if (wait.Poll()) return TWaitResult::JobDone;
    QDialog dialog(parent);
    dialog.setWindowTitle(QCoreApplication::applicationName());
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(msg::waitPrintJobText(), &dialog));
    auto* buttons = new QHBoxLayout;
    auto* all = new QPushButton(msg::spoolAllCaption(), &dialog);
    auto* abort = new QPushButton(msg::abortPrintCaption(), &dialog);
    buttons->addWidget(all);
    buttons->addWidget(abort);
    layout->addLayout(buttons);
    TWaitResult result = TWaitResult::Closed;
    QObject::connect(all, &QPushButton::clicked, &dialog, [&] {
        result = TWaitResult::SpoolAll;
        dialog.accept();
    });
    QObject::connect(abort, &QPushButton::clicked, &dialog, [&] {
        result = TWaitResult::Abort;
        dialog.reject();
    });
    QTimer timer;
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, &dialog, [&] {
        if (wait.Poll()) {
            result = TWaitResult::JobDone;
            dialog.accept();
        }
    });
    timer.start();
    dialog.exec();
    return result;
}
