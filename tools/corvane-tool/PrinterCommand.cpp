// corvane-tool printers / printer show / printer ext: the printers of the spooler, their
// capabilities and default device mode, and settings made through the driver extension.
#include "app/DataMain.h"
#include "platform/Messages.h"
#include "platform/spooler/DevMode.h"
#include "printing/KvrPrinter.h"
#include "printing/OXDI.h"
#include "printing/PrinterUtil.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

namespace dm = platform::devmode;

namespace {

QString yesNo(bool b) {
    return b ? QStringLiteral("yes") : QStringLiteral("no");
}

QString joined(const QList<int>& values) {
    QStringList s;
    for (int v : values) s << QString::number(v);
    return s.join(u' ');
}

QString sizeText(QSize s) {
    return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

void printDevMode(IPrinterConfiguration& config) {
    const QByteArray& b = config.DeviceMode()->GetDevModeA();
    out(QStringLiteral("devmode:"));
    out(QStringLiteral("  dmDeviceName=%1").arg(dm::name(b, dm::DeviceName)));
    out(QStringLiteral("  dmSize=%1 dmDriverExtra=%2 dmFields=0x%3")
            .arg(dm::u16(b, dm::Size))
            .arg(dm::u16(b, dm::DriverExtra))
            .arg(dm::u32(b, dm::Fields), 8, 16, QLatin1Char('0')));
    const struct {
        const char* name;
        int offset;
    } shorts[] = {{"dmOrientation", dm::Orientation},
                  {"dmPaperSize", dm::PaperSize},
                  {"dmPaperLength", dm::PaperLength},
                  {"dmPaperWidth", dm::PaperWidth},
                  {"dmCopies", dm::Copies},
                  {"dmDefaultSource", dm::DefaultSource},
                  {"dmPrintQuality", dm::PrintQuality},
                  {"dmColor", dm::Color},
                  {"dmYResolution", dm::YResolution}};
    for (const auto& f : shorts)
        out(QStringLiteral("  %1=%2").arg(QLatin1String(f.name)).arg(dm::i16(b, f.offset)));
    out(QStringLiteral("  dmFormName=%1").arg(dm::name(b, dm::FormName)));
    out(QStringLiteral("  dmMediaType=%1").arg(dm::u32(b, dm::MediaType)));
    out(QStringLiteral("options:"));
    for (const auto& [name, value] : config.PrinterHandle().jobOptions(b))
        out(QStringLiteral("  %1=%2").arg(name, value));
}

int listPrinters(const ToolCommand& command, const QStringList& args) {
    const auto words = plainArguments(command, args);
    if (!words || !words->isEmpty()) return usageError(command);
    toolDataModule();
    for (const auto& p : platform::systemSpooler().printers()) {
        bool borderless = false, matching = false;
        try {
            const auto config = std::make_shared<TPrinterConfiguration>(p.name, QString());
            const IOXDIPtr ext = NewOXDI(*config);
            for (int source : ext->PaperSourceList())
                borderless = borderless || BorderlessSourceOf(source, true) == source;
            // The same test the print pipeline makes before it switches the driver.
            matching = PrinterOffersKvr(*NewKvrPrinter(config));
        } catch (const std::exception&) {
        }
        out(QStringList{p.name, p.isDefault ? QStringLiteral("*") : QStringLiteral("-"), p.driver,
                        p.state, QStringLiteral("borderless=") + yesNo(borderless),
                        QStringLiteral("colormatch=") + yesNo(matching)}
                .join(u'\t'));
    }
    return 0;
}

int show(const QString& name) {
    TPrinterConfiguration config(name, QString());
    const platform::PrinterDriver& driver = config.PrinterHandle();
    const platform::SpoolerCapabilities& caps = driver.capabilities();
    const auto info = platform::systemSpooler().printer(name);
    out(QStringLiteral("printer: %1").arg(name));
    out(QStringLiteral("driver: %1").arg(info ? info->driver : QString()));
    out(QStringLiteral("state: %1").arg(info ? info->state : QString()));
    out(QStringLiteral("media (1/100 mm):"));
    for (const auto& m : caps.media)
        out(QStringLiteral("  %1\t%2\t%3x%4\tmargins=%5,%6,%7,%8%9")
                .arg(m.name, m.label)
                .arg(m.width)
                .arg(m.length)
                .arg(m.left)
                .arg(m.top)
                .arg(m.right)
                .arg(m.bottom)
                .arg(m.borderless() ? QStringLiteral("\tborderless") : QString()));
    out(QStringLiteral("default media: %1").arg(caps.defaultMedia));
    if (caps.customSizes)
        out(QStringLiteral("custom sizes: %1 .. %2")
                .arg(sizeText(caps.customMin), sizeText(caps.customMax)));
    out(QStringLiteral("forms (0.1 mm):"));
    for (const auto& f : driver.forms())
        out(QStringLiteral("  %1\t%2\t%3").arg(f.id).arg(f.name, sizeText(f.size)));
    out(QStringLiteral("sources:"));
    for (const auto& b : driver.bins())
        out(QStringLiteral("  %1\t%2\t%3%4")
                .arg(b.id)
                .arg(b.name, b.source.isEmpty() ? QStringLiteral("-") : b.source,
                     b.borderless ? QStringLiteral("\tborderless") : QString()));
    const IOXDIPtr ext = NewOXDI(config);
    out(QStringLiteral("media types:"));
    for (int id : driver.mediaTypes()) {
        const QString keyword = driver.mediaTypeKeyword(id);
        out(QStringLiteral("  %1\t%2\t%3")
                .arg(id)
                .arg(ext->MediaName(id), keyword.isEmpty() ? QStringLiteral("-") : keyword));
    }
    out(QStringLiteral("qualities: %1 (default %2) levels=%3")
            .arg(joined(caps.qualities))
            .arg(caps.defaultQuality)
            .arg(ext->IsOpen() ? ext->QualityLevelCount() : driver.qualityLevels()));
    out(QStringLiteral("color modes: %1 (default %2)")
            .arg(caps.colorModes.join(u' '), caps.defaultColorMode));
    QStringList res;
    for (QSize r : caps.resolutions) res << sizeText(r);
    out(QStringLiteral("resolutions: %1 (default %2)")
            .arg(res.join(u' '), sizeText(caps.defaultResolution)));
    printDevMode(config);
    return 0;
}

int ext(const QString& name, const QCommandLineParser& parser) {
    TPrinterConfiguration config(name, QString());
    const IOXDIPtr ext = NewOXDI(config);
    if (!ext->IsOpen()) {
        err(msg::driverExtensionUnavailable(name));
        return 1;
    }
    if (parser.isSet(QStringLiteral("borderless")))
        ext->SetBorderless(parser.value(QStringLiteral("borderless")) == u"on");
    if (parser.isSet(QStringLiteral("media")) || parser.isSet(QStringLiteral("quality"))) {
        TMediaSetting s;
        ext->GetMediaSetting(s);
        s.Mode = 1, s.Adjust = 2;
        if (parser.isSet(QStringLiteral("media")))
            s.Media = int16_t(parser.value(QStringLiteral("media")).toInt());
        if (parser.isSet(QStringLiteral("quality")))
            s.Quality = int16_t(parser.value(QStringLiteral("quality")).toInt());
        if (!ext->SetMediaSetting(s)) {
            err(msg::driverExtensionRefused(
                QStringLiteral("media=%1 quality=%2").arg(s.Media).arg(s.Quality)));
            return 1;
        }
    }
    ext->Commit();
    out(QStringLiteral("borderless: %1").arg(yesNo(ext->BorderlessEnabled())));
    printDevMode(config);
    return 0;
}

}  // namespace

int runPrinter(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("borderless"), {}, QStringLiteral("on|off")},
                       {QStringLiteral("media"), {}, QStringLiteral("ID")},
                       {QStringLiteral("quality"), {}, QStringLiteral("N")}});
    if (!parseCommandLine(parser, command, args)) return usageError(command);
    const QStringList words = parser.positionalArguments();
    if (words.size() != 2) return usageError(command);
    const QString borderless = parser.value(QStringLiteral("borderless"));
    if (parser.isSet(QStringLiteral("borderless")) && borderless != u"on" && borderless != u"off")
        return usageError(command);
    toolDataModule();
    try {
        if (words[0] == u"show" && !parser.isSet(QStringLiteral("borderless")) &&
            !parser.isSet(QStringLiteral("media")) && !parser.isSet(QStringLiteral("quality")))
            return show(words[1]);
        if (words[0] == u"ext") return ext(words[1], parser);
    } catch (const std::exception& e) {
        err(QString::fromUtf8(e.what()));
        return 1;
    }
    return usageError(command);
}

int runPrinters(const ToolCommand& command, const QStringList& args) {
    return listPrinters(command, args);
}
