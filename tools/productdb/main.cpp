// vellumo-productdb SOURCE OUT.cdb: compiles the readable product database source into the
// database file the program reads beside itself.
#include "document/ProductInfo.h"
#include "platform/Exception.h"
#include "tools/productdb/ProductSource.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: vellumo-productdb SOURCE OUT.cdb\n");
        return 2;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    try {
        RegisterProductClasses();
        WriteProductDatabase(ParseProductSource(source.readAll()), args[2]);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(args[1]), e.message().toUtf8().constData());
        return 1;
    }
    return 0;
}
