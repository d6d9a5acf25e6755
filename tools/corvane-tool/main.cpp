// corvane-tool: the command-line companion of the program.
#include "app/DataMain.h"
#include "app/ProgramClasses.h"
#include "platform/MemoryTuning.h"
#include "platform/MessageOf.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

void out(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
}
void err(const QString& line) {
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
}

namespace {
std::unique_ptr<TdataMain> g_data;
}  // namespace

TdataMain& toolDataModule() {
    if (!g_data) {
        // Macros such as $(ExeNameNoExt) name the program, not this tool.
        const QString program =
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("corvane"));
        g_data = std::make_unique<TdataMain>(program);
        g_data->Frame().OnMessageBox = [](const QString& text, const TMsgDlgButtons& buttons,
                                          int def, int) {
            err(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            return buttons.at(size_t(def >= 0 && def < int(buttons.size()) ? def : 0));
        };
    }
    return *g_data;
}

int main(int argc, char** argv) {
    platform::KeepLargeBlocksForReuse();
    // Fonts need the GUI module; the tool never opens a window, so it needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    RegisterProgramClasses();
    int rc = 2;
    try {
        rc = runToolCommand(QCoreApplication::arguments().mid(1));
    } catch (const std::exception& e) {
        err(MessageOf(e));
        rc = 1;
    }
    g_data.reset();
    return rc;
}
