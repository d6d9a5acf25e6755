#pragma once
// TAINPicFileList: picture files as a batch correction list. Each file keeps the method
// chosen for it and a picture holder with default filters; the pictures are read from
// their files when they are asked for, a few at a time (LoadedPictures.h). Nothing is
// written to the files.

#include "imaging/filters/AutoImgNorm.h"
#include "imaging/picture/ImageData.h"
#include "imaging/picture/LoadedPictures.h"

#include <QStringList>
#include <memory>
#include <vector>

class TAINPicFileList : public TImgNormalizeCallBackClass {
public:
    explicit TAINPicFileList(const QStringList& files);
    ~TAINPicFileList() override;

    void ApplyMethod(int index, int method) override;
    int CurrentMethod(int index) override;
    int Count() override { return int(entries_.size()); }
    // Both read the file when it is not kept (raising the loader's message when it cannot
    // be read); the pointer stays valid until a few other files have been read.
    const TPictureEx* DisplayPicture(int index) override;
    const TPictureEx* SourcePicture(int index) override;
    TImageData* PictureHolder(int index) override;

    const QString& FileName(int index) const;

private:
    struct Entry {
        QString file;
        int method = 0;
        std::unique_ptr<TImageData> holder = std::make_unique<TImageData>();
    };
    const Entry& entry(int index) const;

    std::vector<Entry> entries_;
    TLoadedPictures loaded_;
};
