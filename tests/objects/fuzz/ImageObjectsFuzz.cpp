// Fuzz target for object lists holding image objects, alpha masks and backgrounds: any
// bytes are read as a list; every object that is read builds what painting needs (the
// processed picture with its filters, the composite, the soft mask). Reading may raise
// but must never crash, read outside its input or allocate what stored sizes merely
// declare. With gcc, image_objects_fuzz_replay runs it over tests/objects/image-corpus.
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawObjectClasses.h"
#include "objects/AlphaMaskObject.h"
#include "objects/BackImage.h"
#include "objects/ImageObject.h"
#include "objects/ImageObjectClasses.h"
#include "platform/Exception.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RegisterDrawObjectClasses();
    RegisterImageObjectClasses();
    TMemoryStream stream(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    TDOList list;
    try {
        list.LoadFromStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    for (TDrawObject* o : list) {
        (void)o->GetBounds();
        if (auto* image = dynamic_cast<TLOImage*>(o)) {
            (void)image->NaturalSize();
            image->EnsureComposite();
        } else if (auto* mask = dynamic_cast<TLOAlphaMask*>(o)) {
            (void)mask->MaskImage();
        } else if (auto* back = dynamic_cast<TLOBackImage*>(o)) {
            (void)back->IsBlank();
        }
    }
    list.FreeAll();
    return 0;
}
