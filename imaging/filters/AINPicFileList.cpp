#include "imaging/filters/AINPicFileList.h"

#include "document/Messages.h"
#include "imaging/picture/PictureLoader.h"
#include "platform/Exception.h"

TAINPicFileList::TAINPicFileList(const QStringList& files) {
    entries_.reserve(size_t(files.size()));
    for (const QString& file : files) entries_.push_back(Entry{file});
}

TAINPicFileList::~TAINPicFileList() = default;

const TAINPicFileList::Entry& TAINPicFileList::entry(int index) const {
    if (index < 0 || size_t(index) >= entries_.size())
        throw Exception(msg::listIndexOutOfRange(index));
    return entries_[size_t(index)];
}

void TAINPicFileList::ApplyMethod(int index, int method) {
    entry(index);
    entries_[size_t(index)].method = method;
}

int TAINPicFileList::CurrentMethod(int index) {
    return entry(index).method;
}

const TPictureEx* TAINPicFileList::SourcePicture(int index) {
    const QString& file = entry(index).file;
    return &loaded_.Get(index, [&](TPictureEx& picture) { LoadPicture(picture, file); }).Picture;
}

const TPictureEx* TAINPicFileList::DisplayPicture(int index) {
    return SourcePicture(index);
}

TImageData* TAINPicFileList::PictureHolder(int index) {
    return entry(index).holder.get();
}

const QString& TAINPicFileList::FileName(int index) const {
    return entry(index).file;
}
