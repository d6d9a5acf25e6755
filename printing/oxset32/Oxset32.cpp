// The generic driver extension "OXSET32.so": serves every printer of the spooler (CUPS
// queues and the PDF printer) through our CUPS-backed driver. Its settings live in the
// context's device mode: public fields for size, source, media type, quality and colour,
// private options ("vellumo-...") for the rest.
#include "platform/Messages.h"
#include "platform/spooler/DevMode.h"
#include "platform/spooler/PrinterDriver.h"
#include "printing/OxdmAbi.h"

#include <dlfcn.h>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <optional>

#define OXDM_EXPORT extern "C" __attribute__((visibility("default")))

namespace dm = platform::devmode;

namespace {

struct Context {
    QString device;
    std::optional<platform::PrinterDriver> driver;
    QByteArray mode;  // checked ANSI block
};

Context* ctx(OXDM_CONTEXT c) {
    return static_cast<Context*>(c);
}

// Colour modes of item 201: 1 colour, 2 monochrome, 6 colour matching (with our engine).
constexpr int kColour = 1, kMono = 2;

bool colourEngineInstalled() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&colourEngineInstalled), &info) || !info.dli_fname)
        return false;
    const QString drivers = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return QFileInfo::exists(drivers + QStringLiteral("/../KvrCtrl.so"));
}

QString privateOption(const Context& c, const char* name, const QString& fallback = {}) {
    if (const auto d = dm::decodeDriverData(dm::driverArea(c.mode)))
        for (const auto& o : d->options)
            if (o.first == QLatin1String(name)) return o.second;
    return fallback;
}

void setPrivateOption(Context& c, const char* name, const QString& value) {
    dm::DriverData d = dm::decodeDriverData(dm::driverArea(c.mode)).value_or(dm::DriverData{});
    d.options.removeIf([&](const auto& o) { return o.first == QLatin1String(name); });
    d.options.prepend({QLatin1String(name), value});
    dm::setDriverArea(c.mode, dm::encodeDriverData(d));
}

// The paper codes the quality levels stand for, finest first.
QList<int> qualityCodes(const Context& c) {
    QList<int> q = c.driver->capabilities().qualities;
    std::sort(q.begin(), q.end(), std::greater<>());
    QList<int> codes;
    for (int v : q) codes << (v <= 3 ? -1 : v == 4 ? -3 : -4);
    if (codes.isEmpty()) codes << dm::i16(c.mode, dm::PrintQuality);
    return codes;
}

void merge(Context& c, uint32_t fields) {
    dm::setU32(c.mode, dm::Fields, dm::u32(c.mode, dm::Fields) | fields);
    c.mode = c.driver->merge(c.mode);
}

QList<int> listOf(const Context& c, int item) {
    QList<int> out;
    switch (item) {
        case OXDM_ITEM_PAPER_SOURCE:
            for (const auto& b : c.driver->bins()) out << b.id;
            break;
        case OXDM_ITEM_MEDIA_TYPES:
            out = c.driver->mediaTypes();
            break;
        case OXDM_ITEM_COLOR_MODE: {
            const QStringList modes = c.driver->capabilities().colorModes;
            if (modes.isEmpty() || modes.contains(u"color")) out << kColour;
            if (modes.contains(u"monochrome")) out << kMono;
            if (colourEngineInstalled() && out.contains(kColour)) out << OXDM_COLOR_MATCHING;
            break;
        }
        default:
            break;
    }
    return out;
}

int32_t mediaName(Context& c, OXDM_MEDIA_NAME* r) {
    QString name = msg::mediaTypeName(int(r->mediaId));
    if (name.isEmpty() && c.driver->mediaTypes().contains(int(r->mediaId)))
        name = c.driver->mediaTypeKeyword(int(r->mediaId));
    if (name.isEmpty()) return 1;
    const QByteArray u = name.toUtf8();
    r->length = uint32_t(u.size());
    if (r->text && r->capacity > 0) {
        const size_t n = std::min<size_t>(size_t(u.size()), r->capacity - 1);
        std::memcpy(r->text, u.constData(), n);
        r->text[n] = '\0';
    }
    return 0;
}

}  // namespace

