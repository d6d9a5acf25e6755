// Pages as PDF, streamed to the spooler as they are drawn: each image is stored losslessly
// under its clip, and nothing of earlier pages is kept.
#include "platform/spooler/PdfImageWriter.h"
#include "platform/spooler/PrintOutput.h"

#include <algorithm>

namespace platform {
namespace {

class PdfOutput : public PrintOutput {
public:
    PdfOutput(std::unique_ptr<SpoolerDocument> document, const PrintMediaGeometry& media)
        : document_(std::move(document)),
          writer_([this](const QByteArray& bytes) { document_->write(bytes); },
                  QStringLiteral("Vellumo")),
          media_(media) {}

    void beginPage(QSize page) override {
        // Device pixels of the media, y downwards, onto PDF points, y upwards.
        const double width = media_.width * 72.0 / 2540.0, length = media_.length * 72.0 / 2540.0;
        const double scale = 72.0 / std::max(media_.dpi, 1);
        writer_.beginPage(width, length,
                          pageToMedia(page, media_) * QTransform(scale, 0, 0, -scale, 0, length));
    }

    void placeImage(const QImage& image, const QRect& target,
                    const std::optional<QRegion>& clip) override {
        writer_.drawImage(image, QRectF(target), clip);
    }

    void endPage() override { writer_.endPage(); }

    int finish() override {
        if (writer_.pageCount() == 0) beginPage(QSize(1, 2));  // a job always has a page
        writer_.finish();
        return document_->finish();
    }

    int pageCount() const override { return writer_.pageCount(); }

private:
    std::unique_ptr<SpoolerDocument> document_;
    PdfImageWriter writer_;
    PrintMediaGeometry media_;
};

}  // namespace

std::unique_ptr<PrintOutput> makePdfOutput(std::unique_ptr<SpoolerDocument> document,
                                           const PrintMediaGeometry& media) {
    return std::make_unique<PdfOutput>(std::move(document), media);
}

QString printEncodingFormat(PrintEncoding encoding) {
    return encoding == PrintEncoding::Pdf ? QStringLiteral("application/pdf")
                                          : QStringLiteral("image/pwg-raster");
}

PrintEncoding printEncodingFor(const SpoolerPrinterInfo& printer) {
    const bool driverless = printer.driver.contains(u"IPP Everywhere", Qt::CaseInsensitive) ||
                            printer.driver.contains(u"driverless", Qt::CaseInsensitive);
    return driverless ? PrintEncoding::PwgRaster : PrintEncoding::Pdf;
}

QTransform pageToMedia(QSize page, const PrintMediaGeometry& media) {
    if (page.width() <= page.height()) return {};
    const double length = media.length * media.dpi / 2540.0;
    return QTransform(0, -1, 1, 0, 0, length);
}

}  // namespace platform
