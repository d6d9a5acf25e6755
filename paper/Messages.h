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

}  // namespace msg
