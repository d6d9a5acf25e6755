#include "printing/DeviceMode.h"

#include "platform/ByteCursor.h"
#include "platform/Messages.h"

namespace dm = platform::devmode;

TmDeviceMode::TmDeviceMode() : block_(dm::emptyAnsi()) {}

QByteArray& TmDeviceMode::GetDevModeA() {
    if (wide_) block_ = dm::wideToAnsi(block_), wide_ = false;
    return block_;
}

QByteArray& TmDeviceMode::GetDevModeW() {
    if (!wide_) block_ = dm::ansiToWide(block_), wide_ = true;
    return block_;
}

void TmDeviceMode::SetFromHandle(const QByteArray* handle) {
    wide_ = false;
    if (!handle) {
        block_ = dm::emptyAnsi();
        return;
    }
    QByteArray copy = *handle;
    const platform::ByteCursor c(copy, msg::devModeInvalid());
    if (c.u16leAt(dm::Size) == 0) dm::setU16(copy, dm::Size, dm::kAnsiSize);
    block_ = dm::checkedAnsi(copy);
}

void TmDeviceMode::SetDevMode(QByteArrayView ansi) {
    block_ = dm::checkedAnsi(ansi);
    wide_ = false;
}

void TmDeviceMode::SetDevModeW(QByteArrayView wide) {
    block_ = dm::checkedWide(wide);
    wide_ = true;
}

void TmDeviceMode::AssignFrom(IDeviceMode& other) {
    SetDevMode(other.GetDevModeA());
}

QByteArray TmDeviceMode::GetHandleCopy() {
    return GetDevModeA();
}

IDeviceModePtr NewDeviceMode() {
    return std::make_shared<TmDeviceMode>();
}
