#pragma once
// Placement checks shared by the unit tests (PDF printer) and the print-server tests: an
// A4 paper whose faces carry sharp black squares, printed through the print site, and the
// squares found again in the rasterised output.

#include "drawing/LORectBase.h"
#include "paper/FreePaperInfo.h"
#include "platform/spooler/DevMode.h"
#include "platform/spooler/PrinterDriver.h"
#include "printing/PrintSite.h"
#include "printing/Printer.h"

#include <cups/raster.h>
#include <QImage>
#include <QPointF>
#include <QProcess>
#include <QStringList>
#include <cmath>
#include <cstring>
#include <vector>

// A filled black square.
class TPrintMark : public TLORectBase {
public:
    explicit TPrintMark(const TRect& r) { SetLogBounds(r); }
    void SetEnclosingSize(int w, int h) override {
        SetLogBounds({Left(), Top(), Left() + w, Top() + h});
    }
    void DrawOutline(TCanvas& c) override { c.rectangle(GetBounds()); }
    void Paint() override {
        Canvas().fillRect(GetBounds(), platform::Brush{platform::BrushStyle::Solid, 0, {}});
    }
};

struct PlacementCase {
    bool landscape = false;
    bool borderless = false;
    QPoint offset;  // 0.1 mm
};

// A4 with three faces: near the top-left, in the middle and near the bottom-right corner.
inline std::unique_ptr<TFreePaperInfo> markedPaper(bool landscape) {
    auto paper = std::make_unique<TFreePaperInfo>();
    paper->SetPortraitSize(2100, 2970);
    paper->AddFace({100, 120, 700, 620});
    paper->AddFace({800, 1200, 1400, 1900});
    paper->AddFace({1350, 2300, 2000, 2870});
    paper->SetLandscape(landscape);
    return paper;
}

// Each face's mark: a 4 mm square at the face centre; answered as centres in paper units.
inline std::vector<QPointF> markCentres(const TPaperInfo& paper) {
    std::vector<QPointF> out;
    for (int f = 0; f < paper.GetFaceCount(); ++f) {
        const TRect b = paper.GetFaceBounds(f);
        out.emplace_back((b.Left + b.Right) / 2.0, (b.Top + b.Bottom) / 2.0);
    }
    return out;
}

// Chooses `printer` on a fresh framework printer with its default device mode, switched to
// a borderless source when asked.
inline void choosePrinter(const QString& printer, bool borderless) {
    ReplacePrinter(std::make_unique<TPrinter>());
    const auto drv = platform::PrinterDriver::open(platform::systemSpooler(), printer);
    QByteArray devMode = drv.defaultDevMode();
    if (borderless)
        for (const auto& b : drv.bins())
            if (b.borderless) {
                platform::devmode::setI16(devMode, platform::devmode::DefaultSource, b.id);
                devMode = drv.merge(devMode);
                break;
            }
    Printer().SetPrinter(printer, {}, {}, devMode);
}

// Prints the marked paper once through the print site on the chosen printer.
inline std::vector<QPointF> printMarks(const PlacementCase& c) {
    auto paper = markedPaper(c.landscape);
    TPaperPrintDocument doc(*paper);
    doc.MakeFaceObjects = [&](int face) {
        std::vector<std::unique_ptr<TDrawObject>> v;
        const QPointF m = markCentres(*paper)[size_t(face)];
        const int x = int(m.x()), y = int(m.y());
        v.push_back(std::make_unique<TPrintMark>(TRect{x - 20, y - 20, x + 20, y + 20}));
        return v;
    };
    TPrintSpec spec;
    spec.SetSheetFlag(0, true);
    spec.PrintOffset = c.offset;
    TPrintSite site(doc, nullptr, spec);
    site.Print();
    // Where the marks must land on the upright media, in 0.1 mm.
    std::vector<QPointF> expected;
    for (QPointF m : markCentres(*paper)) {
        m += QPointF(c.offset);
        expected.push_back(c.landscape ? QPointF(m.y(), 2970 - m.x()) : m);
    }
    return expected;
}

// The centre of the dark pixels within 3 mm of `near` (0.1 mm) on a page rasterised at
// `dpi`, in 0.1 mm; (-1,-1) when there are none.
inline QPointF findMark(const QImage& page, int dpi, QPointF near) {
    const double px = dpi / 254.0;
    const int cx = int(near.x() * px), cy = int(near.y() * px), r = int(30 * px);
    double sx = 0, sy = 0, n = 0;
    for (int y = std::max(0, cy - r); y < std::min(page.height(), cy + r); ++y)
        for (int x = std::max(0, cx - r); x < std::min(page.width(), cx + r); ++x)
            if (qGray(page.pixel(x, y)) < 128) sx += x + 0.5, sy += y + 0.5, ++n;
    if (n == 0) return {-1, -1};
    return {sx / n / px, sy / n / px};
}

// The first page of a PDF file at `dpi`, through pdftoppm.
inline QImage rasterisePdf(const QString& pdf, int dpi, const QString& scratch) {
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QStringLiteral("1"),
             QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, scratch + QStringLiteral("/page")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return QImage(scratch + QStringLiteral("/page.png"));
}

// The first page of a PWG raster stream (sRGB 8 bits), and its resolution.
inline QImage readPwgPage(QByteArray bytes, int* dpi) {
    auto read = [](void* ctx, unsigned char* buffer, size_t length) -> ssize_t {
        auto* b = static_cast<QByteArray*>(ctx);
        const size_t n = std::min(length, size_t(b->size()));
        std::memcpy(buffer, b->constData(), n);
        b->remove(0, qsizetype(n));
        return ssize_t(n);
    };
    cups_raster_t* r = cupsRasterOpenIO(read, &bytes, CUPS_RASTER_READ);
    cups_page_header2_t h;
    QImage page;
    if (r && cupsRasterReadHeader2(r, &h) && h.cupsBitsPerPixel == 24) {
        page = QImage(int(h.cupsWidth), int(h.cupsHeight), QImage::Format_RGB888);
        for (int y = 0; y < page.height(); ++y)
            if (cupsRasterReadPixels(r, page.scanLine(y), h.cupsBytesPerLine) != h.cupsBytesPerLine)
                page = QImage();
        *dpi = int(h.HWResolution[0]);
    }
    if (r) cupsRasterClose(r);
    return page;
}
