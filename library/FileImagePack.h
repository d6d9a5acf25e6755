#pragma once
// File image packs: one image per file. TFileImagePack takes its list of full file names
// from its user; TFolderImagePack lists the files that match a search pattern ("folder
// /*.*"), sorted. OnFileLoad lets the owner supply the picture of a file (the thumbnail
// cache does); otherwise the file is loaded by its extension.
//
// LoadImage runs on the thumbnail worker; the file list is guarded so that a change of
// the list on the main thread never races with it.

#include "imaging/pack/CachedImagePack.h"
#include "platform/canvas/Color.h"

#include <QString>
#include <QStringList>
#include <mutex>

class TFileImagePackBase : public TCachedImagePack {
    VELLUMO_PERSISTENT(TFileImagePackBase, TCachedImagePack)
public:
    using FileLoadHandler =
        std::function<void(TFileImagePackBase* sender, const QString& fileName, TPictureEx&)>;

    explicit TFileImagePackBase(TComponent* owner = nullptr) : TCachedImagePack(owner) {}

    int GetCount() override;
    TRect GetImageRect(int index) override;
    void LoadImage(TPictureEx& picture, int index) override;

    QStringList Files() const;
    // The file name of image `index`; empty outside the list.
    QString FileName(int index) const;
    // Keeps the files whose extension (upper-cased, ".;" for none) is in the ";"-separated
    // list of extensions with leading dots.
    void FilterByExtensions(const QString& extensions);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on) { transparent_ = on; }
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor colour) { transparentColor_ = colour; }

    FileLoadHandler OnFileLoad;

protected:
    // Replaces the list: Changing, the change, ClearCache and Changed.
    void ReplaceFiles(const QStringList& files);

private:
    mutable std::mutex filesLock_;
    QStringList files_;
    bool transparent_ = false;
    TColor transparentColor_ = 0xF0F0F0;
};

class TFileImagePack : public TFileImagePackBase {
    VELLUMO_PERSISTENT(TFileImagePack, TFileImagePackBase)
public:
    explicit TFileImagePack(TComponent* owner = nullptr) : TFileImagePackBase(owner) {}
    QStringList FileList() const { return Files(); }
    void SetFileList(const QStringList& files) { ReplaceFiles(files); }
};

class TFolderImagePack : public TFileImagePackBase {
    VELLUMO_PERSISTENT(TFolderImagePack, TFileImagePackBase)
public:
    explicit TFolderImagePack(TComponent* owner = nullptr) : TFileImagePackBase(owner) {}
    const QString& FileMask() const { return fileMask_; }
    // A folder followed by a wildcard name; a different value lists the folder again:
    // every match that is not a folder and does not begin with ".", sorted without
    // regard to case. An empty mask gives an empty list.
    void SetFileMask(const QString& mask);

private:
    QString fileMask_;
};
