#include "printing/OXDI.h"

#include "app/frame/AppFrame.h"
#include "platform/DynamicLibrary.h"
#include "platform/Messages.h"
#include "printing/PrinterUtil.h"

#include <QCoreApplication>
#include <optional>

namespace dm = platform::devmode;

namespace {

QString& overridePath() {
    static QString path;
    return path;
}

// Counts an extension reports are checked before they size anything.
constexpr int kMaxDriverInfo = 64;
constexpr uint32_t kMaxMediaName = 4096;
// The finest quality level probed: a driver's range beyond it is not walked.
constexpr int kMaxQualityLevels = 16;

struct Entry {
    OXDM_Open_t open;
    OXDM_GetDriverInfo_t driverInfo;
    OXDM_GetCommandLevel_t commandLevel;
    OXDM_GetRange_t range;
    OXDM_GetData_t getData;
    OXDM_SetData_t setData;
    OXDM_CreateDC_t createDC;
    OXDM_ResetDC_t resetDC;
    OXDM_DeleteDC_t deleteDC;
    OXDM_UpdateDevMode_t updateDevMode;
    OXDM_GetDevMode_t getDevMode;
    OXDM_Close_t close;
};

class TOXDI : public IOXDI {
public:
    explicit TOXDI(IPrinterConfiguration& configuration) : config_(configuration) {
        if (!IsOrvexPrinter(config_.DeviceName())) return;
        load();
        if (lib_) open(2);
    }
    ~TOXDI() override { close(); }

    IPrinterConfiguration& Configuration() override { return config_; }

    int DriverClass() override {
        if (!ctx_) return 4;
        const int n = e_.driverInfo(ctx_, nullptr, 0);
        if (n <= 0 || n > kMaxDriverInfo) return 4;
        std::vector<uint16_t> v(size_t(n), 0);
        if (e_.driverInfo(ctx_, v.data(), n) <= 0) return 4;
        switch (v[0]) {
            case 48:
                return 0;
            case 32:
                return 1;
            case 40:
                return 2;
            case 16:
                return 3;
            default:
                return 4;
        }
    }

    QString MediaName(int id) override {
        QString name;
        if (ctx_) {
            OXDM_MEDIA_NAME r{1, 24, 0, 3, uint32_t(id), 0, nullptr};
            if (e_.getData(ctx_, OXDM_ITEM_MEDIA_NAME, &r) == 0 && r.length > 0 &&
                r.length <= kMaxMediaName) {
                std::vector<char> text(r.length + 1, '\0');
                const uint32_t length = r.length;
                r = {1, 24, 0, 3, uint32_t(id), length + 1, text.data()};
                if (e_.getData(ctx_, OXDM_ITEM_MEDIA_NAME, &r) == 0) {
                    text.back() = '\0';
                    name = QString::fromUtf8(
                        text.data(), qsizetype(strnlen(text.data(), std::min(length, r.length))));
                }
            }
        }
        if (name.isEmpty()) name = msg::mediaTypeName(id);
        return name.isEmpty() ? msg::unknownMediaType(id) : name;
    }

    bool GetMediaSetting(TMediaSetting& out) override {
        int16_t r[4] = {};
        if (GetData(OXDM_ITEM_MEDIA_SETTING, r) != 0) return false;
        out = {r[0], r[1], r[2], r[3]};
        return true;
    }
    bool SetMediaSetting(const TMediaSetting& s) override {
        const int16_t r[4] = {s.Mode, s.Quality, s.Media, s.Adjust};
        return SetData(OXDM_ITEM_MEDIA_SETTING, r) == 0;
    }
    int GetPaperSource() override { return get16(OXDM_ITEM_PAPER_SOURCE, 7); }
    bool SetPaperSource(int v) override { return set16(OXDM_ITEM_PAPER_SOURCE, v); }
    int GetColorMode() override { return get16(OXDM_ITEM_COLOR_MODE, 0); }
    bool SetColorMode(int v) override { return set16(OXDM_ITEM_COLOR_MODE, v); }
    TUserPaperSize GetUserPaperSize() override {
        int16_t r[8] = {};
        if (GetData(OXDM_ITEM_USER_PAPER, r) != 0) return {};
        return {r[0], r[1], r[6], 0};
    }
    bool SetUserPaperSize(const TUserPaperSize& s) override {
        const int16_t r[4] = {s.Width, s.Height, s.ID, 0};
        return SetData(OXDM_ITEM_USER_PAPER, r) == 0;
    }
    uint32_t GetFlags205() override { return getFlags(OXDM_ITEM_FLAGS205); }
    bool SetFlags205(uint32_t f) override { return setFlags(OXDM_ITEM_FLAGS205, f); }
    uint32_t GetFlags204() override { return getFlags(OXDM_ITEM_FLAGS204); }
    bool SetFlags204(uint32_t f) override { return setFlags(OXDM_ITEM_FLAGS204, f); }

