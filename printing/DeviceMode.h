#pragma once
// A device-mode block held in its ANSI or wide layout, converted on demand. Device modes
// are shared (std::shared_ptr) and freed by their last holder.

#include "platform/spooler/DevMode.h"

#include <QByteArray>
#include <memory>

class IDeviceMode {
public:
    virtual ~IDeviceMode() = default;
    // The block in the ANSI / wide layout, converting the held one when needed.
    virtual QByteArray& GetDevModeA() = 0;
    virtual QByteArray& GetDevModeW() = 0;
    // Copies a whole block (a dmSize of 0 counts as 156); none gives a fresh empty block.
    virtual void SetFromHandle(const QByteArray* handle) = 0;
    // Copies dmSize + dmDriverExtra bytes of an ANSI block.
    virtual void SetDevMode(QByteArrayView ansi) = 0;
    virtual void AssignFrom(IDeviceMode& other) = 0;
    // A copy of the ANSI block, dmSize + dmDriverExtra bytes, owned by the caller.
    virtual QByteArray GetHandleCopy() = 0;

    // Typed access to the ANSI block's fields (offsets of platform::devmode).
    int Short(int offset) { return platform::devmode::i16(GetDevModeA(), offset); }
    void SetShort(int offset, int value) {
        platform::devmode::setI16(GetDevModeA(), offset, value);
    }
    uint32_t Long(int offset) { return platform::devmode::u32(GetDevModeA(), offset); }
    void SetLong(int offset, uint32_t value) {
        platform::devmode::setU32(GetDevModeA(), offset, value);
    }
};
using IDeviceModePtr = std::shared_ptr<IDeviceMode>;

class TmDeviceMode : public IDeviceMode {
public:
    TmDeviceMode();
    QByteArray& GetDevModeA() override;
    QByteArray& GetDevModeW() override;
    void SetFromHandle(const QByteArray* handle) override;
    void SetDevMode(QByteArrayView ansi) override;
    void AssignFrom(IDeviceMode& other) override;
    QByteArray GetHandleCopy() override;

    bool IsWide() const { return wide_; }
    // Takes a wide block (checked as SetDevMode checks an ANSI one).
    void SetDevModeW(QByteArrayView wide);

private:
    QByteArray block_;
    bool wide_ = false;
};

IDeviceModePtr NewDeviceMode();
