#include "objects/AlbumPhotoShared.h"

#include "imaging/pack/MatrixImagePack.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"

TAlbumPhotoShared& AlbumPhotoShared() {
    static TAlbumPhotoShared shared;
    return shared;
}

void LoadAlbumShadowMask(const QString& path) {
    // Read as a bitmap whatever the file's extension: plain BMP or compressed container.
    auto bitmap = std::make_unique<TSafetyBitmap>();
    bitmap->LoadFromFile(path);
    auto picture = std::make_shared<TPictureEx>();
    picture->SetGraphic(std::move(bitmap));
    AlbumPhotoShared().defaultShadow = std::move(picture);
}

void LoadDateGlyphStrip(const QString& path) {
    auto bitmap = std::make_unique<TSafetyBitmap>();
    bitmap->LoadFromFile(path);
    TPictureEx picture;
    picture.SetGraphic(std::move(bitmap));
    auto pack = std::make_shared<TMatrixImagePack>();
    pack->SetCountCol(5);
    pack->SetCountRow(3);
    pack->SetImage(picture);
    AlbumPhotoShared().dateGlyphs = std::move(pack);
}
