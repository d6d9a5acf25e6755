// Pages as PWG raster (sRGB, 8 bits per channel). Raster goes out row by row from the top,
// while a page's images arrive face by face; so a page keeps its images (the bands, at
// their own resolution) until it ends and is then composed and sent in strips of rows.
#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/spooler/PrintOutput.h"

#include <cups/raster.h>
#include <QPainter>
#include <vector>

namespace platform {
namespace {

constexpr int kStripRows = 256;

class PwgOutput : public PrintOutput {
public:
    PwgOutput(std::unique_ptr<SpoolerDocument> document, const PrintMediaGeometry& media)
        : document_(std::move(document)), media_(media) {
        raster_ = cupsRasterOpenIO(&PwgOutput::writeBytes, this, CUPS_RASTER_WRITE_PWG);
        if (!raster_) fail();
    }
    ~PwgOutput() override {
        if (raster_) cupsRasterClose(raster_);
    }

    void beginPage(QSize page) override {
        page_ = page;
        images_.clear();
    }

    void placeImage(const QImage& image, const QRect& target,
                    const std::optional<QRegion>& clip) override {
        images_.push_back({image, target, clip});
    }

    void endPage() override {
        pwg_media_t* pwg = pwgMediaForSize(media_.width, media_.length);
        cups_page_header2_t header;
        if (!pwg ||
            !cupsRasterInitPWGHeader(&header, pwg, "srgb_8", media_.dpi, media_.dpi, "one-sided",
                                     nullptr) ||
            !cupsRasterWriteHeader2(raster_, &header))
            fail();
        const int width = int(header.cupsWidth), height = int(header.cupsHeight);
        const QTransform toMedia = pageToMedia(page_, media_);
        QImage strip(width, kStripRows, QImage::Format_RGB888);
        for (int top = 0; top < height; top += kStripRows) {
            const int rows = std::min(kStripRows, height - top);
            strip.fill(Qt::white);
            QPainter p(&strip);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            const QTransform t = toMedia * QTransform::fromTranslate(0, -top);
            const QRectF stripOnPage = t.inverted().mapRect(QRectF(0, 0, width, rows));
            for (const Placed& i : images_) {
                if (!stripOnPage.intersects(QRectF(i.target))) continue;
                p.setTransform(t);
                if (i.clip)
                    p.setClipRegion(*i.clip);
                else
                    p.setClipping(false);
                p.drawImage(QRectF(i.target), i.image);
            }
            p.end();
            for (int y = 0; y < rows; ++y)
                if (cupsRasterWritePixels(raster_, strip.scanLine(y), header.cupsBytesPerLine) !=
                    header.cupsBytesPerLine)
                    fail();
        }
        images_.clear();
        ++pages_;
    }

    int finish() override {
        if (pages_ == 0) {
            beginPage(QSize(1, 2));
            endPage();
        }
        cupsRasterClose(raster_);
        raster_ = nullptr;
        if (!error_.isEmpty()) fail();
        return document_->finish();
    }

    int pageCount() const override { return pages_; }

private:
    struct Placed {
        QImage image;
        QRect target;
        std::optional<QRegion> clip;
    };

    static ssize_t writeBytes(void* context, unsigned char* buffer, size_t length) {
        auto* self = static_cast<PwgOutput*>(context);
        try {
            self->document_->write(
                QByteArray::fromRawData(reinterpret_cast<const char*>(buffer), qsizetype(length)));
        } catch (const Exception& e) {
            self->error_ = e.message();
            return -1;
        }
        return ssize_t(length);
    }

    [[noreturn]] void fail() {
        throw Exception(msg::printJobFailed(error_.isEmpty() ? QStringLiteral("PWG") : error_));
    }

    std::unique_ptr<SpoolerDocument> document_;
    PrintMediaGeometry media_;
    cups_raster_t* raster_ = nullptr;
    QSize page_;
    std::vector<Placed> images_;
    QString error_;
    int pages_ = 0;
};

}  // namespace

std::unique_ptr<PrintOutput> makePwgOutput(std::unique_ptr<SpoolerDocument> document,
                                           const PrintMediaGeometry& media) {
    return std::make_unique<PwgOutput>(std::move(document), media);
}

}  // namespace platform
