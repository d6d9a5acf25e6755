#include "printing/PrintSite.h"

#include "album/PageLimits.h"
#include "app/frame/AppFrame.h"
#include "drawing/Facets.h"
#include "objects/BackImage.h"
#include "platform/IntMath.h"
#include "platform/spooler/Spooler.h"
#include "printing/JobMonitor.h"
#include "printing/KvrManager.h"
#include "printing/KvrPrintEnabler.h"
#include "printing/Messages.h"
#include "printing/Printer.h"
#include "printing/PrinterCanvas.h"
#include "printing/PrinterConfiguration.h"
#include "printing/StretchPrintPage.h"

#include <QCoreApplication>

using platform::mulDiv;

bool IsPhotoAlbumPaper(const TPaperInfo& paper) {
    return IsAlbumPaper(paper);
}
bool IsAlbumCoverPaper(const TPaperInfo& paper) {
    return IsAlbumPaper(paper) && IsCoverPaper(paper);
}
bool IsAlbumSheetPaper(const TPaperInfo& paper) {
    return IsPhotoAlbumPaper(paper) && !IsAlbumCoverPaper(paper);
}

int PrintRenderResolution(const TPrintSpec& spec, int banding, int printerDpi) {
    if (spec.Resolution != 0) return spec.Resolution;
    return banding == 1 ? 254 : printerDpi;
}

QPoint BorderlessOffset(const TBorderlessRecord& r, int dpi) {
    enum { Valid, Size, OffsetX, OffsetY, ExtentX, ExtentY, NumX, NumY, DenX, DenY };
    if (r[Valid] == 0 || r[NumX] == r[DenX] || r[DenX] == 0 || r[DenY] == 0) return {};
    const int dx = r[OffsetX] - (mulDiv(r[ExtentX], r[NumX], r[DenX]) - r[ExtentX]) / 2;
    const int dy = r[OffsetY] - (mulDiv(r[ExtentY], r[NumY], r[DenY]) - r[ExtentY]) / 2;
    const int res = dpi == r[NumX] ? r[DenX] : dpi;
    return {mulDiv(dx, res, r[DenX]), mulDiv(dy, res, r[DenY])};
}

int BandingSetting() {
    return ReadIntegerSetting(QStringLiteral("Banding"), 1);
}

namespace {
void processMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

// Colour matching for one job: the enabler switches the driver while the job runs, the
// active flag tells the photo filters.
class KvrJobSwitch {
public:
    explicit KvrJobSwitch(bool wanted) {
        if (wanted && !KvrRefusedForPrint && NewKvrManager()->PrinterSupportsKvr())
            enabler_ = NewKvrPrintEnabler();
        KvrPrintActive = enabler_ != nullptr;
    }
    ~KvrJobSwitch() {
        enabler_.reset();
        KvrPrintActive = false;
    }
    void release() {
        if (enabler_) enabler_->Release();
        enabler_.reset();
        KvrPrintActive = false;
    }

private:
    std::shared_ptr<TKVRPrintEnabler> enabler_;
};

// Ends the job on every way out: handed over normally, dropped on an error.
class JobGuard {
public:
    explicit JobGuard(const QString& title) { Printer().BeginDoc(title); }
    ~JobGuard() {
        if (Printer().Printing()) Printer().Abort();
    }
    void end() {
        if (Printer().Printing()) Printer().EndDoc();
    }
};
}  // namespace

TPrintSite::TPrintSite(IPrintDocument& document, TPhasedProgressBase* progress, TPrintSpec& spec)
    : document_(document), progress_(progress), spec_(spec) {
    SetBorder(false);
    Scaler().SetUnitDPI(254);
    SetLogSize(document.Paper().Width(), document.Paper().Height());
}

TPrintSite::~TPrintSite() {
    DestroyOwnedComponents();
}

bool TPrintSite::printing() const {
    return Printer().Printing();
}

void TPrintSite::step() {
    if (progress_) progress_->StepPhase();
}

bool TPrintSite::OneJob() const {
    QString device;
    Printer().GetPrinter(&device, nullptr, nullptr, nullptr);
    return device == platform::pdfPrinterName();
}

