#include "printing/Printer.h"

#include "platform/spooler/DevMode.h"
#include "platform/spooler/PrinterDriver.h"
#include "printing/KvrPrinter.h"

namespace dm = platform::devmode;

namespace {
std::unique_ptr<TPrinter>& current() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}
}  // namespace

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

void TPrinter::BeginDoc(const QString& title) {
    printing_ = true;
    title_ = title;
    jobId_ = 0;
}

void TPrinter::EndDoc(int jobId) {
    printing_ = false;
    jobId_ = jobId;
}

void TPrinter::Abort() {
    if (printing_ && jobId_) platform::systemSpooler().cancelJob(device_, jobId_);
    printing_ = false;
}

TPrinter& Printer() {
    if (!current()) current() = std::make_unique<TPrinter>();
    return *current();
}

void ReplacePrinter(std::unique_ptr<TPrinter> printer) {
    current() = std::move(printer);
}
