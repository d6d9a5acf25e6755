// The spooler over CUPS (libcups 2.4).
#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/spooler/Spooler.h"

#include <cups/cups.h>

namespace platform {
namespace {

QString text(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

QString stateName(const char* value) {
    const int state = value ? atoi(value) : 3;
    return state == 5   ? QStringLiteral("stopped")
           : state == 4 ? QStringLiteral("processing")
                        : QStringLiteral("idle");
}

SpoolerPrinterInfo infoOf(const cups_dest_t& d) {
    SpoolerPrinterInfo p;
    p.name = text(d.name);
    p.isDefault = d.is_default;
    p.driver = text(cupsGetOption("printer-make-and-model", d.num_options, d.options));
    p.state = stateName(cupsGetOption("printer-state", d.num_options, d.options));
    p.port = text(cupsGetOption("device-uri", d.num_options, d.options));
    p.colourProfile = text(cupsGetOption("vellumo-icc-profile", d.num_options, d.options));
    return p;
}

// A named destination with its server information; both freed with the object.
struct Dest {
    explicit Dest(const QString& name) {
        // An empty name would give the server's default printer.
        if (name.isEmpty()) throw Exception(msg::invalidPrinterName());
        const QByteArray n = name.toUtf8();
        dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, n.constData(), nullptr);
        if (!dest) throw Exception(msg::invalidPrinterName());
        info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
        if (!info) {
            cupsFreeDests(1, dest);
            throw Exception(msg::invalidPrinterName());
        }
    }
    ~Dest() {
        if (info) cupsFreeDestInfo(info);
        if (dest) cupsFreeDests(1, dest);
    }
    Dest(const Dest&) = delete;
    Dest& operator=(const Dest&) = delete;
    ipp_attribute_t* supported(const char* name) const {
        return cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, name);
    }
    QString defaultOf(const char* name) const {
        ipp_attribute_t* a = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, name);
        return a ? text(ippGetString(a, 0, nullptr)) : QString();
    }
    cups_dest_t* dest = nullptr;
    cups_dinfo_t* info = nullptr;
};

QStringList keywords(ipp_attribute_t* a) {
    QStringList out;
    for (int i = 0; a && i < ippGetCount(a); ++i) out << text(ippGetString(a, i, nullptr));
    return out;
}

class CupsDocument : public SpoolerDocument {
public:
    CupsDocument(std::unique_ptr<Dest> dest, int job) : dest_(std::move(dest)), job_(job) {}
    ~CupsDocument() override {
        if (!finished_) cupsCancelDestJob(CUPS_HTTP_DEFAULT, dest_->dest, job_);
    }
    void write(const QByteArray& bytes) override {
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, bytes.constData(), size_t(bytes.size())) !=
            HTTP_STATUS_CONTINUE)
            throw Exception(msg::printJobFailed(text(cupsLastErrorString())));
    }
    int finish() override {
        finished_ = true;
        if (cupsFinishDestDocument(CUPS_HTTP_DEFAULT, dest_->dest, dest_->info) >
            IPP_STATUS_OK_CONFLICTING)
            throw Exception(msg::printJobFailed(text(cupsLastErrorString())));
        return job_;
    }
    int jobId() const override { return job_; }

private:
    std::unique_ptr<Dest> dest_;
    int job_;
    bool finished_ = false;
};

class CupsSpooler : public Spooler {
public:
    std::vector<SpoolerPrinterInfo> printers() override {
        std::vector<SpoolerPrinterInfo> out;
        cups_dest_t* dests = nullptr;
        const int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        for (int i = 0; i < n; ++i)
            if (!dests[i].instance) out.push_back(infoOf(dests[i]));
        cupsFreeDests(n, dests);
        return out;
    }

    std::optional<SpoolerPrinterInfo> printer(const QString& name) override {
        if (name.isEmpty()) return std::nullopt;
        const QByteArray n = name.toUtf8();
        cups_dest_t* d = cupsGetNamedDest(CUPS_HTTP_DEFAULT, n.constData(), nullptr);
        if (!d) return std::nullopt;
        SpoolerPrinterInfo p = infoOf(*d);
        cupsFreeDests(1, d);
        return p;
    }

