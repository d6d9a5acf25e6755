// The printer's property dialog: paper, orientation, source, media type, quality and
// colour of the configuration's working device mode, validated by the driver on OK.
#include "app/frame/MessageButtons.h"
#include "platform/Messages.h"
#include "printing/Messages.h"
#include "printing/PrinterConfiguration.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

namespace dm = platform::devmode;

namespace {

QComboBox* combo(QWidget* parent, const QList<std::pair<QString, int>>& items, int current) {
    auto* box = new QComboBox(parent);
    for (const auto& [text, value] : items) box->addItem(text, value);
    box->setCurrentIndex(std::max(0, box->findData(current)));
    return box;
}

}  // namespace

bool TPrinterConfiguration::ShowProperties(QWidget* owner) {
    IDeviceMode& mode = *working_;
    const platform::PrinterDriver& driver = *driver_;
    QDialog dialog(owner);
    dialog.setWindowTitle(msg::printerPropertiesTitle(device_));
    auto* form = new QFormLayout(&dialog);

    QList<std::pair<QString, int>> papers, sources, types, qualities;
    for (const auto& f : driver.forms()) papers.append({f.name, f.id});
    for (const auto& b : driver.bins()) sources.append({b.name, b.id});
    for (int id : driver.mediaTypes()) {
        const QString name = msg::mediaTypeName(id);
        types.append({name.isEmpty() ? driver.mediaTypeKeyword(id) : name, id});
    }
    // The spooler's levels (3 draft, 4 normal, 5 high) under the driver's quality names.
    for (int q : driver.capabilities().qualities)
        qualities.append({msg::qualityName(q <= 3   ? 3
                                           : q == 4 ? 2
                                                    : 1),
                          q <= 3   ? -1
                          : q == 4 ? -3
                                   : -4});
    if (qualities.isEmpty()) qualities.append({QStringLiteral("-"), mode.Short(dm::PrintQuality)});

    QComboBox* paper = combo(&dialog, papers, mode.Short(dm::PaperSize));
    QComboBox* orientation =
        combo(&dialog, {{msg::portraitCaption(), 1}, {msg::landscapeCaption(), 2}},
              mode.Short(dm::Orientation));
    QComboBox* source = combo(&dialog, sources, mode.Short(dm::DefaultSource));
    QComboBox* type = combo(&dialog, types, int(mode.Long(dm::MediaType)));
    QComboBox* quality = combo(&dialog, qualities, mode.Short(dm::PrintQuality));
    QComboBox* colour = combo(&dialog, {{msg::colourValue(), 2}, {msg::monochromeValue(), 1}},
                              mode.Short(dm::Color));
    form->addRow(msg::paperCaption(), paper);
    form->addRow(msg::orientationCaption(), orientation);
    form->addRow(msg::paperSourceCaption(), source);
    form->addRow(msg::mediaTypeCaption(), type);
    form->addRow(msg::printQualityCaption(), quality);
    form->addRow(msg::colourCaption(), colour);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(buttonCaption(mbOK));
    buttons->button(QDialogButtonBox::Cancel)->setText(buttonCaption(mbCancel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;

    mode.SetShort(dm::PaperSize, paper->currentData().toInt());
    mode.SetShort(dm::Orientation, orientation->currentData().toInt());
    mode.SetShort(dm::DefaultSource, source->currentData().toInt());
    mode.SetLong(dm::MediaType, uint32_t(type->currentData().toInt()));
    mode.SetShort(dm::PrintQuality, quality->currentData().toInt());
    mode.SetShort(dm::Color, colour->currentData().toInt());
    mode.SetLong(dm::Fields, mode.Long(dm::Fields) | dm::DM_PAPERSIZE | dm::DM_ORIENTATION |
                                 dm::DM_DEFAULTSOURCE | dm::DM_MEDIATYPE | dm::DM_PRINTQUALITY |
                                 dm::DM_COLOR);
    MergeDeviceMode();
    return true;
}
