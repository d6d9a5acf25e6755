#pragma once
// A PDF made of images, written as it goes: each page is a list of images stretched into
// rectangles under optional clips. Images are stored losslessly (8-bit RGB, Flate, an
// 8-bit soft mask where they are not opaque) and compressed on a second thread while the
// caller renders what comes next; at most two images wait for compression, so memory
// stays at a few images whatever the job's size. Bytes go to the sink in file order.

#include <QByteArray>
#include <QImage>
#include <QRegion>
#include <QTransform>
#include <deque>
#include <functional>
#include <future>
#include <optional>

namespace platform {

class PdfImageWriter {
public:
    using Sink = std::function<void(const QByteArray&)>;
    explicit PdfImageWriter(Sink sink, QString creator);
    ~PdfImageWriter();
    PdfImageWriter(const PdfImageWriter&) = delete;
    PdfImageWriter& operator=(const PdfImageWriter&) = delete;

    // A page of `width` x `height` points; `toPoints` maps the coordinates of the
    // following images and clips (y downwards) onto the page.
    void beginPage(double width, double height, const QTransform& toPoints);
    // The image stretched into `target` (its top-left pixel at target's top-left).
    void drawImage(const QImage& image, const QRectF& target, const std::optional<QRegion>& clip);
    void endPage();
    // Writes what is still compressing, the page tree and the cross-reference table.
    void finish();
    int pageCount() const { return int(pages_.size()); }

    struct Encoded {
        QByteArray colour, alpha;  // compressed samples; alpha empty when opaque
        int width = 0, height = 0;
        bool interpolate = false;
    };

private:
    int newObject();
    void write(const QByteArray& bytes);
    void beginObject(int number);
    void writeStream(int number, const QByteArray& dictionary, const QByteArray& data);
    void writeImage(int number, int maskNumber, const Encoded& image);
    // Writes compressed images in order; waits for them while more than `pending` remain.
    void drain(size_t pending);

    struct Job {
        int number = 0, maskNumber = 0;
        std::future<Encoded> result;
    };

    Sink sink_;
    QString creator_;
    qint64 offset_ = 0;
    std::vector<qint64> offsets_;  // by object number - 1; -1 until written
    std::deque<Job> jobs_;
    std::vector<int> pages_;  // page object numbers
    // The page being written.
    bool inPage_ = false;
    double width_ = 0, height_ = 0;
    QByteArray content_, resources_;
    int images_ = 0;
};

}  // namespace platform
