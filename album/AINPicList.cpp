#include "album/AINPicList.h"

#include "album/LabelData.h"
#include "document/Messages.h"
#include "drawing/DOList.h"
#include "imaging/PhasedProgress.h"
#include "imaging/picture/TemporaryPicture.h"
#include "objects/AlbumPhoto.h"
#include "objects/CorrectedPhoto.h"
#include "objects/PhotoImageData.h"
#include "platform/Exception.h"

#include <map>

struct TAINPicList::Entry {
    int sheet = 0;
    int position = 0;
    int storedMethod = 0;
    int method = 0;
    Adjustments stored;
    QString file;
    std::unique_ptr<TPhotoImageData> holder = std::make_unique<TPhotoImageData>();
};

namespace {

// Selects the sheet that was current when it was made, when it leaves scope.
class SheetKeeper {
public:
    explicit SheetKeeper(TLabelData& data) : data_(data), sheet_(data.CurrentSheet()) {}
    ~SheetKeeper() {
        try {
            data_.SelectSheet(sheet_);
        } catch (...) {
            // The error that ended the walk is the one to report.
        }
    }
    SheetKeeper(const SheetKeeper&) = delete;
    SheetKeeper& operator=(const SheetKeeper&) = delete;

private:
    TLabelData& data_;
    int sheet_;
};

// Frees the objects of a face list when it leaves scope.
struct FaceObjects {
    TDOList list;
    ~FaceObjects() { list.FreeAll(); }
};

}  // namespace

TAINPicList::TAINPicList(TLabelData& data, bool withoutCovers,
                         const std::function<bool()>& stopRequested)
    : data_(data) {
    try {
        SheetKeeper keep(data);
        for (int sheet = withoutCovers ? 2 : 0; sheet < data.SheetCount(); ++sheet) {
            data.SelectSheet(sheet);
            FaceObjects face;
            data.LoadFaceObjects(0, face.list);
            for (int position = 0; position < face.list.Count(); ++position) {
                auto* photo = dynamic_cast<TLOAlbumPhoto*>(face.list[position]);
                if (!photo || photo->IsEmptyFrame()) continue;
                auto e = std::make_unique<Entry>();
                e->sheet = sheet;
                e->position = position;
                e->storedMethod = e->method = photo->NormalizeFilter()->FilterNo();
                e->stored = adjustmentsOf(*photo->PhotoImageObj());
                CopyPictureAdjustments(*photo->PhotoImageObj(), *e->holder);
                e->holder->SetPrintRendering(photo->PhotoImageObj()->PrintRendering());
                e->file = TTemporaryPicture::Spill(*photo->PhotoImageObj()->Picture());
                entries_.push_back(std::move(e));
            }
            if (stopRequested && stopRequested()) {
                stopped_ = true;
                break;
            }
        }
    } catch (...) {
        for (const auto& e : entries_) TTemporaryPicture::Delete(e->file);
        throw;
    }
}

TAINPicList::~TAINPicList() {
    for (const auto& e : entries_) {
        try {
            TTemporaryPicture::Delete(e->file);
        } catch (...) {
            // A file that cannot be removed is left to the temporary folder's cleaning.
        }
    }
}

TAINPicList::Entry& TAINPicList::entry(int index) const {
    if (index < 0 || size_t(index) >= entries_.size())
        throw Exception(msg::listIndexOutOfRange(index));
    return *entries_[size_t(index)];
}

TAINPicList::Adjustments TAINPicList::adjustmentsOf(const TImageData& holder) {
    return {holder.BlurFilter()->BlurCount(), holder.LightFilter()->Brightness(),
            holder.LightFilter()->Contrast(), holder.MonotoneFilter()->RefColor()};
}

void TAINPicList::ApplyMethod(int index, int method) {
    entry(index).method = method;
}

int TAINPicList::CurrentMethod(int index) {
    return entry(index).method;
}

const TPictureEx* TAINPicList::SourcePicture(int index) {
    const QString& file = entry(index).file;
    return &loaded_.Get(index, [&](TPictureEx& p) { TTemporaryPicture::ReadBack(file, p); })
                .Picture;
}

const TPictureEx* TAINPicList::DisplayPicture(int index) {
    Entry& e = entry(index);
    TLoadedPicture& slot =
        loaded_.Get(index, [&](TPictureEx& p) { TTemporaryPicture::ReadBack(e.file, p); });
    if (!slot.HasDisplay) {
        BuildCorrectedPhoto(slot.Picture, e.holder.get(), 0, slot.Display);
        slot.HasDisplay = true;
    }
    return &slot.Display;
}

TImageData* TAINPicList::PictureHolder(int index) {
    return entry(index).holder.get();
}

int TAINPicList::Sheet(int index) const {
    return entry(index).sheet;
}

int TAINPicList::Position(int index) const {
    return entry(index).position;
}

bool TAINPicList::IsChanged(int index) const {
    const Entry& e = entry(index);
    return e.method != e.storedMethod || !(adjustmentsOf(*e.holder) == e.stored);
}

bool TAINPicList::WriteBack(TPhasedProgressBase* progress) {
    std::map<int, std::vector<int>> bySheet;  // sheet: changed photos
    for (int i = 0; i < Count(); ++i)
        if (IsChanged(i)) bySheet[entries_[size_t(i)]->sheet].push_back(i);
    if (bySheet.empty()) return false;
    SheetKeeper keep(data_);
    PhaseGuard phase(progress, int(bySheet.size()));
    for (const auto& [sheet, photos] : bySheet) {
        data_.SelectSheet(sheet);
        FaceObjects face;
        data_.LoadFaceObjects(0, face.list);
        for (int i : photos) {
            Entry& e = *entries_[size_t(i)];
            auto* photo = e.position < face.list.Count()
                              ? dynamic_cast<TLOAlbumPhoto*>(face.list[e.position])
                              : nullptr;
            if (!photo || photo->IsEmptyFrame())
                throw Exception(msg::listIndexOutOfRange(e.position));
            TImageData& target = *photo->PhotoImageObj();
            target.BlurFilter()->SetBlurCount(e.holder->BlurFilter()->BlurCount());
            target.LightFilter()->SetBrightness(e.holder->LightFilter()->Brightness());
            target.LightFilter()->SetContrast(e.holder->LightFilter()->Contrast());
            target.MonotoneFilter()->SetRefColor(e.holder->MonotoneFilter()->RefColor());
            photo->NormalizeFilter()->SetFilterNo(e.method);
        }
        face.list.Reverse();  // stored front-most first
        data_.SaveFaceObjects(0, face.list);
        for (int i : photos) {
            Entry& e = *entries_[size_t(i)];
            e.storedMethod = e.method;
            e.stored = adjustmentsOf(*e.holder);
        }
        phase.step();
    }
    return true;
}
