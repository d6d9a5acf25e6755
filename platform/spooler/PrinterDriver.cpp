#include "platform/spooler/PrinterDriver.h"

#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/spooler/DevMode.h"

#include <cups/cups.h>

#include <algorithm>

namespace platform {
namespace dm = devmode;
namespace {

// Paper codes of the common sizes; other sizes are numbered from 512 in the printer's order.
struct StandardForm {
    const char* media;
    int id;
    const char* name;
};
constexpr StandardForm kStandardForms[] = {
    {"na_letter_8.5x11in", 1, "Letter"},  {"na_legal_8.5x14in", 5, "Legal"},
    {"iso_a3_297x420mm", 8, "A3"},        {"iso_a4_210x297mm", 9, "A4"},
    {"iso_a5_148x210mm", 11, "A5"},       {"jis_b4_257x364mm", 12, "B4 (JIS)"},
    {"jis_b5_182x257mm", 13, "B5 (JIS)"}, {"jpn_hagaki_100x148mm", 43, "Japanese Postcard"},
    {"iso_a6_105x148mm", 70, "A6"},       {"jis_b6_128x182mm", 88, "B6 (JIS)"},
};
constexpr int kFirstPrinterForm = 512;
constexpr int kFirstUserForm = 1024;
constexpr int kFirstOtherId = 1000;

// Program media IDs of the media-type keywords.
struct TypeId {
    const char* keyword;
    int id;
};
constexpr TypeId kTypeIds[] = {
    {"stationery", 1},
    {"transparency", 2},
    {"stationery-inkjet", 257},
    {"photographic-glossy", 258},
    {"photographic-film", 259},
    {"stationery-coated", 260},
    {"back-print-film", 261},
    {"photographic-matte", 267},
    {"photographic-semi-gloss", 268},
    {"photographic", 271},
    {"photographic-satin", 272},
    {"photographic-high-gloss", 280},
    {"disc", 283},
    {"cardstock", 285},
};
// The printer's type used for album paper: the first of these it has.
constexpr const char* kAlbumTypes[] = {"photographic-semi-gloss", "photographic-glossy",
                                       "photographic", "photographic-matte"};

constexpr uint32_t kDriverFields = dm::DM_ORIENTATION | dm::DM_PAPERSIZE | dm::DM_PAPERLENGTH |
                                   dm::DM_PAPERWIDTH | dm::DM_SCALE | dm::DM_COPIES |
                                   dm::DM_DEFAULTSOURCE | dm::DM_PRINTQUALITY | dm::DM_COLOR |
                                   dm::DM_YRESOLUTION | dm::DM_FORMNAME | dm::DM_MEDIATYPE;

// print-quality (3, 4, 5) and the device mode's quality codes (-1 draft .. -4 high).
int qualityCode(int ippQuality) {
    return ippQuality <= 3 ? -1 : ippQuality == 4 ? -3 : -4;
}
int ippQuality(int code) {
    return code >= -2 ? 3 : code == -3 ? 4 : 5;
}

int tenths(int hundredths) {
    return (hundredths + 5) / 10;
}

bool isPrivate(const QString& option) {
    return option.startsWith(u"vellumo-");
}

}  // namespace

PrinterDriver::PrinterDriver(QString printer, SpoolerCapabilities caps,
                             const std::vector<DriverForm>& userForms)
    : printer_(std::move(printer)), caps_(std::move(caps)) {
    int next = kFirstPrinterForm;
    for (const SpoolerMedia& m : caps_.media) {
        if (std::any_of(forms_.begin(), forms_.end(),
                        [&](const DriverForm& f) { return f.media == m.name; }))
            continue;
        DriverForm f{0, m.label, QSize(tenths(m.width), tenths(m.length)), m.name};
        for (const StandardForm& s : kStandardForms)
            if (m.name == QLatin1String(s.media)) f.id = s.id, f.name = QString::fromLatin1(s.name);
        if (!f.id) f.id = next++;
        f.name.truncate(64);
        forms_.push_back(f);
    }
    if (caps_.customSizes) {
        forms_.push_back({dm::DMPAPER_USER,
                          msg::userDefinedForm(),
                          QSize(tenths(caps_.customMax.width()), tenths(caps_.customMax.height())),
                          {}});
        int id = kFirstUserForm;
        for (DriverForm f : userForms) {
            if (f.id < kFirstUserForm) f.id = id;
            id = std::max(id, f.id) + 1;
            f.media.clear();
            forms_.push_back(f);
        }
    }

    // Bins: the printer's own choice (7) always; its sources after; the album sheet feed
    // (267) takes the manual feed when there is one. Borderless twins where the printer has
    // borderless sizes.
    const bool anyBorderless = std::any_of(caps_.media.begin(), caps_.media.end(),
                                           [](const SpoolerMedia& m) { return m.borderless(); });
    const auto addBin = [&](int id, const QString& name, const QString& source) {
        bins_.push_back({id, name, source, false});
        if (!anyBorderless) return;
        for (const auto& pair : kBorderlessPairs)
            if (pair[0] == id) bins_.push_back({pair[1], msg::borderlessBin(name), source, true});
    };
    addBin(7, caps_.sources.contains(u"auto") ? QStringLiteral("auto") : QStringLiteral("default"),
           caps_.sources.contains(u"auto") ? QStringLiteral("auto") : QString());
    const int others[] = {256, 271};
    int other = 0, extra = 0;
    for (const QString& s : caps_.sources) {
        if (s == u"auto") continue;
        if (s == u"manual")
            addBin(4, s, s);
        else if (other < 2)
            addBin(others[other++], s, s);
        else
            bins_.push_back({kFirstOtherId + extra++, s, s, false});
    }
    addBin(267, msg::albumSheetBin(),
           caps_.sources.contains(u"manual") ? QStringLiteral("manual") : QString());

    int otherType = kFirstOtherId;
    for (const QString& k : caps_.mediaTypes) {
        int id = otherType;
        for (const TypeId& t : kTypeIds)
            if (k == QLatin1String(t.keyword)) id = t.id;
        if (id == otherType) ++otherType;
        if (std::none_of(types_.begin(), types_.end(),
                         [&](const auto& t) { return t.first == id; }))
            types_.emplace_back(id, k);
    }
    if (types_.empty()) types_.emplace_back(1, QString());
    QString album;
    for (const char* k : kAlbumTypes)
        if (album.isEmpty() && caps_.mediaTypes.contains(QLatin1String(k)))
            album = QLatin1String(k);
    if (std::none_of(types_.begin(), types_.end(),
                     [](const auto& t) { return t.first == kAlbumMediaType; }))
        types_.emplace_back(kAlbumMediaType, album);
}

PrinterDriver PrinterDriver::open(Spooler& spooler, const QString& printer,
                                  const std::vector<DriverForm>& userForms) {
    return PrinterDriver(printer, spooler.capabilities(printer), userForms);
}

QList<int> PrinterDriver::mediaTypes() const {
    QList<int> ids;
    for (const auto& t : types_) ids << t.first;
    return ids;
}

QString PrinterDriver::mediaTypeKeyword(int id) const {
    for (const auto& t : types_)
        if (t.first == id) return t.second;
    return {};
}

int PrinterDriver::qualityLevels() const {
    return std::max(1, int(caps_.qualities.size()));
}

bool PrinterDriver::hasBorderless(const QString& media) const {
    return std::any_of(caps_.media.begin(), caps_.media.end(), [&](const SpoolerMedia& m) {
        return m.borderless() && (media.isEmpty() || m.name == media);
    });
}

QSize PrinterDriver::minExtent() const {
    if (caps_.customSizes)
        return QSize(tenths(caps_.customMin.width()), tenths(caps_.customMin.height()));
    QSize s(INT_MAX, INT_MAX);
    for (const DriverForm& f : forms_) s = s.boundedTo(f.size);
    return forms_.empty() ? QSize() : s;
}

QSize PrinterDriver::maxExtent() const {
    if (caps_.customSizes)
        return QSize(tenths(caps_.customMax.width()), tenths(caps_.customMax.height()));
    QSize s(0, 0);
    for (const DriverForm& f : forms_) s = s.expandedTo(f.size);
    return s;
}

const DriverForm* PrinterDriver::form(int id) const {
    for (const DriverForm& f : forms_)
        if (f.id == id) return &f;
    return nullptr;
}

const DriverBin* PrinterDriver::bin(int id) const {
    for (const DriverBin& b : bins_)
        if (b.id == id) return &b;
    return nullptr;
}

const SpoolerMedia* PrinterDriver::mediaOf(const QString& name, bool borderless) const {
    for (const SpoolerMedia& m : caps_.media)
        if (m.name == name && m.borderless() == borderless) return &m;
    for (const SpoolerMedia& m : caps_.media)
        if (m.name == name) return &m;
    return nullptr;
}

QByteArray PrinterDriver::defaultDevMode() const {
    QByteArray b = dm::emptyAnsi();
    dm::setName(b, dm::DeviceName, printer_);
    dm::setU16(b, dm::SpecVersion, 0x0401);
    dm::setU16(b, dm::DriverVersion, 0x0100);
    dm::setU32(b, dm::Fields, kDriverFields);
    dm::setI16(b, dm::Orientation, 1);
    const DriverForm* f = nullptr;
    for (const DriverForm& x : forms_)
        if (x.media == caps_.defaultMedia && !f) f = &x;
    if (!f && !forms_.empty()) f = &forms_.front();
    if (f) {
        dm::setI16(b, dm::PaperSize, f->id);
        dm::setI16(b, dm::PaperWidth, f->size.width());
        dm::setI16(b, dm::PaperLength, f->size.height());
        dm::setName(b, dm::FormName, f->name);
    }
    dm::setI16(b, dm::Scale, 100);
    dm::setI16(b, dm::Copies, 1);
    int source = 7;
    for (const DriverBin& x : bins_)
        if (source == 7 && !x.borderless && x.id != 267 && !caps_.defaultSource.isEmpty() &&
            x.source == caps_.defaultSource)
            source = x.id;
    dm::setI16(b, dm::DefaultSource, source);
    dm::setI16(b, dm::PrintQuality,
               qualityCode(caps_.qualities.isEmpty() ? 4 : caps_.defaultQuality));
    dm::setI16(b, dm::YResolution, caps_.defaultResolution.height());
    const bool colour = caps_.colorModes.isEmpty() || caps_.colorModes.contains(u"color");
    dm::setI16(b, dm::Color, colour ? 2 : 1);
    int type = types_.front().first;
    for (const auto& t : types_)
        if (!caps_.defaultMediaType.isEmpty() && t.second == caps_.defaultMediaType) type = t.first;
    dm::setU32(b, dm::MediaType, uint32_t(type));
    dm::setDriverArea(b, dm::encodeDriverData({optionsOf(b)}));
    return b;
}

QByteArray PrinterDriver::merge(const QByteArray& input) const {
    const QByteArray in = dm::checkedAnsi(input);
    const std::optional<dm::DriverData> kept = dm::decodeDriverData(dm::driverArea(in));
    QByteArray b = defaultDevMode();
    const uint32_t fields = dm::u32(in, dm::Fields);
    const auto take = [&](uint32_t bit, int offset) {
        if (fields & bit) dm::setI16(b, offset, dm::i16(in, offset));
    };
    take(dm::DM_ORIENTATION, dm::Orientation);
    take(dm::DM_PAPERSIZE, dm::PaperSize);
    take(dm::DM_PAPERWIDTH, dm::PaperWidth);
    take(dm::DM_PAPERLENGTH, dm::PaperLength);
    take(dm::DM_SCALE, dm::Scale);
    take(dm::DM_COPIES, dm::Copies);
    take(dm::DM_DEFAULTSOURCE, dm::DefaultSource);
    take(dm::DM_PRINTQUALITY, dm::PrintQuality);
    take(dm::DM_YRESOLUTION, dm::YResolution);
    take(dm::DM_COLOR, dm::Color);
    if (fields & dm::DM_MEDIATYPE) dm::setU32(b, dm::MediaType, dm::u32(in, dm::MediaType));

    if (dm::i16(b, dm::Orientation) != 2) dm::setI16(b, dm::Orientation, 1);
    if (dm::i16(b, dm::Scale) <= 0) dm::setI16(b, dm::Scale, 100);
    dm::setI16(b, dm::Copies, std::clamp<int>(dm::i16(b, dm::Copies), 1, 999));

    // The paper: a form of the printer, or a custom size within the printer's range.
    const QByteArray def = defaultDevMode();
    const DriverForm* f = form(dm::i16(b, dm::PaperSize));
    if (f && f->id == dm::DMPAPER_USER) {
        const QSize lo = minExtent(), hi = maxExtent();
        const int w = dm::i16(b, dm::PaperWidth), l = dm::i16(b, dm::PaperLength);
        if (w < lo.width() || w > hi.width() || l < lo.height() || l > hi.height())
            f = nullptr;
        else
            dm::setName(b, dm::FormName, f->name);
    } else if (f) {
        dm::setI16(b, dm::PaperWidth, f->size.width());
        dm::setI16(b, dm::PaperLength, f->size.height());
        dm::setName(b, dm::FormName, f->name);
    }
    if (!f)
        for (int o : {int(dm::PaperSize), int(dm::PaperWidth), int(dm::PaperLength)})
            dm::setI16(b, o, dm::i16(def, o)),
                dm::setName(b, dm::FormName, dm::name(def, dm::FormName));

    // The source; a borderless one only where the paper has a borderless variant.
    const DriverBin* source = bin(dm::i16(b, dm::DefaultSource));
    if (!source)
        dm::setI16(b, dm::DefaultSource, dm::i16(def, dm::DefaultSource));
    else if (source->borderless) {
        const DriverForm* paper = form(dm::i16(b, dm::PaperSize));
        if (!hasBorderless(paper ? paper->media : QString()))
            for (const auto& pair : kBorderlessPairs)
                if (pair[1] == source->id) dm::setI16(b, dm::DefaultSource, pair[0]);
    }

    if (!mediaTypes().contains(int(dm::u32(b, dm::MediaType))))
        dm::setU32(b, dm::MediaType, dm::u32(def, dm::MediaType));

    const int quality = dm::i16(b, dm::PrintQuality);
    if (quality > 0) {
        const QSize want(quality,
                         dm::i16(b, dm::YResolution) > 0 ? dm::i16(b, dm::YResolution) : quality);
        if (!caps_.resolutions.contains(want)) {
            dm::setI16(b, dm::PrintQuality, dm::i16(def, dm::PrintQuality));
            dm::setI16(b, dm::YResolution, dm::i16(def, dm::YResolution));
        }
    } else if (!caps_.qualities.isEmpty() && !caps_.qualities.contains(ippQuality(quality))) {
        // The nearest level the printer has.
        int best = caps_.qualities.front();
        for (int q : caps_.qualities)
            if (std::abs(q - ippQuality(quality)) < std::abs(best - ippQuality(quality))) best = q;
        dm::setI16(b, dm::PrintQuality, qualityCode(best));
    }
    const bool mono = caps_.colorModes.contains(u"monochrome") || caps_.colorModes.isEmpty();
    const bool colour = caps_.colorModes.contains(u"color") || caps_.colorModes.isEmpty();
    if (dm::i16(b, dm::Color) == 1 ? !mono : !colour) dm::setI16(b, dm::Color, colour ? 2 : 1);

    dm::DriverData data;
    if (kept)
        for (const auto& o : kept->options)
            if (isPrivate(o.first)) data.options.append(o);
    data.options.append(optionsOf(b));
    dm::setDriverArea(b, dm::encodeDriverData(data));
    return b;
}

SpoolerOptions PrinterDriver::jobOptions(const QByteArray& ansi) const {
    const QByteArray b = dm::checkedAnsi(ansi);
    if (const auto kept = dm::decodeDriverData(dm::driverArea(b))) {
        SpoolerOptions out;
        for (const auto& o : kept->options)
            if (!isPrivate(o.first)) out.append(o);
        return out;
    }
    return optionsOf(b);
}

SpoolerOptions PrinterDriver::optionsOf(const QByteArray& b) const {
    SpoolerOptions o;
    const DriverBin* source = bin(dm::i16(b, dm::DefaultSource));
    const bool borderless = source && source->borderless;
    const QString type = mediaTypeKeyword(int(dm::u32(b, dm::MediaType)));
    const DriverForm* f = form(dm::i16(b, dm::PaperSize));
    QString media;
    int w = 0, l = 0;
    if (f && !f->media.isEmpty()) {
        const SpoolerMedia* m = mediaOf(f->media, borderless);
        media = f->media;
        w = m ? m->width : f->size.width() * 10;
        l = m ? m->length : f->size.height() * 10;
    } else {
        w = dm::i16(b, dm::PaperWidth) * 10;
        l = dm::i16(b, dm::PaperLength) * 10;
        char name[128];
        if (w > 0 && l > 0 &&
            pwgFormatSizeName(name, sizeof name, "custom", nullptr, w, l, nullptr))
            media = QString::fromLatin1(name);
    }
    if (borderless && w > 0 && l > 0) {
        QString col = QStringLiteral(
                          "{media-size={x-dimension=%1 y-dimension=%2} media-top-margin=0 "
                          "media-bottom-margin=0 media-left-margin=0 media-right-margin=0")
                          .arg(w)
                          .arg(l);
        if (!source->source.isEmpty()) col += QStringLiteral(" media-source=") + source->source;
        if (!type.isEmpty()) col += QStringLiteral(" media-type=") + type;
        o.append({QStringLiteral("media-col"), col + u'}'});
    } else {
        if (!media.isEmpty()) o.append({QStringLiteral("media"), media});
        if (source && !source->source.isEmpty())
            o.append({QStringLiteral("media-source"), source->source});
        if (!type.isEmpty()) o.append({QStringLiteral("media-type"), type});
    }
    const int quality = dm::i16(b, dm::PrintQuality);
    if (quality > 0)
        o.append(
            {QStringLiteral("printer-resolution"),
             QStringLiteral("%1x%2dpi")
                 .arg(quality)
                 .arg(dm::i16(b, dm::YResolution) > 0 ? dm::i16(b, dm::YResolution) : quality)});
    else if (!caps_.qualities.isEmpty())
        o.append({QStringLiteral("print-quality"), QString::number(ippQuality(quality))});
    if (!caps_.colorModes.isEmpty())
        o.append({QStringLiteral("print-color-mode"), dm::i16(b, dm::Color) == 1
                                                          ? QStringLiteral("monochrome")
                                                          : QStringLiteral("color")});
    if (dm::i16(b, dm::Copies) > 1)
        o.append({QStringLiteral("copies"), QString::number(dm::i16(b, dm::Copies))});
    return o;
}

}  // namespace platform
