#pragma once
// The program's application object: routes errors that escape an event handler to the
// application frame instead of ending the program.

#include <QApplication>

class TVellumoApplication : public QApplication {
public:
    TVellumoApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

// The program's handler of uncaught errors: an out-of-memory error gets its own advice,
// everything else the frame's default report.
void ReportUncaughtError(const std::exception& e);
