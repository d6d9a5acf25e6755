// The built-in PDF printer: each job's document (a PDF) becomes one file, written beside
// the target and renamed over it when the job finishes.
#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/spooler/Spooler.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {
namespace {

// Sizes in 1/100 mm; each is offered with 3 mm margins and without borders.
struct Size {
    const char* name;
    const char* label;
    int width, length;
};
constexpr Size kSizes[] = {
    {"iso_a3_297x420mm", "A3", 29700, 42000},
    {"iso_a4_210x297mm", "A4", 21000, 29700},
    {"iso_a5_148x210mm", "A5", 14800, 21000},
    {"iso_a6_105x148mm", "A6", 10500, 14800},
    {"jis_b4_257x364mm", "B4 (JIS)", 25700, 36400},
    {"jis_b5_182x257mm", "B5 (JIS)", 18200, 25700},
    {"jis_b6_128x182mm", "B6 (JIS)", 12800, 18200},
    {"jpn_hagaki_100x148mm", "Postcard", 10000, 14800},
    {"oe_photo-l_3.5x5in", "L", 8890, 12700},
    {"na_5x7_5x7in", "2L", 12700, 17780},
    {"na_index-4x6_4x6in", "4x6", 10160, 15240},
    {"na_letter_8.5x11in", "Letter", 21590, 27940},
    {"na_legal_8.5x14in", "Legal", 21590, 35560},
};
constexpr int kMargin = 300;

class PdfDocument : public SpoolerDocument {
public:
    PdfDocument(const QString& path, int job) : file_(path), job_(job) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file_.open(QIODevice::WriteOnly))
            throw Exception(msg::printJobFailed(file_.errorString()));
    }
    void write(const QByteArray& bytes) override {
        if (file_.write(bytes) != bytes.size())
            throw Exception(msg::printJobFailed(file_.errorString()));
    }
    int finish() override {
        if (!file_.commit()) throw Exception(msg::printJobFailed(file_.errorString()));
        return job_;
    }

private:
    QSaveFile file_;  // an unfinished job leaves no file behind
    int job_;
};

class PdfFileSpooler : public Spooler {
public:
    std::vector<SpoolerPrinterInfo> printers() override { return {*printer(pdfPrinterName())}; }

    std::optional<SpoolerPrinterInfo> printer(const QString& name) override {
        if (name != pdfPrinterName()) return std::nullopt;
        return SpoolerPrinterInfo{name, false, QStringLiteral("Vellumo PDF"),
                                  QStringLiteral("idle"), QStringLiteral("file:")};
    }

    SpoolerCapabilities capabilities(const QString& name) override {
        if (name != pdfPrinterName()) throw Exception(msg::invalidPrinterName());
        SpoolerCapabilities c;
        for (const Size& s : kSizes) {
            const QString n = QString::fromLatin1(s.name), l = QString::fromLatin1(s.label);
            c.media.push_back({n, l, s.width, s.length, kMargin, kMargin, kMargin, kMargin});
            c.media.push_back({n, l, s.width, s.length, 0, 0, 0, 0});
        }
        c.defaultMedia = QStringLiteral("iso_a4_210x297mm");
        c.qualities = {4, 5};
        c.defaultQuality = 4;
        c.colorModes = {QStringLiteral("color")};
        c.defaultColorMode = c.colorModes.front();
        c.resolutions = {QSize(300, 300), QSize(600, 600)};
        c.defaultResolution = QSize(300, 300);
        c.customSizes = true;
        c.customMin = QSize(1000, 1000);
        c.customMax = QSize(100000, 200000);
        return c;
    }

    std::unique_ptr<SpoolerDocument> startJob(const QString& printerName, const QString& title,
                                              const SpoolerOptions& options,
                                              const QString& format) override {
        if (printerName != pdfPrinterName()) throw Exception(msg::invalidPrinterName());
        if (format != u"application/pdf") throw Exception(msg::printJobFailed(format));
        QString path;
        for (const auto& [name, value] : options)
            if (name == u"output-file") path = value;
        if (path.isEmpty()) {
            QString base = title;
            base.replace(u'/', u'_');
            if (base.isEmpty()) base = QStringLiteral("Vellumo");
            path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + u'/' +
                   base + QStringLiteral(".pdf");
        }
        return std::make_unique<PdfDocument>(path, ++lastJob_);
    }

    bool cancelJob(const QString&, int) override { return false; }
    std::vector<SpoolerJobInfo> jobs(const QString&, bool) override { return {}; }

private:
    int lastJob_ = 0;
};

// CUPS first, then the PDF printer; a name goes to the spooler that knows it.
class SystemSpooler : public Spooler {
public:
    std::vector<SpoolerPrinterInfo> printers() override {
        std::vector<SpoolerPrinterInfo> out = cups_->printers();
        std::erase_if(out, [](const SpoolerPrinterInfo& p) { return p.name == pdfPrinterName(); });
        out.push_back(*pdf_->printer(pdfPrinterName()));
        return out;
    }
    std::optional<SpoolerPrinterInfo> printer(const QString& name) override {
        return of(name).printer(name);
    }
    SpoolerCapabilities capabilities(const QString& name) override {
        return of(name).capabilities(name);
    }
    std::unique_ptr<SpoolerDocument> startJob(const QString& p, const QString& title,
                                              const SpoolerOptions& options,
                                              const QString& format) override {
        return of(p).startJob(p, title, options, format);
    }
    bool cancelJob(const QString& p, int jobId) override { return of(p).cancelJob(p, jobId); }
    std::vector<SpoolerJobInfo> jobs(const QString& p, bool activeOnly) override {
        return of(p).jobs(p, activeOnly);
    }

private:
    Spooler& of(const QString& name) { return name == pdfPrinterName() ? *pdf_ : *cups_; }
    std::unique_ptr<Spooler> cups_ = makeCupsSpooler();
    std::unique_ptr<Spooler> pdf_ = makePdfFileSpooler();
};

Spooler* installed = nullptr;

}  // namespace

std::unique_ptr<Spooler> makePdfFileSpooler() {
    return std::make_unique<PdfFileSpooler>();
}

Spooler& systemSpooler() {
    static SystemSpooler system;
    return installed ? *installed : system;
}

void installSpooler(Spooler* spooler) {
    installed = spooler;
}

QString pdfPrinterName() {
    return msg::pdfPrinterName();
}

}  // namespace platform
