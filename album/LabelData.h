#pragma once
// TLabelData: the album document. Its content lives in a temporary compound file; only
// the records of the current sheet (paper, grid, guide, flags) are held in memory. Face
// objects and previews are read from and written to the sheet's streams on request.
//
//   DataInfo                      document record (TDataInfo)
//   Sheets\NameList, NameList<n>  one storage per sheet, in sheet order, each with
//     Info, PaperInfo             the sheet record (this class) and the sheet's paper
//     PaperExtraInfo, PaperImageInfo, PaperImages, PaperExtraAlbum
//                                 the paper's extras, absent while empty
//     NameList, NameList<n>       face streams (TLDObjects, compressed once saved)
//     Preview, Preview<n>         PNG previews of at most 360 by 360 pixels

#include "album/DataInfo.h"
#include "document/stream/Component.h"
#include "drawing/Grid.h"
#include "drawing/Guide.h"

#include <QByteArray>
#include <QImage>
#include <array>
#include <memory>
#include <vector>

class IPrintableArea;
class TDOList;
class TDrawObject;
class TExAlbumInfo;
class TExPaperInfo;
class TImagePaperInfo;
class TDocStorage;
class TDocStorageList;
class TDocStreamList;
class TGraphic;
class TMatrixPaperInfo;
class TPaperInfo;
class TPhasedProgressBase;
class TProductDB;
class TTemporaryStorage;

class TLabelData : public TComponent {
    VELLUMO_PERSISTENT(TLabelData, TComponent)
public:
    // Previews fit into this many pixels each way.
    static constexpr int kPreviewSize = 360;

    // A new document: three sheets with default papers, sheet 0 current, not modified.
    explicit TLabelData(TComponent* owner = nullptr);
    ~TLabelData() override;
    static void DeclareProperties(PropertyBuilder<TLabelData>& p);

    // --- sheets ---
    int SheetCount() const;
    int CurrentSheet() const { return current_; }
    void SelectSheet(int index);
    void AddSheet(const QString& name);
    void AddSheet();  // the default name, stored with its %d unreplaced
    void MoveSheet(int index);
    void DeleteSheet(int index);

    // --- the current sheet ---
    void SetSheetPaper(const TPaperInfo& paper);
    TPaperInfo& SheetPaper() const { return *sheetPaper_; }
    TMatrixPaperInfo& LayoutPaper() const { return *layoutPaper_; }
    // The extras of the sheet paper: set copies of the given ones, or empty them (null).
    TExPaperInfo& PaperExtra() const { return *exPaper_; }
    TImagePaperInfo& ImageExtra() const { return *imagePaper_; }
    TExAlbumInfo& AlbumExtra() const { return *albumExtra_; }
    void SetPaperExtra(const TExPaperInfo* extra);
    void SetImageExtra(const TImagePaperInfo* extra);
    void SetAlbumExtra(const TExAlbumInfo* extra);
    TGrid* Grid() const { return grid_.get(); }
    TGuide* Guide() const { return guide_.get(); }
    int CurrentLabelNo = 0;
    bool SeparatelyDesign = true;
    const QString& SheetName() const { return sheetName_; }
    void SetSheetName(const QString& name);
    bool FaceInit = false;
    bool FaceModified = false;
    bool HasKVR = false;
    // True when the sheet is printed on the back of the paper.
    bool IsBackSide(int sheet) const;

    // --- faces (indices of the sheet paper's faces) ---
    // Fills the empty `list` with the face's stored objects, back-most first; the list
    // owns them. Dates are refreshed, backgrounds placed, objects near or beyond the
    // face's edges pulled 10 units inside.
    void LoadFaceObjects(int face, TDOList& list);
    // Copies of objects given as SaveFaceObjects takes them (front-most first), as
    // LoadFaceObjects would give them back after they were saved (back-most first, adjusted
    // alike), without reading the stream: they share the pictures of the originals. False
    // (and `copies` empty) when an object's class cannot be created.
    bool CopyAsLoaded(const std::vector<TDrawObject*>& objects, TDOList& copies) const;
    // Stores the objects of `list` (front-most first) as the face's objects.
    void SaveFaceObjects(int face, const TDOList& list);
    bool HasFaceObjects(int face) const;
    void ClearFace(int face);
    // The number of face streams of the current sheet (entries of its face list).
    int FaceStreamCount() const;

