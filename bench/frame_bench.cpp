// Macro expansion and settings reads: both run on every configurable text and setting.
#include "app/frame/AppFrame.h"
#include "app/frame/ProgramMacros.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <benchmark/benchmark.h>

static void BM_ExpandProgramMacro(benchmark::State& state) {
    TAppFrame frame;
    ConfigureProgramFrame(frame, QDir::tempPath() + "/corvane");
    for (auto _ : state) benchmark::DoNotOptimize(frame.Macro().Expand("$(UserPaperInfo)"));
}
BENCHMARK(BM_ExpandProgramMacro);

static void BM_ReadSetting(benchmark::State& state) {
    const QString path = QDir::tempPath() + "/vellumo-bench-settings.conf";
    platform::SettingsStore store(path);
    for (int i = 0; i < 200; ++i) store.writeString("Software\\Bench", QString("Value%1").arg(i), "x");
    for (auto _ : state) benchmark::DoNotOptimize(store.readString("Software\\Bench", "Value150"));
    QFile::remove(path);
}
BENCHMARK(BM_ReadSetting);
