#include "imaging/pack/MatrixImagePack.h"

#include "document/stream/PropertyBuilder.h"
#include "imaging/picture/Graphic.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/ResourceImageLoader.h"
#include "imaging/picture/SafetyBitmap.h"
#include "platform/IntMath.h"

VELLUMO_DEFINE_PERSISTENT(TMatrixImagePack)

TMatrixImagePack::TMatrixImagePack(TComponent* owner)
    : TImagePack(owner),
      image_(std::make_unique<TPictureEx>()),
      loader_(std::make_unique<TResourceImageLoader>(image_.get())) {
    imageListener_ = std::make_unique<TListener>([this](TPersistent*, const QUuid& aspect) {
        if (aspect == asChanged) Changed();
    });
    image_->Notify().AddListener(imageListener_.get());
}

TMatrixImagePack::~TMatrixImagePack() {
    imageListener_.reset();  // detaches before the picture goes
}

void TMatrixImagePack::DeclareProperties(PropertyBuilder<TMatrixImagePack>& p) {
    p.persistent("Image", &TMatrixImagePack::ImagePtr);
    p.persistent("ImageLoader", &TMatrixImagePack::ImageLoaderPtr);
    p.integer("CountCol", &TMatrixImagePack::CountCol, &TMatrixImagePack::SetCountCol)
        .defaultValue(1);
    p.integer("CountRow", &TMatrixImagePack::CountRow, &TMatrixImagePack::SetCountRow)
        .defaultValue(1);
}

void TMatrixImagePack::AfterLoad() {
    if (loader_->AutoLoad()) loader_->LoadNow();
    loader_->SetReady(true);
}

void TMatrixImagePack::SetImage(const TPictureEx& picture) {
    image_->Assign(picture);
}

void TMatrixImagePack::SetCountCol(int count) {
    if (count == countCol_) return;
    countCol_ = count;
    Changed();
}

void TMatrixImagePack::SetCountRow(int count) {
    if (count == countRow_) return;
    countRow_ = count;
    Changed();
}

int TMatrixImagePack::GetCount() {
    // A grid without columns or rows has no cells (and nothing to divide by).
    if (countCol_ <= 0 || countRow_ <= 0) return 0;
    return int(std::min<int64_t>(int64_t(countCol_) * countRow_, INT32_MAX));
}

TRect TMatrixImagePack::GetImageRect(int index) {
    if (index < 0 || countCol_ <= 0 || countRow_ <= 0) return {};
    const int row = index / countCol_, column = index % countCol_;
    if (row >= countRow_ || image_->Empty()) return {};
    const int w = image_->Width(), h = image_->Height();
    return {platform::mulDiv(column, w, countCol_), platform::mulDiv(row, h, countRow_),
            platform::mulDiv(column + 1, w, countCol_), platform::mulDiv(row + 1, h, countRow_)};
}

bool TMatrixImagePack::IsEmpty(int index) {
    return TImagePack::IsEmpty(index) || image_->Empty();
}

void TMatrixImagePack::GetImage(TPictureEx& picture, int index) {
    picture.Clear();
    const TRect cell = GetImageRect(index);
    if (cell.IsEmpty()) return;
    if (countCol_ == 1 && countRow_ == 1) {
        picture.AssignGraphic(image_->Graphic());
        return;
    }
    const QImage whole = DrawableImage(image_->Graphic()->ToImage());
    picture.SetGraphic(std::make_unique<TSafetyBitmap>(whole.copy(cell.toQRect())));
}

void TMatrixImagePack::StretchDraw(platform::Canvas& canvas, const TRect& rect, int index) {
    const TRect cell = GetImageRect(index);
    if (!cell.IsEmpty() && image_->IsBitmap()) {
        DrawImage(canvas, rect, image_->Graphic()->ToImage().copy(cell.toQRect()));
        return;
    }
    TImagePack::StretchDraw(canvas, rect, index);
}
