#include "printing/PrinterUtil.h"

#include "platform/Exception.h"
#include "platform/Messages.h"
#include "printing/OXDI.h"
#include "printing/Printer.h"

#include <QFile>

namespace {

platform::Spooler& spooler() {
    return platform::systemSpooler();
}

bool select(const QString& name) {
    Printer().SetPrinter(name, GetDriverName(name), GetPortName(name), {});
    return Printer().PrinterIndex() >= 0;
}

}  // namespace

bool EnsureUsablePrinter() {
    try {
        QString def;
        for (const auto& p : spooler().printers())
            if (p.isDefault && def.isEmpty()) def = p.name;
        const QStringList& list = Printer().Printers();
        if (!def.isEmpty() && list.contains(def) && CanOpenPrinter(def)) return select(def);
        for (const QString& name : list)
            if (CanOpenPrinter(name)) return select(name);
    } catch (const std::exception&) {
    }
    return false;
}

bool RevalidateCurrentPrinter() {
    QString device, driver, port;
    QByteArray mode;
    Printer().GetPrinter(&device, &driver, &port, &mode);
    ReplacePrinter(std::make_unique<TPrinter>());
    if (!device.isEmpty() && Printer().Printers().contains(device) && CanOpenPrinter(device)) {
        try {
            Printer().SetPrinter(device, driver, port, mode);
            return false;
        } catch (const std::exception&) {
        }
    }
    EnsureUsablePrinter();
    return true;
}

void ListUsablePrinters(QStringList& strings) {
    for (const auto& p : spooler().printers())
        if (CanOpenPrinter(p.name)) strings << p.name;
}

namespace {
platform::SpoolerPrinterInfo openPrinter(const QString& printer) {
    const auto info = spooler().printer(printer);
    if (!info) throw Exception(msg::invalidPrinterName());
    return *info;
}
}  // namespace

QString GetDriverName(const QString& printer) {
    return openPrinter(printer).driver;
}
QString GetPortName(const QString& printer) {
    return openPrinter(printer).port;
}

// The vendor's queues. The driver extension we ship serves every printer the spooler
// knows, CUPS queues and the PDF printer alike, so every openable printer counts as the
// vendor's; a driver named as the vendor's counts as well. This is the one place that
// decides it.
bool IsOrvexPrinter(const QString& printer) {
    try {
        const auto info = openPrinter(printer);
        return info.driver.toUpper().contains(u"ORVEX") || !info.name.isEmpty();
    } catch (const std::exception&) {
        return false;
    }
}

bool CanOpenPrinter(const QString& printer) {
    try {
        return spooler().printer(printer).has_value();
    } catch (const std::exception&) {
        return false;
    }
}

// Every printer goes through the spooler.
bool IsSpooledPrinter(const IPrinterConfiguration&) {
    return true;
}

int GetJobStatus(const IPrinterConfiguration& printer, int jobId) {
    for (const auto& j : spooler().jobs(printer.DeviceName(), false))
        if (j.id == jobId) switch (j.state) {
                case 3:
                    return 0;  // pending
                case 4:
                    return JOB_STATUS_PAUSED;  // held
                case 5:
                    return JOB_STATUS_PRINTING;
                case 6:
                    return JOB_STATUS_PAUSED | JOB_STATUS_ERROR;  // stopped
                case 7:
                    return JOB_STATUS_DELETED;  // canceled
                case 8:
                    return JOB_STATUS_ERROR;  // aborted
                default:
                    return JOB_STATUS_PRINTED;
            }
    return JOB_STATUS_DELETED;
}

int GetNewestJobID(const IPrinterConfiguration& printer) {
    int newest = 0;
    qint64 when = 0;
    for (const auto& j : spooler().jobs(printer.DeviceName(), true))
        // Submission times have a resolution of seconds: of two jobs sent within the
        // same second, the higher id is the newer.
        if (!newest || j.submitted > when || (j.submitted == when && j.id > newest))
            newest = j.id, when = j.submitted;
    return newest;
}

QRect GetPrintableRect(int u) {
    const TPrinter& p = Printer();
    const int dpi = p.Resolution();
    if (dpi <= 0) return {};
    const QRect r = p.PrintableRect();
    const auto cv = [&](int v) { return int((qint64(v) * u + dpi / 2) / dpi); };
    return QRect(QPoint(cv(r.left()), cv(r.top())),
                 QPoint(cv(r.right() + 1), cv(r.bottom() + 1)) - QPoint(1, 1));
}

QSize GetPhysicalPageSize(int u) {
    const TPrinter& p = Printer();
    const int dpi = p.Resolution();
    if (dpi <= 0) return {};
    const QSize s = p.PhysicalPage();
    return QSize(int((qint64(s.width()) * u + dpi / 2) / dpi),
                 int((qint64(s.height()) * u + dpi / 2) / dpi));
}

TPaperSizeRange GetPaperSizeRange(IPrinterConfiguration& configuration) {
    TPrinterConfiguration fresh(configuration.DeviceName(), configuration.PortName());
    {
        const IOXDIPtr ext = NewOXDI(fresh);
        if (ext->IsOpen()) {
            ext->Reopen();
            ext->Commit();
        }
    }
    TPaperSizeRange range;
    const QSize lo = fresh.PrinterHandle().minExtent(), hi = fresh.PrinterHandle().maxExtent();
    if (lo.isValid() && !lo.isEmpty()) range.minimum = lo;
    if (hi.isValid() && !hi.isEmpty()) range.maximum = hi;
    return range;
}

bool IsPaperPrintable(QSize size, bool photoAlbum, IPrinterConfiguration& configuration) {
    const int s = std::min(size.width(), size.height()), l = std::max(size.width(), size.height());
    const TPaperSizeRange r = GetPaperSizeRange(configuration);
    if (s < r.minimum.width() || s > r.maximum.width() || l < r.minimum.height() ||
        l > r.maximum.height())
        return false;
    if (!photoAlbum) return true;
    const IOXDIPtr ext = NewOXDI(configuration);
    return ext->IsOpen() && ext->MediaList().contains(platform::kAlbumMediaType);
}
