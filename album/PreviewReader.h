#pragma once
// Reading face previews: from a preview stream, and straight from an album file without
// opening the document (the template and sample browsers use it).

#include <QString>
#include <memory>

class TGraphic;
class TStream;

// The picture of a preview stream: a BMP file when it begins with "BM", else a picture
// data record. Null for an empty stream; damaged pictures raise.
std::unique_ptr<TGraphic> ReadPreviewStream(TStream& stream);
// The stored preview of `face` of `sheet` in the album file; null when the file has no
// such sheet, face or preview (nothing is built). The file is only read.
std::unique_ptr<TGraphic> ReadFilePreview(const QString& fileName, int sheet, int face);
