#pragma once
// The picture data record: one length byte n, n bytes of ASCII class tag (empty: no
// graphic; longer tags are cut to 63 when written), then the payload of that graphic
// kind. It is the value of a picture's "Data" property and is written alone into caches
// and previews.

class TPictureEx;
class TStream;

// Writes exactly the record, whatever the picture's resource flag.
void WritePictureData(const TPictureEx& picture, TStream& stream);
// Reads one record into the picture. An empty or unknown tag leaves the picture empty.
// Damaged payloads raise the kind's own message (for bitmaps "ビットマップイメージが不正
// です"); the picture then keeps what it had.
void ReadPictureData(TPictureEx& picture, TStream& stream);
