// Fuzz target for device-mode blocks from outside: the first byte picks the layout (ANSI
// or wide), the rest is the block. It is checked, converted both ways, its driver record
// decoded, and merged by a driver; any step may raise but must never crash or read
// outside the block.
#include "platform/Exception.h"
#include "platform/spooler/PrinterDriver.h"
#include "printing/DeviceMode.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    try {
        TmDeviceMode mode;
        if (data[0] & 1)
            mode.SetDevModeW(bytes);
        else
            mode.SetFromHandle(&bytes);
        const QByteArray ansi = mode.GetDevModeA();
        mode.GetDevModeW();
        // Everything but the names (which need not survive the code page) comes back.
        const QByteArray back = mode.GetDevModeA();
        if (back.mid(32, 38) != ansi.mid(32, 38) || back.mid(102) != ansi.mid(102))
            __builtin_trap();
        platform::SpoolerCapabilities caps;
        caps.media = {
            {QStringLiteral("iso_a4_210x297mm"), QStringLiteral("A4"), 21000, 29700, 0, 0, 0, 0}};
        caps.customSizes = true, caps.customMin = QSize(1000, 1000),
        caps.customMax = QSize(30000, 30000);
        const platform::PrinterDriver driver(QStringLiteral("fuzz"), caps);
        driver.jobOptions(driver.merge(ansi));
    } catch (const Exception&) {
    }
    return 0;
}
