#pragma once
// The application frame: the one process-wide component that owns the macro table,
// the settings store, the start conditions, message boxes, the report of uncaught
// errors, window placement and the search for application files. Creating a frame
// makes it the current frame; the free helpers at the end of this file work through it.

#include "app/frame/MacroString.h"
#include "app/frame/MessageButtons.h"

#include <QRect>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

// Raises the program's window (restoring it when minimised) so a message is seen with it;
// does nothing without a widget application.
void bringApplicationToFront();

// Shows a message with the program's standard dialog (MessageDialog.cpp); without a
// widget application it writes the text to standard error and returns the default button.
TMsgDlgBtn showStandardMessageBox(const QString& title, const QString& text,
                                  const TMsgDlgButtons& buttons, int defaultIndex, int escapeIndex);

namespace platform {
class InstanceLock;
class SettingsStore;
}  // namespace platform
class QWidget;

enum TExecuteCondition { ecNeedHighColor, ecNeedPrinter, ecExclusive, ecPowerUsers };
using TExecuteConditions = std::set<TExecuteCondition>;

const char* ExecuteConditionName(TExecuteCondition c);

// What the start conditions look at; the defaults probe the real machine, tests replace them.
struct TStartProbe {
    std::function<int()> screenBitsPerPixel;       // 0 when there is no screen to ask
    std::function<bool(QString* why)> userFolderWritable;
    std::function<QString()> usablePrinter;        // empty when there is none
    std::function<bool(const QString& mutexName)> acquireInstance;
};

// One line of the start-condition report (for corvane-tool doctor).
struct TStartCheckResult {
    TExecuteCondition condition;
    bool passed;
    QString detail;
};

class TAppFrame {
public:
    TAppFrame();
    ~TAppFrame();
    TAppFrame(const TAppFrame&) = delete;
    TAppFrame& operator=(const TAppFrame&) = delete;

    static TAppFrame* Current();

    // --- macro table ---
    TMacroString& Macro() { return macro_; }
    void SetMacro(const TStrings& lines) { macro_.Assign(lines); }
    // Fills the built-in entries from the program's path (step 0 of the start-up).
    void LoadBuiltinMacros(const QString& programPath);
    // The expansion of `text`; the text unchanged when it does not expand.
    QString ExpandOrKeep(const QString& text);

    TExecuteConditions ExecuteCondition;

    // --- events ---
    TMessageBoxHandler OnMessageBox;
    std::function<void(const std::exception&)> OnException;
    std::function<bool(const QString& displayName)> OnCDNotFound;  // true: search again
    std::function<uintptr_t()> OnActiveWindowHandle;             // for plug-ins

    // --- settings store (values under HKEY_CURRENT_USER\$(SysRegistryKey)) ---
    platform::SettingsStore& Settings();
    QString SettingsKey();  // the expansion of "$(SysRegistryKey)"
    bool ReadBool(const QString& name, bool def);
    int ReadInteger(const QString& name, int def);
    QString ReadString(const QString& name, const QString& def);
    void WriteBool(const QString& name, bool value);
    void WriteInteger(const QString& name, int value);
    void WriteString(const QString& name, const QString& value);

    // --- messages ---
    TMsgDlgBtn MessageBox(const QString& text, const TMsgDlgButtons& buttons, int defaultIndex = 0,
                          int escapeIndex = -1);
    void HandleException(const std::exception& e);
    void ShowException(const std::exception& e);  // the default report

    // --- start conditions ---
    TStartProbe& StartProbe() { return probe_; }
    // Checks the conditions in ExecuteCondition in their fixed order and stops at the first
    // failure; every condition checked is appended to `report` when given.
    bool CheckStartConditions(std::vector<TStartCheckResult>* report = nullptr);
    const QString& StartPrinter() const { return startPrinter_; }

    // --- application files ---
    QString FindApplicationFile(const QString& displayName, const QString& relativeName);
    const QString& MediaFolder() const { return mediaFolder_; }
    // Folders scanned for installation media (mount points); default: the usual ones.
    void SetMediaRoots(QStringList roots) { mediaRoots_ = std::move(roots); }

    // --- window placement ---
    void SavePlacement(QWidget* window);
    void RestorePlacement(QWidget* window, int defaultWidth, int defaultHeight);

private:
    QString settingsFilePath();
    TStartProbe defaultProbe();
    QString searchOnce(const QString& relativeName);
    QStringList mediaRoots() const;

    TMacroString macro_;
    std::unique_ptr<platform::SettingsStore> settings_;
    std::vector<std::unique_ptr<platform::InstanceLock>> blockers_;
    TStartProbe probe_;
    QString startPrinter_;
    QString mediaFolder_;
    std::optional<QStringList> mediaRoots_;
    TAppFrame* previous_ = nullptr;
};

// The placement algorithm without a window: the rectangle a window gets on a screen of
// `screen` size from the stored values (missing ones are nullopt).
QRect RestoredPlacement(QSize screen, int defaultWidth, int defaultHeight, std::optional<int> left,
                        std::optional<int> top, std::optional<int> width, std::optional<int> height);

// --- process-wide helpers through the current frame ---
QString ExpandText(const QString& text);  // unexpanded without a frame; raises EMacroString
bool ReadBoolSetting(const QString& name, bool def);
int ReadIntegerSetting(const QString& name, int def);
QString ReadStringSetting(const QString& name, const QString& def);
void WriteBoolSetting(const QString& name, bool value);
void WriteIntegerSetting(const QString& name, int value);
void WriteStringSetting(const QString& name, const QString& value);
TMsgDlgBtn AppMessageBox(const QString& text, const TMsgDlgButtons& buttons, int defaultIndex = 0,
                         int escapeIndex = -1);
void Inform(const QString& text);
bool Confirm(const QString& text);                 // OK / Cancel; true on OK
TMsgDlgBtn AskYesNoCancel(const QString& text);    // Yes (default) / No / Cancel (Esc)
QString FindApplicationFile(const QString& displayName, const QString& relativeName);
