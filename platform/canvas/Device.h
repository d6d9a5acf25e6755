#pragma once
// What a canvas draws on: its resolution and kind of device.

#include <QPoint>

namespace platform {

enum class DeviceTechnology { Display, RasterPrinter, Plotter };

struct DeviceDescriptor {
    int dpiX = 96;
    int dpiY = 96;
    DeviceTechnology technology = DeviceTechnology::Display;
    QPoint physicalOffset{0, 0};  // printable area's offset from the paper edge, in pixels

    bool isPrinter() const { return technology != DeviceTechnology::Display; }
};

}  // namespace platform
