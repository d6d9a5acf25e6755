#include "printing/JobMonitor.h"

#include "platform/Exception.h"
#include "platform/spooler/Spooler.h"
#include "printing/Printer.h"

namespace {
QString currentPrinter() {
    QString device;
    Printer().GetPrinter(&device, nullptr, nullptr, nullptr);
    return device;
}
}  // namespace

int TPrintJobIDPeeker::GetJobID() {
    if (jobId_ != 0) return jobId_;
    try {
        for (const auto& j : platform::systemSpooler().jobs(currentPrinter(), true))
            jobId_ = std::max(jobId_, j.id);
    } catch (const Exception&) {
        jobId_ = 0;
    }
    return jobId_;
}

TPrintJobWait::TPrintJobWait(int jobId) : printer_(currentPrinter()), jobId_(jobId) {}

bool TPrintJobWait::Poll() {
    try {
        for (const auto& j : platform::systemSpooler().jobs(printer_, false))
            if (j.id == jobId_) return j.state >= 7;  // canceled, aborted, completed
    } catch (const Exception&) {
    }
    return true;
}

uint8_t SheetDoneReply(TWaitResult result) {
    switch (result) {
        case TWaitResult::Abort:
            return 1;
        case TWaitResult::SpoolAll:
            return 2;
        default:
            return 0;
    }
}
