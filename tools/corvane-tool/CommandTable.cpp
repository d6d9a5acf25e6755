#include "tools/corvane-tool/CommandTable.h"

#include "app/frame/Version.h"
#include "tools/corvane-tool/Tool.h"

namespace {

int runVersion(const ToolCommand& command, const QStringList& args) {
    const auto words = plainArguments(command, args);
    if (!words || !words->isEmpty()) return usageError(command);
    out(QStringLiteral("corvane-tool " VELLUMO_VERSION_STRING));
    return 0;
}

int unknownCommand(const QString& name) {
    err(QStringLiteral("不明なコマンドです: %1").arg(name));
    err(toolUsage());
    return 2;
}

// help: the usage of every command, or of the one named. The word is a command's name as
// it is, so that "help --version" names the --version command rather than an option.
int runHelp(const ToolCommand& command, const QStringList& args) {
    if (args.size() > 1) return usageError(command);
    if (args.isEmpty()) {
        out(toolUsage());
        return 0;
    }
    const ToolCommand* named = findToolCommand(args.front());
    if (!named) return unknownCommand(args.front());
    out(commandUsage(*named));
    return 0;
}

constexpr ToolCommand kCommands[] = {
    {u"--version", u"--version", {}, runVersion},
    {u"help", u"help [COMMAND]", {}, runHelp},
    {u"macro", u"macro [--no-quote-strip] [--define NAME=VALUE]... TEXT", {}, runMacro},
    {u"settings", u"settings get NAME | set NAME VALUE | list", {}, runSettings},
    {u"doctor", u"doctor", {}, runDoctor},
    {u"cfb",
     u"cfb ls FILE | cat FILE PATH | put FILE PATH SRCFILE | mkdir FILE PATH | rm FILE PATH | mv "
     u"FILE FROM TO",
     {},
     runCfb},
    {u"stream", u"stream dump FILE | build [--resource NAME | --list] TEXTFILE OUTFILE",
     u"  FILE, TEXTFILE に - を指定すると標準入力、OUTFILE に - を指定すると標準出力", runStream},
    {u"papers",
     u"papers FILE [--extras] | export CATALOGUE OUT.ppb [NAME...] | import IN CATALOGUE | update "
     u"CATALOGUE UPDATE.ppr | companies CATALOGUE | match CATALOGUE NAME [--group GROUP] [--user] "
     u"| design CATALOGUE PAPER ALBUM.vld",
     {},
     runPapers},
    {u"products", u"products [FILE.cdb]", {}, runProducts},
    {u"paper", u"paper FILE NAME [--faces OUT.png]", {}, runPaper},
    {u"picture",
     u"picture info FILE | convert IN OUT [--size WxH] [--filter area|linear|cubic] [--rotate "
     u"DEG] [--blur R] | filter IN OUT [--clip L,T,R,B] [--blur N] [--light B,C] [--mono "
     u"0xBBGGRR] [--auto 0|1|2|3] [--print]",
     {},
     runPicture},
    {u"album",
     u"album new CATALOGUE PAPER OUT.vld [--cover PAPER] | info FILE | put FILE --sheet N "
     u"[--face F] LIST | add FILE --sheet N [--face F] LIST | objects FILE --sheet N [--face F] "
     u"OUT | add-page FILE [--after N] | render FILE --sheet N [--face F] [--dpi D] OUT.png | "
     u"preview FILE --sheet N [--face F] OUT.png | fill FILE [--sheet N] PHOTO... | "
     u"insert-slot FILE --sheet N --frame K | delete-photo FILE --sheet N --frame K | correct "
     u"FILE --filter 0|1|2|3 [--sheet N] | render ... --print",
     {},
     runAlbum},
    {u"exif", u"exif FILE", u"  Exif情報のテキストと撮影日を表示", runExif},
    {u"render",
     u"render CATALOGUE PAPERNAME [--face N] [--objects LISTFILE] [--dpi D] [--landscape] "
     u"OUT.png",
     {},
     runRender},
    {u"print",
     u"print FILE.vld [--sheets LIST] | CATALOGUE PAPERNAME [--objects LISTFILE] [--landscape] "
     u"[--outline] [--trim]; both (--printer NAME | --pdf OUT.pdf) [--offset X,Y] "
     u"[--resolution DPI] [--banding 0|1|2] [--copies N]",
     {},
     runPrint},
    {u"fonts", u"fonts", u"  名前、ファミリ、ファイル、縦書きの有無をタブ区切りで表示", runFonts},
    {u"text",
     u"text convert [--half-to-full] [--minus-exc] [--digits-to-kanji] TEXT | layout [--font "
     u"NAME] [--size PT] [--align 0|1|2|3] [--width W] [--spacing S] [--vertical] TEXT | render "
     u"[--font NAME] [--size PT] [--align N] [--vertical] [--angle DEG] [--bulge B] [--dpi D] "
     u"--box L,T,R,B TEXT OUT.png",
     {},
     runText},
    {u"printers", u"printers",
     u"  名前、既定の印、ドライバ、状態、フチなし印刷と色合わせの可否をタブ区切りで表示",
     runPrinters},
    {u"printer",
     u"printer show NAME | ext NAME [--borderless on|off] [--media ID] [--quality N]",
     {},
     runPrinter},
    {u"kvr",
     u"kvr inspect FILE | correct FILE OUT.png [--mode kvr|exif] [--print] [--profile ICC] | prt "
     u"IN OUT.bmp [--format 1|2|4]",
     {},
     runKvr},
    {u"thumbs", u"thumbs DIR --cache FILE.ic [--size 150]", {}, runThumbs},
    {u"cache", u"cache ls FILE.ic | prune --max MIB FILE.ic | clear FILE.ic", {}, runCache},
};

}  // namespace

const ToolCommand* findToolCommand(QStringView name) {
    for (const ToolCommand& c : kCommands)
        if (c.name == name) return &c;
    return nullptr;
}

QString toolUsage() {
    QString text = QStringLiteral("使い方: corvane-tool <コマンド> [引数...]");
    for (const ToolCommand& c : kCommands) text.append(u"\n  ").append(c.synopsis);
    return text;
}

QString commandUsage(const ToolCommand& command) {
    QString text = QStringLiteral("使い方: corvane-tool ");
    text.append(command.synopsis);
    if (!command.notes.isEmpty()) text.append(u'\n').append(command.notes);
    return text;
}

int usageError(const ToolCommand& command) {
    err(commandUsage(command));
    return 2;
}

bool parseCommandLine(QCommandLineParser& parser, const ToolCommand& command,
                      const QStringList& args) {
    // The parser takes the first word for the program's name.
    return parser.parse(QStringList{command.name.toString()} + args);
}

std::optional<QStringList> plainArguments(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parseCommandLine(parser, command, args)) return std::nullopt;
    return parser.positionalArguments();
}

int runToolCommand(const QStringList& args) {
    if (args.isEmpty()) {
        err(toolUsage());
        return 2;
    }
    const ToolCommand* command = findToolCommand(args.front());
    if (!command) return unknownCommand(args.front());
    return command->run(*command, args.mid(1));
}
