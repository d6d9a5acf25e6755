// Fuzz target for the picture data record reader: any bytes are read as a record (and,
// when that works, written and read again); the reader may raise but must never crash,
// read outside its input or allocate what the input merely declares (run it with
// -malloc_limit_mb=512; the README's fuzzing section builds and runs it).
// With gcc, picture_fuzz_replay runs it over tests/imaging/corpus as a test.
#include "document/stream/Stream.h"
#include "imaging/picture/PictureData.h"
#include "imaging/picture/PictureEx.h"
#include "platform/Exception.h"

#include <QImage>
#include <cstdint>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        TPictureEx picture;
        TMemoryStream in(bytes);
        ReadPictureData(picture, in);
        if (picture.Graphic()) {
            // Decoding on demand (JPEG) may raise too. Metafile playback has fuzz targets of
            // its own (emf_fuzz, wmf_fuzz).
            if (picture.Graphic()->IsBitmapLike()) (void)picture.Graphic()->ToImage();
            TMemoryStream out;
            WritePictureData(picture, out);
            TPictureEx again;
            out.SetPosition(0);
            ReadPictureData(again, out);
            if (again.Width() != picture.Width() || again.Height() != picture.Height())
                __builtin_trap();
        }
    } catch (const Exception&) {
    }
    return 0;
}
