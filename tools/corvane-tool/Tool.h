#pragma once
// corvane-tool: shared pieces of the subcommands.

#include <QString>
#include <QStringList>

class TdataMain;
struct ToolCommand;

// Output as UTF-8 lines.
void out(const QString& line);
void err(const QString& line);

// The data module configured as the program in this tool's folder would be.
TdataMain& toolDataModule();

// Subcommands: each takes its table entry and the arguments after its name, and returns
// the exit code.
int runMacro(const ToolCommand& command, const QStringList& args);
int runSettings(const ToolCommand& command, const QStringList& args);
int runDoctor(const ToolCommand& command, const QStringList& args);
int runCfb(const ToolCommand& command, const QStringList& args);
int runStream(const ToolCommand& command, const QStringList& args);
int runPapers(const ToolCommand& command, const QStringList& args);
int runPaper(const ToolCommand& command, const QStringList& args);
int runPicture(const ToolCommand& command, const QStringList& args);
int runRender(const ToolCommand& command, const QStringList& args);
int runPrint(const ToolCommand& command, const QStringList& args);
int runAlbum(const ToolCommand& command, const QStringList& args);
int runFonts(const ToolCommand& command, const QStringList& args);
int runText(const ToolCommand& command, const QStringList& args);
int runPrinters(const ToolCommand& command, const QStringList& args);
int runPrinter(const ToolCommand& command, const QStringList& args);
int runKvr(const ToolCommand& command, const QStringList& args);
int runThumbs(const ToolCommand& command, const QStringList& args);
int runCache(const ToolCommand& command, const QStringList& args);
