// The printer's property dialog: paper, orientation, source, media type, quality and
// colour of the configuration's working device mode, validated by the driver on OK.
#include "platform/Messages.h"
#include "printing/PrinterConfiguration.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>

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
    dialog.setWindowTitle(device_);
    auto* form = new QFormLayout(&dialog);

    QList<std::pair<QString, int>> papers, sources, types, qualities;
    for (const auto& f : driver.forms()) papers.append({f.name, f.id});
    for (const auto& b : driver.bins()) sources.append({b.name, b.id});
    for (int id : driver.mediaTypes()) {
        const QString name = msg::mediaTypeName(id);
        types.append({name.isEmpty() ? driver.mediaTypeKeyword(id) : name, id});
    }
    for (int q : driver.capabilities().qualities)
        qualities.append({QString::number(q), q <= 3 ? -1 : q == 4 ? -3 : -4});
    if (qualities.isEmpty()) qualities.append({QStringLiteral("-"), mode.Short(dm::PrintQuality)});

    QComboBox* paper = combo(&dialog, papers, mode.Short(dm::PaperSize));
    QComboBox* orientation =
        combo(&dialog, {{QStringLiteral("Portrait"), 1}, {QStringLiteral("Landscape"), 2}},
              mode.Short(dm::Orientation));
    QComboBox* source = combo(&dialog, sources, mode.Short(dm::DefaultSource));
    QComboBox* type = combo(&dialog, types, int(mode.Long(dm::MediaType)));
    QComboBox* quality = combo(&dialog, qualities, mode.Short(dm::PrintQuality));
    QComboBox* colour =
        combo(&dialog, {{QStringLiteral("Color"), 2}, {QStringLiteral("Monochrome"), 1}},
              mode.Short(dm::Color));
    form->addRow(QStringLiteral("Paper"), paper);
    form->addRow(QStringLiteral("Orientation"), orientation);
    form->addRow(QStringLiteral("Source"), source);
    form->addRow(QStringLiteral("Media type"), type);
    form->addRow(QStringLiteral("Quality"), quality);
    form->addRow(QStringLiteral("Color"), colour);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
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