OXDM_EXPORT int32_t OXDM_Open(const char* device, const char*, int32_t, const uint8_t* devMode,
                              OXDM_CONTEXT* context) {
    if (!device || !context) return 1;
    try {
        auto c = std::make_unique<Context>();
        c->device = QString::fromUtf8(device);
        std::vector<platform::DriverForm> userForms;
        QByteArray in;
        if (devMode) {
            const int size = dm::kAnsiSize + qFromLittleEndian<uint16_t>(devMode + dm::DriverExtra);
            in = dm::checkedAnsi(QByteArrayView(devMode, size));
            // A form the program registered is known by its code, name and size.
            const int paper = dm::i16(in, dm::PaperSize);
            if (paper >= 1024)
                userForms.push_back(
                    {paper,
                     dm::name(in, dm::FormName),
                     QSize(dm::i16(in, dm::PaperWidth), dm::i16(in, dm::PaperLength)),
                     {}});
        }
        c->driver.emplace(
            platform::PrinterDriver::open(platform::systemSpooler(), c->device, userForms));
        c->mode = in.isEmpty() ? c->driver->defaultDevMode() : c->driver->merge(in);
        *context = c.release();
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}

OXDM_EXPORT int32_t OXDM_GetDriverInfo(OXDM_CONTEXT, uint16_t* values, int32_t capacity) {
    if (values && capacity >= 1) values[0] = 48;
    return 1;
}

OXDM_EXPORT int32_t OXDM_GetCommandLevel(OXDM_CONTEXT context, int32_t item) {
    Context& c = *ctx(context);
    switch (item) {
        case OXDM_ITEM_USER_PAPER:
            return c.driver->capabilities().customSizes ? 1 : 0;
        case OXDM_ITEM_BORDERLESS:
            return c.driver->hasBorderless({}) ? 1 : 0;
        case OXDM_ITEM_PAPER_SOURCE:
        case OXDM_ITEM_MEDIA_TYPES:
        case OXDM_ITEM_MEDIA_SETTING:
        case OXDM_ITEM_COLOR_MODE:
        case OXDM_ITEM_FLAGS204:
        case OXDM_ITEM_FLAGS205:
        case OXDM_ITEM_MEDIA_NAME:
            return 1;
        default:
            return 0;
    }
}

OXDM_EXPORT int32_t OXDM_GetRange(OXDM_CONTEXT context, int32_t item, OXDM_RANGE* range) {
    if (!range) return 1;
    Context& c = *ctx(context);
    if (item == OXDM_ITEM_MEDIA_SETTING) {
        range->count = uint16_t(qualityCodes(c).size());
        range->kind = 1;
        return 0;
    }
    const QList<int> list = listOf(c, item);
    if (list.isEmpty()) return 1;
    if (range->values) {
        const int n = std::min<int>(range->count, int(list.size()));
        for (int i = 0; i < n; ++i) range->values[i] = uint16_t(list[i]);
        range->count = uint16_t(n);
    } else {
        range->count = uint16_t(list.size());
    }
    range->kind = 2;
    return 0;
}

OXDM_EXPORT int32_t OXDM_GetData(OXDM_CONTEXT context, int32_t item, void* record) {
    if (!record) return 1;
    Context& c = *ctx(context);
    try {
        auto* v = static_cast<int16_t*>(record);
        switch (item) {
            case OXDM_ITEM_USER_PAPER:
                v[0] = dm::i16(c.mode, dm::PaperWidth), v[1] = dm::i16(c.mode, dm::PaperLength);
                v[6] = dm::i16(c.mode, dm::PaperSize);
                return 0;
            case OXDM_ITEM_PAPER_SOURCE:
                v[0] = dm::i16(c.mode, dm::DefaultSource);
                return 0;
            case OXDM_ITEM_MEDIA_SETTING: {
                const qsizetype level = qualityCodes(c).indexOf(dm::i16(c.mode, dm::PrintQuality));
                v[0] = int16_t(privateOption(c, "vellumo-mode", QStringLiteral("1")).toInt());
                v[1] = int16_t(level < 0 ? 1 : level + 1);
                v[2] = int16_t(dm::u32(c.mode, dm::MediaType));
                v[3] = int16_t(privateOption(c, "vellumo-adjust", QStringLiteral("2")).toInt());
                return 0;
            }
            case OXDM_ITEM_COLOR_MODE:
                v[0] = privateOption(c, "vellumo-color-matching") == u"1" ? OXDM_COLOR_MATCHING
                       : dm::i16(c.mode, dm::Color) == 1                  ? kMono
                                                                          : kColour;
                return 0;
            case OXDM_ITEM_FLAGS204:
            case OXDM_ITEM_FLAGS205: {
                auto* f = static_cast<OXDM_FLAGS*>(record);
                f->flags = privateOption(c, item == OXDM_ITEM_FLAGS204 ? "vellumo-flags204"
                                                                       : "vellumo-flags205")
                               .toUInt();
                return 0;
            }
            case OXDM_ITEM_MEDIA_NAME:
                return mediaName(c, static_cast<OXDM_MEDIA_NAME*>(record));
            case OXDM_ITEM_BORDERLESS: {
                auto* r = static_cast<int32_t*>(record);
                const int source = dm::i16(c.mode, dm::DefaultSource);
                for (const auto& b : c.driver->bins())
                    if (b.id == source) r[2] = b.borderless ? 1 : 0;
                return 0;
            }
            default:
                return 1;
        }
    } catch (const std::exception&) {
        return 1;
    }
}

OXDM_EXPORT int32_t OXDM_SetData(OXDM_CONTEXT context, int32_t item, const void* record) {
    if (!record) return 1;
    Context& c = *ctx(context);
    try {
        const auto* v = static_cast<const int16_t*>(record);
        switch (item) {
            case OXDM_ITEM_USER_PAPER:
                if (!c.driver->capabilities().customSizes) return 1;
                dm::setI16(c.mode, dm::PaperSize, v[2]);
                dm::setI16(c.mode, dm::PaperWidth, v[0]);
                dm::setI16(c.mode, dm::PaperLength, v[1]);
                merge(c, dm::DM_PAPERSIZE | dm::DM_PAPERWIDTH | dm::DM_PAPERLENGTH);
                return 0;
            case OXDM_ITEM_PAPER_SOURCE:
                if (!listOf(c, item).contains(v[0])) return 1;
                dm::setI16(c.mode, dm::DefaultSource, v[0]);
                merge(c, dm::DM_DEFAULTSOURCE);
                return 0;
            case OXDM_ITEM_MEDIA_SETTING: {
                if (!c.driver->mediaTypes().contains(v[2])) return 1;
                const QList<int> codes = qualityCodes(c);
                dm::setU32(c.mode, dm::MediaType, uint32_t(v[2]));
                dm::setI16(c.mode, dm::PrintQuality,
                           codes[std::clamp<int>(v[1], 1, int(codes.size())) - 1]);
                setPrivateOption(c, "vellumo-mode", QString::number(v[0]));
                setPrivateOption(c, "vellumo-adjust", QString::number(v[3]));
                merge(c, dm::DM_MEDIATYPE | dm::DM_PRINTQUALITY);
                return 0;
            }
            case OXDM_ITEM_COLOR_MODE:
                if (!listOf(c, item).contains(v[0])) return 1;
                dm::setI16(c.mode, dm::Color, v[0] == kMono ? 1 : 2);
                setPrivateOption(
                    c, "vellumo-color-matching",
                    v[0] == OXDM_COLOR_MATCHING ? QStringLiteral("1") : QStringLiteral("0"));
                merge(c, dm::DM_COLOR);
                return 0;
            case OXDM_ITEM_FLAGS204:
            case OXDM_ITEM_FLAGS205:
                setPrivateOption(
                    c, item == OXDM_ITEM_FLAGS204 ? "vellumo-flags204" : "vellumo-flags205",
                    QString::number(static_cast<const OXDM_FLAGS*>(record)->flags));
                c.mode = c.driver->merge(c.mode);
                return 0;
            default:
                return 1;
        }
    } catch (const std::exception&) {
        return 1;
    }
}

OXDM_EXPORT int32_t OXDM_CreateDC(OXDM_CONTEXT) {
    return 0;
}
OXDM_EXPORT int32_t OXDM_ResetDC(OXDM_CONTEXT) {
    return 0;
}
OXDM_EXPORT int32_t OXDM_DeleteDC(OXDM_CONTEXT) {
    return 0;
}
OXDM_EXPORT int32_t OXDM_UpdateDevMode(OXDM_CONTEXT) {
    return 0;
}

OXDM_EXPORT int32_t OXDM_GetDevMode(OXDM_CONTEXT context, uint8_t* devMode, int32_t capacity) {
    const QByteArray& mode = ctx(context)->mode;
    if (devMode && capacity >= mode.size())
        std::memcpy(devMode, mode.constData(), size_t(mode.size()));
    return int32_t(mode.size());
}

OXDM_EXPORT int32_t OXDM_Close(OXDM_CONTEXT context) {
    delete ctx(context);
    return 0;
}
