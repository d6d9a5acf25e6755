#pragma once
// Small routines on printers and their job queues.

#include "printing/PrinterConfiguration.h"

#include <QRect>
#include <QStringList>

// Makes the default printer (else the first usable one) the framework's printer.
bool EnsureUsablePrinter();
// Reads the printer list again; true when the current printer was lost and another chosen.
bool RevalidateCurrentPrinter();
void ListUsablePrinters(QStringList& strings);
QString GetDriverName(const QString& printer);  // raises for an unknown printer
QString GetPortName(const QString& printer);
// Whether the vendor's driver extension serves the printer (see the rule in the .cpp).
bool IsOrvexPrinter(const QString& printer);
bool CanOpenPrinter(const QString& printer);
bool IsSpooledPrinter(const IPrinterConfiguration& printer);
// JOB_INFO_1 status bits of a job; JOB_STATUS_DELETED (256) when it is not found.
int GetJobStatus(const IPrinterConfiguration& printer, int jobId);
int GetNewestJobID(const IPrinterConfiguration& printer);
QRect GetPrintableRect(int unitsPerInch);
QSize GetPhysicalPageSize(int unitsPerInch);

struct TPaperSizeRange {
    QSize minimum{1000, 1000};
    QSize maximum{2100, 2970};
};
TPaperSizeRange GetPaperSizeRange(IPrinterConfiguration& configuration);
// A paper of `size` (0.1 mm, either orientation); photo-album papers also need the
// album media type from the driver extension.
bool IsPaperPrintable(QSize size, bool photoAlbum, IPrinterConfiguration& configuration);

constexpr int JOB_STATUS_PAUSED = 0x1;
constexpr int JOB_STATUS_ERROR = 0x2;
constexpr int JOB_STATUS_DELETING = 0x4;
constexpr int JOB_STATUS_SPOOLING = 0x8;
constexpr int JOB_STATUS_PRINTING = 0x10;
constexpr int JOB_STATUS_PRINTED = 0x80;
constexpr int JOB_STATUS_DELETED = 0x100;
