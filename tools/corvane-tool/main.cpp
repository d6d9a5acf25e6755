// corvane-tool: the command-line companion of the program.
#include "app/DataMain.h"
#include "app/frame/Version.h"
#include "platform/MessageOf.h"
#include "tools/corvane-tool/Tool.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <memory>

void out(const QString& line) { std::fprintf(stdout, "%s\n", line.toUtf8().constData()); }
void err(const QString& line) { std::fprintf(stderr, "%s\n", line.toUtf8().constData()); }

namespace {
std::unique_ptr<TdataMain> g_data;

void usage() {
    err(QStringLiteral("使い方: corvane-tool <コマンド> [引数...]\n"
                       "  --version\n"
                       "  macro [--no-quote-strip] [--define NAME=VALUE]... TEXT\n"
                       "  settings get NAME | set NAME VALUE | list\n"
                       "  doctor\n"
                       "  cfb ls FILE | cat FILE PATH | put FILE PATH SRCFILE | mkdir FILE PATH | rm FILE PATH | mv FILE FROM TO\n"
                       "  stream dump FILE | build [--resource NAME | --list] TEXTFILE OUTFILE\n"
                       "  papers FILE\n"
                       "  paper FILE NAME\n"
                       "  picture info FILE | convert IN OUT [--size WxH] [--filter area|linear|cubic] [--rotate DEG] [--blur R]\n"
                       "  render CATALOGUE PAPERNAME [--face N] [--objects LISTFILE] [--dpi D] [--landscape] OUT.png"));
}
}  // namespace

TdataMain& toolDataModule() {
    if (!g_data) {
        // Macros such as $(ExeNameNoExt) name the program, not this tool.
        const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("corvane"));
        g_data = std::make_unique<TdataMain>(program);
        g_data->Frame().OnMessageBox = [](const QString& text, const TMsgDlgButtons& buttons, int def, int) {
            err(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            return buttons.at(size_t(def >= 0 && def < int(buttons.size()) ? def : 0));
        };
    }
    return *g_data;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    int rc = 2;
    try {
        if (args.isEmpty()) {
            usage();
        } else {
            const QString cmd = args.takeFirst();
            if (cmd == u"--version") {
                out(QStringLiteral("corvane-tool " VELLUMO_VERSION_STRING));
                rc = 0;
            } else if (cmd == u"macro") {
                rc = runMacro(args);
            } else if (cmd == u"settings") {
                rc = runSettings(args);
            } else if (cmd == u"doctor") {
                rc = runDoctor(args);
            } else if (cmd == u"cfb") {
                rc = runCfb(args);
            } else if (cmd == u"stream") {
                rc = runStream(args);
            } else if (cmd == u"papers") {
                rc = runPapers(args);
            } else if (cmd == u"paper") {
                rc = runPaper(args);
            } else if (cmd == u"picture") {
                rc = runPicture(args);
            } else if (cmd == u"render") {
                rc = runRender(args);
            } else {
                err(QStringLiteral("不明なコマンドです: %1").arg(cmd));
                usage();
            }
        }
    } catch (const std::exception& e) {
        err(MessageOf(e));
        rc = 1;
    }
    g_data.reset();
    return rc;
}
