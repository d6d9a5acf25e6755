#pragma once
// TTemporaryPicture: a picture spilled into a file of its own while it is not needed, as
// the component stream of a TTemporaryPicture behind a resource header "IMAGEDATA". The
// files live in the folder "vellumo.tmp" of the user's temporary folder, which only its
// owner may use.

#include "document/stream/Component.h"
#include "imaging/picture/PictureEx.h"

#include <memory>

class TTemporaryPicture : public TComponent {
    VELLUMO_PERSISTENT(TTemporaryPicture, TComponent)
public:
    explicit TTemporaryPicture(TComponent* owner = nullptr) : TComponent(owner) {}

    static void DeclareProperties(PropertyBuilder<TTemporaryPicture>& p);
    TPictureEx* Picture() const { return picture_.get(); }

    // Writes a copy of `picture` into a new file and returns its name.
    static QString Spill(const TPictureEx& picture);
    // Reads the file back into `picture`.
    static void ReadBack(const QString& fileName, TPictureEx& picture);
    // Removes the file if it exists.
    static void Delete(const QString& fileName);

private:
    std::unique_ptr<TPictureEx> picture_ = std::make_unique<TPictureEx>();
};

// Registers TTemporaryPicture with the class registry; later calls do nothing.
void RegisterTemporaryPicture();

// The spill folder, created with mode 0700 when missing. Raises "一時フォルダ %s を使用
// できません" when it is not a folder of this user's (a link, or another user's), and
// takes away the permissions of others from an existing folder of ours.
QString TemporaryPictureFolder();
