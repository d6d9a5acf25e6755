#pragma once
// The framework's printer: the process-wide printer used for printing, with the printer
// list, the current printer and its device mode, and the state of the job being printed.

#include <QByteArray>
#include <QRect>
#include <QStringList>
#include <memory>

class TPrinter {
public:
    TPrinter();  // reads the printer list of the spooler; no printer chosen yet

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

    // The job being printed.
    bool Printing() const { return printing_; }
    int JobId() const { return jobId_; }
    void BeginDoc(const QString& title);
    void EndDoc(int jobId);
    void Abort();

private:
    QStringList printers_;
    int index_ = -1;
    QString device_, driver_, port_;
    QByteArray devMode_;
    bool printing_ = false;
    int jobId_ = 0;
    QString title_;
};

// The current framework printer, and its replacement by a fresh one (the printer list read
// again).
TPrinter& Printer();
void ReplacePrinter(std::unique_ptr<TPrinter> printer);
