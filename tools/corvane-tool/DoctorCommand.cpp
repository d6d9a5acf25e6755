// corvane-tool doctor: the start-up checks without a window, one line per check.
#include "album/WorkingCopies.h"
#include "app/DataMain.h"
#include "platform/SettingsStore.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

int runDoctor(const ToolCommand& command, const QStringList& args) {
    const auto words = plainArguments(command, args);
    if (!words || !words->isEmpty()) return usageError(command);
    TdataMain& data = toolDataModule();
    TAppFrame& frame = data.Frame();
    out(QStringLiteral("program folder: ") + frame.ExpandOrKeep(QStringLiteral("$(ExeDir)")));
    out(QStringLiteral("settings file: ") + frame.Settings().filePath());

    std::vector<TStartCheckResult> checks;
    bool ok = frame.CheckStartConditions(&checks);
    for (const TStartCheckResult& c : checks)
        out(QStringLiteral("%1: %2%3")
                .arg(QLatin1StringView(ExecuteConditionName(c.condition)),
                     c.passed ? QStringLiteral("ok") : QStringLiteral("FAILED"),
                     c.detail.isEmpty() ? QString() : QStringLiteral(" (") + c.detail + u')'));
    if (ok) {
        data.LoadPlugins();
        out(QStringLiteral("plug-ins: %1 image import server(s)")
                .arg(data.ImageServers().Servers().size()));
        std::vector<TStartupFileResult> files;
        ok = data.OpenDataFiles(&files);
        for (const TStartupFileResult& f : files)
            out(QStringLiteral("%1: %2 %3%4")
                    .arg(f.label, f.passed ? QStringLiteral("ok") : QStringLiteral("FAILED"),
                         f.path,
                         f.detail.isEmpty() ? QString() : QStringLiteral(" (") + f.detail + u')'));
    }
    // Left over by a crashed process: kept to be offered back, never deleted here.
    for (const QString& copy : AbandonedWorkingCopies())
        out(QStringLiteral("working copy left by a crashed process: ") + copy);
    out(ok ? QStringLiteral("result: the program can start")
           : QStringLiteral("result: the program cannot start"));
    return ok ? 0 : 1;
}
