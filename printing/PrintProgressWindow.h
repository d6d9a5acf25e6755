#pragma once
// The print command's progress window "印刷中です。少しお待ちください．．．": a progress bar
// fed by the run's phased progress. Closing the window aborts the job; the run notices at
// its next check (after every drawn object and every face).

#include "imaging/PhasedProgress.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class TLabelData;
class TPrintSpec;

// Phased progress shown on a progress bar (range 0..10000).
class TSTDPhasedProgress : public TPhasedProgressBase {
public:
    explicit TSTDPhasedProgress(QProgressBar* bar) : bar_(bar) {}

protected:
    void Changed(int value) override;

private:
    QProgressBar* bar_;
};

class TPrintProgressWindow : public QWidget {
public:
    explicit TPrintProgressWindow(QWidget* parent = nullptr);
    TPhasedProgressBase& Progress() { return progress_; }
    QProgressBar* Bar() const { return bar_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* bar_;
    TSTDPhasedProgress progress_;
};

// The print command: prints the sheets `spec` selects (Copies and offset as given) on the
// framework printer, with the progress window, the colour-matching question and the wait
// between spooled sheets. True when every selected sheet was handed over.
bool RunPrintCommand(QWidget* parent, TLabelData& data, TPrintSpec& spec);
