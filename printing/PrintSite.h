#pragma once
// TPrintSite: the hidden draw site that prints the selected sheets of a document, face by
// face, each face alone on the site and rendered through a TStretchPrintPage onto the
// framework printer's canvas. The document is reached through IPrintDocument, which the
// album document (and, for catalogue papers, TPaperPrintDocument) implements.

#include "drawing/DrawSite.h"
#include "imaging/PhasedProgress.h"
#include "paper/PaperInfo.h"
#include "printing/OXDI.h"
#include "printing/PrintRun.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class IPrintDocument {
public:
    virtual ~IPrintDocument() = default;
    virtual TPaperInfo& Paper() = 0;
    virtual int SheetCount() = 0;
    virtual void SetCurrentSheet(int sheet) = 0;
    // The sheet carries photos corrected by colour matching.
    virtual bool SheetHasKvr(int sheet) = 0;
    virtual bool HasFaceObjects(int face) = 0;
    // New objects of `face` of the current sheet, ready for printing: face origins told,
    // backgrounds sized to the face, album photos rendering for print (pictureless ones
    // invisible).
    virtual std::vector<std::unique_ptr<TDrawObject>> FaceObjects(int face) = 0;
};

// The paper classes of the printing code.
bool IsPhotoAlbumPaper(const TPaperInfo& paper);
bool IsAlbumCoverPaper(const TPaperInfo& paper);
bool IsAlbumSheetPaper(const TPaperInfo& paper);

// The rendering resolution: the print run's when set, 254 with "Banding" 1, else the printer's.
int PrintRenderResolution(const TPrintSpec& spec, int banding, int printerDpi);
// The device offset of borderless compensation at resolution `dpi` (zero when the record
// asks for none).
QPoint BorderlessOffset(const TBorderlessRecord& record, int dpi);
// The "Banding" setting (default 1).
int BandingSetting();

class TPrintSite : public TDrawSite {
public:
    TPrintSite(IPrintDocument& document, TPhasedProgressBase* progress, TPrintSpec& spec);
    ~TPrintSite() override;

    // Reply: 0 go on, 1 stop printing, 2 go on and do not ask again.
    std::function<void(int jobId, uint8_t& reply)> OnSheetDone;
    // The run prints all sheets as one job (set before Print: the PDF printer and
    // printers that print directly); otherwise one job per sheet.
    bool OneJob() const;

    void Print();
    // Replaces the "Banding" setting for this site (the tool's --banding); -1 reads it.
    int BandingOverride = -1;

    // The offset bands of the current face are drawn with (device pixels of the canvas).
    const TBorderlessRecord& BorderlessRecord() const { return borderless_; }
    bool Compensating() const { return compensate_; }
    QPoint Origin() const { return origin_; }
    // Sheets that were handed over to the spooler, in order.
    const std::vector<int>& SheetsSent() const { return sent_; }
    // The spooler's ids of the jobs handed over (0 for the PDF printer's).
    const std::vector<int>& JobIds() const { return jobIds_; }

protected:
    void DrawToProgress(int index) override;
    void PaintObjectTo(TDrawObject& object) override;

private:
    void printOneJob();
    void printJobPerSheet();
    void printSheetCopies(bool firstPage);
    void printFaces();
    void printFace(int face);
    void drawFaceMarks();
    void loadFaceObjects(int face);
    bool printing() const;
    void step();

    IPrintDocument& document_;
    TPhasedProgressBase* progress_;
    TPrintSpec& spec_;
    TBorderlessRecord borderless_{};
    bool compensate_ = false;
    QPoint origin_;
    int banding_ = 1;
    int resolution_ = 0;
    std::vector<int> sent_;
    std::vector<int> jobIds_;
};

// A catalogue paper printed as a one-sheet document: its faces carry no objects, so only
// face outlines and trim lines the print run asks for (or the objects a caller supplies).
class TPaperPrintDocument : public IPrintDocument {
public:
    explicit TPaperPrintDocument(const TPaperInfo& paper);
    TPaperInfo& Paper() override { return *paper_; }
    int SheetCount() override { return 1; }
    void SetCurrentSheet(int) override {}
    bool SheetHasKvr(int) override { return false; }
    bool HasFaceObjects(int face) override;
    std::vector<std::unique_ptr<TDrawObject>> FaceObjects(int face) override;
    // Objects of a face: called each time the face is printed.
    std::function<std::vector<std::unique_ptr<TDrawObject>>(int face)> MakeFaceObjects;
    // The objects are laid out relative to the face (one design for every face): each
    // printed face moves them to its origin, the top-left of the face on the paper.
    bool FaceRelative = false;

private:
    std::unique_ptr<TPaperInfo> paper_;
};
