#pragma once
// TFreePaperInfo: faces placed one by one, each a TFaceItem with its own rectangle and
// settings.

#include "paper/FaceSettings.h"
#include "paper/PaperInfo.h"

class TFaceItem : public TCollectionItem {
    VELLUMO_PERSISTENT(TFaceItem, TCollectionItem)
public:
    static void DeclareProperties(PropertyBuilder<TFaceItem>& p);
    void DefineCustomProperties(TFiler& filer) override;
    void Assign(const TPersistent& source) override;

    // Setting Left or Top moves the rectangle and keeps its size; setting Width or Height
    // moves the right or bottom edge.
    int Left() const { return Rect.Left; }
    int Top() const { return Rect.Top; }
    int Width() const { return Rect.Width(); }
    int Height() const { return Rect.Height(); }
    void SetLeft(int v);
    void SetTop(int v);
    void SetWidth(int v);
    void SetHeight(int v);

    TRect Rect;
    FaceSettings Face;
};

using TFaces = TOwnedCollection<TFaceItem>;

class TFreePaperInfo : public TPaperInfo {
    VELLUMO_PERSISTENT(TFreePaperInfo, TPaperInfo)
public:
    TFreePaperInfo();
    ~TFreePaperInfo() override;
    static void DeclareProperties(PropertyBuilder<TFreePaperInfo>& p);

    TFaces& Faces() const { return *faces_; }
    // Appends a face with that rectangle and those settings.
    TFaceItem& AddFace(const TRect& rect, const FaceSettings& settings = {});

    int GetFaceCount() const override { return faces_->Count(); }
    TFaceShape GetFaceShape(int i) const override { return item(i).Face.shape; }
    TRect GetFaceRect(int i) const override { return item(i).Rect; }
    int GetFaceMargin(int i) const override { return item(i).Face.margin; }
    QSize GetCutCenter(int i) const override;
    int GetRoundSize(int i) const override { return item(i).Face.roundSize; }
    TCenterShape GetCenterShape(int i) const override { return item(i).Face.centerShape; }
    QString GetStoredFacePurpose(int i) const override { return item(i).Face.purpose; }

protected:
    void AssignFaces(const TPaperInfo& source) override;

private:
    const TFaceItem& item(int i) const;
    TFaces* FacesPtr() const { return faces_.get(); }
    std::unique_ptr<TFaces> faces_;
};