    // --- previews ---
    void EnsurePreview(int face);
    // The face's preview (built when missing); null when the face shows nothing.
    std::unique_ptr<TGraphic> GetPreview(int face);
    void ClearPreview(int face);

    // --- document ---
    QString DataName;
    bool SheetMode = false;
    bool FrontCover = false;
    bool BackCover = false;
    TFaceSides FaceSides = fsFront;
    TGrid* CommonGrid() const { return commonGrid_.get(); }
    void SetCommonGrid(const TGrid& grid) { commonGrid_->Assign(grid); }
    double LastPrint = 0;
    double LastSave = 0;
    double OpenedTime() const { return opened_; }
    // The product record and the English and Japanese creator records.
    TComponent& ProductInfo() const { return *products_[0]; }
    TComponent& CreatorInfoE() const { return *products_[1]; }
    TComponent& CreatorInfoJ() const { return *products_[2]; }
    void SetProductInfo(const TComponent& info);
    // A new document's records from the program's product database.
    void FillProductRecords(const TProductDB& db);

    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }

    // Writes the document to `fileName` (compressing face streams and building every
    // preview first). The previous file stays intact when writing fails; a file that
    // another program holds open for writing is refused.
    void SaveToFile(const QString& fileName, TPhasedProgressBase* progress = nullptr);
    // Replaces the content by that of `fileName`. On failure discard the instance.
    void LoadFromFile(const QString& fileName);

    // The printable area used for background placement; null: the whole paper.
    void SetPrintableArea(const IPrintableArea* area) { printable_ = area; }
    // The rectangle backgrounds of the current sheet cover, in logical units.
    TRect BackgroundRect() const;

    TTemporaryStorage& Storage() const { return *storage_; }
    // The storage path of a sheet ("Sheets\NameList<n>").
    QString SheetPath(int index) const;

private:
    void saveSheetRecords();
    void loadSheetRecords();
    void setSheetPaper(const TPaperInfo& paper);
    void rebuildLayoutPaper();
    int streamIndex(int face) const;
    std::unique_ptr<TDocStorage> sheetNode() const;
    void writePreview(int index, const QImage& image);
    void appendImageExtra(int face, TDOList& list);
    // What loading does to the objects read for a face: dates refreshed, backgrounds placed,
    // objects pulled inside the face.
    void adjustLoadedObjects(const std::vector<TDrawObject*>& objects) const;
    // The preview image of a face's objects (hides empty frames, adds the image extra).
    QImage renderPreview(int face, TDOList& objects);
    // Face streams not yet compressed, gathered sheet by sheet and compressed in batches
    // on the imaging threads (the container is the same whichever thread made it).
    struct PendingFace {
        int sheet, face;
        QByteArray bytes;
    };
    void collectUncompressedFaces(std::vector<PendingFace>& pending) const;
    void compressFaces(std::vector<PendingFace>& pending);
    void checkSheetIndex(int index) const;

    std::unique_ptr<TTemporaryStorage> storage_;
    std::unique_ptr<TDocStorageList> sheets_;
    int current_ = -1;
    bool modified_ = false;
    std::unique_ptr<TGrid> grid_;
    std::unique_ptr<TGuide> guide_;
    std::unique_ptr<TGrid> commonGrid_;
    QString sheetName_;
    std::unique_ptr<TPaperInfo> sheetPaper_;
    std::unique_ptr<TMatrixPaperInfo> layoutPaper_;
    std::unique_ptr<TExPaperInfo> exPaper_;
    std::unique_ptr<TImagePaperInfo> imagePaper_;
    std::unique_ptr<TExAlbumInfo> albumExtra_;
    std::array<std::unique_ptr<TComponent>, 3> products_;
    double opened_ = 0;
    const IPrintableArea* printable_ = nullptr;
};
