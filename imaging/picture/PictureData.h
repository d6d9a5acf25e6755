#pragma once
// The picture data record: one length byte n, n bytes of ASCII class tag (empty: no
// graphic; longer tags are cut to 63 when written), then the payload of that graphic
// kind. It is the value of a picture's "Data" property and is written alone into caches
// and previews.

#include "imaging/picture/Graphic.h"

#include <memory>

class TStream;

// Writes the record of `graphic`; null writes the record of no graphic.
void WritePictureData(const TGraphic* graphic, TStream& stream);
// Reads one record. An empty or unknown tag gives no graphic. Damaged payloads raise the
// kind's own message (for bitmaps "ビットマップイメージが不正です").
std::unique_ptr<TGraphic> ReadPictureData(TStream& stream);
