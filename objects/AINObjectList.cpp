#include "objects/AINObjectList.h"

#include "document/Messages.h"
#include "objects/AlbumPhoto.h"
#include "platform/Exception.h"

TAINObjectList::TAINObjectList(const std::vector<TLOAlbumPhoto*>& photos) {
    for (TLOAlbumPhoto* p : photos)
        if (p && !p->IsEmptyFrame()) photos_.push_back(p);
}

TLOAlbumPhoto* TAINObjectList::Photo(int index) const {
    if (index < 0 || size_t(index) >= photos_.size())
        throw Exception(msg::listIndexOutOfRange(index));
    return photos_[size_t(index)];
}

void TAINObjectList::ApplyMethod(int index, int method) {
    Photo(index)->NormalizeFilter()->SetFilterNo(method);
    displayIndex_ = -1;
}

int TAINObjectList::CurrentMethod(int index) {
    return Photo(index)->NormalizeFilter()->FilterNo();
}

const TPictureEx* TAINObjectList::DisplayPicture(int index) {
    TLOAlbumPhoto* photo = Photo(index);
    if (displayIndex_ != index) {
        photo->CorrectedPhoto(display_, false, false);
        displayIndex_ = index;
    }
    return &display_;
}

const TPictureEx* TAINObjectList::SourcePicture(int index) {
    return Photo(index)->PhotoImageObj()->Picture();
}

TImageData* TAINObjectList::PictureHolder(int index) {
    displayIndex_ = -1;  // the caller may change the filters
    return Photo(index)->PhotoImageObj();
}
