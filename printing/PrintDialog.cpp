#include "printing/PrintDialog.h"

#include "album/LabelData.h"
#include "app/frame/AppFrame.h"
#include "app/frame/Messages.h"
#include "paper/PaperInfo.h"
#include "platform/Exception.h"
#include "platform/IntMath.h"
#include "printing/Messages.h"
#include "printing/PrintProgressWindow.h"
#include "printing/PrintSite.h"
#include "printing/Printer.h"
#include "printing/PrinterConfiguration.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTransform>
#include <QVBoxLayout>
#include <cmath>

namespace {

QDoubleSpinBox* offsetEdit(QWidget* parent, int tenths) {
    auto* edit = new QDoubleSpinBox(parent);
    edit->setDecimals(1);
    edit->setRange(-99.9, 99.9);
    edit->setSingleStep(0.1);
    edit->setSuffix(QStringLiteral(" mm"));
    edit->setValue(tenths / 10.0);
    return edit;
}

QSize portrait(QSize s) {
    return {std::min(s.width(), s.height()), std::max(s.width(), s.height())};
}

}  // namespace

TPrintDialog::TPrintDialog(QWidget* parent, TLabelData& data, TPrintDialogState& remembered,
                           std::function<QImage(int)> preview)
    : QDialog(parent),
      data_(data),
      remembered_(remembered),
      logic_(data.SheetCount(), data.FrontCover, data.BackCover),
      preview_(std::move(preview)) {
    setWindowTitle(msg::printDialogTitle());
    TPrintDialogState s = remembered_;
    logic_.Clamp(s);

    auto* pages = new QGroupBox(msg::pageSelectionGroup(), this);
    auto* pageGrid = new QGridLayout(pages);
    all_ = new QRadioButton(msg::allPagesChoice(), pages);
    range_ = new QRadioButton(msg::pageRangeChoice(), pages);
    covers_ = new QRadioButton(msg::coversChoice(), pages);
    auto* choices = new QButtonGroup(this);
    for (QRadioButton* b : {all_, range_, covers_}) choices->addButton(b);
    const int lastPage = std::max(logic_.PageCount(), 1);
    first_ = new QSpinBox(pages);
    last_ = new QSpinBox(pages);
    for (QSpinBox* e : {first_, last_}) e->setRange(1, lastPage);
    first_->setValue(s.FirstPage);
    last_->setValue(s.LastPage);
    coverList_ = new QComboBox(pages);
    coverList_->addItems(logic_.CoverItems());
    coverList_->setCurrentIndex(std::clamp(s.CoverItem, 0, std::max(coverList_->count() - 1, 0)));
    covers_->setEnabled(logic_.CoversEnabled());
    pageGrid->addWidget(all_, 0, 0, 1, 2);
    pageGrid->addWidget(range_, 1, 0, 1, 2);
    pageGrid->addWidget(new QLabel(msg::firstPageCaption(), pages), 2, 0);
    pageGrid->addWidget(first_, 2, 1);
    pageGrid->addWidget(new QLabel(msg::lastPageCaption(), pages), 3, 0);
    pageGrid->addWidget(last_, 3, 1);
    pageGrid->addWidget(covers_, 4, 0, 1, 2);
    pageGrid->addWidget(coverList_, 5, 0, 1, 2);
    if (s.Choice == TPageChoice::Covers && !logic_.CoversEnabled()) s.Choice = TPageChoice::AllPages;
    (s.Choice == TPageChoice::Range    ? range_
     : s.Choice == TPageChoice::Covers ? covers_
                                       : all_)
        ->setChecked(true);

    sheets_ = new QListWidget(this);
    previewLabel_ = new QLabel(this);
    previewLabel_->setMinimumSize(180, 180);
    previewLabel_->setAlignment(Qt::AlignCenter);

    auto* offset = new QGroupBox(msg::printOffsetGroup(), this);
    auto* offsetForm = new QFormLayout(offset);
    top_ = offsetEdit(offset, s.Offset.y());
    left_ = offsetEdit(offset, s.Offset.x());
    offsetForm->addRow(msg::fromTopCaption(), top_);
    offsetForm->addRow(msg::fromLeftCaption(), left_);

    auto* printerForm = new QFormLayout;
    printer_ = new QComboBox(this);
    printer_->addItems(Printer().Printers());
    printer_->setCurrentIndex(Printer().PrinterIndex());
    copies_ = new QSpinBox(this);
    copies_->setRange(1, 99);
    setup_ = new QPushButton(msg::printerSetupCaption(), this);
    auto* printerRow = new QHBoxLayout;
    printerRow->addWidget(printer_, 1);
    printerRow->addWidget(setup_);
    printerForm->addRow(msg::printerCaption(), printerRow);
    printerForm->addRow(msg::copiesCaption(), copies_);

    start_ = new QPushButton(msg::startPrintCaption(), this);
    cancel_ = new QPushButton(msg::cancelCaption(), this);
    start_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);

    auto* left = new QVBoxLayout;
    left->addWidget(pages);
    left->addWidget(offset);
    auto* right = new QVBoxLayout;
    right->addWidget(sheets_, 1);
    right->addWidget(previewLabel_);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(printerForm);
    layout->addLayout(buttons);

    for (QRadioButton* b : {all_, range_, covers_})
        connect(b, &QRadioButton::toggled, this, [this] { refresh(); });
    for (QSpinBox* e : {first_, last_})
        connect(e, &QSpinBox::valueChanged, this, [this] { refresh(); });
    connect(coverList_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(sheets_, &QListWidget::currentRowChanged, this, [this] { showPreview(); });
    connect(printer_, &QComboBox::currentIndexChanged, this, [this] { choosePrinter(); });
    connect(setup_, &QPushButton::clicked, this, [this] {
        try {
            if (auto config = CurrentPrinterConfiguration()) config->ShowProperties(this);
        } catch (const Exception& e) {
            AppMessageBox(e.message(), {mbOK});
        }
        printer_->setCurrentIndex(Printer().PrinterIndex());
        showPreview();
    });
    connect(start_, &QPushButton::clicked, this, [this] { start(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    refresh();
}

TPrintDialogState TPrintDialog::State() const {
    TPrintDialogState s;
    s.Choice = range_->isChecked()    ? TPageChoice::Range
               : covers_->isChecked() ? TPageChoice::Covers
                                      : TPageChoice::AllPages;
    s.FirstPage = first_->value();
    s.LastPage = last_->value();
    s.CoverItem = coverList_->currentIndex();
    s.Offset = {int(std::lround(left_->value() * 10)), int(std::lround(top_->value() * 10))};
    return s;
}

void TPrintDialog::refresh() {
    const TPrintDialogState s = State();
    first_->setEnabled(s.Choice == TPageChoice::Range);
    last_->setEnabled(s.Choice == TPageChoice::Range);
    coverList_->setEnabled(s.Choice == TPageChoice::Covers);
    TPrintSpec spec;
    logic_.Apply(s, spec);
    sheets_->clear();
    for (int i = 0; i < data_.SheetCount(); ++i) {
        if (!spec.SheetFlag(i)) continue;
        const QString name = i == 0   ? msg::frontCoverName()
                             : i == 1 ? msg::backCoverName()
                                      : msg::pageName(i - 1);
        auto* item = new QListWidgetItem(name, sheets_);
        item->setData(Qt::UserRole, i);
    }
    if (sheets_->count() > 0) sheets_->setCurrentRow(0);
    start_->setEnabled(logic_.CanStart(s));
    showPreview();
}

void TPrintDialog::showPreview() {
    QListWidgetItem* item = sheets_->currentItem();
    if (!item || !preview_) {
        previewLabel_->clear();
        return;
    }
    QImage image = preview_(item->data(Qt::UserRole).toInt());
    // Turned when the paper lies otherwise than the printer's page.
    const TPaperInfo& paper = data_.SheetPaper();
    const QSize page = Printer().PhysicalPage();
    if (!image.isNull() && page.isValid() &&
        (paper.Height() < paper.Width()) != (page.height() < page.width()))
        image = image.transformed(QTransform().rotate(90));
    previewLabel_->setPixmap(
        QPixmap::fromImage(image.scaled(previewLabel_->minimumSize(), Qt::KeepAspectRatio,
                                        Qt::SmoothTransformation)));
}

void TPrintDialog::choosePrinter() {
    const QString name = printer_->currentText();
    QString current;
    Printer().GetPrinter(&current, nullptr, nullptr, nullptr);
    if (!name.isEmpty() && name != current) Printer().SetPrinter(name, {}, {}, {});
    showPreview();
}

void TPrintDialog::start() {
    TPrintDialogState s = State();
    logic_.Clamp(s);
    remembered_ = s;
    TPrintSpec spec;
    logic_.Apply(s, spec);
    spec.Copies = copies_->value();
    const TPaperInfo& paper = data_.SheetPaper();
    const QSize paperSize(paper.Width(), paper.Height());
    // The printer's size for this paper, as the print run will choose it; the page turns
    // to the paper's orientation when printed, so sizes compare upright.
    Printer().SelectPaperSize(portrait(paperSize));
    const QSize page = Printer().PhysicalPage();
    const int dpi = Printer().Resolution();
    if (page.isValid() && dpi > 0) {
        const QSize tenths(platform::mulDiv(page.width(), 254, dpi),
                           platform::mulDiv(page.height(), 254, dpi));
        if (PaperSizeDiffers(portrait(tenths), portrait(paperSize)) &&
            AppMessageBox(msg::paperSizeDiffersQuestion(), {mbYes, mbNo}, 0, 1) != mbYes)
            return;
    }
    if (spec.SelectedSheetCount() == 0) {
        Inform(msg::noPagesToPrint());
        return;
    }
    if (IsAlbumSheetPaper(paper)) Inform(msg::albumSheetPaperNotice());
    spec_ = spec;
    const bool printed = RunPrint ? RunPrint(spec_) : RunPrintCommand(this, data_, spec_);
    if (printed) accept();
}
