// vellumo-albumdata: builds the album photos' data files from their readable sources.
// Used by the build.
//
//     vellumo-albumdata shadow SOURCE OUTPUT   the default soft shadow mask (a BMP file)
//     vellumo-albumdata glyphs SOURCE OUTPUT   the date glyph strip (a BMP file)
#include "imaging/Blur.h"
#include "imaging/codecs/Bmp.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace {

// The lines of a source without comments, each split into words.
std::vector<QStringList> readSource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot open " + path.toStdString());
    std::vector<QStringList> lines;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        lines.push_back(line.split(u' ', Qt::SkipEmptyParts));
    }
    return lines;
}

int number(const QStringList& words, int index) {
    bool ok = false;
    const int v = index < words.size() ? words[index].toInt(&ok) : 0;
    if (!ok || v < 0 || v > 10000)
        throw std::runtime_error("bad number in: " + words.join(u' ').toStdString());
    return v;
}

void writeBmp(const QImage& image, const QString& path) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(codecs::WriteBmp(image)) < 0 || !out.commit())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QImage shadowMask(const std::vector<QStringList>& lines) {
    int w = 0, h = 0, inset = 0, corner = 0, blur = 0;
    for (const QStringList& l : lines) {
        if (l[0] == u"size") {
            w = number(l, 1);
            h = number(l, 2);
        } else if (l[0] == u"inset") {
            inset = number(l, 1);
        } else if (l[0] == u"corner") {
            corner = number(l, 1);
        } else if (l[0] == u"blur") {
            blur = number(l, 1);
        } else {
            throw std::runtime_error("unknown line: " + l.join(u' ').toStdString());
        }
    }
    if (w <= 2 * inset || h <= 2 * inset) throw std::runtime_error("the mask has no body");
    QImage grey(w, h, QImage::Format_Grayscale8);
    grey.fill(0);
    {
        QPainter p(&grey);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(inset, inset, w - 2 * inset, h - 2 * inset), corner, corner);
    }
    if (blur > 0) Blur(grey, grey.rect(), blur, blur);
    return grey.convertToFormat(QImage::Format_RGB32);
}

QImage glyphStrip(const std::vector<QStringList>& lines) {
    int cw = 0, ch = 0, stroke = 1;
    QColor colour(Qt::black);
    std::map<QString, QLineF> segments;
    std::vector<QString> glyphs;
    for (const QStringList& l : lines) {
        if (l[0] == u"cell") {
            cw = number(l, 1);
            ch = number(l, 2);
        } else if (l[0] == u"colour" && l.size() == 2) {
            colour = QColor(u'#' + l[1]);
        } else if (l[0] == u"stroke") {
            stroke = number(l, 1);
        } else if (l[0] == u"segment" && l.size() == 6) {
            segments[l[1]] = QLineF(number(l, 2), number(l, 3), number(l, 4), number(l, 5));
        } else if (l[0] == u"glyph" && l.size() == 3) {
            glyphs.push_back(l[2] == u"-" ? QString() : l[2]);
        } else {
            throw std::runtime_error("unknown line: " + l.join(u' ').toStdString());
        }
    }
    constexpr int kColumns = 5, kRows = 3;
    if (cw == 0 || ch == 0 || glyphs.size() > size_t(kColumns * kRows))
        throw std::runtime_error("bad cell size or too many glyphs");
    QImage strip(cw * kColumns, ch * kRows, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, stroke, Qt::SolidLine, Qt::RoundCap));
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const QPointF origin(double(i % kColumns) * cw, double(i / kColumns) * ch);
        for (const QChar name : glyphs[i]) {
            const auto s = segments.find(QString(name));
            if (s == segments.end())
                throw std::runtime_error("unknown segment " + QString(name).toStdString());
            p.drawLine(s->second.translated(origin));
        }
    }
    p.end();
    // Antialiased edges blend towards white; the stamp treats only pure white as clear.
    return strip;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 3 || (args[0] != u"shadow" && args[0] != u"glyphs")) {
        std::fprintf(stderr, "usage: vellumo-albumdata shadow|glyphs SOURCE OUTPUT\n");
        return 2;
    }
    try {
        const auto lines = readSource(args[1]);
        writeBmp(args[0] == u"shadow" ? shadowMask(lines) : glyphStrip(lines), args[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(args[1]), e.what());
        return 1;
    }
    return 0;
}