    TBorderlessRecord GetBorderlessRecord() override {
        TBorderlessRecord r{};
        if (CommandLevel(OXDM_ITEM_BORDERLESS) <= 0) return r;
        r[0] = 1, r[1] = 48;
        if (GetData(OXDM_ITEM_BORDERLESS, r.data()) != 0) r.fill(0);
        return r;
    }

    int GetRange(int item, OXDM_RANGE& range) override {
        return ctx_ ? e_.range(ctx_, item, &range) : 1;
    }
    int GetData(int item, void* record) override {
        return ctx_ ? e_.getData(ctx_, item, record) : 1;
    }
    int SetData(int item, const void* value) override {
        return ctx_ ? e_.setData(ctx_, item, value) : 1;
    }

    int QualityLevelCount() override {
        OXDM_RANGE range{0, 0, nullptr};
        if (GetRange(OXDM_ITEM_MEDIA_SETTING, range) != 0) return 0;
        int n = std::min<int>(range.count, kMaxQualityLevels);
        // The context's settings, saved to be put back after the probe.
        const QByteArray saved = contextDevMode();
        TMediaSetting s;
        GetMediaSetting(s);
        while (n > 1) {
            SetMediaSetting({1, int16_t(n), s.Media, 2});
            TMediaSetting back;
            if (GetMediaSetting(back) && back.Quality == n) break;
            --n;
        }
        if (!saved.isEmpty()) config_.DeviceMode()->SetDevMode(saved);
        Refresh();
        return n;
    }

    QList<int> MediaList() override { return list(OXDM_ITEM_MEDIA_TYPES); }
    QList<int> PaperSourceList() override { return list(OXDM_ITEM_PAPER_SOURCE); }
    QList<int> ColorModeList() override { return list(OXDM_ITEM_COLOR_MODE); }

    bool IsOpen() const override { return ctx_ != nullptr; }

    void Reopen() override {
        close();
        open(DriverClass() == 0 ? 1 : 0);
    }

    bool BorderlessAvailable() override {
        const int twin = BorderlessSourceOf(config_.DeviceMode()->Short(dm::DefaultSource), true);
        if (!twin) return false;
        for (const auto& b : config_.PrinterHandle().bins())
            if (b.id == twin) return true;
        return false;
    }

    void SetBorderless(bool on) override {
        IDeviceMode& mode = *config_.DeviceMode();
        const int source = mode.Short(dm::DefaultSource);
        const int target = BorderlessSourceOf(source, on);
        if (!target) return;
        bool changed = false;
        if (target == 267 || target == 268) {
            // The album sheet feed takes album paper; the type goes through the driver
            // (merge and refresh) even when the source stays, so that the next Commit, which
            // writes the context's settings back, keeps it.
            changed = mode.Long(dm::MediaType) != uint32_t(platform::kAlbumMediaType);
            mode.SetLong(dm::MediaType, platform::kAlbumMediaType);
            mode.SetLong(dm::Fields, mode.Long(dm::Fields) | dm::DM_MEDIATYPE);
        }
        if (target != source) {
            mode.SetShort(dm::DefaultSource, target);
            mode.SetLong(dm::Fields, mode.Long(dm::Fields) | dm::DM_DEFAULTSOURCE);
            changed = true;
        }
        if (!changed) return;
        config_.MergeDeviceMode();
        Refresh();
    }

    bool BorderlessEnabled() override {
        const int s = config_.DeviceMode()->Short(dm::DefaultSource);
        return s == 257 || s == 259 || s == 268 || s == 270 || s == 272;
    }

    void Commit() override {
        const QByteArray mode = contextDevMode();
        if (!mode.isEmpty()) config_.DeviceMode()->SetDevMode(mode);
        config_.ClearForms();
    }

    void Refresh() override {
        close();
        open(2);
    }

