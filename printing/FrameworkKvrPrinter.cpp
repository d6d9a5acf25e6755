// A printer configuration as colour matching sees it. Every question opens the printer's
// vendor driver extension afresh; the framework printer's object takes the configuration
// of the current printer each time, so its answers follow the configuration applied last.
#include "platform/Exception.h"
#include "platform/spooler/Spooler.h"
#include "printing/KvrPrinter.h"
#include "printing/Messages.h"
#include "printing/OXDI.h"
#include "printing/Printer.h"

#include <QFileInfo>
#include <algorithm>
#include <functional>

namespace {

class TConfigurationKvrPrinter : public IKvrPrinter {
public:
    // `configuration` answers null while there is no printer.
    explicit TConfigurationKvrPrinter(std::function<IPrinterConfigurationPtr()> configuration)
        : configuration_(std::move(configuration)) {}

    bool DriverExtensionOpen() const override {
        const auto config = configuration_();
        return config && NewOXDI(*config)->IsOpen();
    }

    std::optional<MediaSetting> MediaSettingRecord() const override {
        const auto config = configuration_();
        TMediaSetting s;
        if (!config || !NewOXDI(*config)->GetMediaSetting(s)) return std::nullopt;
        return MediaSetting{s.Mode, s.Adjust};
    }

    std::vector<int> ColourModes() const override {
        const auto config = configuration_();
        if (!config) return {};
        const QList<int> modes = NewOXDI(*config)->ColorModeList();
        return {modes.begin(), modes.end()};
    }

    QString ColourProfile() const override {
        const auto config = configuration_();
        if (!config) return {};
        const auto info = platform::systemSpooler().printer(config->DeviceName());
        // A profile that cannot be read leaves the output in sRGB rather than failing a job.
        if (!info || info->colourProfile.isEmpty()) return {};
        const QFileInfo file(info->colourProfile);
        return file.isFile() && file.isReadable() ? file.absoluteFilePath() : QString();
    }

    QByteArray SaveWorkingDeviceMode() const override {
        const auto config = configuration_();
        return config ? config->DeviceMode()->GetDevModeA() : QByteArray();
    }

    void SetColourMode(int mode) override {
        const auto config = configuration_();
        if (!config) throw Exception(msg::colourModeRefused(mode));
        const IOXDIPtr ext = NewOXDI(*config);
        if (!ext->SetColorMode(mode)) throw Exception(msg::colourModeRefused(mode));
        ext->Commit();
        config->ApplyToPrinter();
    }

    void RestoreDeviceMode(const QByteArray& saved) override {
        const auto config = configuration_();
        if (!config || saved.isEmpty()) return;
        config->DeviceMode()->SetDevMode(saved);
        config->MergeDeviceMode();
        config->ApplyToPrinter();
    }

private:
    std::function<IPrinterConfigurationPtr()> configuration_;
};

}  // namespace

bool PrinterOffersKvr(const IKvrPrinter& printer) {
    if (!printer.DriverExtensionOpen()) return false;
    const auto media = printer.MediaSettingRecord();
    if (!media || media->mode != 1 || media->fourth != 2) return false;
    const auto modes = printer.ColourModes();
    return std::find(modes.begin(), modes.end(), 6) != modes.end();
}

const std::shared_ptr<IKvrPrinter>& FrameworkKvrPrinter() {
    static const std::shared_ptr<IKvrPrinter> printer =
        std::make_shared<TConfigurationKvrPrinter>([]() -> IPrinterConfigurationPtr {
            if (Printer().PrinterIndex() < 0) return nullptr;
            return CurrentPrinterConfiguration();
        });
    return printer;
}

std::shared_ptr<IKvrPrinter> NewKvrPrinter(IPrinterConfigurationPtr configuration) {
    return std::make_shared<TConfigurationKvrPrinter>(
        [configuration = std::move(configuration)] { return configuration; });
}
