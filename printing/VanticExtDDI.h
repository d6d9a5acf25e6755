#pragma once
// The other vendor's driver function "VJDeviceMode", an optional plug-in per queue: the
// module "$(ExeDir)Drivers/<queue>.vj.so". It reads and writes numbered categories straight
// in the configuration's working device mode (wide form). One object per use.

#include "printing/PrinterConfiguration.h"

#include <QList>
#include <QRect>

// Linux counts as the NT family: the function is called directly, with the wide form.
using VJDeviceMode_t = int32_t (*)(const void* printer, const char16_t* device,
                                   const char16_t* port, int32_t op, int32_t category,
                                   uint8_t* devMode, void* buffer);

class IVanticExtDDI {
public:
    virtual ~IVanticExtDDI() = default;
    virtual IPrinterConfiguration& Configuration() = 0;
    virtual int Call(int op, int category, void* buffer) = 0;
    virtual int GetKind(int category) = 0;
    virtual int GetCount(int category) = 0;
    virtual QString GetNames(int category) = 0;
    virtual QList<int32_t> GetValueList(int category) = 0;
    virtual QList<int32_t> GetQualityValueList() = 0;
    virtual QString GetQualityNames() = 0;
    virtual int GetQualityDetail() = 0;
    virtual QRect GetPrintableArea() = 0;
    virtual int GetValue(int category) = 0;
    virtual void SetValue(int category, int value, bool check, bool* accepted) = 0;
    virtual int IndexOfCurrentValue(int category) = 0;
    virtual void SetValueByIndex(int category, int index, bool* accepted) = 0;
    virtual bool IsAvailable() const = 0;
    virtual void ResetToDefaults() = 0;
};
using IVanticExtDDIPtr = std::unique_ptr<IVanticExtDDI>;

IVanticExtDDIPtr NewVanticExtDDI(IPrinterConfiguration& configuration);
// The module of a queue; tests put their own in its place (empty: the program's again).
QString VanticModulePath(const QString& queue);
void SetVanticModulePath(const QString& path);
