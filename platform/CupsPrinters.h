#pragma once
// The printers the print server (CUPS) offers, as far as start-up needs them.

#include <QString>
#include <QStringList>

namespace platform {

struct CupsPrinterList {
    QString defaultPrinter;  // empty when the server names no default
    QStringList printers;    // every destination, in the server's order
};

// Asks CUPS for its destinations. A machine without a reachable server gives an empty list.
CupsPrinterList queryCupsPrinters();

}  // namespace platform
