// Fuzz target for draw-object lists holding text objects: any bytes are read as a list;
// what is read (the stored values and the load rules of older forms applied) is then
// measured, hit-tested and outlined. Reading may raise but must never crash or overflow.
// With gcc, text_list_fuzz_replay runs it over tests/objects/textcorpus as a test.
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawObjectClasses.h"
#include "objects/LOText.h"
#include "objects/SimpleText.h"
#include "objects/TextObjectClasses.h"

#include <QGuiApplication>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "text_list_fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    RegisterDrawObjectClasses();
    RegisterTextObjectClasses();
    TMemoryStream stream(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    TDOList list;
    try {
        list.LoadFromStream(stream);
    } catch (const std::exception&) {
        return 0;
    }
    for (TDrawObject* o : list) {
        auto* t = dynamic_cast<TLOText*>(o);
        if (!t) continue;
        const TRect b = t->GetBounds();
        t->HitTest({b.Left, b.Top});
        t->HitTest(t->BoxCenter());
        t->DrawOutline(MeasuringCanvas());
        t->SetEnclosingSize(100, 100);
    }
    list.FreeAll();
    return 0;
}
