// Runs the fuzz target over a corpus folder when libFuzzer is not available. Files
// ending in .txt are text-form streams, fed both as text and built into bytes;
// files ending in .hex hold raw inputs as hexadecimal.
#include "document/stream/StreamText.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
void run(const QByteArray& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                           size_t(bytes.size()));
    // Prefixes too: truncated streams are the commonest damage. Every one for small
    // inputs, about 500 spread over larger ones.
    const qsizetype step = std::max<qsizetype>(1, bytes.size() / 500);
    for (qsizetype n = 0; n < bytes.size(); n += step)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(n));
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    int count = 0;
    for (const QFileInfo& fi : dir.entryInfoList(QDir::Files, QDir::Name)) {
        QFile f(fi.filePath());
        if (!f.open(QIODevice::ReadOnly)) return 1;
        const QByteArray content = f.readAll();
        if (fi.suffix() == u"txt") {
            run(content);
            try {
                run(streamtree::writeDocument(
                    streamtree::parseDocument(QString::fromUtf8(content))));
            } catch (const Exception& e) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(fi.fileName()), e.what());
                return 1;
            }
        } else if (fi.suffix() == u"hex") {
            run(QByteArray::fromHex(content));
        }
        ++count;
    }
    std::printf("%d inputs\n", count);
    return count > 0 ? 0 : 1;
}
