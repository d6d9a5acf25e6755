#include "platform/spooler/PdfImageWriter.h"

#include <QDateTime>
#include <libdeflate.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace platform {
namespace {

// The fastest level: a lossless band compresses to about half its size at several hundred
// megabytes a second, where the higher levels gain a few percent for twice the time.
constexpr int kDeflateLevel = 1;

QByteArray compress(const std::uint8_t* data, size_t size) {
    const std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> c(
        libdeflate_alloc_compressor(kDeflateLevel), &libdeflate_free_compressor);
    if (!c) throw std::bad_alloc();
    QByteArray out(qsizetype(libdeflate_zlib_compress_bound(c.get(), size)), Qt::Uninitialized);
    const size_t n = libdeflate_zlib_compress(c.get(), data, size, out.data(), size_t(out.size()));
    if (n == 0) throw std::bad_alloc();  // the bound is always enough
    out.truncate(qsizetype(n));
    return out;
}

// 8-bit RGB samples and, where any pixel is not opaque, 8-bit alpha, compressed.
PdfImageWriter::Encoded encode(QImage image, bool interpolate) {
    switch (image.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_RGB888:
            break;
        default:
            image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                  : QImage::Format_RGB32);
    }
    const int w = image.width(), h = image.height();
    const size_t pixels = size_t(w) * size_t(h);
    // Every byte is written below: no need to clear the buffers first.
    const std::unique_ptr<std::uint8_t[]> rgb(new std::uint8_t[pixels * 3]);
    std::unique_ptr<std::uint8_t[]> alpha;
    bool translucent = false;
    if (image.format() == QImage::Format_RGB888) {
        for (int y = 0; y < h; ++y)
            std::memcpy(rgb.get() + size_t(y) * w * 3, image.constScanLine(y), size_t(w) * 3);
    } else {
        const bool withAlpha = image.format() == QImage::Format_ARGB32;
        if (withAlpha) alpha.reset(new std::uint8_t[pixels]);
        for (int y = 0; y < h; ++y) {
            const QRgb* s = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            std::uint8_t* d = rgb.get() + size_t(y) * w * 3;
            for (int x = 0; x < w; ++x, d += 3) {
                const QRgb p = s[x];
                d[0] = std::uint8_t(p >> 16);
                d[1] = std::uint8_t(p >> 8);
                d[2] = std::uint8_t(p);
            }
            if (withAlpha) {
                std::uint8_t* a = alpha.get() + size_t(y) * w;
                for (int x = 0; x < w; ++x) {
                    a[x] = std::uint8_t(s[x] >> 24);
                    translucent |= a[x] != 255;
                }
            }
        }
    }
    PdfImageWriter::Encoded e;
    e.width = w;
    e.height = h;
    e.interpolate = interpolate;
    e.colour = compress(rgb.get(), pixels * 3);
    if (translucent) e.alpha = compress(alpha.get(), pixels);
    return e;
}

// A PDF number: fixed notation, no needless zeros.
QByteArray number(double v) {
    QByteArray s = QByteArray::number(v, 'f', 4);
    if (s.contains('.')) {
        while (s.endsWith('0')) s.chop(1);
        if (s.endsWith('.')) s.chop(1);
    }
    if (s == "-0") s = "0";
    return s;
}

QByteArray matrix(const QTransform& t) {
    return number(t.m11()) + ' ' + number(t.m12()) + ' ' + number(t.m21()) + ' ' +
           number(t.m22()) + ' ' + number(t.dx()) + ' ' + number(t.dy()) + " cm\n";
}

// A text string as UTF-16BE with its byte-order mark, in hex.
QByteArray textString(const QString& text) {
    QByteArray hex = "<FEFF";
    for (QChar c : text) hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    return hex.toUpper() + '>';
}

}  // namespace

PdfImageWriter::PdfImageWriter(Sink sink, QString creator)
    : sink_(std::move(sink)), creator_(std::move(creator)) {
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    newObject();  // 1: the catalogue
    newObject();  // 2: the page tree
}

PdfImageWriter::~PdfImageWriter() {
    // Unwritten images are dropped; their futures wait for the compression to end.
    jobs_.clear();
}

int PdfImageWriter::newObject() {
    offsets_.push_back(-1);
    return int(offsets_.size());
}

void PdfImageWriter::write(const QByteArray& bytes) {
    sink_(bytes);
    offset_ += bytes.size();
}

void PdfImageWriter::beginObject(int number) {
    offsets_[size_t(number - 1)] = offset_;
    write(QByteArray::number(number) + " 0 obj\n");
}

void PdfImageWriter::writeStream(int number, const QByteArray& dictionary,
                                 const QByteArray& data) {
    beginObject(number);
    write("<< " + dictionary + " /Length " + QByteArray::number(data.size()) + " >>\nstream\n");
    write(data);
    write("\nendstream\nendobj\n");
}