    int CommandLevel(int item) override { return ctx_ ? e_.commandLevel(ctx_, item) : -1; }

private:
    void load() {
        auto lib = platform::DynamicLibrary::open(OxsetLibraryPath());
        if (!lib) return;
        const auto bind = [&](auto& f, const char* name) {
            f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(lib->symbol(name));
            return f != nullptr;
        };
        const bool all = bind(e_.open, "OXDM_Open") && bind(e_.driverInfo, "OXDM_GetDriverInfo") &&
                         bind(e_.commandLevel, "OXDM_GetCommandLevel") &&
                         bind(e_.range, "OXDM_GetRange") && bind(e_.getData, "OXDM_GetData") &&
                         bind(e_.setData, "OXDM_SetData") && bind(e_.createDC, "OXDM_CreateDC") &&
                         bind(e_.resetDC, "OXDM_ResetDC") && bind(e_.deleteDC, "OXDM_DeleteDC") &&
                         bind(e_.updateDevMode, "OXDM_UpdateDevMode") &&
                         bind(e_.getDevMode, "OXDM_GetDevMode") && bind(e_.close, "OXDM_Close");
        if (all) lib_.emplace(std::move(*lib));
    }

    void open(int mode) {
        close();
        if (!lib_) return;
        const QByteArray device = config_.DeviceName().toUtf8(), port = config_.PortName().toUtf8();
        const QByteArray dev = config_.DeviceMode()->GetDevModeA();
        OXDM_CONTEXT ctx = nullptr;
        if (e_.open(device.constData(), port.constData(), mode,
                    reinterpret_cast<const uint8_t*>(dev.constData()), &ctx) == 0)
            ctx_ = ctx;
    }

    void close() {
        if (ctx_) e_.close(ctx_);
        ctx_ = nullptr;
    }

    // The context's settings as a checked ANSI block; empty when the library gives none.
    QByteArray contextDevMode() {
        if (!ctx_) return {};
        const int size = e_.getDevMode(ctx_, nullptr, 0);
        if (size < dm::kAnsiSize || size > dm::kAnsiSize + dm::kMaxDriverExtra) return {};
        QByteArray block(size, '\0');
        if (e_.getDevMode(ctx_, reinterpret_cast<uint8_t*>(block.data()), size) != size) return {};
        try {
            return dm::checkedAnsi(block);
        } catch (const std::exception&) {
            return {};
        }
    }

    int get16(int item, int fallback) {
        int16_t v[2] = {};
        return GetData(item, v) == 0 ? v[0] : fallback;
    }
    bool set16(int item, int value) {
        const int16_t v[2] = {int16_t(value), 0};
        return SetData(item, v) == 0;
    }
    uint32_t getFlags(int item) {
        OXDM_FLAGS f{1, 12, 0};
        return GetData(item, &f) == 0 ? f.flags : 0;
    }
    bool setFlags(int item, uint32_t flags) {
        const OXDM_FLAGS f{1, 12, flags};
        return SetData(item, &f) == 0;
    }

    QList<int> list(int item) {
        OXDM_RANGE r{0, 0, nullptr};
        if (GetRange(item, r) != 0 || r.kind != 2 || r.count == 0) return {};
        const uint16_t count = r.count;
        std::vector<uint16_t> values(count, 0);
        r = {count, 2, values.data()};
        if (GetRange(item, r) != 0) return {};
        QList<int> out;
        for (uint16_t i = 0; i < std::min(count, r.count); ++i) out << int16_t(values[i]);
        return out;
    }

    IPrinterConfiguration& config_;
    std::optional<platform::DynamicLibrary> lib_;
    Entry e_{};
    OXDM_CONTEXT ctx_ = nullptr;
};

}  // namespace

IOXDIPtr NewOXDI(IPrinterConfiguration& configuration) {
    return std::make_unique<TOXDI>(configuration);
}

QString OxsetLibraryPath() {
    if (!overridePath().isEmpty()) return overridePath();
    QString exeDir;
    if (TAppFrame* frame = TAppFrame::Current())
        exeDir = frame->ExpandOrKeep(QStringLiteral("$(ExeDir)"));
    if (exeDir.isEmpty() || exeDir.startsWith(u"$("))
        exeDir = QCoreApplication::applicationDirPath() + u'/';
    return exeDir + QStringLiteral("Drivers/OXSET32.so");
}

void SetOxsetLibraryPath(const QString& path) {
    overridePath() = path;
}

int BorderlessSourceOf(int source, bool borderless) {
    for (const auto& pair : platform::kBorderlessPairs)
        if (pair[0] == source || pair[1] == source) return pair[borderless ? 1 : 0];
    return 0;
}
