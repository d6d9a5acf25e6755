// Pages as PDF: QPdfWriter on a device that passes its bytes straight to the spooler, each
// image stored losslessly (Flate) under its clip. Qt writes every image object when it is
// drawn and each page's content when the page ends, so nothing of earlier pages is kept.
#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/spooler/PrintOutput.h"

#include <QIODevice>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace platform {
namespace {

class SpoolerDevice : public QIODevice {
public:
    explicit SpoolerDevice(SpoolerDocument& document) : document_(document) {
        open(QIODevice::WriteOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        try {
            document_.write(QByteArray::fromRawData(data, qsizetype(length)));
        } catch (const Exception& e) {
            error_ = e.message();
            return -1;
        }
        return length;
    }

public:
    QString error_;

private:
    SpoolerDocument& document_;
};

class PdfOutput : public PrintOutput {
public:
    PdfOutput(std::unique_ptr<SpoolerDocument> document, const PrintMediaGeometry& media)
        : document_(std::move(document)), device_(*document_), writer_(&device_), media_(media) {
        writer_.setCreator(QStringLiteral("Vellumo"));
        writer_.setResolution(media.dpi);
        writer_.setPageLayout(
            QPageLayout(QPageSize(QSizeF(media.width / 100.0, media.length / 100.0),
                                  QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    }
    ~PdfOutput() override {
        // An unfinished job is dropped by its document; the painter must let go first.
        if (painter_.isActive()) painter_.end();
    }

    void beginPage(QSize page) override {
        if (!painter_.isActive()) {
            if (!painter_.begin(&writer_)) fail();
        } else if (!writer_.newPage()) {
            fail();
        }
        painter_.resetTransform();
        painter_.setTransform(pageToMedia(page, media_));
        painter_.setRenderHint(QPainter::LosslessImageRendering);
        painter_.setRenderHint(QPainter::SmoothPixmapTransform);
        ++pages_;
    }

    void placeImage(const QImage& image, const QRect& target,
                    const std::optional<QRegion>& clip) override {
        if (clip)
            painter_.setClipRegion(*clip);
        else
            painter_.setClipping(false);
        painter_.drawImage(QRectF(target), image);
        if (!device_.error_.isEmpty()) fail();
    }

    void endPage() override {
        if (!device_.error_.isEmpty()) fail();
    }

    int finish() override {
        if (!painter_.isActive()) beginPage(QSize(1, 2));  // a job always has a page
        painter_.end();
        if (!device_.error_.isEmpty()) fail();
        return document_->finish();
    }

    int pageCount() const override { return pages_; }

private:
    [[noreturn]] void fail() {
        throw Exception(
            msg::printJobFailed(device_.error_.isEmpty() ? QStringLiteral("PDF") : device_.error_));
    }

    std::unique_ptr<SpoolerDocument> document_;
    SpoolerDevice device_;
    QPdfWriter writer_;
    QPainter painter_;
    PrintMediaGeometry media_;
    int pages_ = 0;
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
