#include "printing/KvrManager.h"

#include "imaging/Messages.h"
#include "imaging/codecs/Limits.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"
#include "imaging/picture/TemporaryPicture.h"
#include "platform/Exception.h"
#include "printing/KvrBinding.h"
#include "printing/KvrPrinter.h"

#include <unistd.h>
#include <QFile>
#include <algorithm>
#include <cstring>

bool KvrRefusedForPrint = false;
bool KvrPrintActive = false;

namespace {

// The source path as the records hold it; none when it does not fit: a path of 520
// bytes or more is refused rather than cut to another file's name.
std::optional<QByteArray> recordPath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.isEmpty() || bytes.size() >= KVR_PATH_BYTES || bytes.contains('\0'))
        return std::nullopt;
    return bytes;
}

// 2 (TIFF) for files that begin as TIFF files do, else 1 (JPEG).
int sourceType(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 1;
    const QByteArray head = f.read(4);
    return head == QByteArray("II*\0", 4) || head == QByteArray("MM\0*", 4) ? 2 : 1;
}

// Tells the engine the profile of the current printer's output for print corrections.
void announcePrinterProfile() {
    const auto printer = CurrentKvrPrinter();
    if (!printer) return;  // none installed: what the environment says stays
    const QString profile = printer->ColourProfile();
    if (profile.isEmpty())
        qunsetenv("OXKVR_PRINTER_PROFILE");
    else
        qputenv("OXKVR_PRINTER_PROFILE", QFile::encodeName(profile));
}

}  // namespace

TKVRManager::~TKVRManager() {
    deleteTemp();
}

void TKVRManager::deleteTemp() {
    if (!tempPath_.isEmpty()) QFile::remove(tempPath_);
    tempPath_.clear();
}

bool TKVRManager::IsAvailable(bool forKvr) {
    return BoundKvrEngine() != nullptr && !(forKvr && KvrRefusedForPrint);
}

void TKVRManager::SaveGraphicToTemp(const TGraphic& graphic) {
    deleteTemp();
    QByteArray path = QFile::encodeName(TemporaryPictureFolder() + QStringLiteral("/mtfXXXXXX"));
    const int fd = ::mkstemp(path.data());
    if (fd < 0) throw Exception(msg::cannotCreateFile(QFile::decodeName(path)));
    ::close(fd);
    tempPath_ = QFile::decodeName(path);
    try {
        graphic.SaveToFile(tempPath_);
    } catch (...) {
        deleteTemp();
        throw;
    }
    sourcePath_ = tempPath_;
}

bool TKVRManager::SavePictureToTemp(const TPictureEx& picture) {
    if (picture.Empty()) return false;
    SaveGraphicToTemp(*picture.Graphic());
    return true;
}

bool TKVRManager::PrinterSupportsKvr() {
    const auto printer = CurrentKvrPrinter();
    return printer && PrinterOffersKvr(*printer);
}

int TKVRManager::InspectSource() {
    const KvrEngine* engine = BoundKvrEngine();
    const auto bytes = recordPath(sourcePath_);
    if (!engine || !bytes) return 0;
    char path[KVR_PATH_BYTES] = {};
    std::memcpy(path, bytes->constData(), size_t(bytes->size()));
    void* handle = nullptr;
    if (engine->CreateKvrHandle(path, &handle) < 0) return 0;
    int flags = 0;
    int32_t found = 0;
    if (engine->NotifyKVRMode(handle, &found) >= 0) {
        if (found & 2) flags |= kvrExifPrint;
        if (found & 4) flags |= kvrColourMatching;
    }
    engine->DeleteKvrHandle(handle);
    return flags;
}

bool TKVRManager::CorrectSource(TPictureEx& destination, bool forKvr, bool forPrint) {
    lastResult_ = 0;
    const auto bytes = recordPath(sourcePath_);
    if (!bytes) {
        lastResult_ = KVR_INVALID;
        return false;
    }
    KvrSource source{};
    std::memcpy(source.path, bytes->constData(), size_t(bytes->size()));
    source.type = sourceType(sourcePath_);
    if (forPrint) announcePrinterProfile();

    KvrImage image{};
    int r = kvrctrl::StartKvrImage(&source, &image);
    bool done = false;
    if (r == KVR_OK) {
        // The size the file declares is checked before the bitmap is allocated.
        QImage bitmap;
        if (image.width > 0 && image.height > 0 &&
            int64_t(image.width) * image.height <= codecs::kMaxPixels)
            bitmap = QImage(image.width, image.height, QImage::Format_BGR888);
        if (bitmap.isNull()) {
            r = KVR_NO_MEMORY;
        } else {
            const KvrBufferLayout layout =
                KvrLayoutOf(bitmap.scanLine(0), bitmap.scanLine(bitmap.height() - 1));
            image.bits = layout.bits;
            image.stride = int32_t(bitmap.bytesPerLine());
            KvrParams params{forKvr ? 300 : 200, forPrint ? 200 : 100, 2, layout.rowOrder};
            r = kvrctrl::GetKvrImage(&params, &image);
            if (r == KVR_OK) {
                destination.SetGraphic(std::make_unique<TSafetyBitmap>(std::move(bitmap)));
                done = true;
            }
        }
    }
    const int ended = kvrctrl::EndKvrImage(&image);
    if (!done) lastResult_ = r;
    (void)ended;
    return done;
}

bool TKVRManager::ConvertToPrinterRGB(const TPictureEx& source, TPictureEx& destination) {
    lastResult_ = 0;
    if (source.Empty()) return false;
    const QImage from = source.Graphic()->ToImage().convertToFormat(QImage::Format_BGR888);
    QImage to(from.size(), QImage::Format_BGR888);
    if (from.isNull() || to.isNull()) {
        lastResult_ = KVR_NO_MEMORY;
        return false;
    }
    // The lowest-addressed line of each: lines are converted independently, so the
    // pictures' top-down order needs nothing else.
    PrtDataInfo info{2, from.width(), from.height(), int32_t(from.bytesPerLine())};
    const int r = kvrctrl::ConvertRGBtoPrtData(from.constBits(), to.bits(), &info);
    if (r != KVR_OK) {
        lastResult_ = r;
        return false;
    }
    destination.SetGraphic(std::make_unique<TSafetyBitmap>(std::move(to)));
    return true;
}

std::shared_ptr<IKvrManager> NewKvrManager() {
    return std::make_shared<TKVRManager>();
}

KvrBufferLayout KvrLayoutOf(unsigned char* firstScanline, unsigned char* lastScanline) {
    if (firstScanline <= lastScanline) return {firstScanline, 2};
    return {lastScanline, 1};
}

QString DescribeKvrSource(const QString& path) {
    const KvrEngine* engine = BoundKvrEngine();
    const auto bytes = recordPath(path);
    if (!engine || !engine->DescribeSource || !bytes) return {};
    char record[KVR_PATH_BYTES] = {};
    std::memcpy(record, bytes->constData(), size_t(bytes->size()));
    void* handle = nullptr;
    if (engine->CreateKvrHandle(record, &handle) < 0) return {};
    char text[2048] = {};
    const int r = engine->DescribeSource(handle, text, int(sizeof text));
    engine->DeleteKvrHandle(handle);
    return r < 0 ? QString() : QString::fromUtf8(text);
}
