#pragma once
// Between the sheets of a spooled print run: which job the sheet became, and whether it
// has left the queue. The Qt dialog (WaitPrintJobDialog.cpp) polls TPrintJobWait.

#include <QString>
#include <cstdint>

class QWidget;

// Records the job of each sheet sent: the id the spooler gave when the job was created.
class TPrintJobIDPeeker {
public:
    void SheetSent(int jobId) { jobId_ = jobId; }
    // The recorded id; when none was given, the newest job of the current printer's queue
    // (0 when the queue is empty or cannot be read).
    int GetJobID();

private:
    int jobId_ = 0;
};

// One job of the current printer being waited for.
class TPrintJobWait {
public:
    explicit TPrintJobWait(int jobId);
    int JobId() const { return jobId_; }
    // Asks the spooler once; true when the job is done: completed, cancelled, aborted,
    // no longer in the queue, or the queue cannot be asked.
    bool Poll();

private:
    QString printer_;
    int jobId_;
};

// How the wait ended, and the sheet-done reply it gives (1 stop, 2 go on without
// asking again, 0 go on).
enum class TWaitResult { JobDone, SpoolAll, Abort, Closed };
uint8_t SheetDoneReply(TWaitResult result);

// The modal dialog "スプールされたページの印刷完了を待っています．．．" until the job is
// done or the user chooses; a job already done shows nothing.
TWaitResult WaitForPrintJob(QWidget* parent, int jobId);
