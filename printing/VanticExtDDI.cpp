#include "printing/VanticExtDDI.h"

#include "app/frame/AppFrame.h"
#include "platform/DynamicLibrary.h"
#include "printing/Messages.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString& overridePath() {
    static QString path;
    return path;
}

// Counts from the function size buffers only up to this.
constexpr int kMaxCount = 1024;
constexpr int kNameUnits = 128;

class TVanticExtDDI : public IVanticExtDDI {
public:
    explicit TVanticExtDDI(IPrinterConfiguration& configuration) : config_(configuration) {
        if (!ReadBoolSetting(QStringLiteral("EnableExtDDI"), true)) return;
        const QString path = VanticModulePath(config_.DeviceName());
        if (!QFileInfo::exists(path)) return;
        lib_ = platform::DynamicLibrary::open(path);
        if (!lib_) return;
        fn_ = lib_->function<std::remove_pointer_t<VJDeviceMode_t>>("VJDeviceMode");
        int32_t version[16] = {};
        if (!fn_ || Call(2, 1, version) != 0 || (uint32_t(version[0]) >> 16) != 1) fn_ = nullptr;
    }

    IPrinterConfiguration& Configuration() override { return config_; }

    int Call(int op, int category, void* buffer) override {
        if (!fn_) return 1;
        QByteArray& wide = config_.DeviceMode()->GetDevModeW();
        const std::u16string device = config_.DeviceName().toStdU16String();
        const std::u16string port = config_.PortName().toStdU16String();
        const QByteArray before = wide;
        const int result = fn_(&config_.PrinterHandle(), device.c_str(), port.c_str(), op, category,
                               reinterpret_cast<uint8_t*>(wide.data()), buffer);
        // The function writes in place; a block whose size fields it changed is not kept.
        try {
            static_cast<void>(platform::devmode::checkedWide(wide));
        } catch (const std::exception&) {
            wide = before;
        }
        return result;
    }

    int GetKind(int category) override { return value32(0, category); }
    int GetCount(int category) override { return value32(1, category); }
    int GetValue(int category) override { return value32(2, category); }

    QList<int32_t> GetValueList(int category) override {
        const int count = GetCount(category);
        if (count <= 0 || count > kMaxCount || GetKind(category) != 4) return {};
        std::vector<int32_t> v(size_t(count), 0);
        if (Call(4, category, v.data()) != 0) return {};
        return QList<int32_t>(v.begin(), v.end());
    }

    QList<int32_t> GetQualityValueList() override {
        const int count = GetCount(5);
        if (count <= 0 || count > kMaxCount) return {};
        std::vector<int32_t> pairs(size_t(count) * 2, 0);
        if (Call(4, 5, pairs.data()) != 0) return {};
        QList<int32_t> out;
        for (int i = 0; i < count; ++i) out << pairs[size_t(2 * i)];
        return out;
    }

    QString GetQualityNames() override {
        QString names;
        for (int v : GetQualityValueList()) names += msg::qualityName(v) + QStringLiteral("\r\n");
        return names;
    }

    int GetQualityDetail() override {
        const int count = GetCount(5);
        if (count <= 0 || count > kMaxCount) return 0;
        std::vector<int32_t> pairs(size_t(count) * 2, 0);
        if (Call(4, 5, pairs.data()) != 0) return 0;
        const int current = GetValue(5);
        for (int i = 0; i < count; ++i)
            if (pairs[size_t(2 * i)] == current) return pairs[size_t(2 * i + 1)];
        return 0;
    }

    QString GetNames(int category) override {
        const int count = GetCount(category);
        if (count <= 0 || count > kMaxCount) return {};
        std::vector<char16_t> names(size_t(count) * kNameUnits, u'\0');
        if (Call(7, category, names.data()) != 0) return {};
        QString out;
        for (int i = 0; i < count; ++i) {
            const char16_t* slot = names.data() + size_t(i) * kNameUnits;
            qsizetype n = 0;
            while (n < kNameUnits && slot[n]) ++n;
            out += QString::fromUtf16(slot, n) + QStringLiteral("\r\n");
        }
        return out;
    }

    QRect GetPrintableArea() override {
        int32_t r[16] = {};
        if (Call(2, 22, r) != 0) return {};
        return QRect(QPoint(r[0], r[1]), QPoint(r[0] + r[2], r[1] + r[3]) - QPoint(1, 1));
    }

    void SetValue(int category, int value, bool check, bool* accepted) override {
        bool ok = false;
        if (!check ||
            (category == 5 ? GetQualityValueList() : GetValueList(category)).contains(value)) {
            int32_t v = value;
            ok = Call(3, category, &v) == 0;
        }
        if (accepted) *accepted = ok;
    }

    int IndexOfCurrentValue(int category) override {
        return int(GetValueList(category).indexOf(GetValue(category)));
    }

    void SetValueByIndex(int category, int index, bool* accepted) override {
        const QList<int32_t> list = category == 5 ? GetQualityValueList() : GetValueList(category);
        if (index >= 0 && index < list.size())
            SetValue(category, list[index], true, accepted);
        else if (accepted)
            *accepted = false;
    }

    bool IsAvailable() const override { return fn_ != nullptr; }

    void ResetToDefaults() override { Call(6, 2, config_.DeviceMode()->GetDevModeW().data()); }

private:
    int value32(int op, int category) {
        int32_t v[16] = {};
        return Call(op, category, v) == 0 ? v[0] : 0;
    }

    IPrinterConfiguration& config_;
    std::optional<platform::DynamicLibrary> lib_;
    VJDeviceMode_t fn_ = nullptr;
};

}  // namespace

IVanticExtDDIPtr NewVanticExtDDI(IPrinterConfiguration& configuration) {
    return std::make_unique<TVanticExtDDI>(configuration);
}

QString VanticModulePath(const QString& queue) {
    if (!overridePath().isEmpty()) return overridePath();
    QString exeDir;
    if (TAppFrame* frame = TAppFrame::Current())
        exeDir = frame->ExpandOrKeep(QStringLiteral("$(ExeDir)"));
    if (exeDir.isEmpty() || exeDir.startsWith(u"$("))
        exeDir = QCoreApplication::applicationDirPath() + u'/';
    return exeDir + QStringLiteral("Drivers/") + queue + QStringLiteral(".vj.so");
}

void SetVanticModulePath(const QString& path) {
    overridePath() = path;
}
