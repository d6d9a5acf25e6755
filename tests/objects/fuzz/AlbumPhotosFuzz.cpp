// Fuzz target for object lists holding album photos: any bytes are read as a list; every
// album photo read lays out its parts and builds its displayed photo (crop, turn, date
// stamp) and its shadow geometry. The bytes are also read as an Exif date text. Reading
// may raise but must never crash, read outside its input or allocate what stored sizes
// merely declare. With gcc, album_photos_fuzz_replay runs it over
// tests/objects/album-corpus.
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawObjectClasses.h"
#include "imaging/pack/MatrixImagePack.h"
#include "imaging/picture/SafetyBitmap.h"
#include "objects/AlbumPhoto.h"
#include "objects/AlbumPhotoShared.h"
#include "objects/DateStamp.h"
#include "objects/ImageObjectClasses.h"
#include "platform/Exception.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RegisterDrawObjectClasses();
    RegisterImageObjectClasses();
    RegisterAlbumPhotoClasses();
    // Small pictures keep the runs fast; the limits are what bounds the work.
    AlbumPhotoShared().displayLimit = 64;
    // Dates go through a glyph strip: fonts need a running application.
    if (!AlbumPhotoShared().dateGlyphs) {
        QImage strip(50, 30, QImage::Format_RGB32);
        strip.fill(qRgb(255, 128, 0));
        TPictureEx picture;
        picture.SetGraphic(std::make_unique<TSafetyBitmap>(strip));
        auto glyphs = std::make_shared<TMatrixImagePack>();
        glyphs->SetCountCol(5);
        glyphs->SetCountRow(3);
        glyphs->SetImage(picture);
        AlbumPhotoShared().dateGlyphs = std::move(glyphs);
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)ParseExifDate(QString::fromLatin1(bytes.left(64)));
    TMemoryStream stream(bytes);
    TDOList list;
    try {
        list.LoadFromStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    for (TDrawObject* o : list) {
        (void)o->GetBounds();
        if (auto* photo = dynamic_cast<TLOAlbumPhoto*>(o)) {
            try {
                photo->EnsureDisplayed();
            } catch (const Exception&) {
            }
            (void)photo->ShadowOffset();
        }
    }
    list.FreeAll();
    return 0;
}
