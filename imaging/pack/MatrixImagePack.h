#pragma once
// TMatrixImagePack: one picture cut into CountCol x CountRow equal cells (a strip of
// interface bitmaps, the date glyphs). Cell n is at row n div CountCol, column
// n mod CountCol. A grid with no columns or rows has no cells.

#include "imaging/pack/ImagePack.h"

#include <memory>

class TResourceImageLoader;

class TMatrixImagePack : public TImagePack {
    VELLUMO_PERSISTENT(TMatrixImagePack, TImagePack)
public:
    explicit TMatrixImagePack(TComponent* owner = nullptr);
    ~TMatrixImagePack() override;

    static void DeclareProperties(PropertyBuilder<TMatrixImagePack>& p);
    void AfterLoad() override;

    TPictureEx& Image() const { return *image_; }
    // Copies the picture (the pack reports a change).
    void SetImage(const TPictureEx& picture);
    TResourceImageLoader& ImageLoader() const { return *loader_; }
    TPictureEx* ImagePtr() const { return image_.get(); }
    TResourceImageLoader* ImageLoaderPtr() const { return loader_.get(); }
    int CountCol() const { return countCol_; }
    void SetCountCol(int count);
    int CountRow() const { return countRow_; }
    void SetCountRow(int count);

    int GetCount() override;
    TRect GetImageRect(int index) override;
    void GetImage(TPictureEx& picture, int index) override;
    void StretchDraw(platform::Canvas& canvas, const TRect& rect, int index) override;
    bool IsEmpty(int index) override;

private:
    std::unique_ptr<TPictureEx> image_;
    std::unique_ptr<TResourceImageLoader> loader_;
    std::unique_ptr<TListener> imageListener_;
    int countCol_ = 1, countRow_ = 1;
};
