#pragma once
// What a print job's pages become on their way to the spooler. A page is drawn in
// full-paper device pixels at the job's resolution; its content is a sequence of images,
// each stretched into a rectangle under an optional clip region (bands of the print
// pipeline, the page raster of faces drawn directly). Two encodings: a PDF whose images
// are stored losslessly (PPD queues and the PDF printer), and PWG raster (driverless
// queues). Both send each page as it ends, so a job costs the memory of one page's bands
// at most. Pages wider than high go on the (portrait) media turned by 90 degrees
// counter-clockwise: the page's top edge runs along the media's left edge.

#include "platform/spooler/Spooler.h"

#include <QImage>
#include <QRegion>
#include <memory>
#include <optional>

namespace platform {

struct PrintMediaGeometry {
    int width = 0, length = 0;  // the media, portrait, in 1/100 mm
    int dpi = 300;
};

class PrintOutput {
public:
    virtual ~PrintOutput() = default;
    // `page` is the page's size in device pixels; wider than high means turned.
    virtual void beginPage(QSize page) = 0;
    virtual void placeImage(const QImage& image, const QRect& target,
                            const std::optional<QRegion>& clip) = 0;
    virtual void endPage() = 0;
    // Ends the document and hands it over; answers the spooler's job id.
    virtual int finish() = 0;
    virtual int pageCount() const = 0;
};

enum class PrintEncoding { Pdf, PwgRaster };

std::unique_ptr<PrintOutput> makePdfOutput(std::unique_ptr<SpoolerDocument> document,
                                           const PrintMediaGeometry& media);
std::unique_ptr<PrintOutput> makePwgOutput(std::unique_ptr<SpoolerDocument> document,
                                           const PrintMediaGeometry& media);

// The MIME type of an encoding, for Spooler::startJob.
QString printEncodingFormat(PrintEncoding encoding);
// Driverless queues take PWG raster; everything else, the PDF printer included, PDF.
PrintEncoding printEncodingFor(const SpoolerPrinterInfo& printer);

// The device transform of a page onto its media, in pixels at the media's resolution:
// identity for upright pages, the turn for pages wider than high.
QTransform pageToMedia(QSize page, const PrintMediaGeometry& media);

}  // namespace platform
