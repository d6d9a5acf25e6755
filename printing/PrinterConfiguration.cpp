#include "printing/PrinterConfiguration.h"

#include "app/frame/AppFrame.h"
#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"
#include "printing/Printer.h"

namespace dm = platform::devmode;

namespace {

QString formsKey() {
    return TAppFrame::Current()->SettingsKey() + QStringLiteral("\\PrinterForms");
}

}  // namespace

std::vector<platform::DriverForm> UserForms() {
    std::vector<platform::DriverForm> out;
    TAppFrame* frame = TAppFrame::Current();
    if (!frame) return out;
    platform::SettingsStore& store = frame->Settings();
    for (const QString& name : store.valueNames(formsKey())) {
        const QStringList wh = store.readString(formsKey(), name).value_or(QString()).split(u',');
        const int w = wh.value(0).toInt(), h = wh.value(1).toInt();
        if (w > 0 && h > 0) out.push_back({0, name, QSize(w, h), {}});
    }
    return out;
}

void TPrinterConfiguration::open(const QString& device) {
    driver_.emplace(platform::PrinterDriver::open(platform::systemSpooler(), device, UserForms()));
    device_ = device;
    // The driver's default; a block the driver cannot give leaves a fresh empty one.
    try {
        default_->SetDevMode(driver_->defaultDevMode());
    } catch (const Exception&) {
        default_->SetFromHandle(nullptr);
    }
}

TPrinterConfiguration::TPrinterConfiguration() {
    QString device, driver, port;
    QByteArray mode;
    Printer().GetPrinter(&device, &driver, &port, &mode);
    open(device);
    port_ = port;
    working_->SetFromHandle(mode.isEmpty() ? nullptr : &mode);
}

TPrinterConfiguration::TPrinterConfiguration(const QString& device, const QString&) {
    open(device);  // the port stays empty on the NT family, which Linux counts as
    working_->AssignFrom(*default_);
}

IPrinterFormsPtr TPrinterConfiguration::Forms() {
    if (!forms_) forms_ = std::make_shared<TPrinterForm>(*driver_);
    return forms_;
}

void TPrinterConfiguration::ApplyToPrinter() {
    Printer().SetPrinter(device_, QString(), port_, working_->GetHandleCopy());
}

void TPrinterConfiguration::MergeDeviceMode() {
    QByteArray copy = working_->GetDevModeA();
    const uint32_t allowed = default_->Long(dm::Fields) | dm::DM_PAPERLENGTH | dm::DM_PAPERWIDTH;
    dm::setU32(copy, dm::Fields, allowed & dm::u32(copy, dm::Fields));
    working_->SetDevMode(driver_->merge(copy));
    ClearForms();
}

bool TPrinterConfiguration::AddForm(const QString& name, QSize size) {
    // A user form needs a printer that takes custom sizes, and a name not yet taken.
    TAppFrame* frame = TAppFrame::Current();
    if (!frame || !driver_->capabilities().customSizes || name.isEmpty() || size.isEmpty())
        return false;
    if (Forms()->FindByName(name) >= 0) return false;
    try {
        frame->Settings().writeString(formsKey(), name,
                                      QStringLiteral("%1,%2").arg(size.width()).arg(size.height()));
    } catch (const Exception&) {
        return false;
    }
    platform::SpoolerCapabilities caps = driver_->capabilities();
    driver_.emplace(device_, std::move(caps), UserForms());
    ClearForms();
    return true;
}

IPrinterConfigurationPtr CurrentPrinterConfiguration() {
    return std::make_shared<TPrinterConfiguration>();
}

IPrinterConfigurationPtr PrinterConfiguration(const QString& device, const QString& port) {
    return std::make_shared<TPrinterConfiguration>(device, port);
}
