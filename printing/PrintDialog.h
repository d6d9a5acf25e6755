#pragma once
// The print dialog "印刷": page choice, preview list of the chosen sheets, print offset,
// printer and copies. The decisions are TPrintDialogLogic's; "印刷開始" asks the size and
// paper questions and runs the print command once for every chosen sheet.

#include "printing/PrintDialogLogic.h"

#include <QDialog>
#include <QImage>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TLabelData;

class TPrintDialog : public QDialog {
public:
    // `remembered` keeps the choices between dialogs (its owner lives as long as the
    // program); `preview` answers a sheet's preview for the list (may be empty).
    TPrintDialog(QWidget* parent, TLabelData& data, TPrintDialogState& remembered,
                 std::function<QImage(int sheet)> preview = {});

    // Runs the print; true when it printed. The print command by default.
    std::function<bool(TPrintSpec& spec)> RunPrint;
    // The run settings "印刷開始" last handed to RunPrint.
    const TPrintSpec& Spec() const { return spec_; }

    // The widgets, for the window's owner and for tests.
    QRadioButton* AllPagesButton() const { return all_; }
    QRadioButton* RangeButton() const { return range_; }
    QRadioButton* CoversButton() const { return covers_; }
    QSpinBox* FirstPageEdit() const { return first_; }
    QSpinBox* LastPageEdit() const { return last_; }
    QComboBox* CoverList() const { return coverList_; }
    QListWidget* SheetList() const { return sheets_; }
    QDoubleSpinBox* FromTopEdit() const { return top_; }
    QDoubleSpinBox* FromLeftEdit() const { return left_; }
    QComboBox* PrinterList() const { return printer_; }
    QSpinBox* CopiesEdit() const { return copies_; }
    QPushButton* StartButton() const { return start_; }

    // The dialog's state as the controls show it.
    TPrintDialogState State() const;

private:
    void refresh();
    void showPreview();
    void choosePrinter();
    void start();

    TLabelData& data_;
    TPrintDialogState& remembered_;
    TPrintDialogLogic logic_;
    std::function<QImage(int)> preview_;
    TPrintSpec spec_;
    QRadioButton *all_, *range_, *covers_;
    QSpinBox *first_, *last_, *copies_;
    QComboBox *coverList_, *printer_;
    QListWidget* sheets_;
    QLabel* previewLabel_;
    QDoubleSpinBox *top_, *left_;
    QPushButton *setup_, *start_, *cancel_;
};
