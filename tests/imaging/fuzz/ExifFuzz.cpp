// Fuzz target of the Exif reader: any bytes are read as a JPEG file and as a stream from
// an offset, every directory kind is asked for the tags the program shows, and the
// information text and photo date are built. Bad data leaves the reader empty or reports
// absence; it must never read outside the bytes or raise.
#include "document/stream/Stream.h"
#include "imaging/ExifReader.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TExifReader fromBytes(bytes);
    TMemoryStream stream(QByteArray("xy") + bytes);
    stream.SetPosition(2);
    TExifReader fromStream;
    fromStream.LoadFromStream(stream);
    if (fromStream.HasData() != fromBytes.HasData()) __builtin_trap();
    for (const TExifReader* r : {&fromBytes, &fromStream}) {
        for (TExifIfd kind : {eiIFD0, eiIFD1, eiExif, eiInterop})
            for (int tag : {1, 270, 271, 306, 0x829A, 0x9201, 0x9202, 0x920A, 0xA002}) {
                (void)r->GetInteger(kind, tag);
                (void)r->GetRationals(kind, tag);
                (void)r->GetText(kind, tag);
            }
        (void)ExifInformationText(*r, QStringLiteral("fuzz.jpg"));
        (void)ExifPhotoDate(*r);
    }
    return 0;
}
