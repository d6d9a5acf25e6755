// The print dialog "印刷" and the print command's progress window, driven on the offscreen
// platform against the built-in PDF printer: the dialog's choices become the run, and
// closing the progress window aborts a run in progress.
#include "album/LabelData.h"
#include "app/frame/AppFrame.h"
#include "paper/MatrixPaperInfo.h"
#include "platform/spooler/Spooler.h"
#include "printing/Messages.h"
#include "printing/PrintDialog.h"
#include "printing/PrintProgressWindow.h"
#include "printing/Printer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

namespace {

// An album of four pages on a two-photo album paper, with both covers.
std::unique_ptr<TLabelData> album() {
    auto data = std::make_unique<TLabelData>();
    TMatrixPaperInfo paper;
    paper.SetPaperName(QStringLiteral("フォトアルバム用紙 A4 写真2枚"));
    paper.SetGroupName(QStringLiteral("フォトアルバム用紙"));
    paper.SetPortraitSize(2100, 2970);
    paper.FaceWidth = 1500;
    paper.FaceHeight = 1100;
    paper.FaceCountX = 1;
    paper.FaceCountY = 2;
    paper.LeftOffset = 400;
    paper.TopOffset = 250;
    for (int s = 0; s < 6; ++s) {
        if (s >= data->SheetCount()) data->AddSheet();
        data->SelectSheet(s);
        data->SetSheetPaper(paper);
    }
    data->FrontCover = data->BackCover = true;
    data->SelectSheet(2);
    data->LastPrint = 0;  // never printed
    return data;
}

int pdfPages(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    if (!p.waitForFinished(30000)) return -1;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    return -1;
}

struct PdfPrinterFixture {
    TempDir dir;
    TAppFrame frame;
    QStringList messages;
    PdfPrinterFixture() {
        frame.OnMessageBox = [this](const QString& text, const TMsgDlgButtons& b, int d, int) {
            messages << text;
            return b.at(size_t(d));
        };
        ReplacePrinter(std::make_unique<TPrinter>());
    }
    ~PdfPrinterFixture() { ReplacePrinter(nullptr); }
};

}  // namespace

TEST(PrintDialogWindow, ChoicesBecomeTheRunSettings) {
    PdfPrinterFixture fx;
    auto data = album();
    TPrintDialogState remembered;
    TPrintDialog dialog(nullptr, *data, remembered, [](int) {
        QImage i(40, 60, QImage::Format_RGB32);
        i.fill(Qt::gray);
        return i;
    });
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("印刷"));
    // Every page by default: four pages, named by page number.
    ASSERT_EQ(dialog.SheetList()->count(), 4);
    EXPECT_EQ(dialog.SheetList()->item(0)->text(), QStringLiteral("1ページ"));
    EXPECT_EQ(dialog.CoverList()->count(), 3);
    // Pages 2 to 3; a range that ends before it starts cannot print.
    dialog.RangeButton()->setChecked(true);
    dialog.FirstPageEdit()->setValue(3);
    dialog.LastPageEdit()->setValue(2);
    EXPECT_FALSE(dialog.StartButton()->isEnabled());
    dialog.FirstPageEdit()->setValue(2);
    dialog.LastPageEdit()->setValue(9);
    EXPECT_EQ(dialog.LastPageEdit()->value(), 4);  // limited to the last page
    dialog.LastPageEdit()->setValue(3);
    ASSERT_TRUE(dialog.StartButton()->isEnabled());
    ASSERT_EQ(dialog.SheetList()->count(), 2);
    EXPECT_EQ(dialog.SheetList()->item(1)->text(), QStringLiteral("3ページ"));
    dialog.FromTopEdit()->setValue(1.5);
    dialog.FromLeftEdit()->setValue(-2.0);
    dialog.CopiesEdit()->setValue(2);
    const int pdf = dialog.PrinterList()->findText(platform::pdfPrinterName());
    ASSERT_GE(pdf, 0);
    dialog.PrinterList()->setCurrentIndex(pdf);
    const QString out = fx.dir.file("album.pdf");
    Printer().SetOutputFile(out);

    dialog.StartButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const TPrintSpec& spec = dialog.Spec();
    EXPECT_EQ(spec.SheetFlags, QByteArray("\0\0\0\1\1", 5));
    EXPECT_EQ(spec.Copies, 2);
    EXPECT_EQ(spec.PrintOffset, QPoint(-20, 15));
    EXPECT_EQ(spec.Resolution, 360);  // album sheet paper, banded
    // The paper notice, and no size question: the printer has A4.
    EXPECT_EQ(fx.messages, QStringList{msg::albumSheetPaperNotice()});
    EXPECT_EQ(pdfPages(out), 4);  // two sheets, two copies each
    EXPECT_GT(data->LastPrint, 0);
    // The choices outlive the dialog.
    EXPECT_EQ(remembered.Choice, TPageChoice::Range);
    EXPECT_EQ(remembered.FirstPage, 2);
    EXPECT_EQ(remembered.Offset, QPoint(-20, 15));
    TPrintDialog again(nullptr, *data, remembered);
    EXPECT_TRUE(again.RangeButton()->isChecked());
    EXPECT_EQ(again.SheetList()->count(), 2);
}

TEST(PrintProgressWindow, ShowsProgressAndClosingAbortsTheRun) {
    PdfPrinterFixture fx;
    auto data = album();
    Printer().SetPrinter(platform::pdfPrinterName(), {}, {}, {});
    const QString out = fx.dir.file("aborted.pdf");
    Printer().SetOutputFile(out);
    TPrintSpec spec;
    spec.SelectSheets(QStringLiteral("2-5"), data->SheetCount());
    int shown = -1;
    bool closed = false;
    // Once the bar has moved: note it, then close the window.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = dynamic_cast<TPrintProgressWindow*>(w);
                window && window->isVisible() && window->Bar()->value() > 0 && !closed) {
                shown = window->Bar()->value();
                closed = window->close();
            }
    });
    closer.start(0);
    EXPECT_FALSE(RunPrintCommand(nullptr, *data, spec));
    EXPECT_TRUE(closed);
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 10000);
    EXPECT_TRUE(Printer().Aborted());
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(data->LastPrint, 0);  // nothing was handed over
    EXPECT_FALSE(QFile::exists(out));
    closer.stop();

    // Left alone, the same run prints every sheet and the bar moves on.
    int highest = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = dynamic_cast<TPrintProgressWindow*>(w))
                highest = std::max(highest, window->Bar()->value());
    });
    watch.start(0);
    EXPECT_TRUE(RunPrintCommand(nullptr, *data, spec));
    EXPECT_GT(highest, 0);
    EXPECT_EQ(pdfPages(out), 4);
    EXPECT_GT(data->LastPrint, 0);
}
