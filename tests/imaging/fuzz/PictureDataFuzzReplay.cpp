// Runs the picture record fuzz target over a corpus folder of hexadecimal files (one
// record each) when libFuzzer is not available: every input whole, every prefix of the
// small ones, and each input with single bytes changed at spread positions.
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
void feed(const QByteArray& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                           size_t(bytes.size()));
}

void run(const QByteArray& bytes) {
    feed(bytes);
    const qsizetype step = std::max<qsizetype>(1, bytes.size() / 100);
    for (qsizetype n = 0; n < bytes.size(); n += step) feed(bytes.left(n));
    // Header fields are where damage does harm: every byte of the first 64 is changed,
    // further ones at spread positions.
    const qsizetype spread = std::max<qsizetype>(1, bytes.size() / 40);
    for (qsizetype i = 0; i < bytes.size(); i += (i < 64 ? 1 : spread)) {
        for (const char v : {char(0x00), char(0xFF), char(0x7F), char(0x80)}) {
            QByteArray changed = bytes;
            changed[i] = v;
            feed(changed);
        }
    }
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    int count = 0;
    for (const QFileInfo& fi :
         dir.entryInfoList({QStringLiteral("*.hex")}, QDir::Files, QDir::Name)) {
        QFile f(fi.filePath());
        if (!f.open(QIODevice::ReadOnly)) return 1;
        run(QByteArray::fromHex(f.readAll().simplified().replace(' ', "")));
        ++count;
    }
    std::printf("%d inputs\n", count);
    return count > 0 ? 0 : 1;
}
