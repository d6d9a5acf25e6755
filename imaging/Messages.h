#pragma once
// Message texts of the imaging layer (pictures and their formats, Exif). Each text is
// written once, here; texts shared with lower folders live in their catalogues
// (document/Messages.h, ...), all in namespace msg.

#include <QString>

namespace msg {

// Files, also used by the folders above.
QString cannotCreateFile(const QString& path);

QString invalidBitmap();
// `detail` names what is wrong (a decoder's message or the part that failed).
QString invalidJpeg(const QString& detail);
QString invalidPng(const QString& detail);
QString pictureLoadFailed();
// An Exif pixel count ("640ピクセル").
QString pixelCount(int pixels);

}  // namespace msg
