#include "imaging/picture/PictureEx.h"

#include "document/stream/Filer.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "imaging/picture/GraphicRegistry.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/PictureData.h"
#include "imaging/picture/SafetyBitmap.h"
#include "platform/Exception.h"

#include <QFileInfo>

VELLUMO_DEFINE_PERSISTENT(TPictureEx)

TPictureEx::TPictureEx() : notify_(this) {}

TPictureEx::~TPictureEx() {
    if (graphic_) graphic_->OnChange = nullptr;
}

void TPictureEx::DeclareProperties(PropertyBuilder<TPictureEx>& p) {
    p.string("ImageID", &TPictureEx::ImageID, &TPictureEx::SetImageID);
    p.string("StorageID", &TPictureEx::StorageID, &TPictureEx::SetStorageID);
}

void TPictureEx::DefineCustomProperties(TFiler& filer) {
    TPersistent::DefineCustomProperties(filer);
    filer.DefineBlobProperty(
        QStringLiteral("Data"), [this](TStream& s) { ReadPictureData(*this, s); },
        [this](TStream& s) { WritePictureData(*this, s); }, graphic_ != nullptr && !fromResource_);
}

void TPictureEx::attach(TGraphic* graphic) {
    if (graphic) graphic->OnChange = [this] { Changed(); };
}

void TPictureEx::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    if (graphic_) graphic_->OnChange = nullptr;
    graphic_ = std::move(graphic);
    attach(graphic_.get());
    Changed();
}

void TPictureEx::AssignGraphic(const TGraphic* graphic) {
    SetGraphic(graphic ? graphic->Clone() : nullptr);
}

void TPictureEx::Changed() {
    modified_ = true;
    // A change raised while this one is being reported is not reported again.
    if (reporting_) return;
    reporting_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{reporting_};
    notify_.Changed();
}

TSafetyBitmap& TPictureEx::Bitmap() {
    if (auto* bitmap = dynamic_cast<TSafetyBitmap*>(graphic_.get())) return *bitmap;
    if (graphic_) graphic_->OnChange = nullptr;
    graphic_ = std::make_unique<TSafetyBitmap>();
    attach(graphic_.get());
    return static_cast<TSafetyBitmap&>(*graphic_);
}

TSafetyJPEGImage& TPictureEx::Jpeg() {
    if (auto* jpeg = dynamic_cast<TSafetyJPEGImage*>(graphic_.get())) return *jpeg;
    if (graphic_) graphic_->OnChange = nullptr;
    graphic_ = std::make_unique<TSafetyJPEGImage>();
    attach(graphic_.get());
    return static_cast<TSafetyJPEGImage&>(*graphic_);
}

bool TPictureEx::IsJpeg() const {
    return dynamic_cast<const TSafetyJPEGImage*>(graphic_.get()) != nullptr;
}
bool TPictureEx::IsBitmap() const {
    return dynamic_cast<const TSafetyBitmap*>(graphic_.get()) != nullptr;
}

void TPictureEx::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TPictureEx*>(&source);
    if (!other) return TPersistent::Assign(source);
    if (other == this) return;
    imageId_ = other->imageId_;
    storageId_ = other->storageId_;
    AuxText = other->AuxText;
    AuxFlag = other->AuxFlag;
    const bool thisEmpty = Empty(), otherEmpty = other->Empty();
    if (thisEmpty && otherEmpty) return;
    const TGraphic* mine = graphic_.get();
    const TGraphic* theirs = other->graphic_.get();
    if (!thisEmpty && !otherEmpty && typeid(*mine) == typeid(*theirs) && !IsJpeg()) {
        // Same class: the graphic is assigned in place.
        graphic_->AssignFrom(*other->graphic_);
        return;
    }
    AssignGraphic(other->graphic_.get());
}

void TPictureEx::LoadFromFile(const QString& path) {
    const QString extension = QFileInfo(path).suffix();
    std::unique_ptr<TGraphic> graphic = CreateGraphicForExtension(extension);
    if (!graphic) throw Exception(QStringLiteral("不明な拡張子のファイルです (%1)").arg(extension));
    graphic->LoadFromFile(path);
    SetGraphic(std::move(graphic));
}

void TPictureEx::SaveToFile(const QString& path) const {
    if (graphic_) graphic_->SaveToFile(path);
}

void WritePictureData(const TPictureEx& picture, TStream& stream) {
    WritePictureData(picture.Graphic(), stream);
}

void ReadPictureData(TPictureEx& picture, TStream& stream) {
    picture.SetGraphic(ReadPictureData(stream));
}
