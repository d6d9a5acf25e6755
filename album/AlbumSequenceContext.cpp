#include "album/AlbumSequenceContext.h"

#include "album/LabelData.h"
#include "album/PageFrames.h"
#include "album/PageLimits.h"
#include "imaging/picture/PictureLoader.h"
#include "objects/AlbumPhoto.h"
#include "objects/DateStamp.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/MirrorFaceLayout.h"
#include "platform/DateTime.h"

#include <QFileInfo>
#include <QScopeGuard>

void LayOutNewPage(TLabelData& data, TDOList& site) {
    const std::unique_ptr<TPaperInfo> paper = data.SheetPaper().Clone();
    if (data.IsBackSide(data.CurrentSheet())) {
        const bool landscape = paper->Landscape();
        paper->SetLandscape(false);
        MirrorFaceLayout(*paper);
        paper->SetLandscape(landscape);
    }
    std::vector<TRect> faces;
    for (int i = 0; i < paper->GetFaceCount(); ++i) faces.push_back(paper->GetFaceBounds(i));
    // The sheet keeps no album extras yet: frames inside the paper, movable.
    for (auto& frame : NewPageFrames(faces, {paper->Width(), paper->Height()}, false, false))
        site.AddOwned(std::move(frame));
}

TAlbumSequenceContext::TAlbumSequenceContext(TLabelData& data, QStringList photos)
    : data_(data), photos_(std::move(photos)) {}

TAlbumSequenceContext::~TAlbumSequenceContext() {
    site_.FreeAll();
}

void TAlbumSequenceContext::Open(int sheet) {
    data_.SelectSheet(sheet);
    ShowSheet();
}

void TAlbumSequenceContext::Finish() {
    if (changed_) StoreFace();
}

int TAlbumSequenceContext::SheetCount() {
    return data_.SheetCount();
}

int TAlbumSequenceContext::CurrentSheet() {
    return data_.CurrentSheet();
}

void TAlbumSequenceContext::SelectSheet(int index) {
    data_.SelectSheet(index);
}

std::optional<QString> TAlbumSequenceContext::PageLimitMessage() {
    return ::PageLimitMessage(data_);
}

std::pair<int, int> TAlbumSequenceContext::storedFrames(int sheet) {
    const int current = data_.CurrentSheet();
    const auto back = qScopeGuard([&] { data_.SelectSheet(current); });
    data_.SelectSheet(sheet);
    TDOList list;
    data_.LoadFaceObjects(0, list);
    int frames = 0, empty = 0;
    for (TDrawObject* o : list)
        if (auto* p = dynamic_cast<TLOAlbumPhoto*>(o)) {
            ++frames;
            if (p->IsEmptyFrame()) ++empty;
        }
    list.FreeAll();
    return {frames, empty};
}

int TAlbumSequenceContext::CountStoredFrames(int sheet) {
    return storedFrames(sheet).first;
}

bool TAlbumSequenceContext::HasStoredEmptyFrame(int sheet) {
    return storedFrames(sheet).second > 0;
}

std::vector<std::unique_ptr<TDrawObject>> TAlbumSequenceContext::LoadFace(int sheet) {
    data_.SelectSheet(sheet);
    TDOList list;
    data_.LoadFaceObjects(0, list);
    auto owned = list.TakeOwned();
    list.Clear();
    return owned;
}

void TAlbumSequenceContext::SaveFace(int sheet, const std::vector<TDrawObject*>& objects) {
    data_.SelectSheet(sheet);
    TDOList list;
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) list.Add(*it);  // front first
    data_.SaveFaceObjects(0, list);
    list.Clear();
    data_.SetModified(true);
}

TSequencePaper TAlbumSequenceContext::LayoutPaper() {
    const TPaperInfo& paper = data_.LayoutPaper();
    return {paper.Width(), paper.Height(), paper.Landscape()};
}

std::vector<TDrawObject*> TAlbumSequenceContext::storedObjects() const {
    // Without the paper's own design objects (layer group -50), front-most first.
    std::vector<TDrawObject*> objects;
    for (auto it = site_.Items().rbegin(); it != site_.Items().rend(); ++it)
        if ((*it)->LayerGroup() != -50) objects.push_back(*it);
    return objects;
}

void TAlbumSequenceContext::StoreFace() {
    TDOList list;
    for (TDrawObject* o : storedObjects()) list.Add(o);
    data_.SaveFaceObjects(0, list);
    list.Clear();
    data_.FaceModified = true;
    data_.SetModified(true);
    changed_ = false;
}

void TAlbumSequenceContext::ShowSheet() {
    site_.FreeAll();
    data_.LoadFaceObjects(0, site_);
    changed_ = false;
    if (!data_.FaceInit && CurrentSheet() > 1) {
        LayOutNewPage(data_, site_);
        data_.FaceInit = true;
        changed_ = true;
    }
}

void TAlbumSequenceContext::AddPage() {
    StoreFace();
    const int from = data_.CurrentSheet();
    // The page just stored is still on the site: the new page's frames come from copies of
    // it rather than from reading it back.
    TDOList copies;
    const bool copied = data_.CopyAsLoaded(storedObjects(), copies);
    ::AddPage(data_);
    data_.FaceInit = true;
    if (copied) {
        auto owned = copies.TakeOwned();
        copies.Clear();
        layOutFrom(std::move(owned), from);
    } else {
        LayOutFromPage(from);
    }
    changed_ = true;
    if (data_.FaceSides == fsBoth) {
        // The pages after the new one change sides.
        StoreFace();
        FlipFollowingPages(*this, data_.CurrentSheet() + 1);
    }
}

void TAlbumSequenceContext::GoToPage(int n) {
    if (changed_) StoreFace();
    data_.SelectSheet(n);
    ShowSheet();
}

void TAlbumSequenceContext::AppendSheet() {
    data_.AddSheet();
    data_.FaceInit = true;
    site_.FreeAll();
    changed_ = true;
}

void TAlbumSequenceContext::LayOutFromPage(int n) {
    const int current = data_.CurrentSheet();
    TDOList loaded;
    {
        const auto back = qScopeGuard([&] { data_.SelectSheet(current); });
        data_.SelectSheet(n);
        data_.LoadFaceObjects(0, loaded);
    }
    auto owned = loaded.TakeOwned();
    loaded.Clear();
    layOutFrom(std::move(owned), n);
}

void TAlbumSequenceContext::layOutFrom(std::vector<std::unique_ptr<TDrawObject>> objects, int n) {
    const int current = data_.CurrentSheet();
    auto kept = FramesFromPage(std::move(objects), data_.IsBackSide(n) != data_.IsBackSide(current),
                               LayoutPaper());
    site_.FreeAll();
    for (auto& o : kept) site_.AddOwned(std::move(o));
    changed_ = false;
}

void TAlbumSequenceContext::LoadPhoto(int index, TLoadedPhoto& photo) {
    const QString& file = photos_.at(index);
    LoadPicture(photo.Picture, file);
    photo.Source = isFile;
    const std::optional<QDateTime> exif = PictureExifDate(photo.Picture);
    photo.Date = platform::toStoredDateTime(exif ? *exif : QFileInfo(file).lastModified());
}

void TAlbumSequenceContext::ShowMessage(const QString& text) {
    if (OnMessage) OnMessage(text);
}

void TAlbumSequenceContext::SetCounterText(const QString& text) {
    if (OnCounter) OnCounter(text);
}
