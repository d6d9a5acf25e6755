// vellumo-papercc: compiles the readable catalogue source into a paper catalogue (.ppr)
// through the catalogue's own writer. Used by the build.
//
//     vellumo-papercc SOURCE OUTPUT
#include "document/Messages.h"
#include "drawing/DrawObjectClasses.h"
#include "objects/ImageObjectClasses.h"
#include "paper/PapersV2.h"
#include "platform/Format.h"
#include "tools/papercc/CatalogueSource.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {
void err(const QString& line) {
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        err(QStringLiteral("使い方: vellumo-papercc SOURCE OUTPUT"));
        return 2;
    }
    // The image extras hold draw objects, which are copied through streams.
    RegisterDrawObjectClasses();
    RegisterImageObjectClasses();
    try {
        QFile source(args[0]);
        if (!source.open(QIODevice::ReadOnly)) {
            err(msg::cannotOpenFile(args[0]));
            return 1;
        }
        const CatalogueSource parsed =
            ParseCatalogueSourceWithExtras(QString::fromUtf8(source.readAll()), args[0]);

        // A fresh catalogue: Close writes it through a temporary file and a rename.
        if (QFile::exists(args[1]) && !QFile::remove(args[1])) {
            err(platform::format(QStringLiteral("ファイル %s を削除できません"), args[1]));
            return 1;
        }
        TPapersV2 catalogue;
        catalogue.Open(args[1], false);
        TPurposeList purposes;
        purposes.SetDefaultPurposes();
        catalogue.SetPurposeList(purposes);
        for (const auto& paper : parsed.papers) catalogue.StorePaper(*paper);
        for (const auto& [store, extra] : parsed.extras) catalogue.StorePaperExtra(store, *extra);
        catalogue.SetCompanyList(parsed.companies);
        catalogue.SetGroupList(parsed.groups);
        for (const auto& [name, lines] : parsed.tables) catalogue.WriteGlobalText(name, lines);
        catalogue.Close();
    } catch (const Exception& e) {
        err(e.message());
        return 1;
    }
    return 0;
}
