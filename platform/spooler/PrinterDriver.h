#pragma once
// Our printer driver over the spooler: what a Windows driver's DocumentProperties and
// DeviceCapabilities answer, for any printer the spooler knows. It numbers the printer's
// sizes as forms, its sources as bins (with borderless twins), its media types by the
// program's media IDs, validates and completes device modes, and turns a device mode into
// job options, which it keeps in the block's driver-private area.

#include "platform/spooler/Spooler.h"

#include <QByteArray>
#include <QSize>
#include <vector>

namespace platform {

struct DriverForm {
    int id = 0;
    QString name;
    QSize size;     // 0.1 mm
    QString media;  // PWG media name; empty for the user-defined size
};

struct DriverBin {
    int id = 0;
    QString name;
    QString source;  // media-source keyword; empty: the printer's own choice
    bool borderless = false;
};

// The album paper every printer offers, and the borderless source pairs (normal,
// borderless) of the bins.
constexpr int kAlbumMediaType = 337;
constexpr int kBorderlessPairs[][2] = {{4, 270}, {7, 259}, {256, 257}, {267, 268}, {271, 272}};

class PrinterDriver {
public:
    PrinterDriver(QString printer, SpoolerCapabilities caps,
                  const std::vector<DriverForm>& userForms = {});
    // Raises msg::invalidPrinterName() when the spooler has no such printer.
    static PrinterDriver open(Spooler& spooler, const QString& printer,
                              const std::vector<DriverForm>& userForms = {});

    const QString& printer() const { return printer_; }
    const SpoolerCapabilities& capabilities() const { return caps_; }
    const std::vector<DriverForm>& forms() const { return forms_; }
    const std::vector<DriverBin>& bins() const { return bins_; }
    // The media type IDs offered, the album paper among them.
    QList<int> mediaTypes() const;
    // The media-type keyword of an ID; empty when the ID sends none.
    QString mediaTypeKeyword(int id) const;
    // The number of print quality levels (at least 1).
    int qualityLevels() const;
    // Whether the printer has a borderless variant of `media` (any, for custom sizes).
    bool hasBorderless(const QString& media) const;
    QSize minExtent() const;  // 0.1 mm
    QSize maxExtent() const;

    QByteArray defaultDevMode() const;
    // Validates the fields of an ANSI block (raises msg::devModeInvalid() for a damaged
    // one) and answers the completed block, job options in its driver-private area.
    QByteArray merge(const QByteArray& ansi) const;
    // The job options of a block: those kept in it, else made from its fields.
    SpoolerOptions jobOptions(const QByteArray& ansi) const;

private:
    SpoolerOptions optionsOf(const QByteArray& ansi) const;
    const DriverForm* form(int id) const;
    const DriverBin* bin(int id) const;
    const SpoolerMedia* mediaOf(const QString& name, bool borderless) const;

    QString printer_;
    SpoolerCapabilities caps_;
    std::vector<DriverForm> forms_;
    std::vector<DriverBin> bins_;
    std::vector<std::pair<int, QString>> types_;
};

}  // namespace platform
