#include "platform/CupsPrinters.h"

#include "platform/spooler/Spooler.h"

namespace platform {

CupsPrinterList queryCupsPrinters() {
    CupsPrinterList out;
    for (const SpoolerPrinterInfo& p : makeCupsSpooler()->printers()) {
        out.printers << p.name;
        if (p.isDefault) out.defaultPrinter = p.name;
    }
    return out;
}

}  // namespace platform
