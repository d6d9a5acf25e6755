// corvane-tool settings: reads and writes the program's settings.
#include "app/DataMain.h"
#include "platform/Format.h"
#include "platform/SettingsStore.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

namespace {
void listKey(platform::SettingsStore& store, const QString& key, const QString& prefix) {
    for (const QString& name : store.valueNames(key))
        out(prefix + name + u'=' + store.readString(key, name).value_or(QString()));
    for (const QString& sub : store.subKeys(key))
        listKey(store, key + u'\\' + sub, prefix + sub + u'\\');
}
}  // namespace

int runSettings(const ToolCommand& command, const QStringList& commandArgs) {
    // Names and values are taken as they are, also when they start with "-".
    const auto words = plainArguments(command, commandArgs);
    if (!words) return usageError(command);
    const QStringList& args = *words;
    TAppFrame& frame = toolDataModule().Frame();
    const QString verb = args.value(0);
    if (verb == u"get" && args.size() == 2) {
        const auto v = frame.Settings().readString(frame.SettingsKey(), args[1]);
        if (!v) {
            err(platform::format(QStringLiteral("設定値「%s」はありません"), args[1]));
            return 1;
        }
        out(*v);
        return 0;
    }
    if (verb == u"set" && args.size() == 3) {
        frame.WriteString(args[1], args[2]);
        return 0;
    }
    if (verb == u"list" && args.size() == 1) {
        listKey(frame.Settings(), frame.SettingsKey(), QString());
        return 0;
    }
    return usageError(command);
}
