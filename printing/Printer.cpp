#include "printing/Printer.h"

#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/spooler/DevMode.h"
#include "platform/spooler/PrintOutput.h"
#include "platform/spooler/PrinterDriver.h"
#include "printing/KvrPrinter.h"
#include "printing/PrinterCanvas.h"

namespace dm = platform::devmode;

namespace {
std::unique_ptr<TPrinter>& current() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}
}  // namespace

TPrinter::~TPrinter() = default;

TPrinter::TPrinter() {
    for (const auto& p : platform::systemSpooler().printers()) printers_ << p.name;
}

void TPrinter::SetPrinter(const QString& device, const QString& driver, const QString& port,
                          const QByteArray& devMode) {
    index_ = printers_.indexOf(device);
    if (index_ < 0) {
        device_.clear(), driver_.clear(), port_.clear(), devMode_.clear();
        return;
    }
    device_ = device, driver_ = driver, port_ = port;
    const auto drv = platform::PrinterDriver::open(platform::systemSpooler(), device);
    devMode_ = devMode.isEmpty() ? drv.defaultDevMode() : dm::checkedAnsi(devMode);
    // Colour matching asks the printer set here.
    SetCurrentKvrPrinter(FrameworkKvrPrinter());
}

void TPrinter::GetPrinter(QString* device, QString* driver, QString* port,
                          QByteArray* devMode) const {
    if (device) *device = device_;
    if (driver) *driver = driver_;
    if (port) *port = port_;
    if (devMode) *devMode = devMode_;
}

int TPrinter::Resolution() const {
    if (devMode_.isEmpty()) return 0;
    const int q = dm::i16(devMode_, dm::PrintQuality), y = dm::i16(devMode_, dm::YResolution);
    return q > 0 ? q : y > 0 ? y : 300;
}

int TPrinter::Orientation() const {
    return devMode_.isEmpty() ? 1 : dm::i16(devMode_, dm::Orientation);
}

void TPrinter::SetOrientation(int orientation) {
    if (devMode_.isEmpty()) return;
    dm::setI16(devMode_, dm::Orientation, orientation == 2 ? 2 : 1);
    dm::setU32(devMode_, dm::Fields, dm::u32(devMode_, dm::Fields) | dm::DM_ORIENTATION);
}

bool TPrinter::SelectPaperSize(QSize portrait) {
    if (devMode_.isEmpty()) return false;
    const auto drv = platform::PrinterDriver::open(platform::systemSpooler(), device_);
    const auto near = [](int a, int b) { return std::abs(a - b) < 20; };
    const QSize current(dm::i16(devMode_, dm::PaperWidth), dm::i16(devMode_, dm::PaperLength));
    if (near(current.width(), portrait.width()) && near(current.height(), portrait.height()))
        return true;
    for (const auto& f : drv.forms())
        if (!f.media.isEmpty() && near(f.size.width(), portrait.width()) &&
            near(f.size.height(), portrait.height())) {
            QByteArray b = devMode_;
            dm::setI16(b, dm::PaperSize, f.id);
            dm::setI16(b, dm::PaperWidth, f.size.width());
            dm::setI16(b, dm::PaperLength, f.size.height());
            dm::setU32(
                b, dm::Fields,
                dm::u32(b, dm::Fields) | dm::DM_PAPERSIZE | dm::DM_PAPERWIDTH | dm::DM_PAPERLENGTH);
            devMode_ = drv.merge(b);
            return true;
        }
    return false;
}

QSize TPrinter::PhysicalPage() const {
    if (devMode_.isEmpty()) return {};
    const int dpi = Resolution();
    QSize s(dm::i16(devMode_, dm::PaperWidth) * dpi / 254,
            dm::i16(devMode_, dm::PaperLength) * dpi / 254);
    return Orientation() == 2 ? s.transposed() : s;
}

