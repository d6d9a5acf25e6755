// corvane-tool exif FILE: the Exif information text of a picture file as the text panel
// inserts it, then "date: " and the photo date an album photo would take (empty without
// one). A file without a modification date prints the panel's "no Exif" text instead.
#include "imaging/ExifReader.h"
#include "imaging/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QFileInfo>

int runExif(const ToolCommand& command, const QStringList& args) {
    const auto files = plainArguments(command, args);
    if (!files || files->size() != 1) return usageError(command);
    TExifReader reader;
    reader.LoadFromFile(files->front());
    if (!reader.HasTag(eiIFD0, 306)) {
        out(msg::fileHasNoExif());
        return 0;
    }
    for (const QString& line : ExifInformationText(reader, QFileInfo(files->front()).fileName())
                                   .split(QStringLiteral("\r\n")))
        out(line);
    out(QStringLiteral("date: ") + ExifPhotoDate(reader));
    return 0;
}
