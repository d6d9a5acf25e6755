#pragma once
// The data files the program opens at start-up, in order. This list is the one place
// where the subsystems that own such files (image cache, paper catalogue, product
// database, album shadows) add their opening step.

#include "platform/Exception.h"

#include <QString>
#include <functional>
#include <vector>

class TdataMain;

// Raised by an opening step when the file exists but may not be written.
VELLUMO_DECLARE_EXCEPTION(EReadOnlyDataFile, Exception);

struct TStartupFile {
    QString label;          // what the step opens, for the doctor's report
    QString fileMacro;      // the file, as macro text ("$(SystemPaperInfo)")
    bool mustExist = true;  // a missing file fails before `open` is called
    // The file named when the step fails; empty: the file itself. (A failing product
    // database names the system catalogue.)
    QString messageFileMacro;
    std::function<void(TdataMain& data, const QString& path)> open;  // raises on failure
};

std::vector<TStartupFile> StartupDataFiles();

// What the subsystems install before the start conditions are checked, in order: the
// catalogue's purpose filter, then the picture formats. This list is the one place where
// those subsystems add their step.
struct TStartupRegistration {
    QString label;
    std::function<void(TdataMain& data)> install;
};
std::vector<TStartupRegistration> StartupRegistrations();
