#include "album/PreviewReader.h"

#include "document/storage/DocNameList.h"
#include "document/storage/DocStorage.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "document/stream/Stream.h"
#include "imaging/picture/PictureData.h"
#include "imaging/picture/SafetyBitmap.h"
#include "imaging/picture/StreamBytes.h"

std::unique_ptr<TGraphic> ReadPreviewStream(TStream& stream) {
    QByteArray bytes = picturebytes::ReadRest(stream);
    if (bytes.isEmpty()) return nullptr;
    TMemoryStream memory(std::move(bytes));
    if (memory.Data().startsWith("BM")) {
        auto bitmap = std::make_unique<TSafetyBitmap>();
        bitmap->LoadFromStream(memory);
        return bitmap;
    }
    return ReadPictureData(memory);
}

std::unique_ptr<TGraphic> ReadFilePreview(const QString& fileName, int sheet, int face) {
    TFileStorage root(fileName, storagemode::Read | storagemode::ShareDenyWrite);
    if (!root.StreamExists(QStringLiteral("Sheets\\NameList"))) return nullptr;
    TDocStorageList sheets(root, QStringLiteral("Sheets\\NameList"));
    if (sheet < 0 || sheet >= sheets.Count()) return nullptr;
    const QString path = sheets.ElementPath(sheet);
    if (!root.StreamExists(path + QStringLiteral("\\Preview"))) return nullptr;
    TDocStorage node(root, false, path);
    TDocStreamList previews(node, QStringLiteral("Preview"));
    if (face < 0 || !previews.ElementExists(face)) return nullptr;
    return ReadPreviewStream(*previews.OpenElementStream(face, storagemode::Read));
}
