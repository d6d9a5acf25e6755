// Fuzz target for the Coons distortion's "Data" reader: any bytes are read as the blob
// and, when accepted, written again (which must give the same bytes) and used to map
// points. The reader may raise but must never crash, read outside its input or allocate
// what the counts merely declare. With gcc, coons_fuzz_replay runs it over
// tests/objects/corpus as a test.
#include "objects/CoonsDistortion.h"
#include "platform/Exception.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TCoonsDistortion d;
    try {
        d.LoadData(bytes);
    } catch (const Exception&) {
        return 0;
    }
    if (d.SaveData() != bytes) std::abort();
    d.SetSourceRect({0, 0, 1000, 1000});
    d.SetTargetRect({-500, -500, 1500, 1500});
    for (const QPoint p : {QPoint(0, 0), QPoint(500, 500), QPoint(1000, 1000), QPoint(-10, 2000)}) {
        QPoint q = p;
        d.TransformPoint(q);
    }
    d.SetStrength(50);
    return 0;
}
