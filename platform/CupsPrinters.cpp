#include "platform/CupsPrinters.h"

#include <cups/cups.h>

namespace platform {

CupsPrinterList queryCupsPrinters() {
    CupsPrinterList out;
    cups_dest_t* dests = nullptr;
    const int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < n; ++i) {
        if (dests[i].instance) continue;  // instances are option sets of the same printer
        const QString name = QString::fromUtf8(dests[i].name);
        out.printers << name;
        if (dests[i].is_default) out.defaultPrinter = name;
    }
    cupsFreeDests(n, dests);
    return out;
}

}  // namespace platform
