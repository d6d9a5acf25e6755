// Fuzz target of the metafile players (emf_fuzz and wmf_fuzz share it; their corpora
// differ): any bytes are played into a small picture at two sizes, one larger than the
// picture, and read as a TMetafile. Text needs the platform's font support, so the
// target makes a GUI application on the offscreen platform first. Playback may refuse the header
// but must never crash, read outside its input, or allocate what the input merely declares.
#include "imaging/metafile/MetafilePlayer.h"
#include "imaging/picture/Metafile.h"
#include "platform/Exception.h"
#include "platform/canvas/Canvas.h"

#include <QGuiApplication>
#include <QImage>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "metafile_fuzz";
    static char* argv[] = {name, nullptr};
    static const bool platform = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    (void)platform;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        QImage img(48, 32, QImage::Format_RGB32);
        img.fill(Qt::white);
        platform::Canvas canvas(img);
        metafile::play(bytes, canvas, {0, 0, 48, 32});
        metafile::play(bytes, canvas, {-100, -60, 200, 120});
        TMetafile meta;
        meta.SetBytes(bytes);
        if (std::int64_t(meta.Width()) * meta.Height() <= 256 * 256) (void)meta.ToImage();
    } catch (const Exception&) {
    }
    return 0;
}