void PdfImageWriter::writeImage(int number, int maskNumber, const Encoded& image) {
    const QByteArray size = "/Width " + QByteArray::number(image.width) + " /Height " +
                            QByteArray::number(image.height) + " /BitsPerComponent 8";
    const QByteArray interpolate = image.interpolate ? " /Interpolate true" : "";
    QByteArray dict = "/Type /XObject /Subtype /Image " + size +
                      " /ColorSpace /DeviceRGB /Filter /FlateDecode" + interpolate;
    if (!image.alpha.isEmpty()) dict += " /SMask " + QByteArray::number(maskNumber) + " 0 R";
    writeStream(number, dict, image.colour);
    // The mask's object is always written, so that the numbering has no gaps.
    if (image.alpha.isEmpty()) {
        beginObject(maskNumber);
        write("null\nendobj\n");
    } else {
        writeStream(maskNumber,
                    "/Type /XObject /Subtype /Image " + size +
                        " /ColorSpace /DeviceGray /Filter /FlateDecode" + interpolate,
                    image.alpha);
    }
}

void PdfImageWriter::drain(size_t pending) {
    while (!jobs_.empty()) {
        Job& front = jobs_.front();
        if (jobs_.size() <= pending &&
            front.result.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;
        const Encoded image = front.result.get();
        const int number = front.number, mask = front.maskNumber;
        jobs_.pop_front();
        writeImage(number, mask, image);
    }
}

void PdfImageWriter::beginPage(double width, double height, const QTransform& toPoints) {
    if (inPage_) endPage();
    inPage_ = true;
    width_ = width;
    height_ = height;
    content_ = "q\n" + matrix(toPoints);
    resources_.clear();
    images_ = 0;
}

void PdfImageWriter::drawImage(const QImage& image, const QRectF& target,
                               const std::optional<QRegion>& clip) {
    if (!inPage_ || image.isNull() || target.isEmpty() || (clip && clip->isEmpty())) return;
    drain(1);  // at most two images wait, this one included
    Job job;
    job.number = newObject();
    job.maskNumber = newObject();
    const bool stretched = std::abs(target.width() - image.width()) > 0.5 ||
                           std::abs(target.height() - image.height()) > 0.5;
    job.result = std::async(std::launch::async, encode, image, stretched);
    const QByteArray name = "/Im" + QByteArray::number(++images_);
    resources_ += name + ' ' + QByteArray::number(job.number) + " 0 R ";
    jobs_.push_back(std::move(job));

    content_ += "q\n";
    if (clip) {
        for (const QRect& r : *clip)
            content_ += number(r.x()) + ' ' + number(r.y()) + ' ' + number(r.width()) + ' ' +
                        number(r.height()) + " re\n";
        content_ += "W n\n";
    }
    // The image's unit square: its first row at the target's top.
    content_ += matrix(QTransform(target.width(), 0, 0, -target.height(), target.left(),
                                  target.top() + target.height()));
    content_ += name + " Do\nQ\n";
}

void PdfImageWriter::endPage() {
    if (!inPage_) return;
    inPage_ = false;
    content_ += "Q\n";
    const int contents = newObject(), page = newObject();
    writeStream(contents, QByteArray(), content_);
    beginObject(page);
    write("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(width_) + ' ' +
          number(height_) + "] /Resources << /XObject << " + resources_ +
          ">> >> /Contents " + QByteArray::number(contents) + " 0 R >>\nendobj\n");
    pages_.push_back(page);
    content_.clear();
    drain(2);
}

void PdfImageWriter::finish() {
    endPage();
    drain(0);
    QByteArray kids;
    for (int p : pages_) kids += QByteArray::number(p) + " 0 R ";
    beginObject(2);
    write("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages_.size()) +
          " >>\nendobj\n");
    beginObject(1);
    write("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    const int info = newObject();
    beginObject(info);
    const QByteArray date =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    write("<< /Creator " + textString(creator_) + " /Producer " + textString(creator_) +
          " /CreationDate (D:" + date + "Z) >>\nendobj\n");
    const qint64 xref = offset_;
    QByteArray table = "xref\n0 " + QByteArray::number(offsets_.size() + 1) +
                       "\n0000000000 65535 f \n";
    for (qint64 o : offsets_)
        table += QByteArray::number(o).rightJustified(10, '0') + " 00000 n \n";
    write(table);
    write("trailer\n<< /Size " + QByteArray::number(offsets_.size() + 1) +
          " /Root 1 0 R /Info " + QByteArray::number(info) + " 0 R >>\nstartxref\n" +
          QByteArray::number(xref) + "\n%%EOF\n");
}

}  // namespace platform
