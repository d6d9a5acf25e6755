#pragma once
// corvane-tool: shared pieces of the subcommands.

#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

class TdataMain;
class TPapersV2;
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
// papers export / import / update / companies / match (PaperMergeCommand.cpp).
bool isPapersSubcommand(const QString& word);
int runPapersSubcommand(const ToolCommand& command, const QStringList& args);
// The lines of `papers FILE --extras` below paper `i`: one per extra it has.
void listPaperExtras(const TPapersV2& papers, int i);
int runProducts(const ToolCommand& command, const QStringList& args);
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
int runPictureFilter(const ToolCommand& command, const QStringList& args);
int runExif(const ToolCommand& command, const QStringList& args);

// Picture files by OUT's extension: BMP, PNG, JPEG or CBM; an unknown one raises.
void checkImageFileName(const QString& outPath);
void writeImageFile(const QImage& img, const QString& outPath, std::optional<QRgb> keyColour = {});
// Raises "オプションの値が不正です: WHAT".
[[noreturn]] void badOption(const QString& what);
