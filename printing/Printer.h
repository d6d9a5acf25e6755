#pragma once
// The framework's printer: the process-wide printer used for printing, with the printer
// list, the current printer and its device mode, and the state of the job being printed.

#include <QByteArray>
#include <QRect>
#include <QStringList>
#include <memory>

class TPrinterCanvas;
namespace platform {
class PrintOutput;
}

class TPrinter {
public:
    TPrinter();  // reads the printer list of the spooler; no printer chosen yet
    ~TPrinter();

    const QStringList& Printers() const { return printers_; }
    int PrinterIndex() const { return index_; }
    // Hands a printer to the object; an empty device mode means the driver's default.
    // An unknown device leaves no printer chosen.
    void SetPrinter(const QString& device, const QString& driver, const QString& port,
                    const QByteArray& devMode);
    void GetPrinter(QString* device, QString* driver, QString* port, QByteArray* devMode) const;

    // Geometry of the chosen paper in device pixels: the physical page and the printable
    // rectangle, at the device mode's resolution.
    int Resolution() const;
    QSize PhysicalPage() const;
    QRect PrintableRect() const;
    int Orientation() const;  // 1 portrait, 2 landscape
    void SetOrientation(int orientation);
    // Chooses the printer's size for a paper of `portrait` (0.1 mm, width below height):
    // the first of the printer's sizes within 2 mm of it; false (nothing changed) when
    // the printer has none.
    bool SelectPaperSize(QSize portrait);
    // The page of the printer's canvas: the physical page at CanvasResolution().
    QSize PageSize() const;

    // The job being printed. BeginDoc starts a job on the chosen printer with the device
    // mode's options (PDF for the PDF printer and PPD queues, PWG raster for driverless
    // ones) and opens its first page; each page goes to the spooler when the next begins.
    bool Printing() const { return printing_; }
    bool Aborted() const { return aborted_; }
    // The spooler's id of the job, known once the job is created; the PDF printer has
    // no queue and reports 0.
    int JobId() const { return jobId_; }
    void BeginDoc(const QString& title);
    void NewPage();
    // Hands the job over completely.
    void EndDoc();
    // Cancels the job: what was sent is dropped, Printing() turns false.
    void Abort();
    int PageNumber() const { return pageNumber_; }
    // The page's canvas while printing.
    TPrinterCanvas& Canvas();
    // The canvas resolution of the job (the printer's, capped, see TPrinterCanvas).
    int CanvasResolution() const;
    // Where the PDF printer writes its next job (empty: its default place).
    void SetOutputFile(const QString& path) { outputFile_ = path; }

private:
    QStringList printers_;
    int index_ = -1;
    QString device_, driver_, port_;
    QByteArray devMode_;
    bool printing_ = false;
    bool aborted_ = false;
    int jobId_ = 0;
    int pageNumber_ = 0;
    QString title_, outputFile_;
    std::unique_ptr<platform::PrintOutput> output_;
    std::unique_ptr<TPrinterCanvas> canvas_;
    std::unique_ptr<TPrinterCanvas> abandoned_;  // the page an abort left behind
};

// The current framework printer, and its replacement by a fresh one (the printer list read
// again).
TPrinter& Printer();
void ReplacePrinter(std::unique_ptr<TPrinter> printer);
