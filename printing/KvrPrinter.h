#pragma once
// What colour matching needs of the current printer: whether its vendor driver extension
// offers colour-matched printing, the colour profile of its output, and switching its
// driver into the colour-matching mode for one job. The framework printer installs its
// implementation whenever a printer is set; until one is installed, no printer supports
// colour matching and print corrections go to sRGB.

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class IKvrPrinter {
public:
    virtual ~IKvrPrinter() = default;

    // The printer's vendor driver extension is open.
    virtual bool DriverExtensionOpen() const = 0;
    // The media-setting record (the extension's data item 70): its Mode and its fourth
    // value; none when the extension cannot give it.
    struct MediaSetting {
        int mode = 0, fourth = 0;
    };
    virtual std::optional<MediaSetting> MediaSettingRecord() const = 0;
    // The colour modes the extension lists (data item 201).
    virtual std::vector<int> ColourModes() const = 0;
    // The ICC profile of the printer's output; empty when none is known.
    virtual QString ColourProfile() const = 0;

    // A copy of the working device mode of the printer's configuration.
    virtual QByteArray SaveWorkingDeviceMode() const = 0;
    // Sets the extension's colour mode (data item 201), commits it into the device mode
    // and applies the configuration to the printer.
    virtual void SetColourMode(int mode) = 0;
    // Copies `saved` back into the configuration, merges it and applies it.
    virtual void RestoreDeviceMode(const QByteArray& saved) = 0;
};

std::shared_ptr<IKvrPrinter> CurrentKvrPrinter();
void SetCurrentKvrPrinter(std::shared_ptr<IKvrPrinter> printer);

// Whether the printer can print colour-matched photos: its vendor driver extension is open,
// the media-setting record has Mode 1 and fourth value 2, and colour mode 6 is listed.
bool PrinterOffersKvr(const IKvrPrinter& printer);

// The implementations over printer configurations (FrameworkKvrPrinter.cpp): the framework
// printer's current printer, one object for the process that answers "no extension" while
// no printer is chosen; and a given configuration.
const std::shared_ptr<IKvrPrinter>& FrameworkKvrPrinter();
class IPrinterConfiguration;
std::shared_ptr<IKvrPrinter> NewKvrPrinter(std::shared_ptr<IPrinterConfiguration> configuration);
