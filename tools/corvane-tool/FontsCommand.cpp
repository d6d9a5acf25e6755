// corvane-tool fonts: every face name the program knows, with the installed family and
// file it resolves to and whether it has a vertical ("@") form.

#include "platform/canvas/Fonts.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

int runFonts(const ToolCommand& command, const QStringList& args) {
    const auto words = plainArguments(command, args);
    if (!words || !words->isEmpty()) return usageError(command);
    const platform::FontRegistry& fonts = platform::FontRegistry::instance();
    for (const QString& name : fonts.usableFaces()) {
        const QString family = fonts.resolveFamily(name);
        const auto face = fonts.faceOfFamily(family);
        const bool vertical = fonts.isVertical(u'@' + name);
        out(QStringLiteral("%1\t%2\t%3\t%4")
                .arg(name, family, face ? face->file() : QString(),
                     vertical ? QStringLiteral("vertical") : QStringLiteral("-")));
    }
    return 0;
}
