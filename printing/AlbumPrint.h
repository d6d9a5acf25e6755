#pragma once
// Printing an album document: the document seen by the print site, and the print
// command's run (without its windows): the print run's resolution for album sheet paper, the
// colour-matching question, the site, and the last-print stamp.

#include "printing/PrintSite.h"

#include <functional>

class TLabelData;

class TAlbumPrintDocument : public IPrintDocument {
public:
    explicit TAlbumPrintDocument(TLabelData& data) : data_(data) {}
    TPaperInfo& Paper() override;
    int SheetCount() override;
    void SetCurrentSheet(int sheet) override;
    bool SheetHasKvr(int sheet) override;
    bool HasFaceObjects(int face) override;
    std::vector<std::unique_ptr<TDrawObject>> FaceObjects(int face) override;

private:
    TLabelData& data_;
};

struct TAlbumPrintHooks {
    // Asked when a selected sheet carries colour-matched photos the printer cannot print
    // so; true prints without colour matching, false prints nothing.
    std::function<bool()> PrintWithoutKvr;
    TPhasedProgressBase* Progress = nullptr;
    std::function<void(int jobId, uint8_t& reply)> OnSheetDone;
    int BandingOverride = -1;
};

// Prints the sheets `spec` selects on the framework printer. LastPrint is stamped only
// when every selected sheet was handed over. Answers the ids of the jobs sent; false in
// `printed` when the user declined.
std::vector<int> PrintAlbum(TLabelData& data, TPrintSpec& spec, const TAlbumPrintHooks& hooks,
                            bool* printed = nullptr);
