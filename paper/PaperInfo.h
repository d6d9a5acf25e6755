#pragma once
// TPaperInfo: a paper (the sheet the printer takes) and the layout of its faces, in
// tenths of a millimetre from the top-left corner in portrait orientation. Only its two
// descendants exist: TMatrixPaperInfo (faces in a grid) and TFreePaperInfo (faces placed
// one by one).

#include "document/stream/Component.h"
#include "imaging/FaceInfo.h"
#include "paper/Purpose.h"
#include "platform/Geometry.h"

#include <QSize>
#include <QString>
#include <memory>

class TPaperInfo : public TComponent {
    VELLUMO_PERSISTENT(TPaperInfo, TComponent)
public:
    ~TPaperInfo() override;
    static void DeclareProperties(PropertyBuilder<TPaperInfo>& p);

    // Width and height in the current orientation (the stored properties).
    int Width() const { return Landscape() ? portraitHeight_ : portraitWidth_; }
    int Height() const { return Landscape() ? portraitWidth_ : portraitHeight_; }
    void SetWidth(int v) { (Landscape() ? portraitHeight_ : portraitWidth_) = v; }
    void SetHeight(int v) { (Landscape() ? portraitWidth_ : portraitHeight_) = v; }
    int PortraitWidth() const { return portraitWidth_; }
    int PortraitHeight() const { return portraitHeight_; }
    void SetPortraitSize(int width, int height) {
        portraitWidth_ = width;
        portraitHeight_ = height;
    }

    const QString& PaperName() const { return paperName_; }
    void SetPaperName(const QString& v) { paperName_ = v; }
    const QString& GroupName() const { return groupName_; }
    void SetGroupName(const QString& v) { groupName_ = v; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool Landscape() const { return landscape_; }
    void SetLandscape(bool v) { landscape_ = v; }
    TPurposeList& PurposeList() const { return *purposes_; }
    // When set, the purpose list is written with the paper (the catalogue sets it while
    // it writes a paper; documents store papers without it).
    bool StorePurposes() const { return storePurposes_; }
    void SetStorePurposes(bool v) { storePurposes_ = v; }

    // Copies size, names, flags, orientation and purpose list, then the faces when both
    // papers are of the same class.
    void Assign(const TPersistent& source) override;
    // A new paper of this paper's class, assigned from it.
    std::unique_ptr<TPaperInfo> Clone() const;

    void EnumStreamChildren(const std::function<void(TComponent&)>& proc) override;
    TComponent* ChildOwnerForLoad() override { return this; }

    // Face operations; `i` counts from 0 and must be below GetFaceCount().
    virtual int GetFaceCount() const = 0;
    virtual TFaceShape GetFaceShape(int i) const = 0;
    // The stored purpose passed through the installed validator.
    virtual QString GetFacePurpose(int i) const;
    // In portrait coordinates, without the margin.
    virtual TRect GetFaceRect(int i) const = 0;
    virtual int GetFaceMargin(int i) const = 0;
    virtual QSize GetCutCenter(int i) const = 0;
    virtual int GetRoundSize(int i) const = 0;
    virtual TCenterShape GetCenterShape(int i) const = 0;
    // The purpose as the face stores it, before mapping.
    virtual QString GetStoredFacePurpose(int i) const = 0;

    // The face rectangle grown by the margin, turned when the paper is landscape: where
    // the face is printed and its objects are placed.
    TRect GetFaceBounds(int i) const;
    // The landscape transform: (top, W - right, bottom, W - left) with W the portrait
    // width; the portrait right edge becomes the top edge.
    TRect ToLandscape(const TRect& r) const;
    void GetFaceInfo(int i, TFaceInfo& info) const;

protected:
    TPaperInfo();
    // Copies the face layout of a paper of the same class.
    virtual void AssignFaces(const TPaperInfo& source) = 0;
    // Raises "リストのインデックスが範囲を超えています (%d)" unless 0 <= i < GetFaceCount().
    void CheckFaceIndex(int i) const;

private:
    TPurposeList* PurposeListPtr() const { return purposes_.get(); }

    int portraitWidth_ = 0;
    int portraitHeight_ = 0;
    QString paperName_;
    QString groupName_;
    bool readOnly_ = false;
    bool landscape_ = false;
    std::unique_ptr<TPurposeList> purposes_;
    bool storePurposes_ = false;
};
