#pragma once
// The waiting window of the album-wide photo operations: the caption, a progress bar, the
// counter, the photo being placed and the stop button. It is application-modal while it
// is shown, so no other command can run; the operation keeps the program responsive by
// asking StopRequested after each frame or page, which processes pending events.

#include <QDialog>

class QLabel;
class QProgressBar;
class TPictureEx;

class TSequenceWaitWindow : public QDialog {
public:
    explicit TSequenceWaitWindow(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    void SetPosition(int position);
    void Step();
    int Position() const;
    void SetCounter(const QString& text);
    QString Counter() const;
    void ShowPhoto(const TPictureEx& picture);
    // Processes pending events, then tells whether the stop button was pressed.
    bool StopRequested();
    // Presses the stop button (also what a click does).
    void RequestStop() { stop_ = true; }

protected:
    void reject() override;  // Escape and closing the window ask to stop

private:
    QLabel* counter_;
    QLabel* photo_;
    QProgressBar* progress_;
    bool stop_ = false;
};