    SpoolerCapabilities capabilities(const QString& name) override {
        const Dest d(name);
        SpoolerCapabilities c;
        const int n = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, d.dest, d.info, 0);
        for (int i = 0; i < n; ++i) {
            cups_size_t s;
            if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, d.dest, d.info, i, 0, &s)) continue;
            // A size without margins may come as a variant named "..._borderless"; the margins
            // tell the variants apart, so both carry the size's own name.
            QString name = text(s.media);
            if (name.endsWith(u"_borderless")) name.chop(11);
            SpoolerMedia m{name, {}, s.width, s.length, s.left, s.bottom, s.right, s.top};
            m.label = text(cupsLocalizeDestMedia(CUPS_HTTP_DEFAULT, d.dest, d.info, 0, &s));
            if (m.label.isEmpty()) m.label = m.name;
            c.media.push_back(m);
        }
        cups_size_t def;
        if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, d.dest, d.info, 0, &def)) {
            c.defaultMedia = text(def.media);
            if (c.defaultMedia.endsWith(u"_borderless")) c.defaultMedia.chop(11);
        }
        for (const QString& m : keywords(d.supported("media"))) {
            const QByteArray k = m.toUtf8();
            pwg_media_t* pwg = pwgMediaForPWG(k.constData());
            if (!pwg) continue;
            if (m.startsWith(u"custom_min_")) c.customMin = QSize(pwg->width, pwg->length);
            if (m.startsWith(u"custom_max_")) c.customMax = QSize(pwg->width, pwg->length);
        }
        c.customSizes = c.customMin.isValid() && c.customMax.isValid() && !c.customMin.isEmpty();
        c.sources = keywords(d.supported("media-source"));
        c.defaultSource = d.defaultOf("media-source");
        c.mediaTypes = keywords(d.supported("media-type"));
        c.defaultMediaType = d.defaultOf("media-type");
        if (ipp_attribute_t* q = d.supported("print-quality"))
            for (int i = 0; i < ippGetCount(q); ++i) c.qualities << ippGetInteger(q, i);
        if (ipp_attribute_t* q =
                cupsFindDestDefault(CUPS_HTTP_DEFAULT, d.dest, d.info, "print-quality"))
            c.defaultQuality = ippGetInteger(q, 0);
        c.colorModes = keywords(d.supported("print-color-mode"));
        c.defaultColorMode = d.defaultOf("print-color-mode");
        if (ipp_attribute_t* r = d.supported("printer-resolution"))
            for (int i = 0; i < ippGetCount(r); ++i) {
                int y = 0;
                ipp_res_t units;
                const int x = ippGetResolution(r, i, &y, &units);
                if (units == IPP_RES_PER_CM)
                    c.resolutions << QSize(x * 254 / 100, y * 254 / 100);
                else
                    c.resolutions << QSize(x, y);
            }
        if (ipp_attribute_t* r =
                cupsFindDestDefault(CUPS_HTTP_DEFAULT, d.dest, d.info, "printer-resolution")) {
            int y = 0;
            ipp_res_t units;
            const int x = ippGetResolution(r, 0, &y, &units);
            c.defaultResolution =
                units == IPP_RES_PER_CM ? QSize(x * 254 / 100, y * 254 / 100) : QSize(x, y);
        }
        return c;
    }

    std::unique_ptr<SpoolerDocument> startJob(const QString& printerName, const QString& title,
                                              const SpoolerOptions& options,
                                              const QString& format) override {
        auto d = std::make_unique<Dest>(printerName);
        int count = 0;
        cups_option_t* opts = nullptr;
        for (const auto& [name, value] : options)
            count =
                cupsAddOption(name.toUtf8().constData(), value.toUtf8().constData(), count, &opts);
        // Pages arrive at their final size; the server must never fit them again.
        count = cupsAddOption("print-scaling", "none", count, &opts);
        int job = 0;
        const QByteArray t = title.toUtf8(), f = format.toUtf8();
        const ipp_status_t created = cupsCreateDestJob(CUPS_HTTP_DEFAULT, d->dest, d->info, &job,
                                                       t.constData(), count, opts);
        cupsFreeOptions(count, opts);
        if (created > IPP_STATUS_OK_CONFLICTING || job <= 0)
            throw Exception(msg::printJobFailed(text(cupsLastErrorString())));
        if (cupsStartDestDocument(CUPS_HTTP_DEFAULT, d->dest, d->info, job, t.constData(),
                                  f.constData(), 0, nullptr, 1) != HTTP_STATUS_CONTINUE) {
            const QString why = text(cupsLastErrorString());
            cupsCancelDestJob(CUPS_HTTP_DEFAULT, d->dest, job);
            throw Exception(msg::printJobFailed(why));
        }
        return std::make_unique<CupsDocument>(std::move(d), job);
    }

    bool cancelJob(const QString& printerName, int jobId) override {
        return cupsCancelJob2(CUPS_HTTP_DEFAULT, printerName.toUtf8().constData(), jobId, 0) ==
               IPP_STATUS_OK;
    }

    std::vector<SpoolerJobInfo> jobs(const QString& printerName, bool activeOnly) override {
        cups_job_t* list = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, printerName.toUtf8().constData(), 0,
                                   activeOnly ? CUPS_WHICHJOBS_ACTIVE : CUPS_WHICHJOBS_ALL);
        std::vector<SpoolerJobInfo> out;
        for (int i = 0; i < n; ++i)
            out.push_back({list[i].id, text(list[i].title), int(list[i].state),
                           qint64(list[i].creation_time)});
        cupsFreeJobs(n, list);
        return out;
    }
};

}  // namespace

std::unique_ptr<Spooler> makeCupsSpooler() {
    return std::make_unique<CupsSpooler>();
}

}  // namespace platform
