#pragma once
// The data files the program opens at start-up, in order. This list is the one place
// where the subsystems that own such files (image cache, paper catalogue, product
// database, album shadows) add their opening step.

#include "platform/Exception.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TAppFrame;
class TPapersV2;
class TProductDB;

// Raised by an opening step when the file exists but may not be written.
VELLUMO_DECLARE_EXCEPTION(EReadOnlyDataFile, Exception);

// What the start-up steps work with: the frame (macros, settings, messages) and the
// places, owned by the data module, where the files they open are kept.
struct TStartupContext {
    TAppFrame& frame;
    std::unique_ptr<TPapersV2>& papers;     // the system paper catalogue
    std::unique_ptr<TProductDB>& products;  // the product database
};

struct TStartupFile {
    QString label;          // what the step opens, for the doctor's report
    QString fileMacro;      // the file, as macro text ("$(SystemPaperInfo)")
    bool mustExist = true;  // a missing file fails before `open` is called
    // The file named when the step fails; empty: the file itself. (A failing product
    // database names the system catalogue.)
    QString messageFileMacro;
    // Raises on failure.
    std::function<void(const TStartupContext& context, const QString& path)> open;
};

std::vector<TStartupFile> StartupDataFiles();

// Opens the system paper catalogue at `path`. Where the program folder is read-only the
// file lives in the per-user folder: on the first start it is copied there from the one
// shipped beside the program. Raises EReadOnlyDataFile when the file may not be written,
// and the catalogue's own error when it cannot be read.
std::unique_ptr<TPapersV2> OpenPaperCatalogue(TAppFrame& frame, const QString& path);

// What the subsystems install before the start conditions are checked, in order. This
// list is the one place where those subsystems add their step. (The stored classes and
// the picture formats are registered before, by RegisterProgramClasses.)
struct TStartupRegistration {
    QString label;
    std::function<void(const TStartupContext& context)> install;
};
std::vector<TStartupRegistration> StartupRegistrations();
