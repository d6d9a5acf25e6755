#include "library/FileImagePack.h"

#include "document/stream/PropertyBuilder.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

VELLUMO_DEFINE_PERSISTENT(TFileImagePackBase)
VELLUMO_DEFINE_PERSISTENT(TFileImagePack)
VELLUMO_DEFINE_PERSISTENT(TFolderImagePack)

int TFileImagePackBase::GetCount() {
    std::lock_guard lock(filesLock_);
    return int(files_.size());
}

QStringList TFileImagePackBase::Files() const {
    std::lock_guard lock(filesLock_);
    return files_;
}

QString TFileImagePackBase::FileName(int index) const {
    std::lock_guard lock(filesLock_);
    return index >= 0 && index < files_.size() ? files_.at(index) : QString();
}

TRect TFileImagePackBase::GetImageRect(int index) {
    if (IsEmpty(index)) return {};
    TPictureEx picture;
    SafeGetImage(picture, index);
    return {0, 0, picture.Width(), picture.Height()};
}

void TFileImagePackBase::LoadImage(TPictureEx& picture, int index) {
    const QString name = FileName(index);
    if (name.isEmpty()) return;
    if (OnFileLoad) {
        try {
            OnFileLoad(this, name, picture);
        } catch (...) {
            AssignErrorPicture(picture);
        }
    }
    if (picture.Empty()) picture.LoadFromFile(name);
    TGraphic* graphic = picture.Graphic();
    if (!graphic) return;
    if (graphic->Transparent() != transparent_) {
        // Quietly: the picture's listeners are not told.
        auto onChange = std::move(graphic->OnChange);
        graphic->OnChange = nullptr;
        graphic->SetTransparent(transparent_);
        if (auto* bitmap = dynamic_cast<TSafetyBitmap*>(graphic))
            bitmap->SetTransparentColor(transparentColor_);
        graphic->OnChange = std::move(onChange);
    }
    if (auto* bitmap = dynamic_cast<TSafetyBitmap*>(graphic); bitmap && bitmap->Transparent())
        bitmap->Mask();  // built now, on the loading thread
}

void TFileImagePackBase::ReplaceFiles(const QStringList& files) {
    Changing();
    {
        std::lock_guard lock(filesLock_);
        files_ = files;
    }
    ClearCache();
    Changed();
}

void TFileImagePackBase::FilterByExtensions(const QString& extensions) {
    const QString allowed = extensions.toUpper() + u';';
    QStringList kept = Files();
    for (qsizetype i = kept.size() - 1; i >= 0; --i) {
        const QString name = QFileInfo(kept.at(i)).fileName();
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString ext = (dot < 0 ? QStringLiteral(".") : name.mid(dot)).toUpper() + u';';
        if (!allowed.contains(ext)) kept.removeAt(i);
    }
    if (kept != Files()) ReplaceFiles(kept);
}

void TFolderImagePack::SetFileMask(const QString& mask) {
    if (mask == fileMask_) return;
    fileMask_ = mask;
    QStringList files;
    if (!mask.isEmpty()) {
        const QFileInfo info(mask);
        QDir dir = info.dir();
        dir.setNameFilters({info.fileName()});
        dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : dir.entryList()) {
            if (name.startsWith(u'.')) continue;
            files.append(dir.filePath(name));
        }
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::sort(files.begin(), files.end(),
                  [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    }
    ReplaceFiles(files);
}
