#pragma once
// The print spooler as the program sees it: printers, their capabilities, jobs. One
// interface with three implementations: CUPS, the built-in PDF file printer, and the fake
// of the unit tests. systemSpooler() combines CUPS with the PDF printer.

#include <QList>
#include <QPair>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

// One paper size a printer takes, lengths in 1/100 mm. A size with all margins 0 is the
// borderless variant; a printer lists it beside the normal one under the same name.
struct SpoolerMedia {
    QString name;   // PWG media name ("iso_a4_210x297mm")
    QString label;  // the name shown to the user
    int width = 0, length = 0;
    int left = 0, bottom = 0, right = 0, top = 0;
    bool borderless() const { return left == 0 && bottom == 0 && right == 0 && top == 0; }
};

struct SpoolerPrinterInfo {
    QString name;
    bool isDefault = false;
    QString driver;  // printer-make-and-model
    QString state;   // "idle", "processing" or "stopped"
    QString port;    // the device URI
    // The ICC profile file of the printer's output: the queue's "vellumo-icc-profile"
    // option (set for the user with lpoptions, or by the administrator); empty when unknown.
    QString colourProfile;
};

struct SpoolerCapabilities {
    std::vector<SpoolerMedia> media;  // in the server's order, borderless variants included
    QString defaultMedia;
    QStringList sources;  // media-source keywords
    QString defaultSource;
    QStringList mediaTypes;  // media-type keywords
    QString defaultMediaType;
    QList<int> qualities;  // print-quality: 3 draft, 4 normal, 5 high
    int defaultQuality = 4;
    QStringList colorModes;  // print-color-mode keywords
    QString defaultColorMode;
    QList<QSize> resolutions;  // dots per inch
    QSize defaultResolution;
    bool customSizes = false;  // custom sizes between customMin and customMax (1/100 mm)
    QSize customMin, customMax;
};

struct SpoolerJobInfo {
    int id = 0;
    QString title;
    int state = 0;         // IPP job-state: 3 pending .. 9 completed
    qint64 submitted = 0;  // seconds since the epoch
};

// Job options in the order given (name, value).
using SpoolerOptions = QList<QPair<QString, QString>>;

// One document being sent; finish() hands it over and answers the job id. Dropping an
// unfinished document cancels its job.
class SpoolerDocument {
public:
    virtual ~SpoolerDocument() = default;
    virtual void write(const QByteArray& bytes) = 0;
    virtual int finish() = 0;
    // The job's id from the moment the job exists (0 when the spooler has no queue).
    virtual int jobId() const { return 0; }
};

class Spooler {
public:
    virtual ~Spooler() = default;
    virtual std::vector<SpoolerPrinterInfo> printers() = 0;
    // None when the spooler has no such printer.
    virtual std::optional<SpoolerPrinterInfo> printer(const QString& name) = 0;
    // Raises msg::invalidPrinterName() when the printer does not exist.
    virtual SpoolerCapabilities capabilities(const QString& name) = 0;
    // Creates a job and starts its one document of `format` (a MIME type).
    virtual std::unique_ptr<SpoolerDocument> startJob(const QString& printer, const QString& title,
                                                      const SpoolerOptions& options,
                                                      const QString& format) = 0;
    virtual bool cancelJob(const QString& printer, int jobId) = 0;
    virtual std::vector<SpoolerJobInfo> jobs(const QString& printer, bool activeOnly) = 0;
};

// CUPS through libcups (the server named by CUPS_SERVER, or the local one).
std::unique_ptr<Spooler> makeCupsSpooler();
// The built-in "PDFファイル" printer alone: one multi-page PDF file per job, no CUPS needed.
// A job's file is the option "output-file", else "<title>.pdf" in the documents folder.
std::unique_ptr<Spooler> makePdfFileSpooler();

// The spooler of the program: CUPS and, after its printers, the PDF printer. Tests install
// their own; nullptr restores the system one.
Spooler& systemSpooler();
void installSpooler(Spooler* spooler);

// The name of the built-in PDF printer.
QString pdfPrinterName();

}  // namespace platform
