#pragma once
// Message texts of the paper catalogue. Each text is written once, here; texts shared
// with lower folders live in their catalogues (document/Messages.h, ...), all in
// namespace msg.

#include <QString>

namespace msg {

QString badPaperName();
QString invalidCast();
// A catalogue used before Open or after Close.
QString papersNotOpen();
QString faceOutsidePaper();
QString facesOverlap();
// A paper stream of a catalogue that cannot be read, and why (the reading error's text).
QString damagedPaperStream(const QString& streamName, const QString& reason);
// The line above the damaged papers of the catalogue file `fileName`.
QString damagedPapersIn(const QString& fileName);

}  // namespace msg
