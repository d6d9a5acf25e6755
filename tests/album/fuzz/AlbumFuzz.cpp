// Fuzz target for album files: any bytes are written to a file and opened as an album;
// every sheet is selected, every face's objects and preview read, and the stored preview
// read without opening the document. Opening may raise but must never crash, read outside
// its input or allocate what stored sizes merely declare. With gcc, album_fuzz_replay runs
// it over tests/album/corpus.
#include "album/LabelData.h"
#include "album/PreviewReader.h"
#include "drawing/DOList.h"
#include "drawing/DrawObject.h"
#include "imaging/picture/Graphic.h"
#include "paper/PaperInfo.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Text objects measure their fonts while they are read.
    static int argc = 1;
    static char name[] = "album_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("fuzz.vld"));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        (void)ReadFilePreview(file, 2, 0);
    } catch (const std::exception&) {
    }
    try {
        TLabelData album;
        album.LoadFromFile(file);
        for (int s = 0; s < album.SheetCount() && s < 8; ++s) {
            album.SelectSheet(s);
            const int faces = std::min(4, std::max(1, album.SheetPaper().GetFaceCount()));
            for (int f = 0; f < faces; ++f) {
                try {
                    TDOList list;
                    album.LoadFaceObjects(f, list);
                    list.FreeAll();
                    (void)album.GetPreview(f);
                } catch (const std::exception&) {
                }
            }
        }
    } catch (const std::exception&) {
    }
    return 0;
}