void TPrintSite::Print() {
    TPaperInfo& paper = document_.Paper();
    banding_ = BandingOverride >= 0 ? BandingOverride : BandingSetting();
    resolution_ = PrintRenderResolution(spec_, banding_, Printer().Resolution());
    borderless_ = {};
    if (IsPhotoAlbumPaper(paper)) {
        try {
            auto config = CurrentPrinterConfiguration();
            auto oxdi = NewOXDI(*config);
            if (oxdi && oxdi->IsOpen()) borderless_ = oxdi->GetBorderlessRecord();
        } catch (const Exception&) {
            borderless_ = {};  // no extension for this printer: no compensation
        }
    }
    compensate_ = borderless_[0] != 0 && borderless_[6] != borderless_[8];
    // Until papers carry their own print settings, each prints on the printer's media of
    // its size (when the printer has one).
    Printer().SelectPaperSize(QSize(std::min(paper.PortraitWidth(), paper.PortraitHeight()),
                                    std::max(paper.PortraitWidth(), paper.PortraitHeight())));
    // The printer page takes the paper's orientation.
    const QSize page = Printer().PhysicalPage();
    const bool paperLandscape = paper.Height() < paper.Width();
    if (page.isValid() && paperLandscape != (page.height() < page.width()))
        Printer().SetOrientation(Printer().Orientation() == 2 ? 1 : 2);
    // The canvas has no unprintable offset: its (0,0) is the paper's corner.
    const int dpi = Printer().CanvasResolution();
    origin_ = {mulDiv(spec_.PrintOffset.x(), dpi, 254), mulDiv(spec_.PrintOffset.y(), dpi, 254)};
    if (progress_) progress_->BeginPhase(1, document_.SheetCount() - 1);
    struct EndPhase {
        TPhasedProgressBase* p;
        ~EndPhase() {
            if (p) p->EndPhase();
        }
    } endPhase{progress_};
    if (OneJob())
        printOneJob();
    else
        printJobPerSheet();
}

void TPrintSite::printOneJob() {
    // One job carries every selected sheet, so any of them asks for colour matching.
    bool kvr = false;
    for (int i = 0; i < document_.SheetCount(); ++i)
        kvr |= spec_.SheetFlag(i) && document_.SheetHasKvr(i);
    KvrJobSwitch kvrSwitch(kvr);
    JobGuard job(QCoreApplication::applicationName());
    bool first = true;
    std::vector<int> sheets;
    for (int i = 0; i < document_.SheetCount() && printing(); ++i) {
        step();
        if (!spec_.SheetFlag(i)) continue;
        document_.SetCurrentSheet(i);
        printSheetCopies(first);
        first = false;
        sheets.push_back(i);
    }
    job.end();
    kvrSwitch.release();
    if (Printer().Aborted()) return;
    sent_.insert(sent_.end(), sheets.begin(), sheets.end());
    jobIds_.push_back(Printer().JobId());
}

void TPrintSite::printJobPerSheet() {
    TPrintJobIDPeeker peeker;
    bool ask = true;
    const int last = spec_.LastSelectedSheet();
    for (int i = 0; i < document_.SheetCount(); ++i) {
        if (!spec_.SheetFlag(i)) continue;
        document_.SetCurrentSheet(i);
        {
            KvrJobSwitch kvrSwitch(document_.SheetHasKvr(i));
            JobGuard job(QCoreApplication::applicationName());
            step();
            printSheetCopies(true);
            job.end();
            kvrSwitch.release();
        }
        if (Printer().Aborted()) return;
        sent_.push_back(i);
        jobIds_.push_back(Printer().JobId());
        peeker.SheetSent(Printer().JobId());
        // Nothing is left to wait for after the last selected sheet.
        if (ask && i != last && OnSheetDone) {
            const int id = peeker.GetJobID();
            if (id == 0) continue;
            uint8_t reply = 0;
            OnSheetDone(id, reply);
            if (reply == 1) return;
            if (reply == 2) ask = false;
        }
    }
}

void TPrintSite::printSheetCopies(bool firstPage) {
    if (progress_) progress_->BeginPhase(1, spec_.Copies);
    for (int k = 1; k <= spec_.Copies && printing(); ++k) {
        if (!(firstPage && k == 1)) Printer().NewPage();
        printFaces();
        drawFaceMarks();
        step();
    }
    if (progress_) progress_->EndPhase();
}

void TPrintSite::printFaces() {
    if (!printing()) return;
    TPaperInfo& paper = document_.Paper();
    int selected = 0;
    for (int f = 0; f < paper.GetFaceCount(); ++f) selected += spec_.FaceSelected(f);
    if (progress_) progress_->BeginPhase(1, selected);
    for (int f = 0; f < paper.GetFaceCount() && printing(); ++f) {
        if (!spec_.FaceSelected(f)) continue;
        if (document_.HasFaceObjects(f)) printFace(f);
        step();
        processMessages();
    }
    if (progress_) progress_->EndPhase();
}

