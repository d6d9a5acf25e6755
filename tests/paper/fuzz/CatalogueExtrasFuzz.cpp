// Fuzz target for what a catalogue keeps beside its papers: the bytes are a catalogue
// file, opened read-only as an imported ".ppb" or an update is. The update record, the
// company and group lists, every extra of every store (by position and by paper name,
// image extras with their face lists), the text tables, the makers and purposes and the
// migration lookups are read. Reading may raise but must never crash, read outside the
// input or allocate what the input merely declares.
#include "drawing/DrawObjectClasses.h"
#include "objects/ImageObjectClasses.h"
#include "paper/ExtraStores.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/PapersV2.h"
#include "platform/Exception.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = [] {
        RegisterDrawObjectClasses();
        RegisterImageObjectClasses();
        return QDir::temp().filePath(QStringLiteral("extras-fuzz-%1.ppr").arg(::getpid()));
    }();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        TPapersV2 papers;
        papers.Open(path, true);
        for (int s = 0; s < papers.ExtrasCount(); ++s) {
            TExtraInfoBase& store = *papers.Extras(s);
            for (int i = 0; i < store.ExtraCount() && i < 64; ++i) {
                try {
                    (void)store.LoadExtraAt(i);
                } catch (const Exception&) {
                }
            }
            for (int i = 0; i < papers.Count() && i < 64; ++i) {
                try {
                    (void)store.LoadExtra(papers.Papers(i)->PaperName());
                } catch (const Exception&) {
                }
            }
        }
        for (const QString& name : papers.GlobalTextNames()) {
            QStringList lines;
            papers.ReadGlobalText(name, lines);
        }
        try {
            QStringList companies, purposes;
            papers.CollectCompaniesAndPurposes(companies, purposes);
        } catch (const Exception&) {
        }
        TMatrixPaperInfo old;
        old.SetPaperName(QStringLiteral("Old Paper"));
        old.SetReadOnly(true);
        (void)papers.MatchPaper(old);
        (void)papers.UpdateRecord().LastUpdateTime();
    } catch (const Exception&) {
    }
    QFile::remove(path);
    return 0;
}