QRect TPrinter::PrintableRect() const {
    if (devMode_.isEmpty()) return {};
    const auto drv = platform::PrinterDriver::open(platform::systemSpooler(), device_);
    const int dpi = Resolution();
    const QSize page = PhysicalPage();
    // The margins of the chosen size and source (none for a borderless source).
    int left = 0, top = 0, right = 0, bottom = 0;
    const int paper = dm::i16(devMode_, dm::PaperSize),
              source = dm::i16(devMode_, dm::DefaultSource);
    bool borderless = false;
    for (const auto& b : drv.bins())
        if (b.id == source) borderless = b.borderless;
    for (const auto& f : drv.forms())
        if (f.id == paper)
            for (const auto& m : drv.capabilities().media)
                if (m.name == f.media && m.borderless() == borderless) {
                    left = m.left, top = m.top, right = m.right, bottom = m.bottom;
                    break;
                }
    const auto px = [dpi](int hundredths) { return hundredths * dpi / 2540; };
    QRect r(QPoint(px(left), px(top)),
            QPoint(page.width() - px(right) - 1, page.height() - px(bottom) - 1));
    if (Orientation() == 2)
        r = QRect(QPoint(px(bottom), px(left)),
                  QPoint(page.width() - px(top) - 1, page.height() - px(right) - 1));
    return r;
}

int TPrinter::CanvasResolution() const {
    if (devMode_.isEmpty()) return 0;
    return TPrinterCanvas::CanvasResolution(
        QSize(dm::i16(devMode_, dm::PaperWidth), dm::i16(devMode_, dm::PaperLength)), Resolution());
}

void TPrinter::BeginDoc(const QString& title) {
    if (printing_) throw Exception(msg::printJobFailed(title));
    if (device_.isEmpty() || devMode_.isEmpty()) throw Exception(msg::invalidPrinterName());
    auto& spooler = platform::systemSpooler();
    const auto info = spooler.printer(device_);
    if (!info) throw Exception(msg::invalidPrinterName());
    const auto drv = platform::PrinterDriver::open(spooler, device_);
    platform::SpoolerOptions options = drv.jobOptions(devMode_);
    const bool pdfPrinter = device_ == platform::pdfPrinterName();
    if (pdfPrinter && !outputFile_.isEmpty())
        options.append({QStringLiteral("output-file"), outputFile_});
    const auto encoding =
        pdfPrinter ? platform::PrintEncoding::Pdf : platform::printEncodingFor(*info);
    auto document =
        spooler.startJob(device_, title, options, platform::printEncodingFormat(encoding));
    const int jobId = document->jobId();
    // The media as the spooler knows it, always upright; lengths in 1/100 mm.
    platform::PrintMediaGeometry media;
    media.width = dm::i16(devMode_, dm::PaperWidth) * 10;
    media.length = dm::i16(devMode_, dm::PaperLength) * 10;
    media.dpi = CanvasResolution();
    output_ = encoding == platform::PrintEncoding::Pdf
                  ? platform::makePdfOutput(std::move(document), media)
                  : platform::makePwgOutput(std::move(document), media);
    abandoned_.reset();
    title_ = title;
    jobId_ = pdfPrinter ? 0 : jobId;
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 0;
    NewPage();
}

QSize TPrinter::PageSize() const {
    if (devMode_.isEmpty()) return {};
    const int dpi = CanvasResolution();
    QSize s(dm::i16(devMode_, dm::PaperWidth) * dpi / 254,
            dm::i16(devMode_, dm::PaperLength) * dpi / 254);
    return Orientation() == 2 ? s.transposed() : s;
}

void TPrinter::NewPage() {
    if (!printing_) return;
    if (canvas_) canvas_->EndPage();
    canvas_ = std::make_unique<TPrinterCanvas>(PageSize(), CanvasResolution(), output_.get());
    ++pageNumber_;
}

void TPrinter::EndDoc() {
    if (!printing_) return;
    try {
        canvas_->EndPage();
        canvas_.reset();
        const int id = output_->finish();
        output_.reset();
        if (device_ != platform::pdfPrinterName()) jobId_ = id;
    } catch (...) {
        canvas_.reset();
        output_.reset();  // an unfinished document cancels its job
        printing_ = false;
        throw;
    }
    printing_ = false;
}

void TPrinter::Abort() {
    // Abort may come from the progress window while a face is being drawn: the page's
    // canvas stays alive (cut off from the output) until the drawing has unwound.
    if (canvas_) {
        canvas_->DetachOutput();
        abandoned_ = std::move(canvas_);
    }
    output_.reset();  // drops the document, which cancels the job
    if (printing_) aborted_ = true;
    printing_ = false;
}

TPrinterCanvas& TPrinter::Canvas() {
    if (!canvas_) throw Exception(msg::printJobFailed(title_));
    return *canvas_;
}

TPrinter& Printer() {
    if (!current()) current() = std::make_unique<TPrinter>();
    return *current();
}

void ReplacePrinter(std::unique_ptr<TPrinter> printer) {
    current() = std::move(printer);
}