void TPrintSite::loadFaceObjects(int face) {
    for (auto& o : document_.FaceObjects(face)) {
        o->SetSelectable(false);
        o->SetEnabled(false);
        InsertObject(std::move(o));
    }
}

void TPrintSite::printFace(int face) {
    DestroyOwnedComponents();
    loadFaceObjects(face);
    TPrinterCanvas& pc = Printer().Canvas();
    TCanvas& canvas = pc.Canvas();
    const auto clipGuard = SaveClip(canvas);
    TFaceInfo info;
    document_.Paper().GetFaceInfo(face, info);
    // The face's shape becomes the clip, in page pixels with the origin applied.
    {
        const auto state = SaveCanvas(canvas, true);
        platform::Mapping m = canvas.mapping();
        m.windowOrigin -= origin_;
        canvas.setMapping(m);
        Scaler().PrepareCanvas(canvas);
        const QRegion shape = info.Region(&canvas, true);
        (void)state;
        canvas.selectClip(canvas.clipRegion() ? canvas.clipRegion()->intersected(shape) : shape);
    }
    TRect target = Scaler().LogRectToDev(pc.Resolution(), document_.Paper().GetFaceBounds(face));
    target = {target.Left - 10, target.Top - 10, target.Right + 10, target.Bottom + 10};
    TStretchPrintPage page(pc, resolution_, banding_ != 0, origin_, target);
    if (progress_) progress_->BeginPhase(1, page.BandCount());
    while (printing() && page.NextBand()) {
        if (progress_) progress_->BeginPhase(1, ControlCount());
        DrawTo(page.GetCanvas(), QPoint(0, 0), 100);
        if (progress_) progress_->EndPhase();
        step();
    }
    if (progress_) progress_->EndPhase();
}

void TPrintSite::drawFaceMarks() {
    if (!printing() || !(spec_.DrawFaceOutline || spec_.DrawTrimLine)) return;
    TPaperInfo& paper = document_.Paper();
    TCanvas& canvas = Printer().Canvas().DirectCanvas();
    const auto state = SaveCanvas(canvas, true);
    platform::Mapping m = canvas.mapping();
    m.windowOrigin -= origin_;
    canvas.setMapping(m);
    Scaler().PrepareCanvas(canvas);
    canvas.tools().brush.style = platform::BrushStyle::Clear;
    for (int f = 0; f < paper.GetFaceCount(); ++f) {
        if (!spec_.FaceSelected(f)) continue;
        TFaceInfo info;
        paper.GetFaceInfo(f, info);
        canvas.tools().pen = platform::Pen{};
        canvas.tools().pen.width = 0;
        canvas.tools().pen.color = 0;
        if (spec_.DrawFaceOutline) info.DrawOutline(canvas, false, false);
        if (spec_.DrawTrimLine && info.FaceMargin > 0) {
            canvas.tools().pen.style = platform::PenStyle::Dash;
            info.DrawTrimLine(canvas, false);
        }
    }
}

void TPrintSite::DrawToProgress(int index) {
    TDrawSite::DrawToProgress(index);
    step();
    processMessages();
}

void TPrintSite::PaintObjectTo(TDrawObject& object) {
    if (!printing() || !compensate_ || dynamic_cast<TLOBackImage*>(&object)) {
        TDrawSite::PaintObjectTo(object);
        return;
    }
    TCanvas& canvas = Canvas();
    const auto state = SaveCanvas(canvas, true);
    platform::Mapping m = canvas.mapping();
    m.viewportOrigin += BorderlessOffset(borderless_, GetCanvasDPI(canvas));
    canvas.setMapping(m);
    TDrawSite::PaintObjectTo(object);
}

TPaperPrintDocument::TPaperPrintDocument(const TPaperInfo& paper) : paper_(paper.Clone()) {}

bool TPaperPrintDocument::HasFaceObjects(int) {
    return bool(MakeFaceObjects);
}

std::vector<std::unique_ptr<TDrawObject>> TPaperPrintDocument::FaceObjects(int face) {
    if (!MakeFaceObjects) return {};
    std::vector<std::unique_ptr<TDrawObject>> objects = MakeFaceObjects(face);
    if (FaceRelative) {
        const TRect origin = paper_->GetFaceBounds(face);
        for (auto& o : objects)
            if (auto* e = QueryFacet<IDOEncloseBounds>(o.get())) e->OffsetBy(origin.Left, origin.Top);
    }
    return objects;
}
