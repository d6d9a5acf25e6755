// corvane-tool text: the text engine from the command line. `convert` prints the display
// text of a line, `layout` the measured and aligned characters as JSON, and `render`
// draws a text into a box of a PNG picture.

#include "drawing/Scaler.h"
#include "imaging/Messages.h"
#include "objects/SimpleText.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kDefaultSize = 12;
constexpr int kDefaultDpi = 254;

// The options every verb takes, whether or not it uses them.
struct TextOptions {
    QCommandLineOption halfToFull{QStringLiteral("half-to-full")};
    QCommandLineOption minusExc{QStringLiteral("minus-exc")};
    QCommandLineOption digitsToKanji{QStringLiteral("digits-to-kanji")};
    QCommandLineOption font{QStringLiteral("font"), QString(), QStringLiteral("NAME")};
    QCommandLineOption size{QStringLiteral("size"), QString(), QStringLiteral("PT")};
    QCommandLineOption align{QStringLiteral("align"), QString(), QStringLiteral("N")};
    QCommandLineOption width{QStringLiteral("width"), QString(), QStringLiteral("W")};
    QCommandLineOption spacing{QStringLiteral("spacing"), QString(), QStringLiteral("S")};
    QCommandLineOption vertical{QStringLiteral("vertical")};
    QCommandLineOption angle{QStringLiteral("angle"), QString(), QStringLiteral("DEG")};
    QCommandLineOption bulge{QStringLiteral("bulge"), QString(), QStringLiteral("B")};
    QCommandLineOption dpi{QStringLiteral("dpi"), QString(), QStringLiteral("D")};
    QCommandLineOption box{QStringLiteral("box"), QString(), QStringLiteral("L,T,R,B")};

    void addTo(QCommandLineParser& parser) const {
        parser.addOptions({halfToFull, minusExc, digitsToKanji, font, size, align, width, spacing,
                           vertical, angle, bulge, dpi, box});
    }
};

// An integer option in [minimum, maximum], or `value` unchanged when it is not given.
bool intOption(const QCommandLineParser& parser, const QCommandLineOption& option, int& value,
               int minimum, int maximum) {
    if (!parser.isSet(option)) return true;
    bool ok = false;
    const int v = parser.value(option).toInt(&ok);
    if (!ok || v < minimum || v > maximum) return false;
    value = v;
    return true;
}

// The text object the options describe; false on a bad option value.
bool configure(const QCommandLineParser& parser, const TextOptions& o, const QString& text,
               TSimpleText& simple) {
    int size = kDefaultSize, align = 0, spacing = 0, angle = 0, bulge = 0;
    if (!intOption(parser, o.size, size, 1, 2000) || !intOption(parser, o.align, align, 0, 3) ||
        !intOption(parser, o.spacing, spacing, -10000, 10000) ||
        !intOption(parser, o.angle, angle, -360, 360) ||
        !intOption(parser, o.bulge, bulge, -10000, 10000))
        return false;
    simple.BeginUpdate();
    simple.SetLines(text.split(u'\n'));
    if (parser.isSet(o.font)) simple.Font()->SetName(parser.value(o.font));
    simple.Font()->SetSize(size);
    simple.SetAlign(align);
    simple.SetCharSpacing(spacing);
    simple.SetAngle(angle);
    simple.SetBulge(bulge);
    simple.SetVertical(parser.isSet(o.vertical));
    simple.SetHanToZen(parser.isSet(o.halfToFull));
    simple.SetMinusExc(parser.isSet(o.minusExc));
    simple.SetNumToKnj(parser.isSet(o.digitsToKanji));
    simple.EndUpdate();
    return true;
}

std::optional<TRect> parseBox(const QString& value) {
    const QStringList parts = value.split(u',');
    if (parts.size() != 4) return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
    }
    if (v[2] <= v[0] || v[3] <= v[1]) return std::nullopt;
    return TRect{v[0], v[1], v[2], v[3]};
}

int convert(const TSimpleText& simple) {
    for (const QString& line : simple.GetDisplayText()) out(line);
    return 0;
}

int layout(const QCommandLineParser& parser, const TextOptions& o, const TSimpleText& simple) {
    int width = 0;
    if (!intOption(parser, o.width, width, 0, 1000000)) return -1;
    const TRect box = simple.Vertical() ? TRect{0, 0, 0, width} : TRect{0, 0, width, 0};
    simple.ComputeTextRect(box, false);
    QJsonArray lines;
    for (const TCharLayout& line : simple.Layouts()) {
        QJsonArray chars;
        const std::vector<char32_t> characters = LineCharacters(line.text);
        for (int i = 0; i < line.Count(); ++i) {
            const platform::AbcWidth& w = line.widths[size_t(i)];
            QJsonObject c;
            if (size_t(i) < characters.size())
                c[u"char"] = QString::fromUcs4(&characters[size_t(i)], 1);
            c[u"a"] = w.a;
            c[u"b"] = w.b;
            c[u"c"] = w.c;
            c[u"position"] = line.positions[size_t(i)];
            chars.append(c);
        }
        QJsonObject l;
        l[u"chars"] = chars;
        l[u"start"] = line.start;
        l[u"end"] = line.end;
        l[u"height"] = line.height;
        lines.append(l);
    }
    QJsonObject root;
    root[u"lines"] = lines;
    out(QString::fromUtf8(QJsonDocument(root).toJson()).trimmed());
    return 0;
}

int render(const QCommandLineParser& parser, const TextOptions& o, const TSimpleText& simple,
           const QString& outFile) {
    int dpi = kDefaultDpi;
    if (!intOption(parser, o.dpi, dpi, 1, 4800)) return -1;
    const auto box = parseBox(parser.value(o.box));
    if (!box) return -1;
    // The picture covers the box and as much again around it, so that ink outside the
    // box shows.
    const TRect page{0, 0, box->Right + box->Left, box->Bottom + box->Top};
    TScaler scaler;
    scaler.SetUnitDPI(TSimpleText::kUnitDPI);
    const TRect device = scaler.LogRectToDev(dpi, page);
    if (qint64(device.Width()) * device.Height() > 20000LL * 20000) return -1;
    QImage image(std::max(device.Width(), 1), std::max(device.Height(), 1), QImage::Format_RGB32);
    image.fill(0xFFFFFFFF);
    platform::DeviceDescriptor target;
    target.dpiX = target.dpiY = dpi;
    TCanvas canvas(image, target);
    scaler.PrepareCanvas(canvas);
    simple.Draw(canvas, *box);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    if (!image.save(outFile, "PNG")) {
        err(msg::cannotCreateFile(outFile));
        return 1;
    }
    return 0;
}

}  // namespace

int runText(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const TextOptions options;
    options.addTo(parser);
    if (!parseCommandLine(parser, command, args)) return usageError(command);
    const QStringList words = parser.positionalArguments();
    if (words.isEmpty()) return usageError(command);
    const QString& verb = words.front();
    const int needed = verb == u"render" ? 3 : 2;
    if ((verb != u"convert" && verb != u"layout" && verb != u"render") || words.size() != needed)
        return usageError(command);
    if (verb == u"render" && !parser.isSet(options.box)) return usageError(command);
    TSimpleText simple;
    if (!configure(parser, options, words[1], simple)) return usageError(command);
    int code = 0;
    if (verb == u"convert")
        code = convert(simple);
    else if (verb == u"layout")
        code = layout(parser, options, simple);
    else
        code = render(parser, options, simple, words[2]);
    return code < 0 ? usageError(command) : code;
}
