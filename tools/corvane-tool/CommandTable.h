#pragma once
// corvane-tool's command table: the usage text, `help` and the dispatch all come from it.
// Each command parses its own options with QCommandLineParser.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

struct ToolCommand {
    QStringView name;
    QStringView synopsis;  // the usage line after "corvane-tool "
    QStringView notes;     // further lines of the command's usage (may be empty)
    // Takes the arguments after the command's name and returns the exit code.
    int (*run)(const ToolCommand& command, const QStringList& args);
};

const ToolCommand* findToolCommand(QStringView name);

// The usage of every command.
QString toolUsage();
// The usage of one command: its synopsis and notes.
QString commandUsage(const ToolCommand& command);
// Prints the command's usage to standard error and returns the exit code of usage errors.
int usageError(const ToolCommand& command);

// Parses `args`, the words after the command's name, with `parser`: false when an option
// is unknown or lacks its value.
bool parseCommandLine(QCommandLineParser& parser, const ToolCommand& command,
                      const QStringList& args);

// The words of a command that takes no options, or none when an option is given. Every
// word after the first plain one is taken as it is, also when it starts with "-".
std::optional<QStringList> plainArguments(const ToolCommand& command, const QStringList& args);

// Runs the command named by the first word with the others; an unknown or missing name
// prints the usage and gives the usage error's exit code.
int runToolCommand(const QStringList& args);
