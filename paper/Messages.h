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

// A store of extras holding two extras of one paper, or refusing a new one.
QString paperInfoUpdateError(const QString& paperName);
// A stream of an image extra that is neither its record nor a face list.
QString badFaceListStream(const QString& streamName);
// The company of papers without a paper extra.
QString unsetCompany();

}  // namespace msg
