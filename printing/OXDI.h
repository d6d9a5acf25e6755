#pragma once
// The vendor driver extension over a printer configuration: the library "OXSET32.so" from
// the program's Drivers folder, opened on the configuration's working device mode. Settings
// made through it reach the configuration on Commit. One object per use.

#include "printing/OxdmAbi.h"
#include "printing/PrinterConfiguration.h"

#include <QList>
#include <array>

namespace platform {
class DynamicLibrary;
}

struct TMediaSetting {
    int16_t Mode = 0, Quality = 0, Media = 0, Adjust = 0;
    bool operator==(const TMediaSetting&) const = default;
};
struct TUserPaperSize {
    int16_t Width = 0, Height = 0, ID = 0, Reserved = 0;
};
using TBorderlessRecord = std::array<int32_t, 12>;

class IOXDI {
public:
    virtual ~IOXDI() = default;
    virtual IPrinterConfiguration& Configuration() = 0;
    virtual int DriverClass() = 0;
    virtual QString MediaName(int id) = 0;
    virtual bool GetMediaSetting(TMediaSetting& out) = 0;
    virtual bool SetMediaSetting(const TMediaSetting& setting) = 0;
    virtual int GetPaperSource() = 0;
    virtual bool SetPaperSource(int source) = 0;
    virtual int GetColorMode() = 0;
    virtual bool SetColorMode(int mode) = 0;
    virtual TUserPaperSize GetUserPaperSize() = 0;
    virtual bool SetUserPaperSize(const TUserPaperSize& size) = 0;
    virtual uint32_t GetFlags205() = 0;
    virtual bool SetFlags205(uint32_t flags) = 0;
    virtual uint32_t GetFlags204() = 0;
    virtual bool SetFlags204(uint32_t flags) = 0;
    virtual TBorderlessRecord GetBorderlessRecord() = 0;
    virtual int GetRange(int item, OXDM_RANGE& range) = 0;
    virtual int GetData(int item, void* record) = 0;
    virtual int SetData(int item, const void* value) = 0;
    virtual int QualityLevelCount() = 0;
    virtual QList<int> MediaList() = 0;
    virtual QList<int> PaperSourceList() = 0;
    virtual QList<int> ColorModeList() = 0;
    virtual bool IsOpen() const = 0;
    virtual void Reopen() = 0;
    virtual bool BorderlessAvailable() = 0;
    virtual void SetBorderless(bool on) = 0;
    virtual bool BorderlessEnabled() = 0;
    virtual void Commit() = 0;
    virtual void Refresh() = 0;
    virtual int CommandLevel(int item) = 0;
};
using IOXDIPtr = std::unique_ptr<IOXDI>;

// A new extension for the configuration, opened at once (mode 2) when the library is
// there and the printer is the vendor's.
IOXDIPtr NewOXDI(IPrinterConfiguration& configuration);

// "$(ExeDir)Drivers/OXSET32.so", or the file tests put in its place.
QString OxsetLibraryPath();
void SetOxsetLibraryPath(const QString& path);  // empty: the program's own again

// The borderless twin of a paper source (none when the source has no pair).
int BorderlessSourceOf(int source, bool borderless);
