#include "printing/AlbumPrint.h"

#include "album/LabelData.h"
#include "drawing/DOList.h"
#include "objects/AlbumPhoto.h"
#include "paper/MatrixPaperInfo.h"
#include "platform/DateTime.h"
#include "printing/KvrManager.h"

// A sheet prints as its one face covering the whole paper: its objects lie anywhere on
// the sheet, not only inside the paper's photo frames.
TPaperInfo& TAlbumPrintDocument::Paper() {
    return data_.LayoutPaper();
}

int TAlbumPrintDocument::SheetCount() {
    return data_.SheetCount();
}

void TAlbumPrintDocument::SetCurrentSheet(int sheet) {
    if (data_.CurrentSheet() != sheet) data_.SelectSheet(sheet);
}

bool TAlbumPrintDocument::SheetHasKvr(int sheet) {
    const int current = data_.CurrentSheet();
    SetCurrentSheet(sheet);
    const bool kvr = data_.HasKVR;
    SetCurrentSheet(current);
    return kvr;
}

bool TAlbumPrintDocument::HasFaceObjects(int face) {
    return data_.HasFaceObjects(face);
}

std::vector<std::unique_ptr<TDrawObject>> TAlbumPrintDocument::FaceObjects(int face) {
    TDOList list;
    data_.LoadFaceObjects(face, list);
    // Photos print from their full picture within the print limits; empty frames vanish.
    SwitchToPrintRendering(list.Items());
    return list.TakeOwned();
}

std::vector<int> PrintAlbum(TLabelData& data, TPrintSpec& spec, const TAlbumPrintHooks& hooks,
                            bool* printed) {
    if (printed) *printed = false;
    TAlbumPrintDocument doc(data);
    const int banding = hooks.BandingOverride >= 0 ? hooks.BandingOverride : BandingSetting();
    if (banding == 1 && spec.Resolution == 0 && IsAlbumSheetPaper(doc.Paper()))
        spec.Resolution = 360;
    // Any selected sheet with colour-matched photos asks, not only the current one.
    bool kvr = false;
    for (int i = 0; i < data.SheetCount(); ++i) kvr |= spec.SheetFlag(i) && doc.SheetHasKvr(i);
    struct Refusal {
        ~Refusal() { KvrRefusedForPrint = false; }
    } refusal;
    if (kvr && !NewKvrManager()->PrinterSupportsKvr()) {
        if (!hooks.PrintWithoutKvr || !hooks.PrintWithoutKvr()) return {};
        KvrRefusedForPrint = true;
    }
    TPrintSite site(doc, hooks.Progress, spec);
    site.OnSheetDone = hooks.OnSheetDone;
    site.BandingOverride = hooks.BandingOverride;
    site.Print();
    // Stamped only for a run that handed every selected sheet over.
    if (int(site.SheetsSent().size()) == spec.SelectedSheetCount() &&
        spec.SelectedSheetCount() > 0) {
        data.LastPrint = platform::dateTimeNow();
        if (printed) *printed = true;
    }
    return site.JobIds();
}
