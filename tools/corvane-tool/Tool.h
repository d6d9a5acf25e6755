#pragma once
// corvane-tool: shared pieces of the subcommands.

#include <QString>
#include <QStringList>

class TdataMain;

// Output as UTF-8 lines.
void out(const QString& line);
void err(const QString& line);

// The data module configured as the program in this tool's folder would be.
TdataMain& toolDataModule();

// Subcommands: each takes the arguments after its name and returns the exit code.
int runMacro(const QStringList& args);
int runSettings(const QStringList& args);
int runDoctor(const QStringList& args);
int runCfb(const QStringList& args);
int runStream(const QStringList& args);
int runPapers(const QStringList& args);
int runPaper(const QStringList& args);
int runPicture(const QStringList& args);
int runRender(const QStringList& args);
