#include "printing/PrintRun.h"

#include "platform/Exception.h"
#include "printing/Messages.h"

#include <QStringList>

void TPrintSpec::SelectSheets(const QString& list, int sheetCount) {
    for (const QString& part : list.split(u',', Qt::SkipEmptyParts)) {
        const QStringList ends = part.trimmed().split(u'-');
        bool ok1 = false, ok2 = true;
        const int first = ends.front().toInt(&ok1);
        const int last = ends.size() == 2 ? ends.back().toInt(&ok2) : first;
        if (ends.size() > 2 || !ok1 || !ok2 || first < 0 || last < first || last >= sheetCount)
            throw Exception(msg::sheetListInvalid(list));
        for (int i = first; i <= last; ++i) SetSheetFlag(i, true);
    }
}

int TPrintSpec::SelectedSheetCount() const {
    int n = 0;
    for (char c : SheetFlags) n += c != 0;
    return n;
}

int TPrintSpec::LastSelectedSheet() const {
    for (int i = int(SheetFlags.size()) - 1; i >= 0; --i)
        if (SheetFlags[i]) return i;
    return -1;
}
