#pragma once
// A printer's configuration: its names, its driver, the working device mode and the
// driver's default, and the lazily built form list. Shared; freed by its last holder.

#include "platform/spooler/PrinterDriver.h"
#include "printing/DeviceMode.h"
#include "printing/PrinterForms.h"

#include <optional>

class QWidget;

class IPrinterConfiguration {
public:
    virtual ~IPrinterConfiguration() = default;
    virtual QString DeviceName() const = 0;
    virtual QString PortName() const = 0;
    // The open printer: our driver for it.
    virtual const platform::PrinterDriver& PrinterHandle() const = 0;
    virtual IDeviceModePtr DeviceMode() = 0;
    virtual IPrinterFormsPtr Forms() = 0;
    virtual void ResetToDefault() = 0;
    virtual bool ShowProperties(QWidget* owner) = 0;
    virtual void ApplyToPrinter() = 0;
    virtual void MergeDeviceMode() = 0;
    virtual bool AddForm(const QString& name, QSize size) = 0;
    virtual void ClearForms() = 0;
    // The driver's default device mode.
    virtual IDeviceModePtr DefaultDeviceMode() = 0;
};
using IPrinterConfigurationPtr = std::shared_ptr<IPrinterConfiguration>;

class TPrinterConfiguration : public IPrinterConfiguration {
public:
    // The framework printer's current printer, with a copy of its device mode.
    TPrinterConfiguration();
    // A named printer with the driver's default; raises msg::invalidPrinterName().
    TPrinterConfiguration(const QString& device, const QString& port);

    QString DeviceName() const override { return device_; }
    QString PortName() const override { return port_; }
    const platform::PrinterDriver& PrinterHandle() const override { return *driver_; }
    IDeviceModePtr DeviceMode() override { return working_; }
    IPrinterFormsPtr Forms() override;
    void ResetToDefault() override { working_->AssignFrom(*default_); }
    bool ShowProperties(QWidget* owner) override;  // PrinterPropertiesDialog.cpp
    void ApplyToPrinter() override;
    void MergeDeviceMode() override;
    bool AddForm(const QString& name, QSize size) override;
    void ClearForms() override { forms_.reset(); }
    IDeviceModePtr DefaultDeviceMode() override { return default_; }

private:
    void open(const QString& device);

    QString device_, port_;
    std::optional<platform::PrinterDriver> driver_;
    IDeviceModePtr working_ = NewDeviceMode();
    IDeviceModePtr default_ = NewDeviceMode();
    IPrinterFormsPtr forms_;
};

IPrinterConfigurationPtr CurrentPrinterConfiguration();
IPrinterConfigurationPtr PrinterConfiguration(const QString& device, const QString& port);

// The forms the user registered (AddForm), kept in the settings store: the spooler has no
// forms of its own.
std::vector<platform::DriverForm> UserForms();
